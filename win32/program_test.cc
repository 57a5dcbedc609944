// Runs pavrel.exe as a program of its own, beside the test's window: its command line, a copy in
// an X program while the test's window has the keyboard, and its end when another program closes
// its window.

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "lookup/test_files.h"
#include "win32/form1.h"

namespace {

// pavrel.exe beside the folder of this test.
std::wstring ProgramPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  folder.resize(folder.rfind(L'\\'));
  folder.resize(folder.rfind(L'\\'));
  return folder + L"\\pavrel.exe";
}

// Waits up to five seconds for `done`, dispatching this thread's messages meanwhile.
bool WaitFor(const std::function<bool()>& done) {
  for (int i = 0; i < 500; ++i) {
    if (done()) return true;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  return done();
}

// The first visible top-level window of class `class_name` that the process has.
HWND WindowOf(DWORD process_id, const wchar_t* class_name) {
  struct Search {
    DWORD process_id;
    const wchar_t* class_name;
    HWND found;
  } search{process_id, class_name, nullptr};
  EnumWindows(
      [](HWND hwnd, LPARAM param) {
        auto& search = *reinterpret_cast<Search*>(param);
        DWORD owner = 0;
        wchar_t name[32] = {};
        GetWindowThreadProcessId(hwnd, &owner);
        GetClassNameW(hwnd, name, 32);
        if (owner != search.process_id || !IsWindowVisible(hwnd) ||
            name != std::wstring(search.class_name))
          return TRUE;
        search.found = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// A window's text, also of another process's window.
std::wstring TextOf(HWND hwnd) {
  wchar_t text[1024] = {};
  DWORD_PTR length = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                      &length);
  return text;
}

// pavrel.exe, started in the current directory; ended when the test ends, if it is still running.
class Program {
 public:
  explicit Program(const std::wstring& arguments) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring command_line = L"pavrel.exe " + arguments;
    EXPECT_TRUE(CreateProcessW(ProgramPath().c_str(), command_line.data(), nullptr, nullptr, FALSE,
                               0, nullptr, nullptr, &startup, &info_));
  }
  ~Program() {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info_.hProcess, 9);
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }

  // Waits for its visible window of the class.
  HWND Window(const wchar_t* class_name) const {
    HWND window = nullptr;
    WaitFor([&] { return (window = WindowOf(info_.dwProcessId, class_name)) != nullptr; });
    return window;
  }

  // Its exit code once it ends within `milliseconds`, else -1.
  int ExitCode(DWORD milliseconds) const {
    DWORD code = 0;
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<int>(code);
  }

 private:
  PROCESS_INFORMATION info_{};
};

// A window program has no console: it answers its command line in a box.
TEST(ProgramTest, AnswersItsCommandLineInABox) {
  const struct {
    const wchar_t* arguments;
    const wchar_t* text_begins;
    int exit_code;
  } kCases[] = {
      {L"--help", L"Usage: pavrel [--follow-clipboard]\n", 0},
      {L"--version", L"pavrel " PAVREL_VERSION, 0},
      {L"--follow-clipboard --verbose",
       L"pavrel: unknown option '--verbose'\nTry 'pavrel --help' for more information.", 2},
      {L"data.txt", L"pavrel: unexpected argument 'data.txt'\n", 2},
  };
  for (const auto& c : kCases) {
    Program pavrel(c.arguments);
    const HWND box = pavrel.Window(L"#32770");
    ASSERT_NE(box, nullptr) << c.arguments;
    EXPECT_EQ(TextOf(box), L"Pavrel") << c.arguments;
    EXPECT_TRUE(TextOf(GetDlgItem(box, 0xFFFF)).starts_with(c.text_begins)) << c.arguments;
    SendMessageW(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(pavrel.ExitCode(5000), c.exit_code) << c.arguments;
  }
}

TEST(ProgramTest, FollowsACopyInAnXProgramAndEndsWhenItsWindowIsClosed) {
  pavrel::TempDir dir;
  dir.Write("data.txt", "\xD7\xD6 pbf\r\n");  // 字 pbf
  dir.Write("copied.txt", "\xE5\xAD\x97");    // 字 in UTF-8
  Program pavrel(L"--follow-clipboard");
  const HWND form = pavrel.Window(L"Form1");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == form; }));
  // Then the user opens another program, where they copy: this test's window.
  const HWND other = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300, 300,
                                     200, 100, nullptr, nullptr, nullptr, nullptr);
  SetForegroundWindow(other);
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other; }));

  // xclip, an X program, copies; Wine passes the change on to Windows programs.
  SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
  const HANDLE copied = CreateFileW(L"copied.txt", GENERIC_READ, FILE_SHARE_READ, &inherit,
                                    OPEN_EXISTING, 0, nullptr);
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = copied;
  PROCESS_INFORMATION xclip{};
  std::wstring command_line = L"xclip -selection clipboard";
  ASSERT_TRUE(CreateProcessW(L"Z:\\usr\\bin\\xclip", command_line.data(), nullptr, nullptr, TRUE, 0,
                             nullptr, nullptr, &startup, &xclip));
  CloseHandle(copied);
  EXPECT_TRUE(WaitFor([&] { return TextOf(GetDlgItem(form, kLabel3Id)) == L"字 pbf"; }));
  EXPECT_EQ(TextOf(GetDlgItem(form, kText1Id)), L"字");
  EXPECT_EQ(GetForegroundWindow(), other);
  EXPECT_EQ(GetFocus(), other);

  // Closed by another program, the window takes its process with it.
  SendMessageW(form, WM_CLOSE, 0, 0);
  EXPECT_EQ(pavrel.ExitCode(1000), 0);
  DestroyWindow(other);
}

}  // namespace
