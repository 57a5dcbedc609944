#include <io.h>

#include "lookup/test_files.h"

namespace pavrel {

// The C runtime's descriptors (at most 2048), which the table is opened through.
int CountOpenDescriptors() {
  int open = 0;
  for (int fd = 0; fd < 2048; ++fd) open += _get_osfhandle(fd) != -1;
  return open;
}

}  // namespace pavrel
