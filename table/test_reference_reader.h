// The table syntax of record_file.h read the plain way: the whole file decoded at once, then cut
// one character at a time. The tests and the fuzzer compare the fast reader and the lookup with it.
// Also the wait of tests that read tables they have just written.

#ifndef PAVREL_TABLE_TEST_REFERENCE_READER_H_
#define PAVREL_TABLE_TEST_REFERENCE_READER_H_

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/gb18030.h"
#include "encoding/table_encoding.h"
#include "encoding/utf8.h"
#include "table/record_file.h"
#include "table/trusted_reading.h"

namespace pavrel {

// For tables that a test writes just before it reads them: a reading is trusted at once if
// nothing changed while it was made, else made again after a millisecond, for 10 ms at most
// (enough for a second reading on a busy machine).
inline constexpr TableWait kNoWait{std::chrono::milliseconds(0), std::chrono::milliseconds(1),
                                   std::chrono::milliseconds(10)};

// UTF-16 as UTF-8, a unit or pair at a time; a lone surrogate or odd byte is U+FFFD.
inline std::string ReferenceUtf16ToUtf8(std::string_view bytes, bool big_endian) {
  const auto unit = [&](std::size_t at) -> char32_t {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    return big_endian ? byte(at) << 8 | byte(at + 1) : byte(at + 1) << 8 | byte(at);
  };
  std::u32string text;
  for (std::size_t at = 0; at < bytes.size(); at += 2) {
    if (at + 1 == bytes.size()) {
      text += U'\uFFFD';
    } else if (const char32_t c = unit(at); c < 0xD800 || c > 0xDFFF) {
      text += c;
    } else if (c < 0xDC00 && at + 3 < bytes.size() && unit(at + 2) >= 0xDC00 &&
               unit(at + 2) <= 0xDFFF) {
      text += 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else {
      text += U'\uFFFD';
    }
  }
  return EncodeUtf8(text);
}

// `utf8`, which is valid, in UTF-16 with its byte order mark.
inline std::string Utf16Of(std::string_view utf8, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  const auto unit = [&](char32_t u) {
    const char high = static_cast<char>(u >> 8), low = static_cast<char>(u & 0xFF);
    bytes += big_endian ? std::string{high, low} : std::string{low, high};
  };
  const std::u32string text = *DecodeUtf8(utf8);
  for (const char32_t c : text) {
    if (c < 0x10000) {
      unit(c);
    } else {
      unit(0xD800 + ((c - 0x10000) >> 10)), unit(0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  return bytes;
}

// Whether a table is UTF-8, after its byte order mark (or two of them), which `bytes` then loses;
// UTF-16 becomes UTF-8 first. Without a mark, the rule of table_encoding.h decides from the 4 KiB
// from its first byte past ASCII, wherever the reader's buffer cuts the table.
inline bool ReferenceIsUtf8(std::string& bytes) {
  for (const auto& [mark, utf8] : {std::pair<std::string_view, bool>("\xEF\xBB\xBF", true),
                                   {"\x84\x31\x95\x33", false},
                                   {"\xFF\xFE", true},
                                   {"\xFE\xFF", true}}) {
    if (!bytes.starts_with(mark)) continue;
    bytes.erase(0, mark.size());
    if (bytes.starts_with(mark)) bytes.erase(0, mark.size());  // a mark given twice
    if (mark.size() == 2) bytes = ReferenceUtf16ToUtf8(bytes, mark[0] == '\xFE');
    return utf8;
  }
  const auto first = std::ranges::find_if(bytes, [](char b) { return (b & 0x80) != 0; });
  const std::string_view sample(first, bytes.end());
  return GuessEncoding(sample.substr(0, kEncodingSample), sample.size() <= kEncodingSample) ==
         TableEncoding::kUtf8;
}

// The records of `bytes`, in UTF-8 or not.
inline std::vector<std::u32string> ReferenceRecordsIn(std::string_view bytes, bool utf8) {
  constexpr char32_t kEnd = 0xFFFFFFFF;
  const std::u32string text =
      DecodeText(utf8 ? TableEncoding::kUtf8 : TableEncoding::kGb18030, bytes);
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

inline std::vector<std::u32string> ReferenceRecords(std::string bytes) {
  const bool utf8 = ReferenceIsUtf8(bytes);  // drops the byte order mark first
  return ReferenceRecordsIn(bytes, utf8);
}

// The first record that begins with `query`, if there is one.
inline std::optional<std::u32string> ReferenceFirstRecord(
    const std::vector<std::u32string>& records, std::u32string_view query) {
  const auto begins = [&](const std::u32string& r) {
    return r.empty() ? query.empty()
                     : query.size() == 1 && FoldPrivateUse(r[0]) == FoldPrivateUse(query[0]);
  };
  const auto found = std::ranges::find_if(records, begins);
  if (found == records.end()) return std::nullopt;
  return *found;
}

// The first record of data.txt in the current directory that begins with `key`, found by the
// fast search.
inline std::optional<std::u32string> FirstRecord(std::u32string_view key) {
  TableFile table("data.txt", std::chrono::milliseconds(0));
  return ReadTrusted(table, {std::u32string(key), {}}, kNoWait).found.record;
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

#endif  // PAVREL_TABLE_TEST_REFERENCE_READER_H_
