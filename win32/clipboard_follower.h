// Follows the clipboard for a window, as the window's 跟随剪贴板 mode does: while it is on, each
// new copy that asks to look something up (lookup/copied_text.h) hands that over,
// read without taking the keyboard from the program where the user copied. A copy that holds no
// text, or one that a password manager marks as one that clipboard monitors leave alone, hands
// over nothing. Windows tells the window of the clipboard's changes, and the window passes those
// messages on here.

#ifndef PAVREL_WIN32_CLIPBOARD_FOLLOWER_H_
#define PAVREL_WIN32_CLIPBOARD_FOLLOWER_H_

#include <windows.h>

#include <functional>
#include <utility>

#include "lookup/copied_text.h"

class ClipboardFollower {
 public:
  // `copied` gets each new copy that asks to look something up.
  explicit ClipboardFollower(std::function<void(const pavrel::CopiedText&)> copied)
      : copied_(std::move(copied)) {}
  ClipboardFollower(const ClipboardFollower&) = delete;
  ClipboardFollower& operator=(const ClipboardFollower&) = delete;

  // Starts or stops listening to the clipboard for `window`; where Windows refuses, it goes on as
  // it was.
  void Follow(HWND window, bool on);
  bool following() const { return following_; }

  // Takes the messages of `window` that belong to following: WM_CLIPBOARDUPDATE and WM_TIMER of
  // the retry timer, the window's timer 1. False for any other message, which is left to the
  // window.
  bool HandleMessage(HWND window, UINT message, WPARAM wParam);

 private:
  void ReadNewCopy(HWND window);

  std::function<void(const pavrel::CopiedText&)> copied_;
  bool following_ = false;
  int tries_ = 0;            // reads of the newest copy that found the clipboard open
  DWORD read_sequence_ = 0;  // the clipboard's sequence number at the last copy read
};

#endif  // PAVREL_WIN32_CLIPBOARD_FOLLOWER_H_
