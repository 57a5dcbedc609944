// The lookup table that pavrel-table builds from a dictionary's entries.
//
// The table has one record per single character (a private use twin counting as its standard
// character, see Held), in the order in which the characters first appear with a usable code: the
// character, then its distinct codes in lower case, longest first and otherwise in the order they
// came, each after one space. An entry is left out, and counted under the first of these reasons
// that applies:
// - it is incomplete: its text or its code is empty;
// - it is a phrase: its text is not exactly one character;
// - its character cannot be written into the table: the table's encoding has no bytes for it
//   (only code page 936 lacks any), or the lookup would read it as field syntax (a comma, double
//   quote, space or control character);
// - the dictionary excludes its code;
// - its code cannot be written into the table, for the same reasons, or is longer than
//   kLongestCode characters (no shape code is; the dictionary's exclude patterns are not run
//   over such codes, so that a hostile one cannot make them take forever).
// A character whose every entry is left out gets no record.

#ifndef PAVREL_CONVERTER_TABLE_BUILDER_H_
#define PAVREL_CONVERTER_TABLE_BUILDER_H_

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "converter/dictionary.h"

namespace pavrel {

// What became of an entry.
enum class Outcome {
  kKept,
  kIncomplete,
  kPhrase,
  kUnencodableCharacter,
  kExcludedCode,
  kUnusableCode
};
inline constexpr std::size_t kOutcomes = 6;

inline constexpr std::size_t kLongestCode = 32;

// The encodings a table is written in: UTF-8 with a byte order mark, code page 936 alone, or
// code page 936 with GB18030's four-byte sequences for the rest.
enum class TableOutput { kUtf8, kCp936, kGb18030 };

class TableBuilder {
 public:
  explicit TableBuilder(TableOutput output = TableOutput::kUtf8) : output_(output) {}

  // Takes one entry of the dictionary and says what became of it.
  Outcome Add(const Entry& entry);

  // The table so far in its encoding, each record on a line of its own ending in CR LF.
  std::string Text() const;

  std::size_t characters() const { return records_.size(); }
  std::size_t codes() const { return codes_; }
  // The number of entries with each outcome, indexed by Outcome.
  const std::array<std::size_t, kOutcomes>& counts() const { return counts_; }

 private:
  // The character the table holds for `c`. A private use character that old code page 936
  // mappings gave in place of a standard one (U+E863 for 䶮, see gb18030.h) is the standard one
  // in UTF-8 and GB18030, so that a dictionary holding both gets one record; code page 936 alone
  // can write either only as the private use character's two bytes, and keeps it.
  char32_t Held(char32_t c) const;
  bool Encode(std::u32string_view text, std::string& out) const;

  // A code in the table's encoding and its length in characters.
  struct Code {
    std::string bytes;
    std::size_t length;
  };
  // One record: its character in the table's encoding and its codes, longest first.
  struct Record {
    std::string character;
    std::vector<Code> codes;
  };

  Outcome Keep(const Entry& entry, std::string character_bytes, std::string code_bytes);

  TableOutput output_;
  std::vector<Record> records_;
  std::unordered_map<char32_t, std::size_t> record_of_character_;  // index into records_
  std::size_t codes_ = 0;
  std::array<std::size_t, kOutcomes> counts_{};
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TABLE_BUILDER_H_
