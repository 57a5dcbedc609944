#include "lookup/console_lookup.h"

#include "lookup/command_line.h"
#include "lookup/lookup_command.h"

namespace pavrel {

namespace {

int StatusOf(TableFailure failure) {
  switch (failure) {
    case TableFailure::kNotRegularFile:
      return kTableNotAFileStatus;
    case TableFailure::kUnreadable:
      return kTableUnreadableStatus;
    case TableFailure::kBusy:
      return kTableBusyStatus;
    case TableFailure::kMissing:
      break;
  }
  return kTableMissingStatus;
}

}  // namespace

ConsoleAnswer LookUpInConsole(const std::u32string& query) {
  try {
    const LookupOutcome outcome = LookUp(query);
    switch (outcome.kind) {
      case LookupOutcome::Kind::kFound:
        return {outcome.record == kNotFoundText ? kNotFoundStatus : kFoundStatus, outcome.record};
      case LookupOutcome::Kind::kNotFound:
        return {kNotFoundStatus, kNotFoundText};
      case LookupOutcome::Kind::kFailed:
        return {StatusOf(outcome.failure), FailureMessage(outcome.failure), true};
    }
  } catch (...) {
    // Whatever else failed, the window would show the missing table's message too.
  }
  return {kTableMissingStatus, kMissingTableMessage, true};
}

}  // namespace pavrel
