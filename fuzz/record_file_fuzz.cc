// Feeds arbitrary bytes as data.txt to the reader and the lookup command. A crash, a hang, a leak,
// a record other than the reference reader's, a lookup answer other than the first record with
// the query's key or "not found", or a table left open is a finding. Run: scripts/fuzz [seconds]
//
// When the second byte is odd, quoted records come first, so that the input starts just before
// the edge of the reader's 64 KiB buffer (up to 63 bytes before it, by the second byte) and the
// search runs across quoted records into it.

#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "lookup/lookup_command.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"
#include "lookup/test_reference_reader.h"
#include "lookup/test_window.h"

namespace {

// Quoted records of `length` bytes in all, at least 5.
std::string QuotedRecords(std::size_t length) {
  std::string records;
  for (; length >= 10; length -= 5) records += "\"a\"\r\n";
  return records + "\"" + std::string(length - 4, 'a') + "\"\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pavrel::TempDir dir;  // the current directory from here on
  std::string table;
  if (size >= 2 && data[1] % 2 == 1) table = QuotedRecords(64 * 1024 - data[1] / 2 % 64);
  table.append(reinterpret_cast<const char*>(data), size);
  dir.Write(pavrel::kTablePath, table);
  const std::vector<std::u32string> expected = pavrel::ReferenceRecords(table);

  pavrel::RecordFile file = pavrel::OpenRecordFile(pavrel::kTablePath);
  for (const std::u32string& record : expected) {
    if (pavrel::AtEnd(file) || pavrel::ReadRecord(file) != record) std::abort();
  }
  if (!pavrel::AtEnd(file)) std::abort();
  pavrel::CloseRecordFile(file);

  // The query, picked by the first byte: empty, ASCII, Chinese, U+FFFD, outside the Basic
  // Multilingual Plane, or the last record's key, which the search has to find.
  const std::u32string queries[] = {
      U"",       U"a",          U"字",
      U"\uFFFD", U"\U00020000", expected.empty() ? U"" : expected.back().substr(0, 1)};
  pavrel::TestWindow window;
  window.query = queries[size == 0 ? 0 : data[0] % std::size(queries)];
  std::u32string answer = pavrel::kNotFoundText;
  for (const std::u32string& record : expected) {
    if (record.substr(0, 1) == window.query) {
      answer = record;
      break;
    }
  }
  const int descriptors = pavrel::CountOpenDescriptors();
  pavrel::RunLookup(window);
  if (window.Answer() != answer || pavrel::CountOpenDescriptors() != descriptors) std::abort();
  return 0;
}
