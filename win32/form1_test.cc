// Drives the real Win32 window with posted input through the program's message loop and reads
// back its controls.

#include "win32/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
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

// The message boxes that appeared, dismissed from a timer inside their modal loop.
struct SeenBox {
  std::wstring caption, text;
  HWND owner;
  bool has_icon;
};
std::vector<SeenBox> seen_boxes;

BOOL CALLBACK RecordAndDismissBox(HWND box, LPARAM) {
  wchar_t class_name[16] = {};
  GetClassNameW(box, class_name, 16);
  if (std::wstring(class_name) != L"#32770" || !IsWindowVisible(box)) return TRUE;
  bool has_icon = false;
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    has_icon |= (GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
                SendMessageW(child, STM_GETICON, 0, 0) != 0;
  }
  seen_boxes.push_back(
      {TextOf(box), TextOf(GetDlgItem(box, 0xFFFF)), GetWindow(box, GW_OWNER), has_icon});
  SendMessageW(box, WM_COMMAND, IDOK, 0);
  return TRUE;
}

void CALLBACK DismissBoxes(HWND, UINT, UINT_PTR, DWORD) {
  EnumThreadWindows(GetCurrentThreadId(), RecordAndDismissBox, 0);
}

// Input scripts: these characters stand for keys, a click and a paste; any other is typed.
constexpr wchar_t kEnter = L'\r', kTab = L'\t', kEscape = L'\x1b', kSpace = L' ', kClick = L'\1',
                  kPaste = L'\2';

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    seen_boxes.clear();
    window_ = form_.Create(GetModuleHandleW(nullptr));
    ASSERT_NE(window_, nullptr);
    Pump();
  }

  HWND Control(int id) { return GetDlgItem(window_, id); }
  int FocusedId() { return GetDlgCtrlID(GetFocus()); }

  // Dispatches the queued messages as the program's message loop does.
  void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchFormMessage(window_, message);
  }

  void Press(WPARAM key) {
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
    Pump();
  }

  void Play(const std::wstring& script) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, DismissBoxes);
    for (const wchar_t c : script) {
      if (c == kEnter || c == kTab || c == kEscape || c == kSpace) {
        Press(c == kEnter ? VK_RETURN : c == kTab ? VK_TAB : c == kEscape ? VK_ESCAPE : VK_SPACE);
      } else if (c == kClick) {
        PostMessageW(Control(kCommand1Id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageW(Control(kCommand1Id), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
      } else if (c == kPaste) {  // what a paste or an input method's phrase does
        SendMessageW(Control(kText1Id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"甲乙"));
      } else {
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
      }
      Pump();
    }
    KillTimer(nullptr, timer);
  }

  pavrel::TempDir dir_;
  Form1 form_;
  HWND window_ = nullptr;
};

TEST_F(Form1Test, StartsOnTopWithTheLayoutAndTheFocusInTheQueryBox) {
  EXPECT_EQ(TextOf(window_), L"Quorlan");
  EXPECT_TRUE(IsWindowVisible(window_));
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(GetWindowLongW(window_, GWL_STYLE) & (WS_MAXIMIZEBOX | WS_THICKFRAME));
  RECT client;
  GetClientRect(window_, &client);
  EXPECT_EQ(std::make_pair(client.right, client.bottom), std::make_pair(219L, 98L));
  EXPECT_EQ(FocusedId(), kText1Id);

  struct Expected {
    int id;
    const wchar_t* text;
    RECT box;  // left, top, right, bottom
    bool tab_stop;
    LONG font_height;
    bool italic;
  };
  const Expected kControls[] = {
      {kLabel1Id, L"输入你要查询的汉字：", {8, 16, 137, 33}, false, -12, false},
      {kLabel2Id, L"五笔码查询结果：", {8, 40, 121, 57}, false, -12, false},
      {kText1Id, L"", {136, 8, 209, 33}, true, -16, false},
      {kLabel3Id, L"", {136, 40, 209, 57}, false, -12, false},
      {kCommand1Id, L"查询", {16, 64, 57, 97}, true, -12, false},
      {kLabel4Id, L"Selvanor", {80, 72, 225, 89}, false, -19, true},
  };
  for (const Expected& c : kControls) {
    const HWND control = Control(c.id);
    RECT box;
    GetWindowRect(control, &box);
    MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&box), 2);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(font),
               &font);
    EXPECT_EQ(TextOf(control), c.text) << c.id;
    EXPECT_TRUE(EqualRect(&box, &c.box)) << c.id;
    EXPECT_EQ((GetWindowLongW(control, GWL_STYLE) & WS_TABSTOP) != 0, c.tab_stop) << c.id;
    EXPECT_EQ(font.lfHeight, c.font_height) << c.id;
    EXPECT_EQ(font.lfItalic != 0, c.italic) << c.id;
    EXPECT_EQ(font.lfCharSet, GB2312_CHARSET) << c.id;
    EXPECT_EQ(std::wstring(font.lfFaceName), L"SimSun") << c.id;
  }
  EXPECT_EQ(GetWindowLongW(Control(kCommand1Id), GWL_STYLE) & BS_TYPEMASK, BS_DEFPUSHBUTTON);
}

