#include "lookup/word_code.h"

#include <algorithm>

#include "table/table_search.h"

namespace pavrel {

namespace {

bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

}  // namespace

std::u32string FullCode(std::u32string_view record) {
  std::u32string_view rest = record.substr(FirstField(record).size());
  std::u32string_view longest;
  while (!rest.empty()) {
    const auto begin = std::find_if_not(rest.begin(), rest.end(), IsFieldBlank);
    const auto end = std::find_if(begin, rest.end(), IsFieldBlank);
    const std::u32string_view field(begin, end);
    if (field.size() > longest.size() && std::all_of(begin, end, IsAsciiLetter)) longest = field;
    rest = rest.substr(end - rest.begin());
  }
  return std::u32string(longest);
}

std::u32string WordCode(std::span<const std::u32string> codes) {
  const auto letters = [](const std::u32string& code, std::size_t count) {
    return code.substr(0, count);
  };
  if (codes.size() == 2) return letters(codes[0], 2) + letters(codes[1], 2);
  if (codes.size() == 3) return letters(codes[0], 1) + letters(codes[1], 1) + letters(codes[2], 2);
  return letters(codes[0], 1) + letters(codes[1], 1) + letters(codes[2], 1) +
         letters(codes.back(), 1);
}

}  // namespace pavrel
