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
std::vector<Write> KeepsSavingInHalves() {
  std::vector<Write> writes;
  for (int n = 0; n < 20; ++n) {
    writes.push_back({n * 60ms - 10ms, U"字 pb"});
    writes.push_back({n * 60ms + 40ms, U"字 pbf"});
  }
  return writes;
}

// A writer that saves a new version every `every`, from `from` on.
std::vector<Write> KeepsWriting(Clock::duration from, Clock::duration every) {
  std::vector<Write> writes;
  for (int n = 0; n < 200; ++n) {
    const std::string number = std::to_string(n);
    writes.push_back({from + n * every, U"字 v" + std::u32string(number.begin(), number.end())});
  }
  return writes;
}

// A writer that saves a version of the same size in place, in two halves 30 ms apart, the first
// just before the lookup: "字 nld" is the first half of "字 new" over the rest of "字 old".
const std::vector<Write> kMidVersion = {{-1h, U"字 old"}, {-10ms, U"字 nld"}, {30ms, U"字 new"}};

// Each case: the table's timetable and clocks, and what the rule must return: the record of a
// version whole, or kBusy (an empty record) within its limit. A record of two versions, a half
// version or a version that has been replaced is never right.
const struct {
  const char* what;
  FakeTable::Setup setup;
  std::u32string record;  // empty: the table is busy
  int most_readings;
} kCases[] = {
    {"table at rest", {.writes = {{-1h, U"字 old"}}}, U"字 old", 1},
    {"saved just before the lookup", {.writes = {{-1ms, U"字 new"}}}, U"字 new", 8},
    {"a writer mid-version", {.writes = kMidVersion}, U"字 new", 10},
    {"a writer that never rests", {.writes = KeepsWriting(-1ms, 10ms)}, U"", 16},
    {"one reading slower than the limit, saved just before",
     {.writes = {{-1ms, U"字 new"}}, .reading_time = 400ms},
     U"字 new",
     2},
    {"the file clock jumps back an hour after the first reading, stamps then in the future",
     {.writes = {{-1ms, U"字 new"}}, .file_clock_jump = -1h},
     U"字 new",
     8},
    {"stamps from a clock a minute behind ours, at rest",
     {.writes = {{-1h, U"字 old"}}, .file_clock_behind = 1min},
     U"字 old",
     1},
    {"stamps from a clock a minute ahead of ours, in our future",
     {.writes = {{-1h, U"字 old"}}, .file_clock_behind = -1min},
     U"字 old",
     8},
    {"held open by a writer whose writes may not show in its times yet",
     {.writes = {{-1h, U"字 old"}}, .held = true},
     U"字 old",
     8},
    // Coarse stamps cannot tell a version saved in the stamp's second from one still being
    // saved: nothing is trusted until that second is over, within the limit here (the lookup
    // begins 50 ms before it ends), past it for FAT's two seconds.
    {"one-second stamps (ext4 with small inodes), a writer mid-version",
     {.writes = kMidVersion, .granularity = 1s},
     U"字 new",
     10},
    {"two-second stamps of FAT, a writer mid-version",
     {.writes = kMidVersion, .granularity = 2s, .reported = {2s, true}},
     U"",
     10},
    {"one-second stamps, a writer that saves the same version again and again in halves",
     {.writes = KeepsSavingInHalves(), .granularity = 1s},
     U"",
     10},
    {"one-second stamps, saved a second before",
     {.writes = {{-1100ms, U"字 new"}}, .granularity = 1s},
     U"字 new",
     10},
    {"ten-millisecond stamps of exFAT, a writer mid-version",
     {.writes = kMidVersion, .granularity = 10ms, .reported = {10ms, true}},
     U"字 new",
     10},
    {"one-second stamps, a writer that never rests",
     {.writes = KeepsWriting(-1ms, 10ms), .granularity = 1s},
     U"",
     16},
    {"a network share whose clock is a minute behind ours, a writer mid-version",
     {.writes = kMidVersion, .reported = {{}, false}, .file_clock_behind = 1min},
     U"字 new",
     10},
    {"a FUSE mount with one-second stamps, at rest",
     {.writes = {{-1h, U"字 old"}}, .granularity = 1s, .reported = {{}, false}},
     U"字 old",
     8},
    {"a FUSE mount at rest, read slowly",
     {.writes = {{-1h, U"字 old"}}, .reading_time = 200ms, .reported = {{}, false}},
     U"字 old",
     2},
    {"held open by a writer, read slowly",
     {.writes = {{-1h, U"字 old"}}, .reading_time = 200ms, .held = true},
     U"字 old",
     2},
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
