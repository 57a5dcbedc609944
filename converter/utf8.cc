#include "converter/utf8.h"

#include "lookup/utf8_char.h"

namespace pavrel {
namespace {

// Decodes the character that starts at `bytes[i]` into `c` and moves `i` past it; false when
// the bytes there are not a valid character.
bool DecodeOne(std::string_view bytes, std::size_t& i, char32_t& c) {
  const auto lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) {
    c = lead;
    ++i;
    return true;
  }
  // The number of trail bytes, and the smallest value that needs this many (no overlong forms).
  std::size_t trails;
  char32_t least;
  if (lead >= 0xC0 && lead < 0xE0) {
    trails = 1, c = lead & 0x1F, least = 0x80;
  } else if (lead >= 0xE0 && lead < 0xF0) {
    trails = 2, c = lead & 0x0F, least = 0x800;
  } else if (lead >= 0xF0 && lead < 0xF8) {
    trails = 3, c = lead & 0x07, least = 0x10000;
  } else {
    return false;
  }
  if (bytes.size() - i - 1 < trails) return false;
  for (std::size_t k = 1; k <= trails; ++k) {
    const auto trail = static_cast<unsigned char>(bytes[i + k]);
    if ((trail & 0xC0) != 0x80) return false;
    c = c << 6 | (trail & 0x3F);
  }
  i += trails + 1;
  return c >= least && c <= 0x10FFFF && (c < 0xD800 || c > 0xDFFF);
}

}  // namespace

bool DecodeUtf8(std::string_view bytes, std::u32string& text) {
  text.clear();
  char32_t c;
  for (std::size_t i = 0; i < bytes.size();) {
    if (!DecodeOne(bytes, i, c)) return false;
    text.push_back(c);
  }
  return true;
}

std::optional<std::u32string> DecodeUtf8(std::string_view bytes) {
  std::u32string text;
  if (!DecodeUtf8(bytes, text)) return std::nullopt;
  return text;
}

bool IsUtf8(std::string_view bytes) {
  char32_t c;
  for (std::size_t i = 0; i < bytes.size();) {
    if (static_cast<unsigned char>(bytes[i]) < 0x80) {
      ++i;
    } else if (!DecodeOne(bytes, i, c)) {
      return false;
    }
  }
  return true;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string bytes;
  for (char32_t c : text) EncodeUtf8Char(c, bytes);
  return bytes;
}

}  // namespace pavrel
