// UTF-8, one character at a time, as the WHATWG Encoding Standard decodes it: each invalid
// sequence (an overlong form, a surrogate, a value past U+10FFFF, a stray or missing trail byte)
// decodes to one U+FFFD for its longest valid beginning, and the next character starts after it.

#ifndef PAVREL_LOOKUP_UTF8_CHAR_H_
#define PAVREL_LOOKUP_UTF8_CHAR_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace pavrel {

// Decodes the character at the start of [p, end), p != end, into `c` and returns its width in
// bytes. Returns 0 when [p, end) is a valid beginning of a character cut short and `more` bytes
// follow it in the file.
std::size_t DecodeUtf8Char(const unsigned char* p, const unsigned char* end, bool more,
                           char32_t& c);

// Decodes the character at the start of `bytes` into `c` and returns its width in bytes, or 0
// when `bytes` does not begin with a whole valid character (empty, invalid or cut off at the end).
// A U+FFFD written in the text (EF BF BD) is valid.
std::size_t DecodeValidUtf8Char(std::string_view bytes, char32_t& c);

// Appends the UTF-8 bytes of `c`, a Unicode scalar value.
void EncodeUtf8Char(char32_t c, std::string& out);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_UTF8_CHAR_H_
