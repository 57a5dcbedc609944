#include <algorithm>
#include <string>
#include <vector>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/text_lines.h"

namespace pavrel {
namespace {

// The full-width space too, which a Chinese input method types for a space.
bool IsBlank(char32_t c) { return c == U'\t' || c == U' ' || c == U'\u3000'; }
bool IsAsciiLetter(char32_t c) { return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z'); }

// Whether `field` looks like a code: ASCII letters only.
bool IsCode(std::u32string_view field) {
  return !field.empty() && std::all_of(field.begin(), field.end(), IsAsciiLetter);
}

// The first two fields of `line`, separated by runs of blanks; empty where missing.
std::pair<std::u32string_view, std::u32string_view> FirstTwoFields(std::u32string_view line) {
  std::u32string_view fields[2];
  auto at = line.begin();
  for (std::u32string_view& field : fields) {
    const auto start = std::find_if_not(at, line.end(), IsBlank);
    at = std::find_if(start, line.end(), IsBlank);
    field = std::u32string_view(start, at);
  }
  return {fields[0], fields[1]};
}

// Whether `line` opens fcitx5's table text: a NAME=VALUE line or a "[Section]".
bool IsFcitxHeaderLine(std::u32string_view line) {
  const auto name_end = std::find_if_not(line.begin(), line.end(), IsAsciiLetter);
  return (name_end != line.begin() && name_end != line.end() && *name_end == U'=') ||
         (line.starts_with(U'[') && line.ends_with(U']'));
}

// Reads fcitx5's table text, whose first header line `line` holds.
void ReadFcitxTable(TextLines& lines, std::u32string& line, const EntrySink& sink) {
  std::u32string markers;  // first characters of lines that are not entries
  const std::size_t start = lines.number();
  for (; line != U"[Data]";) {
    for (std::u32string_view key : {U"Pinyin=", U"Prompt=", U"ConstructPhrase="}) {
      if (line.starts_with(key) && line.size() > key.size()) markers += line[key.size()];
    }
    if (!lines.Next(line)) {
      throw LineError(lines.path(), start, "the table header that starts here has no line [Data]");
    }
  }
  while (lines.Next(line)) {
    if (line.empty() || markers.find(line.front()) != std::u32string::npos) continue;
    const auto [code, text] = FirstTwoFields(line);
    sink({text, code, false, &lines.path(), lines.number()});
  }
}

// Reads a text list, whose first content line `line` holds.
void ReadList(TextLines& lines, std::u32string& line, const EntrySink& sink) {
  // Lines read before the file's order is known: those that show no order of their own.
  std::vector<std::pair<std::u32string, std::size_t>> waiting;
  int code_first = -1;  // the file's order, -1 while unknown
  // Sends the waiting lines in the file's order, text first where it never showed one.
  const auto send_waiting = [&] {
    for (auto& [earlier, number] : waiting) {
      auto [first, second] = FirstTwoFields(earlier);
      if (code_first == 1) std::swap(first, second);
      sink({first, second, false, &lines.path(), number});
    }
    waiting.clear();
  };
  do {
    if (line.empty() || line.front() == U'#') continue;
    auto [first, second] = FirstTwoFields(line);
    if (IsCode(first) != IsCode(second)) {
      if (code_first < 0) {
        code_first = IsCode(first);
        send_waiting();
      }
      if (IsCode(first)) std::swap(first, second);
    } else if (code_first < 0) {
      waiting.emplace_back(line, lines.number());
      continue;
    } else if (code_first) {
      std::swap(first, second);
    }
    sink({first, second, false, &lines.path(), lines.number()});
  } while (lines.Next(line));
  send_waiting();
}

}  // namespace

void ReadTextDictionary(TextLines& lines, const EntrySink& sink, Progress* progress) {
  std::u32string line;
  if (OpensRimeDictionary(lines, line)) return ReadRimeDictionary(lines, sink, progress);
  if (IsFcitxHeaderLine(line)) return ReadFcitxTable(lines, line, sink);
  if (!line.empty()) ReadList(lines, line, sink);
}

}  // namespace pavrel
