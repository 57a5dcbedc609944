#include "encoding/utf16.h"

#include <cstdint>
#include <cstring>

#include "encoding/utf8.h"

namespace pavrel {

namespace {

// Whether the eight units at `in` are all below 0x80, and their low bytes, in order, in `ascii`.
bool EightAsciiUnits(const unsigned char* in, bool big_endian, char* ascii) {
  std::uint64_t first, second;
  std::memcpy(&first, in, 8);
  std::memcpy(&second, in + 8, 8);
  // Each unit's high byte, and the top bit of its low byte, must be clear.
  const std::uint64_t mask = big_endian ? 0x80FF80FF80FF80FF : 0xFF80FF80FF80FF80;
  if (((first | second) & mask) != 0) return false;
  for (int i = 0; i < 8; ++i) ascii[i] = static_cast<char>(in[2 * i + big_endian]);
  return true;
}

}  // namespace

Utf16Conversion ConvertUtf16ToUtf8(const unsigned char* in, std::size_t size, bool big_endian,
                                   bool last, char* out, std::size_t room) {
  const auto unit = [&](std::size_t at) -> char32_t {
    return big_endian ? in[at] << 8 | in[at + 1] : in[at + 1] << 8 | in[at];
  };
  std::size_t read = 0, written = 0;
  while (read < size && room - written >= 4) {
    // Most of a table is codes and line ends: eight units at a time while they are ASCII.
    if (size - read >= 16 && room - written >= 8 &&
        EightAsciiUnits(in + read, big_endian, out + written)) {
      read += 16, written += 8;
      continue;
    }
    char32_t c = U'\uFFFD';
    std::size_t width = 1;  // an odd byte at the end
    if (size - read >= 2) {
      c = unit(read), width = 2;
      if (c >= 0xD800 && c <= 0xDBFF) {
        if (size - read < 4 && !last) break;  // its partner may follow
        const char32_t low = size - read >= 4 ? unit(read + 2) : 0;
        const bool paired = low >= 0xDC00 && low <= 0xDFFF;
        c = paired ? 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00) : U'\uFFFD';
        width = paired ? 4 : 2;
      } else if (c >= 0xDC00 && c <= 0xDFFF) {
        c = U'\uFFFD';
      }
    } else if (!last) {
      break;
    }
    written += EncodeUtf8Char(c, out + written);
    read += width;
  }
  return {read, written};
}

}  // namespace pavrel
