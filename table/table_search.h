// What one reading of the table looks for, found in one pass: the first record that begins with
// a key character, as the lookup command shows it, and the records of a word: the first record
// whose first field is each of several texts, a character's own record or a phrase's.
//
// A record's first field is its text up to its first blank (a space, a tab or an ideographic
// space U+3000): "中国 khlg" is the record of 中国, and "中 khk kh k" the record of 中 itself,
// though both begin with 中. Private use twins match their standard characters (gb18030.h).

#ifndef PAVREL_TABLE_TABLE_SEARCH_H_
#define PAVREL_TABLE_TABLE_SEARCH_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

class RecordFile;

struct TableSearch {
  std::u32string key;                  // one character, or empty for the first empty record
  std::vector<std::u32string> fields;  // texts whose own records are wanted as well
};

// What a search found, in the table's words.
struct SearchResult {
  std::optional<std::u32string> record;               // the first record with the key
  std::vector<std::optional<std::u32string>> fields;  // by TableSearch::fields: each's record

  bool operator==(const SearchResult&) const = default;
};

// Whether `c` ends a record's first field.
inline bool IsFieldBlank(char32_t c) { return c == U' ' || c == U'\t' || c == U'\u3000'; }

// The record's first field: its text up to its first blank.
std::u32string_view FirstField(std::u32string_view record);

// Reads `file` from its start until everything `search` wants is found, or to its end. Throws
// RecordFileError as the reader does.
SearchResult SearchTable(RecordFile& file, const TableSearch& search);

}  // namespace pavrel

#endif  // PAVREL_TABLE_TABLE_SEARCH_H_
