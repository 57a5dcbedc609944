// Lookups on tables that are special files or that change while they are looked up in.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <thread>

#include "encoding/cp936.h"
#include "gtest/gtest.h"
#include "lookup/lookup_command.h"
#include "lookup/test_window.h"
#include "table/open_table.h"
#include "testing/test_files.h"

namespace pavrel {
namespace {

namespace fs = std::filesystem;

// Unprivileged: as the user nobody when the tests run as root, whom no permission would stop.
std::u32string LookUp(const TableWait& wait = kNoWait, bool unprivileged = false) {
  const bool root = unprivileged && geteuid() == 0;
  if (root && seteuid(65534) != 0) return U"(seteuid failed)";
  TestWindow window;
  RunLookup(window, wait);
  if (root && seteuid(0) != 0) std::abort();
  return window.Answer();
}

const struct {
  const char* what;
  std::function<void()> arrange;  // turns a readable table into the case's file
  std::u32string answer;
} kSpecialCases[] = {
    {"table is a pipe without a writer", [] { fs::remove(kTablePath), mkfifo(kTablePath, 0600); },
     kNotAFileMessage},
    {"table is a link to an endless device",
     [] { fs::remove(kTablePath), fs::create_symlink("/dev/zero", kTablePath); }, kNotAFileMessage},
    {"table is a link to nothing",
     [] { fs::remove(kTablePath), fs::create_symlink("gone.txt", kTablePath); },
     kMissingTableMessage},
    {"table the user may not read", [] { fs::permissions(kTablePath, fs::perms::none); },
     kUnreadableTableMessage},
    {"1 GiB sparse table of a single field",
     [] { fs::resize_file(kTablePath, 0), fs::resize_file(kTablePath, std::uintmax_t{1} << 30); },
     kNotFoundText},
};

// A hang here ends in the test's timeout; the memory bound holds across all cases.
TEST(ReliabilityTest, AnswersSpecialTablesWithBoundedMemory) {
  TempDir dir;
  fs::permissions(dir.path(), fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add);
  for (const auto& c : kSpecialCases) {
    dir.Write(kTablePath, "\xD7\xD6 pbf\n");
    ASSERT_EQ(LookUp(), U"字 pbf") << c.what;
    c.arrange();
    const int descriptors = CountOpenDescriptors();
    EXPECT_EQ(LookUp(kNoWait, true), c.answer) << c.what;
    EXPECT_EQ(CountOpenDescriptors(), descriptors) << c.what;
    fs::remove(kTablePath);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  EXPECT_LT(usage.ru_maxrss, 256 << 10) << "KiB at peak";
}

// Version n of the table: n empty records, so that versions differ in length, then the record
// for 字, which ends in ';' so that a record cut short is no version's.
constexpr int kVersions = 16;
std::string Version(int n) { return std::string(n, ',') + "\xD7\xD6 v" + std::to_string(n) + ";"; }

// One change to the table, of the kinds an editor, a generator or a mistake makes, in turn: a
// rewrite in place (truncated, then written), a truncation, a FIFO and a new file renamed over
// it, and a removal followed by a new file.
void ChangeTable(const TempDir& dir, int step) {
  const fs::path table = dir.path() / kTablePath, fresh = dir.path() / "fresh";
  const std::string bytes = Version(step % kVersions);
  const int kind = step % 5;
  if (kind == 0) dir.Write(kTablePath, bytes);
  if (kind == 1) fs::resize_file(table, 0);
  if (kind == 2) mkfifo(fresh.c_str(), 0600);
  if (kind == 3) dir.Write("fresh", bytes);
  if (kind == 2 || kind == 3) fs::rename(fresh, table);
  if (kind == 4) fs::remove(table), dir.Write(kTablePath, bytes);
}

TEST(ReliabilityTest, LookupsWhileTheTableIsRewritten) {
  TempDir dir;
  dir.Write(kTablePath, Version(0));
  // Missing between a removal and a new file, not a file while it is a FIFO, busy while it keeps
  // changing.
  std::set<std::u32string> answers = {kNotFoundText, kMissingTableMessage, kNotAFileMessage,
                                      kBusyTableMessage};
  for (int n = 0; n < kVersions; ++n) answers.insert(DecodeCp936(Version(n).substr(n)));
  const int descriptors = CountOpenDescriptors();
  std::atomic<bool> done = false;
  // Now and then the changer rests longer than a lookup's second look at the stamp, so that some
  // lookups can find a version whole however the threads are scheduled.
  std::thread changer([&] {
    for (int step = 1; !done; ++step) {
      ChangeTable(dir, step);
      if (step % 64 == 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  int found = 0;
  // Until a lookup has found a version too.
  for (int i = 0; (i < 2000 || found == 0) && i < 100000 && !HasFailure(); ++i) {
    const std::u32string answer = LookUp();
    found += answer.starts_with(U"字");
    EXPECT_TRUE(answers.contains(answer)) << "no version holds " << testing::PrintToString(answer);
  }
  done = true;
  changer.join();
  EXPECT_GT(found, 0);
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
}

// Versions larger than the reader's 64 KiB buffer: a blank line fills the buffer but for the
// record of 字, whose letters tell the version and cross the buffer's edge.
std::string EdgeVersion(char letter) {
  return std::string(64 * 1024 - 4, '\n') + "\xD7\xD6 " + std::string(12, letter) + "\n";
}

// Whether the table's stamps are our clock's and finer than the quiet time, so that a version
// counts as soon as it has sat still that long.
bool FineStamps() {
  std::FILE* table = std::fopen(kTablePath, "rb");
  struct stat info {};
  const bool fine = table != nullptr && fstat(fileno(table), &info) == 0 &&
                    info.st_ctim.tv_nsec != 0 && StampClockOf(table).ours &&
                    StampClockOf(table).granularity < TableWait{}.quiet;
  if (table != nullptr) std::fclose(table);
  return fine;
}

// Lookups while `write` rewrites the table in place, through a descriptor of its own, until it
// returns: each shows a whole version's record of 字, or the message; never a record of two.
struct Tally {
  int lookups = 0, mixed = 0, messages = 0;
  bool fine_stamps = false;
  std::u32string first_mixed;
};
Tally LookUpWhileWriting(const std::function<void(int fd)>& write) {
  TempDir dir;
  dir.Write(kTablePath, EdgeVersion('A'));
  std::atomic<bool> done = false;
  std::thread writer([&] {
    const int fd = open(kTablePath, O_WRONLY | O_CLOEXEC);
    write(fd);
    close(fd);
    done = true;
  });
  Tally tally;
  tally.fine_stamps = FineStamps();
  for (; !done; ++tally.lookups) {
    const std::u32string answer = LookUp(TableWait{});
    const bool busy = answer == kBusyTableMessage;
    tally.messages += busy;
    const bool mixed = !busy && answer != U"字 " + std::u32string(12, answer.back());
    if (mixed && tally.mixed++ == 0) tally.first_mixed = answer;
  }
  writer.join();
  return tally;
}

// Writes `bytes` at `at` in pieces of `piece` bytes.
void WriteAt(int fd, std::string_view bytes, std::size_t at, std::size_t piece) {
  for (std::size_t done = 0; done < bytes.size(); done += piece) {
    pwrite(fd, bytes.data() + done, std::min(piece, bytes.size() - done), at + done);
  }
}

// 600 versions, 4 KiB at a time, in bursts of 100 with rests longer than the quiet time between
// them. Where stamps are fine, a burst that leaves a lookup time for two readings a quiet time
// apart within its limit (bursts take milliseconds on a local disk, even under the sanitizers)
// never gets the message either; where they are coarse, a version saved in the stamp's second is
// busy until the second is over.
TEST(ReliabilityTest, WaitsOutAWriterThatRewritesInPlace) {
  using Clock = std::chrono::steady_clock;
  Clock::duration longest_burst{};
  const Tally tally = LookUpWhileWriting([&longest_burst](int fd) {
    Clock::time_point burst = Clock::now();
    for (int n = 1; n <= 600; ++n) {
      WriteAt(fd, EdgeVersion(static_cast<char>('A' + n % 26)), 0, 4096);
      if (n % 100 != 0) continue;
      longest_burst = std::max(longest_burst, Clock::now() - burst);
      std::this_thread::sleep_for(TableWait{}.quiet * 5 / 2);
      burst = Clock::now();
    }
  });
  EXPECT_EQ(tally.mixed, 0) << "of " << tally.lookups;
  if (tally.fine_stamps && longest_burst < TableWait{}.limit - 2 * TableWait{}.quiet) {
    EXPECT_EQ(tally.messages, 0) << "of " << tally.lookups;
  }
}

// Each version saved in two halves 30 ms apart, the record of 字 across them, or, as editors
// save, cut to nothing and written whole; rests of 0 to 0.25 s between versions. Where stamps are
// coarse, the halves of a version share one stamp (run by scripts/coarse-stamps-check on such
// file systems); where they are fine, a table cut to nothing may show its new size before its new
// times.
TEST(ReliabilityTest, WaitsOutAWriterThatSavesInTwoHalves) {
  const Tally tally = LookUpWhileWriting([](int fd) {
    for (int n = 1; n <= 60; ++n) {
      const std::string bytes = EdgeVersion(static_cast<char>('A' + n % 26));
      const std::size_t half = bytes.size() - 8;
      if (n % 3 == 0) {
        ftruncate(fd, 0);
        WriteAt(fd, bytes, 0, bytes.size());
      } else {
        WriteAt(fd, std::string_view(bytes).substr(0, half), 0, half);
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        WriteAt(fd, std::string_view(bytes).substr(half), half, 8);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(n * 37 % 6 * 50));
    }
  });
  EXPECT_EQ(tally.mixed, 0) << "of " << tally.lookups << ", first "
                            << testing::PrintToString(tally.first_mixed);
  // Where stamps keep whole seconds, a table saved within the last second is always busy.
  if (tally.fine_stamps) {
    EXPECT_LT(tally.messages, tally.lookups);
  }
}

}  // namespace
}  // namespace pavrel
