// Enter to result painted: in the real window, the time from the Enter key event in the query box
// to the end of the result label's repaint, on the default table.
// Needs an X display (scripts/with-display).
//
// Run: build/bench/paint_bench [Google Benchmark flags]

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <optional>

#include "benchmark/benchmark.h"
#include "table/record_file.h"
#include "window/form1.h"

namespace pavrel {
namespace {

using Clock = std::chrono::steady_clock;

// Lets the label paint itself, then notes when that ended.
class PaintEndRecorder : public QObject {
 public:
  std::optional<Clock::time_point> painted_at;

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    watched->event(event);
    painted_at = Clock::now();
    return true;
  }
};

void WaitForPaint(PaintEndRecorder& recorder) {
  while (!recorder.painted_at) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The key of the table's last character record, the one found last: the phrases after it are
// never the first record of their key.
std::u32string LastKey(const std::filesystem::path& table) {
  RecordFile file = OpenRecordFile(table);
  std::u32string key;
  while (!AtEnd(file)) {
    const std::u32string record = ReadRecord(file);
    if (record.find(U' ') == 1) key = record.substr(0, 1);
  }
  return key;
}

void BM_EnterToResultPainted(benchmark::State& state, const std::filesystem::path& table,
                             const std::u32string& query) {
  std::filesystem::current_path(table.parent_path());
  Form1 form;
  form.show();
  if (!QTest::qWaitForWindowActive(&form)) std::abort();
  auto* text1 = form.findChild<QLineEdit*>("Text1");
  auto* label3 = form.findChild<QLabel*>("Label3");
  PaintEndRecorder recorder;
  label3->installEventFilter(&recorder);
  for (auto _ : state) {
    // A cleared label, so that the result changes it and it repaints.
    recorder.painted_at.reset();
    label3->clear();
    WaitForPaint(recorder);
    text1->setText(QString::fromStdU32String(query));
    text1->setFocus();
    recorder.painted_at.reset();
    const Clock::time_point start = Clock::now();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    WaitForPaint(recorder);
    state.SetIterationTime(std::chrono::duration<double>(*recorder.painted_at - start).count());
  }
}

}  // namespace
}  // namespace pavrel

int main(int argc, char** argv) {
  using namespace pavrel;
  QApplication app(argc, argv);
  const std::filesystem::path table = PAVREL_DEFAULT_TABLE;
  for (const auto& [name, query] : {std::pair{"last_record", LastKey(table)},
                                    {"nothing_found", std::u32string(U"\U00020000")}}) {
    benchmark::RegisterBenchmark((std::string("EnterToResultPainted/") + name).c_str(),
                                 BM_EnterToResultPainted, table, query)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
