// The lookup command run for a character given on the command line (pavrel --lookup), with no
// window: the outcome as the text the window would show and an exit status.

#ifndef PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
#define PAVREL_LOOKUP_CONSOLE_LOOKUP_H_

#include <string>

namespace pavrel {

struct ConsoleAnswer {
  int status;  // kFoundStatus, kNotFoundStatus or kTableErrorStatus (lookup/command_line.h)
  // The result label's caption (the record, or 无法查询), or for kTableErrorStatus the message.
  std::u32string text;
};

// Looks `query` up in data.txt in the current directory. A record that reads exactly 无法查询
// looks like a miss, in the window too, and counts as one.
ConsoleAnswer LookUpInConsole(const std::u32string& query);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
