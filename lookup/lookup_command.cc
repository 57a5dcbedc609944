#include "lookup/lookup_command.h"

#include <string>

#include "lookup/record_file.h"

namespace pavrel {

namespace {

// A table changed during every one of this many runs gets the message.
constexpr int kRuns = 3;

// Scans the table once. Returns false, with nothing shown but 无法查询, if the table changed
// while it was read: then what was read may be a record made of two versions, or a record
// missed between them. A failure throws out of it with the file closed.
bool ShowFirstMatch(WindowOperations& window, const std::u32string& query) {
  RecordFile file = OpenRecordFile(kTablePath);
  std::u32string record;
  bool found = false;
  try {
    // The first record is read alone: once it misses, the label shows kNotFoundText while the
    // rest is read, and keeps it if a failure cuts the reading short. Only the last caption is
    // seen.
    found = !AtEnd(file) && ReadRecordWithKey(file, query, record);
    if (!found) {
      // An empty table answers the query too: the previous character's record must not stay.
      window.SetResultText(kNotFoundText);
      found = FindRecordWithKey(file, query, record);
    }
  } catch (const RecordFileChanged&) {
    return false;
  }
  const bool changed = ChangedSinceOpened(file);
  CloseRecordFile(file);
  if (changed) return false;
  if (found) window.SetResultText(record);
  return true;
}

}  // namespace

void RunLookup(WindowOperations& window) {
  try {
    const std::u32string query = window.GetQueryText();
    int runs = 1;
    while (!ShowFirstMatch(window, query)) {
      if (++runs > kRuns) throw RecordFileError("the table kept changing");
    }
    window.FocusQueryBox();
    window.SetQuerySelection(0, 1);
  } catch (...) {
    // One message for every failure. The table is already closed, so it is not held while the
    // message waits for the user.
    try {
      window.ShowMessage(kMissingTableMessage);
    } catch (...) {
      // Nothing is left to report to; the window goes on as before.
    }
  }
}

}  // namespace pavrel
