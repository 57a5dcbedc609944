#include "lookup/test_reference_reader.h"

#include <cstring>

#include "lookup/cp936.h"
#include "lookup/open_table.h"
#include "lookup/record_file.h"

namespace pavrel {

namespace {

constexpr char32_t kEndOfFile = 0xFFFFFFFF;

bool IsDelimiter(char32_t c) { return c == U',' || c == U'\r' || c == U'\n'; }

}  // namespace

ReferenceReader::ReferenceReader(const std::filesystem::path& path) : buffer_(64 * 1024) {
  stream_ = OpenRegularFile(path, unread_size_);
  if (stream_ == nullptr) throw RecordFileError("the table is missing, unreadable or not a file");
  std::setvbuf(stream_, nullptr, _IONBF, 0);
}

ReferenceReader::~ReferenceReader() { std::fclose(stream_); }

std::size_t ReferenceReader::Fill(std::size_t wanted) {
  if (end_ - pos_ >= wanted || unread_size_ == 0) return end_ - pos_;
  std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
  end_ -= pos_;
  pos_ = 0;
  while (end_ < wanted && unread_size_ > 0) {
    const std::size_t room = buffer_.size() - end_;
    const std::size_t request = unread_size_ < room ? static_cast<std::size_t>(unread_size_) : room;
    const std::size_t got = std::fread(buffer_.data() + end_, 1, request, stream_);
    if (got == 0) throw RecordFileError("the table could not be read");
    end_ += got;
    unread_size_ -= got;
  }
  return end_ - pos_;
}

char32_t ReferenceReader::PeekChar() {
  const std::size_t available = Fill(2);
  if (available == 0) return kEndOfFile;
  const auto first = static_cast<unsigned char>(buffer_[pos_]);
  peeked_width_ = 1;
  if (IsCp936LeadByte(first) && available >= 2) {
    const auto second = static_cast<unsigned char>(buffer_[pos_ + 1]);
    if (IsCp936TrailByte(second)) {
      peeked_width_ = 2;
      return DecodeCp936Pair(first, second);
    }
  }
  return DecodeCp936Byte(first);
}

std::u32string ReferenceReader::ReadRecord() {
  std::u32string record;
  const auto append = [&record](char32_t c) {
    if (record.size() < kMaxRecordLength) record.push_back(c);
  };
  char32_t c;
  while ((c = PeekChar()) == U' ') SkipChar();
  const bool quoted = c == U'"';
  if (quoted) SkipChar();
  while ((c = PeekChar()) != kEndOfFile && (quoted ? c != U'"' : !IsDelimiter(c))) {
    append(c);
    SkipChar();
  }
  if (quoted) {
    if (c == U'"') SkipChar();
    while ((c = PeekChar()) != kEndOfFile && !IsDelimiter(c)) SkipChar();
  }
  if (IsDelimiter(c)) {
    SkipChar();
    if (c == U'\r' && PeekChar() == U'\n') SkipChar();
  }
  return record;
}

}  // namespace pavrel
