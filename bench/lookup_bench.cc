// How long one lookup takes, beside the one-pass baseline (the same file read through with the
// same buffer size, its line ends counted with memchr), on generated Wubi-like tables of 21
// thousand, 1 million and 10 million records, the first and last also with every record quoted,
// the last also in UTF-8 and in GB18030 with four-byte keys, and on a 1 GiB table of one field. The
// ratio of a lookup that finds nothing to its baseline is the counter vs_baseline. On the default
// table, with its phrases, copies as the window follows them: a common character, a phrase and a
// word whose code the rule makes, each beside the baseline.
//
// Run: build/bench/lookup_bench [--table=PATH] [--query=字] [Google Benchmark flags]
// With --table, only that table is measured, for the query given (default: 𠀀, which no table in
// code page 936 alone holds).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "bench/tables.h"
#include "benchmark/benchmark.h"
#include "encoding/utf8.h"
#include "lookup/lookup_command.h"
#include "lookup/word_lookup.h"

namespace pavrel {
namespace {

using Clock = std::chrono::steady_clock;

// The window of a lookup that nobody sees. A message means the table could not be read.
class NullWindow : public WindowOperations {
 public:
  explicit NullWindow(std::u32string query) : query_(std::move(query)) {}
  std::u32string GetQueryText() override { return query_; }
  void SetResultText(const std::u32string& text) override { benchmark::DoNotOptimize(text.data()); }
  void FocusQueryBox() override {}
  void SetQuerySelection(int, int) override {}
  void ShowMessage(const std::u32string&) override { std::abort(); }

 private:
  std::u32string query_;
};

// Runs one lookup of `query` in the folder of `table`, the lookup's current directory.
void LookUp(const std::filesystem::path& table, const std::u32string& query) {
  std::filesystem::current_path(table.parent_path());
  NullWindow window(query);
  RunLookup(window);
}

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Times lookups of `query`; with `against_baseline`, also times the baseline between them and
// reports the ratio of the two totals.
void BM_Lookup(benchmark::State& state, const std::filesystem::path& table,
               const std::u32string& query, bool against_baseline) {
  double lookup_total = 0, baseline_total = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    LookUp(table, query);
    const Clock::time_point middle = Clock::now();
    if (against_baseline) benchmark::DoNotOptimize(CountLineEnds(table));
    lookup_total += Seconds(middle - start);
    baseline_total += Seconds(Clock::now() - middle);
    state.SetIterationTime(Seconds(middle - start));
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(table)));
  if (against_baseline) state.counters["vs_baseline"] = lookup_total / baseline_total;
}

// Times the reading of a copy's lookup as the window follows it, beside the baseline: the table
// is read without the lookup's second look at its stamp, 2 ms after it was opened, which every
// lookup adds (trusted_reading.h).
void BM_CopyLookup(benchmark::State& state, const std::filesystem::path& table, const char* text) {
  const CopiedText copy = ReadCopiedText(std::string_view(text)).value();
  double lookup_total = 0, baseline_total = 0;
  for (auto _ : state) {
    const Clock::time_point start = Clock::now();
    TableFile file(table, std::chrono::milliseconds(0));
    benchmark::DoNotOptimize(LookUpCopy(copy, file));
    const Clock::time_point middle = Clock::now();
    benchmark::DoNotOptimize(CountLineEnds(table));
    lookup_total += Seconds(middle - start);
    baseline_total += Seconds(Clock::now() - middle);
    state.SetIterationTime(Seconds(middle - start));
  }
  state.counters["vs_baseline"] = lookup_total / baseline_total;
}

void BM_Baseline(benchmark::State& state, const std::filesystem::path& table) {
  for (auto _ : state) benchmark::DoNotOptimize(CountLineEnds(table));
  state.SetBytesProcessed(state.iterations() *
                          static_cast<std::int64_t>(std::filesystem::file_size(table)));
}

// Runs one lookup in a fresh process (this program, started again with --peak-memory-of) and
// reports that process's peak resident memory: the reader's own, without the benchmark's tables.
void BM_PeakMemoryOfOneLookup(benchmark::State& state, const std::filesystem::path& table) {
  long peak_kib = 0;
  for (auto _ : state) {
    const std::string table_argument = "--peak-memory-of=" + table.string();
    const pid_t child = fork();
    if (child == 0) {
      execl("/proc/self/exe", "lookup_bench", table_argument.c_str(), nullptr);
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || status != 0) std::abort();
    peak_kib = usage.ru_maxrss;
  }
  state.counters["peak_rss_MiB"] = peak_kib / 1024.0;
}

