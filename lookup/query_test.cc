// What reaches the query box: the character picked from copied text, and the one character the
// box keeps after any edit.

#include "gtest/gtest.h"
#include "lookup/command_line.h"
#include "lookup/query_box.h"

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

TEST(KeepOneCharacterTest, HoldsOneCharacterWhateverTheEdit) {
  const struct {
    std::u32string_view before, after;
    std::size_t caret;
    std::u32string_view text;
    std::size_t kept_caret;
  } kCases[] = {
      {U"", U"字", 1, U"字", 1},                  // typed into the empty box
      {U"字", U"", 0, U"", 0},                    // deleted
      {U"字", U"中", 1, U"中", 1},                // typed over the selected character
      {U"字", U"字a", 2, U"字", 1},               // typed after it: refused
      {U"字", U"a字", 1, U"字", 0},               // typed in front of it: refused, caret in front
      {U"字", U"汉语字", 2, U"字", 0},            // a phrase in front of it
      {U"", U"汉字", 2, U"汉", 1},                // a paste or a phrase keeps its first character
      {U"字", U"汉字", 2, U"汉", 1},              // also over the selection
      {U"字", U"字字", 2, U"字", 1},              // the same character again
      {U"", U"\U00020000", 1, U"\U00020000", 1},  // outside the Basic Multilingual Plane
      {U"\U00020000", U"\U00020000b", 2, U"\U00020000", 1},
      {U"\U00020000", U"b\U00020000", 1, U"\U00020000", 0},
  };
  for (const auto& c : kCases) {
    const QueryBoxText kept = KeepOneCharacter(c.before, c.after, c.caret);
    EXPECT_EQ(std::pair(kept.text, kept.caret), std::pair(std::u32string(c.text), c.kept_caret))
        << "after " << c.after.size() << " characters, caret " << c.caret;
  }
}

}  // namespace
}  // namespace pavrel
