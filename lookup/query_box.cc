#include "lookup/query_box.h"

namespace pavrel {

QueryBoxText KeepOneCharacter(std::u32string_view before, std::u32string_view after,
                              std::size_t caret) {
  if (after.size() <= 1) return {std::u32string(after), caret};
  const bool typed_in_front =
      !before.empty() && after.ends_with(before) && caret == after.size() - before.size();
  if (typed_in_front) return {std::u32string(before), 0};
  return {std::u32string(after.substr(0, 1)), 1};
}

}  // namespace pavrel