// Registers the three cases of a table and its baseline under `name`.
void RegisterTable(const std::string& name, const BenchTable& table) {
  const auto unit = benchmark::kMillisecond;
  benchmark::RegisterBenchmark(("Baseline/" + name).c_str(), BM_Baseline, table.path)->Unit(unit);
  benchmark::RegisterBenchmark(("Lookup/" + name + "/first_matches").c_str(), BM_Lookup, table.path,
                               table.first_key, false)
      ->UseManualTime()
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(("Lookup/" + name + "/last_matches").c_str(), BM_Lookup, table.path,
                               table.last_key, false)
      ->UseManualTime()
      ->Unit(unit);
  benchmark::RegisterBenchmark(("Lookup/" + name + "/none_matches").c_str(), BM_Lookup, table.path,
                               table.missing_key, true)
      ->UseManualTime()
      ->Unit(unit);
}

// Takes the value of `--name=` out of the arguments, if given.
bool TakeOption(int& argc, char** argv, const char* name, std::string& value) {
  const std::string prefix = std::string("--") + name + "=";
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
      value = argv[i] + prefix.size();
      std::memmove(argv + i, argv + i + 1, (argc - i) * sizeof(char*));
      --argc;
      return true;
    }
  }
  return false;
}

}  // namespace
}  // namespace pavrel

int main(int argc, char** argv) {
  using namespace pavrel;
  std::string table_path, query_text, peak_memory_table;
  const bool has_query = TakeOption(argc, argv, "query", query_text);
  // A query no table in code page 936 alone can hold: 𠀀 lies outside the code page (the default
  // table, in UTF-8, holds it).
  const std::optional<std::u32string> query =
      has_query ? DecodeUtf8(query_text) : std::u32string(U"\U00020000");
  if (!query) {
    std::fprintf(stderr, "the query is not UTF-8\n");
    return 1;
  }
  if (TakeOption(argc, argv, "peak-memory-of", peak_memory_table)) {
    LookUp(peak_memory_table, *query);
    return 0;
  }

  const bool given = TakeOption(argc, argv, "table", table_path);
  if (given && !std::filesystem::is_regular_file(table_path)) {
    std::fprintf(stderr, "no table at %s\n", table_path.c_str());
    return 1;
  }
  // Made absolute here: the scratch folder becomes the current directory.
  const std::filesystem::path given_table = given ? std::filesystem::absolute(table_path) : "";
  const TempDir scratch;
  if (given) {
    // The lookup reads data.txt in its current directory: a link there stands for the table.
    const std::filesystem::path link = scratch.path() / "given" / "data.txt";
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(given_table, link);
    benchmark::RegisterBenchmark("Baseline/given", BM_Baseline, link)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Lookup/given", BM_Lookup, link, *query, true)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  } else {
    for (const auto& [name, records] :
         {std::pair{"wubi_21k", 21'000}, {"wubi_1m", 1'000'000}, {"wubi_10m", 10'000'000}}) {
      RegisterTable(name, WriteWubiLikeTable(scratch.path() / name, records));
      if (records == 1'000'000) continue;
      const std::string quoted = name + std::string("_quoted");
      RegisterTable(quoted, WriteWubiLikeTable(scratch.path() / quoted, records, true));
    }
    for (const auto& [name, encoding] : {std::pair{"wubi_10m_utf8", BenchEncoding::kUtf8},
                                         {"wubi_10m_utf16", BenchEncoding::kUtf16},
                                         {"wubi_10m_gb18030", BenchEncoding::kGb18030}}) {
      RegisterTable(name, WriteWubiLikeTable(scratch.path() / name, 10'000'000, false, encoding));
    }
    // The default table, copied so that its folder holds nothing else.
    const std::filesystem::path default_table = scratch.path() / "default" / "data.txt";
    std::filesystem::create_directories(default_table.parent_path());
    std::filesystem::copy_file(PAVREL_DEFAULT_TABLE, default_table);
    benchmark::RegisterBenchmark("Baseline/default_table", BM_Baseline, default_table)
        ->Unit(benchmark::kMicrosecond);
    for (const auto& [name, text] : {std::pair{"common_character", "的"},
                                     {"phrase", "《中华人民共和国》很大"},
                                     {"word_by_rule", "很好的"}}) {
      benchmark::RegisterBenchmark(("Copy/default_table/" + std::string(name)).c_str(),
                                   BM_CopyLookup, default_table, text)
          ->UseManualTime()
          ->Unit(benchmark::kMicrosecond);
    }
    const BenchTable single = WriteSingleFieldTable(scratch.path() / "single_field_1g", 1 << 30);
    CountLineEnds(single.path);  // the first read of a sparse file fills the page cache slowly
    benchmark::RegisterBenchmark("Baseline/single_field_1g", BM_Baseline, single.path)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Lookup/single_field_1g/none_matches", BM_Lookup, single.path,
                                 single.missing_key, true)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("PeakMemory/single_field_1g", BM_PeakMemoryOfOneLookup,
                                 single.path)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
