#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/exclude_patterns.h"
#include "converter/rime_header.h"
#include "converter/table_builder.h"
#include "converter/text_lines.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

// The longest chain of imports read, each dictionary importing the next; Rime's dictionaries
// chain two or three. Each link holds its file open and a level of recursion.
constexpr std::size_t kDeepestImport = 100;

// What stays the same through a dictionary and its imports.
struct Reading {
  const EntrySink& sink;
  Progress* progress;
  std::vector<std::filesystem::path> open;  // the dictionaries being read, each importing the next
  std::set<std::filesystem::path> done;     // those read whole; imported again, they add nothing
};

// Whether `line` is the YAML marker `marker` ("---" or "..."), which blanks and a comment may
// follow.
bool IsMarker(std::u32string_view line, std::u32string_view marker) {
  if (!line.starts_with(marker)) return false;
  line.remove_prefix(marker.size());
  const std::size_t rest = line.find_first_not_of(U" \t");
  return rest == line.npos || (rest > 0 && line[rest] == U'#');
}

// The longest header read. Rime's headers take a few kilobytes; yaml-cpp needs a few hundred
// bytes of memory for each byte of some texts (a run of "["), so a longer one is refused rather
// than parsed.
constexpr std::size_t kLongestHeader = 256 << 10;

// The header's text in UTF-8, up to the line "..." that ends it.
std::string HeaderText(TextLines& lines) {
  const std::size_t start = lines.number();
  std::string header;
  for (std::u32string line; lines.Next(line);) {
    if (IsMarker(line, U"...")) return header;
    header += EncodeUtf8(line) + '\n';
    if (header.size() > kLongestHeader) {
      throw LineError(lines.path(), start,
                      "the YAML header that starts here is longer than " +
                          std::to_string(kLongestHeader >> 10) +
                          " KiB (is its line \"...\" missing?)");
    }
  }
  throw LineError(lines.path(), start,
                  "the YAML header that starts here never ends (no line \"...\")");
}

std::u32string_view Field(const std::vector<std::u32string_view>& fields, std::size_t i) {
  std::u32string_view field = i < fields.size() ? fields[i] : std::u32string_view();
  while (!field.empty() && field.front() == U' ') field.remove_prefix(1);
  while (!field.empty() && field.back() == U' ') field.remove_suffix(1);
  return field;
}

void ReadRime(TextLines& lines, Reading& reading, std::vector<std::string> excluded);

// Reads the import `name` of the dictionary that `lines` reads.
void ReadImport(const TextLines& lines, const std::string& name, Reading& reading,
                const std::vector<std::string>& excluded) {
  // Only a dictionary beside this one: a folder would reach out of it, and a NUL byte ends the
  // name the system opens before ".dict.yaml", so that it could open any file (a terminal, which
  // never ends).
  if (name.find_first_of(std::string_view("/\\\0", 3)) != std::string::npos) {
    std::string shown;
    for (const char c : name) shown += c == '\0' ? "\\0" : std::string(1, c);
    throw FileError(lines.path(), "imports \"" + shown +
                                      "\", but an import names a dictionary beside it, without "
                                      "/, \\ or a NUL byte");
  }
  const std::filesystem::path path =
      std::filesystem::weakly_canonical(lines.path().parent_path() / (name + ".dict.yaml"));
  if (std::find(reading.open.begin(), reading.open.end(), path) != reading.open.end()) {
    throw FileError(lines.path(),
                    "imports " + name + " in a circle (" + path.string() + " imports it back)");
  }
  if (reading.done.contains(path)) return;
  if (reading.open.size() >= kDeepestImport) {
    throw FileError(lines.path(), "imports " + name + ": imports chained more than " +
                                      std::to_string(kDeepestImport) + " deep");
  }
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                             std::fclose);
  if (!file) {
    throw FileError(lines.path(), "imports " + name + ", but " + path.string() +
                                      " cannot be opened: " + std::strerror(errno));
  }
  TextLines imported(file.get(), path, reading.progress);
  std::u32string line;
  if (!OpensRimeDictionary(imported, line)) {
    throw FileError(path, "is not a Rime dictionary (no YAML header)");
  }
  reading.open.push_back(path);
  ReadRime(imported, reading, excluded);
  reading.open.pop_back();
}

void ReadRime(TextLines& lines, Reading& reading, std::vector<std::string> excluded) {
  const std::size_t first_line = lines.number() + 1;
  const RimeHeader header = ReadRimeHeader(HeaderText(lines), lines.path(), first_line);
  const std::vector<std::string> columns =
      header.columns.empty() ? std::vector<std::string>{"text", "code"} : header.columns;
  for (const std::string& column : columns) {
    if (column != "text" && column != "code" && column != "weight" && column != "stem") {
      throw FileError(lines.path(), "unknown column \"" + column + "\" in the header");
    }
  }
  const auto text_column = std::find(columns.begin(), columns.end(), "text") - columns.begin();
  const auto code_column = std::find(columns.begin(), columns.end(), "code") - columns.begin();
  for (const auto column : {text_column, code_column}) {
    if (column == std::ssize(columns)) {
      throw FileError(lines.path(), std::string("the header's columns name no ") +
                                        (column == code_column ? "code" : "text"));
    }
  }
  excluded.insert(excluded.end(), header.exclude_patterns.begin(), header.exclude_patterns.end());
  const ExcludePatterns exclude(excluded, lines.path());

  std::vector<std::u32string_view> fields;
  for (std::u32string line; lines.Next(line);) {
    if (line.empty() || line.front() == U'#') continue;
    fields.clear();
    for (std::size_t start = 0, end = 0; end != std::u32string::npos; start = end + 1) {
      end = line.find(U'\t', start);
      fields.push_back(std::u32string_view(line).substr(start, end - start));
    }
    Entry entry{Field(fields, text_column), Field(fields, code_column)};
    if (entry.code.size() <= kLongestCode) entry.excluded = exclude.Match(EncodeUtf8(entry.code));
    entry.file = &lines.path();
    entry.line = lines.number();
    reading.sink(entry);
  }
  for (const std::string& name : header.import_tables) ReadImport(lines, name, reading, excluded);
  reading.done.insert(std::filesystem::weakly_canonical(lines.path()));
}

}  // namespace

bool OpensRimeDictionary(TextLines& lines, std::u32string& line) {
  while (lines.Next(line) && (line.empty() || line.front() == U'#')) {
  }
  return IsMarker(line, U"---");
}

void ReadRimeDictionary(TextLines& lines, const EntrySink& sink, Progress* progress) {
  Reading reading{sink, progress, {}, {}};
  if (lines.path() != "-") reading.open.push_back(std::filesystem::weakly_canonical(lines.path()));
  ReadRime(lines, reading, {});
}

}  // namespace pavrel
