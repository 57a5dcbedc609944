// Start-up of Pavrel beside the minimal Qt 6 window, started alternately in the same run: the time
// from starting the program to its window being mapped on the X server, and the program's
// resident memory half a second later, once the window is painted. Needs an X display with a window
// manager (scripts/with-display).
//
// Run: build/bench/startup_bench [Google Benchmark flags]

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/tables.h"
#include "benchmark/benchmark.h"

extern char** environ;

namespace pavrel {
namespace {

struct Launch {
  double seconds;
  double rss_mib;
};

// The X connection, told of every window mapped at the top level.
class MapWatcher {
 public:
  MapWatcher() : connection_(xcb_connect(nullptr, nullptr)) {
    if (xcb_connection_has_error(connection_)) {
      std::fprintf(stderr, "startup_bench needs an X display\n");
      std::exit(1);
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection_, root, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection_);
  }
  ~MapWatcher() { xcb_disconnect(connection_); }

  void Forget() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) std::free(event);
  }

  // Waits for the next top-level window to be mapped; false after 20 s without one.
  bool WaitForMap() {
    for (;;) {
      while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
        const bool mapped = (event->response_type & 0x7F) == XCB_MAP_NOTIFY;
        std::free(event);
        if (mapped) return true;
      }
      pollfd fd{xcb_get_file_descriptor(connection_), POLLIN, 0};
      if (poll(&fd, 1, 20'000) <= 0) return false;
    }
  }

 private:
  xcb_connection_t* connection_;
};

double ResidentMiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024;
  }
  return 0;
}

// Starts `program`, waits for its window, measures, and stops it.
Launch Start(MapWatcher& watcher, const char* program) {
  watcher.Forget();
  char* argv[] = {const_cast<char*>(program), nullptr};
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) std::abort();
  if (!watcher.WaitForMap()) {
    std::fprintf(stderr, "%s showed no window\n", program);
    std::exit(1);
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Memory once the window is painted and its fonts are loaded.
  usleep(500'000);
  const Launch launch{seconds, ResidentMiB(pid)};
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  return launch;
}

void BM_StartUpBesideMinimalQtWindow(benchmark::State& state) {
  const TempDir folder;  // Pavrel's current directory; it reads no table before a lookup
  MapWatcher watcher;
  // Once each first, so that both start from a warm disk cache.
  Start(watcher, PAVREL_PROGRAM);
  Start(watcher, MINIMAL_WINDOW_PROGRAM);
  std::vector<double> times, minimal_times, rss, minimal_rss;
  for (auto _ : state) {
    const Launch minimal = Start(watcher, MINIMAL_WINDOW_PROGRAM);
    const Launch pavrel = Start(watcher, PAVREL_PROGRAM);
    times.push_back(pavrel.seconds * 1000);
    minimal_times.push_back(minimal.seconds * 1000);
    rss.push_back(pavrel.rss_mib);
    minimal_rss.push_back(minimal.rss_mib);
    state.SetIterationTime(pavrel.seconds);
  }
  // Medians, which a busy machine disturbs less than means.
  const auto median = [](std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  state.counters["ms"] = median(times);
  state.counters["minimal_ms"] = median(minimal_times);
  state.counters["time_ratio"] = median(times) / median(minimal_times);
  state.counters["rss_MiB"] = median(rss);
  state.counters["minimal_rss_MiB"] = median(minimal_rss);
  state.counters["rss_ratio"] = median(rss) / median(minimal_rss);
  std::filesystem::current_path(folder.path().parent_path());
}
BENCHMARK(BM_StartUpBesideMinimalQtWindow)
    ->UseManualTime()
    ->Iterations(21)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace pavrel

BENCHMARK_MAIN();
