#include <sys/stat.h>

#include <iterator>
#include <stdexcept>

#include "lookup/test_files.h"

namespace pavrel {

void TempDir::MakeFifo(std::string_view name) const {
  if (mkfifo((path_ / name).c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed");
}

int CountOpenDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  // The iterator holds one descriptor of its own while it counts.
  return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - 1;
}

}  // namespace pavrel
