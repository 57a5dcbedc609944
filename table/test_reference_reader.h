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

// Whether `bytes` is valid UTF-8, what decodes to `text` and encodes back to itself.
inline bool RoundTrips(std::string_view bytes, std::u32string& text) {
  text = DecodeText(TableEncoding::kUtf8, bytes);
  std::string again;
  for (const char32_t c : text) EncodeUtf8Char(c, again);
  return again == bytes;
}

// Whether a table is UTF-8: after its byte order mark, which `bytes` then loses, or when its
// first 64 KiB are valid UTF-8 with a character of several bytes. Their last one to three bytes
// may be such a character cut short, which some trail bytes make whole. A code page 936 table
// loses GB18030's byte order mark.
inline bool ReferenceIsUtf8(std::string_view& bytes) {
  constexpr std::size_t kBlock = 64 * 1024;
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
    return true;
  }
  const std::string_view block = bytes.substr(0, kBlock);
  const auto multibyte = [](const std::u32string& text) {
    return std::ranges::any_of(text, [](char32_t c) { return c >= 0x80; });
  };
  std::u32string text, tail;
  if (RoundTrips(block, text)) return multibyte(text);
  for (std::size_t cut = 1; cut <= 3 && bytes.size() > kBlock; ++cut) {
    const auto lead = static_cast<unsigned char>(block[kBlock - cut]);
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    for (const char fill : {'\x80', '\x90', '\xA0'}) {
      const std::string whole = std::string(block.substr(kBlock - cut)) +
                                std::string(length - std::min(cut, length), fill);
      if (cut < length && RoundTrips(whole, tail) && tail.size() == 1 &&
          RoundTrips(block.substr(0, kBlock - cut), text)) {
        return true;
      }
    }
  }
  if (bytes.starts_with("\x84\x31\x95\x33")) bytes.remove_prefix(4);
  return false;
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

inline std::vector<std::u32string> ReferenceRecords(std::string_view bytes) {
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
  TableFile table("data.txt");
  return ReadTrusted(table, key, kNoWait).record;
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
