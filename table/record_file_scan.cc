#include "table/record_file_scan.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace pavrel {

namespace {

#if defined(__SSE2__)
// The bytes of the 16 at `p` that are a comma, CR or LF, as 0xFF.
__m128i DelimiterHits(const char* p) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i comma = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(','));
  const __m128i cr = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'));
  const __m128i lf = _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'));
  return _mm_or_si128(_mm_or_si128(comma, cr), lf);
}

// One bit for each of the 32 bytes at `p` that is a comma, CR or LF.
unsigned DelimiterMask(const char* p) {
  return static_cast<unsigned>(_mm_movemask_epi8(DelimiterHits(p))) |
         static_cast<unsigned>(_mm_movemask_epi8(DelimiterHits(p + 16))) << 16;
}

// Skips 64-byte blocks without a comma, CR or LF; returns the first block that has one, or the
// last bytes, fewer than 64. A single field may be the whole file: this is its loop.
const char* SkipPlainBlocksSse2(const char* p, const char* end) {
  for (; end - p >= 64; p += 64) {
    const __m128i hits = _mm_or_si128(_mm_or_si128(DelimiterHits(p), DelimiterHits(p + 16)),
                                      _mm_or_si128(DelimiterHits(p + 32), DelimiterHits(p + 48)));
    if (_mm_movemask_epi8(hits) != 0) break;
  }
  return p;
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same with AVX2, twice the bytes per instruction, on the CPUs that have it.
__attribute__((target("avx2"))) __m256i DelimiterHitsAvx2(const char* p) {
  const __m256i bytes = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  return _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(bytes, _mm256_set1_epi8(',')),
                                         _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\r'))),
                         _mm256_cmpeq_epi8(bytes, _mm256_set1_epi8('\n')));
}

__attribute__((target("avx2"))) const char* SkipPlainBlocksAvx2(const char* p, const char* end) {
  for (; end - p >= 64; p += 64) {
    const __m256i hits = _mm256_or_si256(DelimiterHitsAvx2(p), DelimiterHitsAvx2(p + 32));
    if (_mm256_movemask_epi8(hits) != 0) break;
  }
  return p;
}
#endif

const char* SkipPlainBlocks(const char* p, const char* end) {
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool has_avx2 = __builtin_cpu_supports("avx2");
  if (has_avx2) return SkipPlainBlocksAvx2(p, end);
#endif
  return SkipPlainBlocksSse2(p, end);
}
#endif

}  // namespace

// 32 bytes at a time where the CPU allows, as most records fit in that, then a block at a time
// through a long field.
const char* FindDelimiter(const char* p, const char* end) {
#if defined(__SSE2__)
  if (end - p >= 32) {
    if (const unsigned mask = DelimiterMask(p)) return p + __builtin_ctz(mask);
    p = SkipPlainBlocks(p + 32, end);
  }
  for (; end - p >= 32; p += 32) {
    if (const unsigned mask = DelimiterMask(p)) return p + __builtin_ctz(mask);
  }
#endif
  while (p != end && !IsDelimiter(*p)) ++p;
  return p;
}

// 64 bytes at a time where the CPU allows: a table may be ASCII for a gigabyte.
const char* FindNonAscii(const char* p, const char* end) {
#if defined(__SSE2__)
  const auto load = [](const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  for (; end - p >= 64; p += 64) {
    const __m128i any =
        _mm_or_si128(_mm_or_si128(load(p), load(p + 16)), _mm_or_si128(load(p + 32), load(p + 48)));
    if (_mm_movemask_epi8(any) != 0) break;
  }
#endif
  while (p != end && (*p & 0x80) == 0) ++p;
  return p;
}

namespace {

// Returns the last comma, CR or LF in [begin, end), or nullptr.
const char* FindLastDelimiter(const char* begin, const char* end) {
#if defined(__SSE2__)
  for (; end - begin >= 32; end -= 32) {
    if (const unsigned mask = DelimiterMask(end - 32)) return end - 1 - __builtin_clz(mask);
  }
#endif
  while (end != begin) {
    if (IsDelimiter(*--end)) return end;
  }
  return nullptr;
}

// Whether `at` begins a record (after its leading spaces) in unquoted records from `begin`.
bool BeginsRecord(const char* begin, const char* at) {
  while (at != begin && at[-1] == ' ') --at;
  return at == begin || IsDelimiter(at[-1]);
}

// The start of the record after the delimiter at `at`, whose next byte is readable.
const char* AfterDelimiter(const char* at) { return at + (at[0] == '\r' && at[1] == '\n' ? 2 : 1); }

// The last delimiter before `quote`, the first double quote in [begin, end) or end, and before
// the last byte (so that a CR LF is seen whole), or nullptr: every comma, CR and LF up to it ends
// a record.
const char* LastUnquotedDelimiter(const char* begin, const char* end, const char* quote) {
  if (end - begin < 2) return nullptr;
  return FindLastDelimiter(begin, quote != end ? quote : end - 1);
}

const char* FirstQuote(const char* begin, const char* end) {
  const void* quote = std::memchr(begin, '"', static_cast<std::size_t>(end - begin));
  return quote ? static_cast<const char*>(quote) : end;
}

// Whether the bytes at `at`, whose first is the key's, go on as the key does. A key cut by `end`
// may go on there: the reader decides.
bool RestMatches(const char* at, const char* end, const KeyPattern& key) {
  for (int i = 1; i < key.length; ++i) {
    if (at + i == end) return true;
    if (static_cast<unsigned char>(at[i]) != key.bytes[i]) return false;
  }
  return true;
}

// One bit for each of 64 bytes: its quotes, its delimiters and its bytes equal to `key`.
struct BlockBits {
  std::uint64_t quotes = 0, delimiters = 0, keys = 0;
};

#if defined(__SSE2__)
BlockBits ClassifyBlock(const char* p, char key) {
  BlockBits bits;
  for (int i = 0; i < 4; ++i) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * i));
    const auto mask = [i](__m128i hits) {
      return std::uint64_t{static_cast<std::uint16_t>(_mm_movemask_epi8(hits))} << (16 * i);
    };
    bits.quotes |= mask(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('"')));
    bits.delimiters |= mask(DelimiterHits(p + 16 * i));
    bits.keys |= mask(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(key)));
  }
  return bits;
}
#else
BlockBits ClassifyBlock(const char* p, char key) {
  BlockBits bits;
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    if (p[i] == '"') bits.quotes |= bit;
    if (IsDelimiter(p[i])) bits.delimiters |= bit;
    if (p[i] == key) bits.keys |= bit;
  }
  return bits;
}
#endif

