// A window for tests and the fuzzer: it gives the lookup command a query (字 unless set) and
// records what the command does to it; a test may hook the label's setter or make focusing fail.

#ifndef PAVREL_LOOKUP_TEST_WINDOW_H_
#define PAVREL_LOOKUP_TEST_WINDOW_H_

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "lookup/lookup_command.h"
#include "lookup/window_operations.h"
#include "table/test_reference_reader.h"  // kNoWait

namespace pavrel {

struct TestWindow : WindowOperations {
  std::u32string query = U"字", result = U"(earlier result)";
  bool focused = false, fail_to_focus = false;
  std::optional<std::pair<int, int>> selection;
  std::vector<std::u32string> messages;
  std::function<void()> on_set_result;

  // What the user sees last: the message if one was shown, otherwise the label's caption.
  std::u32string Answer() const { return messages.empty() ? result : messages.back(); }

  std::u32string GetQueryText() override { return query; }
  void SetResultText(const std::u32string& text) override {
    result = text;
    if (on_set_result) on_set_result();
  }
  void FocusQueryBox() override {
    if (fail_to_focus) throw std::runtime_error("focus failed");
    focused = true;
  }
  void SetQuerySelection(int start, int length) override { selection = {start, length}; }
  void ShowMessage(const std::u32string& text) override { messages.push_back(text); }
};

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_WINDOW_H_
