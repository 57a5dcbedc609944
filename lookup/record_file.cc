#include "lookup/record_file.h"

#include <cstring>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "lookup/cp936.h"
#include "lookup/cp936_table.h"
#include "lookup/open_table.h"

namespace pavrel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Returned by PeekFirstChar for a record without characters.
constexpr char32_t kNoChar = 0xFFFFFFFF;

bool IsDelimiter(char byte) { return byte == ',' || byte == '\r' || byte == '\n'; }

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

// Returns the first comma, CR or LF in [p, end), or end. 32 bytes at a time where the CPU allows,
// as most records fit in that, then a block at a time through a long field.
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

// Returns where the field in [p, end) ends: at its closing quote if it is quoted, else at its
// delimiter; end if neither is in the range.
const char* FindFieldEnd(const char* p, const char* end, bool quoted) {
  if (!quoted) return FindDelimiter(p, end);
  const void* quote = std::memchr(p, '"', static_cast<std::size_t>(end - p));
  return quote ? static_cast<const char*>(quote) : end;
}

// Decodes [p, end) onto `record` until it holds kMaxRecordLength characters, and returns where
// it stopped. A lead byte at the very end is left unread when `more` bytes follow it in the file,
// since its trail byte may be among them.
const char* Decode(const char* p, const char* end, bool more, std::u32string& record) {
  while (p != end && record.size() < kMaxRecordLength) {
    const auto first = static_cast<unsigned char>(*p);
    if (IsCp936LeadByte(first)) {
      if (end - p == 1) {
        if (more) break;
      } else if (const auto second = static_cast<unsigned char>(p[1]); IsCp936TrailByte(second)) {
        record.push_back(DecodeCp936Pair(first, second));
        p += 2;
        continue;
      }
    }
    record.push_back(DecodeCp936Byte(first));
    ++p;
  }
  return p;
}

}  // namespace

RecordFile::RecordFile(std::FILE* stream, std::uintmax_t size)
    : stream_(stream), unread_size_(size), buffer_(kBufferSize + 1) {
  // The file is read in large blocks into buffer_ already; a second buffer would only copy.
  std::setvbuf(stream, nullptr, _IONBF, 0);
}

// Makes at least `wanted` (at most 2) unread bytes available in the buffer, unless the file ends
// first, and returns how many are available.
std::size_t RecordFile::Fill(std::size_t wanted) {
  if (end_ - pos_ >= wanted || unread_size_ == 0) return end_ - pos_;
  if (!stream_) throw RecordFileError("the table is closed");
  std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (end_ < wanted && unread_size_ > 0) {
    const std::size_t room = kBufferSize - end_;
    // The last read asks for one byte more than is left of the file as opened (the buffer has a
    // byte to spare for it), so that the same read tells whether the file has grown since.
    const bool last = unread_size_ <= room;
    const std::size_t request = last ? static_cast<std::size_t>(unread_size_) + 1 : room;
    std::size_t got = std::fread(buffer_.data() + end_, 1, request, stream_.get());
    if (got == 0) {
      throw RecordFileError(std::ferror(stream_.get()) ? "the table could not be read"
                                                       : "the table shrank while it was read");
    }
    if (got > unread_size_) {
      grown_ = true;
      got = static_cast<std::size_t>(unread_size_);
    }
    end_ += got;
    unread_size_ -= got;
  }
  return end_ - pos_;
}

void RecordFile::SkipSpaces() {
  while ((pos_ < end_ || Fill(1) > 0) && buffer_[pos_] == ' ') ++pos_;
}

// Consumes the double quote that opens a record, if there is one, and tells whether it did.
bool RecordFile::OpenQuote() {
  if ((pos_ == end_ && Fill(1) == 0) || buffer_[pos_] != '"') return false;
  ++pos_;
  return true;
}

