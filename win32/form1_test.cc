// Drives the real Win32 window with posted input through the program's message loop.

#include "win32/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/form_layout.h"
#include "lookup/test_files.h"
#include "win32/test_support.h"

namespace {

// A table in code page 936: 字 pbf, 工 aaaa.
constexpr char kTable[] = "\xD7\xD6 pbf\r\n\xB9\xA4 aaaa\r\n";

// The message boxes that appeared ("caption: text" and owner), dismissed from a timer inside
// their modal loop. A box is held open while during_box runs.
std::vector<std::pair<std::wstring, HWND>> seen_boxes;
std::function<void()> during_box;
HWND held_box = nullptr;

void CALLBACK DismissMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  const HWND box = FindWindowW(L"#32770", nullptr);
  if (box == nullptr || box == held_box || !IsWindowVisible(box)) return;
  seen_boxes.emplace_back(TextOf(box) + L": " + TextOf(GetDlgItem(box, 0xFFFF)),
                          GetWindow(box, GW_OWNER));
  if (during_box) {
    held_box = box;
    std::exchange(during_box, {})();
    held_box = nullptr;
  }
  SendMessageW(box, WM_COMMAND, IDOK, 0);
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    seen_boxes.clear();
    other_ = CreateWindowExW(0, WC_EDITW, L"", WS_OVERLAPPEDWINDOW, 300, 300, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    window_ = form_.Create(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);
    Play(L"");
  }

  void TearDown() override { DestroyWindow(other_); }

  HWND Control(int id) { return GetDlgItem(window_, id); }

  // Posts the script to the window and dispatches it as the program's message loop does. Enter,
  // Tab, Escape, Space and Home (whose characters are their key codes; Home's is $) are pressed,
  // \1 pastes two characters; any other character is typed.
  void Play(const std::wstring& script) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissMessageBox);
    for (const wchar_t c : script + L'\0') {
      if (std::wstring_view(L"\r\t\x1b $").find(c) != std::wstring_view::npos) {
        PostMessageW(GetFocus(), WM_KEYDOWN, c, 1);
        PostMessageW(GetFocus(), WM_KEYUP, c, 0xC0000001);
      } else if (c == L'\1') {  // as a paste or an input method's phrase arrives
        SendMessageW(Control(kText1Id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"甲乙"));
      } else if (c != L'\0') {
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
      }
      WaitFor([] { return true; }, window_);
    }
    KillTimer(nullptr, timer);
  }

  // Puts text on the clipboard as a copy in another program does, and lets the window see it.
  void Copy(const std::wstring& text) {
    const HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(data);
    ASSERT_TRUE(OpenClipboard(other_));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
    Play(L"");
  }

  // Makes `hwnd` the foreground window, as the user does by clicking it.
  void Activate(HWND hwnd) {
    ShowWindow(hwnd, SW_SHOW);
    EXPECT_TRUE(WaitFor([&] { return SetForegroundWindow(hwnd), GetForegroundWindow() == hwnd; }));
  }

  pavrel::TempDir dir_;
  Form1 form_;
  HWND window_ = nullptr;
  HWND other_ = nullptr;  // another program's window, where the user copies
};

// Input played into the window over the table, and what the window shows afterwards.
const struct {
  const wchar_t* script;
  const wchar_t* query;
  const wchar_t* result;
  int focus;
  int selection_start, selection_end;  // in UTF-16 units
} kFlowCases[] = {
    {L"字\r", L"字", L"字 pbf", kText1Id, 0, 1},
    {L"工\r字", L"字", L"工 aaaa", kText1Id, 1, 1},  // the next one replaces it
    {L"字$工", L"字", L"", kText1Id, 0, 0},          // typed in front: refused
    {L"字\t\t", L"字", L"", kText1Id, 0, 1},         // Tab: to the button and back
    {L"字\t ", L"字", L"字 pbf", kText1Id, 0, 1},
    {L"字\x1b", L"字", L"", kText1Id, 1, 1},                // Escape closes nothing
    {L"\U00020000$x", L"\U00020000", L"", kText1Id, 0, 0},  // a surrogate pair is one
    {L"\U00020000\r", L"\U00020000", L"无法查询", kText1Id, 0, 2},
    {L"字\r\1", L"甲", L"字 pbf", kText1Id, 1, 1},  // a paste keeps its first
};

