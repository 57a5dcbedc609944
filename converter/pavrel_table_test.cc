#include <sqlite3.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "converter/cp936_encoder.h"
#include "gtest/gtest.h"
#include "lookup/cp936.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"

namespace pavrel {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Runs pavrel-table in the current directory; returns its exit status and its standard error.
int RunTool(const std::string& args, std::string& err) {
  const int status = std::system((PAVREL_TABLE_BINARY " " + args + " 2>err").c_str());
  err = ReadFile("err");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct ConvertCase {
  const char* what;
  bool sqlite;  // `input` is SQL that makes an ibus-table database, else the file's text
  const char* input;
  int status;
  std::u32string table;  // the table written, decoded
  const char* message;   // a part of the line on standard error
};

const ConvertCase kConvertCases[] = {
    {"Rime dictionary", false,
     "# comment\n---\nname: x\n# 字\tzzzz\n...\n# 叫\tb\n\n字\tpbf\t10\n字\tpb\t20\tstem\n中\tk\n"
     "中\tkhk\n中文\tkhyy\n𠀀\tzz\n中\tkh\t1\n字\tpbf\n中\n",
     0, U"字 pbf pb\r\n中 khk kh k\r\n",
     "wrote 2 characters to data.txt; left out 1 phrases, 1 unencodable characters and 1 unusable"},
    {"text list", false,
     "\xEF\xBB\xBF# list\r\n工 a\r\n工\t aaaa\r\n工  aaa\r\n,\tx\r\n字 p,b\r\n字 p\"\r\n字 p b\r\n"
     "字\tpbf\r\n字 \x01\r\n工 aaab\r\n",
     0, U"工 aaaa aaab aaa a\r\n字 pbf\r\n",
     "left out 0 phrases, 1 unencodable characters and 4 unusable"},
    {"ibus-table database", true,
     "CREATE TABLE phrases (id INTEGER PRIMARY KEY, tabkeys TEXT, phrase TEXT);"
     "INSERT INTO phrases VALUES (3, 'aaa', '工'), (1, 'a', '工'), (2, 'aa', '式'),"
     "(4, NULL, '工'), (5, 'aaaf', '工作');",
     0, U"工 aaa a\r\n式 aa\r\n", "left out 1 phrases, 0 unencodable characters and 1 unusable"},
    {"Rime header that never ends", false, "\n---\nname: x\n字\tpbf\n", 1, U"",
     "in:2: the YAML header that starts here never ends"},
    {"invalid UTF-8", false, "字 pbf\n\xE5\xAD b\n", 1, U"", "in:2: invalid UTF-8"},
    {"text line without a code", false, "字 pbf\n中 \n", 1, U"", "in:2: no code after the text"},
    {"database without the phrases columns", true,
     "CREATE TABLE phrases (id INTEGER PRIMARY KEY, code TEXT);", 1, U"",
     "in: not an ibus-table database"},
    {"no character at all", false, "中文 khyy\n", 1, U"", "in: holds no character"},
    {"missing input", false, nullptr, 1, U"", "in: cannot open: No such file"},
};

TEST(PavrelTableTest, ConvertsEachKindOfInput) {
  for (const ConvertCase& c : kConvertCases) {
    TempDir dir;
    if (c.sqlite) {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open("in", &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, c.input, nullptr, nullptr, nullptr), SQLITE_OK) << c.what;
      sqlite3_close(db);
    } else if (c.input) {
      dir.Write("in", c.input);
    }
    std::string err;
    EXPECT_EQ(RunTool("in", err), c.status) << c.what;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.what << ": " << err;
    EXPECT_EQ(DecodeCp936(ReadFile("data.txt")), c.table) << c.what;
    // Only the input, the captured standard error and the table: no temporary file is left.
    const auto files = std::distance(std::filesystem::directory_iterator("."), {});
    EXPECT_EQ(files, (c.input ? 2 : 1) + (c.status == 0)) << c.what;
  }
}

TEST(PavrelTableTest, ReplacesAnOutputOnlyWhenForced) {
  TempDir dir;
  dir.Write("in", "字 pbf\n");
  dir.Write("data.txt", "old");
  std::filesystem::create_directory("folder");
  std::string err;
  EXPECT_EQ(RunTool("in", err), 1);
  EXPECT_EQ(err, "pavrel-table: data.txt: already exists; pass --force to replace it\n");
  EXPECT_EQ(ReadFile("data.txt"), "old");
  EXPECT_EQ(RunTool("--force in folder", err), 1);
  EXPECT_NE(err.find("folder: is a folder"), std::string::npos) << err;
  EXPECT_EQ(RunTool("in missing/data.txt", err), 1);
  EXPECT_NE(err.find("missing: cannot create a file in this folder"), std::string::npos) << err;
  EXPECT_EQ(RunTool("--force in", err), 0);
  EXPECT_EQ(ReadFile("data.txt"), "\xD7\xD6 pbf\r\n");
}

TEST(PavrelTableTest, DefaultTableReadsBackThroughTheLookup) {
  RecordFile file = OpenRecordFile(PAVREL_DEFAULT_TABLE);
  std::map<char32_t, std::u32string> records;
  while (!AtEnd(file)) {
    const std::u32string record = ReadRecord(file);
    ASSERT_FALSE(record.empty());
    EXPECT_TRUE(records.emplace(record[0], record).second)
        << "two records for U+" << std::hex << +record[0];
  }
  EXPECT_EQ(records[U'字'], U"字 pbf pb");
  EXPECT_EQ(records[U'中'], U"中 khk kh k");
  EXPECT_EQ(records[U'ㄦ'], U"ㄦ zzzy");  // the dictionary's last character
  EXPECT_GT(records.size(), 20000u);
}

TEST(PavrelTableTest, EncoderInvertsTheDecoder) {
  for (unsigned first = 0; first <= 0xFF; ++first) {
    for (unsigned second = 0; second <= (IsCp936LeadByte(first) ? 0xFF : 0); ++second) {
      std::string bytes(1, static_cast<char>(first));
      if (IsCp936LeadByte(first)) bytes += static_cast<char>(second);
      const std::u32string text = DecodeCp936(bytes);
      if (text.size() != 1 || text[0] == U'\uFFFD') continue;
      std::string encoded;
      EXPECT_TRUE(EncodeCp936(text[0], encoded) && encoded == bytes) << first << " " << second;
    }
  }
}

}  // namespace
}  // namespace pavrel
