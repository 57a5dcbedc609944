// UTF-16 converted to UTF-8, piece by piece, as a table is read: a unit below 0x80 becomes one
// byte, a surrogate pair four, any other unit two or three. A surrogate without its partner, and
// an odd byte at the very end, become U+FFFD.

#ifndef PAVREL_ENCODING_UTF16_H_
#define PAVREL_ENCODING_UTF16_H_

#include <cstddef>

namespace pavrel {

struct Utf16Conversion {
  std::size_t read;     // bytes of UTF-16 consumed
  std::size_t written;  // bytes of UTF-8 produced
};

// Converts UTF-16 from [in, in + size) to UTF-8 at `out`, as much as fits in `room` bytes. Stops
// before a unit cut short or a high surrogate at the end of the input, whose rest may follow,
// unless the input is the `last` of the text.
Utf16Conversion ConvertUtf16ToUtf8(const unsigned char* in, std::size_t size, bool big_endian,
                                   bool last, char* out, std::size_t room);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_UTF16_H_
