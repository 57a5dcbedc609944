// Drives the real Win32 window with posted input through the program's message loop.

#include "win32/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "lookup/test_files.h"

namespace {

// A table in code page 936: 字 pbf, 工 aaaa.
constexpr char kTable[] = "\xD7\xD6 pbf\r\n\xB9\xA4 aaaa\r\n";

std::wstring TextOf(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

// The message box on top, if one is open.
HWND OpenBox() {
  const HWND box = FindWindowW(L"#32770", nullptr);
  return box != nullptr && IsWindowVisible(box) ? box : nullptr;
}

// The message boxes that appeared ("caption: text" and owner), dismissed from a timer inside
// their modal loop. A box is held open while during_box runs.
std::vector<std::pair<std::wstring, HWND>> seen_boxes;
std::function<void()> during_box;
HWND held_box = nullptr;

void CALLBACK DismissMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  const HWND box = OpenBox();
  if (box == nullptr || box == held_box) return;
  seen_boxes.emplace_back(TextOf(box) + L": " + TextOf(GetDlgItem(box, 0xFFFF)),
                          GetWindow(box, GW_OWNER));
  if (during_box) {
    held_box = box;
    std::exchange(during_box, {})();
    held_box = nullptr;
  }
  if (IsWindowVisible(box)) SendMessageW(box, WM_COMMAND, IDOK, 0);
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    seen_boxes.clear();
    // Another program's window, where the user copies.
    other_ = CreateWindowExW(0, WC_EDITW, L"", WS_OVERLAPPEDWINDOW, 300, 300, 200, 100, nullptr,
                             nullptr, nullptr, nullptr);
    window_ = form_.Create(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);
    Play(L"");
  }

  HWND Control(int id) { return GetDlgItem(window_, id); }

  // Posts the script to the window and dispatches it as the program's message loop does. Enter,
  // Tab, Escape and Space (whose characters are their key codes) are pressed, \1 clicks
  // Command1, \2 pastes two characters; any other character is typed.
  void Play(const std::wstring& script) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissMessageBox);
    for (const wchar_t c : script + L'\0') {
      if (c == VK_RETURN || c == VK_TAB || c == VK_ESCAPE || c == VK_SPACE) {
        PostMessageW(GetFocus(), WM_KEYDOWN, c, 1);
        PostMessageW(GetFocus(), WM_KEYUP, c, 0xC0000001);
      } else if (c == L'\1') {
        PostMessageW(Control(kCommand1Id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(Control(kCommand1Id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      } else if (c == L'\2') {  // as a paste or an input method's phrase arrives
        SendMessageW(Control(kText1Id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"甲乙"));
      } else if (c != L'\0') {
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
      }
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        DispatchFormMessage(window_, message);
      }
    }
    KillTimer(nullptr, timer);
  }

  void TearDown() override { DestroyWindow(other_); }

  // Puts text on the clipboard as a copy in another program does, and lets the window see it.
  void Copy(const std::wstring& text) {
    const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(data), text.c_str(), size);
    GlobalUnlock(data);
    ASSERT_TRUE(OpenClipboard(other_));
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, data);
    CloseClipboard();
    Play(L"");
  }

  // The query box's selection: start and end in UTF-16 units.
  std::pair<DWORD, DWORD> Selection() {
    DWORD start = 0, end = 0;
    SendMessageW(Control(kText1Id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return {start, end};
  }

  pavrel::TempDir dir_;
  Form1 form_;
  HWND window_ = nullptr;
  HWND other_ = nullptr;
};

TEST_F(Form1Test, StartsOnTopWithTheFocusInTheQueryBox) {
  EXPECT_EQ(TextOf(window_), L"Quorlan");
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(219L, 98L));
  EXPECT_EQ(GetFocus(), Control(kText1Id));
}

// Input played into the window over the table, and what the window shows afterwards.
const struct {
  const wchar_t* script;
  const wchar_t* query;
  const wchar_t* result;
  int focus;
  std::pair<DWORD, DWORD> selection;  // start, end in UTF-16 units
} kFlowCases[] = {
    {L"字\r", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"工\r字", L"字", L"工 aaaa", kText1Id, {1, 1}},  // the next one replaces it
    {L"字工", L"字", L"", kText1Id, {1, 1}},           // a full box takes no more
    {L"字\t", L"字", L"", kCommand1Id, {1, 1}},        // Tab: to the button only
    {L"字\t\t", L"字", L"", kText1Id, {0, 1}},         // and back
    {L"字\t\r", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\t ", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\1", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\x1b", L"字", L"", kText1Id, {1, 1}},               // Escape closes nothing
    {L"\U00020000x", L"\U00020000", L"", kText1Id, {2, 2}},  // a surrogate pair is whole
    {L"\U00020000\r", L"\U00020000", L"无法查询", kText1Id, {0, 2}},
    {L"字\r\2", L"甲", L"字 pbf", kText1Id, {1, 1}},  // a paste keeps its first
};

TEST_F(Form1Test, KeyboardAndMouseFlow) {
  dir_.Write("data.txt", kTable);
  for (const auto& c : kFlowCases) {
    SetWindowTextW(Control(kText1Id), L"");
    SetWindowTextW(Control(kLabel3Id), L"");
    SetFocus(Control(kText1Id));
    Play(c.script);
    EXPECT_EQ(TextOf(Control(kText1Id)), c.query) << c.script;
    EXPECT_EQ(TextOf(Control(kLabel3Id)), c.result) << c.script;
    EXPECT_EQ(GetFocus(), Control(c.focus)) << c.script;
    EXPECT_EQ(Selection(), c.selection) << c.script;
  }
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(seen_boxes.empty());
}

TEST_F(Form1Test, MissingTableShowsOneMessageBoxOwnedByTheWindow) {
  const std::pair<std::wstring, HWND> box{L"Pavrel: 当前目录下缺少 data.txt 文件！", window_};
  Play(L"字\r");
  EXPECT_EQ(seen_boxes, decltype(seen_boxes){box});
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"");

  // Copies while the box is open add no box; one that finds the table again closes it.
  form_.SetFollowClipboard(true);
  during_box = [this] {
    Copy(L"工");
    dir_.Write("data.txt", kTable);
    Copy(L"工");
    EXPECT_EQ(OpenBox(), nullptr);
  };
  Copy(L"字");
  EXPECT_EQ(seen_boxes, decltype(seen_boxes)({box, box}));
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"工 aaaa");
  // Once the box is closed, the next failure shows it again.
  std::filesystem::remove("data.txt");
  Copy(L"字");
  EXPECT_EQ(seen_boxes.size(), 3u);
}

