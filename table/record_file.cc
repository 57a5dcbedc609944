#include "table/record_file.h"

#include <algorithm>
#include <cstring>

#include "encoding/gb18030.h"
#include "encoding/utf16.h"
#include "table/open_table.h"
#include "table/record_file_scan.h"

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
// it stopped. A character cut by the very end is left unread when `more` bytes follow it in the
// file, since the rest of it may be among them.
const char* Decode(CharDecoder decode, const char* p, const char* end, bool more,
                   std::u32string& record) {
  const auto bytes = [](const char* at) { return reinterpret_cast<const unsigned char*>(at); };
  while (p != end && record.size() < kMaxRecordLength) {
    char32_t c;
    const std::size_t width = decode(bytes(p), bytes(end), more, c);
    if (width == 0) break;
    record.push_back(c);
    p += width;
  }
  return p;
}

// Encodes the characters of `keys` for the byte search: kEmptyRecord for no key, and
// kUnsearchable for U+FFFD, which every byte that starts no character decodes to.
KeyBytes EncodeKeys(TableEncoding encoding, std::u32string_view keys) {
  if (keys.empty()) return {KeyBytes::kEmptyRecord, {}};
  KeyBytes found{KeyBytes::kBytes, {}};
  for (const char32_t key : keys) {
    if (key == U'\uFFFD') return {KeyBytes::kUnsearchable, {}};
    for (const std::string& bytes : EncodingsOf(encoding, key)) {
      // An encoding is at most four bytes long; the bound says so to the compiler too.
      KeyPattern pattern;
      pattern.length = static_cast<int>(std::min(bytes.size(), sizeof pattern.bytes));
      std::copy_n(bytes.begin(), pattern.length, pattern.bytes);
      found.patterns.push_back(pattern);
    }
  }
  return found;
}

// Searches [begin, end) for a record that begins with any of the keys' encodings: each encoding
// is searched for apart, and the earliest stop is where a record may begin with a key. `places`
// keeps what earlier searches of the same bytes found, so that a word's many records cost one
// search per key and block, not one per record: the first double quote from where they began, and
// each encoding's stop, which holds while it is not passed, as no record between begin and it
// begins with that encoding. A key without encodings is searched for as a pattern of no bytes,
// which no record begins with.
const char* SkipRecordsWithoutAnyOf(const char* begin, const char* end,
                                    const std::vector<KeyPattern>& patterns, SearchPlaces& places) {
  static const std::vector<KeyPattern> none(1);
  const std::vector<KeyPattern>& searched = patterns.empty() ? none : patterns;
  places.stops.resize(searched.size(), nullptr);
  if (places.quote == nullptr || places.quote < begin) {
    const void* quote = std::memchr(begin, '"', static_cast<std::size_t>(end - begin));
    places.quote = quote ? static_cast<const char*>(quote) : end;
  }
  const char* stop = end;
  for (std::size_t i = 0; i < searched.size(); ++i) {
    const char*& searched_to = places.stops[i];
    if (searched_to == nullptr || searched_to < begin) {
      const KeyPattern& pattern = searched[i];
      ScanStop scan = SkipUnquotedRecordsWithoutKeyBefore(begin, end, pattern, places.quote);
      if (!scan.found && !ShapesRecords(pattern.bytes[0])) {
        scan = SkipRecordsWithoutKey(scan.at, end, pattern);
      }
      searched_to = scan.at;
    }
    stop = std::min(stop, searched_to);
  }
  return stop;
}

}  // namespace

RecordFile::RecordFile(const std::filesystem::path& path) : buffer_(kBufferSize + 1) {
  TableFailure failure = TableFailure::kUnreadable;
  stream_.reset(OpenRegularFile(path, opened_, failure));
  if (!stream_) throw RecordFileError(failure, "the table cannot be opened");
  stamp_clock_ = StampClockOf(stream_.get());
  unread_size_ = opened_.size;
  // The file is read in large blocks into buffer_ already; a second buffer would only copy.
  std::setvbuf(stream_.get(), nullptr, _IONBF, 0);
}

