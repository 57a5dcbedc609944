// The lookup command: finds the first record of the table `data.txt` in the current directory
// whose first character is the query box's character, and shows it.

#ifndef PAVREL_LOOKUP_LOOKUP_COMMAND_H_
#define PAVREL_LOOKUP_LOOKUP_COMMAND_H_

#include "lookup/window_operations.h"

namespace pavrel {

// Shown when no record begins with the query.
constexpr char32_t kNotFoundText[] = U"无法查询";

// Shown when the table cannot be opened or read, or anything else in a lookup fails.
constexpr char32_t kMissingTableMessage[] = U"当前目录下缺少 data.txt 文件！";

// The table, relative to the current directory at the moment of each lookup.
constexpr char kTablePath[] = "data.txt";

// Runs one lookup in `window`. The table is opened afresh, read from its start up to the first
// matching record, and closed on every path. A table that changed while it was read is read
// again, three times in all, and then counts as a failure. Afterwards the result label shows the
// matching record, or kNotFoundText, and the query box has the focus with its character selected.
// On any failure the command shows kMissingTableMessage instead and leaves the label, focus and
// selection as the failure found them.
void RunLookup(WindowOperations& window);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_LOOKUP_COMMAND_H_
