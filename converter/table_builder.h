// The lookup table that pavrel-table builds from a dictionary's entries (a text, a character or
// a phrase, and one code for it).
//
// The table has one record per single character, in the order in which the characters first
// appear with a usable code: the character, then its distinct codes, longest first and otherwise
// in the order they came, each after one space. Entries are left out, and counted by kind, when
// their text is not exactly one character (a phrase), when their character cannot be written
// into the table (code page 936 has no bytes for it, or the lookup would read it as field
// syntax: a comma, double quote, space or control character), or when their code is empty, holds
// such a character of field syntax, or holds a character outside code page 936.

#ifndef PAVREL_CONVERTER_TABLE_BUILDER_H_
#define PAVREL_CONVERTER_TABLE_BUILDER_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace pavrel {

// Entries left out, by kind.
struct LeftOut {
  std::size_t phrases = 0;
  std::size_t unencodable_characters = 0;
  std::size_t unusable_codes = 0;
};

class TableBuilder {
 public:
  // Takes one entry of the dictionary.
  void Add(std::u32string_view text, std::u32string_view code);

  // The table so far as code page 936 text, each record on a line of its own ending in CR LF.
  std::string Cp936Text() const;

  std::size_t characters() const { return records_.size(); }
  const LeftOut& left_out() const { return left_out_; }

 private:
  // A code in code page 936 and its length in characters.
  struct Code {
    std::string bytes;
    std::size_t length;
  };
  // One record: its character in code page 936 and its codes, longest first.
  struct Record {
    std::string character;
    std::vector<Code> codes;
  };

  std::vector<Record> records_;
  std::unordered_map<char32_t, std::size_t> record_of_character_;  // index into records_
  LeftOut left_out_;
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_TABLE_BUILDER_H_
