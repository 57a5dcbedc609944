#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "converter/convert_error.h"
#include "converter/dictionary.h"

namespace pavrel {

void ReadDictionary(const std::filesystem::path& path, const EntrySink& sink) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) throw FileError(path, std::string("cannot open: ") + std::strerror(errno));
  // A pipe cannot be an SQLite database, and what is read to tell could not be read again.
  if (std::fseek(file.get(), 0, SEEK_SET) != 0) return ReadTextDictionary(file.get(), path, sink);
  constexpr char kSqliteMagic[] = "SQLite format 3";  // with its NUL, the first 16 bytes
  char start[sizeof kSqliteMagic];
  const std::size_t got = std::fread(start, 1, sizeof start, file.get());
  if (std::ferror(file.get())) {
    throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
  }
  if (got == sizeof start && std::memcmp(start, kSqliteMagic, sizeof start) == 0) {
    ReadIbusTable(path, sink);
  } else {
    std::rewind(file.get());
    ReadTextDictionary(file.get(), path, sink);
  }
}

}  // namespace pavrel
