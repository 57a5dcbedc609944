// The rule by which a window that follows the clipboard picks what to look up from copied text,
// the same on every platform. The query box gets the copy's first character that is neither
// ASCII, white space, punctuation, a symbol, a control, a format character, a mark (which only
// changes the character before it) nor default ignorable (shown as nothing: variation
// selectors, Hangul fillers), so that “字”, 《红楼梦》, "\u00A0中国" and "❤\uFE0F字" look up 字,
// 红, 中 and 字. The text from that character on may begin with a phrase of the table, and the
// copy may be one word (word_lookup.h). Only the beginning of a copy is read, however large.

#ifndef PAVREL_LOOKUP_COPIED_TEXT_H_
#define PAVREL_LOOKUP_COPIED_TEXT_H_

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pavrel {

// How much of a copy the window reads: its first 4 KiB. A copy whose character comes later
// looks up nothing.
constexpr std::size_t kCopiedTextBytes = 4096;

// How many characters of a copy, from its first character on, are kept: more than any phrase.
constexpr std::size_t kCopiedTextLength = 64;

// The longest and shortest copy that is looked up as one word, in characters.
constexpr std::size_t kLongestCopiedWord = 8;

// True for a character that copied text is looked up by.
bool IsCopiedCharacter(char32_t c);

// What a copy asks to look up.
struct CopiedText {
  std::u32string text;       // from its first character on, at most kCopiedTextLength of them
  bool plain_before = true;  // only blanks and punctuation come before that character
  bool whole = true;         // only blanks and punctuation follow `text` in the copy
};

// Builds a CopiedText from the characters of a copy, one at a time.
class CopiedTextBuilder {
 public:
  // Takes the copy's next character; returns false when no more are wanted.
  bool Take(char32_t c);
  // The copy read, which went on beyond the characters taken unless `ended`; nothing when no
  // character was one to look up by (a copy that is not text ends before one).
  std::optional<CopiedText> Finish(bool ended);

 private:
  CopiedText copy_;
};

// What the beginning of a copy in UTF-8 asks to look up. Nothing when it holds no character to
// look up by, or when a byte before it is not valid UTF-8: such a copy is not text. An invalid or
// cut sequence after it ends the text, as does the end of kCopiedTextBytes.
std::optional<CopiedText> ReadCopiedText(std::string_view utf8);

// The same for UTF-16 units (char16_t, or Windows' wchar_t); a lone surrogate is as an invalid
// UTF-8 sequence.
template <typename Unit>
std::optional<CopiedText> ReadCopiedText(std::basic_string_view<Unit> utf16) {
  CopiedTextBuilder builder;
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = static_cast<char16_t>(utf16[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size()) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
    }
    if ((c >= 0xD800 && c <= 0xDFFF) || !builder.Take(c)) return builder.Finish(false);
  }
  return builder.Finish(utf16.size() < kCopiedTextBytes / 2);
}

// The character that a copy asks to put in the query box: its text's first.
template <typename Text>
std::optional<char32_t> CopiedCharacter(Text copy) {
  const std::optional<CopiedText> read = ReadCopiedText(copy);
  if (!read) return std::nullopt;
  return read->text[0];
}

// The word that a copy is, if it is one: two to kLongestCopiedWord Chinese characters, whole,
// and nothing else in the copy but blanks and punctuation around them. Empty if it is none.
std::u32string_view CopiedWord(const CopiedText& copy);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_COPIED_TEXT_H_
