#include "lookup/command_line.h"

#include "gtest/gtest.h"

namespace pavrel {
namespace {

using Action = CommandLine::Action;

// The program's own tests run it with each kind of reply; here, which reply wins.
TEST(CommandLineTest, ReadsTheOptionsUpToTheFirstThatEndsTheReading) {
  const struct {
    std::vector<std::string> arguments;
    Action action;
    bool follow_clipboard;
    std::string reply;
  } kCases[] = {
      {{}, Action::kRun, false, ""},
      {{"--follow-clipboard"}, Action::kRun, true, ""},
      {{"--follow-clipboard", "--version", "x"}, Action::kVersion, true, "pavrel " PAVREL_VERSION},
      {{"--help", "--version"}, Action::kHelp, false, "Usage: pavrel [--follow-clipboard]"},
      {{"-h", "--help"}, Action::kError, false, "pavrel: unknown option '-h'"},
      {{"字"}, Action::kError, false, "pavrel: unexpected argument '字'"},
  };
  for (const auto& c : kCases) {
    const CommandLine command_line = ParseCommandLine(c.arguments);
    EXPECT_EQ(command_line.action, c.action) << c.reply;
    EXPECT_EQ(command_line.follow_clipboard, c.follow_clipboard) << c.reply;
    EXPECT_EQ(CommandLineReply(command_line).substr(0, c.reply.size() + 1),
              c.reply.empty() ? "" : c.reply + '\n');
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
