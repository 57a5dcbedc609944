// Runs pavrel.exe itself beside this test: its command line; copies made by an X program while
// this test's window has the keyboard, each heard by this test as a screen reader hears it; and
// its end when another program closes its window.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "lookup/test_files.h"
#include "win32/test_support.h"

namespace {

// Starts a program in the current directory. Wine runs an X program without a process handle.
PROCESS_INFORMATION Spawn(const std::filesystem::path& program, std::wstring command_line) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process));
  return process;
}

// Starts pavrel.exe, which lies in the folder above this test's.
PROCESS_INFORMATION Start(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const auto folder = std::filesystem::path(self).parent_path().parent_path();
  return Spawn(folder / "pavrel.exe", L"pavrel.exe " + arguments);
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

// A window program has no console: it answers its command line in a box.
TEST(ProgramTest, AnswersItsCommandLineInABox) {
  for (const auto& [arguments, text_begins, exit_code] :
       {std::tuple{L"--version", L"pavrel " PAVREL_VERSION, 0},
        std::tuple{L"--follow-clipboard x", L"pavrel: unexpected argument 'x'\nTry 'pavrel --help'",
                   2}}) {
    const PROCESS_INFORMATION pavrel = Start(arguments);
    HWND box = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Pavrel")) != nullptr; }));
    EXPECT_TRUE(TextOf(GetDlgItem(box, 0xFFFF)).starts_with(text_begins)) << arguments;
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(pavrel, 5000), exit_code) << arguments;
  }
}

// The controls whose live region changed, as a screen reader's out-of-context hook hears of them.
std::vector<HWND> live_changes;

void CALLBACK HearLiveRegion(HWINEVENTHOOK, DWORD, HWND hwnd, LONG object, LONG child, DWORD,
                             DWORD) {
  if (object == OBJID_CLIENT && child == CHILDID_SELF) live_changes.push_back(hwnd);
}

TEST(ProgramTest, FollowsCopiesInAnXProgramForScreenReadersAndEndsWhenItsWindowIsClosed) {
  pavrel::TempDir dir;
  dir.Write("data.txt", "\xD7\xD6 pbf\r\n");  // 字 pbf
  const PROCESS_INFORMATION pavrel = Start(L"--follow-clipboard");
  const HWINEVENTHOOK hook =
      SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                      HearLiveRegion, pavrel.dwProcessId, 0, WINEVENT_OUTOFCONTEXT);
  HWND form = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    return (form = FindWindowW(L"Form1", L"Quorlan")) != nullptr && GetForegroundWindow() == form;
  }));
  const HWND label = GetDlgItem(form, kLabel3Id);
  // Then the user opens another program and copies there: this test's window, and xclip.
  const HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(WaitFor([&] { return SetForegroundWindow(other), GetForegroundWindow() == other; }));
  // 工 is missing, then 字 twice: each result is heard, the same one again as well.
  for (const auto& [copied, result] : {std::pair{"\xE5\xB7\xA5", L"无法查询"},
                                       {"\xE5\xAD\x97", L"字 pbf"},
                                       {"\xE5\xAD\x97", L"字 pbf"}}) {
    dir.Write("copied.txt", copied);  // UTF-8
    Spawn(L"Z:\\usr\\bin\\xclip", L"xclip -selection clipboard copied.txt");
    const std::size_t heard = live_changes.size();
    EXPECT_TRUE(WaitFor([&] { return TextOf(label) == result && live_changes.size() > heard; }))
        << result;
  }
  UnhookWinEvent(hook);
  EXPECT_EQ(live_changes, std::vector<HWND>(live_changes.size(), label));
  EXPECT_EQ(GetForegroundWindow(), other);
  EXPECT_EQ(GetFocus(), other);

  // A copy here ends xclip, which serves its copy until then and holds the output ctest reads.
  OpenClipboard(other);
  EmptyClipboard();
  CloseClipboard();
  SendMessageW(form, WM_CLOSE, 0, 0);  // as another program closes it
  EXPECT_EQ(ExitCode(pavrel, 1000), 0);
  DestroyWindow(other);
}

}  // namespace
