#include <iterator>

#include "lookup/test_files.h"

namespace pavrel {

int CountOpenDescriptors() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  // The iterator holds one descriptor of its own while it counts.
  return static_cast<int>(std::distance(fds, std::filesystem::directory_iterator())) - 1;
}

}  // namespace pavrel
