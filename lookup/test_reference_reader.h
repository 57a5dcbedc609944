// The table reader as first written: one character at a time, PeekChar by PeekChar. It is slow
// and plainly right, and the tests and the fuzzer compare the fast reader with it.

#ifndef PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
#define PAVREL_LOOKUP_TEST_REFERENCE_READER_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace pavrel {

// Reads records with the syntax of record_file.h; throws RecordFileError like it.
class ReferenceReader {
 public:
  explicit ReferenceReader(const std::filesystem::path& path);
  ~ReferenceReader();
  ReferenceReader(const ReferenceReader&) = delete;
  ReferenceReader& operator=(const ReferenceReader&) = delete;

  bool AtEnd() { return Fill(1) == 0; }
  std::u32string ReadRecord();

 private:
  std::size_t Fill(std::size_t wanted);
  char32_t PeekChar();
  void SkipChar() { pos_ += peeked_width_; }

  std::FILE* stream_;
  std::uintmax_t unread_size_ = 0;
  std::vector<char> buffer_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t peeked_width_ = 0;
};

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
