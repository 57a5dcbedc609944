// Feeds arbitrary bytes as data.txt to the reader, the lookup command and the word lookup. A crash,
// a hang, a leak, a record other than the reference reader's, a lookup answer other than the first
// record with the query's key or "not found", a word's answer other than its own first record or
// its code from its characters' first records, or a table left open is a finding.
// Run: scripts/fuzz [seconds]

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "encoding/gb18030.h"
#include "lookup/lookup_command.h"
#include "lookup/word_code.h"
#include "lookup/word_lookup.h"
#include "table/test_reference_reader.h"
#include "testing/test_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pavrel::TempDir dir;  // the current directory from here on
  const std::string table(reinterpret_cast<const char*>(data), size);
  dir.Write(pavrel::kTablePath, table);
  const std::vector<std::u32string> expected = pavrel::ReferenceRecords(table);
  if (pavrel::ReadAllRecords(pavrel::kTablePath) != expected) std::abort();

  // The query, picked by the first byte: empty, ASCII, Chinese, U+FFFD, outside the Basic
  // Multilingual Plane, in Extension A, 䶮 or its private use twin (FE9F in code page 936), or
  // the last record's key, which the search has to find.
  const std::u32string queries[] = {
      U"",       U"a",          U"字",
      U"\uFFFD", U"\U00020000", U"㐀",
      U"䶮",     U"\uE863",     expected.empty() ? U"" : expected.back().substr(0, 1)};
  const std::u32string& query = queries[size == 0 ? 0 : data[0] % std::size(queries)];
  const std::optional<std::u32string> record = pavrel::ReferenceFirstRecord(expected, query);
  const int descriptors = pavrel::CountOpenDescriptors();
  pavrel::TableFile file(pavrel::kTablePath, std::chrono::milliseconds(0));  // nothing writes it
  const pavrel::LookupOutcome outcome = pavrel::LookUp(query, file, pavrel::kNoWait);
  if (outcome.kind !=
          (record ? pavrel::LookupOutcome::Kind::kFound : pavrel::LookupOutcome::Kind::kNotFound) ||
      outcome.record != record.value_or(U"") || pavrel::CountOpenDescriptors() != descriptors) {
    std::abort();
  }

  // A word: the last record's first field, or 字䶮, and what the records say of it.
  std::u32string word(expected.empty() ? U"" : pavrel::FirstField(expected.back()));
  if (word.size() < 2) word = U"字䶮";
  const auto own = [&](std::u32string_view text) -> std::optional<std::u32string> {
    for (const std::u32string& r : expected) {
      const std::u32string_view first = pavrel::FirstField(r);
      if (first.size() == text.size() &&
          std::equal(first.begin(), first.end(), text.begin(), [](char32_t a, char32_t b) {
            return pavrel::FoldPrivateUse(a) == pavrel::FoldPrivateUse(b);
          })) {
        return r;
      }
    }
    return std::nullopt;
  };
  std::u32string want = own(word).value_or(U"");
  std::vector<std::u32string> codes;
  for (std::size_t i = 0; want.empty() && i < word.size(); ++i) {
    codes.push_back(pavrel::FullCode(own(word.substr(i, 1)).value_or(U"")));
    if (codes.back().empty()) break;
  }
  if (want.empty() && !codes.empty() && !codes.back().empty()) {
    want = word + pavrel::kComputedMark + U" " + pavrel::WordCode(codes);
  }
  pavrel::TableFile again(pavrel::kTablePath, std::chrono::milliseconds(0));
  if (pavrel::LookUpWord(word, again, pavrel::kNoWait).record != want) std::abort();
  return 0;
}
