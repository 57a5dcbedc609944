#include "win32/text_sources.h"

#include <algorithm>
#include <cwchar>

std::wstring WindowText(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
  return text;
}

std::wstring ClipboardText(HWND owner, std::size_t limit) {
  std::wstring text;
  if (!OpenClipboard(owner)) return text;
  if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
      text.assign(units, wcsnlen(units, std::min(GlobalSize(data) / sizeof(wchar_t), limit)));
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}
