// The lines of a text file, decoded from whichever encoding the file is in:
// - UTF-8 with a byte order mark, or UTF-16 little or big endian with one (what Windows
//   Notepad saves as "Unicode");
// - without a byte order mark, UTF-8 when the whole file is valid UTF-8, else code page 936
//   (what Windows saves as "ANSI" in China), decoded with the lookup's own decoder.
// Lines end at LF, CR LF or a lone CR (as in data.txt itself); line ends and the byte order mark
// are not part of any line. A line may hold up to kLongestLine bytes (or UTF-16 code units), far
// more than any dictionary's, so that no file can make one line take unbounded memory.

#ifndef PAVREL_CONVERTER_TEXT_LINES_H_
#define PAVREL_CONVERTER_TEXT_LINES_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "converter/progress.h"

namespace pavrel {

inline constexpr std::size_t kLongestLine = 1 << 20;

class TextLines {
 public:
  // Reads `file`, open at its start and seekable (a file without a byte order mark is read
  // through once to tell its encoding). `progress` may be null. Throws ConvertError.
  TextLines(std::FILE* file, const std::filesystem::path& path, Progress* progress);
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
  std::optional<char32_t> NextUnit();  // the next UTF-16 code unit; none at the end
  void CheckLength(std::size_t length) const;
  void ShowProgress();

  std::FILE* file_;
  std::filesystem::path path_;
  Progress* progress_;
  std::uint64_t size_ = 0;  // of the file, 0 when unknown
  Encoding encoding_ = Encoding::kUtf8;
  bool checking_ = false;  // reading through to tell the encoding
  std::size_t number_ = 0;
  std::size_t not_utf8_ = 0;  // the first line that is not valid UTF-8, read as code page 936
  std::string bytes_;         // the line NextBytes read
  std::optional<char32_t> next_unit_;  // a UTF-16 code unit read after a CR, not yet used
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TEXT_LINES_H_
