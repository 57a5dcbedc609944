#include "lookup/copied_text.h"

#include <algorithm>

#include "lookup/copied_text_table.h"

namespace pavrel {

bool IsCopiedCharacter(char32_t c) {
  if (c < 0x80 || c > 0x10FFFF) return false;
  const CodePointRange* end = kSkippedInCopiedText + kSkippedInCopiedTextCount;
  // The first range that does not end before c.
  const CodePointRange* range = std::partition_point(
      kSkippedInCopiedText, end, [c](const CodePointRange& r) { return r.last < c; });
  return range == end || c < range->first;
}

std::optional<char32_t> CopiedCharacter(std::string_view utf8) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    // The sequence's length and the least code point it may hold, so that overlong forms fail.
    const int length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (length == 0) return std::nullopt;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
      if (i + k == utf8.size()) return std::nullopt;  // cut off at the end
      const auto unit = static_cast<unsigned char>(utf8[i + k]);
      if ((unit & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (unit & 0x3F);
    }
    constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    if (IsCopiedCharacter(c)) return c;
    i += length;
  }
  return std::nullopt;
}

}  // namespace pavrel
