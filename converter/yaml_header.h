// Reading of the YAML header of a Rime dictionary, as far as pavrel-table needs it: nested
// block mappings, block lists ("- item", also at the indentation of their key), flow lists
// ("[a, b]", also over several lines), single- and double-quoted scalars, and comments. Each
// key's scalars are gathered under the path of keys that leads to it, joined by dots
// ("encoder.exclude_patterns"); anything else (flow mappings, anchors, lists of mappings)
// yields no value for the keys that pavrel-table reads.

#ifndef PAVREL_CONVERTER_YAML_HEADER_H_
#define PAVREL_CONVERTER_YAML_HEADER_H_

#include <map>
#include <string>
#include <vector>

namespace pavrel {

// The scalars under each key path; a key that is present without any has an empty list.
using YamlValues = std::map<std::string, std::vector<std::string>>;

// Reads the header's lines, those between "---" and "...", in UTF-8.
YamlValues ReadYamlHeader(const std::vector<std::string>& lines);

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_YAML_HEADER_H_
