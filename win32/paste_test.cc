// Pastes into the real Win32 window's query box, made each way a user pastes.

#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "win32/form1.h"
#include "win32/test_support.h"

namespace {

// The ways a user pastes into an edit control.
void PasteByCtrlV(HWND edit) { SendMessageW(edit, WM_CHAR, 0x16, 1); }

void PasteByShiftInsert(HWND edit) {
  BYTE keys[256] = {};
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(edit, WM_KEYDOWN, VK_INSERT, 1);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
}

void PasteFromItsMenu(HWND edit) {
  PostMessageW(edit, WM_CHAR, L'p', 1);  // Paste's access key, read by the menu's own loop
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(-1, -1));
}

// A paste, made any way, brings the character that a copy of the pasted text looks up. Text
// without one brings nothing, and so does a clipboard without text or one that another program
// holds open: the box keeps its character.
TEST(Form1Test, PastesTheCharacterThatACopyLooksUp) {
  const HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | ES_MULTILINE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
  Form1 form;
  const HWND query = GetDlgItem(form.Create(GetModuleHandleW(nullptr)), kText1Id);
  const struct {
    const wchar_t* copied;  // nullptr: the clipboard holds no text
    void (*paste)(HWND);
    const wchar_t* query;
    bool held = false;  // another program has the clipboard open
  } kPastes[] = {
      {L"《红楼梦》", PasteByShiftInsert, L"红"},  // which Wine's edit control pastes itself
      {L"\r\n工 aaaa", PasteFromItsMenu, L"工"},   // a line copied after its line break
      {L"Hello, world!", PasteByCtrlV, L"中"},     // nothing to look up
      {nullptr, PasteByCtrlV, L"中"},
      {L"字", PasteByCtrlV, L"中", true},
  };
  for (const auto& c : kPastes) {
    SetWindowTextW(query, L"中");
    SendMessageW(query, EM_SETSEL, 0, -1);
    c.copied ? Copy(other, c.copied)
             : void(OpenClipboard(other) && EmptyClipboard() && CloseClipboard());
    std::thread holder = c.held ? HoldClipboardOpen(300) : std::thread();
    c.paste(query);
    if (holder.joinable()) holder.join();
    EXPECT_EQ(TextOf(query), c.query) << c.copied;
  }
  DestroyWindow(other);
}

}  // namespace
