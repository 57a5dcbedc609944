#include "encoding/cp936.h"

namespace pavrel {

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
