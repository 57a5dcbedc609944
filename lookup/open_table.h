// Opening of the lookup table, the one thing about reading it that differs per platform. Each
// platform implements OpenRegularFile in its own file (open_table-posix.cc, open_table-win32.cc);
// the build picks one.

#ifndef PAVREL_LOOKUP_OPEN_TABLE_H_
#define PAVREL_LOOKUP_OPEN_TABLE_H_

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace pavrel {

// Opens `path` for binary reading if it is a regular file, stores its size in `size` and
// returns the stream. Returns nullptr for a missing or unreadable file and for anything that is
// not a regular file (a folder, a pipe, a device), without ever blocking. The type is checked on
// what was opened, so nothing swapped into the path's place can slip past the check.
std::FILE* OpenRegularFile(const std::filesystem::path& path, std::uintmax_t& size);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_OPEN_TABLE_H_
