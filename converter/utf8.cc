#include "converter/utf8.h"

#include "lookup/utf8_char.h"

namespace pavrel {

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
