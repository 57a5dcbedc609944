#include "converter/exclude_patterns.h"

#include <re2/stringpiece.h>

#include "converter/convert_error.h"

namespace pavrel {
namespace {

// The memory for the compiled patterns together and their matching automaton. Rime's patterns
// need a few kilobytes; the budget also bounds the work of a code, which grows with the size of
// the compiled patterns.
constexpr int64_t kMemoryBudget = 1 << 20;

re2::RE2::Options PatternOptions() {
  re2::RE2::Options options;
  options.set_log_errors(false);
  options.set_never_capture(true);  // only whether a code matches is needed
  options.set_max_mem(kMemoryBudget);
  return options;
}

// Why RE2 rejects `pattern`, in words that name the problem.
std::string Rejection(const re2::RE2& pattern) {
  switch (pattern.error_code()) {
    case re2::RE2::ErrorPatternTooLarge:
      return "is too large: compiled, it needs more than " + std::to_string(kMemoryBudget >> 10) +
             " KiB";
    case re2::RE2::ErrorRepeatSize:
    case re2::RE2::ErrorRepeatOp:
      if (pattern.error_arg().starts_with('{')) {
        return "is too large: its repetition " + pattern.error_arg() +
               " counts more than 1000 (nested counts multiply)";
      }
      [[fallthrough]];
    default:
      return "is not a pattern that RE2 accepts (" + pattern.error() +
             "; RE2 has no back-references or look-around)";
  }
}

}  // namespace

ExcludePatterns::ExcludePatterns(const std::vector<std::string>& patterns,
                                 const std::filesystem::path& path)
    : path_(path) {
  if (patterns.empty()) return;
  set_.emplace(PatternOptions(), re2::RE2::ANCHOR_BOTH);
  for (const std::string& pattern : patterns) {
    const re2::RE2 alone(pattern, PatternOptions());
    if (!alone.ok() || set_->Add(pattern, nullptr) < 0)
      throw FileError(path, "the exclude pattern \"" + pattern + "\" " + Rejection(alone));
  }
  if (!set_->Compile()) {
    throw FileError(path,
                    "the exclude patterns are too large together: compiled, they need "
                    "more than " +
                        std::to_string(kMemoryBudget >> 10) + " KiB");
  }
}

bool ExcludePatterns::Match(std::string_view code) const {
  if (!set_) return false;
  re2::RE2::Set::ErrorInfo error{};
  // RE2's own string view type: newer RE2 takes Abseil's, which is not std::string_view.
  const bool matched = set_->Match(re2::StringPiece(code.data(), code.size()), nullptr, &error);
  if (error.kind != re2::RE2::Set::kNoError) {
    throw FileError(path_, "the exclude patterns are too complex to match within " +
                               std::to_string(kMemoryBudget >> 10) + " KiB");
  }
  return matched;
}

}  // namespace pavrel
