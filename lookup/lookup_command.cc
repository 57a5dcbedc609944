#include "lookup/lookup_command.h"

#include <string>

#include "lookup/record_file.h"

namespace pavrel {

namespace {

// Scans the table and shows the outcome. A failure throws out of it with the file closed.
void ShowFirstMatch(WindowOperations& window, const std::u32string& query) {
  RecordFile file = OpenRecordFile(kTablePath);
  bool shows_not_found = false;
  std::u32string record;
  while (!AtEnd(file)) {
    // Only a record that begins with the query is decoded; the others are cut over bytes.
    if (ReadRecordWithKey(file, query, record)) {
      window.SetResultText(record);
      CloseRecordFile(file);
      return;
    }
    // Only the last caption is ever seen, so it is set once, at the first record that misses.
    if (!shows_not_found) {
      window.SetResultText(kNotFoundText);
      shows_not_found = true;
    }
  }
  CloseRecordFile(file);
  // An empty table answers the query too: the previous character's record must not stay.
  if (!shows_not_found) window.SetResultText(kNotFoundText);
}

}  // namespace

void RunLookup(WindowOperations& window) {
  try {
    const std::u32string query = window.GetQueryText();
    ShowFirstMatch(window, query);
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