// Makes at least `wanted` (at most 4) unread bytes available in the buffer, unless the file ends
// first, and returns how many are available.
std::size_t RecordFile::Fill(std::size_t wanted) {
  if (end_ - pos_ >= wanted || !MoreToRead()) return end_ - pos_;
  if (!stream_) throw RecordFileError(TableFailure::kUnreadable, "the table is closed");
  std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  ++fills_;
  while (end_ - pos_ < wanted && MoreToRead()) {
    const std::size_t old_end = end_;
    if (utf16_ != ByteOrderMark::kNone) {
      ConvertUtf16();
    } else {
      end_ += ReadFile(buffer_.data() + end_, kBufferSize - end_);
      if (!decode_) ReadByteOrderMark();
    }
    if (!decided_) GuessEncodingFrom(old_end);
  }
  return end_ - pos_;
}

// Reads up to `room` bytes of the file as opened to `into`, which has room for one more, and
// returns how many it read: at least one.
std::size_t RecordFile::ReadFile(char* into, std::size_t room) {
  // The last read asks for one byte more than is left of the file as opened, so that the same
  // read tells whether the file has grown since.
  const bool last = unread_size_ <= room;
  const std::size_t request = last ? static_cast<std::size_t>(unread_size_) + 1 : room;
  std::size_t got = std::fread(into, 1, request, stream_.get());
  if (got == 0) {
    if (std::ferror(stream_.get())) {
      throw RecordFileError(TableFailure::kUnreadable, "the table could not be read");
    }
    throw RecordFileChanged("the table shrank while it was read");
  }
  if (got > unread_size_) {
    grown_ = true;
    got = static_cast<std::size_t>(unread_size_);
  }
  unread_size_ -= got;
  return got;
}

// Converts the next piece of a UTF-16 table into the buffer, reading more of it first when less
// than a surrogate pair is waiting.
void RecordFile::ConvertUtf16() {
  char* const bytes = utf16_bytes_.data();
  if (utf16_end_ - utf16_begin_ < 4 && unread_size_ > 0) {
    std::memmove(bytes, bytes + utf16_begin_, utf16_end_ - utf16_begin_);
    utf16_end_ -= utf16_begin_;
    utf16_begin_ = 0;
    utf16_end_ += ReadFile(bytes + utf16_end_, kBufferSize - utf16_end_);
  }
  const Utf16Conversion done =
      ConvertUtf16ToUtf8(reinterpret_cast<const unsigned char*>(bytes) + utf16_begin_,
                         utf16_end_ - utf16_begin_, utf16_ == ByteOrderMark::kUtf16Be,
                         unread_size_ == 0, buffer_.data() + end_, kBufferSize - end_);
  utf16_begin_ += done.read;
  end_ += done.written;
}

// Reads the byte order mark from the first block read, if there is one, and skips it. A UTF-16
// table's bytes move aside, to be converted into the buffer as UTF-8.
void RecordFile::ReadByteOrderMark() {
  const ByteOrderMark mark = FindByteOrderMark({buffer_.data() + pos_, end_ - pos_});
  pos_ += mark.length;
  decided_ = mark.kind != ByteOrderMark::kNone;
  encoding_ = mark.kind == ByteOrderMark::kGb18030 ? TableEncoding::kGb18030 : TableEncoding::kUtf8;
  decode_ = DecoderOf(encoding_);
  if (mark.kind == ByteOrderMark::kUtf16Le || mark.kind == ByteOrderMark::kUtf16Be) {
    utf16_ = mark.kind;
    utf16_bytes_.resize(kBufferSize + 1);
    std::memcpy(utf16_bytes_.data(), buffer_.data() + pos_, end_ - pos_);
    utf16_begin_ = 0;
    utf16_end_ = end_ - pos_;
    end_ = pos_;
  }
}

