#include "lookup/console_lookup.h"

#include "lookup/command_line.h"
#include "lookup/lookup_command.h"
#include "lookup/word_lookup.h"

namespace pavrel {

namespace {

// The statuses 3 to 6 follow the reasons' order.
int StatusOf(TableFailure failure) { return kTableMissingStatus + static_cast<int>(failure); }
static_assert(kTableBusyStatus == kTableMissingStatus + static_cast<int>(TableFailure::kBusy));

}  // namespace

ConsoleAnswer LookUpInConsole(const std::u32string& query) {
  try {
    const LookupOutcome outcome = LookUpWord(query);
    switch (outcome.kind) {
      case LookupOutcome::Kind::kFound:
        return {outcome.record == kNotFoundText ? kNotFoundStatus : kFoundStatus, outcome.record};
      case LookupOutcome::Kind::kComputed:
        return {kComputedStatus, outcome.record};
      case LookupOutcome::Kind::kNotFound:
        return {kNotFoundStatus, ResultText(outcome)};
      case LookupOutcome::Kind::kFailed:
        return {StatusOf(outcome.failure), FailureMessage(outcome.failure), true};
    }
  } catch (...) {
    // Whatever else failed, the window would show the missing table's message too.
  }
  return {kTableMissingStatus, kMissingTableMessage, true};
}

}  // namespace pavrel
