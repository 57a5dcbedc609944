#include <sqlite3.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <ranges>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "converter/progress.h"
#include "encoding/table_encoding.h"
#include "gtest/gtest.h"
#include "table/record_file.h"
#include "table/test_reference_reader.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ostringstream bytes;
  bytes << std::ifstream(path, std::ios::binary).rdbuf();
  return bytes.str();
}

// Runs the shell command `command` in the current directory, with pavrel-table on the PATH;
// returns its exit status and its standard error.
int Shell(const std::string& command, std::string& err) {
  const std::string tools = std::filesystem::path(PAVREL_TABLE_BINARY).parent_path();
  const int status =
      std::system(("PATH='" + tools + "':$PATH; { " + command + "; } 2>err").c_str());
  err = ReadFile("err");
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An ibus-table database of 100,000 rows whose codes SQLite computes from `code` (added after the
// rows, so that making it computes none).
std::string ComputedCodes(const std::string& code) {
  return "CREATE TABLE phrases (id INTEGER PRIMARY KEY, phrase TEXT); WITH RECURSIVE r(i) AS "
         "(SELECT 1 UNION ALL SELECT i + 1 FROM r WHERE i < 100000) INSERT INTO phrases SELECT i, "
         "'工' FROM r; ALTER TABLE phrases ADD COLUMN tabkeys TEXT AS (" +
         code + ");";
}

struct Case {
  std::string in;        // the file "in": its bytes, or SQL that makes an ibus-table database
  const char* command;   // a shell command
  int status;            // its exit status
  std::u32string table;  // data.txt afterwards, decoded
  const char* message;   // parts of standard error, separated by |
  std::vector<std::pair<const char*, std::string>> more = {};  // more files
};

const Case kCases[] = {
    // Rime: comments and a header, columns by their default order, weights and stems, codes
    // merged per text longest first, phrases after every character, and each reason for leaving
    // an entry out, listed in the order of the entries.
    {"# comment\n---\nname: x\n# 字\tzzzz\n...\n# "
     "叫\tb\n\n中文\tkhy\n字\tpbf\t10\n字\tpb\t20\tstem\n"
     "中\tk\n中\tkhk\n中文\tkhyy\n中文\tKHY\n文字\typ\n𠀀\tzz\n中　文\tkhyy\n中,"
     "文\tkhyy\n中\tkh\t1\n"
     "字\tpbf\n中\n",
     "pavrel-table --encoding cp936 --verbose in", 0,
     U"字 pbf pb\r\n中 khk kh k\r\n中文 khyy khy\r\n",
     "wrote 2 characters with 5 codes and 1 phrase with 2 codes to data.txt; left out 1 incomplete "
     "entry, 3 unencodable characters and 1 phrase whose first character has no line\n  in:15: "
     "phrase whose first character has no line: 文字 yp\n  in:16: unencodable character: 𠀀 zz\n"
     "  in:17: unencodable character: 中　文 khyy\n  in:18: unencodable character: 中,文 khyy\n"
     "  in:21: incomplete"},
    // Columns in a flow list with quotes and a comment; excluded codes, one pattern that a
    // backtracking matcher would take forever on.
    {"--- \ncolumns: [weight, 'code', \"text\"]  # weights first\nencoder:\n  exclude_patterns:\n"
     "    # the z key types symbols\n    - '^z.*$'\n    - ((a+)+)+$\n...\n10\tpbf\t字\n1\tzzz\t字\n"
     "5\tzzpp\t亻\n3\twth\t亻\n1\tzzd\t⑴\n1\taaaaaaaaaaaaaaaaaaaaaaaaaaaaaab\t工作\n",
     "pavrel-table in", 0, U"字 pbf\r\n亻 wth\r\n",
     "left out 3 excluded codes and 1 phrase whose first character has no line\n"},
    // Headers that fail: columns that name no code, a header that never ends, an exclude pattern
    // too large to compile, a header nested too deep for yaml-cpp and one too long to parse.
    {"---\ncolumns:\n  - text\n  - weight\n...\n字\t1\n",
     "for f in in open large deep long; do pavrel-table $f; done",
     1,
     U"",
     "in: the header's columns name no code|open:2: the YAML header that starts here never ends|"
     "large: the exclude pattern \"a{1000}{1000}\" is too large|deep:3: the YAML header nests "
     "deeper than|long:1: the YAML header that starts here is longer than 256 KiB",
     {{"open", "\n---\nname: x\n字\tpbf\n"},
      {"large", "---\nencoder: {exclude_patterns: ['a{1000}{1000}']}\n...\n"},
      {"deep", "---\nx: " + std::string(100000, '[') + "\n...\n"},
      {"long", "---\n#" + std::string(300000, ' ') + "\n...\n"}}},
    // Imports, depth first; b's header is a flow mapping.
    {"---\nimport_tables:\n  - a\n  - b\n...\n字\tpbf\n",
     "pavrel-table in",
     0,
     U"字 pbf\r\n中 khk kh k\r\n工 a\r\n一 g\r\n",
     "wrote 4 characters with 6 codes to data.txt; left out 1 excluded code\n",
     {{"a.dict.yaml", "---\nimport_tables: [c]\n...\n中\tk\n"},
      {"b.dict.yaml",
       "---\n{encoder: {exclude_patterns: [x]}, columns: [code, "
       "text]}\n...\nkhk\t中\ng\t一\nx\t工\n"},
      {"c.dict.yaml", "# c\n--- # c\n... \n中\tkh\n工\ta\n"}}},
    // Imports that fail: one missing; only dictionaries beside it (a NUL byte would cut
    // ".dict.yaml" off, and open a); a circle; a chain too deep.
    {"---\nimport_tables: [gone]\n...\n字\tpbf\n",
     "for f in in nul dot circle; do pavrel-table $f; done; for i in $(seq 100); do printf -- "
     "'---\\nimport_tables: [d%d]\\n...\\n' $i >d$((i - 1)).dict.yaml; done; pavrel-table "
     "d0.dict.yaml; s=$?; rm d*.dict.yaml; exit $s",
     1,
     U"",
     "in: imports gone, but |nul: imports \"a\\0\", but an import names a dictionary beside it, "
     "without /, \\ or a NUL|dot: imports \"./a\", but an|b.dict.yaml: imports a in a circle|"
     "d99.dict.yaml: imports d100: imports chained more than 100 deep",
     {{"nul", "---\nimport_tables: [\"a\\0\"]\n...\n"},
      {"dot", "---\nimport_tables: [./a]\n...\n"},
      {"circle", "---\nimport_tables: [a]\n...\n"},
      {"a", "---\n...\n工\ta\n"},
      {"a.dict.yaml", "---\nimport_tables: [b]\n...\n"},
      {"b.dict.yaml", "---\nimport_tables: [a]\n...\n"}}},
    // A pattern nested 50,000 deep, which no matcher may crash on.
    {"---\nencoder:\n  exclude_patterns:\n    - '" + std::string(50000, '(') + "a" +
         std::string(50000, ')') + "'\n...\n字\tpbf\n工\ta\n",
     "pavrel-table in", 0, U"字 pbf\r\n", "left out 1 excluded code\n"},
    // Text lists: a byte order mark, CR LF, blanks (U+3000 too), upper case, and codes no lookup
    // could read.
    {"\xEF\xBB\xBF# list\r\n工 a\r\n工\t AAAA\r\n工  aaa \r\n,\tx\r\n字 p,b\r\n字 p\"\r\n"
     "字\tpbf\t100\r\n字 \x01\r\n工 aaab\r\n中　khk\r\n工\r\n",
     "pavrel-table in", 0, U"工 aaaa aaab aaa a\r\n字 pbf\r\n中 khk\r\n",
     "left out 1 incomplete entry, 1 unencodable character and 3 unusable codes"},
    // Code first, shown only by the second line; lines end in lone CRs too.
    {"AB CD\raa 式\r工 a\r\naaaa 工 100\r", "pavrel-table in", 0, U"式 aa\r\n工 aaaa a\r\n",
     "left out 1 phrase whose first character has no line\n"},
    {"KeyCode=abcdefghijklmnopqrstuvwxy\nLength=4\nPinyin=@\n[Rule]\ne2=p11+p12+p21+p22\n"
     "[Data]\na 工\n@a 阿\naawt 工作\naa 式\naaaa 工\n",
     "pavrel-table in", 0, U"工 aaaa a\r\n式 aa\r\n工作 aawt\r\n",
     "wrote 2 characters with 3 codes and 1 phrase with 1 code"},
    // Text that fails: a line longer than 1 MiB, also in UTF-16 of characters outside the Basic
    // Multilingual Plane; an odd byte in UTF-16; code page 936 with a byte that is neither.
    {"字 pbf\n" + std::string(1 << 20, 'a') + "b\n",
     "for f in in in16 odd mixed; do pavrel-table $f; done",
     1,
     U"",
     "in:2: longer than 1 MiB, which no line of a dictionary is|in16:1: longer|odd:2: invalid "
     "UTF-16|mixed:1: not code page 936, and line 2 is not valid UTF-8",
     {{"in16", Utf16Of(EncodeUtf8(std::u32string((1 << 19) + 1, U'\U00020000')), false)},
      {"odd", Utf16Of("字 pbf\n", false) + "a"},
      {"mixed", "字 pbf\n\xFF b\n"}}},
    {Utf16Of("字\tpbf\r中文 khyy\r中 khk\r\n", false), "pavrel-table --no-phrases in", 0,
     U"字 pbf\r\n中 khk\r\n", "wrote 2 characters with 2 codes to data.txt; left out 1 phrase\n"},
    {Utf16Of("字 pbf\n𠀀 zz\n", true), "pavrel-table --encoding cp936 in", 0, U"字 pbf\r\n",
     "1 unencodable character"},
    // Code page 936, whose first line alone is valid UTF-8 (ġ).
    {"\xC4\xA1 abc\n# \xD6\xD0\n\xD7\xD6 pbf\n", "pavrel-table in", 0, U"摹 abc\r\n字 pbf\r\n",
     "wrote 2 characters"},
    {"CREATE TABLE phrases (id INTEGER PRIMARY KEY, tabkeys TEXT, phrase TEXT);"
     "INSERT INTO phrases VALUES (3, 'aaa', '工'), (1, 'a', '工'), (2, 'aa', '式'),"
     "(4, NULL, '工'), (5, 'aaaf', '工作');",
     "pavrel-table -v in", 0, U"工 aaa a\r\n式 aa\r\n工作 aaaf\r\n",
     "left out 1 incomplete entry\n  in: row id 4: incomplete entry: 工 \n"},
    // Work that no dictionary needs, each of which took minutes: a view, LIKE with a long pattern,
    // long values, and costly steps within the limits.
    {"CREATE TABLE t (id INTEGER PRIMARY KEY); INSERT INTO t VALUES (1), (2), (3); CREATE VIEW "
     "phrases AS SELECT id, 'a' AS tabkeys, '工' AS phrase FROM t WHERE printf('%.*c', 1000000, "
     "'a') LIKE '%' || printf('%.*c', 40000, 'a') || 'b';",
     "pavrel-table in", 1, U"", "in: not an ibus-table database: its phrases is a view"},
    {ComputedCodes("printf('%.*c', 4000 + id % 2, 'a') LIKE '%' || printf('%.*c', 2000, 'a')"),
     "pavrel-table in", 1, U"", "in: cannot read the database: LIKE or GLOB pattern too complex"},
    {ComputedCodes("length(hex(zeroblob(50000000 + id % 2)))"), "pavrel-table in", 1, U"",
     "in: reading its phrases makes a value longer than 4096 bytes"},
    {ComputedCodes(
         "length(trim(printf('%.*c', 4000 + id % 2, 'a'), printf('%.*c', 300, 'b') || 'a'))"),
     "pavrel-table in", 1, U"", "in: reading its phrases takes more than 2 s of processor time"},
    {"CREATE TABLE phrases (id INTEGER PRIMARY KEY, code TEXT);", "pavrel-table in", 1, U"",
     "in: not an ibus-table database"},
    {"中文 khyy\n字 \x1B[2J\n", "pavrel-table -v in", 1, U"",
     "  in:1: phrase whose first character has no line: 中文 khyy\n  in:2: unusable code: 字 "
     "<U+001B>[2J\npavrel-table: in: holds no character that can go into the table; left out 1 "
     "unusable code and 1 phrase whose first character has no line\n"},
    // Each encoding: UTF-8 with a byte order mark, GB18030 with 䶮 at FE9F, code page 936; U+E863,
    // which old mappings of FE9F gave, is 䶮 in the first two, one record, in phrases too.
    {"字 pbf\n\uE863 dxgd\n㐀 gjgg\n\uE863字 dxpb\n𠀀 ghab\n䶮 dxgd\n䶮字 dxpb\n",
     "pavrel-table in && head -c 3 data.txt | od -An -tx1 >&2", 0,
     U"字 pbf\r\n䶮 dxgd\r\n㐀 gjgg\r\n𠀀 ghab\r\n䶮字 dxpb\r\n",
     "4 characters with 4 codes and 1 phrase with 1 code to data.txt; left out nothing\n ef bb "
     "bf\n"},
    {"字 pbf\n\uE863 dxgd\n㐀 gjgg\n\uE863字 dxpb\n𠀀 ghab\n䶮 dxgd\n䶮字 dxpb\n",
     "pavrel-table --encoding gb18030 in", 0,
     U"字 pbf\r\n䶮 dxgd\r\n㐀 gjgg\r\n𠀀 ghab\r\n䶮字 dxpb\r\n", "wrote 4 characters"},
    {"字 pbf\n\uE863 dxgd\n㐀 gjgg\n\uE863字 dxpb\n𠀀 ghab\n䶮 dxgd\n䶮字 dxpb\n",
     "pavrel-table --encoding cp936 in", 0, U"字 pbf\r\n䶮 dxgd\r\n䶮字 dxpb\r\n",
     "left out 4 unencodable characters\n"},
    // The command line and the output.
    {"字 pbf\n",
     "pavrel-table gone; pavrel-table in; pavrel-table --force in .; pavrel-table --force in in",
     1,
     U"old",
     "pavrel-table: gone: cannot open: No such file or directory\npavrel-table: data.txt: already "
     "exists; pass --force to replace it\n|.: is a folder|pavrel-table: in: is INPUT itself; name "
     "another file to write\n",
     {{"data.txt", "old"}}},
    {"字 pbf\n", "pavrel-table --bad in", 2, U"", "unknown option --bad"},
    // A replaced file keeps its permissions; a symbolic link stays and its file is replaced.
    {"字 pbf\n",
     "chmod 600 data.txt && ln -s data.txt link && pavrel-table --force in link && test -L link "
     "&& stat -c %a data.txt >&2",
     0,
     U"字 pbf\r\n",
     "wrote 1 character with 1 code to link; left out nothing\n600\n",
     {{"data.txt", "old"}}},
    // A pipe is written into, never replaced, with or without --force.
    {"字 pbf\n",
     "mkfifo pipe && for f in '' --force; do timeout 5 cat pipe >>data.txt & pavrel-table $f in "
     "pipe || exit; wait; done && test -p pipe",
     0, U"字 pbf\r\n\uFEFF字 pbf\r\n", "to pipe; left out nothing\n"},
    // Standard input and output, and a pipe read by its name.
    {"字 pbf\n",
     "cat in | pavrel-table - - >data.txt && cat in | pavrel-table /dev/stdin - >>data.txt", 0,
     U"字 pbf\r\n\uFEFF字 pbf\r\n", "to standard output; "},
};

TEST(PavrelTableTest, Converts) {
  for (const Case& c : kCases) {
    TempDir dir;
    std::set<std::string> made{"in", "err", "data.txt", "link", "pipe"};
    for (const auto& [name, bytes] : c.more) dir.Write(name, bytes), made.insert(name);
    if (c.in.starts_with("CREATE")) {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open("in", &db), SQLITE_OK);
      EXPECT_EQ(sqlite3_exec(db, c.in.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    } else {
      dir.Write("in", c.in);
    }
    std::string err;
    EXPECT_EQ(Shell(c.command, err), c.status) << c.command << ": " << err;
    for (const auto part : std::views::split(std::string_view(c.message), '|')) {
      const std::string_view text(part.begin(), part.end());
      EXPECT_NE(err.find(text), std::string::npos) << c.command << ": " << err;
    }
    const std::string bytes = ReadFile("data.txt");
    std::string_view table = bytes;
    const EncodingChoice choice = ChooseEncoding(table);
    table.remove_prefix(choice.byte_order_mark);
    EXPECT_EQ(DecodeText(choice.encoding, table), c.table) << c.command << ": " << err;
    // No temporary file is left.
    for (const auto& file : std::filesystem::directory_iterator("."))
      EXPECT_TRUE(made.contains(file.path().filename())) << file.path() << " after " << c.command;
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

// The default table, decoded, lists the dictionary's single characters with a code that does
// not start with z, in the order they first come, each with its distinct codes: the dictionary
// read here the plain way (text and code columns after the header, which says so). Those lines
// are byte for byte the table without phrases; only phrases follow them, so every lookup of one
// character finds what it finds there.
TEST(PavrelTableTest, DefaultTableListsTheDictionary) {
  if (!std::filesystem::exists(PAVREL_DEFAULT_DICTIONARY)) {
    GTEST_SKIP() << PAVREL_DEFAULT_DICTIONARY << " is missing: install rime-data-wubi";
  }
  using Records = std::vector<std::pair<std::u32string, std::set<std::u32string>>>;
  Records expected, table;
  std::map<std::u32string, std::size_t> row_of;
  std::istringstream dictionary(ReadFile(PAVREL_DEFAULT_DICTIONARY));
  ASSERT_NE(dictionary.str().find("columns:\n  - text\n  - code\n"), std::string::npos);
  bool body = false;  // past the header's last line, "..."
  for (std::string line; std::getline(dictionary, line); body = body || line == "...") {
    const std::size_t tab = line.find('\t');
    if (!body || line.starts_with("#") || tab == std::string::npos) continue;
    const std::u32string text = DecodeText(TableEncoding::kUtf8, line.substr(0, tab));
    const std::string code = line.substr(tab + 1, line.find('\t', tab + 1) - tab - 1);
    if (text.size() != 1 || code.empty() || code[0] == 'z') continue;
    const auto [it, is_new] = row_of.try_emplace(text, expected.size());
    if (is_new) expected.push_back({text, {}});
    expected[it->second].second.insert(DecodeText(TableEncoding::kUtf8, code));
  }
  TempDir dir;
  std::string err;
  ASSERT_EQ(Shell("pavrel-table --no-phrases " PAVREL_DEFAULT_DICTIONARY " characters", err), 0);
  ASSERT_TRUE(ReadFile(PAVREL_DEFAULT_TABLE).starts_with(ReadFile("characters")));
  // Each table's records, and the first record for each first character: what a lookup finds.
  std::vector<std::u32string> records[2];
  std::map<char32_t, std::u32string> found[2];
  for (int i : {0, 1}) {
    RecordFile file = OpenRecordFile(i == 0 ? "characters" : PAVREL_DEFAULT_TABLE);
    while (!AtEnd(file)) records[i].push_back(ReadRecord(file));
    for (const std::u32string& record : records[i]) found[i].try_emplace(record[0], record);
  }
  for (const std::u32string& record : records[0]) {
    table.push_back({record.substr(0, 1), {}});
    for (std::size_t at = 1; at < record.size(); at = record.find(U' ', at + 1)) {
      table.back().second.insert(record.substr(at + 1, record.find(U' ', at + 1) - at - 1));
    }
  }
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(table == expected) << table.size() << " records, " << expected.size() << " expected";
  ASSERT_GT(records[1].size(), records[0].size());
  for (std::size_t i = records[0].size(); i < records[1].size(); ++i) {
    EXPECT_GT(records[1][i].find(U' '), 1u) << "record " << i << " is no phrase";
  }
  EXPECT_TRUE(found[0] == found[1]);
}

}  // namespace
}  // namespace pavrel
