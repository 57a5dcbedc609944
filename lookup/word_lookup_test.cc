#include "lookup/word_lookup.h"

#include <string>

#include "encoding/gb18030.h"
#include "encoding/utf8.h"
#include "gtest/gtest.h"
#include "lookup/test_window.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

using Kind = LookupOutcome::Kind;

// A small table: characters with their codes, longest not always first; 了 with only a short
// code; 的 with a phrase of its own before its record; a phrase 中华人民共和国; no 文.
constexpr char kTable[] =
    "的确 rqpw\r\n"
    "中 k kh khk\r\n国 lgyi lgy l\r\n很 tvey tv\r\n好 vbg vb\r\n的 rqyy r\r\n了 b\r\n"
    "华 wxf wx\r\n人 w\r\n民 nav na\r\n共 aw awu\r\n和 tkg t\r\n解 qev qe\r\n"
    "中华人民共和国 kwwl\r\n 中国 khlg\r\n";

// Words as pavrel --lookup takes them, in UTF-8 and in code page 936 with the same records.
const struct {
  std::u32string word;
  Kind kind;
  std::u32string record;
  char32_t missing = 0;
} kWords[] = {
    {U"中国", Kind::kFound, U"中国 khlg"},                       // its own record, after spaces
    {U"中华人民共和国", Kind::kFound, U"中华人民共和国 kwwl"},   // seven characters, its own
    {U"的确", Kind::kFound, U"的确 rqpw"},                       // before its first character
    {U"很好", Kind::kComputed, U"很好（按规则） tvvb"},          // two: two letters of each
    {U"很好的", Kind::kComputed, U"很好的（按规则） tvrq"},      // three: 1 + 1 + 2
    {U"人民共和", Kind::kComputed, U"人民共和（按规则） wnat"},  // four: 1 + 1 + 1 + last
    {U"华人民共和国中", Kind::kComputed, U"华人民共和国中（按规则） wwnk"},
    {U"了解", Kind::kComputed, U"了解（按规则） bqe"},  // a character's only code is short
    {U"中文", Kind::kNotFound, U"无法查询（表中没有“文”）", U'文'},
    {U"的的", Kind::kComputed, U"的的（按规则） rqrq"},  // 的's own record, not its phrase's
    {U"中", Kind::kFound, U"中 k kh khk"},               // one character: the first record
};

std::string InCodePage936(std::string_view utf8) {
  std::string out;
  const std::u32string text = DecodeUtf8(utf8).value();
  for (const char32_t c : text) {
    if (c < 0x80 || !EncodeGb18030(c, out)) out.push_back(static_cast<char>(c));
  }
  return out;
}

TEST(WordLookupTest, FindsAWordsRecordOrComputesItsCode) {
  for (const bool cp936 : {false, true}) {
    TempDir dir;
    dir.Write(kTablePath, cp936 ? InCodePage936(kTable) : std::string(kTable));
    for (const auto& c : kWords) {
      TableFile table(kTablePath, std::chrono::milliseconds(0));
      const LookupOutcome outcome = LookUpWord(c.word, table, kNoWait);
      EXPECT_EQ(outcome.kind, c.kind) << EncodeUtf8(c.word);
      EXPECT_EQ(ResultText(outcome), c.record) << EncodeUtf8(c.word);
      EXPECT_EQ(outcome.missing, c.missing) << EncodeUtf8(c.word);
    }
  }
}

// Copies, as the window follows them: the longest phrase that the text begins with, else the
// code of a copy that is one word, else its first character's record as before.
const struct {
  const char* copy;
  std::u32string result;
} kCopies[] = {
    {"中国", U"中国 khlg"},
    {"《中华人民共和国》很大", U"中华人民共和国 kwwl"},
    {"  中国人 ", U"中国人（按规则） klw"},  // one word, though it begins with a phrase
    {"中国人啊", U"中国 khlg"},  // 啊 is not in the table: the phrase the text begins with
    {"“很好的”。", U"很好的（按规则） tvrq"},
    {"很好的人", U"很好的人（按规则） tvrw"},
    {"很好，的", U"很 tvey tv"},  // not one word
    {"abc很好", U"很 tvey tv"},   // a word after letters is no word alone
    {"很好abc", U"很 tvey tv"},
    {"❤很好", U"很 tvey tv"},  // nor one after a symbol
    {"中文", U"中 k kh khk"},  // 文 is not in the table
    {"文", kNotFoundText},
};

TEST(WordLookupTest, LooksUpWhatACopyBeginsWith) {
  TempDir dir;
  dir.Write(kTablePath, kTable);
  for (const auto& c : kCopies) {
    const std::optional<CopiedText> copy = ReadCopiedText(std::string_view(c.copy));
    ASSERT_TRUE(copy) << c.copy;
    TestWindow window;
    window.query = copy->text.substr(0, 1);
    RunCopyLookup(window, *copy, kNoWait);
    EXPECT_EQ(window.result, c.result) << c.copy;
    EXPECT_TRUE(window.focused && window.messages.empty()) << c.copy;
  }
}

}  // namespace
}  // namespace pavrel
