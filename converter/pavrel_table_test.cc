#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "converter/cp936_encoder.h"
#include "converter/progress.h"
#include "gtest/gtest.h"
#include "lookup/cp936.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"

namespace pavrel {
namespace {

using namespace std::string_literals;

std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Runs pavrel-table in the current directory, between the shell words `before` and `after`;
// returns the exit status and pavrel-table's standard error.
int RunTool(const std::string& args, std::string& err, const std::string& before = "",
            const std::string& after = "") {
  const int status =
      std::system((before + PAVREL_TABLE_BINARY " " + args + " 2>err" + after).c_str());
  err = ReadFile("err");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// `text` in UTF-16 with a byte order mark.
std::string Utf16(std::u16string_view text, bool little_endian) {
  std::string bytes = little_endian ? "\xFF\xFE" : "\xFE\xFF";
  for (char16_t unit : text) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    bytes += little_endian ? std::string{low, high} : std::string{high, low};
  }
  return bytes;
}

struct ConvertCase {
  const char* what;
  std::vector<std::pair<const char*, std::string>> files;  // "in" is SQL for a database when
  bool sqlite;                                             // `sqlite`, else the files' bytes
  const char* args;
  int status;
  std::u32string table;  // the table written, decoded
  const char* message;   // a part of standard error
};

const ConvertCase kConvertCases[] = {
    {"Rime dictionary",
     {{"in",
       "# comment\n---\nname: x\n# 字\tzzzz\n...\n# 叫\tb\n\n字\tpbf\t10\n字\tpb\t20\tstem\n中\tk\n"
       "中\tkhk\n中文\tkhyy\n𠀀\tzz\n中\tkh\t1\n字\tpbf\n中\n"}},
     false,
     "--verbose in",
     0,
     U"字 pbf pb\r\n中 khk kh k\r\n",
     "wrote 2 characters with 5 codes to data.txt; left out 1 incomplete entry, 1 phrase and 1 "
     "unencodable character\n  in:12: phrase: 中文 khyy\n  in:13: unencodable"},
    {"Rime columns in a flow list, excluded codes",
     {{"in",
       "--- \ncolumns: [weight, 'code', \"text\"]  # weights first\nencoder:\n  exclude_patterns:\n"
       "    # the z key types symbols\n    - '^z.*$'\n    - "
       "((a+)+)+$\n...\n10\tpbf\t字\n1\tzzz\t字\n"
       "5\tzzpp\t亻\n3\twth\t亻\n1\tzzd\t⑴\n1\taaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\t工作\n"}},
     false,
     "in",
     0,
     U"字 pbf\r\n亻 wth\r\n",
     "left out 1 phrase and 3 excluded codes\n"},
    {"Rime columns in a block list after a list of mappings",
     {{"in",
       "---\nencoder:\n  exclude_patterns: [\n    x ]\n  rules:\n    - length_equal: 2\n"
       "      formula: \"AaAbBaBb\"\ncolumns:\n- code\n- text\n...\npbf\t字\nx\t工\n"}},
     false,
     "in",
     0,
     U"字 pbf\r\n",
     "left out 1 excluded code\n"},
    {"Rime without a code column",
     {{"in", "---\ncolumns:\n  - text\n  - weight\n...\n字\t1\n"}},
     false,
     "in",
     1,
     U"",
     "in: the header's columns name no code"},
    {"Rime imports, depth first",
     {{"in", "---\nimport_tables:\n  - a\n  - b\n...\n字\tpbf\n"},
      {"a.dict.yaml", "---\nimport_tables: [c]\n...\n中\tk\n"},
      {"b.dict.yaml", "---\ncolumns: [code, text]\n...\nkhk\t中\ng\t一\n"},
      {"c.dict.yaml", "# c\n--- # c\n... \n中\tkh\n工\ta\n"}},
     false,
     "in",
     0,
     U"字 pbf\r\n中 khk kh k\r\n工 a\r\n一 g\r\n",
     "wrote 4 characters"},
    {"Rime import missing",
     {{"in", "---\nimport_tables: [gone]\n...\n字\tpbf\n"}},
     false,
     "in",
     1,
     U"",
     "in: imports gone, but "},
    {"Rime imports in a circle",
     {{"in", "---\nimport_tables: [a]\n...\n"},
      {"a.dict.yaml", "---\nimport_tables: [b]\n...\n"},
      {"b.dict.yaml", "---\nimport_tables: [a]\n...\n"}},
     false,
     "in",
     1,
     U"",
     "b.dict.yaml: imports a in a circle"},
    {"Rime header that never ends",
     {{"in", "\n---\nname: x\n字\tpbf\n"}},
     false,
     "in",
     1,
     U"",
     "in:2: the YAML header that starts here never ends"},
    {"text list, text first",
     {{"in",
       "\xEF\xBB\xBF# list\r\n工 a\r\n工\t aaaa\r\n工  aaa \r\n,\tx\r\n字 p,b\r\n字 p\"\r\n"
       "字\tpbf\t100\r\n字 \x01\r\n工 aaab\r\n工\r\n"}},
     false,
     "in",
     0,
     U"工 aaaa aaab aaa a\r\n字 pbf\r\n",
     "left out 1 incomplete entry, 1 unencodable character and 3 unusable codes"},
    {"text list, code first",
     {{"in", "AB CD\naa 式\n工 a\naaaa 工 100\n"}},
     false,
     "in",
     0,
     U"式 aa\r\n工 aaaa a\r\n",
     "left out 1 phrase\n"},
    {"fcitx5 table text",
     {{"in",
       "KeyCode=abcdefghijklmnopqrstuvwxy\nLength=4\nPinyin=@\n[Rule]\ne2=p11+p12+p21+p22\n"
       "[Data]\na 工\n@a 阿\naa 式\naaaa 工\n"}},
     false,
     "in",
     0,
     U"工 aaaa a\r\n式 aa\r\n",
     "wrote 2 characters with 3 codes"},
    {"UTF-16 little endian",
     {{"in", Utf16(u"字\tpbf\r\n中 khk\r\n", true)}},
     false,
     "in",
     0,
     U"字 pbf\r\n中 khk\r\n",
     "wrote 2 characters"},
    {"UTF-16 big endian",
     {{"in", Utf16(u"字 pbf\n\U00020000 zz\n", false)}},
     false,
     "in",
     0,
     U"字 pbf\r\n",
     "1 unencodable character"},
    {"UTF-16 cut short",
     {{"in", Utf16(u"字 pbf\n", true) + "a"}},
     false,
     "in",
     1,
     U"",
     "in:2: invalid UTF-16"},
    // The first line alone is valid UTF-8 (ġ), the file is not.
    {"code page 936",
     {{"in", "\xC4\xA1 abc\n# \xD6\xD0\n\xD7\xD6 pbf\n"}},
     false,
     "in",
     0,
     U"摹 abc\r\n字 pbf\r\n",
     "wrote 2 characters"},
    {"neither UTF-8 nor code page 936",
     {{"in", "字 pbf\n\xFF b\n"}},
     false,
     "in",
     1,
     U"",
     "in:1: not code page 936, and line 2 is not valid UTF-8"},
    {"ibus-table database",
     {{"in",
       "CREATE TABLE phrases (id INTEGER PRIMARY KEY, tabkeys TEXT, phrase TEXT);"
       "INSERT INTO phrases VALUES (3, 'aaa', '工'), (1, 'a', '工'), (2, 'aa', '式'),"
       "(4, NULL, '工'), (5, 'aaaf', '工作');"}},
     true,
     "-v in",
     0,
     U"工 aaa a\r\n式 aa\r\n",
     "left out 1 incomplete entry and 1 phrase\n  in: row id 4: incomplete entry: 工 \n"},
    {"database without the phrases columns",
     {{"in", "CREATE TABLE phrases (id INTEGER PRIMARY KEY, code TEXT);"}},
     true,
     "in",
     1,
     U"",
     "in: not an ibus-table database"},
    {"no character at all",
     {{"in", "中文 khyy\n字 \x1B[2J\n"}},
     false,
     "-v in",
     1,
     U"",
     "  in:2: unusable code: 字 <U+001B>[2J\npavrel-table: in: holds no character that can go "
     "into the table; left out 1 phrase and 1 unusable code\n"},
};

TEST(PavrelTableTest, ConvertsEachKindOfInput) {
  for (const ConvertCase& c : kConvertCases) {
    TempDir dir;
    for (const auto& [name, bytes] : c.files) {
      if (!c.sqlite) {
        dir.Write(name, bytes);
        continue;
      }
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(name, &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, bytes.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << c.what;
      sqlite3_close(db);
    }
    std::string err;
    EXPECT_EQ(RunTool(c.args, err), c.status) << c.what;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.what << ": " << err;
    EXPECT_EQ(DecodeCp936(ReadFile("data.txt")), c.table) << c.what;
    // Only the inputs, the captured standard error and the table: no temporary file is left.
    const auto files = std::distance(std::filesystem::directory_iterator("."), {});
    EXPECT_EQ(files, c.files.size() + 1 + (c.status == 0)) << c.what;
  }
}

TEST(PavrelTableTest, CommandLine) {
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
  EXPECT_EQ(RunTool("--force in in", err), 1);
  EXPECT_EQ(err, "pavrel-table: in: is INPUT itself; name another file to write\n");
  EXPECT_EQ(RunTool("--bad in", err), 2);
  EXPECT_EQ(RunTool("--version >out", err), 0);
  EXPECT_TRUE(ReadFile("out").starts_with("pavrel-table ")) << ReadFile("out");

  // A replaced file keeps its permissions; a symbolic link stays and its file is replaced.
  std::filesystem::permissions(
      "data.txt", std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  dir.Write("target", "old");
  std::filesystem::create_symlink("target", "link");
  for (const char* output : {"data.txt", "link"}) {
    EXPECT_EQ(RunTool("--force in "s + output, err), 0);
    EXPECT_EQ(err,
              "pavrel-table: wrote 1 character with 1 code to "s + output + "; left out nothing\n");
    EXPECT_EQ(ReadFile(output), "\xD7\xD6 pbf\r\n");
  }
  struct stat info;
  ASSERT_EQ(stat("data.txt", &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(std::filesystem::is_symlink("link"));

  // A pipe is written into, never replaced.
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  for (const char* force : {"", "--force "}) {
    EXPECT_EQ(
        RunTool(force + "in pipe"s, err, "timeout 5 cat pipe >out & ", "; s=$?; wait; exit $s"), 0)
        << err;
    EXPECT_EQ(ReadFile("out"), "\xD7\xD6 pbf\r\n");
  }
  EXPECT_TRUE(std::filesystem::is_fifo("pipe"));

  // Standard input and output, and a pipe by its name.
  for (const char* input : {"-", "/dev/stdin"}) {
    EXPECT_EQ(RunTool(input + " - >out"s, err, "cat in | "), 0) << err;
    EXPECT_EQ(ReadFile("out"), "\xD7\xD6 pbf\r\n");
    EXPECT_NE(err.find("to standard output; "), std::string::npos) << err;
  }
}

TEST(PavrelTableTest, ProgressOnlyOnATerminalAfterASecond) {
  for (const bool terminal : {false, true}) {
    std::ostringstream out;
    double now = 10;
    Progress progress(out, terminal, [&now] { return now; });
    progress.Update("reading in", 1, 4);
    now = 11.5;
    progress.Update("reading in", 2, 4);
    now = 11.55;
    progress.Update("reading in", 3, 4);  // too soon after the last
    now = 12;
    progress.Update("reading -", 3000000, 0);
    progress.Finish();
    EXPECT_EQ(out.str(), terminal ? "\rpavrel-table: reading in: 50 %\x1b[K"
                                    "\rpavrel-table: reading -: 3 MB\x1b[K\r\x1b[K"
                                  : "");
  }
}

// The default table is what pavrel-table makes of the installed dictionary, and every record
// reads back through the lookup, once per character.
TEST(PavrelTableTest, DefaultTableIsTheConvertedDictionary) {
  const std::string table = ReadFile(PAVREL_DEFAULT_TABLE);
  TempDir dir;
  std::string err;
  ASSERT_EQ(RunTool(PAVREL_DEFAULT_DICTIONARY, err), 0) << err;
  EXPECT_EQ(ReadFile("data.txt"), table);
  RecordFile file = OpenRecordFile(PAVREL_DEFAULT_TABLE);
  std::set<char32_t> characters;
  while (!AtEnd(file)) {
    const std::u32string record = ReadRecord(file);
    ASSERT_GE(record.size(), 3u);
    EXPECT_TRUE(characters.insert(record[0]).second)
        << "two records for U+" << std::hex << +record[0];
  }
  EXPECT_EQ(characters.size() + 0,
            static_cast<std::size_t>(std::count(table.begin(), table.end(), '\n')));
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
