#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/text_lines.h"

namespace pavrel {
namespace {

using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

std::string ErrnoText() { return std::strerror(errno); }

// Standard input, as a file that can be read twice: a pipe is first copied into a temporary
// file.
FilePtr SeekableStandardInput() {
  if (std::fseek(stdin, 0, SEEK_SET) == 0) return FilePtr(stdin, [](std::FILE*) { return 0; });
  FilePtr copy(std::tmpfile(), std::fclose);
  if (!copy) throw FileError("-", "cannot make a temporary file: " + ErrnoText());
  char buffer[1 << 16];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, stdin)) {
    if (std::fwrite(buffer, 1, got, copy.get()) != got) {
      throw FileError("-", "cannot copy into a temporary file: " + ErrnoText());
    }
  }
  if (std::ferror(stdin)) throw FileError("-", "cannot read: " + ErrnoText());
  std::rewind(copy.get());
  return copy;
}

}  // namespace

void ReadDictionary(const std::filesystem::path& path, const EntrySink& sink, Progress* progress) {
  FilePtr file =
      path == "-" ? SeekableStandardInput() : FilePtr(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) throw FileError(path, "cannot open: " + ErrnoText());
  constexpr char kSqliteMagic[] = "SQLite format 3";  // with its NUL, the first 16 bytes
  char start[sizeof kSqliteMagic];
  const std::size_t got = std::fread(start, 1, sizeof start, file.get());
  if (std::ferror(file.get())) throw FileError(path, "cannot read: " + ErrnoText());
  if (got == sizeof start && std::memcmp(start, kSqliteMagic, sizeof start) == 0) {
    if (path == "-") {
      throw FileError(path,
                      "an ibus-table database cannot be read from standard input; name its file");
    }
    return ReadIbusTable(path, sink, progress);
  }
  std::rewind(file.get());
  TextLines lines(file.get(), path, progress);
  ReadTextDictionary(lines, sink, progress);
}

}  // namespace pavrel
