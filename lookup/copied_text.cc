#include "lookup/copied_text.h"

#include <algorithm>

#include "encoding/utf8.h"
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
  char32_t c;
  for (std::size_t i = 0, width; i < utf8.size(); i += width) {
    width = DecodeValidUtf8Char(utf8.substr(i), c);
    if (width == 0) return std::nullopt;  // not UTF-8, or cut off at the end
    if (IsCopiedCharacter(c)) return c;
  }
  return std::nullopt;
}

}  // namespace pavrel
