// Helpers for tests that work on real files.

#ifndef PAVREL_TESTING_TEST_FILES_H_
#define PAVREL_TESTING_TEST_FILES_H_

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#ifdef _WIN32
#include <io.h>
#endif

namespace pavrel {

// An empty folder under a fresh name, the current directory while it lives.
class TempDir {
 public:
  TempDir() {  // create_directory fails only if the name is taken
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / ("pavrel-test-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::filesystem::current_path(previous_);
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `bytes` to the file `name` in the folder, replacing it.
  void Write(std::string_view name, std::string_view bytes) const {
    std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
      throw std::runtime_error("write failed");
    }
  }

 private:
  std::filesystem::path previous_ = std::filesystem::current_path();
  std::filesystem::path path_;
};

// The number of file descriptors the process has open: on Windows the C runtime's (at most 2048),
// which the table is opened through.
inline int CountOpenDescriptors() {
#ifdef _WIN32
  int open = 0;
  for (int fd = 0; fd < 2048; ++fd) open += _get_osfhandle(fd) != -1;
  return open;
#else
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  // The iterator holds one descriptor of its own while it counts.
  return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - 1;
#endif
}

}  // namespace pavrel

#endif  // PAVREL_TESTING_TEST_FILES_H_
