// What the Windows tests share: a window's text, waits that keep the messages flowing, the user's
// clicks and copies in another program, another program that holds the clipboard open, and the
// ink of what a label draws.

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

// Closes the right-click menu once it is open, from a timer inside its modal loop.
inline int menus = 0;

inline void CALLBACK CloseMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (IsWindowVisible(FindWindowW(L"#32768", nullptr))) ++menus, EndMenu();
}

// The ink of what `paint` draws on a picture of `size` in the dialog colour, column by column
// ('#' for ink), without the blank columns at either end.
inline std::vector<std::string> Ink(SIZE size, const std::function<void(HDC)>& paint) {
  const HDC screen = GetDC(nullptr);
  const HDC dc = CreateCompatibleDC(screen);
  const HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
  ReleaseDC(nullptr, screen);
  const HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
  const RECT all{0, 0, size.cx, size.cy};
  FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
  paint(dc);
  std::vector<std::string> columns;
  for (int x = 0; x < size.cx; ++x) {
    std::string column;
    for (int y = 0; y < size.cy; ++y)
      column += GetPixel(dc, x, y) != GetSysColor(COLOR_BTNFACE) ? '#' : ' ';
    if (column.find('#') != std::string::npos || !columns.empty()) columns.push_back(column);
  }
  while (!columns.empty() && columns.back().find('#') == std::string::npos) columns.pop_back();
  DeleteObject(SelectObject(dc, old_bitmap));
  DeleteDC(dc);
  return columns;
}

// What the result label shows, and `text` drawn plainly on one line in its font.
inline std::vector<std::string> LabelInk(HWND label, const wchar_t* text = nullptr) {
  RECT client;
  GetClientRect(label, &client);
  return Ink({client.right, client.bottom}, [&](HDC dc) {
    if (text == nullptr) {
      SendMessageW(label, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
      return;
    }
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, text, -1, &client, DT_NOPREFIX | DT_SINGLELINE);
  });
}

#endif  // PAVREL_WIN32_TEST_SUPPORT_H_
