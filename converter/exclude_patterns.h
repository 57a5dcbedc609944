// The `encoder: exclude_patterns:` of a Rime dictionary: regular expressions in RE2's syntax
// (Perl-like, without back-references or look-around), each matched against a whole code.
//
// RE2 matches in time linear in the code and never recurses over a pattern, so no pattern,
// however nested, can make a code take long or overflow the stack. All patterns are compiled
// into one automaton within a fixed memory budget, and patterns that need more are an error
// that says so.

#ifndef PAVREL_CONVERTER_EXCLUDE_PATTERNS_H_
#define PAVREL_CONVERTER_EXCLUDE_PATTERNS_H_

#include <re2/set.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

class ExcludePatterns {
 public:
  // Compiles `patterns`, those of the dictionary at `path` and those it inherits. Throws
  // ConvertError, naming `path` and the pattern, for one that RE2 rejects or that is too large.
  ExcludePatterns(const std::vector<std::string>& patterns, const std::filesystem::path& path);

  // Whether one of the patterns matches all of `code`, in UTF-8. Throws ConvertError when the
  // automaton runs out of its memory budget.
  bool Match(std::string_view code) const;

 private:
  std::optional<re2::RE2::Set> set_;  // none when there are no patterns
  std::filesystem::path path_;
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_EXCLUDE_PATTERNS_H_
