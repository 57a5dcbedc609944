// What the program answers on the terminal instead of opening its window: the usage, the
// version, an error in the command line, or a lookup (pavrel --lookup). It needs no display.

#ifndef PAVREL_WINDOW_CONSOLE_REPLY_H_
#define PAVREL_WINDOW_CONSOLE_REPLY_H_

#include <optional>

#include "lookup/command_line.h"

// Writes the reply to standard output or standard error and returns the exit status; nothing
// when the command line asks for the window.
std::optional<int> ReplyInConsole(const pavrel::CommandLine& command_line);

#endif  // PAVREL_WINDOW_CONSOLE_REPLY_H_
