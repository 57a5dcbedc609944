#include "lookup/word_lookup.h"

#include <vector>

#include "lookup/word_code.h"
#include "table/record_file.h"

namespace pavrel {

namespace {

// Asks for the own record of each character of `word` too, after the texts already asked for.
void AskForCharacters(std::u32string_view word, TableSearch& search) {
  for (const char32_t c : word) search.fields.emplace_back(1, c);
}

// The word's code by the rule from the records found for its characters, asked for from
// `first_character` on; or, when one of them has no record with a code, not found naming it.
LookupOutcome ComputedCode(std::u32string_view word, const SearchResult& found,
                           std::size_t first_character) {
  std::vector<std::u32string> codes;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const std::optional<std::u32string>& record = found.fields[first_character + i];
    codes.push_back(record ? FullCode(*record) : std::u32string());
    if (codes.back().empty()) return {LookupOutcome::Kind::kNotFound, {}, word[i]};
  }
  return {LookupOutcome::Kind::kComputed,
          std::u32string(word) + kComputedMark + U" " + WordCode(codes)};
}

LookupOutcome Failed(const RecordFileError& error) {
  return {LookupOutcome::Kind::kFailed, {}, 0, error.failure()};
}

}  // namespace

LookupOutcome LookUpWord(std::u32string_view word, TableSource& table, const TableWait& wait) {
  if (word.size() < 2) return LookUp(word, table, wait);
  TableSearch search{std::u32string(1, word[0]), {std::u32string(word)}};
  AskForCharacters(word, search);
  try {
    SearchResult found = ReadTrusted(table, search, wait).found;
    if (found.fields[0]) return {LookupOutcome::Kind::kFound, std::move(*found.fields[0])};
    return ComputedCode(word, found, 1);
  } catch (const RecordFileError& error) {
    return Failed(error);
  }
}

LookupOutcome LookUpCopy(const CopiedText& copy, TableSource& table, const TableWait& wait) {
  const std::u32string_view text = copy.text;
  const std::u32string_view word = CopiedWord(copy);
  // Every phrase the text may begin with, shortest first, then the word's characters.
  TableSearch search{std::u32string(1, text[0]), {}};
  for (std::size_t length = 2; length <= text.size(); ++length) {
    search.fields.emplace_back(text.substr(0, length));
  }
  const std::size_t phrases = search.fields.size();
  AskForCharacters(word, search);
  try {
    SearchResult found = ReadTrusted(table, search, wait).found;
    // A copy that is one word asks for that word: its own record (the phrase of its length), or
    // its code by the rule, though the table may hold a shorter phrase that it begins with.
    if (!word.empty()) {
      std::optional<std::u32string>& own = found.fields[word.size() - 2];
      if (own) return {LookupOutcome::Kind::kFound, std::move(*own)};
      LookupOutcome computed = ComputedCode(word, found, phrases);
      if (computed.kind == LookupOutcome::Kind::kComputed) return computed;
    }
    for (std::size_t i = phrases; i-- > 0;) {
      if (found.fields[i]) return {LookupOutcome::Kind::kFound, std::move(*found.fields[i])};
    }
    if (!found.record) return {LookupOutcome::Kind::kNotFound, {}};
    return {LookupOutcome::Kind::kFound, std::move(*found.record)};
  } catch (const RecordFileError& error) {
    return Failed(error);
  }
}

LookupOutcome LookUpWord(std::u32string_view word, const TableWait& wait) {
  TableFile table(kTablePath);
  return LookUpWord(word, table, wait);
}

LookupOutcome LookUpCopy(const CopiedText& copy, const TableWait& wait) {
  TableFile table(kTablePath);
  return LookUpCopy(copy, table, wait);
}

}  // namespace pavrel