// Decodes the first character of the field without consuming it; kNoChar if the field is empty.
char32_t RecordFile::PeekFirstChar(bool quoted) {
  const std::size_t available = Fill(2);
  if (available == 0) return kNoChar;
  const auto first = static_cast<unsigned char>(buffer_[pos_]);
  if (quoted ? first == '"' : IsDelimiter(static_cast<char>(first))) return kNoChar;
  if (IsCp936LeadByte(first) && available >= 2) {
    const auto second = static_cast<unsigned char>(buffer_[pos_ + 1]);
    if (IsCp936TrailByte(second)) return DecodeCp936Pair(first, second);
  }
  return DecodeCp936Byte(first);
}

// Decodes the field onto `record`, keeping at most kMaxRecordLength characters, and stops at its
// closing quote or delimiter, or at the end of the file.
void RecordFile::DecodeField(bool quoted, std::u32string& record) {
  while (Fill(2) > 0) {
    const char* data = buffer_.data();
    const char* end = data + end_;
    const char* stop = FindFieldEnd(data + pos_, end, quoted);
    pos_ = Decode(data + pos_, stop, stop == end && unread_size_ > 0, record) - data;
    if (record.size() == kMaxRecordLength) pos_ = stop - data;
    if (stop != end) return;
  }
}

// Like DecodeField, without decoding.
void RecordFile::SkipField(bool quoted) {
  while (pos_ < end_ || Fill(1) > 0) {
    const char* data = buffer_.data();
    const char* end = data + end_;
    const char* stop = FindFieldEnd(data + pos_, end, quoted);
    pos_ = stop - data;
    if (stop != end) return;
  }
}

// Consumes the rest of a record whose field has been read: the closing quote and what follows
// it, and the comma or line end, if there is one.
void RecordFile::FinishRecord(bool quoted) {
  if (quoted) {
    if (pos_ < end_) ++pos_;  // the closing quote; at the end of the file there is none
    SkipField(false);
  }
  if (pos_ == end_ && Fill(1) == 0) {
    // A record that runs into the end of the file as opened is whole only if the file still
    // ends there: read from a table rewritten longer since, it would be cut short.
    if (grown_) throw RecordFileError("the table changed while it was read");
    return;
  }
  const char delimiter = buffer_[pos_++];
  if (delimiter == '\r' && (pos_ < end_ || Fill(1) > 0) && buffer_[pos_] == '\n') ++pos_;
}

// How a key looks in the file's bytes, for the search in SkipRecordsWithoutKey.
struct RecordFile::KeyBytes {
  enum Kind { kBytes, kEmptyRecord, kNothing, kUnsearchable } kind;
  unsigned char bytes[2] = {0, 0};
  int length = 0;  // of bytes, for kBytes
};

// Encodes `key` for the byte search: its one encoding in code page 936, kEmptyRecord for the
// empty key, kNothing for a key that no record can begin with, and kUnsearchable when several
// byte sequences decode to it (U+FFFD stands for every byte that starts no character).
RecordFile::KeyBytes RecordFile::EncodeKey(std::u32string_view key) {
  if (key.empty()) return {KeyBytes::kEmptyRecord};
  if (key.size() > 1) return {KeyBytes::kNothing};
  if (key[0] == U'\uFFFD') return {KeyBytes::kUnsearchable};
  KeyBytes found{KeyBytes::kNothing};
  int encodings = 0;
  for (int byte = 0; byte <= 0x80; ++byte) {
    if (DecodeCp936Byte(static_cast<unsigned char>(byte)) == key[0]) {
      found = {KeyBytes::kBytes, {static_cast<unsigned char>(byte), 0}, 1};
      ++encodings;
    }
  }
  for (std::size_t i = 0; i < kCp936LeadCount * kCp936TrailCount; ++i) {
    if (kCp936PairTable[i] != key[0]) continue;
    const std::size_t column = i % kCp936TrailCount;
    const auto lead = static_cast<unsigned char>(0x81 + i / kCp936TrailCount);
    const auto trail = static_cast<unsigned char>(0x40 + column + (column >= 0x3F ? 1 : 0));
    found = {KeyBytes::kBytes, {lead, trail}, 2};
    ++encodings;
  }
  if (encodings > 1) return {KeyBytes::kUnsearchable};
  return found;
}

