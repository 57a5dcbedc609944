// The rule by which a window that follows the clipboard picks the character to look up from
// copied text, the same on every platform: the first character that is neither ASCII, white
// space, punctuation, a symbol, a control, a format character, a mark (which only changes the
// character before it) nor default ignorable (shown as nothing: variation selectors, Hangul
// fillers), so that “字”, 《红楼梦》, "\u00A0中国" and "❤\uFE0F字" look up 字, 红, 中 and 字.
// Only the beginning of a copy is read, however large it is.

#ifndef PAVREL_LOOKUP_COPIED_TEXT_H_
#define PAVREL_LOOKUP_COPIED_TEXT_H_

#include <cstddef>
#include <optional>
#include <string_view>

namespace pavrel {

// How much of a copy the window reads: its first 4 KiB. A copy whose character comes later
// looks up nothing.
constexpr std::size_t kCopiedTextBytes = 4096;

// True for a character that copied text is looked up by.
bool IsCopiedCharacter(char32_t c);

// The character that the beginning of a copy in UTF-8 asks to look up. Nothing when it holds
// none, or when a byte before it is not valid UTF-8: such a copy is not text. A sequence cut off
// at the end, where the beginning was cut from a longer copy, ends it.
std::optional<char32_t> CopiedCharacter(std::string_view utf8);

// The same for UTF-16 units (char16_t, or Windows' wchar_t); a lone surrogate makes it no text.
template <typename Unit>
std::optional<char32_t> CopiedCharacter(std::basic_string_view<Unit> utf16) {
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = static_cast<char16_t>(utf16[i]);
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size()) {
      const char32_t low = static_cast<char16_t>(utf16[i + 1]);
      if (low >= 0xDC00 && low <= 0xDFFF) c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), ++i;
    }
    if (c >= 0xD800 && c <= 0xDFFF) return std::nullopt;
    if (IsCopiedCharacter(c)) return c;
  }
  return std::nullopt;
}

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_COPIED_TEXT_H_
