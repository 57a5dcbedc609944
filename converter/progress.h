// The progress line that pavrel-table shows on a terminal while it reads a large input.
//
// Nothing is shown until the work has taken a second, so small inputs stay quiet, and nothing
// at all when the output is not a terminal, so scripts and logs get only the summary. The line
// is redrawn in place at most ten times a second and erased by Finish.

#ifndef PAVREL_CONVERTER_PROGRESS_H_
#define PAVREL_CONVERTER_PROGRESS_H_

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>

namespace pavrel {

class Progress {
 public:
  // Seconds since some fixed moment.
  using Clock = std::function<double()>;

  // Writes to `out` when `shown` (out is a terminal); `clock` tells the time.
  Progress(std::ostream& out, bool shown, Clock clock);

  // `done` of `total` bytes (or rows) are through `work` ("reading FILE"); a `total` of 0 is
  // unknown.
  void Update(std::string_view work, std::uint64_t done, std::uint64_t total);

  // Erases the line, if one is shown.
  void Finish();

 private:
  std::ostream& out_;
  bool shown_;
  Clock clock_;
  double start_;
  double drawn_ = -1;  // when the line was last drawn; negative before the first time
};

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_PROGRESS_H_
