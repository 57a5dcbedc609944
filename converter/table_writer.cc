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

}  // namespace

void WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, bool replace) {
  TempFile temp(path.has_parent_path() ? path.parent_path() : ".");
  for (std::size_t done = 0; done < bytes.size();) {
    const ssize_t wrote = write(temp.fd(), bytes.data() + done, bytes.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0) throw FileError(path, "cannot write: " + ErrnoText());
    done += static_cast<std::size_t>(wrote);
  }
  // mkstemp makes the file private; the table gets the usual permissions instead.
  const mode_t mask = umask(0);
  umask(mask);
  if (fchmod(temp.fd(), 0666 & ~mask) != 0 || fsync(temp.fd()) != 0 || !temp.Close()) {
    throw FileError(path, "cannot write: " + ErrnoText());
  }
  if (!RenameInPlace(temp.name(), path, replace)) {
    throw FileError(path, errno == EEXIST ? kOutputExists : "cannot write: " + ErrnoText());
  }
  temp.Release();
}

}  // namespace pavrel
