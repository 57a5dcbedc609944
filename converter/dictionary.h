// Reading of the Wubi dictionaries that pavrel-table converts. Their kind is recognised by
// their content, not by their name:
// - An ibus-table database: an SQLite 3 file whose table `phrases` has the columns `id`,
//   `tabkeys` (the code) and `phrase` (the text). Rows are taken in `id` order.
// - A Rime dictionary: after any blank and '#' comment lines, a YAML header from a line "---" to
//   a line "...", then lines of tab-separated fields, the columns that the header's `columns:`
//   names (text, code, weight and stem in any order; text and code when it names none). The
//   dictionary's own entries come first, then those of each of its `import_tables:`,
//   NAME.dict.yaml beside it, in the listed order and depth first. A code that matches one of
//   the header's `encoder: exclude_patterns:` (in RE2's syntax) as a whole is excluded.
// - fcitx5's table text: a header of NAME=VALUE lines and sections up to a line "[Data]", then
//   lines "code text"; lines that start with the header's Pinyin=, Prompt= or ConstructPhrase=
//   character are not entries.
// - A text list: lines of a text and its code separated by blanks (spaces, full-width spaces
//   U+3000 or tabs), in either order; fields after the second are ignored. A code is ASCII letters
//   and the text is not; where both or neither look like a code, the order of the file's other
//   lines holds.
// Text files may be in UTF-8, UTF-16 or code page 936 (see text_lines.h); blank lines and lines
// that start with '#' are skipped.

#ifndef PAVREL_CONVERTER_DICTIONARY_H_
#define PAVREL_CONVERTER_DICTIONARY_H_

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "converter/progress.h"

namespace pavrel {

// One entry of a dictionary, a text (a character or a phrase) and one code for it, with where
// it was found.
struct Entry {
  std::u32string_view text;
  std::u32string_view code;
  bool excluded = false;  // the dictionary excludes the code from its codes
  const std::filesystem::path* file = nullptr;
  std::size_t line = 0;  // its line, or its row id in a database
  bool row = false;      // `line` is a row id
};

using EntrySink = std::function<void(const Entry& entry)>;

// Passes every entry of the dictionary at `path` ("-": standard input), whatever its kind, to
// `sink` in order. `progress` may be null. Throws ConvertError, naming the file and the line
// where there is one, when a file cannot be read or is not a dictionary of these kinds.
void ReadDictionary(const std::filesystem::path& path, const EntrySink& sink, Progress* progress);

// The readers of each kind.
class TextLines;
void ReadIbusTable(const std::filesystem::path& path, const EntrySink& sink, Progress* progress);
void ReadTextDictionary(TextLines& lines, const EntrySink& sink, Progress* progress);
// Reads up to the first line that is neither blank nor a comment, into `line`, and says whether
// it opens a Rime dictionary's header ("---").
bool OpensRimeDictionary(TextLines& lines, std::u32string& line);
// Reads a Rime dictionary whose first content line, "---", `lines` has just returned.
void ReadRimeDictionary(TextLines& lines, const EntrySink& sink, Progress* progress);

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_DICTIONARY_H_
