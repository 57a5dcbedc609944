#include "lookup/test_files.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pavrel {

TempDir::TempDir() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "pavrel-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  std::filesystem::current_path(path_);
}

TempDir::~TempDir() {
  std::filesystem::current_path(previous_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDir::Write(std::string_view name, std::string_view bytes) const {
  std::ofstream out(path_ / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("write failed");
}

void TempDir::MakeFifo(std::string_view name) const {
  if (mkfifo((path_ / name).c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
}

int CountOpenDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  // The iterator holds one descriptor of its own while it counts.
  return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - 1;
}

}  // namespace pavrel
