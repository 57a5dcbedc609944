// Reading of the Wubi dictionaries that pavrel-table converts. Their kind is recognised by
// their content, not by their name:
// - An ibus-table database: an SQLite 3 file (it starts with "SQLite format 3\0") whose table
//   `phrases` has the columns `id`, `tabkeys` (the code) and `phrase` (the text). Rows are taken
//   in `id` order; the file is opened read-only.
// - A Rime dictionary: after any blank and '#' comment lines, a YAML header from a line "---" to
//   a line "...", then lines text<TAB>code[<TAB>weight[<TAB>stem]]; a line without a code has an
//   empty one.
// - A UTF-8 text list: lines text<TAB or spaces>code, the code running to the end of the line.
// In both text kinds blank lines and lines that start with '#' are skipped, a trailing CR is
// ignored, and so is a UTF-8 byte order mark at the start of the file.

#ifndef PAVREL_CONVERTER_DICTIONARY_H_
#define PAVREL_CONVERTER_DICTIONARY_H_

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string_view>

namespace pavrel {

// Takes one entry of a dictionary: a text (a character or a phrase) and one code for it.
using EntrySink = std::function<void(std::u32string_view text, std::u32string_view code)>;

// Passes every entry of the dictionary at `path`, whatever its kind, to `sink` in order. Throws
// ConvertError, naming the file and the line where there is one, when the file cannot be read
// or is not a dictionary of these kinds.
void ReadDictionary(const std::filesystem::path& path, const EntrySink& sink);

// The readers of each kind. ReadTextDictionary reads a Rime dictionary or a text list from
// `file`, which is open at its start.
void ReadIbusTable(const std::filesystem::path& path, const EntrySink& sink);
void ReadTextDictionary(std::FILE* file, const std::filesystem::path& path, const EntrySink& sink);

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_DICTIONARY_H_
