#include "lookup/record_file.h"

#include <random>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "lookup/lookup_command.h"
#include "lookup/record_file_scan.h"
#include "lookup/test_files.h"
#include "lookup/test_reference_reader.h"
#include "lookup/test_window.h"

namespace pavrel {
namespace {

using namespace std::string_literals;
using Records = std::vector<std::u32string>;

const struct {
  const char* what;
  std::string bytes;
  Records records;
} kSplitCases[] = {
    {"empty file", "", {}},
    {"CR LF, LF and CR line ends, a blank line, LF CR as two, none after the last line",
     "a\r\n\r\nb\n\rc\rd",
     {U"a", U"", U"b", U"", U"c", U"d"}},
    {"commas split a line and enclose an empty record, a trailing one none",
     "\xD7\xD6 pbf,,pbfg,",
     {U"字 pbf", U"", U"pbfg"}},
    {"quoted record keeps its spaces, comma and line end",
     "  \" \xD7\xD6 pbf,\r\npbfg \"\r\nx",
     {U" 字 pbf,\r\npbfg ", U"x"}},
    {"text after the closing quote is dropped", "\"ab\"cd,e", {U"ab", U"e"}},
    {"unclosed quote ends at the end of the file", "x\n\"abc", {U"x", U"abc"}},
    {"quote inside an unquoted record is ordinary", "a\"b,c", {U"a\"b", U"c"}},
    {"leading spaces are skipped, not a tab; trailing spaces stay",
     "  \t\xD7\xD6 pbf  \nb",
     {U"\t字 pbf  ", U"b"}},
    {"only spaces after the last line end", "a\n   ", {U"a", U""}},
    {"lead byte swallows no comma or line end", "\x81,\xD7\r\nb", {U"\uFFFD", U"\uFFFD", U"b"}},
    // Code page 936 as Windows decodes it: NUL and 0x1A ordinary, 0x80 the euro sign, a pair
    // with trail byte 0x80, the user-defined area, the last pair, a row mapped to private use,
    // 0xFF alone, 0x7F no trail byte, a lead byte before a pair.
    {"decoded as Windows decodes",
     "\0\x1A\x80\x81\x80\xAA\xA1\xFE\xFE\xFE\x50\xFF\x81\x7F\x81\xD7\xD6"s,
     {std::u32string(U"\0\x1A€\u4E90\uE000\uE4C5\uE815\uFFFD\uFFFD\u007F\u4F54\uFFFD", 12)}},
};

TEST(RecordFileTest, SplitsAndDecodesRecords) {
  TempDir dir;
  for (const auto& c : kSplitCases) {
    dir.Write("data.txt", c.bytes);
    EXPECT_EQ(ReadAllRecords("data.txt"), c.records) << c.what;
  }
}

// The reader and the lookup's key search against the plain reference reader, on random tables
// biased to the syntax's corners: delimiters, quotes, spaces, lone lead bytes, records past the
// length cap, characters or CR LF pairs cut by the edge of the reader's 64 KiB buffer, and
// tables of quoted records (with delimiters, quotes and text after them) across that edge.
std::string RandomTable(std::mt19937& random) {
  const auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  constexpr int kEdge = 64 * 1024;
  const int size = pick(0, 3) ? pick(0, 300) : kEdge * pick(1, 2) + pick(-8, 8);
  const int delimiter_odds = pick(2, 5000);  // one in this many bytes; rare ones make long records
  const int style = pick(0, 3);  // CR LF line ends only, as in most tables; any; quoted records
  // A space, a lead byte, a trail byte or 0xFF, ASCII, the euro sign, a tab, or 字.
  const auto piece = [&] {
    const std::string pieces[] = {
        " ", {char(pick(0x81, 0xFE))}, {char(pick(0x40, 0xFF))}, "a", "\x80", "\t", "\xD7\xD6"};
    return pieces[pick(0, 6)];
  };
  const auto delimiter = [&] { return std::string(1, ",\r\n"[pick(0, 2)]); };
  std::string table;
  while (static_cast<int>(table.size()) < size) {
    if (style >= 2) {
      table += std::string(pick(0, 9) ? 0 : pick(1, 70), ' ');
      const bool quoted = pick(0, 15) != 0;
      table += quoted ? "\"" : "";
      for (int n = pick(0, 10); n > 0; --n) table += pick(0, 20) || !quoted ? piece() : delimiter();
      if (quoted && pick(0, 20)) table += "\"";
      if (pick(0, 15) == 0) table += pick(0, 1) ? " \xD7\xD6" : "x\"";
      table += pick(0, 3) ? "\r\n" : delimiter();
    } else if (pick(1, delimiter_odds) == 1) {
      table += style == 0 ? "\r\n" : std::string(1, ",\r\n\""[pick(0, 3)]);
    } else {
      table += piece();
    }
  }
  if (size > kEdge) {  // a pair or CR LF cut by, or just before, the buffer's edge
    const char* const pairs[] = {"\xD7\xD6", "\r\n", "\x81,"};
    table.replace(kEdge - pick(1, 2), 2, pairs[pick(0, 2)]);
  }
  return table;
}

TEST(RecordFileTest, ReadsAndLooksUpLikeTheReference) {
  TempDir dir;
  std::mt19937 random(7);
  for (int i = 0; i < 600; ++i) {
    const std::string table = RandomTable(random);
    dir.Write(kTablePath, table);
    const Records expected = ReferenceRecords(table);
    ASSERT_EQ(ReadAllRecords(kTablePath), expected) << "table " << i;
    // Each byte search (with AVX2 if the CPU has it, and without) stops at a record's start or
    // behind its leading spaces, finds only a record that begins with the key, and passes none.
    const std::pair<KeyPattern, char32_t> keys[] = {
        {{0xD7, 0xD6, 2}, U'字'}, {{'a', 0, 1}, U'a'}, {{' ', 0, 1}, U' '}, {{',', 0, 1}, U','}};
    for (const auto& [key, first] : keys) {
      for (const auto search :
           {SkipRecordsWithoutKey, SkipRecordsWithoutKeyPortably, SkipUnquotedRecordsWithoutKey}) {
        if (ShapesRecords(key.lead) && search != SkipUnquotedRecordsWithoutKey) continue;
        const auto [stop, found] = search(table.data(), table.data() + table.size(), key);
        const std::size_t at = stop - table.data();
        Records passed = ReferenceRecords(table.substr(0, at));
        const Records rest = ReferenceRecords(table.substr(at));
        if (at > 0 && table[at - 1] == ' ') passed.pop_back();  // the leading spaces as a record
        for (const std::u32string& record : passed) ASSERT_NE(record[0], first) << "table " << i;
        passed.insert(passed.end(), rest.begin(), rest.end());
        ASSERT_EQ(passed, expected) << "table " << i << ", stop " << at;
        ASSERT_TRUE(!found || rest[0][0] == first) << "table " << i << ", stop " << at;
      }
    }

    // Lookups of an empty key, of the keys of a few records and of a key that matches nothing.
    TestWindow window;
    for (int j = 0; j < 5; ++j) {
      window.query = j == 0                       ? U""
                     : j == 4 || expected.empty() ? U"\U0002A6A5"
                                                  : expected[random() % expected.size()];
      window.query.resize(std::min<std::size_t>(window.query.size(), 1));
      RunLookup(window, kNoWait);
      ASSERT_EQ(window.Answer(), ReferenceAnswer(expected, window.query)) << "table " << i;
    }
  }
}

}  // namespace
}  // namespace pavrel
