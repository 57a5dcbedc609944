#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include "table/open_table.h"

namespace pavrel {

namespace {

FileTime TimeOf(const timespec& time) {
  return FileTime(std::chrono::seconds(time.tv_sec) + std::chrono::nanoseconds(time.tv_nsec));
}

FileStamp StampOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
          static_cast<std::uintmax_t>(info.st_size), TimeOf(info.st_mtim), TimeOf(info.st_ctim)};
}

}  // namespace

std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp,
                           TableFailure& failure) {
  // Non-blocking, so that a FIFO without a writer cannot hold up the open; the flag does not
  // change how a regular file reads. Close-on-exec, so that no child inherits the table.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    // A link to nothing is missing too. Whatever kept it from opening, a FIFO or a socket is no
    // regular file first.
    struct stat info {};
    failure = errno == ENOENT || errno == ENOTDIR ? TableFailure::kMissing
              : stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)
                  ? TableFailure::kNotRegularFile
                  : TableFailure::kUnreadable;
    return nullptr;
  }
  struct stat info {};
  std::FILE* stream = nullptr;
  failure = TableFailure::kUnreadable;
  if (fstat(fd, &info) == 0) {
    if (S_ISREG(info.st_mode))
      stream = fdopen(fd, "rb");
    else
      failure = TableFailure::kNotRegularFile;
  }
  if (stream == nullptr) {
    close(fd);
    return nullptr;
  }
  stamp = StampOf(info);
  return stream;
}

bool StampOpenFile(std::FILE* stream, FileStamp& stamp) {
  struct stat info {};
  if (fstat(fileno(stream), &info) != 0) return false;
  stamp = StampOf(info);
  return true;
}

StampClock StampClockOf(std::FILE* stream) {
  struct statfs info {};
  if (fstatfs(fileno(stream), &info) != 0) return {std::chrono::seconds(2), false};
  switch (static_cast<unsigned long>(info.f_type)) {
    case 0x4d44:  // FAT
      return {std::chrono::seconds(2), true};
    case 0x2011BAB0:  // exFAT
      return {std::chrono::milliseconds(10), true};
    case 0x65735546:  // FUSE (fusefat, exfat-fuse, sshfs, …)
    case 0x6969:      // NFS
    case 0x517B:      // SMB
    case 0xFF534D42:  // CIFS
    case 0xFE534D42:  // SMB2
    case 0x01021997:  // 9P
    case 0x00C36400:  // Ceph
    case 0x6B414653:  // AFS
    case 0x73757245:  // Coda
    case 0x6a656a63:  // virtiofs
    case 0x786f4256:  // vboxsf
    case 0x0BD00BD0:  // Lustre
    case 0x47504653:  // GPFS
    case 0x7461636f:  // OCFS2
    case 0x01161970:  // GFS2
      return {{}, false};
    default:
      return {};
  }
}

// A write sets the file's times as it is made, through whatever descriptor it goes (to the time
// they already hold when it lands in the clock tick of the last change).
bool HeldOpenForWriting(std::FILE*) { return false; }

}  // namespace pavrel
