#include "lookup/lookup_command.h"

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

LookupOutcome LookUp(std::u32string_view query, TableSource& table, const TableWait& wait) {
  try {
    TableReading reading = ReadTrusted(table, query, wait);
    if (!reading.record) return {LookupOutcome::Kind::kNotFound, {}};
    return {LookupOutcome::Kind::kFound, std::move(*reading.record)};
  } catch (const RecordFileError& error) {
    return {LookupOutcome::Kind::kFailed, {}, error.failure()};
  }
}

LookupOutcome LookUp(std::u32string_view query, const TableWait& wait) {
  TableFile table(kTablePath);
  return LookUp(query, table, wait);
}

void RunLookup(WindowOperations& window, const TableWait& wait) {
  try {
    const LookupOutcome outcome = LookUp(window.GetQueryText(), wait);
    switch (outcome.kind) {
      case LookupOutcome::Kind::kFound:
        window.SetResultText(outcome.record);
        break;
      case LookupOutcome::Kind::kNotFound:
        // An empty table answers the query too: the previous character's record must not stay.
        window.SetResultText(kNotFoundText);
        break;
      case LookupOutcome::Kind::kFailed:
        // The table is closed already, so it is not held while the message waits for the user.
        window.ShowMessage(FailureMessage(outcome.failure));
        return;
    }
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

}  // namespace pavrel
