#include "converter/progress.h"

namespace pavrel {

Progress::Progress(std::ostream& out, bool shown, Clock clock)
    : out_(out), shown_(shown), clock_(std::move(clock)), start_(shown_ ? clock_() : 0) {}

void Progress::Update(std::string_view work, std::uint64_t done, std::uint64_t total) {
  if (!shown_) return;
  const double now = clock_();
  if (now - start_ < 1 || (drawn_ >= 0 && now - drawn_ < 0.1)) return;
  drawn_ = now;
  out_ << "\rpavrel-table: " << work << ": ";
  if (total > 0) {
    out_ << done * 100 / total << " %";
  } else {
    out_ << done / 1000000 << " MB";
  }
  out_ << "\x1b[K" << std::flush;  // erases what a longer line left
}

void Progress::Finish() {
  if (drawn_ >= 0) out_ << "\r\x1b[K" << std::flush;
  drawn_ = -1;
}

}  // namespace pavrel
