#include "lookup/lookup_command.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "lookup/test_files.h"
#include "lookup/test_window.h"

namespace pavrel {
namespace {

// A lookup that ends normally: the result label changes, the query box is focused and its
// character selected, and no message is shown. Which record answers which query on any table is
// the random comparison's in record_file_test.cc.
struct FoundCase {
  const char* what;
  std::string table;
  std::u32string query;
  std::u32string result;
};

const FoundCase kFoundCases[] = {
    {"first record", "\xD7\xD6 pbf\n\xD6\xD0 khk\n", U"字", U"字 pbf"},
    {"no record matches", "\xD7\xD6 pbf\n\xD6\xD0 khk\n", U"国", kNotFoundText},
    {"empty table answers not found", "", U"字", kNotFoundText},
};

TEST(LookupCommandTest, ShowsTheFirstMatchingRecordAndSelectsTheQuery) {
  TempDir dir;
  for (const FoundCase& c : kFoundCases) {
    dir.Write(kTablePath, c.table);
    TestWindow window;
    window.query = c.query;
    const int descriptors = CountOpenDescriptors();
    RunLookup(window);
    EXPECT_EQ(window.result, c.result) << c.what;
    EXPECT_TRUE(window.focused) << c.what;
    EXPECT_EQ(window.selection, std::make_pair(0, 1)) << c.what;
    EXPECT_TRUE(window.messages.empty()) << c.what;
    EXPECT_EQ(CountOpenDescriptors(), descriptors) << c.what;
  }
}

// A lookup that fails: one message, and the label, focus and selection as the failure left them.
struct FailureCase {
  const char* what;
  std::function<void(TempDir&, TestWindow&)> arrange;
  std::u32string result;
};

const FailureCase kFailureCases[] = {
    {"no table", [](TempDir&, TestWindow&) {}, U"(earlier result)"},
    {"table is a folder",
     [](TempDir&, TestWindow&) { std::filesystem::create_directory(kTablePath); },
     U"(earlier result)"},
    {"window fails to take the focus",
     [](TempDir& dir, TestWindow& window) {
       dir.Write(kTablePath, "\xD7\xD6 pbf\n");
       window.fail_to_focus = true;
     },
     U"字 pbf"},
};

TEST(LookupCommandTest, ShowsOneMessageOnAnyFailure) {
  for (const FailureCase& c : kFailureCases) {
    TempDir dir;
    TestWindow window;
    window.query = U"字";
    c.arrange(dir, window);
    const int descriptors = CountOpenDescriptors();
    RunLookup(window);
    EXPECT_EQ(window.messages, std::vector<std::u32string>{kMissingTableMessage}) << c.what;
    EXPECT_EQ(window.result, c.result) << c.what;
    EXPECT_FALSE(window.focused) << c.what;
    EXPECT_FALSE(window.selection.has_value()) << c.what;
    EXPECT_EQ(CountOpenDescriptors(), descriptors) << c.what;
  }
}

// Every lookup opens data.txt afresh in the current directory of the moment: a table put in
// place after the message is found, and a change of directory changes the table.
TEST(LookupCommandTest, ReadsTheTableOfTheMomentInTheCurrentDirectory) {
  TempDir first;
  first.Write(kTablePath, "\xD7\xD6 first\n");
  TempDir second;  // now the current directory, without a table yet
  TestWindow window;
  window.query = U"字";
  RunLookup(window);
  second.Write(kTablePath, "\xD7\xD6 second\n");
  RunLookup(window);
  EXPECT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.result, U"字 second");
  std::filesystem::current_path(first.path());
  RunLookup(window);
  EXPECT_EQ(window.result, U"字 first");
  std::filesystem::current_path(second.path());
}

}  // namespace
}  // namespace pavrel
