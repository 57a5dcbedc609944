// Runs pavrel.exe itself beside this test: its command line, a copy made by an X program while
// this test's window has the keyboard, and its end when another program closes its window.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "lookup/test_files.h"
#include "win32/form1.h"

namespace {

// Starts pavrel.exe, which lies in the folder above this test's, in the current directory.
PROCESS_INFORMATION Start(std::wstring arguments) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring program = path;
  program.resize(program.rfind(L'\\'));
  program.replace(program.rfind(L'\\'), std::wstring::npos, L"\\pavrel.exe");
  arguments = L"pavrel.exe " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process{};
  EXPECT_TRUE(CreateProcessW(program.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &startup, &process));
  return process;
}

// The process's exit code once it ends within `milliseconds`, else -1 (and it is ended).
int ExitCode(const PROCESS_INFORMATION& process, DWORD milliseconds) {
  DWORD code = static_cast<DWORD>(-1);
  if (WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0) {
    GetExitCodeProcess(process.hProcess, &code);
  } else {
    TerminateProcess(process.hProcess, code);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// Waits up to five seconds for `done`, dispatching this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500 && !done(); ++i) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  return done();
}

// A window's text, also another program's.
std::wstring TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                      nullptr);
  return text;
}

// A window program has no console: it answers its command line in a box.
TEST(ProgramTest, AnswersItsCommandLineInABox) {
  const struct {
    const wchar_t* arguments;
    const wchar_t* text_begins;
    int exit_code;
  } kCases[] = {
      {L"--version", L"pavrel " PAVREL_VERSION, 0},
      {L"--follow-clipboard x", L"pavrel: unexpected argument 'x'\nTry 'pavrel --help'", 2},
  };
  for (const auto& c : kCases) {
    const PROCESS_INFORMATION pavrel = Start(c.arguments);
    HWND box = nullptr;
    EXPECT_TRUE(WaitFor([&] { return (box = FindWindowW(L"#32770", L"Pavrel")) != nullptr; }));
    EXPECT_TRUE(TextOf(GetDlgItem(box, 0xFFFF)).starts_with(c.text_begins)) << c.arguments;
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(ExitCode(pavrel, 5000), c.exit_code) << c.arguments;
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

  SendMessageW(form, WM_CLOSE, 0, 0);  // as another program closes it
  EXPECT_EQ(ExitCode(pavrel, 1000), 0);
  DestroyWindow(other);
}

}  // namespace
