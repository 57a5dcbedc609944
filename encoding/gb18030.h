// GB18030 on top of code page 936: its four-byte sequences, and the characters that it moved out
// of the private use area.
//
// A four-byte sequence is a lead byte 0x81-0xFE, a digit 0x30-0x39, a lead byte and a digit.
// Code page 936 has no such sequence, so reading them changes no code page 936 table. Its pointer
// (((b1 - 0x81) * 10 + b2 - 0x30) * 126 + b3 - 0x81) * 10 + b4 - 0x30 maps as the WHATWG
// Encoding Standard maps it: 0-39419 through the ranges of gb18030_data.h (7457 to U+E7C7),
// 189000-1237575 to U+10000-U+10FFFF, the rest to nothing.
//
// Code page 936 decodes about a hundred two-byte codes to the private use area where GB18030
// gives them standard characters: FE9F is U+E863 in one and 䶮 U+4DAE in the other. A lookup
// compares characters folded to the standard one, so either finds the other.

#ifndef PAVREL_ENCODING_GB18030_H_
#define PAVREL_ENCODING_GB18030_H_

#include <cstddef>
#include <string>

namespace pavrel {

inline bool IsGb18030Digit(unsigned char byte) { return byte >= 0x30 && byte <= 0x39; }

// The character of the four-byte sequence at `bytes`, which has its shape; U+FFFD when its
// pointer maps to nothing.
char32_t DecodeGb18030Four(const unsigned char* bytes);

// Appends the four-byte sequence that decodes to `c` and returns true, or returns false.
bool EncodeGb18030Four(char32_t c, std::string& out);

// Appends the bytes of `c` in code page 936 with four-byte sequences: its code page 936 bytes,
// else its twin's, else its four-byte sequence. Returns false for a surrogate.
bool EncodeGb18030(char32_t c, std::string& out);

// The private use character's standard twin, or `c` itself: what lookups compare.
char32_t FoldPrivateUse(char32_t c);

// The other character of a twin pair, or 0 for a character without a twin.
char32_t TwinOf(char32_t c);

// Decodes the character at the start of [p, end), p != end, into `c` and returns its width in
// bytes: one or two bytes as in cp936.h, or a four-byte sequence. Returns 0 when [p, end) is
// only the start of a four-byte sequence or pair and `more` bytes follow it in the file.
std::size_t DecodeGb18030Char(const unsigned char* p, const unsigned char* end, bool more,
                              char32_t& c);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_GB18030_H_
