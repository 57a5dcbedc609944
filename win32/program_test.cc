// Runs pavrel.exe itself beside this test, which plays the user's other programs and a screen
// reader.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "testing/test_files.h"
#include "win32/test_support.h"

namespace {

// Starts a program in the current directory, shown as `show` asks. Wine runs an X program
// without a process handle.
PROCESS_INFORMATION Spawn(const std::filesystem::path& program, std::wstring command_line,
                          WORD show = SW_SHOWDEFAULT) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process));
  return process;
}

// Starts pavrel.exe, which lies in the folder above this test's.
PROCESS_INFORMATION Start(const std::wstring& arguments, WORD show = SW_SHOWDEFAULT) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  return Spawn(std::filesystem::path(self).parent_path().parent_path() / "pavrel.exe",
               L"pavrel.exe " + arguments, show);
}

// The process's exit code once it ends within `milliseconds`; else it is ended, still active.
int ExitCode(const PROCESS_INFORMATION& process, DWORD milliseconds) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  }
  TerminateProcess(process.hProcess, code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// A window program has no console: it answers its command line in a box, its help in the lines
// it was written in, and a lookup with the window's answer and its exit code.
TEST(ProgramTest, AnswersItsCommandLineInABox) {
  pavrel::TempDir dir;
  dir.Write("data.txt", "\xD7\xD6 pbf\r\n");  // 字 pbf
  for (const auto& [arguments, text_begins, exit_code] :
       {std::tuple{L"--version", L"pavrel " PAVREL_VERSION, 0},
        {L"--follow-clipboard x", L"多余的参数“x”。", 2},
        {L"/? --version", L"用法：pavrel.exe", 0},
        {L"--all-codes --lookup 字", L"字 pbf", 0},
        {L"--lookup 工", L"无法查询", 1},
        {L"--lookup 字字", L"字字（按规则） pbpb", 8},
        {L"--lookup 字", L"当前目录下缺少 data.txt 文件！", 3},
        {L"--lookup 字", L"当前目录下的 data.txt 不是文件！", 4}}) {
    if (exit_code == 3) std::filesystem::remove("data.txt");
    if (exit_code == 4) std::filesystem::create_directory("data.txt");
    const PROCESS_INFORMATION pavrel = Start(arguments);
    std::vector<HWND> boxes;   // pavrel.exe's, no other program's
    EXPECT_TRUE(WaitFor([&] {  // shown once it holds its text
      boxes = DialogsOf(pavrel.dwThreadId);
      return boxes.size() == 1 && IsWindowVisible(boxes[0]);
    }));
    const HWND text = GetDlgItem(boxes.empty() ? nullptr : boxes[0], 0xFFFF);
    EXPECT_TRUE(TextOf(text).starts_with(text_begins)) << arguments;
    if (*arguments == L'/') {
      std::wstring help(1 << 14, L'\0');  // another program's: only WM_GETTEXT reads it
      SendMessageW(text, WM_GETTEXT, help.size(), reinterpret_cast<LPARAM>(help.data()));
      help.resize(help.find(L'\0'));
      EXPECT_EQ(SendMessageW(text, EM_GETLINECOUNT, 0, 0), std::ranges::count(help, L'\n') + 1);
      EXPECT_TRUE(GetWindowLongW(text, GWL_STYLE) & WS_TABSTOP);       // Tab reaches it
      EXPECT_EQ(SendMessageW(text, EM_GETFIRSTVISIBLELINE, 0, 0), 0);  // from its Chinese top
    }
    if (!boxes.empty()) SendMessageW(boxes[0], WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(pavrel, 5000), exit_code) << arguments;
  }
}

// The controls whose live region changed, as a screen reader's out-of-context hook hears of them.
std::vector<HWND> live_changes;

void CALLBACK HearLiveRegion(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                             DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) live_changes.push_back(hwnd);
}

