#include "lookup/lookup_command.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "lookup/test_window.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

// A lookup either ends normally (the label changes, the query box is focused with its character
// selected, no message) or fails with the message for its reason and the label, focus and
// selection as the failure left them; either way it leaves no table open. Which record answers
// which query on any table is the random comparison's in record_file_test.cc.
const struct {
  const char* what;
  std::function<void(TestWindow&)> arrange;
  std::u32string result;
  const char32_t* message;  // null: none
} kCases[] = {
    {"record found", [](TestWindow&) {}, U"字 pbf", nullptr},
    {"no record matches", [](TestWindow& window) { window.query[0] = U'国'; }, kNotFoundText,
     nullptr},
    {"no table", [](TestWindow&) { std::filesystem::remove(kTablePath); }, U"(earlier result)",
     kMissingTableMessage},
    {"table is a folder",
     [](TestWindow&) {
       std::filesystem::remove(kTablePath);
       std::filesystem::create_directory(kTablePath);
     },
     U"(earlier result)", kNotAFileMessage},
    {"window fails to take the focus", [](TestWindow& window) { window.fail_to_focus = true; },
     U"字 pbf", kMissingTableMessage},
};

TEST(LookupCommandTest, ShowsTheAnswerOrOneMessage) {
  for (const auto& c : kCases) {
    TempDir dir;
    dir.Write(kTablePath, "\xD7\xD6 pbf\n\xD6\xD0 khk\n");
    TestWindow window;
    c.arrange(window);
    const int descriptors = CountOpenDescriptors();
    RunLookup(window, kNoWait);
    EXPECT_EQ(window.result, c.result) << c.what;
    using Messages = std::vector<std::u32string>;
    const bool fails = c.message != nullptr;
    EXPECT_EQ(window.messages, fails ? Messages{c.message} : Messages{}) << c.what;
    EXPECT_EQ(window.focused, !fails) << c.what;
    EXPECT_EQ(window.selection, fails ? std::nullopt : std::optional(std::pair(0, 1))) << c.what;
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
  RunLookup(window, kNoWait);
  second.Write(kTablePath, "\xD7\xD6 second\n");
  RunLookup(window, kNoWait);
  EXPECT_EQ(window.messages.size(), 1u);
  EXPECT_EQ(window.result, U"字 second");
  std::filesystem::current_path(first.path());
  RunLookup(window, kNoWait);
  EXPECT_EQ(window.result, U"字 first");
}

}  // namespace
}  // namespace pavrel
