// Opening of the lookup table, the one thing about reading it that differs per platform. Each
// platform implements these functions in its own file (open_table-posix.cc,
// open_table-win32.cc); the build picks one.

#ifndef PAVREL_LOOKUP_OPEN_TABLE_H_
#define PAVREL_LOOKUP_OPEN_TABLE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace pavrel {

// What tells one version of an open file from the next: its size, and its modification and
// change times in the platform's finest units. A write to the file changes the times.
struct FileStamp {
  std::uintmax_t size = 0;
  std::int64_t modified = 0, modified_fraction = 0;
  std::int64_t changed = 0, changed_fraction = 0;

  bool operator==(const FileStamp&) const = default;
};

// Opens `path` for binary reading if it is a regular file, stores its stamp in `stamp` and
// returns the stream. Returns nullptr for a missing or unreadable file and for anything that is
// not a regular file (a folder, a pipe, a device), without ever blocking. The type is checked on
// what was opened, so nothing swapped into the path's place can slip past the check.
std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp);

// Stores the stamp of the file open as `stream` in `stamp`; false if it cannot be read.
bool StampOpenFile(std::FILE* stream, FileStamp& stamp);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_OPEN_TABLE_H_
