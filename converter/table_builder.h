// The lookup table that pavrel-table builds from a dictionary's entries.
//
// The table has one record per single character (a private use twin counting as its standard
// character, see Held), in the order in which the characters first appear with a usable code: the
// character, then its distinct codes in lower case, longest first and otherwise in the order they
// came, each after one space. After all of them come the phrases' records (texts of two or more
// characters), of the same shape and in the same order, so that a lookup of one character, which
// takes the first record that begins with it, finds the character's own record whatever phrases
// begin with it. An entry is left out, and counted under the first of these reasons that applies:
// - it is incomplete: its text or its code is empty;
// - it is a phrase, and phrases are not kept;
// - a character of its text cannot be written into the table: the table's encoding has no bytes
//   for it (only code page 936 lacks any), or the lookup would read it as field syntax (a comma,
//   double quote, space or control character), or, in a phrase, as a blank between a text and its
//   codes (the full-width space U+3000 as well);
// - the dictionary excludes its code;
// - its code cannot be written into the table, for the same reasons, or is longer than
//   kLongestCode characters (no shape code is; the dictionary's exclude patterns are not run
//   over such codes, so that a hostile one cannot make them take forever);
// - it is a phrase whose first character has no record, so that no lookup of one character ever
//   shows a phrase. This is known only once every entry is in: until then such a phrase is kept.
// A text whose every entry is left out gets no record.

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
  kUnusableCode,
  kPhraseWithoutCharacter
};
inline constexpr std::size_t kOutcomes = 7;

inline constexpr std::size_t kLongestCode = 32;

// The encodings a table is written in: UTF-8 with a byte order mark, code page 936 alone, or
// code page 936 with GB18030's four-byte sequences for the rest.
enum class TableOutput { kUtf8, kCp936, kGb18030 };

class TableBuilder {
 public:
  explicit TableBuilder(TableOutput output = TableOutput::kUtf8, bool phrases = true)
      : output_(output), keep_phrases_(phrases) {}

  // Takes one entry of the dictionary and says what became of it: a phrase that is kept leaves
  // the table again, as kPhraseWithoutCharacter, if its first character never gets a record.
  Outcome Add(const Entry& entry);

  // Whether the table has a record for the character `c`.
  bool HoldsCharacter(char32_t c) const { return record_of_character_.contains(Held(c)); }

  // The table so far in its encoding, each record on a line of its own ending in CR LF.
  std::string Text() const;

  std::size_t characters() const { return characters_.size(); }
  std::size_t codes() const { return codes_; }
  // The phrases that the table holds so far, and their codes.
  std::size_t phrases() const;
  std::size_t phrase_codes() const;
  // The number of entries with each outcome so far, indexed by Outcome.
  std::array<std::size_t, kOutcomes> counts() const;

 private:
  // The character the table holds for `c`. A private use character that old code page 936
  // mappings gave in place of a standard one (U+E863 for 䶮, see gb18030.h) is the standard one
  // in UTF-8 and GB18030, so that a dictionary holding both gets one record; code page 936 alone
  // can write either only as the private use character's two bytes, and keeps it.
  char32_t Held(char32_t c) const;
  // Encodes `text` into `out`; false when a character is field syntax, a blank in a `phrase`, or
  // outside the encoding.
  bool Encode(std::u32string_view text, std::string& out, bool phrase = false) const;

  // A code in the table's encoding and its length in characters.
  struct Code {
    std::string bytes;
    std::size_t length;
  };
  // One record: its text in the table's encoding and its codes, longest first; for a phrase,
  // its first character as held and how many entries were kept for it.
  struct Record {
    std::string text;
    std::vector<Code> codes;
    char32_t first = 0;
    std::size_t entries = 0;
  };

  // Whether a phrase's record goes into the table.
  bool Written(const Record& phrase) const { return record_of_character_.contains(phrase.first); }
  // Adds the code to the record, unless it has it; tells whether it did.
  static bool AddCode(Record& record, std::string code_bytes, std::size_t length);

  TableOutput output_;
  bool keep_phrases_;
  std::vector<Record> characters_, phrases_;
  std::unordered_map<char32_t, std::size_t> record_of_character_;     // index into characters_
  std::unordered_map<std::u32string, std::size_t> record_of_phrase_;  // index into phrases_
  std::size_t codes_ = 0;
  std::array<std::size_t, kOutcomes> counts_{};  // a phrase's entries count as kept
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TABLE_BUILDER_H_
