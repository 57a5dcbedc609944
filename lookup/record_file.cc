#include "lookup/record_file.h"

#include <cstring>

#include "lookup/cp936.h"
#include "lookup/cp936_table.h"
#include "lookup/open_table.h"
#include "lookup/record_file_scan.h"

namespace pavrel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Returned by PeekFirstChar for a record without characters.
constexpr char32_t kNoChar = 0xFFFFFFFF;

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

// How a key looks in the file's bytes, for the byte search. The pattern of kNothing has no bytes.
struct KeyBytes {
  enum Kind { kBytes, kNothing, kEmptyRecord, kUnsearchable } kind;
  KeyPattern pattern;
};

// Encodes `key` for the byte search: its one encoding in code page 936, kEmptyRecord for the
// empty key, kNothing for a key that no record can begin with, and kUnsearchable when several
// byte sequences decode to it (U+FFFD stands for every byte that starts no character).
KeyBytes EncodeKey(std::u32string_view key) {
  if (key.empty()) return {KeyBytes::kEmptyRecord, {}};
  if (key.size() > 1) return {KeyBytes::kNothing, {0, 0, 0}};
  if (key[0] == U'\uFFFD') return {KeyBytes::kUnsearchable, {}};
  KeyBytes found{KeyBytes::kNothing, {0, 0, 0}};
  int encodings = 0;
  for (int byte = 0; byte <= 0x80; ++byte) {
    if (DecodeCp936Byte(static_cast<unsigned char>(byte)) == key[0]) {
      found = {KeyBytes::kBytes, {static_cast<unsigned char>(byte), 0, 1}};
      ++encodings;
    }
  }
  for (std::size_t i = 0; i < kCp936LeadCount * kCp936TrailCount; ++i) {
    if (kCp936PairTable[i] != key[0]) continue;
    const std::size_t column = i % kCp936TrailCount;
    const auto lead = static_cast<unsigned char>(0x81 + i / kCp936TrailCount);
    const auto trail = static_cast<unsigned char>(0x40 + column + (column >= 0x3F ? 1 : 0));
    found = {KeyBytes::kBytes, {lead, trail, 2}};
    ++encodings;
  }
  if (encodings > 1) return {KeyBytes::kUnsearchable, {}};
  return found;
}

}  // namespace

RecordFile::RecordFile(const std::filesystem::path& path)
    : stream_(OpenRegularFile(path, opened_)), buffer_(kBufferSize + 1) {
  if (!stream_) throw RecordFileError("the table is missing, unreadable or not a file");
  unread_size_ = opened_.size;
  // The file is read in large blocks into buffer_ already; a second buffer would only copy.
  std::setvbuf(stream_.get(), nullptr, _IONBF, 0);
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
      if (std::ferror(stream_.get())) throw RecordFileError("the table could not be read");
      throw RecordFileChanged("the table shrank while it was read");
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
    if (grown_) throw RecordFileChanged("the table grew while it was read");
    return;
  }
  const char delimiter = buffer_[pos_++];
  if (delimiter == '\r' && (pos_ < end_ || Fill(1) > 0) && buffer_[pos_] == '\n') ++pos_;
}

bool RecordFile::AtEnd() { return Fill(1) == 0; }

std::u32string RecordFile::ReadRecord() {
  std::u32string record;
  SkipSpaces();
  const bool quoted = OpenQuote();
  DecodeField(quoted, record);
  FinishRecord(quoted);
  return record;
}

bool RecordFile::ReadRecordWithKey(std::u32string_view key, std::u32string& record) {
  SkipSpaces();
  const bool quoted = OpenQuote();
  const char32_t first = PeekFirstChar(quoted);
  const bool matches =
      key.empty() ? first == kNoChar : key.size() == 1 && first != kNoChar && first == key[0];
  record.clear();
  if (matches) {
    DecodeField(quoted, record);
  } else {
    SkipField(quoted);
  }
  FinishRecord(quoted);
  return matches;
}

// Between the records that it reads one by one, the search skips through the buffer: for a key
// of bytes first over unquoted records with memchr, then on over quoted ones as well.
bool RecordFile::FindRecordWithKey(std::u32string_view key, std::u32string& record) {
  const KeyBytes bytes = EncodeKey(key);
  const bool of_bytes = bytes.kind == KeyBytes::kBytes || bytes.kind == KeyBytes::kNothing;
  const bool across_quotes = of_bytes && !ShapesRecords(bytes.pattern.lead);
  while (!AtEnd()) {
    const char* const data = buffer_.data();
    if (of_bytes) {
      ScanStop stop = SkipUnquotedRecordsWithoutKey(data + pos_, data + end_, bytes.pattern);
      if (!stop.found && across_quotes) {
        stop = SkipRecordsWithoutKey(stop.at, data + end_, bytes.pattern);
      }
      pos_ = stop.at - data;
    } else if (bytes.kind == KeyBytes::kEmptyRecord) {
      pos_ = SkipUnquotedRecordsUntilEmpty(data + pos_, data + end_).at - data;
    }
    if (AtEnd()) break;
    if (ReadRecordWithKey(key, record)) return true;
  }
  return false;
}

bool RecordFile::ChangedSinceOpened() {
  FileStamp now = opened_;
  if (!stream_ || !StampOpenFile(stream_.get(), now)) {
    throw RecordFileError("the table could not be checked");
  }
  return now != opened_;
}

bool RecordFile::HeldByWriter() {
  if (!stream_) throw RecordFileError("the table is closed");
  return HeldOpenForWriting(stream_.get());
}

void RecordFile::Close() {
  stream_.reset();
  unread_size_ = 0;
  pos_ = end_ = 0;
}

}  // namespace pavrel
