// Writing of the finished table.
//
// A table file is written atomically: into a new temporary file in the same folder, flushed to the
// disk, then renamed over its name. A lookup that reads the table meanwhile sees either the old
// table or the new one, whole, and a crash never leaves half a table under the real name. The
// temporary file is removed on every failure. A file that is replaced keeps its permission
// bits; when the name is a symbolic link, the file it leads to is replaced and the link kept.

#ifndef PAVREL_CONVERTER_TABLE_WRITER_H_
#define PAVREL_CONVERTER_TABLE_WRITER_H_

#include <filesystem>
#include <string_view>

namespace pavrel {

// Writes `bytes` to `path`: "-" is standard output; an existing device, pipe or socket (for
// example /dev/null or /dev/stdout) is written into as it is; any other file is written
// atomically, as above. Without `replace`, an existing file of that last kind is an error and
// is left as it is. Throws ConvertError.
void WriteTable(const std::filesystem::path& path, std::string_view bytes, bool replace);

// Whether `path` names an existing file that WriteTable replaces.
bool IsReplaced(const std::filesystem::path& path);

// The message for an output that exists and may not be replaced.
inline constexpr char kOutputExists[] = "already exists; pass --force to replace it";

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TABLE_WRITER_H_
