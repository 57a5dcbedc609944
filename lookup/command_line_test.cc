#include "lookup/command_line.h"

#include "gtest/gtest.h"

namespace pavrel {
namespace {

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