// Bit i of the result is the parity of bits 0 to i.
std::uint64_t PrefixParity(std::uint64_t x) {
  for (int shift = 1; shift < 64; shift *= 2) x ^= x << shift;
  return x;
}

std::uint64_t Below(int i) { return (std::uint64_t{1} << i) - 1; }

int HighestBit(std::uint64_t x) { return 63 - std::countl_zero(x); }

}  // namespace

ScanStop SkipUnquotedRecordsWithoutKey(const char* begin, const char* end, KeyPattern key) {
  return SkipUnquotedRecordsWithoutKeyBefore(begin, end, key, FirstQuote(begin, end));
}

ScanStop SkipUnquotedRecordsWithoutKeyBefore(const char* begin, const char* end, KeyPattern key,
                                             const char* quote) {
  const char* const last = LastUnquotedDelimiter(begin, end, quote);
  if (last == nullptr) return {begin, false};
  // memchr looks for the key's last byte from 0x80: in UTF-8 the first byte is shared by most
  // Chinese characters, and in a four-byte sequence the last is a digit. The key ends before
  // `last`, as a delimiter is never part of it.
  int probe = key.length - 1;
  while (probe > 0 && key.bytes[probe] < 0x80) --probe;
  for (const char* hit = begin + probe;
       key.length != 0 && !ShapesRecords(key.bytes[0]) && hit < last &&
       (hit = static_cast<const char*>(std::memchr(hit, key.bytes[probe], last - hit))) != nullptr;
       ++hit) {
    const char* const at = hit - probe;
    if (std::memcmp(at, key.bytes, probe) == 0 && RestMatches(at, end, key) &&
        BeginsRecord(begin, at)) {
      return {at, true};
    }
  }
  return {AfterDelimiter(last), false};
}

ScanStop SkipUnquotedRecordsUntilEmpty(const char* begin, const char* end) {
  const char* const last = LastUnquotedDelimiter(begin, end, FirstQuote(begin, end));
  if (last == nullptr) return {begin, false};
  // A delimiter right after a record's start ends an empty record; the LF of a CR LF does not.
  for (const char* at = begin; (at = FindDelimiter(at, last + 1)) <= last; ++at) {
    if (BeginsRecord(begin, at) && !(*at == '\n' && at != begin && at[-1] == '\r')) {
      return {at, true};
    }
  }
  return {AfterDelimiter(last), false};
}

