#include "encoding/cp936_encoder.h"

#include <array>
#include <cstdint>
#include <memory>

#include "encoding/cp936.h"
#include "encoding/cp936_table.h"

namespace pavrel {
namespace {

// The two bytes (lead << 8 | trail) of every character of the Basic Multilingual Plane that the
// pair table holds, 0 for the others. Built once by inverting the decoder's table.
const std::array<std::uint16_t, 0x10000>& PairsByCharacter() {
  static const auto pairs = [] {
    auto table = std::make_unique<std::array<std::uint16_t, 0x10000>>();
    for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
      for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
        if (!IsCp936TrailByte(trail)) continue;
        const char16_t c = DecodeCp936Pair(lead, trail);
        if (c != u'\uFFFD') (*table)[c] = static_cast<std::uint16_t>(lead << 8 | trail);
      }
    }
    return table;
  }();
  return *pairs;
}

}  // namespace

bool EncodeCp936(char32_t c, std::string& out) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
    return true;
  }
  if (c == U'\u20AC') {
    out.push_back('\x80');
    return true;
  }
  if (c >= 0x10000) return false;
  const std::uint16_t pair = PairsByCharacter()[c];
  if (pair == 0) return false;
  out.push_back(static_cast<char>(pair >> 8));
  out.push_back(static_cast<char>(pair & 0xFF));
  return true;
}

}  // namespace pavrel
