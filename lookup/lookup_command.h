// The lookup command: finds the first record of the table `data.txt` in the current directory
// whose first character is the query box's character, and shows it.
//
// LookUp decides and says what happened; RunLookup shows that in a window. The console lookup
// (--lookup) presents the same outcome as text and an exit status. A copy that the window
// follows may also be a word or begin with a phrase (word_lookup.h): RunCopyLookup shows that.

#ifndef PAVREL_LOOKUP_LOOKUP_COMMAND_H_
#define PAVREL_LOOKUP_LOOKUP_COMMAND_H_

#include <string>
#include <string_view>

#include "lookup/copied_text.h"
#include "lookup/window_operations.h"
#include "table/trusted_reading.h"

namespace pavrel {

// Shown when no record begins with the query.
constexpr char32_t kNotFoundText[] = U"无法查询";

// The messages for a table that cannot be used, one for each reason. The first is also shown
// when anything else in a lookup fails.
constexpr char32_t kMissingTableMessage[] = U"当前目录下缺少 data.txt 文件！";
constexpr char32_t kNotAFileMessage[] = U"当前目录下的 data.txt 不是文件！";
constexpr char32_t kUnreadableTableMessage[] = U"当前目录下的 data.txt 文件无法读取！";
constexpr char32_t kBusyTableMessage[] = U"当前目录下的 data.txt 文件正在被修改，请稍后再试！";

// The message for a table that cannot be used for `failure`.
const char32_t* FailureMessage(TableFailure failure);

// The table, relative to the current directory at the moment of each lookup.
constexpr char kTablePath[] = "data.txt";

// What one lookup found, or why it could not look.
struct LookupOutcome {
  enum class Kind { kFound, kComputed, kNotFound, kFailed } kind;
  // kFound: the whole record, key character included; kComputed: a word, kComputedMark
  // (word_code.h), a space and its code by the rule
  std::u32string record;
  char32_t missing = 0;    // kNotFound of a word: its first character that the table lacks
  TableFailure failure{};  // kFailed: why the table could not be used
};

// What the result label shows for an outcome that is not kFailed: the record, or kNotFoundText,
// for a word followed by the character that the table lacks.
std::u32string ResultText(const LookupOutcome& outcome);

// Looks `query` up in the table that `table` reads: its first record whose key is the query. The
// table is read afresh, up to that record, until a reading can be trusted (trusted_reading.h),
// and closed on every path. An empty table answers kNotFound.
LookupOutcome LookUp(std::u32string_view query, TableSource& table, const TableWait& wait = {});

// The same over kTablePath in the current directory.
LookupOutcome LookUp(std::u32string_view query, const TableWait& wait = {});

// Runs one lookup of the query box's character in `window` and shows its outcome: the result
// label shows the matching record, or kNotFoundText, and the query box has the focus with its
// character selected. When the table cannot be used the command shows its FailureMessage
// instead, and kMissingTableMessage when a window operation fails, and leaves the label, focus
// and selection as the failure found them.
void RunLookup(WindowOperations& window, const TableWait& wait = {});

// The same for a copy: the window has put its first character in the query box, and the result
// label shows the phrase the copy begins with or the word it is, where it is one (word_lookup.h).
void RunCopyLookup(WindowOperations& window, const CopiedText& copy, const TableWait& wait = {});

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_LOOKUP_COMMAND_H_
