#include <QApplication>
#include <iostream>

#include "lookup/command_line.h"
#include "window/form1.h"
#include "window/x11_on_wayland.h"

int main(int argc, char* argv[]) {
  // Read before Qt starts, so that --help and --version need no display.
  const pavrel::CommandLine command_line = pavrel::ParseCommandLine({argv + 1, argv + argc});
  switch (command_line.action) {
    case pavrel::CommandLine::Action::kRun:
      break;
    case pavrel::CommandLine::Action::kError:
      std::cerr << pavrel::CommandLineReply(command_line);
      return pavrel::kUsageErrorStatus;
    default:
      // A reply that could not be written in full is an error, as in other command-line programs.
      if (std::cout << pavrel::CommandLineReply(command_line) << std::flush) return 0;
      std::cerr << "pavrel: could not write to standard output\n";
      return 1;
  }
  PreferX11OnWayland();
  QApplication app(argc, argv);
  Form1 form;
  form.SetFollowClipboard(command_line.follow_clipboard);
  form.show();
  return app.exec();
}
