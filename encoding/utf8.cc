#include "encoding/utf8.h"

namespace pavrel {

std::size_t DecodeUtf8Char(const unsigned char* p, const unsigned char* end, bool more,
                           char32_t& c) {
  const unsigned char first = p[0];
  if (first < 0x80) {
    c = first;
    return 1;
  }
  // The trail bytes still needed, and the range of the next one: narrower after E0, ED, F0 and
  // F4, which rules out overlong forms, surrogates and values past U+10FFFF.
  int needed;
  unsigned char low = 0x80, high = 0xBF;
  char32_t code;
  if (first >= 0xC2 && first <= 0xDF) {
    needed = 1, code = first & 0x1F;
  } else if (first >= 0xE0 && first <= 0xEF) {
    needed = 2, code = first & 0x0F;
    if (first == 0xE0) low = 0xA0;
    if (first == 0xED) high = 0x9F;
  } else if (first >= 0xF0 && first <= 0xF4) {
    needed = 3, code = first & 0x07;
    if (first == 0xF0) low = 0x90;
    if (first == 0xF4) high = 0x8F;
  } else {
    c = U'\uFFFD';
    return 1;
  }
  std::size_t width = 1;
  for (; needed > 0; --needed, ++width, low = 0x80, high = 0xBF) {
    if (p + width == end) {
      if (more) return 0;
      break;
    }
    const unsigned char trail = p[width];
    if (trail < low || trail > high) break;
    code = code << 6 | (trail & 0x3F);
  }
  c = needed == 0 ? code : U'\uFFFD';
  return width;
}

std::size_t DecodeValidUtf8Char(std::string_view bytes, char32_t& c) {
  if (bytes.empty()) return 0;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t width = DecodeUtf8Char(p, p + bytes.size(), false, c);
  // An invalid sequence decodes to U+FFFD too, but never as three bytes from EF: those are always
  // a whole character.
  const bool valid = c != U'\uFFFD' || (width == 3 && p[0] == 0xEF);
  return valid ? width : 0;
}

std::size_t EncodeUtf8Char(char32_t c, char* out) {
  const auto byte = [](char32_t bits) { return static_cast<char>(bits); };
  if (c < 0x80) {
    out[0] = byte(c);
    return 1;
  }
  if (c < 0x800) {
    out[0] = byte(0xC0 | c >> 6), out[1] = byte(0x80 | (c & 0x3F));
    return 2;
  }
  if (c < 0x10000) {
    out[0] = byte(0xE0 | c >> 12), out[1] = byte(0x80 | (c >> 6 & 0x3F));
    out[2] = byte(0x80 | (c & 0x3F));
    return 3;
  }
  out[0] = byte(0xF0 | c >> 18), out[1] = byte(0x80 | (c >> 12 & 0x3F));
  out[2] = byte(0x80 | (c >> 6 & 0x3F)), out[3] = byte(0x80 | (c & 0x3F));
  return 4;
}

void EncodeUtf8Char(char32_t c, std::string& out) {
  char bytes[4];
  out.append(bytes, EncodeUtf8Char(c, bytes));
}

bool DecodeUtf8(std::string_view bytes, std::u32string& text) {
  text.clear();
  char32_t c;
  for (std::size_t i = 0, width; i < bytes.size(); i += width) {
    width = DecodeValidUtf8Char(bytes.substr(i), c);
    if (width == 0) return false;
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
  for (std::size_t i = 0, width; i < bytes.size(); i += width) {
    width =
        static_cast<unsigned char>(bytes[i]) < 0x80 ? 1 : DecodeValidUtf8Char(bytes.substr(i), c);
    if (width == 0) return false;
  }
  return true;
}

std::string EncodeUtf8(std::u32string_view text) {
  std::string bytes;
  for (char32_t c : text) EncodeUtf8Char(c, bytes);
  return bytes;
}

}  // namespace pavrel
