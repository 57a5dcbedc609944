#include "lookup/copied_text.h"

#include <algorithm>

#include "encoding/utf8.h"
#include "lookup/copied_text_table.h"

namespace pavrel {

namespace {

bool InRanges(const CodePointRange* ranges, std::size_t count, char32_t c) {
  const CodePointRange* end = ranges + count;
  // The first range that does not end before c.
  const CodePointRange* range =
      std::partition_point(ranges, end, [c](const CodePointRange& r) { return r.last < c; });
  return range != end && c >= range->first;
}

bool MayStandAroundWord(char32_t c) {
  return InRanges(kAroundCopiedWord, kAroundCopiedWordCount, c);
}

// The Chinese characters a word is made of: the unified and compatibility ideographs of every
// plane, and 〇.
bool IsChineseCharacter(char32_t c) {
  return (c >= 0x3400 && c <= 0x4DBF) || (c >= 0x4E00 && c <= 0x9FFF) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0x20000 && c <= 0x3FFFF) || c == 0x3007;
}

}  // namespace

bool IsCopiedCharacter(char32_t c) {
  return c >= 0x80 && c <= 0x10FFFF &&
         !InRanges(kSkippedInCopiedText, kSkippedInCopiedTextCount, c);
}

bool CopiedTextBuilder::Take(char32_t c) {
  if (copy_.text.empty() && !IsCopiedCharacter(c)) {
    copy_.plain_before = copy_.plain_before && MayStandAroundWord(c);
    return true;
  }
  if (copy_.text.size() == kCopiedTextLength) {
    // Past the text kept, blanks and punctuation leave the copy as whole as it was.
    if (MayStandAroundWord(c)) return true;
    copy_.whole = false;
    return false;
  }
  copy_.text.push_back(c);
  return true;
}

std::optional<CopiedText> CopiedTextBuilder::Finish(bool ended) {
  if (copy_.text.empty()) return std::nullopt;
  copy_.whole = copy_.whole && ended;
  return std::move(copy_);
}

std::optional<CopiedText> ReadCopiedText(std::string_view utf8) {
  CopiedTextBuilder builder;
  char32_t c;
  for (std::size_t i = 0, width; i < utf8.size(); i += width) {
    width = DecodeValidUtf8Char(utf8.substr(i), c);
    // Not UTF-8, or cut off at the end: before the character no text, after it the end.
    if (width == 0) return builder.Finish(false);
    if (!builder.Take(c)) return builder.Finish(false);
  }
  return builder.Finish(utf8.size() < kCopiedTextBytes);
}

std::u32string_view CopiedWord(const CopiedText& copy) {
  if (!copy.plain_before || !copy.whole) return {};
  const std::u32string_view text = copy.text;
  const std::size_t length =
      std::find_if_not(text.begin(), text.end(), IsChineseCharacter) - text.begin();
  if (length < 2 || length > kLongestCopiedWord) return {};
  if (!std::all_of(text.begin() + length, text.end(), MayStandAroundWord)) return {};
  return text.substr(0, length);
}

}  // namespace pavrel
