#include "win32/query_box_filter.h"

#include <commctrl.h>
#include <imm.h>

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "lookup/copied_text.h"
#include "lookup/query_box.h"
#include "win32/text_conversion.h"
#include "win32/text_sources.h"

namespace {

constexpr UINT_PTR kSubclassId = 1;

// Puts `inserted` in place of the edit's selection as far as the rule lets it. Returns false when
// the rule lets all of it in, for the edit control to insert as it would have.
bool InsertedByTheRule(HWND edit, std::wstring_view inserted) {
  const std::wstring text = WindowText(edit);
  DWORD start = 0;
  DWORD end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  // An end between the two halves of a surrogate pair (the caret can get there by EM_SETSEL, or by
  // the arrow keys under Wine) moves to the pair's beginning, so that no half is left alone.
  const auto out_of_pair = [&text](DWORD& at) {
    if (at > 0 && at < text.size() && IS_HIGH_SURROGATE(text[at - 1]) &&
        IS_LOW_SURROGATE(text[at])) {
      --at;
      return true;
    }
    return false;
  };
  const bool start_moved = out_of_pair(start);
  if (out_of_pair(end) || start_moved) SendMessageW(edit, EM_SETSEL, start, end);
  const std::wstring prefix = text.substr(0, start);
  const std::u32string before = FromUtf16(text);
  const std::u32string after = FromUtf16(prefix + std::wstring(inserted) + text.substr(end));
  const pavrel::QueryBoxText kept =
      pavrel::KeepOneCharacter(before, after, FromUtf16(prefix + std::wstring(inserted)).size());
  if (kept.text == after) return false;
  if (kept.text != before) {
    // One replacement of the whole text, which Ctrl+Z takes back.
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(ToUtf16(kept.text).c_str()));
    const std::size_t caret = ToUtf16(std::u32string_view(kept.text).substr(0, kept.caret)).size();
    SendMessageW(edit, EM_SETSEL, caret, caret);
  }
  return true;
}

// Pastes, in place of the selection and by the one-character rule, the character that the
// clipboard's text asks to look up, as a copy of it would while the window follows the clipboard:
// “字” brings 字, not its quote mark, and a copied line after its line break its character. Text
// without one brings nothing, and so does a clipboard that holds no text or that another program
// has open: the box keeps what it had. Only the beginning of the text is read.
void PasteCopiedCharacter(HWND edit) {
  const std::optional<char32_t> character = pavrel::CopiedCharacter(
      std::wstring_view(ClipboardText(edit, pavrel::kCopiedTextBytes / sizeof(wchar_t))));
  if (!character) return;
  const std::wstring pasted = ToUtf16(std::u32string_view(&*character, 1));
  if (!InsertedByTheRule(edit, pasted)) {
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
  }
}

// An input method's result string, when `flags` of WM_IME_COMPOSITION say that it has one.
std::wstring ImeResult(HWND edit, LPARAM flags) {
  std::wstring result;
  if (!(flags & GCS_RESULTSTR)) return result;
  if (const HIMC context = ImmGetContext(edit)) {
    const LONG bytes = ImmGetCompositionStringW(context, GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
      result.resize(bytes / sizeof(wchar_t));
      ImmGetCompositionStringW(context, GCS_RESULTSTR, result.data(), bytes);
    }
    ImmReleaseContext(edit, context);
  }
  return result;
}

// Decides on each text the edit control is about to insert. Control characters (Backspace,
// Ctrl+Z and the like) are the edit's own commands and pass.
LRESULT CALLBACK FilterInsertions(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) {
  switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
      const auto unit = static_cast<wchar_t>(wParam);
      if (unit >= L' ' && unit != 0x7F && InsertedByTheRule(edit, std::wstring_view(&unit, 1))) {
        return 0;
      }
      break;
    }
    // Shift+Insert goes by the same rule as any other paste: Wine's edit control pastes it without
    // a WM_PASTE, around the rule.
    case WM_KEYDOWN:
      if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0) {
        SendMessageW(edit, WM_PASTE, 0, 0);
        return 0;
      }
      break;
    // Out of memory, nothing is pasted.
    case WM_PASTE:
      try {
        PasteCopiedCharacter(edit);
      } catch (const std::bad_alloc&) {
      }
      return 0;
    case WM_IME_COMPOSITION: {
      const std::wstring result = ImeResult(edit, lParam);
      if (!result.empty() && InsertedByTheRule(edit, result)) return 0;
      break;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, FilterInsertions, kSubclassId);
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void KeepToOneCharacter(HWND edit) { SetWindowSubclass(edit, FilterInsertions, kSubclassId, 0); }
