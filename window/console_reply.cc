#include "window/console_reply.h"

#include <QString>
#include <iostream>

#include "lookup/console_lookup.h"

namespace {

std::string Utf8(const std::u32string& text) {
  return QString::fromStdU32String(text).toStdString();
}

// The record or 无法查询 on standard output, or the table's message on standard error.
int ReplyToLookup(const std::u32string& query) {
  const pavrel::ConsoleAnswer answer = pavrel::LookUpInConsole(query);
  if (answer.message) {
    std::cerr << Utf8(answer.text) << '\n';
    return answer.status;
  }
  if (std::cout << Utf8(answer.text) << '\n' << std::flush) return answer.status;
  std::cerr << "pavrel: could not write to standard output\n";
  return pavrel::kOutputErrorStatus;
}

}  // namespace

std::optional<int> ReplyInConsole(const pavrel::CommandLine& command_line) {
  switch (command_line.action) {
    case pavrel::CommandLine::Action::kRun:
      return std::nullopt;
    case pavrel::CommandLine::Action::kLookup:
      return ReplyToLookup(command_line.query);
    case pavrel::CommandLine::Action::kError:
      std::cerr << pavrel::CommandLineReply(command_line);
      return pavrel::kUsageErrorStatus;
    default:
      // A reply that could not be written in full is an error, as in other command-line programs.
      if (std::cout << pavrel::CommandLineReply(command_line) << std::flush) return 0;
      std::cerr << "pavrel: could not write to standard output\n";
      return 1;
  }
}
