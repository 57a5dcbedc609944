// Feeds arbitrary bytes to the table reader as data.txt and reads every record, under address
// and undefined-behaviour sanitizers. A crash, a hang, an overlong record, a record count that
// the bytes cannot hold, or a record or key search result that differs from the reference
// reader's is a finding. Run: scripts/fuzz [seconds]

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lookup/record_file.h"
#include "lookup/test_reference_reader.h"

namespace {

const std::filesystem::path& TablePath() {
  static const std::filesystem::path path = [] {
    std::string folder = (std::filesystem::temp_directory_path() / "pavrel-fuzz-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) std::abort();
    return std::filesystem::path(folder) / "data.txt";
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    std::ofstream table(TablePath(), std::ios::binary | std::ios::trunc);
    table.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  const std::vector<std::u32string> expected =
      pavrel::ReferenceRecords({reinterpret_cast<const char*>(data), size});
  pavrel::RecordFile file = pavrel::OpenRecordFile(TablePath());
  size_t records = 0;
  while (!pavrel::AtEnd(file)) {
    const std::u32string record = pavrel::ReadRecord(file);
    if (record.size() > pavrel::kMaxRecordLength) std::abort();
    if (records >= expected.size() || record != expected[records]) std::abort();
    // Every record but an empty last one consumes at least one byte.
    if (++records > size + 1) std::abort();
  }
  if (records != expected.size()) std::abort();
  pavrel::CloseRecordFile(file);

  if (!expected.empty()) {  // the key search stops where reading every record would
    const std::u32string key = expected.back().substr(0, 1);
    std::u32string found;
    pavrel::RecordFile search = pavrel::OpenRecordFile(TablePath());
    const bool hit = pavrel::FindRecordWithKey(search, key, found);
    size_t i = 0;
    while (expected[i].substr(0, 1) != key) ++i;
    if (!hit || found != expected[i]) std::abort();
  }
  return 0;
}
