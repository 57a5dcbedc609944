#include "lookup/cp936.h"

#include "lookup/cp936_table.h"

namespace pavrel {

bool IsCp936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

bool IsCp936TrailByte(unsigned char byte) { return byte >= 0x40 && byte <= 0xFE && byte != 0x7F; }

char32_t DecodeCp936Byte(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte == 0x80) return U'\u20AC';
  return U'\uFFFD';
}

char32_t DecodeCp936Pair(unsigned char lead, unsigned char trail) {
  const std::size_t row = lead - 0x81;
  const std::size_t column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
  return kCp936PairTable[row * kCp936TrailCount + column];
}

std::u32string DecodeCp936(std::string_view bytes) {
  std::u32string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    const auto next = static_cast<unsigned char>(i + 1 < bytes.size() ? bytes[i + 1] : 0);
    if (IsCp936LeadByte(byte) && IsCp936TrailByte(next)) {
      text.push_back(DecodeCp936Pair(byte, next));
      ++i;
    } else {
      text.push_back(DecodeCp936Byte(byte));
    }
  }
  return text;
}

}  // namespace pavrel
