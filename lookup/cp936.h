// Decoding of Windows code page 936, the encoding of the lookup table.
//
// Bytes 0x00-0x7F are ASCII and 0x80 is the euro sign. A byte 0x81-0xFE leads a two-byte
// character when a trail byte 0x40-0x7E or 0x80-0xFE follows it; the mapping is Windows' own,
// user-defined areas included. A byte that starts no character (0xFF, or a lead byte without a
// trail byte) decodes alone to U+FFFD, so it never swallows the comma, quote or line end after
// it. Decoding uses a fixed table and does not depend on the process locale.

#ifndef PAVREL_LOOKUP_CP936_H_
#define PAVREL_LOOKUP_CP936_H_

#include <string>
#include <string_view>

namespace pavrel {

// Byte classes.
bool IsCp936LeadByte(unsigned char byte);
bool IsCp936TrailByte(unsigned char byte);

// Decoding of one character. DecodeCp936Pair requires a lead byte followed by a trail byte;
// every other byte is decoded by DecodeCp936Byte.
char32_t DecodeCp936Byte(unsigned char byte);
char32_t DecodeCp936Pair(unsigned char lead, unsigned char trail);

// Decodes a whole byte string.
std::u32string DecodeCp936(std::string_view bytes);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_CP936_H_
