#include <io.h>

#include <stdexcept>

#include "lookup/test_files.h"

namespace pavrel {

void TempDir::MakeFifo(std::string_view) const {
  throw std::logic_error("Windows has no named pipes in its file system");
}

// The C runtime's descriptors, which is what the table is opened through.
int CountOpenDescriptors() {
  constexpr int kMostDescriptors = 2048;  // the runtime's limit
  int open = 0;
  for (int fd = 0; fd < kMostDescriptors; ++fd) {
    if (_get_osfhandle(fd) != -1) ++open;
  }
  return open;
}

}  // namespace pavrel
