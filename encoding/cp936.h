// Decoding of Windows code page 936, one of the lookup table's encodings (table_encoding.h).
//
// Bytes 0x00-0x7F are ASCII and 0x80 is the euro sign. A byte 0x81-0xFE leads a two-byte
// character when a trail byte 0x40-0x7E or 0x80-0xFE follows it; the mapping is Windows' own,
// user-defined areas included. A byte that starts no character (0xFF, or a lead byte without a
// trail byte) decodes alone to U+FFFD, so it never swallows the comma, quote or line end after
// it. Decoding uses a fixed table and does not depend on the process locale.

#ifndef PAVREL_ENCODING_CP936_H_
#define PAVREL_ENCODING_CP936_H_

#include <string>
#include <string_view>

#include "encoding/cp936_table.h"

namespace pavrel {

// Byte classes. These and the decoding of one character are inline: the table reader runs them
// once per record.
inline bool IsCp936LeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }
inline bool IsCp936TrailByte(unsigned char byte) {
  return byte >= 0x40 && byte <= 0xFE && byte != 0x7F;
}

// Decoding of one character. DecodeCp936Pair requires a lead byte followed by a trail byte;
// every other byte is decoded by DecodeCp936Byte.
inline char32_t DecodeCp936Byte(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte == 0x80) return U'\u20AC';
  return U'\uFFFD';
}
inline char32_t DecodeCp936Pair(unsigned char lead, unsigned char trail) {
  const std::size_t row = lead - 0x81;
  const std::size_t column = trail < 0x7F ? trail - 0x40 : trail - 0x41;
  return kCp936PairTable[row * kCp936TrailCount + column];
}

// Decodes a whole byte string.
std::u32string DecodeCp936(std::string_view bytes);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_CP936_H_
