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

// `file`, or when it cannot be read twice (a pipe) a copy of it in a temporary file; sets
// `copied` then.
FilePtr Seekable(FilePtr file, const std::filesystem::path& path, bool& copied) {
  copied = std::fseek(file.get(), 0, SEEK_SET) != 0;
  if (!copied) return file;
  FilePtr copy(std::tmpfile(), std::fclose);
  if (!copy) throw FileError(path, "cannot make a temporary file: " + ErrnoText());
  char buffer[1 << 16];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get())) {
    if (std::fwrite(buffer, 1, got, copy.get()) != got) {
      throw FileError(path, "cannot copy into a temporary file: " + ErrnoText());
    }
  }
  if (std::ferror(file.get())) throw FileError(path, "cannot read: " + ErrnoText());
  std::rewind(copy.get());
  return copy;
}

}  // namespace

void ReadDictionary(const std::filesystem::path& path, const EntrySink& sink, Progress* progress) {
  FilePtr file = path == "-" ? FilePtr(stdin, [](std::FILE*) { return 0; })
                             : FilePtr(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) throw FileError(path, "cannot open: " + ErrnoText());
  bool copied;
  file = Seekable(std::move(file), path, copied);
  constexpr char kSqliteMagic[] = "SQLite format 3";  // with its NUL, the first 16 bytes
  char start[sizeof kSqliteMagic];
  const std::size_t got = std::fread(start, 1, sizeof start, file.get());
  if (std::ferror(file.get())) throw FileError(path, "cannot read: " + ErrnoText());
  if (got == sizeof start && std::memcmp(start, kSqliteMagic, sizeof start) == 0) {
    if (copied)
      throw FileError(path, "an ibus-table database cannot be read from a pipe; name its file");
    return ReadIbusTable(path, sink, progress);
  }
  std::rewind(file.get());
  TextLines lines(file.get(), path, progress);
  ReadTextDictionary(lines, sink, progress);
}

}  // namespace pavrel
