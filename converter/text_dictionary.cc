#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>

#include "converter/convert_error.h"
#include "converter/dictionary.h"
#include "converter/utf8.h"

namespace pavrel {
namespace {

// The part of the file being read.
enum class Part { kStart, kRimeHeader, kRimeEntries, kListEntries };

bool IsBlank(char32_t c) { return c == U'\t' || c == U' '; }

}  // namespace

void ReadTextDictionary(std::FILE* file, const std::filesystem::path& path, const EntrySink& sink) {
  Part part = Part::kStart;
  std::size_t header_start = 0;
  char* buffer = nullptr;
  std::size_t capacity = 0;
  const std::unique_ptr<char*, void (*)(char**)> free_buffer(&buffer,
                                                             [](char** b) { std::free(*b); });
  for (std::size_t number = 1;; ++number) {
    const ssize_t length = getline(&buffer, &capacity, file);
    if (length < 0) break;
    std::string_view line(buffer, static_cast<std::size_t>(length));
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (number == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);

    if (part == Part::kRimeHeader) {
      if (line == "...") part = Part::kRimeEntries;
      continue;
    }
    if (line.empty() || line.front() == '#') continue;
    if (part == Part::kStart) {
      if (line == "---") {
        part = Part::kRimeHeader;
        header_start = number;
        continue;
      }
      part = Part::kListEntries;
    }

    const std::optional<std::u32string> decoded = DecodeUtf8(line);
    if (!decoded) throw LineError(path, number, "invalid UTF-8");
    const std::u32string_view entry = *decoded;
    if (part == Part::kRimeEntries) {
      const std::u32string_view text = entry.substr(0, entry.find(U'\t'));
      const std::u32string_view rest = entry.substr(std::min(entry.size(), text.size() + 1));
      sink(text, rest.substr(0, rest.find(U'\t')));
    } else {
      const auto text_end = std::find_if(entry.begin(), entry.end(), IsBlank);
      const auto code_start = std::find_if_not(text_end, entry.end(), IsBlank);
      if (code_start == entry.end()) throw LineError(path, number, "no code after the text");
      sink(std::u32string_view(entry.begin(), text_end),
           std::u32string_view(code_start, entry.end()));
    }
  }
  if (std::ferror(file)) throw FileError(path, std::string("cannot read: ") + std::strerror(errno));
  if (part == Part::kRimeHeader) {
    throw LineError(path, header_start,
                    "the YAML header that starts here never ends (no line \"...\")");
  }
}

}  // namespace pavrel
