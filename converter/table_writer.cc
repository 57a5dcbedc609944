#include "converter/table_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "converter/convert_error.h"

namespace pavrel {
namespace {

std::string ErrnoText() { return std::strerror(errno); }

// A new file with a name of its own in `folder`, removed when destroyed unless it was renamed
// into place.
class TempFile {
 public:
  explicit TempFile(const std::filesystem::path& folder)
      : name_((folder / ".pavrel-table-XXXXXX").string()), fd_(mkstemp(name_.data())) {
    if (fd_ < 0) throw FileError(folder, "cannot create a file in this folder: " + ErrnoText());
  }
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!name_.empty()) unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  int fd() const { return fd_; }
  const char* name() const { return name_.c_str(); }

  // Closes the file, reporting what the close reports.
  bool Close() { return close(std::exchange(fd_, -1)) == 0; }
  // Forgets the name once the file has been renamed into place.
  void Release() { name_.clear(); }

 private:
  std::string name_;
  int fd_;
};

// Renames `from` to `to`; without `replace`, fails with EEXIST when `to` exists.
bool RenameInPlace(const char* from, const std::filesystem::path& to, bool replace) {
  if (replace) return std::rename(from, to.c_str()) == 0;
  if (renameat2(AT_FDCWD, from, AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // The file system cannot rename without replacing: check, then rename.
  std::error_code error;
  if (std::filesystem::exists(std::filesystem::symlink_status(to, error))) {
    errno = EEXIST;
    return false;
  }
  return std::rename(from, to.c_str()) == 0;
}

// Writes all of `bytes` to `fd`; reports errors under the name `path`.
void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& path) {
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote = write(fd, bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) throw FileError(path, "cannot write: " + ErrnoText());
    done += static_cast<std::size_t>(wrote);
  }
}

// The file that `path` names: `path` itself, or where its chain of symbolic links leads.
std::filesystem::path FollowLinks(std::filesystem::path path) {
  for (int links = 0; std::filesystem::is_symlink(std::filesystem::symlink_status(path)); ++links) {
    if (links == 40) throw FileError(path, "too many levels of symbolic links");
    path = path.parent_path() / std::filesystem::read_symlink(path);
  }
  return path;
}

// Whether `path` is a device, a pipe or a socket, which are written into instead of replaced.
bool IsStream(const std::filesystem::path& path) {
  struct stat info;
  return path == "-" ||
         (stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode));
}

void WriteStream(const std::filesystem::path& path, std::string_view bytes) {
  if (path == "-") return WriteAll(STDOUT_FILENO, bytes, "standard output");
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw FileError(path, "cannot open: " + ErrnoText());
  try {
    WriteAll(fd, bytes, path);
  } catch (...) {
    close(fd);
    throw;
  }
  if (close(fd) != 0) throw FileError(path, "cannot write: " + ErrnoText());
}

void WriteFileAtomically(const std::filesystem::path& name, std::string_view bytes, bool replace) {
  const std::filesystem::path path = replace ? FollowLinks(name) : name;
  TempFile temp(path.has_parent_path() ? path.parent_path() : ".");
  WriteAll(temp.fd(), bytes, path);
  // mkstemp makes the file private; the table gets the permissions of the file it replaces, or
  // the usual ones.
  const mode_t mask = umask(0);
  umask(mask);
  struct stat replaced;
  const mode_t mode =
      replace && stat(path.c_str(), &replaced) == 0 ? replaced.st_mode & 07777 : 0666 & ~mask;
  if (fchmod(temp.fd(), mode) != 0 || fsync(temp.fd()) != 0 || !temp.Close()) {
    throw FileError(path, "cannot write: " + ErrnoText());
  }
  if (!RenameInPlace(temp.name(), path, replace)) {
    throw FileError(path, errno == EEXIST ? kOutputExists : "cannot write: " + ErrnoText());
  }
  temp.Release();
}

}  // namespace

bool IsReplaced(const std::filesystem::path& path) {
  std::error_code error;
  return !IsStream(path) && std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

void WriteTable(const std::filesystem::path& path, std::string_view bytes, bool replace) {
  if (IsStream(path)) return WriteStream(path, bytes);
  WriteFileAtomically(path, bytes, replace);
}

}  // namespace pavrel
