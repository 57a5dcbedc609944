// Tables for the benchmarks, written once per run into a temporary folder that is removed at the
// end, and the one-pass baseline that every lookup is measured against.

#ifndef PAVREL_BENCH_TABLES_H_
#define PAVREL_BENCH_TABLES_H_

#include <cstdint>
#include <filesystem>
#include <string>

#include "testing/test_files.h"  // TempDir, the folder the tables are written to

namespace pavrel {

// A generated table and the queries that match its first record, match only its last record,
// and match nothing.
struct BenchTable {
  std::filesystem::path path;
  std::u32string first_key, last_key, missing_key;
};

// The encodings of a generated table: code page 936; the same records in UTF-8, or in UTF-16
// little-endian, with a byte order mark; code page 936 with every other key a four-byte GB18030
// character of CJK Extension A.
enum class BenchEncoding { kCp936, kUtf8, kUtf16, kGb18030 };

// Writes `folder`/data.txt with `records` Wubi-like records: a GB2312 character, a space, one to
// four of its codes (the 1- to 4-letter prefixes of one code), CR LF. With `quoted`, each record
// is in double quotes, as programs that quote every field write it.
BenchTable WriteWubiLikeTable(const std::filesystem::path& folder, std::int64_t records,
                              bool quoted = false, BenchEncoding encoding = BenchEncoding::kCp936);

// Writes `folder`/data.txt as a sparse file of `bytes` zero bytes: one field without delimiters.
BenchTable WriteSingleFieldTable(const std::filesystem::path& folder, std::int64_t bytes);

// Reads `path` through in blocks of the reader's buffer size and counts its LF bytes with memchr.
std::int64_t CountLineEnds(const std::filesystem::path& path);

}  // namespace pavrel

#endif  // PAVREL_BENCH_TABLES_H_
