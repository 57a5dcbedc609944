// The lookup command run for a character given on the command line (pavrel --lookup), with no
// window: the window operations kept in memory, and what the window would show as the answer.

#ifndef PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
#define PAVREL_LOOKUP_CONSOLE_LOOKUP_H_

#include <string>

namespace pavrel {

struct ConsoleAnswer {
  int status;  // kFoundStatus, kNotFoundStatus or kTableErrorStatus (lookup/command_line.h)
  // The result label's caption (the record, or 无法查询), or for kTableErrorStatus the message.
  // Empty when the lookup left the label as it was.
  std::u32string text;
};

// Runs RunLookup for `query` over data.txt in the current directory. A record that reads
// exactly 无法查询 looks like a miss, in the window too, and counts as one.
ConsoleAnswer LookUpInConsole(const std::u32string& query);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
