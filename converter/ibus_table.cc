#include <sqlite3.h>

#include <cstdint>
#include <memory>
#include <string>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

// A text column of the current row as UTF-8 bytes; NULL reads as empty.
std::string_view Column(sqlite3_stmt* row, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(row, column));
  return text ? std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(row, column)))
              : std::string_view();
}

// The work SQLite may do for a database of `bytes`, in calls of the progress handler, each after
// kStepsPerCall steps of its virtual machine. Reading a real table takes a tenth of a step for
// each byte of its file, half a step when its ids need sorting; twenty for every byte, and ten
// million more, leave room for any table, and stop a view that never ends (a recursive one)
// after work in proportion to the file (a fraction of a second for a small one).
constexpr int kStepsPerCall = 10000;
std::uint64_t WorkBudget(std::uint64_t bytes) { return (20 * bytes + 10'000'000) / kStepsPerCall; }

// The memory SQLite may take, for its cache and for sorting, temporary tables included.
constexpr sqlite3_int64 kMemoryBudget = 256 << 20;

// SQLite's progress handler: interrupts the statement once the budget is spent.
int SpendWork(void* budget) {
  std::uint64_t& left = *static_cast<std::uint64_t*>(budget);
  return left == 0 ? 1 : (--left, 0);
}

// Why reading `db` failed: SQLite's message, or the budget that was exceeded.
std::string ReadFailure(sqlite3* db, std::uint64_t budget) {
  switch (sqlite3_errcode(db)) {
    case SQLITE_INTERRUPT:
      return "reading its phrases takes more than " + std::to_string(budget * kStepsPerCall) +
             " SQLite steps, more than any table of its size needs (is phrases a view that "
             "never ends?)";
    case SQLITE_NOMEM:
      return "reading its phrases needs more than " + std::to_string(kMemoryBudget >> 20) +
             " MiB of memory";
    default:
      return std::string("cannot read the database: ") + sqlite3_errmsg(db);
  }
}

}  // namespace

void ReadIbusTable(const std::filesystem::path& path, const EntrySink& sink, Progress* progress) {
  sqlite3* db = nullptr;
  const int opened = sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  const std::unique_ptr<sqlite3, int (*)(sqlite3*)> close_db(db, sqlite3_close);
  if (opened != SQLITE_OK) {
    throw FileError(path, std::string("cannot open the database: ") + sqlite3_errmsg(db));
  }
  sqlite3_hard_heap_limit64(kMemoryBudget);
  sqlite3_exec(db, "PRAGMA temp_store = MEMORY", nullptr, nullptr, nullptr);  // within the limit
  std::error_code no_size;
  const std::uintmax_t bytes = std::filesystem::file_size(path, no_size);
  const std::uint64_t budget = WorkBudget(no_size ? 0 : bytes);
  std::uint64_t work_left = budget;
  sqlite3_progress_handler(db, kStepsPerCall, SpendWork, &work_left);
  sqlite3_stmt* row = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT id, phrase, tabkeys FROM phrases ORDER BY id", -1, &row,
                         nullptr) != SQLITE_OK) {
    throw FileError(path, std::string("not an ibus-table database (no table phrases with the "
                                      "columns id, tabkeys and phrase): ") +
                              sqlite3_errmsg(db));
  }
  const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> finalize_row(row, sqlite3_finalize);
  sqlite3_int64 rows = 0;  // for the progress line, within the same budget
  sqlite3_stmt* count = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT count(*) FROM phrases", -1, &count, nullptr) == SQLITE_OK &&
      sqlite3_step(count) == SQLITE_ROW) {
    rows = sqlite3_column_int64(count, 0);
  }
  sqlite3_finalize(count);
  int stepped;
  for (std::uint64_t done = 1; (stepped = sqlite3_step(row)) == SQLITE_ROW; ++done) {
    if (progress && done % 4096 == 0) progress->Update("reading " + path.string(), done, rows);
    const auto text = DecodeUtf8(Column(row, 1));
    const auto code = DecodeUtf8(Column(row, 2));
    if (!text || !code) {
      throw FileError(
          path, "row with id " + std::to_string(sqlite3_column_int64(row, 0)) + ": invalid UTF-8");
    }
    sink(
        {*text, *code, false, &path, static_cast<std::size_t>(sqlite3_column_int64(row, 0)), true});
  }
  if (stepped != SQLITE_DONE) throw FileError(path, ReadFailure(db, budget));
}

}  // namespace pavrel
