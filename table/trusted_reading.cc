#include "table/trusted_reading.h"

#include <algorithm>
#include <thread>

#include "table/record_file.h"

namespace pavrel {

namespace {

// How much later than its stamp the table's last write may have been made. A stamp without a
// fraction of a second comes from a file system that keeps whole seconds (ext4 with small
// inodes), whatever its type tells; FAT's two seconds its type tells.
std::chrono::nanoseconds Granularity(const TableReading& reading) {
  using std::chrono::seconds;
  const bool whole_seconds = reading.stamp.changed.time_since_epoch() % seconds(1) == seconds(0);
  return whole_seconds
             ? std::max<std::chrono::nanoseconds>(reading.stamp_clock.granularity, seconds(1))
             : reading.stamp_clock.granularity;
}

// Whether two readings found the same version: the same stamp, and the same records.
bool SameVersion(const TableReading& a, const TableReading& b) {
  return a.stamp == b.stamp && a.found == b.found;
}

}  // namespace

TableReading TableFile::Read(const TableSearch& search) {
  const Clock::time_point opened = Clock::now();
  RecordFile file = OpenRecordFile(path_);
  TableReading reading;
  reading.stamp = StampAtOpen(file);
  reading.stamp_clock = file.ClockOfStamps();
  try {
    reading.found = SearchTable(file, search);
    // A reading during which the table changed may have read a record made of two versions, or
    // missed one between them: it is not whole.
    std::this_thread::sleep_until(opened + stamp_lag_);
    reading.whole = !ChangedSinceOpened(file);
    reading.held = reading.whole && HeldByWriter(file);
  } catch (const RecordFileChanged&) {
    reading.whole = false;
  }
  CloseRecordFile(file);
  return reading;
}

TableSource::Clock::time_point TableFile::Now() { return Clock::now(); }

FileTime TableFile::FileClockNow() { return std::chrono::system_clock::now(); }

void TableFile::Sleep(Clock::duration duration) { std::this_thread::sleep_for(duration); }

TableReading ReadTrusted(TableSource& source, const TableSearch& search, const TableWait& wait) {
  using Clock = TableSource::Clock;
  // The limit bounds the whole lookup, readings included: a large table that keeps changing
  // costs a few readings, not one per pause. A table whose one reading outlasts the limit still
  // gets a second, so that one saved just before the lookup is not reported missing.
  const Clock::time_point start = source.Now();
  // The first whole reading of the version last read whole, and when it began and ended: when a
  // later reading began long enough after it and found the same, the table sat still in between.
  std::optional<TableReading> first;
  FileTime first_began_by_file_clock;
  Clock::time_point first_ended;
  std::optional<RecordFileError> unreadable;  // the last failed reading's error
  bool read_once = false;
  for (int readings = 1;; ++readings) {
    const Clock::time_point began = source.Now();
    const FileTime began_by_file_clock = source.FileClockNow();
    TableReading reading;
    try {
      reading = source.Read(search);
      read_once = true;
    } catch (const RecordFileError& error) {
      // Another program has it open in a way that keeps us out for now, or a file system failed
      // a read while it was rewritten (FUSE ones do): as good as a change, unless it lasts.
      if (error.failure() == TableFailure::kUnreadable) {
        unreadable.emplace(error);
      } else if (error.failure() != TableFailure::kBusy) {
        throw;
      }
    }
    if (reading.whole) {
      // A table whose change time lies long enough before the reading began sat still: a write
      // since would have set a later time, and a writer does not rest so long half way through
      // a version. Not while a writer holds it whose writes may not show in its times yet, nor
      // where another clock sets them.
      const std::chrono::nanoseconds granularity = Granularity(reading);
      const bool settled = reading.stamp_clock.ours && !reading.held &&
                           reading.stamp.changed + granularity < began_by_file_clock - wait.quiet;
      // Two readings that agree prove nothing where stamps are coarser than the quiet time and
      // the first was made in the stamp's own tick: a writer saving the same text again and
      // again within that tick leaves the stamp as it was.
      const bool tick_over = !reading.stamp_clock.ours || granularity < wait.quiet ||
                             first_began_by_file_clock >= reading.stamp.changed + granularity;
      const bool seen_still =
          first && SameVersion(*first, reading) && first_ended + wait.quiet <= began && tick_over;
      if (settled || seen_still) return reading;
      if (!first || !SameVersion(*first, reading)) {
        first = std::move(reading);
        first_began_by_file_clock = began_by_file_clock;
        first_ended = source.Now();
      }
    }
    const Clock::time_point now = source.Now();
    if (now - start >= wait.limit && readings >= 2) {
      // Unreadable only if no reading ever got through: else it was being rewritten.
      if (unreadable && !read_once) throw *unreadable;
      throw RecordFileError(TableFailure::kBusy, "the table kept changing");
    }
    // The next reading as soon as it can tell something: a pause after a change, or when it can
    // find the last whole version still there, a quiet time after that version was read, even
    // past the limit, so that a slow reading of a table at rest is confirmed, not given up.
    const Clock::duration until_limit = start + wait.limit - now;
    Clock::duration sleep =
        std::clamp<Clock::duration>(until_limit, Clock::duration::zero(), wait.pause);
    if (first) sleep = std::max(sleep, first_ended + wait.quiet - now);
    source.Sleep(sleep);
  }
}

}  // namespace pavrel
