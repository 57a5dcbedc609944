// What pavrel.exe answers in a box instead of opening its window, having no console: the usage
// and the errors in Chinese and English, the version, or a lookup (--lookup).

#ifndef PAVREL_WIN32_BOX_REPLY_H_
#define PAVREL_WIN32_BOX_REPLY_H_

#include <optional>
#include <string>
#include <vector>

#include "lookup/command_line.h"

// The arguments as the shared command line reads them: Windows' help switch /? is --help.
std::vector<std::string> WithWindowsSwitches(std::vector<std::string> arguments);

// Shows the reply and returns the exit status once the box is closed; nothing when the command
// line asks for the window.
std::optional<int> ReplyInBox(const pavrel::CommandLine& command_line);

#endif  // PAVREL_WIN32_BOX_REPLY_H_