// Until the encoding is decided, looks for the first byte past ASCII among those read from
// buffer_[from] on, and decides the encoding by the bytes from there (table_encoding.h). Up to it
// the table reads the same in either encoding.
void RecordFile::GuessEncodingFrom(std::size_t from) {
  const char* const begin = buffer_.data() + std::max(from, pos_);
  const char* const end = buffer_.data() + end_;
  const char* const first = FindNonAscii(begin, end);
  if (first == end) return;
  std::string sample(first, std::min<std::size_t>(end - first, kEncodingSample));
  if (sample.size() < kEncodingSample && unread_size_ > 0) {
    // The rest of the sample lies beyond what the buffer holds: read it, and go back.
    const std::size_t wanted = std::min<std::size_t>(kEncodingSample - sample.size(), unread_size_);
    const std::size_t have = sample.size();
    sample.resize(have + wanted);
    const std::size_t got = std::fread(sample.data() + have, 1, wanted, stream_.get());
    sample.resize(have + got);
    if (got != 0 && std::fseek(stream_.get(), -static_cast<long>(got), SEEK_CUR) != 0) {
      throw RecordFileError(TableFailure::kUnreadable, "the table could not be read");
    }
  }
  encoding_ = GuessEncoding(sample, sample.size() < kEncodingSample);
  decode_ = DecoderOf(encoding_);
  decided_ = true;
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
  const std::size_t available = Fill(4);
  if (available == 0) return kNoChar;
  const auto first = static_cast<unsigned char>(buffer_[pos_]);
  if (quoted ? first == '"' : IsDelimiter(static_cast<char>(first))) return kNoChar;
  const auto* const at = reinterpret_cast<const unsigned char*>(buffer_.data() + pos_);
  char32_t c;
  decode_(at, at + available, false, c);  // four bytes are there, or all that the file has
  return c;
}

// Decodes the field onto `record`, keeping at most kMaxRecordLength characters, and stops at its
// closing quote or delimiter, or at the end of the file.
void RecordFile::DecodeField(bool quoted, std::u32string& record) {
  while (Fill(4) > 0) {
    const char* data = buffer_.data();
    const char* end = data + end_;
    const char* stop = FindFieldEnd(data + pos_, end, quoted);
    pos_ = Decode(decode_, data + pos_, stop, stop == end && MoreToRead(), record) - data;
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
  if (key.size() > 1) key = {};  // no record's key is two characters
  return ReadRecordWithAnyKey(key, record);
}

bool RecordFile::ReadRecordWithAnyKey(std::u32string_view keys, std::u32string& record) {
  SkipSpaces();
  const bool quoted = OpenQuote();
  const char32_t first = PeekFirstChar(quoted);
  const bool matches =
      keys.empty() ? first == kNoChar
                   : first != kNoChar && std::any_of(keys.begin(), keys.end(), [first](char32_t k) {
                       return FoldPrivateUse(first) == FoldPrivateUse(k);
                     });
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
  if (key.size() > 1) {
    // No record's key is two characters: the search reads to the end without finding one.
    while (!AtEnd()) ReadRecordWithKey(key, record);
    return false;
  }
  return FindRecordWithAnyKey(key, record);
}

bool RecordFile::FindRecordWithAnyKey(std::u32string_view keys, std::u32string& record) {
  if (AtEnd()) return false;  // the first read finds the byte order mark
  while (!AtEnd()) {
    // Until the first byte past ASCII decides the encoding, the keys' bytes in either match
    // nothing. What earlier searches found holds for the same keys in the same bytes.
    const int encoding = static_cast<int>(encoding_);
    if (places_.keys != keys || places_.encoding != encoding) {
      places_.bytes = EncodeKeys(encoding_, keys);
      places_.keys = keys;
      places_.encoding = encoding;
      places_.moves = UINT64_MAX;
    }
    if (places_.moves != fills_) {
      places_.moves = fills_;
      places_.stops.clear();
      places_.quote = nullptr;
    }
    const char* const data = buffer_.data();
    if (places_.bytes.kind == KeyBytes::kBytes) {
      pos_ =
          SkipRecordsWithoutAnyOf(data + pos_, data + end_, places_.bytes.patterns, places_) - data;
    } else if (places_.bytes.kind == KeyBytes::kEmptyRecord) {
      pos_ = SkipUnquotedRecordsUntilEmpty(data + pos_, data + end_).at - data;
    }
    if (AtEnd()) break;
    if (ReadRecordWithAnyKey(keys, record)) return true;
  }
  return false;
}

bool RecordFile::ChangedSinceOpened() {
  FileStamp now = opened_;
  if (!stream_ || !StampOpenFile(stream_.get(), now)) {
    throw RecordFileError(TableFailure::kUnreadable, "the table could not be checked");
  }
  return now != opened_;
}

bool RecordFile::HeldByWriter() {
  if (!stream_) throw RecordFileError(TableFailure::kUnreadable, "the table is closed");
  return HeldOpenForWriting(stream_.get());
}

void RecordFile::Close() {
  stream_.reset();
  unread_size_ = 0;
  utf16_begin_ = utf16_end_ = 0;
  pos_ = end_ = 0;
}

}  // namespace pavrel
