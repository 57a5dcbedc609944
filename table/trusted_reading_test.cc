#include "table/trusted_reading.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "table/record_file.h"
#include "table/test_reference_reader.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

using namespace std::chrono_literals;
using Clock = TableSource::Clock;

// One save of the table: when, on our clock, relative to the lookup's start, and the record for
// 字 that it leaves.
struct Write {
  Clock::duration at;
  std::u32string record;
};

// A table on a simulated disk, written to a timetable, and simulated clocks. A reading takes
// `reading_time`; one during which a write lands reads a record of two versions. Stamps are the
// file clock at the write, cut to the disk's granularity; the lookup starts 0.95 s into a second.
class FakeTable final : public TableSource {
 public:
  struct Setup {
    std::vector<Write> writes;
    Clock::duration reading_time = 5ms;
    Clock::duration granularity = 1ns;
    StampClock reported{};                // what the platform tells of the stamps
    Clock::duration file_clock_behind{};  // how far the stamps' clock lags ours
    Clock::duration file_clock_jump{};    // the file clock's jump after the first reading
    bool held = false;                    // a writer holds the table open
  };

  explicit FakeTable(Setup setup) : setup_(std::move(setup)) {}

  TableReading Read(const TableSearch&) override {
    const Clock::duration opened = now_;
    TableReading reading;
    reading.stamp = StampAt(opened);
    reading.stamp_clock = setup_.reported;
    now_ += setup_.reading_time;
    reading.whole = StampAt(now_) == reading.stamp;
    reading.held = setup_.held;
    // Two readings that straddle different writes read different mixes.
    const Write* last = LastWriteBy(now_);
    const std::u32string mix =
        U"(mixed " + std::u32string(1, U'0' + (last - &setup_.writes[0]) % 10) + U")";
    reading.found.record = LastWriteBy(opened) == last ? last->record : mix;
    if (++readings == 1) jumped_ = setup_.file_clock_jump;
    return reading;
  }
  Clock::time_point Now() override { return Clock::time_point(1h + now_); }
  FileTime FileClockNow() override {
    return StampClockAt(now_) + setup_.file_clock_behind + jumped_;
  }
  void Sleep(Clock::duration duration) override { now_ += duration; }

  Clock::duration elapsed() const { return now_; }
  int readings = 0;

 private:
  FileTime StampClockAt(Clock::duration t) const {
    return FileTime(std::chrono::hours(24 * 365 * 50) + 950ms) + t - setup_.file_clock_behind;
  }
  const Write* LastWriteBy(Clock::duration t) const {
    const Write* last = nullptr;
    for (const Write& write : setup_.writes) last = write.at <= t ? &write : last;
    return last;
  }
  FileStamp StampAt(Clock::duration t) const {
    const Write* last = LastWriteBy(t);
    const FileTime when = StampClockAt(last->at);
    FileStamp stamp;
    stamp.size = last->record.size();
    stamp.modified = stamp.changed =
        FileTime(when.time_since_epoch() / setup_.granularity * setup_.granularity);
    return stamp;
  }

  Setup setup_;
  Clock::duration now_{};
  Clock::duration jumped_{};
};

// A writer that saves the same version again and again, each time in two halves 50 ms apart.
std::vector<Write> InHalves() {
  std::vector<Write> writes;
  for (int n = 0; n < 20; ++n) {
    writes.push_back({n * 60ms - 10ms, U"字 pb"});
    writes.push_back({n * 60ms + 40ms, U"字 pbf"});
  }
  return writes;
}

// A writer that saves a new version every 10 ms, from just before the lookup on.
std::vector<Write> NeverRests() {
  std::vector<Write> writes;
  for (int n = 0; n < 200; ++n) {
    const std::string number = std::to_string(n);
    writes.push_back({n * 10ms - 1ms, U"字 v" + std::u32string(number.begin(), number.end())});
  }
  return writes;
}

// A table at rest for an hour, one saved just before the lookup, and a writer that saves a
// version of the same size in place, in two halves 30 ms apart, the first just before the
// lookup: "字 nld" is the first half of "字 new" over the rest of "字 old".
const std::vector<Write> kOld = {{-1h, U"字 old"}}, kNew = {{-1ms, U"字 new"}};
const std::vector<Write> kMid = {{-1h, U"字 old"}, {-10ms, U"字 nld"}, {30ms, U"字 new"}};
const std::vector<Write> kEarlier = {{-1100ms, U"字 new"}};
constexpr StampClock kFat{2s, true}, kExFat{10ms, true}, kOther{{}, false};

