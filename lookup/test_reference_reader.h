// The table syntax of record_file.h read the plain way: one character at a time, the whole file
// in memory. The tests and the fuzzer compare the fast reader and the lookup with it.

#ifndef PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
#define PAVREL_LOOKUP_TEST_REFERENCE_READER_H_

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/cp936.h"
#include "lookup/lookup_command.h"
#include "lookup/record_file.h"

namespace pavrel {

inline std::vector<std::u32string> ReferenceRecords(std::string_view bytes) {
  constexpr char32_t kEnd = 0xFFFFFFFF;
  std::size_t at = 0, width = 0;
  // The character at `at`, and its width in bytes.
  const auto peek = [&]() -> char32_t {
    if (at == bytes.size()) return kEnd;
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(at + 1 < bytes.size() ? bytes[at + 1] : 0);
    width = IsCp936LeadByte(first) && IsCp936TrailByte(second) ? 2 : 1;
    return width == 2 ? DecodeCp936Pair(first, second) : DecodeCp936Byte(first);
  };
  const auto is_delimiter = [](char32_t c) { return c == U',' || c == U'\r' || c == U'\n'; };
  std::vector<std::u32string> records;
  while (at < bytes.size()) {
    std::u32string record;
    char32_t c;
    while ((c = peek()) == U' ') at += width;
    const bool quoted = c == U'"';
    if (quoted) at += width;
    while ((c = peek()) != kEnd && (quoted ? c != U'"' : !is_delimiter(c))) {
      if (record.size() < kMaxRecordLength) record.push_back(c);
      at += width;
    }
    if (quoted && c == U'"') at += width;
    while (quoted && (c = peek()) != kEnd && !is_delimiter(c)) at += width;
    if (is_delimiter(c)) {
      at += width;
      if (c == U'\r' && peek() == U'\n') at += width;
    }
    records.push_back(record);
  }
  return records;
}

// What a lookup of `query` shows: the first record that begins with it, or "not found".
inline std::u32string ReferenceAnswer(const std::vector<std::u32string>& records,
                                      std::u32string_view query) {
  const auto found =
      std::ranges::find_if(records, [&](auto& r) { return r.substr(0, 1) == query; });
  return found == records.end() ? kNotFoundText : *found;
}

// Every record of the file `name`, read by the fast reader.
inline std::vector<std::u32string> ReadAllRecords(const char* name) {
  RecordFile file = OpenRecordFile(name);
  std::vector<std::u32string> records;
  while (!AtEnd(file)) records.push_back(ReadRecord(file));
  CloseRecordFile(file);
  return records;
}

}  // namespace pavrel

#endif  // PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
