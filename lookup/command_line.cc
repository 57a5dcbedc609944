#include "lookup/command_line.h"

namespace pavrel {

namespace {

constexpr char kUsage[] =
    "Usage: pavrel [--follow-clipboard]\n"
    "\n"
    "Opens a small window that stays above the other windows. Type one Chinese\n"
    "character into its box and press Enter: the first entry of the table that\n"
    "begins with it appears, for example \"字 pbf pb\". The table is data.txt in\n"
    "the current folder, text in code page 936 (GBK), read afresh at every lookup.\n"
    "\n"
    "Options:\n"
    "  --follow-clipboard\n"
    "      Look up every character copied in another program: the first character\n"
    "      of the copied text that is not ASCII, blank, punctuation or a symbol.\n"
    "      The other program keeps the keyboard. The window's menu item 跟随剪贴板\n"
    "      switches this on and off.\n"
    "  --help\n"
    "      Show this help and exit.\n"
    "  --version\n"
    "      Show the version and exit.\n";

}  // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
  CommandLine command_line;
  bool options = true;  // "--" ends the options: every argument after it is a plain one
  for (const std::string& argument : arguments) {
    const bool option = options && argument.starts_with("-");
    if (option && argument == "--") {
      options = false;
      continue;
    }
    if (option && argument == "--help") {
      command_line.action = CommandLine::Action::kHelp;
    } else if (option && argument == "--version") {
      command_line.action = CommandLine::Action::kVersion;
    } else if (option && argument == "--follow-clipboard") {
      command_line.follow_clipboard = true;
      continue;
    } else {
      command_line.action = CommandLine::Action::kError;
      command_line.error = (option ? "unknown option '" : "unexpected argument '") + argument + "'";
    }
    break;
  }
  return command_line;
}

std::string CommandLineReply(const CommandLine& command_line) {
  switch (command_line.action) {
    case CommandLine::Action::kHelp:
      return kUsage;
    case CommandLine::Action::kVersion:
      return "pavrel " PAVREL_VERSION "\n";
    case CommandLine::Action::kError:
      return "pavrel: " + command_line.error + "\nTry 'pavrel --help' for more information.\n";
    case CommandLine::Action::kRun:
      break;
  }
  return {};
}

}  // namespace pavrel
