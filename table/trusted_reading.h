// Reading a table that another program may be writing at the same moment, and the rule for when
// a reading can be trusted.
//
// Nothing locks a text file against its editor, so a reading may catch the table half saved: the
// first part of a new version and the rest of the old one. A reading is trusted only when the
// table did not change while it was read and had sat still for a quiet time before: its change
// time lay that long before the reading began, by more than the stamps' granularity, or an
// earlier reading found the same, that long before. Otherwise it is made again after a short
// pause, until a time limit. Stamps that this machine's clock does not set (network shares,
// FUSE mounts) are never trusted to be old: there only two readings that agree count.
//
// The rule reaches the table and the clocks only through TableSource, so that tests can run it
// against a file system and clocks of their own, without sleeping.

#ifndef PAVREL_TABLE_TRUSTED_READING_H_
#define PAVREL_TABLE_TRUSTED_READING_H_

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "table/open_table.h"
#include "table/table_search.h"

namespace pavrel {

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

// What one reading of the table found, and what tells whether to trust it.
struct TableReading {
  FileStamp stamp;         // the table's when it was opened
  StampClock stamp_clock;  // where its stamps come from
  bool whole = false;      // nothing about the table changed while it was read
  bool held = false;       // another program held it open for writing (see HeldOpenForWriting)
  SearchResult found;      // what the search found
};

// The table and the clocks, as the rule sees them.
class TableSource {
 public:
  using Clock = std::chrono::steady_clock;

  virtual ~TableSource() = default;

  // Reads the table once, as far as `search` needs (table_search.h). Throws RecordFileError
  // when the table cannot be read at all, with the file closed.
  virtual TableReading Read(const TableSearch& search) = 0;

  // The time on a clock that only moves forward, for the rule's own waits.
  virtual Clock::time_point Now() = 0;

  // The time on the clock that file times are stamped with.
  virtual FileTime FileClockNow() = 0;

  virtual void Sleep(Clock::duration duration) = 0;
};

// The table at `path` on disk, read with RecordFile, and the system's clocks. Its stamp is looked
// at again `stamp_lag` after it was opened at the least: Linux sets a truncated file's size a
// moment before its times, so a stamp taken in that moment pairs the new size with the old
// times, and only a second look tells. Tests that write no table while it is read may do without.
class TableFile final : public TableSource {
 public:
  explicit TableFile(std::filesystem::path path,
                     std::chrono::milliseconds stamp_lag = std::chrono::milliseconds(2))
      : path_(std::move(path)), stamp_lag_(stamp_lag) {}

  TableReading Read(const TableSearch& search) override;
  Clock::time_point Now() override;
  FileTime FileClockNow() override;
  void Sleep(Clock::duration duration) override;

 private:
  std::filesystem::path path_;
  std::chrono::milliseconds stamp_lag_;
};

// Reads the table from `source` until a reading can be trusted, and returns that reading. Throws
// RecordFileError with TableFailure::kBusy when the table is still changing `wait.limit` after
// the first reading began (having read it at least twice). A table that cannot be read is read
// again until then too, as a file system may fail a read while the file is rewritten, and is
// unreadable only if no reading got through; any other failure ends the lookup at once.
TableReading ReadTrusted(TableSource& source, const TableSearch& search, const TableWait& wait);

}  // namespace pavrel

#endif  // PAVREL_TABLE_TRUSTED_READING_H_
