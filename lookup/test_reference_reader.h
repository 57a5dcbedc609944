// The table syntax of record_file.h read the plain way: the whole file decoded at once, then cut
// one character at a time. The tests and the fuzzer compare the fast reader and the lookup with it.

#ifndef PAVREL_LOOKUP_TEST_REFERENCE_READER_H_
#define PAVREL_LOOKUP_TEST_REFERENCE_READER_H_

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "lookup/cp936.h"
#include "lookup/gb18030.h"
#include "lookup/lookup_command.h"
#include "lookup/record_file.h"

namespace pavrel {

// Unicode's table of well-formed UTF-8: per lead byte, the range of each further byte.
struct Utf8Row {
  unsigned char lead_low, lead_high;
  std::pair<unsigned char, unsigned char> next[3];
  int length;
};
inline constexpr Utf8Row kUtf8Rows[] = {
    {0x00, 0x7F, {}, 1},
    {0xC2, 0xDF, {{0x80, 0xBF}}, 2},
    {0xE0, 0xE0, {{0xA0, 0xBF}, {0x80, 0xBF}}, 3},
    {0xE1, 0xEC, {{0x80, 0xBF}, {0x80, 0xBF}}, 3},
    {0xED, 0xED, {{0x80, 0x9F}, {0x80, 0xBF}}, 3},
    {0xEE, 0xEF, {{0x80, 0xBF}, {0x80, 0xBF}}, 3},
    {0xF0, 0xF0, {{0x90, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}, 4},
    {0xF1, 0xF3, {{0x80, 0xBF}, {0x80, 0xBF}, {0x80, 0xBF}}, 4},
    {0xF4, 0xF4, {{0x80, 0x8F}, {0x80, 0xBF}, {0x80, 0xBF}}, 4},
};

// How many bytes at `at` follow a row of the table (all of them for a character), and the
// row's length; 0 and 1 for a byte that starts no character.
inline std::pair<int, int> MatchUtf8(std::string_view bytes, std::size_t at) {
  for (const Utf8Row& row : kUtf8Rows) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    if (lead < row.lead_low || lead > row.lead_high) continue;
    int matched = 1;
    while (matched < row.length && at + matched < bytes.size()) {
      const auto b = static_cast<unsigned char>(bytes[at + matched]);
      if (b < row.next[matched - 1].first || b > row.next[matched - 1].second) break;
      ++matched;
    }
    return {matched, row.length};
  }
  return {0, 1};
}

// The table's characters: UTF-8 after its byte order mark, or when its first 64 KiB are valid
// UTF-8 (a character cut by their end included) with a character of several bytes; else code
// page 936 with GB18030's four-byte sequences.
// `bytes` loses the byte order mark.
inline bool ReferenceIsUtf8(std::string_view& bytes) {
  constexpr std::size_t kBlock = 64 * 1024;
  bool multibyte = false, valid = true;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    return true;
  }
  for (std::size_t at = 0; valid && at < std::min(bytes.size(), kBlock);) {
    const auto [matched, length] = MatchUtf8(bytes.substr(0, kBlock), at);
    valid = matched == length || (at + matched == kBlock && bytes.size() > kBlock && matched);
    multibyte |= matched == length && length > 1;
    at += std::max(matched, 1);
  }
  return valid && multibyte;
}

inline std::u32string ReferenceText(std::string_view bytes, bool utf8) {
  std::u32string text;
  for (std::size_t at = 0; at < bytes.size();) {
    const auto b = [&](std::size_t i) {
      return static_cast<unsigned char>(at + i < bytes.size() ? bytes[at + i] : 0);
    };
    if (utf8) {
      const auto [matched, length] = MatchUtf8(bytes, at);
      char32_t c = b(0) & (0xFF >> (length + (length > 1)));
      for (int i = 1; i < length; ++i) c = c << 6 | (b(i) & 0x3F);
      text.push_back(matched == length ? c : U'\uFFFD');
      at += std::max(matched, 1);
    } else if (IsCp936LeadByte(b(0)) && IsCp936TrailByte(b(1))) {
      text.push_back(DecodeCp936Pair(b(0), b(1)));
      at += 2;
    } else if (IsCp936LeadByte(b(0)) && IsGb18030Digit(b(1)) && IsCp936LeadByte(b(2)) &&
               IsGb18030Digit(b(3))) {
      const unsigned char four[] = {b(0), b(1), b(2), b(3)};
      text.push_back(DecodeGb18030Four(four));
      at += 4;
    } else {
      text.push_back(DecodeCp936Byte(b(0)));
      at += 1;
    }
  }
  return text;
}

// The records of `bytes`, in UTF-8 or not.
inline std::vector<std::u32string> ReferenceRecordsIn(std::string_view bytes, bool utf8) {
  constexpr char32_t kEnd = 0xFFFFFFFF;
  const std::u32string text = ReferenceText(bytes, utf8);
  std::size_t at = 0;
  const auto peek = [&]() -> char32_t { return at == text.size() ? kEnd : text[at]; };
  const auto is_delimiter = [](char32_t c) { return c == U',' || c == U'\r' || c == U'\n'; };
  std::vector<std::u32string> records;
  while (at < text.size()) {
    std::u32string record;
    char32_t c;
    while ((c = peek()) == U' ') ++at;
    const bool quoted = c == U'"';
    if (quoted) ++at;
    while ((c = peek()) != kEnd && (quoted ? c != U'"' : !is_delimiter(c))) {
      if (record.size() < kMaxRecordLength) record.push_back(c);
      ++at;
    }
    if (quoted && c == U'"') ++at;
    while (quoted && (c = peek()) != kEnd && !is_delimiter(c)) ++at;
    if (is_delimiter(c)) {
      ++at;
      if (c == U'\r' && peek() == U'\n') ++at;
    }
    records.push_back(record);
  }
  return records;
}

inline std::vector<std::u32string> ReferenceRecords(std::string_view bytes) {
  const bool utf8 = ReferenceIsUtf8(bytes);
  return ReferenceRecordsIn(bytes, utf8);
}

// What a lookup of `query` shows: the first record that begins with it, or "not found".
inline std::u32string ReferenceAnswer(const std::vector<std::u32string>& records,
                                      std::u32string_view query) {
  const auto begins = [&](const std::u32string& r) {
    return r.empty() ? query.empty()
                     : query.size() == 1 && FoldPrivateUse(r[0]) == FoldPrivateUse(query[0]);
  };
  const auto found = std::ranges::find_if(records, begins);
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