// Input played into the window over the table, and what the window shows afterwards.
struct FlowCase {
  const wchar_t* script;
  const wchar_t* query;
  const wchar_t* result;
  int focus;
  std::pair<DWORD, DWORD> selection;  // start, end in UTF-16 units
};

const FlowCase kFlowCases[] = {
    {L"字\r", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"工\r字", L"字", L"工 aaaa", kText1Id, {1, 1}},  // the next one replaces it
    {L"字工", L"字", L"", kText1Id, {1, 1}},           // a full box takes no more
    {L"人\r", L"人", L"无法查询", kText1Id, {0, 1}},
    {L"字\t", L"字", L"", kCommand1Id, {1, 1}},  // Tab: to the button only
    {L"字\t\t", L"字", L"", kText1Id, {0, 1}},   // and back
    {L"字\t\r", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\t ", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\1", L"字", L"字 pbf", kText1Id, {0, 1}},
    {L"字\x1b", L"字", L"", kText1Id, {1, 1}},               // Escape closes nothing
    {L"\U00020000x", L"\U00020000", L"", kText1Id, {2, 2}},  // a surrogate pair is whole
    {L"\U00020000\r", L"\U00020000", L"无法查询", kText1Id, {0, 2}},
    {L"\2", L"甲", L"", kText1Id, {1, 1}},  // a paste keeps its first
    {L"字\r\2", L"甲", L"字 pbf", kText1Id, {1, 1}},
};

TEST_F(Form1Test, KeyboardAndMouseFlow) {
  dir_.Write("data.txt", kTable);
  for (const FlowCase& c : kFlowCases) {
    SetWindowTextW(Control(kText1Id), L"");
    SetWindowTextW(Control(kLabel3Id), L"");
    SetFocus(Control(kText1Id));
    Play(c.script);
    DWORD start = 0, end = 0;
    SendMessageW(Control(kText1Id), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(TextOf(Control(kText1Id)), c.query) << c.script;
    EXPECT_EQ(TextOf(Control(kLabel3Id)), c.result) << c.script;
    EXPECT_EQ(FocusedId(), c.focus) << c.script;
    EXPECT_EQ(std::make_pair(start, end), c.selection) << c.script;
  }
  EXPECT_TRUE(IsWindow(window_));
  EXPECT_TRUE(GetWindowLongW(window_, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_TRUE(seen_boxes.empty());
}

TEST_F(Form1Test, MissingTableShowsOneMessageBoxOwnedByTheWindow) {
  Play(L"字\r");
  ASSERT_EQ(seen_boxes.size(), 1u);
  EXPECT_EQ(seen_boxes[0].caption, L"Pavrel");
  EXPECT_EQ(seen_boxes[0].text, L"当前目录下缺少 data.txt 文件！");
  EXPECT_EQ(seen_boxes[0].owner, window_);
  EXPECT_FALSE(seen_boxes[0].has_icon);
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"");

  dir_.Write("data.txt", kTable);
  Play(L"\r");
  EXPECT_EQ(seen_boxes.size(), 1u);
  EXPECT_EQ(TextOf(Control(kLabel3Id)), L"字 pbf");
}

}  // namespace
