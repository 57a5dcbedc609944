// The table syntax of record_file.h read the plain way: one character at a time, the whole file
// in memory. The tests and the fuzzer compare the fast reader with it.

#ifndef PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
#define PAVREL_LOOKUP_TEST_REFERENCE_READER_H_

#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

std::vector<std::u32string> ReferenceRecords(std::string_view bytes);

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
