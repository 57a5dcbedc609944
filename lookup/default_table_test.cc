// Words against the default table, the dictionary's characters and phrases: the rule for words
// gives the dictionary's own code for nearly every phrase, and a word's lookup finds the phrase's
// record where the table has one, and computes that code where it has none.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "lookup/word_code.h"
#include "lookup/word_lookup.h"
#include "table/record_file.h"
#include "table/test_reference_reader.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

TEST(DefaultTableTest, TheRuleGivesTheDictionarysCodesAndLookupsFindThem) {
  const std::vector<std::u32string> records = ReadAllRecords(PAVREL_DEFAULT_TABLE);
  std::map<char32_t, std::u32string> full_code;  // by character: from its own record
  std::vector<std::u32string> phrases;           // their records
  std::string characters_only;                   // the table's lines of characters
  for (const std::u32string& record : records) {
    if (FirstField(record).size() > 1) {
      phrases.push_back(record);
    } else {
      full_code.try_emplace(record[0], FullCode(record));
      characters_only += EncodeUtf8(record) + "\r\n";
    }
  }
  ASSERT_GT(phrases.size(), 10000u);
  // The rule's code for each phrase whose characters all have codes (卡拉OK's letters have
  // none), and whether the dictionary gives the phrase that code.
  std::vector<std::u32string> by_rule;
  std::size_t agree = 0;
  for (const std::u32string& phrase : phrases) {
    std::vector<std::u32string> codes;
    for (const char32_t c : FirstField(phrase)) codes.push_back(full_code[c]);
    const bool coded = std::ranges::none_of(codes, &std::u32string::empty);
    by_rule.push_back(coded ? WordCode(codes) : U"");
    agree += coded && (phrase + U" ").find(U" " + by_rule.back() + U" ") != std::u32string::npos;
  }
  EXPECT_GE(agree * 1000, phrases.size() * 999) << agree << " of " << phrases.size();

  // A sample of the phrases, looked up in the default table and in one without phrases.
  TempDir dir;
  dir.Write("characters.txt", characters_only);
  for (std::size_t i = 0; i < phrases.size(); i += phrases.size() / 400) {
    const std::u32string word(FirstField(phrases[i]));
    TableFile table(PAVREL_DEFAULT_TABLE, std::chrono::milliseconds(0));
    EXPECT_EQ(LookUpWord(word, table, kNoWait).record, phrases[i]);
    TableFile without(dir.path() / "characters.txt", std::chrono::milliseconds(0));
    EXPECT_EQ(LookUpWord(word, without, kNoWait).record,
              by_rule[i].empty() ? U"" : word + kComputedMark + U" " + by_rule[i]);
  }
}

}  // namespace
}  // namespace pavrel