// Each case: what the rule must return, the record of a version whole, or kBusy (an empty record)
// within its limit, in so many readings at most; and the table's timetable and clocks. A record
// of two versions, a half version or a version that has been replaced is never right.
const struct {
  const char* what;
  std::u32string record;  // empty: the table is busy
  int most_readings;
  FakeTable::Setup setup;
} kCases[] = {
    {"table at rest", U"字 old", 1, {.writes = kOld}},
    {"saved just before the lookup", U"字 new", 8, {.writes = kNew}},
    {"a writer mid-version", U"字 new", 10, {.writes = kMid}},
    {"a writer that never rests", U"", 16, {.writes = NeverRests()}},
    {"a reading slower than the limit", U"字 new", 2, {.writes = kNew, .reading_time = 400ms}},
    {"file clock back an hour", U"字 new", 8, {.writes = kNew, .file_clock_jump = -1h}},
    {"stamps a minute behind", U"字 old", 1, {.writes = kOld, .file_clock_behind = 1min}},
    {"stamps a minute ahead", U"字 old", 8, {.writes = kOld, .file_clock_behind = -1min}},
    {"held open by a writer", U"字 old", 8, {.writes = kOld, .held = true}},
    // Coarse stamps cannot tell a version saved in the stamp's second from one still being
    // saved: nothing is trusted until that second is over, within the limit here (the lookup
    // begins 50 ms before it ends), past it for FAT's two seconds (exFAT's are 10 ms). A file
    // system that is not ours (a network share, FUSE) sets its stamps by another clock.
    {"1 s stamps, mid-version", U"字 new", 10, {.writes = kMid, .granularity = 1s}},
    {"FAT, mid-version", U"", 10, {.writes = kMid, .granularity = 2s, .reported = kFat}},
    {"1 s stamps, saved in halves", U"", 10, {.writes = InHalves(), .granularity = 1s}},
    {"1 s stamps, saved 1.1 s before", U"字 new", 10, {.writes = kEarlier, .granularity = 1s}},
    {"exFAT", U"字 new", 10, {.writes = kMid, .granularity = 10ms, .reported = kExFat}},
    {"share", U"字 new", 10, {.writes = kMid, .reported = kOther, .file_clock_behind = 1min}},
    {"FUSE, 1 s stamps", U"字 old", 8, {.writes = kOld, .granularity = 1s, .reported = kOther}},
    {"FUSE, slow", U"字 old", 2, {.writes = kOld, .reading_time = 200ms, .reported = kOther}},
};

TEST(TrustedReadingTest, TrustsOnlyAVersionThatSatStill) {
  const TableWait wait;  // the lookup's own
  for (const auto& c : kCases) {
    FakeTable table(c.setup);
    std::u32string record;
    try {
      record = ReadTrusted(table, {U"字", {}}, wait).found.record.value_or(U"(none)");
    } catch (const RecordFileError& error) {
      EXPECT_EQ(error.failure(), TableFailure::kBusy) << c.what;
    }
    EXPECT_EQ(record, c.record) << c.what;
    EXPECT_LE(table.readings, c.most_readings) << c.what;
    EXPECT_GE(table.readings, record.empty() ? 2 : 1) << c.what;
    // Never held past the limit but for a last reading a quiet time after the last whole one.
    const Clock::duration longest = std::max<Clock::duration>(wait.limit, c.setup.reading_time);
    EXPECT_LE(table.elapsed(), longest + wait.quiet + c.setup.reading_time) << c.what;
  }
}

// The real table, counting its readings.
struct CountedTable : TableSource {
  TableFile file{"data.txt"};
  int readings = 0;

  TableReading Read(const TableSearch& search) override { return ++readings, file.Read(search); }
  Clock::time_point Now() override { return file.Now(); }
  FileTime FileClockNow() override { return file.FileClockNow(); }
  void Sleep(Clock::duration duration) override { file.Sleep(duration); }
};

// A table that another program holds open for writing, as a spreadsheet may, is still read; on
// Windows, where its times may lag the writes until it is closed, once two readings agree.
TEST(TrustedReadingTest, ReadsATableHeldOpenForWriting) {
  TempDir dir;
  dir.Write("data.txt", "\xD6\xD0 khk\n\xD7\xD6 pbf\n");
  std::ofstream writer(dir.path() / "data.txt", std::ios::app);
  CountedTable table;
  EXPECT_EQ(ReadTrusted(table, {U"字", {}}, kNoWait).found.record, U"字 pbf");
#ifdef _WIN32
  EXPECT_EQ(table.readings, 2);
#else
  EXPECT_EQ(table.readings, 1);
#endif
}

}  // namespace
}  // namespace pavrel