TEST_F(Form1Test, FollowsTheClipboardWithoutTakingTheFocus) {
  dir_.Write("data.txt", kTable);
  ShowWindow(other_, SW_SHOW);
  SetForegroundWindow(other_);
  Copy(L"字");  // off by default
  EXPECT_EQ(TextOf(Control(kText1Id)), L"");

  const HMENU system_menu = GetSystemMenu(window_, FALSE);
  PostMessageW(window_, WM_SYSCOMMAND, kFollowClipboardCommand, 0);  // the system menu's item
  Play(L"");
  Copy(L" \t\r\n\u3000工人");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"工 aaaa");
  EXPECT_EQ(Selection(), std::make_pair(DWORD{0}, DWORD{1}));
  Copy(L"a字");  // ASCII first: nothing changes
  EXPECT_EQ(TextOf(Control(kText1Id)), L"工");
  EXPECT_EQ(GetActiveWindow(), other_);
  EXPECT_EQ(GetFocus(), other_);

  SendMessageW(window_, WM_SYSCOMMAND, kFollowClipboardCommand, 0);  // off again
  Copy(L"字");
  EXPECT_EQ(TextOf(Control(kText1Id)), L"工");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_UNCHECKED);
  // Activated, the window gives the query box the keyboard.
  SetForegroundWindow(window_);
  Play(L"");
  EXPECT_EQ(GetFocus(), Control(kText1Id));
}

// Lookups by keyboard while the mouse rests on the result: the open tooltip shows the current
// record, and another process, hooked into the window's events as a screen reader is, hears of
// every result (the same one twice as well) as a change of the label's live region.
TEST_F(Form1Test, EachResultReachesTheOpenTooltipAndScreenReaders) {
  dir_.Write("data.txt", kTable);
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring command = std::filesystem::path(self).replace_filename("test_event_listener.exe");
  command = L'"' + command + L"\" " + std::to_wstring(GetCurrentProcessId()) + L" events.txt";
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION listener{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &listener));
  std::vector<std::string> heard;  // the listener's lines
  const auto wait_until = [&](const auto& done) {
    for (int i = 0; i < 200 && !done(); ++i) {
      Sleep(50);
      Play(L"");
      std::ifstream file("events.txt");
      heard.clear();
      for (std::string line; std::getline(file, line);) heard.push_back(line);
    }
  };
  wait_until([&] { return !heard.empty(); });
  ASSERT_EQ(heard, std::vector<std::string>{"ready"});
  // Plays a lookup and tells whether the listener heard more afterwards.
  const auto heard_after = [&](const wchar_t* script) {
    const std::size_t before = heard.size();
    Play(script);
    wait_until([&] { return heard.size() > before; });
    return heard.size() > before;
  };
  EXPECT_TRUE(heard_after(L"字\r"));
  HWND tip = nullptr;
  while ((tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr)) != nullptr &&
         GetWindow(tip, GW_OWNER) != window_) {
  }
  ASSERT_NE(tip, nullptr);
  RECT box;
  GetWindowRect(Control(kLabel3Id), &box);
  SetCursorPos(box.left + 5, box.top + 5);
  PostMessageW(Control(kLabel3Id), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  wait_until([&] { return IsWindowVisible(tip); });
  ASSERT_TRUE(IsWindowVisible(tip));
  EXPECT_TRUE(heard_after(L"工\r"));
  EXPECT_EQ(TextOf(tip), L"工 aaaa");
  EXPECT_TRUE(heard_after(L"\r"));
  TerminateProcess(listener.hProcess, 0);
  WaitForSingleObject(listener.hProcess, INFINITE);
  CloseHandle(listener.hProcess);
  CloseHandle(listener.hThread);
  char label[64];
  std::snprintf(label, sizeof(label), "%x %p %ld %ld", EVENT_OBJECT_LIVEREGIONCHANGED,
                static_cast<void*>(Control(kLabel3Id)), LONG{OBJID_CLIENT}, LONG{CHILDID_SELF});
  heard.erase(heard.begin());  // "ready"
  EXPECT_EQ(heard, std::vector<std::string>(heard.size(), label));
}

}  // namespace
