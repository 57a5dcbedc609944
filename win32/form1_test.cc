// Drives the real Win32 window with posted input through the program's message loop.

#include "win32/form1.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <imm.h>
#include <psapi.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "lookup/form_layout.h"
#include "testing/test_files.h"
#include "win32/saved_choices.h"
#include "win32/test_support.h"

namespace {

// A table in code page 936: 字 pbf, 工 aaaa.
constexpr char kTable[] = "\xD7\xD6 pbf\r\n\xB9\xA4 aaaa\r\n";

// Message boxes that appeared, closed from a timer inside their modal loop.
int boxes = 0;

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR, DWORD) {
  for (const HWND box : DialogsOf(GetCurrentThreadId()))
    ++boxes, SendMessageW(box, WM_COMMAND, IDOK, 0);
}

// Input played into the window over the table, and what the window shows afterwards.
const struct {
  const wchar_t* script;
  const wchar_t* query;
  const wchar_t* result;
  int selection_start, selection_end;  // in UTF-16 units
} kFlowCases[] = {
    {L"字\r", L"字", L"字 pbf", 0, 1},
    {L"工\r字", L"字", L"工 aaaa", 1, 1},  // the next one replaces it
    {L"字$工", L"字", L"", 0, 0},          // typed in front: refused
    {L"字\t\t", L"字", L"", 0, 1},         // Tab: to the button and back
    {L"字\t ", L"字", L"字 pbf", 0, 1},
    {L"字\x1b", L"字", L"", 1, 1},                // Escape closes nothing
    {L"\U00020000$x", L"\U00020000", L"", 0, 0},  // a surrogate pair is one
    {L"\U00020000%x", L"\U00020000", L"", 0, 0},  // Left, which Wine stops in its middle
    {L"\U00020000\r", L"\U00020000", L"无法查询", 0, 2},
    {L"字\r\x16", L"甲", L"字 pbf", 1, 1},  // a paste (Ctrl+V) brings the copy's character
    {L"字\r\1", L"甲", L"字 pbf", 1, 1},    // an input method's phrase keeps its first
    {L"\2", L"甲", L"", 1, 1},              // also when it arrives as characters
    {L"字工\x1a", L"", L"", 0, 0},          // Ctrl+Z undoes 字 after 工 was refused
};

