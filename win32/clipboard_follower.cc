#include "win32/clipboard_follower.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "lookup/copied_text.h"

namespace {

// While another program has the clipboard open, a copy is read again this often, this many times.
constexpr UINT kRetryMilliseconds = 50;
constexpr int kTries = 20;
constexpr UINT_PTR kRetryTimer = 1;

// Reads what the clipboard asks to look up into `copy`: nothing when it holds no text, or a copy
// that a password manager marks as one that clipboard monitors leave alone. The text is read in
// place, no further than its first units. False, with nothing read, while another program has
// the clipboard open.
bool ReadCopy(HWND owner, std::optional<pavrel::CopiedText>& copy) {
  static const UINT secret =
      RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing");
  if (!OpenClipboard(owner)) return false;
  copy.reset();
  const HANDLE data =
      IsClipboardFormatAvailable(secret) ? nullptr : GetClipboardData(CF_UNICODETEXT);
  if (const auto* units =
          data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : nullptr) {
    const std::size_t limit =
        std::min(GlobalSize(data) / sizeof(wchar_t), pavrel::kCopiedTextBytes / sizeof(wchar_t));
    copy = pavrel::ReadCopiedText(std::wstring_view(units, wcsnlen(units, limit)));
    GlobalUnlock(data);
  }
  CloseClipboard();
  return true;
}

}  // namespace

// Windows tells the window of each change only while it follows the clipboard.
void ClipboardFollower::Follow(HWND window, bool on) {
  if (on == following_) return;
  following_ = on ? AddClipboardFormatListener(window) : !RemoveClipboardFormatListener(window);
}

bool ClipboardFollower::HandleMessage(HWND window, UINT message, WPARAM wParam) {
  if (message == WM_CLIPBOARDUPDATE) {
    // A newer copy: the tries start again, for it.
    tries_ = 0;
  } else if (message == WM_TIMER && wParam == kRetryTimer) {
    KillTimer(window, kRetryTimer);
  } else {
    return false;
  }
  ReadNewCopy(window);
  return true;
}

// While another program has the clipboard open (other clipboard listeners read the same copy),
// the copy is read again shortly, from a timer, so that the window does not wait. A copy already
// read (Windows may tell of one twice) is not handed over again.
void ClipboardFollower::ReadNewCopy(HWND window) {
  if (!following_) return;
  const DWORD sequence = GetClipboardSequenceNumber();
  if (sequence != 0 && sequence == read_sequence_) return;
  std::optional<pavrel::CopiedText> copy;
  if (!ReadCopy(window, copy)) {
    if (++tries_ < kTries) SetTimer(window, kRetryTimer, kRetryMilliseconds, nullptr);
    return;
  }
  read_sequence_ = sequence;
  if (copy) copied_(*copy);
}
