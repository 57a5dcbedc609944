// A message box that the program can close itself, as OK does, once what it says is out of date.
// The box is known as the window that opening it made, so that closing it can reach no other.

#ifndef PAVREL_WIN32_CLOSABLE_MESSAGE_BOX_H_
#define PAVREL_WIN32_CLOSABLE_MESSAGE_BOX_H_

#include <windows.h>

#include <string>

class ClosableMessageBox {
 public:
  ClosableMessageBox() = default;
  ClosableMessageBox(const ClosableMessageBox&) = delete;
  ClosableMessageBox& operator=(const ClosableMessageBox&) = delete;

  // Shows `text` with `title` and an OK button in a message box owned by `owner`, and returns once
  // it is closed. The messages that arrive meanwhile are dispatched, as MessageBox does.
  void Show(HWND owner, const std::wstring& text, const std::wstring& title);

  // A box is open: Show has not returned yet.
  bool open() const { return open_; }

  // Closes the open box as its OK button does; nothing when none is open.
  void Close();

  // Replaces the open box's text; nothing when none is open.
  void SetText(const std::wstring& text);

 private:
  static LRESULT CALLBACK NoteBox(int code, WPARAM wParam, LPARAM lParam);

  HWND owner_ = nullptr;
  HWND box_ = nullptr;  // once made, while open
  bool open_ = false;
};

#endif  // PAVREL_WIN32_CLOSABLE_MESSAGE_BOX_H_
