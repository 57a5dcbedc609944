#include <sqlite3.h>

#include <cstdint>
#include <ctime>
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
// million more, leave room for any table.
constexpr int kStepsPerCall = 100;
std::uint64_t WorkBudget(std::uint64_t bytes) { return (20 * bytes + 10'000'000) / kStepsPerCall; }

// The processor time SQLite may take, in seconds: two, and one for every 2 MiB, where Haifeng 86's
// 7 MiB take 0.07 s. Steps alone do not bound it, as a computed column of `phrases` may call a
// function as costly as the limits below allow on every row; processor time, unlike the wall
// clock, is not spent by other programs.
std::uint64_t TimeBudget(std::uint64_t bytes) { return 2 + (bytes >> 21); }

// The memory SQLite may take, for its cache and for sorting, temporary tables included.
constexpr sqlite3_int64 kMemoryBudget = 256 << 20;

// Limits on what one step of SQLite's virtual machine may work on, so that the progress handler,
// called between steps, comes often: one LIKE of a megabyte with a long pattern, or a trim() of
// one long text by another, takes minutes in a single step. Within them the costliest steps we
// know of, such as LIKE, GLOB, instr() and trim() at their worst, take a fraction of a
// millisecond. No dictionary's phrase or code comes near 4 KiB.
constexpr int kLongestValue = 4096;      // of a text or a blob
constexpr int kLongestLikePattern = 64;  // and GLOB pattern

// What the progress handler has left to spend.
struct Budget {
  std::uint64_t calls;  // of the progress handler
  std::clock_t end;     // of processor time
  bool timed_out = false;
};

// SQLite's progress handler: interrupts the statement once the budget is spent.
int SpendWork(void* budget_pointer) {
  Budget& budget = *static_cast<Budget*>(budget_pointer);
  budget.timed_out = std::clock() > budget.end;
  return budget.calls == 0 || budget.timed_out ? 1 : (--budget.calls, 0);
}

// Why reading `db` failed: SQLite's message, or the budget that was exceeded.
std::string ReadFailure(sqlite3* db, const Budget& budget, std::uint64_t bytes) {
  switch (sqlite3_errcode(db)) {
    case SQLITE_INTERRUPT:
      return "reading its phrases takes more than " +
             (budget.timed_out
                  ? std::to_string(TimeBudget(bytes)) + " s of processor time"
                  : std::to_string(WorkBudget(bytes) * kStepsPerCall) + " SQLite steps") +
             ", far more than any table of its size needs";
    case SQLITE_NOMEM:
      return "reading its phrases needs more than " + std::to_string(kMemoryBudget >> 20) +
             " MiB of memory";
    case SQLITE_TOOBIG:
      return "reading its phrases makes a value longer than " + std::to_string(kLongestValue) +
             " bytes, which no phrase or code is";
    default:
      return std::string("cannot read the database: ") + sqlite3_errmsg(db);
  }
}

// The kind of the schema object `phrases` as SQLite made it from the schema: "table" for a real
// table, else "view", "virtual" or "shadow"; empty when there is none. Asked of SQLite rather
// than read from sqlite_master, whose type and text a crafted file may set at will.
std::string KindOfPhrases(sqlite3* db, const std::filesystem::path& path) {
  sqlite3_stmt* kind = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT type FROM pragma_table_list "
                         "WHERE schema = 'main' AND name = 'phrases' COLLATE NOCASE",
                         -1, &kind, nullptr) != SQLITE_OK) {
    throw FileError(path, std::string("cannot read the database: ") + sqlite3_errmsg(db));
  }
  const std::string found(sqlite3_step(kind) == SQLITE_ROW ? Column(kind, 0) : "");
  sqlite3_finalize(kind);
  return found;
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
  sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kLongestValue);
  sqlite3_limit(db, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, kLongestLikePattern);
  // No function that SQLite does not call harmless in the file's schema; temporary tables in
  // memory, within its limit.
  if (sqlite3_exec(db, "PRAGMA trusted_schema = OFF; PRAGMA temp_store = MEMORY", nullptr, nullptr,
                   nullptr) != SQLITE_OK) {
    throw FileError(path, std::string("cannot read the database: ") + sqlite3_errmsg(db));
  }
  std::error_code no_size;
  const std::uintmax_t size = std::filesystem::file_size(path, no_size);
  const std::uint64_t bytes = no_size ? 0 : size;
  Budget budget{WorkBudget(bytes),
                std::clock() + static_cast<std::clock_t>(TimeBudget(bytes) * CLOCKS_PER_SEC)};
  sqlite3_progress_handler(db, kStepsPerCall, SpendWork, &budget);
  // Only a plain table: a view, or a virtual table over one, runs whatever query the file holds.
  if (const std::string kind = KindOfPhrases(db, path); kind != "table" && !kind.empty()) {
    throw FileError(path, "not an ibus-table database: its phrases is a " +
                              (kind == "view" ? kind : kind + " table") +
                              ", and only a plain table is read");
  }
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
  if (stepped != SQLITE_DONE) throw FileError(path, ReadFailure(db, budget, bytes));
}

}  // namespace pavrel
