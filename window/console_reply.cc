#include "window/console_reply.h"

#include <unistd.h>

#include <QString>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#include "encoding/console_language.h"
#include "lookup/console_lookup.h"

namespace {

std::string Utf8(const std::u32string& text) {
  return QString::fromStdU32String(text).toStdString();
}

// The record as a terminal shows it: each control character written out, ESC as \x1B, so that a
// table cannot command the terminal it is read on (ESC ] 0 ; retitles it, ESC [ 2 J clears it,
// CR writes over the line) and the reader sees what the table holds. A tab stays, spacing the
// record as in the window.
std::u32string ShownOnTerminal(const std::u32string& record) {
  std::u32string shown;
  for (const char32_t c : record) {
    if ((c < U' ' && c != U'\t') || (c >= 0x7F && c < 0xA0)) {
      char escape[5];
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned>(c));
      shown.append(escape, escape + 4);
    } else {
      shown += c;
    }
  }
  return shown;
}

// The record or 无法查询 on standard output, or the table's message on standard error. A pipe or
// a file gets the record's bytes as they are.
int ReplyToLookup(const std::u32string& query) {
  // A reader that goes away is a failed write, not the end of the program.
  std::signal(SIGPIPE, SIG_IGN);
  const pavrel::ConsoleAnswer answer = pavrel::LookUpInConsole(query);
  if (answer.message) {
    std::cerr << Utf8(answer.text) << '\n';
    return answer.status;
  }
  const std::u32string& shown = isatty(STDOUT_FILENO) ? ShownOnTerminal(answer.text) : answer.text;
  if (std::cout << Utf8(shown) << '\n' << std::flush) return answer.status;
  std::cerr << "pavrel: could not write to standard output\n";
  return pavrel::kOutputErrorStatus;
}

}  // namespace

std::optional<int> ReplyInConsole(const pavrel::CommandLine& command_line) {
  std::string reply = pavrel::CommandLineReply(command_line);
  switch (command_line.action) {
    case pavrel::CommandLine::Action::kRun:
      return std::nullopt;
    case pavrel::CommandLine::Action::kLookup:
      return ReplyToLookup(command_line.query);
    case pavrel::CommandLine::Action::kError:
      std::cerr << reply;
      return pavrel::kUsageErrorStatus;
    case pavrel::CommandLine::Action::kHelp:
      // The usage in the language of the locale, as other command-line programs give it.
      reply = pavrel::InConsoleLanguage(reply, pavrel::ChineseUsage());
      break;
    case pavrel::CommandLine::Action::kVersion:
      break;
  }
  // A reply that could not be written in full is an error, as in other command-line programs.
  if (std::cout << reply << std::flush) return 0;
  std::cerr << "pavrel: could not write to standard output\n";
  return 1;
}
