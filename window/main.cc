#include <QApplication>

#include "lookup/command_line.h"
#include "window/console_reply.h"
#include "window/form1.h"
#include "window/qt_translations.h"
#include "window/x11_on_wayland.h"

int main(int argc, char* argv[]) {
  // Read before Qt starts, so that --help, --version and --lookup need no display.
  const pavrel::CommandLine command_line = pavrel::ParseCommandLine({argv + 1, argv + argc});
  if (const std::optional<int> status = ReplyInConsole(command_line)) return *status;
  PreferX11OnWayland();
  QApplication app(argc, argv);
  InstallQtTranslations(app);
  Form1 form;
  // An option switches its mode on for this run; otherwise the remembered choice holds.
  if (command_line.follow_clipboard) form.SetFollowClipboard(true);
  if (command_line.all_codes) form.SetAllCodes(true);
  form.show();
  return app.exec();
}
