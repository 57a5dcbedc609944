// The command line of the lookup window, the same on every platform:
//
//   pavrel [--follow-clipboard] [--all-codes]   opens the window
//   pavrel --lookup TEXT                        prints the record of a character or word
//   pavrel --help | --version                   tells the usage or the version instead
//
// Each front end only reads its platform's arguments, and shows these texts its own way.

#ifndef PAVREL_LOOKUP_COMMAND_LINE_H_
#define PAVREL_LOOKUP_COMMAND_LINE_H_

#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kLookup, kError };
  // kError: what was wrong with `argument`.
  enum class Problem { kNone, kUnknownOption, kUnexpectedArgument, kNoCharacter };
  Action action = Action::kRun;
  bool follow_clipboard = false;  // the window starts following the clipboard, for this run
  bool all_codes = false;         // the window starts showing whole records, for this run
  std::u32string query;           // kLookup: the character or word to look up
  Problem problem = Problem::kNone;
  std::string argument;  // kError: the argument at fault
  std::string error;     // kError: what was wrong, in one line
};

// Reads the arguments that follow the program's name, as UTF-8. --help and --version win over
// the arguments after them; the first argument that is not an option, or any after "--", ends
// the reading with an error, as does a --lookup without text in UTF-8 after it.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// The exit statuses of `pavrel --lookup`, and of a command line that could not be read.
constexpr int kFoundStatus = 0;
constexpr int kNotFoundStatus = 1;
constexpr int kUsageErrorStatus = 2;
constexpr int kTableMissingStatus = 3;
constexpr int kTableNotAFileStatus = 4;
constexpr int kTableUnreadableStatus = 5;
constexpr int kTableBusyStatus = 6;
constexpr int kOutputErrorStatus = 7;  // the answer could not be written
constexpr int kComputedStatus = 8;     // a word's code by the rule, not the table's record

// What the program says, in UTF-8 with LF line ends, instead of opening its window: for kHelp
// the usage, for kVersion "pavrel VERSION", for kError the error and a hint to --help. Each ends
// in a line end.
std::string CommandLineReply(const CommandLine& command_line);

// The usage of kHelp in Simplified Chinese, in UTF-8, for a console whose locale asks for it.
std::string_view ChineseUsage();

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_COMMAND_LINE_H_
