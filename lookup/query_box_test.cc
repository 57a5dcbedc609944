#include "lookup/query_box.h"

#include <gtest/gtest.h>

namespace pavrel {
namespace {

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
    const std::string context =
        "after " + std::to_string(c.after.size()) + " chars, caret " + std::to_string(c.caret);
    EXPECT_EQ(kept.text, c.text) << context;
    EXPECT_EQ(kept.caret, c.kept_caret) << context;
  }
}

}  // namespace
}  // namespace pavrel
