#include <windows.h>
// CommandLineToArgvW; it needs windows.h first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "lookup/command_line.h"
#include "win32/form1.h"
#include "win32/text_conversion.h"

namespace {

// The arguments after the program's name, as UTF-8.
std::vector<std::string> Arguments() {
  int count = 0;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> out;
  for (int i = 1; arguments != nullptr && i < count; ++i) out.push_back(ToUtf8(arguments[i]));
  LocalFree(arguments);
  return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const pavrel::CommandLine command_line = pavrel::ParseCommandLine(Arguments());
  if (command_line.action != pavrel::CommandLine::Action::kRun) {
    // A window program has no console: the usage, the version or the error shows in a box.
    const bool error = command_line.action == pavrel::CommandLine::Action::kError;
    MessageBoxW(nullptr, FromUtf8(pavrel::CommandLineReply(command_line)).c_str(), L"Pavrel",
                MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
    return error ? pavrel::kUsageErrorStatus : 0;
  }
  Form1 form;
  const HWND window = form.Create(instance, show);
  if (window == nullptr) return 1;
  form.SetFollowClipboard(command_line.follow_clipboard);
  // The window's destruction posts WM_QUIT, however it comes about.
  MSG message;
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) DispatchFormMessage(window, message);
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}
