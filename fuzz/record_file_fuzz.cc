// Feeds arbitrary bytes to the table reader as data.txt under address and undefined-behaviour
// sanitizers: reads every record, searches for a key, and looks the table up with the lookup
// command. A crash, a hang, a leak, an overlong record, a record or key search result that
// differs from the reference reader's, a lookup answer other than the table's first matching
// record or "not found", or a table left open is a finding. Run: scripts/fuzz [seconds]

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lookup/lookup_command.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"
#include "lookup/test_reference_reader.h"
#include "lookup/test_window.h"

namespace {

using Records = std::vector<std::u32string>;

const std::filesystem::path& TablePath() {
  static const std::filesystem::path path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "pavrel-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    std::filesystem::current_path(folder);
    return std::filesystem::path(folder) / pavrel::kTablePath;
  }();
  return path;
}

// The first record that begins with `key`, or nothing.
const std::u32string* FirstWithKey(const Records& records, const std::u32string& key) {
  for (const std::u32string& record : records) {
    if (record.substr(0, 1) == key) return &record;
  }
  return nullptr;
}

void CheckRecords(const Records& expected) {
  pavrel::RecordFile file = pavrel::OpenRecordFile(TablePath());
  size_t records = 0;
  while (!pavrel::AtEnd(file)) {
    const std::u32string record = pavrel::ReadRecord(file);
    if (record.size() > pavrel::kMaxRecordLength) std::abort();
    if (records >= expected.size() || record != expected[records++]) std::abort();
  }
  if (records != expected.size()) std::abort();
}

// The key search stops where reading every record would.
void CheckKeySearch(const Records& expected) {
  if (expected.empty()) return;
  const std::u32string key = expected.back().substr(0, 1);
  std::u32string found;
  pavrel::RecordFile file = pavrel::OpenRecordFile(TablePath());
  if (!pavrel::FindRecordWithKey(file, key, found) || found != *FirstWithKey(expected, key)) {
    std::abort();
  }
}

// Looks the table up with one kind of query, picked by the input's first byte.
void CheckLookup(const uint8_t* data, size_t size, const Records& expected) {
  static const std::u32string kQueries[] = {U"", U"a", U"字", U"\uFFFD", U"\U00020000"};
  const std::u32string& query = kQueries[size == 0 ? 0 : data[0] % std::size(kQueries)];
  const std::u32string* match = FirstWithKey(expected, query);
  const int descriptors = pavrel::CountOpenDescriptors();
  pavrel::TestWindow window;
  window.query = query;
  pavrel::RunLookup(window);
  if (window.Answer() != (match ? *match : pavrel::kNotFoundText)) std::abort();
  if (pavrel::CountOpenDescriptors() != descriptors) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream table(TablePath(), std::ios::binary | std::ios::trunc);
    table.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const Records expected = pavrel::ReferenceRecords({reinterpret_cast<const char*>(data), size});
  CheckRecords(expected);
  CheckKeySearch(expected);
  CheckLookup(data, size, expected);
  return 0;
}
