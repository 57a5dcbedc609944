#include "encoding/utf16.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "encoding/utf8.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

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

#if defined(__x86_64__) && defined(__GNUC__)
// Eight units at a time where each is ASCII or becomes three bytes, as the units of a Chinese
// table nearly all do. For four units, their first, second and third UTF-8 bytes stand in two
// registers; a byte shuffle, chosen by which of the four are ASCII, puts them in order.
struct Shuffle {
  std::uint8_t first[16], second[16];  // from the first and third bytes, and from the second
  int length;
};

constexpr std::array<Shuffle, 16> MakeShuffles() {
  std::array<Shuffle, 16> shuffles{};
  for (int ascii = 0; ascii < 16; ++ascii) {
    Shuffle& shuffle = shuffles[ascii];
    for (int i = 0; i < 16; ++i) shuffle.first[i] = shuffle.second[i] = 0x80;  // a zero byte
    int at = 0;
    for (int unit = 0; unit < 4; ++unit) {
      shuffle.first[at++] = static_cast<std::uint8_t>(unit);
      if (ascii >> unit & 1) continue;
      shuffle.second[at++] = static_cast<std::uint8_t>(unit);
      shuffle.first[at++] = static_cast<std::uint8_t>(8 + unit);
    }
    shuffle.length = at;
  }
  return shuffles;
}
constexpr std::array<Shuffle, 16> kShuffles = MakeShuffles();

// Converts the eight units at `in` to at most 24 bytes at `out`, which has room for 28, and
// returns how many; 0, with nothing written, when a unit is neither ASCII nor of three bytes.
__attribute__((target("ssse3"))) std::size_t EightUnitsSsse3(const unsigned char* in,
                                                             bool big_endian, char* out) {
  __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  if (big_endian) {
    units = _mm_shuffle_epi8(units,
                             _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
  }
  const __m128i ascii =
      _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(-0x80)), _mm_setzero_si128());
  // Units below 0x800 but past ASCII become two bytes; surrogates four.
  const __m128i high = _mm_and_si128(units, _mm_set1_epi16(-0x800));
  const __m128i two = _mm_andnot_si128(ascii, _mm_cmpeq_epi16(high, _mm_setzero_si128()));
  const __m128i surrogate = _mm_cmpeq_epi16(high, _mm_set1_epi16(-0x2800));  // 0xD800
  if (_mm_movemask_epi8(_mm_or_si128(two, surrogate)) != 0) return 0;
  const __m128i six = _mm_set1_epi16(0x3F), trail = _mm_set1_epi16(0x80);
  const __m128i lead = _mm_or_si128(_mm_srli_epi16(units, 12), _mm_set1_epi16(0xE0));
  const __m128i first = _mm_or_si128(_mm_and_si128(ascii, units), _mm_andnot_si128(ascii, lead));
  const __m128i second = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(units, 6), six), trail);
  const __m128i third = _mm_or_si128(_mm_and_si128(units, six), trail);
  const __m128i first_third = _mm_packus_epi16(first, third);
  const __m128i seconds = _mm_packus_epi16(second, second);
  const int ascii_bits = _mm_movemask_epi8(_mm_packs_epi16(ascii, ascii));
  std::size_t written = 0;
  for (int half = 0; half < 2; ++half) {
    const Shuffle& shuffle = kShuffles[ascii_bits >> (4 * half) & 0xF];
    const __m128i a = half ? _mm_srli_si128(first_third, 4) : first_third;
    const __m128i b = half ? _mm_srli_si128(seconds, 4) : seconds;
    const __m128i bytes = _mm_or_si128(
        _mm_shuffle_epi8(a, _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.first))),
        _mm_shuffle_epi8(b, _mm_loadu_si128(reinterpret_cast<const __m128i*>(shuffle.second))));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + written), bytes);
    written += static_cast<std::size_t>(shuffle.length);
  }
  return written;
}

// Converts blocks of eight units while they are ASCII or of three bytes, and says how far.
__attribute__((target("ssse3"))) Utf16Conversion BlocksSsse3(const unsigned char* in,
                                                             std::size_t size, bool big_endian,
                                                             char* out, std::size_t room) {
  Utf16Conversion done{0, 0};
  while (size - done.read >= 16 && room - done.written >= 28) {
    const std::size_t bytes = EightUnitsSsse3(in + done.read, big_endian, out + done.written);
    if (bytes == 0) break;
    done.read += 16, done.written += bytes;
  }
  return done;
}

Utf16Conversion Blocks(const unsigned char* in, std::size_t size, bool big_endian, char* out,
                       std::size_t room) {
  static const bool has_ssse3 = __builtin_cpu_supports("ssse3");
  if (has_ssse3) return BlocksSsse3(in, size, big_endian, out, room);
  return {0, 0};
}
#else
Utf16Conversion Blocks(const unsigned char*, std::size_t, bool, char*, std::size_t) {
  return {0, 0};
}
#endif

}  // namespace

Utf16Conversion ConvertUtf16ToUtf8(const unsigned char* in, std::size_t size, bool big_endian,
                                   bool last, char* out, std::size_t room) {
  const auto unit = [&](std::size_t at) -> char32_t {
    return big_endian ? in[at] << 8 | in[at + 1] : in[at + 1] << 8 | in[at];
  };
  std::size_t read = 0, written = 0;
  while (read < size && room - written >= 4) {
    // Most of a table is codes, line ends and Chinese characters: eight units at a time while
    // they are ASCII, or ASCII and characters of three bytes; otherwise the next unit alone.
    const Utf16Conversion blocks =
        Blocks(in + read, size - read, big_endian, out + written, room - written);
    read += blocks.read, written += blocks.written;
    if (read == size || room - written < 4) break;
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
