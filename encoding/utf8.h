// UTF-8, the one codec of the project. Tables are decoded a character at a time, as the WHATWG
// Encoding Standard decodes them: each invalid sequence (an overlong form, a surrogate, a value
// past U+10FFFF, a stray or missing trail byte) decodes to one U+FFFD for its longest valid
// beginning, and the next character starts after it. Dictionaries and command lines are decoded
// strictly: the same sequences make the whole text invalid.

#ifndef PAVREL_ENCODING_UTF8_H_
#define PAVREL_ENCODING_UTF8_H_

#include <cstddef>
#include <optional>
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
// Writes them at `out`, which has room for four, and returns how many there are.
std::size_t EncodeUtf8Char(char32_t c, char* out);

// Returns the characters of `bytes`, or nothing when `bytes` is not valid UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);
// The same into `text`, which it replaces; false for invalid UTF-8.
bool DecodeUtf8(std::string_view bytes, std::u32string& text);

// Whether `bytes` is valid UTF-8; quicker than decoding it.
bool IsUtf8(std::string_view bytes);

// The UTF-8 bytes of `text`.
std::string EncodeUtf8(std::u32string_view text);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_UTF8_H_