// Reads past the records in the buffer that do not begin with `key`, and stops at the first that
// does. It covers whole unquoted records only: it stops before the first double quote and before
// the buffer's last record, which ReadRecordWithKey then reads. pos_ must be a record's start.
void RecordFile::SkipRecordsWithoutKey(const KeyBytes& key) {
  const char* data = buffer_.data();
  const char* const start = data + pos_;
  const char* const end = data + end_;
  if (end - start < 2) return;
  // Up to the last delimiter before the first quote, and before the last byte, so that a CR LF
  // is seen whole. Every comma, CR and LF in the range ends a record.
  const void* quote = std::memchr(start, '"', end - start);
  const char* last = FindLastDelimiter(start, quote ? static_cast<const char*>(quote) : end - 1);
  if (last == nullptr) return;

  // A record begins at `at` (after its leading spaces) if a delimiter or `start` comes first.
  const auto begins_record = [start](const char* at) {
    const char* spaces = at;
    while (spaces != start && spaces[-1] == ' ') --spaces;
    return spaces == start || IsDelimiter(spaces[-1]);
  };
  for (const char* at = start; at <= last; ++at) {
    if (key.kind == KeyBytes::kBytes) {
      at = static_cast<const char*>(std::memchr(at, key.bytes[0], last - at));
      if (at == nullptr) break;
      if ((key.length == 1 || static_cast<unsigned char>(at[1]) == key.bytes[1]) &&
          begins_record(at)) {
        pos_ = at - data;
        return;
      }
    } else if (key.kind == KeyBytes::kEmptyRecord) {
      // A delimiter right after a record's start ends an empty record; the LF of a CR LF does not.
      at = FindDelimiter(at, last + 1);
      if (at > last) break;
      if (begins_record(at) && !(*at == '\n' && at != start && at[-1] == '\r')) {
        pos_ = at - data;
        return;
      }
    } else {
      break;
    }
  }
  pos_ = last + (last[0] == '\r' && last[1] == '\n' ? 2 : 1) - data;
}

RecordFile OpenRecordFile(const std::filesystem::path& path) {
  std::uintmax_t size = 0;
  std::FILE* stream = OpenRegularFile(path, size);
  if (stream == nullptr) throw RecordFileError("the table is missing, unreadable or not a file");
  return RecordFile(stream, size);
}

bool AtEnd(RecordFile& file) { return file.Fill(1) == 0; }

std::u32string ReadRecord(RecordFile& file) {
  std::u32string record;
  file.SkipSpaces();
  const bool quoted = file.OpenQuote();
  file.DecodeField(quoted, record);
  file.FinishRecord(quoted);
  return record;
}

bool ReadRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record) {
  file.SkipSpaces();
  const bool quoted = file.OpenQuote();
  const char32_t first = file.PeekFirstChar(quoted);
  const bool matches =
      key.empty() ? first == kNoChar : key.size() == 1 && first != kNoChar && first == key[0];
  record.clear();
  if (matches) {
    file.DecodeField(quoted, record);
  } else {
    file.SkipField(quoted);
  }
  file.FinishRecord(quoted);
  return matches;
}

bool FindRecordWithKey(RecordFile& file, std::u32string_view key, std::u32string& record) {
  const RecordFile::KeyBytes bytes = RecordFile::EncodeKey(key);
  while (!AtEnd(file)) {
    if (bytes.kind != RecordFile::KeyBytes::kUnsearchable) file.SkipRecordsWithoutKey(bytes);
    if (AtEnd(file)) break;
    if (ReadRecordWithKey(file, key, record)) return true;
  }
  return false;
}

void CloseRecordFile(RecordFile& file) {
  file.stream_.reset();
  file.unread_size_ = 0;
  file.pos_ = file.end_ = 0;
}

}  // namespace pavrel