TEST(Form1Test, KeyboardMouseDpiAndClipboard) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kChoicesKey);  // no mode remembered: both start off
  pavrel::TempDir dir;
  dir.Write("data.txt", kTable);
  // Another program's window, where the user copies.
  const HWND other = CreateWindowExW(0, WC_EDITW, L"", WS_OVERLAPPEDWINDOW | ES_MULTILINE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
  Form1 form;
  const HWND window = form.Create(GetModuleHandleW(nullptr));
  ASSERT_NE(window, nullptr);
  const auto control = [&](int id) { return GetDlgItem(window, id); };
  // Posts the script and dispatches it as the program's message loop does. Enter, Tab, Escape,
  // Space, Home and Left (whose characters are their key codes: $ and %) are pressed; an input
  // method gives 甲乙 as one result at \1, as characters at \2; any other character is typed.
  const auto play = [&](const std::wstring& script) {
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
    for (const wchar_t c : script + L'\0') {
      if (std::wstring_view(L"\r\t\x1b $%").find(c) != std::wstring_view::npos) {
        PostMessageW(GetFocus(), WM_KEYDOWN, c, 1);
        PostMessageW(GetFocus(), WM_KEYUP, c, 0xC0000001);
      } else if (c == L'\1') {
        const HIMC context = ImmGetContext(GetFocus());
        ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(L"甲乙"), 4, nullptr, 0);
        ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
        ImmReleaseContext(GetFocus(), context);
      } else if (c == L'\2') {
        for (const wchar_t unit : {L'甲', L'乙'}) PostMessageW(GetFocus(), WM_IME_CHAR, unit, 1);
      } else if (c != L'\0') {
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
      }
      WaitFor([] { return true; }, window);
    }
    KillTimer(nullptr, timer);
  };
  const auto copy = [&](const wchar_t* text) { Copy(other, text), play(L""); };
  play(L"");
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(GetFocus(), control(kText1Id));
  // Screen readers name the query box by the static control before it in z-order.
  EXPECT_EQ(GetWindow(control(kText1Id), GW_HWNDPREV), control(ControlId(pavrel::kPromptLabel)));
  Copy(other, L"“甲乙”");  // for the paste
  for (const auto& c : kFlowCases) {
    SetWindowTextW(control(kText1Id), L"");
    SetWindowTextW(control(kLabel3Id), L"");
    SetFocus(control(kText1Id));
    play(c.script);
    EXPECT_EQ(TextOf(control(kText1Id)), c.query) << c.script;
    EXPECT_EQ(TextOf(control(kLabel3Id)), c.result) << c.script;
    EXPECT_EQ(GetFocus(), control(kText1Id)) << c.script;
    EXPECT_EQ(SendMessageW(control(kText1Id), EM_GETSEL, 0, 0),
              MAKELRESULT(c.selection_start, c.selection_end))
        << c.script;
  }
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
  // A short record shows as it is.
  form.SetResultText(U"字 pbf");
  EXPECT_EQ(LabelInk(control(kLabel3Id)), LabelInk(control(kLabel3Id), L"字 pbf"));
  // Its face tells a code's l, 1 and I apart.
  const auto ink = [&](const wchar_t* text) { return LabelInk(control(kLabel3Id), text); };
  EXPECT_TRUE(ink(L"l") != ink(L"1") && ink(L"l") != ink(L"I") && ink(L"1") != ink(L"I"));
  // A right-click on 查询 opens the menu and leaves the keyboard in the query box: typing goes
  // on there, and Space runs no lookup.
  RECT box;
  GetWindowRect(control(kCommand1Id), &box);
  SetCursorPos(box.left + 5, box.top + 5);
  INPUT click[2] = {};
  click[0].type = click[1].type = INPUT_MOUSE;
  click[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  click[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, click, sizeof(INPUT));
  const UINT_PTR menu_timer = SetTimer(nullptr, 0, 50, CloseMenu);
  EXPECT_TRUE(WaitFor([] { return menus == 1; }, window));
  KillTimer(nullptr, menu_timer);
  EXPECT_EQ(GetFocus(), control(kText1Id));
  SetWindowTextW(control(kLabel3Id), L"");
  play(L"工 ");
  EXPECT_EQ(TextOf(control(kText1Id)), L"工");
  EXPECT_EQ(TextOf(control(kLabel3Id)), L"");
  // Activated again, the window gives the keyboard back to the control that had it.
  for (const int id : {kText1Id, kCommand1Id}) {
    SetFocus(control(id));
    Activate(other);
    Activate(window);
    EXPECT_EQ(GetFocus(), control(id));
  }
  // With the mouse resting on the result, the open tooltip follows each new record.
  HWND tip = nullptr;
  do tip = FindWindowExW(nullptr, tip, TOOLTIPS_CLASSW, nullptr);
  while (tip != nullptr && GetWindow(tip, GW_OWNER) != window);
  GetWindowRect(control(kLabel3Id), &box);
  SetCursorPos(box.left + 5, box.top + 5);
  PostMessageW(control(kLabel3Id), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(tip); }, window));
  // Enter is given to the query box itself: a late activation under Wine may move the keyboard.
  SetWindowTextW(control(kText1Id), L"工");
  PostMessageW(control(kText1Id), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_TRUE(WaitFor([&] { return TextOf(tip) == L"工 aaaa"; }, window));

  // Moved to a monitor at 120, 192, then 144 dpi, each time in one move to the rectangle that
  // Windows suggests, the window shows the credit line whole; at 144 dpi, the client area,
  // controls, fonts and icons have grown by half (taller: Wine's caption stays at 96 dpi).
  for (const UINT dpi : {96u, 120u, 192u, 144u}) {
    SIZE size{};
    ASSERT_TRUE(SendMessageW(window, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&size)));
    const RECT suggested{40, 50, 40 + size.cx, 50 + size.cy};
    if (dpi != 96) {
      SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
      GetWindowRect(window, &box);
      EXPECT_TRUE(EqualRect(&box, &suggested)) << dpi;
    }
    const HWND credit = control(ControlId(pavrel::kCredit));
    RECT needed{}, shown{};
    GetClientRect(credit, &shown);
    const HDC dc = GetDC(credit);
    SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(credit, WM_GETFONT, 0, 0)));
    DrawTextW(dc, TextOf(credit).c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX);
    ReleaseDC(credit, dc);
    EXPECT_TRUE(needed.bottom <= shown.bottom && needed.right <= shown.right) << dpi;
  }
  const auto scale = [](int pixels) { return MulDiv(pixels, 3, 2); };
  const auto icon_width = [&](WPARAM which) {  // its bitmaps may leak in a test
    ICONINFO info{};
    BITMAP bitmap{};
    GetIconInfo(reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0)), &info);
    return GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap) ? bitmap.bmWidth : 0L;
  };
  GetClientRect(window, &box);
  EXPECT_EQ(box.right, scale(pavrel::kClientWidth));
  EXPECT_GE(box.bottom, scale(pavrel::kClientHeight));
  EXPECT_EQ(icon_width(ICON_SMALL), GetSystemMetricsForDpi(SM_CXSMICON, 144));
  EXPECT_EQ(icon_width(ICON_BIG), GetSystemMetricsForDpi(SM_CXICON, 144));
  // The window font is the message font at that DPI, also once the user has changed it (here for
  // this session only); the Song face is SimSun.
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  NONCLIENTMETRICSW changed = metrics;
  changed.lfMessageFont.lfHeight -= 3;
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(changed), &changed, 0);
  SendMessageW(window, WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0);
  SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(changed), &changed, 0, 144);
  SystemParametersInfoW(SPI_SETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  for (int index = 0; index < static_cast<int>(std::size(pavrel::kControls)); ++index) {
    const pavrel::ControlLayout& layout = pavrel::kControls[index];
    const pavrel::Box described = pavrel::GrownBox(index, 0);
    const pavrel::FontStyle& style = FontOf(layout.font);
    GetWindowRect(control(ControlId(index)), &box);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&box), 2);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control(ControlId(index)), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_EQ(
        std::vector<LONG>(
            {box.left, box.top, box.right - box.left, box.bottom - box.top, font.lfHeight}),
        std::vector<LONG>({scale(described.left), scale(described.top), scale(described.width),
                           scale(described.height),
                           style.song ? -scale(style.pixels) : changed.lfMessageFont.lfHeight}))
        << layout.name;
    EXPECT_STREQ(font.lfFaceName, style.song    ? L"SimSun"
                                  : style.codes ? L"Courier New"
                                                : changed.lfMessageFont.lfFaceName)
        << layout.name;
  }

  // Switched on and off by the system menu's item, the window looks up each copy, leaving the
  // keyboard where the user copied; activated, it gives the query box the keyboard.
  Activate(other);
  copy(L"字");  // off by default: 工 stays
  EXPECT_EQ(TextOf(control(kText1Id)), L"工");
  const HMENU system_menu = GetSystemMenu(window, FALSE);
  SendMessageW(window, WM_SYSCOMMAND, kFollowClipboardCommand, 0);
  copy(L" \t\r\n\u3000\u00a0“字”");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_CHECKED);
  EXPECT_EQ(TextOf(control(kLabel3Id)), L"字 pbf");
  EXPECT_EQ(GetFocus(), other);
  // A phrase of the table that a copy begins with, and a copy that is one word, show its code.
  dir.Write("data.txt",
            "中 khk\r\n很 tvey\r\n好 vbg\r\n的 rqyy\r\n中国 khlg\r\n中华人民共和国 kwwl");
  for (const auto& [copied, shown] : {std::pair{L"中国", L"中国 khlg"},
                                      {L"《中华人民共和国》很大", L"中华人民共和国 kwwl"},
                                      {L"很好的", L"很好的（按规则） tvrq"},
                                      {L"中文", L"中 khk"}}) {  // no 文
    copy(copied);
    EXPECT_EQ(TextOf(control(kLabel3Id)), shown);
  }
  EXPECT_EQ(GetFocus(), other);
  dir.Write("data.txt", kTable);
  copy(L"字");
  // Told of the same copy again, the window does not look it up twice.
  SetWindowTextW(control(kLabel3Id), L"");
  SendMessageW(window, WM_CLIPBOARDUPDATE, 0, 0);
  EXPECT_EQ(TextOf(control(kLabel3Id)), L"");
  // A copy marked secret is left alone; one made while another program has the clipboard open,
  // as other listeners do, is read once that one closes it.
  const auto copy_secret = [&](const std::wstring& text) {
    OpenClipboard(other);
    EmptyClipboard();
    const HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    wcscpy(static_cast<wchar_t*>(GlobalLock(data)), text.c_str());
    GlobalUnlock(data);
    SetClipboardData(CF_UNICODETEXT, data);
    SetClipboardData(RegisterClipboardFormatW(L"ExcludeClipboardContentFromMonitorProcessing"),
                     GlobalAlloc(GMEM_MOVEABLE, 1));
    CloseClipboard();
    play(L"");
  };
  copy_secret(L"工");
  EXPECT_EQ(TextOf(control(kText1Id)), L"字");
  // A paste reads only the beginning of a large copy (here 16 MiB), in place.
  copy_secret(std::wstring(1 << 23, L'甲'));
  PROCESS_MEMORY_COUNTERS memory{};
  K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  const SIZE_T resident = memory.WorkingSetSize;
  SendMessageW(control(kText1Id), EM_SETSEL, 0, -1);
  SendMessageW(control(kText1Id), WM_PASTE, 0, 0);
  K32GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  EXPECT_LT(memory.PeakWorkingSetSize - resident, SIZE_T{1} << 25);
  EXPECT_EQ(TextOf(control(kText1Id)), L"甲");
  Copy(other, L"工");
  std::thread listener = HoldClipboardOpen(300);
  EXPECT_TRUE(WaitFor([&] { return TextOf(control(kText1Id)) == L"工"; }, window));
  listener.join();
  SendMessageW(window, WM_SYSCOMMAND, kFollowClipboardCommand, 0);
  copy(L"字");
  EXPECT_EQ(TextOf(control(kText1Id)), L"工");
  EXPECT_EQ(GetMenuState(system_menu, kFollowClipboardCommand, MF_BYCOMMAND), MF_UNCHECKED);
  Activate(window);
  EXPECT_EQ(GetFocus(), control(kText1Id));
  EXPECT_EQ(boxes, 0);
  DestroyWindow(other);
}

