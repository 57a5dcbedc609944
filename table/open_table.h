// Opening of the lookup table, and telling one version of it from the next: the things about
// reading it that differ per platform. Each platform implements these functions in its own file
// (open_table-posix.cc, open_table-win32.cc); the build picks one.

#ifndef PAVREL_TABLE_OPEN_TABLE_H_
#define PAVREL_TABLE_OPEN_TABLE_H_

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace pavrel {

// Why a table cannot be used.
enum class TableFailure {
  kMissing,         // there is no file of that name
  kNotRegularFile,  // there is a folder, a pipe, a device or the like
  kUnreadable,      // it may not be read, or reading it failed
  kBusy,            // it changed while each reading was made
};

// A file time, on the system clock's scale (std::chrono::system_clock::now()), in nanoseconds.
using FileTime = std::chrono::sys_time<std::chrono::nanoseconds>;

// What tells one version of an open file from the next: which file it is (its device and inode,
// or its volume and file index), its size, and its modification and change times. A write to the
// file sets the times, but only to the file system's clock, which may move once per timer tick,
// and on Windows perhaps only once the writer closes its handle.
struct FileStamp {
  std::uint64_t volume = 0, index = 0;
  std::uintmax_t size = 0;
  FileTime modified{}, changed{};

  bool operator==(const FileStamp&) const = default;
};

// Where a file's stamps come from, and how coarse they are.
struct StampClock {
  // How much later than its stamp a write may have been made: the file system's granularity,
  // where its type tells it (two seconds on FAT, ten milliseconds on exFAT).
  std::chrono::nanoseconds granularity{};
  // Whether this machine's clock sets the stamps: not on a network share, whose server does, nor
  // on a FUSE mount, whose program does, each with a clock and rules of its own.
  bool ours = true;
};

// Opens `path` for binary reading if it is a regular file, stores its stamp in `stamp` and
// returns the stream. Returns nullptr, with the reason in `failure`, for a missing or unreadable
// file and for anything that is not a regular file (a folder, a pipe, a device), without ever
// blocking. The type is checked on what was opened, so nothing swapped into the path's place can
// slip past the check.
std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp,
                           TableFailure& failure);

// Tells where the stamps of the file open as `stream` come from, as the file system it is on says.
StampClock StampClockOf(std::FILE* stream);

// Updates `stamp`, the stamp of the file open as `stream` when it was opened, to the file's
// present size and times (which file it is cannot change while it is open); false if they cannot
// be read.
bool StampOpenFile(std::FILE* stream, FileStamp& stamp);

// Tells whether another program holds the file open as `stream` open for writing, where a write
// through such a handle may not show in the file's times until it is closed (Windows). Always
// false where every write sets the times as it is made (POSIX).
bool HeldOpenForWriting(std::FILE* stream);

}  // namespace pavrel

#endif  // PAVREL_TABLE_OPEN_TABLE_H_
