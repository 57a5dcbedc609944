#include "win32/text_dialog.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

// An in-memory dialog template: the dialog, then each item, each starting on a DWORD.
class DialogTemplate {
 public:
  DialogTemplate(DWORD style, const wchar_t* title, WORD items) {
    Append(DLGTEMPLATE{style, 0, items, 0, 0, 0, 0});
    words_.push_back(0);  // no menu
    words_.push_back(0);  // the standard dialog class
    AppendString(title);
    words_.push_back(9);  // DS_SETFONT: the dialog's font, in points
    AppendString(L"MS Shell Dlg");
  }

  // A control of a predefined class, given by its atom (0x0080 button, 0x0081 edit).
  void AddItem(DWORD style, WORD id, WORD class_atom) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    Append(DLGITEMTEMPLATE{style, 0, 0, 0, 0, 0, id});
    words_.insert(words_.end(), {0xFFFF, class_atom, 0, 0});  // class, no text, no extra data
  }

  const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  template <typename T>
  void Append(const T& value) {
    static_assert(sizeof(T) % sizeof(WORD) == 0);
    const std::size_t at = words_.size();
    words_.resize(at + sizeof(T) / sizeof(WORD));
    std::memcpy(&words_[at], &value, sizeof(T));
  }
  void AppendString(std::wstring_view text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

// Sizes the edit box to its text's longest line and its lines, the OK button below it, and the
// dialog around both, centred on its monitor's work area.
void FitToText(HWND dialog, const std::wstring& text) {
  const HWND edit = GetDlgItem(dialog, kTextDialogTextId);
  const HWND ok = GetDlgItem(dialog, IDOK);
  RECT needed{};
  const HDC dc = GetDC(edit);
  const HGDIOBJ old_font =
      SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(edit, WM_GETFONT, 0, 0)));
  DrawTextW(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old_font);
  ReleaseDC(edit, dc);

  RECT units{4, 4, 50, 14};  // margins and the button's size in dialog units
  MapDialogRect(dialog, &units);
  const int margin = units.left;
  const SIZE button{units.right, units.bottom};
  // The edit box's border and inner margins, and room for its scroll bars.
  const int width =
      needed.right + 4 * GetSystemMetrics(SM_CXEDGE) + 8 + GetSystemMetrics(SM_CXVSCROLL);
  const int height =
      needed.bottom + 4 * GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYHSCROLL);

  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
  const RECT& work = monitor.rcWork;
  RECT frame{0, 0, 0, 0};
  AdjustWindowRectEx(&frame, GetWindowLongW(dialog, GWL_STYLE), FALSE,
                     GetWindowLongW(dialog, GWL_EXSTYLE));
  const int frame_width = frame.right - frame.left;
  const int frame_height = frame.bottom - frame.top;
  const int edit_width = std::min<int>(width, work.right - work.left - frame_width - 2 * margin);
  const int edit_height =
      std::min<int>(height, work.bottom - work.top - frame_height - 3 * margin - button.cy);
  MoveWindow(edit, margin, margin, edit_width, edit_height, FALSE);
  MoveWindow(ok, margin + edit_width - button.cx, 2 * margin + edit_height, button.cx, button.cy,
             FALSE);
  const int dialog_width = edit_width + 2 * margin + frame_width;
  const int dialog_height = edit_height + 3 * margin + button.cy + frame_height;
  SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - dialog_width) / 2,
               work.top + (work.bottom - work.top - dialog_height) / 2, dialog_width, dialog_height,
               SWP_NOZORDER);
}

INT_PTR CALLBACK TextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto& text = *reinterpret_cast<const std::wstring*>(lParam);
      SetDlgItemTextW(dialog, kTextDialogTextId, text.c_str());
      SetDlgItemTextW(dialog, IDOK, L"确定");
      FitToText(dialog, text);
      // Shown from its first line, the Chinese half, however the box scrolled while it was
      // filled and sized.
      SendDlgItemMessageW(dialog, kTextDialogTextId, EM_SETSEL, 0, 0);
      SendDlgItemMessageW(dialog, kTextDialogTextId, EM_SCROLLCARET, 0, 0);
      // The button takes the focus, so that Enter closes the box at once.
      SetFocus(GetDlgItem(dialog, IDOK));
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) EndDialog(dialog, LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

}  // namespace

void ShowTextDialog(const std::wstring& title, const std::wstring& text) {
  std::wstring shown;  // with CR LF line ends, as an edit box wants them
  for (const wchar_t c : text) {
    if (c == L'\n') shown += L'\r';
    shown += c;
  }
  DialogTemplate dialog(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                        title.c_str(), 2);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | WS_VSCROLL | WS_HSCROLL |
                     ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                 kTextDialogTextId, 0x0081);
  dialog.AddItem(WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 0x0080);
  DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.Get(), nullptr, TextDialogProc,
                          reinterpret_cast<LPARAM>(&shown));
}
