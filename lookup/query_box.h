// The query box's rule, shared by both windows: it holds at most one character, whatever brings
// text into it (typing, a paste, an input method's phrase). Characters are code points, so a
// character outside the Basic Multilingual Plane is one character, never split.

#ifndef PAVREL_LOOKUP_QUERY_BOX_H_
#define PAVREL_LOOKUP_QUERY_BOX_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace pavrel {

// What the query box holds after an edit, and where its caret goes.
struct QueryBoxText {
  std::u32string text;
  std::size_t caret;  // in characters
};

// Applies the rule to an edit that turned `before` into `after`, with the caret at `caret`
// (in characters) of `after`. Within the limit, the edit stands. Beyond it, text typed in front
// of the character that was there is refused, as a plain length limit would refuse it, and the
// caret stays in front; otherwise the first character stays (the one that was there, or the first
// of the text that replaced the selection), with the caret after it.
QueryBoxText KeepOneCharacter(std::u32string_view before, std::u32string_view after,
                              std::size_t caret);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_QUERY_BOX_H_
