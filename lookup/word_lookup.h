// Looking up words: a text of two or more characters, as `pavrel --lookup` takes it, and copied
// text that begins with a phrase of the table or is one word. Each reads the table once, for
// every length of phrase and every character at the same time, and trusts the reading as the
// one-character lookup does (trusted_reading.h).

#ifndef PAVREL_LOOKUP_WORD_LOOKUP_H_
#define PAVREL_LOOKUP_WORD_LOOKUP_H_

#include <string_view>

#include "lookup/copied_text.h"
#include "lookup/lookup_command.h"
#include "table/trusted_reading.h"

namespace pavrel {

// Looks `word` up: its own record in the table (whose first field is the word, table_search.h),
// found; else its code by the rule (word_code.h) from its characters' own records, computed;
// else not found, naming its first character that has no record with a code. A word of one
// character, or none, is looked up as LookUp does.
LookupOutcome LookUpWord(std::u32string_view word, TableSource& table, const TableWait& wait = {});
LookupOutcome LookUpWord(std::u32string_view word, const TableWait& wait = {});

// Looks a copy up. A copy that is one word (CopiedWord) gets the word's own record, else its code
// by the rule where the table holds its every character. Any other copy gets the record of the
// longest phrase of the table that its text begins with, else what LookUp finds for its first
// character.
LookupOutcome LookUpCopy(const CopiedText& copy, TableSource& table, const TableWait& wait = {});
LookupOutcome LookUpCopy(const CopiedText& copy, const TableWait& wait = {});

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_WORD_LOOKUP_H_
