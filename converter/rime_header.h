// The YAML header of a Rime dictionary, read with yaml-cpp as Rime itself reads it, as far as
// pavrel-table needs it: `columns:`, `import_tables:` and `encoder: exclude_patterns:`, each a
// list of scalars (in block or flow style, also inside a flow mapping). Other keys are ignored.

#ifndef PAVREL_CONVERTER_RIME_HEADER_H_
#define PAVREL_CONVERTER_RIME_HEADER_H_

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace pavrel {

struct RimeHeader {
  std::vector<std::string> columns;  // empty when the header names none
  std::vector<std::string> import_tables;
  std::vector<std::string> exclude_patterns;
};

// Reads `yaml`, the header's text between "---" and "...", in UTF-8; its first line is line
// `first_line` of the dictionary at `path`. Throws ConvertError, naming the line, for a header
// that is not valid YAML (or nests deeper than yaml-cpp allows), and for one of these keys whose
// value is not a list of scalars.
RimeHeader ReadRimeHeader(const std::string& yaml, const std::filesystem::path& path,
                          std::size_t first_line);

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_RIME_HEADER_H_
