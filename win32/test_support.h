// What the Windows tests share: a window's text, waits that keep the messages flowing, the user's
// clicks and copies in another program, and another program that holds the clipboard open.

#ifndef PAVREL_WIN32_TEST_SUPPORT_H_
#define PAVREL_WIN32_TEST_SUPPORT_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "win32/form1.h"

// A window's text, also another program's.
inline std::wstring TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                      nullptr);
  return text;
}

// The visible dialogs, such as message boxes, of one thread: the program's, never another's.
inline std::vector<HWND> DialogsOf(DWORD thread) {
  std::vector<HWND> dialogs;
  const auto add = [](HWND hwnd, LPARAM found) -> BOOL {
    wchar_t name[8] = {};
    GetClassNameW(hwnd, name, 8);
    auto& dialogs = *reinterpret_cast<std::vector<HWND>*>(found);
    if (std::wstring_view(name) == L"#32770" && IsWindowVisible(hwnd)) dialogs.push_back(hwnd);
    return TRUE;
  };
  EnumThreadWindows(thread, add, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

// Dispatches this thread's messages, through `form`'s dialog keys as the program does, until
// `done`, for up to five seconds.
inline bool WaitFor(const std::function<bool()>& done, HWND form = nullptr) {
  for (int i = 0; i < 500; ++i, Sleep(10)) {
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) {
      form != nullptr ? DispatchFormMessage(form, message) : void(DispatchMessageW(&message));
    }
    if (done()) return true;
  }
  return false;
}

// Makes `hwnd` the foreground window, as the user does by clicking it.
inline void Activate(HWND hwnd) {
  ShowWindow(hwnd, SW_SHOW);
  EXPECT_TRUE(WaitFor([&] { return SetForegroundWindow(hwnd), GetForegroundWindow() == hwnd; }));
}

// Copies `text` in `edit`, another program's edit box.
inline void Copy(HWND edit, const wchar_t* text) {
  SetWindowTextW(edit, text);
  SendMessageW(edit, EM_SETSEL, 0, -1);
  SendMessageW(edit, WM_COPY, 0, 0);
}

// Opens the clipboard on a thread of its own, as another program that holds it open does, and
// returns that thread once it has it; the thread closes it after `milliseconds`.
inline std::thread HoldClipboardOpen(DWORD milliseconds) {
  const HANDLE opened = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  std::thread holder([=] {
    OpenClipboard(nullptr);
    SetEvent(opened);
    Sleep(milliseconds);
    CloseClipboard();
  });
  WaitForSingleObject(opened, INFINITE);
  CloseHandle(opened);
  return holder;
}

#endif  // PAVREL_WIN32_TEST_SUPPORT_H_
