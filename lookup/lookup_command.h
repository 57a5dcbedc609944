// The lookup command: finds the first record of the table `data.txt` in the current directory
// whose first character is the query box's character, and shows it.

#ifndef PAVREL_LOOKUP_LOOKUP_COMMAND_H_
#define PAVREL_LOOKUP_LOOKUP_COMMAND_H_

#include <chrono>

#include "lookup/window_operations.h"

namespace pavrel {

// Shown when no record begins with the query.
constexpr char32_t kNotFoundText[] = U"无法查询";

// Shown when the table cannot be opened or read, or anything else in a lookup fails.
constexpr char32_t kMissingTableMessage[] = U"当前目录下缺少 data.txt 文件！";

// The table, relative to the current directory at the moment of each lookup.
constexpr char kTablePath[] = "data.txt";

// How long a lookup waits for a table that is being written.
struct TableWait {
  // A reading is trusted only if the table had sat unchanged this long when it began: far longer
  // than a tick of the clock that file times come from (up to 15.6 ms), within which a write may
  // leave them as they were, and than a busy writer's pauses between the pieces of one version.
  std::chrono::milliseconds quiet{100};
  // The sleep before the next reading.
  std::chrono::milliseconds pause{20};
  // How long after its first reading began a lookup gives up on a table that never sits still,
  // however that time went: reading or sleeping. It reads the table at least twice.
  std::chrono::milliseconds limit{300};
};

// Runs one lookup in `window`. The table is opened afresh, read from its start up to the first
// matching record, and closed on every path. A reading that cannot be trusted, because the table
// changed while it was read or had not sat still for `wait.quiet` before, is made again after a
// short sleep; a table still changing `wait.limit` after the first reading began counts as a
// failure.
// Afterwards the result label shows the matching record, or kNotFoundText, and the query box has
// the focus with its character selected. On any failure the command shows kMissingTableMessage
// instead and leaves the label, focus and selection as the failure found them.
void RunLookup(WindowOperations& window, const TableWait& wait = {});

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_LOOKUP_COMMAND_H_