// 显示全部编码, chosen by its access key in the right-click menu, grows Label3 to a long record
// and moves what is below it down as the window grows, also while minimized and at 144 dpi, up
// to the screen's height; the next window remembers it, and switched off in the system menu it
// gives back the described window.
TEST(Form1Test, ShowsEveryCodeOnRequestAndRemembersTheChoice) {
  RegDeleteTreeW(HKEY_CURRENT_USER, kChoicesKey);
  pavrel::TempDir dir;
  std::string record = "\xB5\xC4";  // 的
  for (int i = 0; i < 400; ++i) record += " rqyy";
  dir.Write("data.txt", record);
  // The heights of the client area and Label3, and the top of Command1, after a lookup of 的.
  const auto look_up = [](HWND window, bool minimized = false) {
    if (minimized) ShowWindow(window, SW_MINIMIZE);
    SetWindowTextW(GetDlgItem(window, kText1Id), L"的");
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCommand1Id, BN_CLICKED), 0);
    if (minimized) ShowWindow(window, SW_RESTORE);
    RECT client, label, button;
    GetClientRect(window, &client);
    GetWindowRect(GetDlgItem(window, kLabel3Id), &label);
    GetWindowRect(GetDlgItem(window, kCommand1Id), &button);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&button), 2);
    return std::vector<LONG>({client.bottom, label.bottom - label.top, button.top});
  };
  const std::vector<LONG> described = {98, 17, 64};
  // Label3 cuts the long record with an ellipsis, while every code is shown it wraps it whole.
  const auto ends_in_ellipsis = [](HWND window) {
    const HWND label = GetDlgItem(window, kLabel3Id);
    const std::vector<std::string> shown = LabelInk(label), dots = LabelInk(label, L"...");
    return shown.size() > dots.size() && std::equal(dots.rbegin(), dots.rend(), shown.rbegin());
  };
  {
    Form1 form;
    const HWND window = form.Create(GetModuleHandleW(nullptr));
    EXPECT_EQ(look_up(window), described);
    EXPECT_TRUE(ends_in_ellipsis(window));
    RECT label;
    GetWindowRect(GetDlgItem(window, kLabel3Id), &label);
    PostMessageW(window, WM_CHAR, L'a', 1);  // read by the menu's own loop
    SendMessageW(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(GetDlgItem(window, kLabel3Id)),
                 MAKELPARAM(label.left + 5, label.top + 5));
  }
  Form1 form;
  const HWND window = form.Create(GetModuleHandleW(nullptr), SW_SHOWMAXIMIZED);
  EXPECT_FALSE(IsZoomed(window));  // of fixed size, it opens normally
  const std::vector<LONG> grown = look_up(window, true);
  const LONG growth = grown[1] - 17;
  EXPECT_GE(growth, 17);  // three lines at least
  EXPECT_EQ(grown, std::vector<LONG>({98 + growth, 17 + growth, 64 + growth}));
  EXPECT_FALSE(ends_in_ellipsis(window));
  SendMessageW(window, WM_SYSCOMMAND, kAllCodesCommand, 0);
  EXPECT_EQ(look_up(window), described);
  EXPECT_FALSE(SavedChoice(pavrel::kAllCodesItem));
  form.SetAllCodes(true);
  SIZE size{};
  SendMessageW(window, WM_GETDPISCALEDSIZE, 144, reinterpret_cast<LPARAM>(&size));
  RECT work, box;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const RECT suggested{work.left, work.top, work.left + size.cx, work.top + size.cy};
  ShowWindow(window, SW_MINIMIZE);
  SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
  ShowWindow(window, SW_RESTORE);
  GetWindowRect(window, &box);
  EXPECT_TRUE(EqualRect(&box, &suggested));
  EXPECT_LE(box.bottom, work.bottom);
  RegDeleteTreeW(HKEY_CURRENT_USER, kChoicesKey);
}

}  // namespace
