#include <windows.h>
// CommandLineToArgvW; it needs windows.h first.
#include <shellapi.h>

#include <string>
#include <vector>

#include "lookup/command_line.h"
#include "win32/box_reply.h"
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
  const pavrel::CommandLine command_line =
      pavrel::ParseCommandLine(WithWindowsSwitches(Arguments()));
  // A window program has no console: the usage, the version, an error or a lookup shows in a box.
  if (const std::optional<int> status = ReplyInBox(command_line)) return *status;
  Form1 form;
  const HWND window = form.Create(instance, show);
  if (window == nullptr) return 1;
  // An option switches its mode on for this run; otherwise the remembered choice holds.
  if (command_line.follow_clipboard) form.SetFollowClipboard(true);
  if (command_line.all_codes) form.SetAllCodes(true);
  // The window's destruction posts WM_QUIT, however it comes about.
  MSG message;
  BOOL got = 0;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) DispatchFormMessage(window, message);
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}
