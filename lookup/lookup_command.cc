#include "lookup/lookup_command.h"

#include <algorithm>
#include <optional>
#include <string>
#include <thread>

#include "lookup/record_file.h"

namespace pavrel {

namespace {

using Clock = std::chrono::steady_clock;

// What one reading of the table found, and what tells whether to trust it.
struct Reading {
  FileStamp stamp;     // the table's when it was opened
  bool whole = false;  // nothing about the table changed while it was read
  bool held = false;   // another program held it open for writing
  bool found = false;  // `record` holds the first match
  std::u32string record;
  Clock::time_point ended;

  bool SameAs(const Reading& other) const {
    return stamp == other.stamp && found == other.found && (!found || record == other.record);
  }
};

// Reads the table once, up to the first record of `query`. A reading during which the table
// changed may have read a record made of two versions, or missed one between them: it is not
// whole. A failure throws out of it with the file closed.
Reading ReadTable(WindowOperations& window, const std::u32string& query) {
  RecordFile file = OpenRecordFile(kTablePath);
  Reading reading;
  reading.stamp = StampAtOpen(file);
  try {
    // The first record is read alone: once it misses, the label shows kNotFoundText while the
    // rest is read, and keeps it if a failure cuts the reading short. Only the last caption is
    // seen.
    reading.found = !AtEnd(file) && ReadRecordWithKey(file, query, reading.record);
    if (!reading.found) {
      // An empty table answers the query too: the previous character's record must not stay.
      window.SetResultText(kNotFoundText);
      reading.found = FindRecordWithKey(file, query, reading.record);
    }
    reading.whole = !ChangedSinceOpened(file);
    reading.held = reading.whole && HeldByWriter(file);
  } catch (const RecordFileChanged&) {
    reading.whole = false;
  }
  CloseRecordFile(file);
  reading.ended = Clock::now();
  return reading;
}

}  // namespace

void RunLookup(WindowOperations& window, const TableWait& wait) {
  try {
    const std::u32string query = window.GetQueryText();
    // The limit bounds the whole lookup, readings included: a large table that keeps changing
    // costs a few readings, not one per pause. A table whose one reading outlasts the limit still
    // gets a second, so that one saved just before the lookup is not reported missing.
    const Clock::time_point start = Clock::now();
    // The first whole reading of the version last read whole: when a later reading began long
    // enough after it and found the same, the table sat still in between.
    std::optional<Reading> first;
    for (int readings = 1;; ++readings) {
      const Clock::time_point began = Clock::now();
      const FileTime began_by_file_clock = std::chrono::system_clock::now();
      Reading reading = ReadTable(window, query);
      if (reading.whole) {
        // A table whose change time lies long enough before the reading began sat still: a write
        // since would have set a later time, and a writer does not rest so long half way through
        // a version. Not while a writer holds it whose writes may not show in its times yet.
        const bool settled =
            !reading.held && reading.stamp.changed < began_by_file_clock - wait.quiet;
        const bool seen_still =
            first && first->SameAs(reading) && first->ended + wait.quiet <= began;
        if (settled || seen_still) {
          if (reading.found) window.SetResultText(reading.record);
          break;
        }
        if (!first || !first->SameAs(reading)) first = std::move(reading);
      }
      const Clock::duration spent = Clock::now() - start;
      if (spent >= wait.limit && readings >= 2) throw RecordFileError("the table kept changing");
      std::this_thread::sleep_for(
          std::clamp<Clock::duration>(wait.limit - spent, Clock::duration::zero(), wait.pause));
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
