#include "lookup/lookup_command.h"

#include "lookup/word_lookup.h"
#include "table/record_file.h"

namespace pavrel {

const char32_t* FailureMessage(TableFailure failure) {
  switch (failure) {
    case TableFailure::kNotRegularFile:
      return kNotAFileMessage;
    case TableFailure::kUnreadable:
      return kUnreadableTableMessage;
    case TableFailure::kBusy:
      return kBusyTableMessage;
    case TableFailure::kMissing:
      break;
  }
  return kMissingTableMessage;
}

std::u32string ResultText(const LookupOutcome& outcome) {
  if (outcome.kind != LookupOutcome::Kind::kNotFound) return outcome.record;
  if (outcome.missing == 0) return kNotFoundText;
  return kNotFoundText + (U"（表中没有“" + std::u32string(1, outcome.missing) + U"”）");
}

LookupOutcome LookUp(std::u32string_view query, TableSource& table, const TableWait& wait) {
  try {
    TableReading reading = ReadTrusted(table, {std::u32string(query), {}}, wait);
    if (!reading.found.record) return {LookupOutcome::Kind::kNotFound, {}};
    return {LookupOutcome::Kind::kFound, std::move(*reading.found.record)};
  } catch (const RecordFileError& error) {
    return {LookupOutcome::Kind::kFailed, {}, 0, error.failure()};
  }
}

LookupOutcome LookUp(std::u32string_view query, const TableWait& wait) {
  TableFile table(kTablePath);
  return LookUp(query, table, wait);
}

namespace {

// Shows the outcome of `look_up` in `window`, as RunLookup describes.
template <typename LookUpFunction>
void ShowLookup(WindowOperations& window, LookUpFunction look_up) {
  try {
    const LookupOutcome outcome = look_up();
    if (outcome.kind == LookupOutcome::Kind::kFailed) {
      // The table is closed already, so it is not held while the message waits for the user.
      window.ShowMessage(FailureMessage(outcome.failure));
      return;
    }
    // An empty table answers the query too: the previous character's record must not stay.
    window.SetResultText(ResultText(outcome));
    window.FocusQueryBox();
    window.SetQuerySelection(0, 1);
  } catch (...) {
    // A window operation failed: the same one message.
    try {
      window.ShowMessage(kMissingTableMessage);
    } catch (...) {
      // Nothing is left to report to; the window goes on as before.
    }
  }
}

}  // namespace

void RunLookup(WindowOperations& window, const TableWait& wait) {
  ShowLookup(window, [&] { return LookUp(window.GetQueryText(), wait); });
}

void RunCopyLookup(WindowOperations& window, const CopiedText& copy, const TableWait& wait) {
  ShowLookup(window, [&] { return LookUpCopy(copy, wait); });
}

}  // namespace pavrel
