// How long one lookup takes on tables of realistic and of absurd size, and how much memory the
// reading needs. Run: build/bench/lookup_bench

#include <sys/resource.h>

#include <fstream>
#include <string>

#include "benchmark/benchmark.h"
#include "lookup/cp936.h"
#include "lookup/lookup_command.h"
#include "lookup/test_files.h"

namespace pavrel {
namespace {

class NullWindow : public WindowOperations {
 public:
  explicit NullWindow(std::u32string query) : query_(std::move(query)) {}
  std::u32string GetQueryText() override { return query_; }
  void SetResultText(const std::u32string& text) override { benchmark::DoNotOptimize(text); }
  void FocusQueryBox() override {}
  void SetQuerySelection(int, int) override {}
  void ShowMessage(const std::u32string&) override { std::abort(); }

 private:
  std::u32string query_;
};

// A table like a full Wubi one: each of the 6,763 GB2312 characters with three codes, one line
// each, about 20,000 lines. Returns it with its last line's character.
std::string MakeWubiLikeTable(std::u32string& last) {
  std::string table;
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      const std::string character{static_cast<char>(lead), static_cast<char>(trail)};
      for (const char* codes : {" g", " gh", " ghjk"}) table += character + codes + "\r\n";
      last = DecodeCp936(character);
    }
  }
  return table;
}

void ReportMemory(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_kib"] = static_cast<double>(usage.ru_maxrss);
}

// The query's record is the table's last line, or missing: the whole table is read.
void BM_LookUpInAWubiSizedTable(benchmark::State& state) {
  TempDir dir;
  std::u32string last;
  const std::string table = MakeWubiLikeTable(last);
  dir.Write(kTablePath, table);
  NullWindow window(state.range(0) ? last : U"A");
  for (auto _ : state) RunLookup(window);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(table.size()));
  ReportMemory(state);
}
BENCHMARK(BM_LookUpInAWubiSizedTable)->Arg(1)->Arg(0)->ArgNames({"last_line"});

// The first record matches: the cost of opening and closing the table alone.
void BM_LookUpFirstRecord(benchmark::State& state) {
  TempDir dir;
  std::u32string last;
  dir.Write(kTablePath, MakeWubiLikeTable(last));
  NullWindow window(DecodeCp936("\xB0\xA1"));
  for (auto _ : state) RunLookup(window);
}
BENCHMARK(BM_LookUpFirstRecord);

// 256 MiB without a single delimiter: one pass, and memory bounded by the buffer and one record.
// The file is written in pieces, so that the process's peak memory is the reader's own.
void BM_LookUpInAHugeTableWithoutDelimiters(benchmark::State& state) {
  TempDir dir;
  constexpr int kMiB = 1 << 20;
  {
    std::ofstream table(dir.path() / kTablePath, std::ios::binary);
    const std::string piece(kMiB, 'x');
    for (int i = 0; i < 256; ++i) table << piece;
  }
  NullWindow window(U"y");
  for (auto _ : state) RunLookup(window);
  state.SetBytesProcessed(state.iterations() * int64_t{256} * kMiB);
  ReportMemory(state);
}
BENCHMARK(BM_LookUpInAHugeTableWithoutDelimiters)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace pavrel

BENCHMARK_MAIN();
