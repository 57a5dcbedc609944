// The code points that copied text is not looked up by, from Unicode's general categories:
// punctuation, symbols, separators, controls, format characters, surrogates and marks; and
// Unicode's default ignorable code points; and those that may stand around a copied word. Made
// by tools/GenerateCopiedTextTable.java.

#ifndef PAVREL_LOOKUP_COPIED_TEXT_TABLE_H_
#define PAVREL_LOOKUP_COPIED_TEXT_TABLE_H_

#include <cstddef>
#include <iterator>

namespace pavrel {

struct CodePointRange {
  char32_t first, last;  // both included
};

// Each sorted, neither overlapping nor adjacent.
extern const CodePointRange kSkippedInCopiedText[];
extern const std::size_t kSkippedInCopiedTextCount;
// The code points that may stand around a copied word: punctuation, separators, controls,
// format characters and the default ignorable ones.
extern const CodePointRange kAroundCopiedWord[];
extern const std::size_t kAroundCopiedWordCount;

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_COPIED_TEXT_TABLE_H_
