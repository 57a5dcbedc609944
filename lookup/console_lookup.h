// The lookup command run for a character or word given on the command line (pavrel --lookup),
// with no window: the outcome as the text the window would show and an exit status.

#ifndef PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
#define PAVREL_LOOKUP_CONSOLE_LOOKUP_H_

#include <string>

namespace pavrel {

struct ConsoleAnswer {
  int status;  // one of the --lookup statuses of lookup/command_line.h
  // The result label's caption (the record, or 无法查询), or the message box's text.
  std::u32string text;
  bool message = false;  // `text` is the message box's: it goes to standard error
};

// Looks `query` up in data.txt in the current directory, a word as LookUpWord does. A record that
// reads exactly 无法查询 looks like a miss, in the window too, and counts as one.
ConsoleAnswer LookUpInConsole(const std::u32string& query);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_CONSOLE_LOOKUP_H_
