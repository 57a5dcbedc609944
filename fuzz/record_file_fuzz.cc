// Feeds arbitrary bytes to the table reader as data.txt and reads every record, under address
// and undefined-behaviour sanitizers, then looks the table up with the lookup command. A crash, a
// hang, a leak, an overlong record, a record count that the bytes cannot hold, a lookup answer
// other than the table's first matching record or "not found", or a table left open is a finding.
// Run: scripts/fuzz [seconds]

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "lookup/lookup_command.h"
#include "lookup/record_file.h"
#include "lookup/test_files.h"
#include "lookup/test_window.h"

namespace {

const std::filesystem::path& TablePath() {
  static const std::filesystem::path path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "pavrel-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    return std::filesystem::path(folder) / "data.txt";
  }();
  return path;
}

// Looks the table up with one kind of query, picked by the input's first byte, from the folder
// that holds it, and checks the answer against the records that the reader reads.
void CheckLookup(const uint8_t* data, size_t size) {
  static const std::u32string kQueries[] = {U"", U"a", U"字", U"\uFFFD", U"\U00020000"};
  std::filesystem::current_path(TablePath().parent_path());
  const std::u32string& query = kQueries[size == 0 ? 0 : data[0] % std::size(kQueries)];
  std::u32string expected = pavrel::kNotFoundText;
  pavrel::RecordFile file = pavrel::OpenRecordFile(pavrel::kTablePath);
  while (!pavrel::AtEnd(file)) {
    const std::u32string record = pavrel::ReadRecord(file);
    if (record.substr(0, 1) == query) {
      expected = record;
      break;
    }
  }
  pavrel::CloseRecordFile(file);
  const int descriptors = pavrel::CountOpenDescriptors();
  pavrel::TestWindow window;
  window.query = query;
  pavrel::RunLookup(window);
  if (window.Answer() != expected || pavrel::CountOpenDescriptors() != descriptors) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream table(TablePath(), std::ios::binary | std::ios::trunc);
    table.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  pavrel::RecordFile file = pavrel::OpenRecordFile(TablePath());
  size_t records = 0;
  while (!pavrel::AtEnd(file)) {
    if (pavrel::ReadRecord(file).size() > pavrel::kMaxRecordLength) std::abort();
    // Every record but an empty last one consumes at least one byte.
    if (++records > size + 1) std::abort();
  }
  pavrel::CloseRecordFile(file);
  CheckLookup(data, size);
  return 0;
}
