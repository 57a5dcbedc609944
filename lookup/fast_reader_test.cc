// The fast reader and the key search against the plain reference, on random tables biased to the
// syntax's corners: delimiters, quotes, spaces, lone lead bytes, records past the length cap and
// characters or CR LF pairs cut by the edge of the reader's 64 KiB buffer.

#include <random>

#include "gtest/gtest.h"
#include "lookup/lookup_command.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"
#include "lookup/test_reference_reader.h"
#include "lookup/test_window.h"

namespace pavrel {
namespace {

std::string RandomTable(std::mt19937& random) {
  const auto pick = [&random](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  constexpr int kEdge = 64 * 1024;
  const int size = pick(0, 3) ? pick(0, 300) : kEdge * pick(1, 2) + pick(-8, 8);
  const int delimiter_odds = pick(2, 5000);  // one in this many bytes; rare ones make long records
  const bool lines = pick(0, 2) == 0;        // CR LF line ends only, as in most tables
  std::string table;
  while (static_cast<int>(table.size()) < size) {
    if (pick(1, delimiter_odds) == 1) {
      table += lines ? "\r\n" : std::string(1, ",\r\n\""[pick(0, 3)]);
    } else {
      // A space, a lead byte, a trail byte or 0xFF, ASCII, the euro sign, a tab, or 字.
      const char* const pieces[] = {" ", "\x81", "\x40", "a", "\x80", "\t", "\xD7\xD6"};
      table += pieces[pick(0, 6)];
      if (table.back() == '\x81') table.back() = static_cast<char>(pick(0x81, 0xFE));
      if (table.back() == '\x40') table.back() = static_cast<char>(pick(0x40, 0xFF));
    }
  }
  if (size > kEdge) {  // a pair or CR LF cut by, or just before, the buffer's edge
    const char* const pairs[] = {"\xD7\xD6", "\r\n", "\x81,"};
    table.replace(kEdge - pick(1, 2), 2, pairs[pick(0, 2)]);
  }
  return table;
}

TEST(FastReaderTest, ReadsAndLooksUpLikeTheReference) {
  TempDir dir;
  std::mt19937 random(7);
  for (int i = 0; i < 400; ++i) {
    const std::string table = RandomTable(random);
    dir.Write(kTablePath, table);
    const std::vector<std::u32string> expected = ReferenceRecords(table);
    std::vector<std::u32string> records;
    RecordFile file = OpenRecordFile(kTablePath);
    while (!AtEnd(file)) records.push_back(ReadRecord(file));
    ASSERT_EQ(records, expected) << "table " << i;

    // Lookups of an empty key, of the keys of a few records and of a key that matches nothing.
    TestWindow window;
    for (int j = 0; j < 5; ++j) {
      window.query = j == 0                       ? U""
                     : j == 4 || expected.empty() ? U"\U0002A6A5"
                                                  : expected[random() % expected.size()];
      window.query.resize(std::min<std::size_t>(window.query.size(), 1));
      std::u32string result = kNotFoundText;
      for (const std::u32string& record : expected) {
        if (record.substr(0, 1) == window.query) {
          result = record;
          break;
        }
      }
      RunLookup(window);
      ASSERT_EQ(window.Answer(), result) << "table " << i << ", lookup " << j;
    }
  }
}

}  // namespace
}  // namespace pavrel
