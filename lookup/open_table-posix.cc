#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "lookup/open_table.h"

namespace pavrel {

namespace {

FileStamp StampOf(const struct stat& info) {
  return {static_cast<std::uintmax_t>(info.st_size), info.st_mtim.tv_sec, info.st_mtim.tv_nsec,
          info.st_ctim.tv_sec, info.st_ctim.tv_nsec};
}

}  // namespace

std::FILE* OpenRegularFile(const std::filesystem::path& path, FileStamp& stamp) {
  // Non-blocking, so that a FIFO without a writer cannot hold up the open; the flag does not
  // change how a regular file reads. Close-on-exec, so that no child inherits the table.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return nullptr;
  struct stat info {};
  std::FILE* stream = nullptr;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) stream = fdopen(fd, "rb");
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

}  // namespace pavrel
