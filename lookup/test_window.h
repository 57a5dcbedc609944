// A window for tests and the fuzzer: it gives the lookup command a fixed query and keeps the
// result label's caption and the last message it is shown.

#ifndef PAVREL_LOOKUP_TEST_WINDOW_H_
#define PAVREL_LOOKUP_TEST_WINDOW_H_

#include <string>

#include "lookup/window_operations.h"

namespace pavrel {

struct TestWindow : WindowOperations {
  std::u32string query, result, message;

  // What the user sees last: the message if one was shown, otherwise the label's caption.
  std::u32string Answer() const { return message.empty() ? result : message; }

  std::u32string GetQueryText() override { return query; }
  void SetResultText(const std::u32string& text) override { result = text; }
  void FocusQueryBox() override {}
  void SetQuerySelection(int, int) override {}
  void ShowMessage(const std::u32string& text) override { message = text; }
};

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_WINDOW_H_
