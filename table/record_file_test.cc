#include "table/record_file.h"

#include <random>
#include <string>
#include <vector>

#include "encoding/utf8.h"
#include "gtest/gtest.h"
#include "table/record_file_scan.h"
#include "table/table_search.h"
#include "table/test_reference_reader.h"
#include "testing/test_files.h"

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
    {"UTF-8 whose one character past ASCII is cut by the first 64 KiB's end",
     std::string(64 * 1024 - 2, ' ') + "\n\xE5\xAD\x97 pbf",
     {U"", U"字 pbf"}},
    {"GB18030's byte order mark is skipped", "\x84\x31\x95\x33\xD7\xD6 pbf", {U"字 pbf"}},
    {"70 KiB of ASCII, then UTF-8",
     std::string(70 * 1024, '#') + "\n\xE5\xAD\x97 pbf",
     {std::u32string(kMaxRecordLength, '#'), U"字 pbf"}},
    {"a stray byte in UTF-8 costs only its record",
     "\xFF x\n\xE5\xAD\x97 pbf\n\xE4\xB8\xAD khk",
     {U"\uFFFD x", U"字 pbf", U"中 khk"}},
    {"UTF-16 LE: a pair, a lone surrogate, an odd last byte",
     "\xFF\xFE\x57\x5B\x20\x00p\x00,\x00\x40\xD8\x00\xDC\r\x00\n\x00\x00\xDC,\x00x"s,
     {U"字 p", U"𠀀", U"\uFFFD", U"\uFFFD"}},
    {"UTF-16 whose mark came twice, as iconv converts a marked text",
     "\xFF\xFE\xFF\xFE\xE5\x5D"s,
     {U"工"}},
    {"code page 936 whose first character past ASCII is also UTF-8 (摹), then 5 KiB of ASCII",
     "\xC4\xA1\n" + std::string(5000, 'a') + "\n\xD7\xD6 pbf",
     {U"摹", std::u32string(kMaxRecordLength, 'a'), U"字 pbf"}},
    {"UTF-16 BE, a comma's bytes inside a character",
     "\xFE\xFF\x4E\x2C\x00,\x00\x22\x5B\x57\x00\x22"s,
     {U"丬", U"字"}},
    {"lead byte swallows no comma or line end", "\x81,\xD7\r\nb", {U"\uFFFD", U"\uFFFD", U"b"}},
    // Code page 936 as Windows decodes it: NUL and 0x1A ordinary, 0x80 the euro sign, a pair
    // with trail byte 0x80, the user-defined area, the last pair, a private use twin (FE50, as
    // its standard character),
    // 0xFF alone, 0x7F no trail byte, a lead byte before a pair.
    {"decoded as Windows decodes",
     "\0\x1A\x80\x81\x80\xAA\xA1\xFE\xFE\xFE\x50\xFF\x81\x7F\x81\xD7\xD6"s,
     {std::u32string(U"\0\x1A€\u4E90\uE000\uE4C5\u2E81\uFFFD\uFFFD\u007F\u4F54\uFFFD", 12)}},
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
  // A space, a lead byte, a trail byte or 0xFF, ASCII, the euro sign, a tab, 字, a digit, a
  // four-byte sequence (𠀀, 㐀, or one that maps to nothing), 䶮 at FE9F, or in UTF-8 tables (one
  // in three, half with a byte order mark) 字, 𠀀, 䶮's twin U+E863, and rarely a stray byte.
  const bool utf8 = pick(0, 2) == 0;
  const auto piece = [&] {
    const char* const pieces[] = {
        "\x81\x39\xEE\x39", " ",       "a", "\x80", "\t", "\xD7\xD6", "7", "\x95\x32\x82\x36",
        "\xFE\x39\xFE\x39", "\xFE\x9F"};
    const char* const utf8_pieces[] = {
        " ", "a", "\t", "\xE5\xAD\x97", "\xF0\xA0\x80\x80", "\xEE\xA1\xA3", "\xC2\xA9", "\xE5\xAD"};
    const int which = pick(0, 11);
    if (utf8) return std::string(utf8_pieces[pick(0, 6 + (pick(0, 30) == 0))]);
    if (which < 2) return std::string(1, char(which ? pick(0x81, 0xFE) : pick(0x40, 0xFF)));
    return std::string(pieces[which - 2]);
  };
  const auto delimiter = [&] { return std::string(1, ",\r\n"[pick(0, 2)]); };
  std::string table = utf8 && pick(0, 1) ? "\xEF\xBB\xBF" : "";
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
    const char* const pairs[] = {"\xD7\xD6", "\r\n", "\x81,", "\x95\x32\x82\x36", "\xE5\xAD\x97"};
    const std::string pair = pairs[pick(0, 4)];
    table.replace(kEdge - pick(1, pair.size()), pair.size(), pair);
  }
  // One in four valid UTF-8 tables in UTF-16.
  const std::string_view text =
      std::string_view(table).substr(table.starts_with("\xEF\xBB\xBF") ? 3 : 0);
  if (utf8 && pick(0, 3) == 0 && DecodeUtf8(text)) table = Utf16Of(text, pick(0, 1));
  return table;
}

