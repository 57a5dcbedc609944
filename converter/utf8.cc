#include "converter/utf8.h"

namespace pavrel {

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  std::u32string text;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    // The number of trail bytes, and the smallest value that needs this many (no overlong forms).
    std::size_t trails;
    char32_t c, least;
    if (lead < 0x80) {
      trails = 0, c = lead, least = 0;
    } else if (lead >= 0xC0 && lead < 0xE0) {
      trails = 1, c = lead & 0x1F, least = 0x80;
    } else if (lead >= 0xE0 && lead < 0xF0) {
      trails = 2, c = lead & 0x0F, least = 0x800;
    } else if (lead >= 0xF0 && lead < 0xF8) {
      trails = 3, c = lead & 0x07, least = 0x10000;
    } else {
      return std::nullopt;
    }
    if (bytes.size() - i - 1 < trails) return std::nullopt;
    for (std::size_t k = 1; k <= trails; ++k) {
      const auto trail = static_cast<unsigned char>(bytes[i + k]);
      if ((trail & 0xC0) != 0x80) return std::nullopt;
      c = c << 6 | (trail & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return std::nullopt;
    text.push_back(c);
    i += trails + 1;
  }
  return text;
}

}  // namespace pavrel
