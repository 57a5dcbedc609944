#include "encoding/gb18030.h"

#include <algorithm>
#include <iterator>

#include "encoding/cp936.h"
#include "encoding/cp936_encoder.h"
#include "encoding/gb18030_data.h"

namespace pavrel {
namespace {

constexpr unsigned kLastRangePointer = 39419;
constexpr unsigned kFirstSupplementaryPointer = 189000;
constexpr unsigned kLastSupplementaryPointer = 1237575;
// The one pointer that the ranges do not map: its character has a two-byte code in GB18030.
constexpr unsigned kPrivateUsePointer = 7457;
constexpr char32_t kPrivateUseOfPointer = U'\uE7C7';
constexpr char32_t kNoCharacter = 0xFFFFFFFF;

char32_t DecodePointer(unsigned pointer) {
  if (pointer >= kFirstSupplementaryPointer && pointer <= kLastSupplementaryPointer) {
    return 0x10000 + (pointer - kFirstSupplementaryPointer);
  }
  if (pointer > kLastRangePointer) return kNoCharacter;
  if (pointer == kPrivateUsePointer) return kPrivateUseOfPointer;
  const auto after =
      std::upper_bound(std::begin(kGb18030Ranges), std::end(kGb18030Ranges), pointer,
                       [](unsigned p, const Gb18030Range& range) { return p < range.pointer; });
  const Gb18030Range& range = after[-1];
  return range.code + (pointer - range.pointer);
}

// The pointer whose sequence may decode to `c`; the caller checks that it does, as characters
// with a two-byte code fall inside the ranges' spans too.
unsigned PointerOf(char32_t c) {
  if (c >= 0x10000) return kFirstSupplementaryPointer + (c - 0x10000);
  if (c == kPrivateUseOfPointer) return kPrivateUsePointer;
  const auto after =
      std::upper_bound(std::begin(kGb18030Ranges), std::end(kGb18030Ranges), c,
                       [](char32_t code, const Gb18030Range& range) { return code < range.code; });
  if (after == std::begin(kGb18030Ranges)) return kLastRangePointer + 1;
  return after[-1].pointer + (c - after[-1].code);
}

}  // namespace

char32_t DecodeGb18030Four(const unsigned char* bytes) {
  const char32_t c = DecodePointer(
      (((bytes[0] - 0x81u) * 10 + (bytes[1] - 0x30u)) * 126 + (bytes[2] - 0x81u)) * 10 +
      (bytes[3] - 0x30u));
  return c == kNoCharacter ? U'\uFFFD' : c;
}

bool EncodeGb18030Four(char32_t c, std::string& out) {
  if (c > 0x10FFFF) return false;
  unsigned pointer = PointerOf(c);
  if (DecodePointer(pointer) != c) return false;
  const unsigned char b4 = 0x30 + pointer % 10;
  pointer /= 10;
  const unsigned char b3 = 0x81 + pointer % 126;
  pointer /= 126;
  const unsigned char b2 = 0x30 + pointer % 10;
  const unsigned char b1 = 0x81 + pointer / 10;
  out +=
      {static_cast<char>(b1), static_cast<char>(b2), static_cast<char>(b3), static_cast<char>(b4)};
  return true;
}

bool EncodeGb18030(char32_t c, std::string& out) {
  // A twin's two bytes first: GB18030 gives them to the standard character, and some decoders
  // know no four-byte sequence for it.
  const char32_t twin = TwinOf(c);
  return EncodeCp936(c, out) || (twin != 0 && EncodeCp936(twin, out)) ||
         EncodeGb18030Four(c, out) || (twin != 0 && EncodeGb18030Four(twin, out));
}

char32_t FoldPrivateUse(char32_t c) {
  if (c < kPrivateUseTwins[0].private_use) return c;
  const auto twin =
      std::lower_bound(std::begin(kPrivateUseTwins), std::end(kPrivateUseTwins), c,
                       [](const PrivateUseTwin& t, char32_t code) { return t.private_use < code; });
  return twin != std::end(kPrivateUseTwins) && twin->private_use == c ? twin->standard : c;
}

char32_t TwinOf(char32_t c) {
  if (const char32_t standard = FoldPrivateUse(c); standard != c) return standard;
  for (const PrivateUseTwin& twin : kPrivateUseTwins) {
    if (twin.standard == c) return twin.private_use;
  }
  return 0;
}

std::size_t DecodeGb18030Char(const unsigned char* p, const unsigned char* end, bool more,
                              char32_t& c) {
  const std::size_t available = static_cast<std::size_t>(end - p);
  c = U'\uFFFD';
  if (!IsCp936LeadByte(p[0])) {
    c = DecodeCp936Byte(p[0]);
    return 1;
  }
  if (available < 2) return more ? 0 : 1;
  if (IsCp936TrailByte(p[1])) {
    c = DecodeCp936Pair(p[0], p[1]);
    return 2;
  }
  if (!IsGb18030Digit(p[1])) return 1;
  if (available < 4 && (available < 3 || IsCp936LeadByte(p[2]))) return more ? 0 : 1;
  if (!IsCp936LeadByte(p[2]) || !IsGb18030Digit(p[3])) return 1;
  c = DecodeGb18030Four(p);
  return 4;
}

}  // namespace pavrel