TEST(ProgramTest, StartsAsAskedFollowsCopiesForScreenReadersOneBoxAtATimeAndEndsWhenClosed) {
  pavrel::TempDir dir;
  dir.Write("data.txt", "\xD7\xD6 pbf\r\n\xB9\xA4 aaaa\r\n");  // 字 pbf, 工 aaaa
  // Started minimized, as a shortcut or `start /min` may ask; restored, it is on top.
  const PROCESS_INFORMATION pavrel = Start(L"--follow-clipboard", SW_SHOWMINNOACTIVE);
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                      HearLiveRegion, pavrel.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
  HWND form = nullptr;
  ASSERT_TRUE(WaitFor([&] {  // the started program's window, not a Pavrel the user runs
    form = nullptr;
    do form = FindWindowExW(nullptr, form, L"Form1", nullptr);
    while (form != nullptr && GetWindowThreadProcessId(form, nullptr) != pavrel.dwThreadId);
    return form != nullptr && IsIconic(form);
  }));
  ShowWindow(form, SW_RESTORE);
  Activate(form);
  EXPECT_TRUE(!IsIconic(form) && (GetWindowLongW(form, GWL_EXSTYLE) & WS_EX_TOPMOST));
  const HWND query = GetDlgItem(form, kText1Id);
  const HWND label = GetDlgItem(form, kLabel3Id);
  const HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW, 300, 300, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr);
  // Under Wine the window manager may carry out the form's activation late, after the other
  // window's: it is activated again once that has had time to arrive.
  Activate(other);
  Sleep(500);
  Activate(other);
  // Copied in an X program, 人 is missing, then 工 twice: each result is heard, the same one too.
  for (const auto& [copied, result] : {std::pair{"\xE4\xBA\xBA", L"无法查询"},
                                       {"\xE5\xB7\xA5", L"工 aaaa"},
                                       {"\xE5\xB7\xA5", L"工 aaaa"}}) {
    dir.Write("copied.txt", copied);  // UTF-8
    Spawn(L"Z:\\usr\\bin\\xclip", L"xclip -selection clipboard copied.txt");
    const std::size_t heard = live_changes.size();
    EXPECT_TRUE(WaitFor([&] { return TextOf(label) == result && live_changes.size() > heard; }))
        << result;
  }
  // A lookup by Enter (not a copy: Wine may tell of one twice) is heard once, for its last
  // caption. Its events come before the caption can be read from here.
  for (const auto& [typed, result] :
       {std::pair{L"工", L"工 aaaa"}, {L"工", L"工 aaaa"}, {L"人", L"无法查询"}}) {
    SendMessageW(query, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
    SendMessageW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    const std::size_t heard = live_changes.size();
    PostMessageW(query, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(WaitFor([&] { return TextOf(label) == result; })) << typed;
    WaitFor([] { return true; });
    EXPECT_EQ(live_changes.size(), heard + 1) << typed;
  }
  UnhookWinEvent(hook);
  EXPECT_EQ(live_changes, std::vector<HWND>(live_changes.size(), label));
  // Pavrel took the keyboard from no one (where Wine's foreground went, under the X window
  // manager, is not Pavrel's to say).
  EXPECT_NE(GetForegroundWindow(), form);
  EXPECT_EQ(GetFocus(), other);

  // Without a table it can use one box says why: a copy while it is open adds none, one that finds
  // the table closes it, Enter shows it again, here for a folder in the table's place. Copying
  // here ends xclip, which holds ctest's output.
  constexpr wchar_t kMissing[] = L"当前目录下缺少 data.txt 文件！";
  enum { kNone, kEmpty, kFolder };
  for (const auto& [copied, table, message] :
       {std::tuple{L"工", kNone, kMissing},
        {L"字", kNone, kMissing},
        {L"工", kEmpty, L""},
        {L"", kFolder, L"当前目录下的 data.txt 不是文件！"}}) {
    std::filesystem::remove("data.txt");
    if (table == kEmpty) dir.Write("data.txt", "");
    if (table == kFolder) std::filesystem::create_directory("data.txt");
    *copied ? Copy(other, copied) : void(PostMessageW(query, WM_KEYDOWN, VK_RETURN, 1));
    EXPECT_TRUE(WaitFor([&] {
      const std::vector<HWND> boxes = DialogsOf(pavrel.dwThreadId);
      return boxes.size() == (*message ? 1u : 0u) &&
             (boxes.empty() || TextOf(GetDlgItem(boxes[0], 0xFFFF)) == message) &&
             (!*copied || TextOf(query) == copied);
    })) << copied;
  }
  SendMessageW(form, WM_CLOSE, 0, 0);  // as another program closes it, the box open
  EXPECT_EQ(ExitCode(pavrel, 1000), 0);
  DestroyWindow(other);
}

}  // namespace
