// The command line of the lookup window, the same on every platform:
//
//   pavrel [--follow-clipboard]    opens the window
//   pavrel --help | --version      tells the usage or the version instead
//
// Each front end only reads its platform's arguments, and shows these texts its own way.

#ifndef PAVREL_LOOKUP_COMMAND_LINE_H_
#define PAVREL_LOOKUP_COMMAND_LINE_H_

#include <string>
#include <vector>

namespace pavrel {

struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kError };
  Action action = Action::kRun;
  bool follow_clipboard = false;  // the window starts following the clipboard
  std::string error;              // kError: what was wrong, in one line
};

// Reads the arguments that follow the program's name, as UTF-8. --help and --version win over
// the arguments after them; the first argument that is not an option, or any after "--", ends
// the reading with an error.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The exit status of a command line that could not be read.
constexpr int kUsageErrorStatus = 2;

// What the program says, in UTF-8 with LF line ends, instead of opening its window: for kHelp
// the usage, for kVersion "pavrel VERSION", for kError the error and a hint to --help. Each ends
// in a line end.
std::string CommandLineReply(const CommandLine& command_line);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_COMMAND_LINE_H_