TEST(RecordFileTest, ReadsAndLooksUpLikeTheReference) {
  TempDir dir;
  std::mt19937 random(7);
  for (int i = 0; i < 600; ++i) {
    const std::string table = RandomTable(random);
    dir.Write("data.txt", table);
    const Records expected = ReferenceRecords(table);
    ASSERT_EQ(ReadAllRecords("data.txt"), expected) << "table " << i;
    // Each byte search (with AVX2 if the CPU has it, and without) stops at a record's start or
    // behind its leading spaces, finds only a record that begins with the key, and passes none.
    const std::pair<KeyPattern, char32_t> keys[] = {{{{0xD7, 0xD6}, 2}, U'字'},
                                                    {{{0xE5, 0xAD, 0x97}, 3}, U'字'},
                                                    {{{0x95, 0x32, 0x82, 0x36}, 4}, U'𠀀'},
                                                    {{{'a'}, 1}, U'a'},
                                                    {{{' '}, 1}, U' '},
                                                    {{{','}, 1}, U','}};
    std::string body = table;  // as UTF-8 or code page 936 without its byte order mark
    const bool utf8 = ReferenceIsUtf8(body);
    for (const auto& [key, first] : keys) {
      if ((key.length == 3) != utf8 && key.length > 1) continue;
      for (const auto search :
           {SkipRecordsWithoutKey, SkipRecordsWithoutKeyPortably, SkipUnquotedRecordsWithoutKey}) {
        if (ShapesRecords(key.bytes[0]) && search != SkipUnquotedRecordsWithoutKey) continue;
        const auto [stop, found] = search(body.data(), body.data() + body.size(), key);
        const std::size_t at = stop - body.data();
        Records passed = ReferenceRecordsIn(body.substr(0, at), utf8);
        const Records rest = ReferenceRecordsIn(body.substr(at), utf8);
        if (at > 0 && body[at - 1] == ' ') passed.pop_back();  // the leading spaces as a record
        for (const std::u32string& record : passed) ASSERT_NE(record[0], first) << "table " << i;
        passed.insert(passed.end(), rest.begin(), rest.end());
        ASSERT_EQ(passed, expected) << "table " << i << ", stop " << at;
        ASSERT_TRUE(!found || rest[0][0] == first) << "table " << i << ", stop " << at;
      }
    }

    // Searches for an empty key, the keys of a few records and a key that matches nothing.
    for (int j = 0; j < 5; ++j) {
      std::u32string key = j == 0                       ? U""
                           : j == 4 || expected.empty() ? (j == 4 && i % 2 ? U"䶮" : U"\U0002A6A5")
                                                        : expected[random() % expected.size()];
      key.resize(std::min<std::size_t>(key.size(), 1));
      ASSERT_EQ(FirstRecord(key), ReferenceFirstRecord(expected, key)) << "table " << i;
    }

    // A word's search: the first record with a key, and at once the first whose first field is
    // each of several texts (some records' own, one record's first character, and 䶮).
    TableSearch search{U"䶮", {U"䶮"}};
    for (int j = 0; j < 4 && !expected.empty(); ++j) {
      const std::u32string& record = expected[random() % expected.size()];
      search.fields.emplace_back(j == 0 ? record.substr(0, 1) : FirstField(record));
      if (j == 1 && !record.empty()) search.key = record.substr(0, 1);
    }
    SearchResult want{ReferenceFirstRecord(expected, search.key), {}};
    for (const std::u32string& field : search.fields) {
      const auto own = std::ranges::find_if(expected, [&](const std::u32string& record) {
        const std::u32string_view first = FirstField(record);
        return !field.empty() && first.size() == field.size() &&
               std::equal(first.begin(), first.end(), field.begin(), [](char32_t a, char32_t b) {
                 return FoldPrivateUse(a) == FoldPrivateUse(b);
               });
      });
      want.fields.push_back(own == expected.end() ? std::nullopt : std::optional(*own));
    }
    RecordFile file = OpenRecordFile("data.txt");
    ASSERT_EQ(SearchTable(file, search), want) << "table " << i;
  }
}

}  // namespace
}  // namespace pavrel
