// The lines of a text file, decoded from whichever encoding the file is in:
// - UTF-8 with a byte order mark, or UTF-16 little or big endian with one (what Windows
//   Notepad saves as "Unicode");
// - without a byte order mark, UTF-8 when the whole file is valid UTF-8, else code page 936
//   (what Windows saves as "ANSI" in China), decoded with the lookup's own decoder.
// Lines end at LF; a CR before it, and the byte order mark, are not part of any line.

#ifndef PAVREL_CONVERTER_TEXT_LINES_H_
#define PAVREL_CONVERTER_TEXT_LINES_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "converter/progress.h"

namespace pavrel {

class TextLines {
 public:
  // Reads `file`, open at its start and seekable (a file without a byte order mark is read
  // through once to tell its encoding). `progress` may be null. Throws ConvertError.
  TextLines(std::FILE* file, const std::filesystem::path& path, Progress* progress);
  ~TextLines();
  TextLines(const TextLines&) = delete;
  TextLines& operator=(const TextLines&) = delete;

  // Decodes the next line into `line`; false at the end of the file. Throws ConvertError, naming
  // the line, for one that is not valid in the file's encoding.
  bool Next(std::u32string& line);

  // The number of the line that Next returned last, counting from 1.
  std::size_t number() const { return number_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  enum class Encoding { kUtf8, kCp936, kUtf16Le, kUtf16Be };

  bool NextBytes(std::string_view& line);  // the next line of a single-byte-based encoding
  bool NextUtf16(std::u32string& line);
  void ShowProgress();

  std::FILE* file_;
  std::filesystem::path path_;
  Progress* progress_;
  std::uint64_t size_ = 0;  // of the file, 0 when unknown
  Encoding encoding_ = Encoding::kUtf8;
  bool checking_ = false;  // reading through to tell the encoding
  std::size_t number_ = 0;
  std::size_t not_utf8_ = 0;  // the first line that is not valid UTF-8, read as code page 936
  char* buffer_ = nullptr;    // getline's
  std::size_t capacity_ = 0;
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TEXT_LINES_H_
