// The seam between the lookup command and the window it runs in: the five operations through
// which the command reads the query and shows its outcome. The window implements them on its
// controls; tests implement them with a recording fake.
//
// Text crosses the seam as UTF-32, so that one character is always one code point, also outside
// the Basic Multilingual Plane.

#ifndef PAVREL_LOOKUP_WINDOW_OPERATIONS_H_
#define PAVREL_LOOKUP_WINDOW_OPERATIONS_H_

#include <string>

namespace pavrel {

// The caption of the message box that ShowMessage shows.
constexpr char kApplicationTitle[] = "Pavrel";

class WindowOperations {
 public:
  virtual ~WindowOperations() = default;

  // Returns the query box's current text.
  virtual std::u32string GetQueryText() = 0;

  // Replaces the result label's caption.
  virtual void SetResultText(const std::u32string& text) = 0;

  // Gives the keyboard focus to the query box.
  virtual void FocusQueryBox() = 0;

  // Selects `length` characters of the query box from `start`, both counted in characters and
  // clamped to its text.
  virtual void SetQuerySelection(int start, int length) = 0;

  // Shows a modal message box with the text, one OK button, no icon and kApplicationTitle as
  // its caption; returns when the user has dismissed it.
  virtual void ShowMessage(const std::u32string& text) = 0;
};

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_WINDOW_OPERATIONS_H_
