#include "lookup/command_line.h"

#include "gtest/gtest.h"

namespace pavrel {
namespace {

using Action = CommandLine::Action;

TEST(CommandLineTest, ReadsTheOptionsAndRepliesWithUsageVersionOrError) {
  const struct {
    std::vector<std::string> arguments;
    Action action;
    bool follow_clipboard;
    std::string reply_begins;  // and it ends in a line end
  } kCases[] = {
      {{}, Action::kRun, false, ""},
      {{"--follow-clipboard"}, Action::kRun, true, ""},
      {{"--follow-clipboard", "--follow-clipboard"}, Action::kRun, true, ""},
      {{"--help"}, Action::kHelp, false, "Usage: pavrel [--follow-clipboard]\n"},
      {{"--follow-clipboard", "--help", "x"}, Action::kHelp, true, "Usage: "},
      {{"--version", "--help"}, Action::kVersion, false, "pavrel " PAVREL_VERSION "\n"},
      {{"--follow"},
       Action::kError,
       false,
       "pavrel: unknown option '--follow'\nTry 'pavrel --help'"},
      {{"-h"}, Action::kError, false, "pavrel: unknown option '-h'\n"},
      {{"data.txt", "--help"}, Action::kError, false, "pavrel: unexpected argument 'data.txt'\n"},
      {{""}, Action::kError, false, "pavrel: unexpected argument ''\n"},
      {{"字"}, Action::kError, false, "pavrel: unexpected argument '字'\n"},
  };
  for (const auto& c : kCases) {
    const std::string what = c.arguments.empty() ? "(none)" : c.arguments[0];
    const CommandLine command_line = ParseCommandLine(c.arguments);
    EXPECT_EQ(command_line.action, c.action) << what;
    EXPECT_EQ(command_line.follow_clipboard, c.follow_clipboard) << what;
    const std::string reply = CommandLineReply(command_line);
    EXPECT_TRUE(reply.starts_with(c.reply_begins)) << what << ": " << reply;
    EXPECT_EQ(reply.empty() ? '\n' : reply.back(), '\n') << what;
  }
  // The usage names every option and the table.
  const std::string usage = CommandLineReply(ParseCommandLine({"--help"}));
  for (const char* word : {"--follow-clipboard", "--help", "--version", "data.txt", "跟随剪贴板"}) {
    EXPECT_NE(usage.find(word), std::string::npos) << word;
  }
}

TEST(CommandLineTest, CopiedTextGivesItsFirstNonBlankCharacterUnlessAscii) {
  const struct {
    std::u32string text;
    std::optional<char32_t> character;
  } kCases[] = {
      {U"字", U'字'},
      {U"中国人", U'中'},
      {U" \t\r\n\u3000\u3000字 pbf", U'字'},
      {U"\U00020000x", U'\U00020000'},
      {U"\uff21", U'\uff21'},  // a full-width letter is not ASCII
      {U"a字", std::nullopt},  // ASCII first
      {U" 1字", std::nullopt},
      {U"", std::nullopt},
      {U" \r\n\u3000", std::nullopt},
      {std::u32string(1, 0xD800) + U"字", std::nullopt},  // a lone surrogate is no character
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CopiedCharacter(c.text), c.character) << c.text.size();
  }
}

}  // namespace
}  // namespace pavrel
