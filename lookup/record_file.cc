#include "lookup/record_file.h"

#include <cstring>

#include "lookup/cp936.h"
#include "lookup/open_table.h"

namespace pavrel {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// Returned by PeekChar at the end of the file.
constexpr char32_t kEndOfFile = 0xFFFFFFFF;

bool IsDelimiter(char32_t c) { return c == U',' || c == U'\r' || c == U'\n'; }

void Append(std::u32string& record, char32_t c) {
  if (record.size() < kMaxRecordLength) record.push_back(c);
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

// Decodes the next character without consuming it; SkipChar consumes it.
char32_t RecordFile::PeekChar() {
  const std::size_t available = end_ - pos_ >= 2 ? 2 : Fill(2);
  if (available == 0) return kEndOfFile;
  const auto first = static_cast<unsigned char>(buffer_[pos_]);
  if (IsCp936LeadByte(first) && available >= 2) {
    const auto second = static_cast<unsigned char>(buffer_[pos_ + 1]);
    if (IsCp936TrailByte(second)) {
      peeked_width_ = 2;
      return DecodeCp936Pair(first, second);
    }
  }
  peeked_width_ = 1;
  return DecodeCp936Byte(first);
}

void RecordFile::SkipSpaces() {
  while (PeekChar() == U' ') SkipChar();
}

// Consumes the comma or line end that ends a record, if there is one.
void RecordFile::SkipDelimiter() {
  const char32_t c = PeekChar();
  if (!IsDelimiter(c)) return;
  SkipChar();
  if (c == U'\r' && PeekChar() == U'\n') SkipChar();
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
  char32_t c = file.PeekChar();
  if (c == U'"') {
    file.SkipChar();
    while ((c = file.PeekChar()) != kEndOfFile && c != U'"') {
      Append(record, c);
      file.SkipChar();
    }
    if (c == U'"') file.SkipChar();
    // Text between the closing quote and the delimiter is not part of the record.
    while ((c = file.PeekChar()) != kEndOfFile && !IsDelimiter(c)) file.SkipChar();
  } else {
    while ((c = file.PeekChar()) != kEndOfFile && !IsDelimiter(c)) {
      Append(record, c);
      file.SkipChar();
    }
  }
  // A record that runs into the end of the file as opened is whole only if the file still ends
  // there: read from a table rewritten longer since, it would be cut short.
  if (c == kEndOfFile && file.grown_) {
    throw RecordFileError("the table changed while it was read");
  }
  file.SkipDelimiter();
  return record;
}

void CloseRecordFile(RecordFile& file) {
  file.stream_.reset();
  file.unread_size_ = 0;
  file.pos_ = file.end_ = 0;
}

}  // namespace pavrel
