// What reaches the query box: the character picked from copied text and the word a copy is, and
// the one character the box keeps after any edit.

#include "gtest/gtest.h"
#include "lookup/copied_text.h"
#include "lookup/query_box.h"

namespace pavrel {
namespace {

TEST(CopiedCharacterTest, IsTheFirstThatIsNeitherAsciiBlankPunctuationNorSymbol) {
  const struct {
    std::u8string_view text;
    std::optional<char32_t> character;
    std::u32string_view word = U"";  // the word the copy is
  } kCases[] = {
      {u8"中国人", U'中', U"中国人"},
      {u8"“字”", U'字'},
      {u8"《红楼梦》", U'红', U"红楼梦"},
      {u8"\u3000“中国”。\r\n", U'中', U"中国"},
      {u8"中国，你好", U'中'},
      {u8"→中国", U'中'},  // a symbol is more than punctuation
      {u8"一二三四五六七八", U'一', U"一二三四五六七八"},
      {u8"一二三四五六七八九", U'一'},
      {u8"〇", U'〇'},  // a number that is a letter
      {u8" \t\r\n\u00a0\u3000\u200b\u2028…€→a1字",
       U'字'},                            // blanks, ASCII, symbols, a format character
      {u8"❤\ufe0f字", U'字'},             // an emoji's variation selector
      {u8"x\u0301\u20e3字", U'字'},       // combining marks
      {u8"\u3164\u115f\uffa0字", U'字'},  // Hangul fillers, shown as nothing
      {u8"\U00020000x", U'\U00020000'},
      {u8"\uff21", U'\uff21'},                      // a full-width letter
      {u8"\U000E0001\U0001F600\uE000", U'\uE000'},  // a tag and an emoji: a private use one
      {u8"", std::nullopt},
      {u8"Hello, world! 1 + 1 = 2", std::nullopt},
      {u8"\xff\xfe\x00\x01字", std::nullopt},  // no UTF-8
      {u8"\xc0\xad字", std::nullopt},          // an overlong form
      {u8"\xed\xa0\x80字", std::nullopt},      // an encoded surrogate
      {u8"字\xff", U'字'},                     // read no further than the character
      {u8"ab\xe5\xad", std::nullopt},          // cut off in a character
  };
  for (const auto& c : kCases) {
    const std::string_view utf8(reinterpret_cast<const char*>(c.text.data()), c.text.size());
    EXPECT_EQ(CopiedCharacter(utf8), c.character) << utf8;
    const std::optional<CopiedText> copy = ReadCopiedText(utf8);
    EXPECT_EQ(copy ? CopiedWord(*copy) : U"", c.word) << utf8;
  }
  // The first 4 KiB of a longer copy: what follows may not be blank.
  const std::string cut = std::string(kCopiedTextBytes - 6, ' ') + "中国";
  EXPECT_EQ(CopiedWord(*ReadCopiedText(cut)), U"");
  EXPECT_EQ(CopiedCharacter(std::u16string_view(u"\u3001\U00020000")), U'\U00020000');
  EXPECT_EQ(CopiedCharacter(std::u16string_view(u"\xdc00字")), std::nullopt);  // a lone surrogate
  EXPECT_EQ(CopiedCharacter(std::u16string_view(u"字\xd800")), U'字');
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
  };
  for (const auto& c : kCases) {
    const QueryBoxText kept = KeepOneCharacter(c.before, c.after, c.caret);
    EXPECT_EQ(std::pair(kept.text, kept.caret), std::pair(std::u32string(c.text), c.kept_caret))
        << "after " << c.after.size() << " characters, caret " << c.caret;
  }
}

}  // namespace
}  // namespace pavrel
