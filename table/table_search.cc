#include "table/table_search.h"

#include <algorithm>
#include <unordered_map>

#include "encoding/gb18030.h"
#include "table/record_file.h"

namespace pavrel {

namespace {

// `text` with its private use twins folded, into `folded`, whose room is kept from call to call.
const std::u32string& Folded(std::u32string_view text, std::u32string& folded) {
  folded.assign(text);
  for (char32_t& c : folded) c = FoldPrivateUse(c);
  return folded;
}

}  // namespace

std::u32string_view FirstField(std::u32string_view record) {
  return record.substr(0,
                       std::find_if(record.begin(), record.end(), IsFieldBlank) - record.begin());
}

SearchResult SearchTable(RecordFile& file, const TableSearch& search) {
  SearchResult found;
  found.fields.resize(search.fields.size());
  std::u32string record;
  if (search.fields.empty()) {
    if ((!AtEnd(file) && ReadRecordWithKey(file, search.key, record)) ||
        FindRecordWithKey(file, search.key, record)) {
      found.record = std::move(record);
    }
    return found;
  }

  // The records worth decoding begin with the key or with the first character of a text wanted.
  std::u32string keys = search.key;
  std::unordered_map<std::u32string, std::size_t> wanted;  // folded text → index in fields
  std::u32string folded;
  for (std::size_t i = 0; i < search.fields.size(); ++i) {
    const std::u32string& text = search.fields[i];
    if (text.empty()) continue;
    wanted.try_emplace(Folded(text, folded), i);
    if (keys.find(text[0]) == std::u32string::npos) keys.push_back(text[0]);
  }
  std::size_t missing = wanted.size() + (search.key.empty() ? 0 : 1);
  const char32_t key = search.key.empty() ? 0 : FoldPrivateUse(search.key[0]);
  const auto take = [&] {
    if (key != 0 && !found.record && FoldPrivateUse(record[0]) == key) {
      found.record = record;
      --missing;
    }
    const auto text = wanted.find(Folded(FirstField(record), folded));
    if (text != wanted.end() && !found.fields[text->second]) {
      found.fields[text->second] = record;
      --missing;
    }
  };
  // The byte search looks past the record it starts at: the first is read on its own.
  if (missing > 0 && !AtEnd(file) && ReadRecordWithAnyKey(file, keys, record)) take();
  while (missing > 0 && FindRecordWithAnyKey(file, keys, record)) take();
  // A text asked for twice is found for both.
  for (std::size_t i = 0; i < search.fields.size(); ++i) {
    const auto text = wanted.find(Folded(search.fields[i], folded));
    if (!found.fields[i] && text != wanted.end()) found.fields[i] = found.fields[text->second];
  }
  return found;
}

}  // namespace pavrel
