// Runs pavrel.exe itself beside this test: its command line, a copy made by an X program while
// this test's window has the keyboard, and its end when another program closes its window.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <tuple>

#include "lookup/test_files.h"
#include "win32/test_support.h"

namespace {

// Starts pavrel.exe, which lies in the folder above this test's, in the current directory.
PROCESS_INFORMATION Start(const std::wstring& arguments) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const auto program = std::filesystem::path(self).parent_path().parent_path() / "pavrel.exe";
  std::wstring command_line = L"pavrel.exe " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, 0,
                             nullptr, nullptr, &startup, &process));
  return process;
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

TEST(ProgramTest, FollowsACopyInAnXProgramAndEndsWhenItsWindowIsClosed) {
  pavrel::TempDir dir;
  dir.Write("data.txt", "\xD7\xD6 pbf\r\n");  // 字 pbf
  dir.Write("copied.txt", "\xE5\xAD\x97");    // 字 in UTF-8
  const PROCESS_INFORMATION pavrel = Start(L"--follow-clipboard");
  HWND form = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    return (form = FindWindowW(L"Form1", nullptr)) != nullptr && GetForegroundWindow() == form;
  }));
  // Then the user opens another program and copies there: this test's window, and xclip.
  const HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }));
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = CreateFileW(L"copied.txt", GENERIC_READ, FILE_SHARE_READ, &inherit,
                                  OPEN_EXISTING, 0, nullptr);
  PROCESS_INFORMATION xclip{};  // Wine runs the X program without a process handle
  std::wstring command_line = L"xclip -selection clipboard";
  EXPECT_TRUE(CreateProcessW(L"Z:\\usr\\bin\\xclip", command_line.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &xclip));
  CloseHandle(startup.hStdInput);
  EXPECT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(form, kLabel3Id)) == L"字 pbf"; }));
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
