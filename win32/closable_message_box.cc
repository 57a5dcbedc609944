#include "win32/closable_message_box.h"

#include <utility>

namespace {

// The box that Show is opening on this thread: the one whose window is still to be noted.
thread_local ClosableMessageBox* opening = nullptr;

}  // namespace

// MessageBox gives no window back: a hook of this thread sees it make the box, the first window
// that `owner` owns and that is no control. The hook stays until MessageBox returns, noting
// nothing more: windows made meanwhile (a tooltip that `owner` owns, say) are not the box.
void ClosableMessageBox::Show(HWND owner, const std::wstring& text, const std::wstring& title) {
  owner_ = owner;
  open_ = true;
  ClosableMessageBox* const outer = std::exchange(opening, this);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, NoteBox, nullptr, GetCurrentThreadId());
  MessageBoxW(owner, text.c_str(), title.c_str(), MB_OK);
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  opening = outer;
  box_ = nullptr;
  open_ = false;
}

LRESULT CALLBACK ClosableMessageBox::NoteBox(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND && opening != nullptr && opening->box_ == nullptr) {
    const CREATESTRUCTW& made = *reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
    if (made.hwndParent == opening->owner_ && !(made.style & WS_CHILD)) {
      opening->box_ = reinterpret_cast<HWND>(wParam);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void ClosableMessageBox::Close() {
  if (box_ != nullptr) SendMessageW(box_, WM_COMMAND, IDOK, 0);
}

void ClosableMessageBox::SetText(const std::wstring& text) {
  // A message box's text is its static control of identifier 0xFFFF.
  if (box_ != nullptr) SetDlgItemTextW(box_, 0xFFFF, text.c_str());
}
