#include "lookup/record_file.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "lookup/test_files.h"

namespace pavrel {
namespace {

using Records = std::vector<std::u32string>;

// Reads every record of `name` in the current directory.
Records ReadAll(const char* name) {
  RecordFile file = OpenRecordFile(name);
  Records records;
  while (!AtEnd(file)) records.push_back(ReadRecord(file));
  CloseRecordFile(file);
  return records;
}

struct SplitCase {
  const char* what;
  std::string bytes;
  Records records;
};

const SplitCase kSplitCases[] = {
    {"empty file", "", {}},
    {"CR LF line ends", "a1\r\nb2\r\n", {U"a1", U"b2"}},
    {"LF line ends", "a1\nb2\n", {U"a1", U"b2"}},
    {"CR line ends", "a1\rb2\r", {U"a1", U"b2"}},
    {"no line end after the last line", "a1\r\nb2", {U"a1", U"b2"}},
    {"LF CR is two line ends", "a\n\rb", {U"a", U"", U"b"}},
    {"blank line", "a\r\n\r\nb\r\n", {U"a", U"", U"b"}},
    {"comma splits a line", "\xD7\xD6 pbf,pbfg\r\n", {U"字 pbf", U"pbfg"}},
    {"trailing comma adds no record", "a,", {U"a"}},
    {"two commas enclose an empty record", "a,,b", {U"a", U"", U"b"}},
    {"quoted record keeps its comma", "\"\xD7\xD6 pbf,pbfg\"\r\nx", {U"字 pbf,pbfg", U"x"}},
    {"quoted record keeps its spaces", "  \" a \"", {U" a "}},
    {"text after the closing quote is dropped", "\"ab\"cd,e", {U"ab", U"e"}},
    {"quoted record spans a line end", "\"a\r\nb\",c", {U"a\r\nb", U"c"}},
    {"unclosed quote ends at the end of the file", "x\n\"abc", {U"x", U"abc"}},
    {"quote inside an unquoted record is ordinary", "a\"b,c", {U"a\"b", U"c"}},
    {"leading spaces are skipped", "  \xD7\xD6 pbf", {U"字 pbf"}},
    {"a tab is not a space", "\t\xD7\xD6", {U"\t字"}},
    {"trailing spaces stay", "a  \nb", {U"a  ", U"b"}},
    {"only spaces after the last line end", "a\n   ", {U"a", U""}},
    {"lead byte does not swallow the comma", "\x81,b", {U"\uFFFD", U"b"}},
    {"lead byte does not swallow the line end", "\xD7\r\nb", {U"\uFFFD", U"b"}},
    {"lead byte does not swallow the closing quote", "\"\xD7\",b", {U"\uFFFD", U"b"}},
    {"end-of-file marker is an ordinary byte", "a\x1A\nb", {U"a\u001A", U"b"}},
    {"records are decoded", "\xD6\xD0\x80 khk", {U"中€ khk"}},
};

TEST(RecordFileTest, SplitsAndDecodesRecords) {
  TempDir dir;
  for (const SplitCase& c : kSplitCases) {
    dir.Write("data.txt", c.bytes);
    EXPECT_EQ(ReadAll("data.txt"), c.records) << c.what;
  }
}

TEST(RecordFileTest, KeepsTheStartOfAnOverlongRecord) {
  TempDir dir;
  dir.Write("data.txt", std::string(10000, 'a') + "\nb");
  EXPECT_EQ(ReadAll("data.txt"), (Records{std::u32string(kMaxRecordLength, U'a'), U"b"}));

  dir.Write("data.txt", "\"" + std::string(10000, 'q') + "\",b");
  EXPECT_EQ(ReadAll("data.txt"), (Records{std::u32string(kMaxRecordLength, U'q'), U"b"}));
}

// A device reads without end or blocks: it is refused like a missing file.
TEST(RecordFileTest, RefusesADevice) {
  EXPECT_THROW(OpenRecordFile(kHasPosixFiles ? "/dev/null" : "NUL"), RecordFileError);
}

TEST(RecordFileTest, FollowsALinkToARegularFile) {
  if (!kHasPosixFiles) GTEST_SKIP() << "no symbolic links";
  TempDir dir;
  dir.Write("table", "a\nb");
  std::filesystem::create_symlink("table", "data.txt");
  EXPECT_EQ(ReadAll("data.txt"), (Records{U"a", U"b"}));
}

}  // namespace
}  // namespace pavrel