namespace {

// The quotes of a block are paired by their parity, which is right as long as every quote that
// opens a pair opens a record too: then the delimiters outside the pairs end the records, and a
// record begins after each of them or after an opening quote. The first quote that breaks this
// ends the search, at the start of its record. Inlined into its callers, so that the AVX2 one
// inlines the AVX2 helpers too.
template <BlockBits (*Classify)(const char*, char), std::uint64_t (*Parity)(std::uint64_t)>
[[gnu::always_inline]] inline ScanStop ScanBlocks(const char* begin, const char* end,
                                                  KeyPattern key) {
  const auto rest_matches = [&key, end](const char* at) { return RestMatches(at, end, key); };
  const char* record = begin;  // the last record start passed
  // What the previous block's last byte was: inside quotes, a delimiter outside them (or the
  // search's start), an opening quote.
  bool in_quotes = false;
  std::uint64_t after_delimiter = 1, after_opening = 0;
  const char* block = begin;
  for (; end - block > 64; block += 64) {
    BlockBits bits = Classify(block, static_cast<char>(key.bytes[0]));
    if (key.length == 0) bits.keys = 0;
    const std::uint64_t inside = Parity(bits.quotes) ^ (in_quotes ? ~std::uint64_t{0} : 0);
    const std::uint64_t delimiters = bits.delimiters & ~inside;
    const std::uint64_t opening = bits.quotes & inside;
    const std::uint64_t starts = delimiters << 1 | after_delimiter;
    const std::uint64_t quoted_keys = bits.keys & (opening << 1 | after_opening);
    const std::uint64_t plain_keys = bits.keys & starts;
    // Key bytes outside quotes and opening quotes that no delimiter precedes: they begin a
    // record only behind leading spaces.
    const std::uint64_t doubtful = ((bits.keys & ~inside) | opening) & ~starts;
    for (std::uint64_t events = quoted_keys | plain_keys | doubtful; events != 0;
         events &= events - 1) {
      const int i = std::countr_zero(events);
      const std::uint64_t bit = std::uint64_t{1} << i;
      const char* const at = block + i;
      if (bit & quoted_keys) {
        if (rest_matches(at)) return {at - 1, true};
        continue;
      }
      if (bit & plain_keys) {
        if (rest_matches(at)) return {at, true};
        continue;
      }
      const char* spaces = at;
      while (spaces != block && spaces[-1] == ' ') --spaces;
      const bool undecided = spaces == block && !(after_delimiter & 1) && block[-1] == ' ';
      const bool begins = spaces == block ? (after_delimiter & 1) != 0
                                          : ((delimiters >> (spaces - 1 - block)) & 1) != 0;
      if (!undecided && (bit & opening) && begins) continue;
      if (!undecided && !(bit & opening)) {
        if (begins && rest_matches(at)) return {at, true};
        continue;
      }
      const std::uint64_t earlier = starts & (Below(i) | bit);
      return {earlier ? block + HighestBit(earlier) : record, false};
    }
    if (starts != 0) record = block + HighestBit(starts);
    in_quotes = (inside >> 63) != 0;
    after_delimiter = delimiters >> 63;
    after_opening = opening >> 63;
  }
  if (block != begin && (after_delimiter & 1)) {
    record = block + (block[-1] == '\r' && block[0] == '\n' ? 1 : 0);
  }
  return {record, false};
}

#if defined(__x86_64__) && defined(__GNUC__)
// The same with AVX2 and a carry-less multiply for the parity, on the CPUs that have them.
__attribute__((target("avx2,pclmul"))) std::uint64_t Mask64(__m256i low_hits, __m256i high_hits) {
  return std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(low_hits))} |
         std::uint64_t{static_cast<std::uint32_t>(_mm256_movemask_epi8(high_hits))} << 32;
}

// Quote, comma, CR and LF differ in their low four bits: a byte is one of them if it equals the
// entry of this table at its low four bits (bytes from 0x80 look up 0 and match nothing).
__attribute__((target("avx2,pclmul"))) __m256i ShapingHits(__m256i bytes) {
  const __m256i table =
      _mm256_setr_epi8(-1, -1, '"', -1, -1, -1, -1, -1, -1, -1, '\n', -1, ',', '\r', -1, -1, -1, -1,
                       '"', -1, -1, -1, -1, -1, -1, -1, '\n', -1, ',', '\r', -1, -1);
  return _mm256_cmpeq_epi8(_mm256_shuffle_epi8(table, bytes), bytes);
}

__attribute__((target("avx2,pclmul"))) BlockBits ClassifyBlockAvx2(const char* p, char key) {
  const __m256i low = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  const __m256i high = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
  const __m256i quote = _mm256_set1_epi8('"'), wanted = _mm256_set1_epi8(key);
  const std::uint64_t quotes =
      Mask64(_mm256_cmpeq_epi8(low, quote), _mm256_cmpeq_epi8(high, quote));
  return {quotes, Mask64(ShapingHits(low), ShapingHits(high)) & ~quotes,
          Mask64(_mm256_cmpeq_epi8(low, wanted), _mm256_cmpeq_epi8(high, wanted))};
}

__attribute__((target("avx2,pclmul"))) std::uint64_t PrefixParityClmul(std::uint64_t x) {
  const __m128i ones = _mm_set1_epi8(-1);
  return static_cast<std::uint64_t>(_mm_cvtsi128_si64(
      _mm_clmulepi64_si128(_mm_set_epi64x(0, static_cast<long long>(x)), ones, 0)));
}

__attribute__((target("avx2,pclmul"))) ScanStop ScanBlocksAvx2(const char* begin, const char* end,
                                                               KeyPattern key) {
  return ScanBlocks<ClassifyBlockAvx2, PrefixParityClmul>(begin, end, key);
}
#endif

}  // namespace

ScanStop SkipRecordsWithoutKey(const char* begin, const char* end, KeyPattern key) {
#if defined(__x86_64__) && defined(__GNUC__)
  static const bool has_avx2 = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("pclmul");
  if (has_avx2) return ScanBlocksAvx2(begin, end, key);
#endif
  return SkipRecordsWithoutKeyPortably(begin, end, key);
}

ScanStop SkipRecordsWithoutKeyPortably(const char* begin, const char* end, KeyPattern key) {
  return ScanBlocks<ClassifyBlock, PrefixParity>(begin, end, key);
}

}  // namespace pavrel
