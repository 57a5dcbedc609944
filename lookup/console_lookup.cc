#include "lookup/console_lookup.h"

#include <optional>
#include <utility>

#include "lookup/command_line.h"
#include "lookup/lookup_command.h"
#include "lookup/window_operations.h"

namespace pavrel {

namespace {

// Holds the query, the label's last caption and the message; focus and selection mean nothing
// without a window.
class ConsoleWindow final : public WindowOperations {
 public:
  explicit ConsoleWindow(std::u32string query) : query_(std::move(query)) {}

  std::u32string GetQueryText() override { return query_; }
  void SetResultText(const std::u32string& text) override { result_ = text; }
  void FocusQueryBox() override {}
  void SetQuerySelection(int, int) override {}
  void ShowMessage(const std::u32string& text) override { message_ = text; }

  ConsoleAnswer Answer() const {
    if (message_) return {kTableErrorStatus, *message_};
    if (!result_) return {kNotFoundStatus, {}};
    return {*result_ == kNotFoundText ? kNotFoundStatus : kFoundStatus, *result_};
  }

 private:
  std::u32string query_;
  std::optional<std::u32string> result_;
  std::optional<std::u32string> message_;
};

}  // namespace

ConsoleAnswer LookUpInConsole(const std::u32string& query) {
  ConsoleWindow window(query);
  RunLookup(window);
  return window.Answer();
}

}  // namespace pavrel