TEST_F(Form1Test, KeyboardMouseAndDpi) {
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_EQ(GetFocus(), Control(kText1Id));
  dir_.Write("data.txt", kTable);
  for (const auto& c : kFlowCases) {
    SetWindowTextW(Control(kText1Id), L"");
    SetWindowTextW(Control(kLabel3Id), L"");
    SetFocus(Control(kText1Id));
    Play(c.script);
    EXPECT_EQ(TextOf(Control(kText1Id)), c.query) << c.script;
    EXPECT_EQ(TextOf(Control(kLabel3Id)), c.result) << c.script;
    EXPECT_EQ(GetFocus(), Control(c.focus)) << c.script;
    EXPECT_EQ(SendMessageW(Control(kText1Id), EM_GETSEL, 0, 0),
              MAKELRESULT(c.selection_start, c.selection_end))
        << c.script;
  }
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(seen_boxes.empty());
  // Activated again, the window gives the keyboard back to the control that had it.
  for (const int id : {kText1Id, kCommand1Id}) {
    SetFocus(Control(id));
    Activate(other_);
    Activate(window_);
    EXPECT_EQ(GetFocus(), Control(id));
  }
  // With the mouse resting on the result, the open tooltip follows each new record.
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
         GetWindow(tip, GW_OWNER) != window_) {
  }
  RECT box;
  GetWindowRect(Control(kLabel3Id), &box);
  SetCursorPos(box.left + 5, box.top + 5);
  PostMessageW(Control(kLabel3Id), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(tip); }, window_));
  Play(L"\t工\r");  // from the button, which has the keyboard
  EXPECT_EQ(TextOf(tip), L"工 aaaa");

  // Moved to a monitor at 144 dpi: the client area, the controls and their fonts grow by half.
  const auto scale = [](int pixels) { return MulDiv(pixels, 3, 2); };
  box = {40, 50, 500, 300};  // where Windows suggests
  SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&box));
  GetClientRect(window_, &box);
  // Only the message comes here, so the caption keeps its 96-dpi height while the window allows
  // for one at 144: the client area is as wide as scaled, and at least as tall.
  EXPECT_EQ(box.right, scale(pavrel::kClientWidth));
  EXPECT_GE(box.bottom, scale(pavrel::kClientHeight));
  for (int index = 0; index < static_cast<int>(std::size(pavrel::kControls)); ++index) {
    const pavrel::ControlLayout& layout = pavrel::kControls[index];
    GetWindowRect(Control(ControlId(index)), &box);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(ControlId(index)), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(
        std::vector<LONG>(
            {box.left, box.top, box.right - box.left, box.bottom - box.top, -font.lfHeight}),
        std::vector<LONG>({scale(layout.box.left), scale(layout.box.top), scale(layout.box.width),
                           scale(layout.box.height), scale(FontOf(layout.font).pixels)}))
        << layout.name;
  }
}

// Switched on by the system menu's item, the window looks up each copy, leaving the keyboard
// where the user copied. With the table missing, one box says so, owned by the window: copies
// while it is open add no box, and one that finds the table again closes it.
TEST_F(Form1Test, FollowsTheClipboardWithoutTakingTheFocus) {
  dir_.Write("data.txt", kTable);
  Activate(other_);
  Copy(L"字");  // off by default
  EXPECT_EQ(TextOf(Control(kText1Id)), L"");
  const HMENU system_menu = GetSystemMenu(window_, FALSE);
  SendMessageW(window_, WM_SYSCOMMAND, kFollowClipboardCommand, 0);  // the system menu's item
  Copy(L" \t\r\n\u3000工人");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"工 aaaa");
  EXPECT_EQ(GetFocus(), other_);

  std::filesystem::remove("data.txt");
  during_box = [this] {
    Copy(L"工");
    dir_.Write("data.txt", kTable);
    Copy(L"字");
    EXPECT_FALSE(IsWindowVisible(FindWindowW(L"#32770", nullptr)));
  };
  Copy(L"工");
  const std::pair<std::wstring, HWND> box{L"Pavrel: 当前目录下缺少 data.txt 文件！", window_};
  EXPECT_EQ(seen_boxes, decltype(seen_boxes){box});
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"字 pbf");
  // Once the box is closed, the next failure shows it again; switched off, the window adds none.
  std::filesystem::remove("data.txt");
  Copy(L"工");
  SendMessageW(window_, WM_SYSCOMMAND, kFollowClipboardCommand, 0);
  Copy(L"字");
  EXPECT_EQ(seen_boxes.size(), 2u);
  EXPECT_EQ(TextOf(Control(kText1Id)), L"工");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_UNCHECKED);
  // Activated, the window gives the query box the keyboard.
  Activate(window_);
  EXPECT_EQ(GetFocus(), Control(kText1Id));
}

}  // namespace
