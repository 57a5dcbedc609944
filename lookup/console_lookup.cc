#include "lookup/console_lookup.h"

#include "lookup/command_line.h"
#include "lookup/lookup_command.h"

namespace pavrel {

ConsoleAnswer LookUpInConsole(const std::u32string& query) {
  try {
    const LookupOutcome outcome = LookUp(query);
    switch (outcome.kind) {
      case LookupOutcome::Kind::kFound:
        return {outcome.record == kNotFoundText ? kNotFoundStatus : kFoundStatus, outcome.record};
      case LookupOutcome::Kind::kNotFound:
        return {kNotFoundStatus, kNotFoundText};
      case LookupOutcome::Kind::kFailed:
        break;
    }
  } catch (...) {
    // Whatever else failed, the window would show the one message too.
  }
  return {kTableErrorStatus, kMissingTableMessage};
}

}  // namespace pavrel
