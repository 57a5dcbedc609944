#include "lookup/record_file.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "lookup/cp936.h"
#include "lookup/open_table.h"

namespace pavrel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Returned by PeekFirstChar for a record without characters.
constexpr char32_t kNoChar = 0xFFFFFFFF;

bool IsDelimiter(char byte) { return byte == ',' || byte == '\r' || byte == '\n'; }

// Returns the first comma, CR or LF in [p, end), or end. Sixteen bytes at a time where the CPU
// allows, since a single record may be the whole file.
const char* FindDelimiter(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i comma = _mm_set1_epi8(','), cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i hits =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, comma), _mm_cmpeq_epi8(bytes, cr)),
                     _mm_cmpeq_epi8(bytes, lf));
    if (const int mask = _mm_movemask_epi8(hits)) return p + __builtin_ctz(mask);
  }
#endif
  while (p != end && !IsDelimiter(*p)) ++p;
  return p;
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
    : stream_(stream), unread_size_(size), buffer_(kBufferSize) {
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
    const std::size_t room = buffer_.size() - end_;
    const std::size_t request = unread_size_ < room ? static_cast<std::size_t>(unread_size_) : room;
    const std::size_t got = std::fread(buffer_.data() + end_, 1, request, stream_.get());
    if (got == 0) {
      throw RecordFileError(std::ferror(stream_.get()) ? "the table could not be read"
                                                       : "the table shrank while it was read");
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
  if (pos_ == end_ && Fill(1) == 0) return;
  const char delimiter = buffer_[pos_++];
  if (delimiter == '\r' && (pos_ < end_ || Fill(1) > 0) && buffer_[pos_] == '\n') ++pos_;
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

void CloseRecordFile(RecordFile& file) {
  file.stream_.reset();
  file.unread_size_ = 0;
  file.pos_ = file.end_ = 0;
}

}  // namespace pavrel
