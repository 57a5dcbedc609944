// The byte searches under the reader (record_file.h): delimiters, and the search for a record's
// key that reads past the records that do not begin with it without decoding them.
//
// A search takes bytes [begin, end) of the reader's buffer, of which `begin` is a record's start
// (its leading spaces or opening quote, not the LF of a CR LF). It never judges the last byte,
// which may be a CR whose LF is still unread. It returns where it stopped: at a record that may
// begin with the key (`found`), or at the start of a record that it could not read past whole,
// from which the reader goes on record by record.

#ifndef PAVREL_TABLE_RECORD_FILE_SCAN_H_
#define PAVREL_TABLE_RECORD_FILE_SCAN_H_

#include <cstdint>
#include <string>
#include <vector>

namespace pavrel {

inline bool IsDelimiter(char byte) { return byte == ',' || byte == '\r' || byte == '\n'; }

// Whether `byte` is one that shapes records: a space, quote or delimiter. Only a quoted record's
// text can begin with one.
inline bool ShapesRecords(unsigned char byte) {
  return byte == ' ' || byte == '"' || IsDelimiter(static_cast<char>(byte));
}

// Returns the first comma, CR or LF in [p, end), or end.
const char* FindDelimiter(const char* p, const char* end);

// Returns the first byte from 0x80 in [p, end), or end: where a table stops being ASCII.
const char* FindNonAscii(const char* p, const char* end);

// One encoding of a key: one to four bytes; no bytes for a key that no record can begin with.
// The searches look for one of its bytes and compare the others.
struct KeyPattern {
  unsigned char bytes[4] = {};
  int length = 0;
};

// How keys look in a table's bytes, for the byte search: each encoding of each key.
struct KeyBytes {
  enum Kind { kBytes, kEmptyRecord, kUnsearchable } kind = kUnsearchable;
  std::vector<KeyPattern> patterns;  // none for keys that no record can begin with
};

// What a reader's byte searches found in its buffer since the buffer last moved, for the keys
// they looked for, so that the next search for them goes on from there.
struct SearchPlaces {
  std::u32string keys;
  int encoding = -1;                 // the table's encoding they were encoded in
  std::uint64_t moves = UINT64_MAX;  // the buffer's moves when they were found
  KeyBytes bytes;
  std::vector<const char*> stops;  // each pattern's stop
  const char* quote = nullptr;     // the first double quote from where the searches began
};

struct ScanStop {
  const char* at;
  bool found;
};

// Searches the unquoted records before the first double quote for one that begins with `key`;
// a key whose first byte shapes records begins none of them.
ScanStop SkipUnquotedRecordsWithoutKey(const char* begin, const char* end, KeyPattern key);

// The same where the caller knows `quote`, the first double quote in [begin, end), or end: a
// reader that searches one buffer many times finds it once.
ScanStop SkipUnquotedRecordsWithoutKeyBefore(const char* begin, const char* end, KeyPattern key,
                                             const char* quote);

// Searches the unquoted records before the first double quote for an empty one.
ScanStop SkipUnquotedRecordsUntilEmpty(const char* begin, const char* end);

// Searches quoted and unquoted records alike for one that begins with `key`, 64 bytes at a time.
// It stops early at a double quote that only reading record by record can place (one inside an
// unquoted record or after a closing quote) and at a key byte behind a run of spaces that goes
// back further than its 64 bytes. The key's first byte does not shape records.
ScanStop SkipRecordsWithoutKey(const char* begin, const char* end, KeyPattern key);

// The same without the instructions that only some CPUs have, which the above uses where it can.
ScanStop SkipRecordsWithoutKeyPortably(const char* begin, const char* end, KeyPattern key);

}  // namespace pavrel

#endif  // PAVREL_TABLE_RECORD_FILE_SCAN_H_
