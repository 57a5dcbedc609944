// A window for tests and the fuzzer: it answers the lookup command with a fixed query and keeps
// the result label's caption and every message it is shown.

#ifndef PAVREL_LOOKUP_TEST_WINDOW_H_
#define PAVREL_LOOKUP_TEST_WINDOW_H_

#include <string>
#include <utility>
#include <vector>

#include "lookup/window_operations.h"

namespace pavrel {

class TestWindow : public WindowOperations {
 public:
  explicit TestWindow(std::u32string query, std::u32string result = U"")
      : query_(std::move(query)), result_(std::move(result)) {}

  // What the user sees last: the message if one was shown, otherwise the label's caption.
  std::u32string Answer() const { return messages_.empty() ? result_ : messages_.back(); }
  const std::vector<std::u32string>& messages() const { return messages_; }

  std::u32string GetQueryText() override { return query_; }
  void SetResultText(const std::u32string& text) override { result_ = text; }
  void FocusQueryBox() override {}
  void SetQuerySelection(int, int) override {}
  void ShowMessage(const std::u32string& text) override { messages_.push_back(text); }

 private:
  std::u32string query_;
  std::u32string result_;
  std::vector<std::u32string> messages_;
};

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_WINDOW_H_
