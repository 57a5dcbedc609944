// Writing of the finished table.
//
// The file is written atomically: into a new temporary file in the same folder, flushed to the
// disk, then renamed over its name. A lookup that reads the table meanwhile sees either the old
// table or the new one, whole, and a crash never leaves half a table under the real name. The
// temporary file is removed on every failure. A file that is replaced keeps its permission
// bits; when the name is a symbolic link, the file it leads to is replaced and the link kept.

#ifndef PAVREL_CONVERTER_TABLE_WRITER_H_
#define PAVREL_CONVERTER_TABLE_WRITER_H_

#include <filesystem>
#include <string_view>

namespace pavrel {

// Writes `bytes` to `path`. Without `replace`, an existing `path` is an error and is left as it
// is. Throws ConvertError.
void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, bool replace);

// Writes `bytes` to standard output. Throws ConvertError.
void WriteStandardOutput(std::string_view bytes);

// The message for an output that exists and may not be replaced.
inline constexpr char kOutputExists[] = "already exists; pass --force to replace it";

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TABLE_WRITER_H_
