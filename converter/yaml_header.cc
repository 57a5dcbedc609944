#include "converter/yaml_header.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace pavrel {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Calls `at(i, quoted)` for each position of `s`, telling whether it lies inside quotes; stops
// when `at` returns true and returns that position, or the size of `s`.
template <typename At>
std::size_t Scan(std::string_view s, At at) {
  char quote = 0;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!quote && at(i)) return i;
    if (quote == '"' && s[i] == '\\') {
      ++i;
    } else if (quote && s[i] == quote) {
      quote = 0;
    } else if (!quote && (s[i] == '"' || s[i] == '\'') &&
               (i == 0 || !std::isalnum(static_cast<unsigned char>(s[i - 1])))) {
      quote = s[i];
    }
  }
  return s.size();
}

// The line without its comment: a '#' at its start or after a blank, outside quotes.
std::string_view WithoutComment(std::string_view line) {
  return line.substr(0, Scan(line, [&](std::size_t i) {
                       return line[i] == '#' && (i == 0 || IsBlank(line[i - 1]));
                     }));
}

// A plain, single-quoted or double-quoted scalar.
std::string Scalar(std::string_view s) {
  s = Trim(s);
  if (s.size() < 2 || (s.front() != '\'' && s.front() != '"') || s.back() != s.front()) {
    return std::string(s);
  }
  const char quote = s.front();
  s = s.substr(1, s.size() - 2);
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (quote == '\'' && s[i] == '\'' && i + 1 < s.size() && s[i + 1] == '\'') {
      out += s[++i];
    } else if (quote == '"' && s[i] == '\\' && i + 1 < s.size()) {
      const char c = s[++i];
      out += c == 'n' ? '\n' : c == 't' ? '\t' : c;
    } else {
      out += s[i];
    }
  }
  return out;
}

// The items of a flow list "[a, 'b', c]".
std::vector<std::string> FlowList(std::string_view s) {
  s = Trim(s);
  s.remove_prefix(1);
  if (s.ends_with(']')) s.remove_suffix(1);
  std::vector<std::string> items;
  while (!Trim(s).empty()) {
    const std::size_t comma = Scan(s, [&](std::size_t i) { return s[i] == ','; });
    if (!Trim(s.substr(0, comma)).empty()) items.push_back(Scalar(s.substr(0, comma)));
    s.remove_prefix(std::min(s.size(), comma + 1));
  }
  return items;
}

// Whether the brackets of a flow list that starts `s` are all closed.
bool IsClosed(std::string_view s) {
  int depth = 0;
  Scan(s, [&](std::size_t i) {
    depth += s[i] == '[' ? 1 : s[i] == ']' ? -1 : 0;
    return false;
  });
  return depth <= 0;
}

// One key of the mapping being read.
struct Key {
  std::size_t indent;
  std::string name;
  bool open;  // it has no value on its own line, so a list may follow at its own indentation
};

std::string PathOf(const std::vector<Key>& keys) {
  std::string path;
  for (const Key& key : keys) path += (path.empty() ? "" : ".") + key.name;
  return path;
}

}  // namespace

YamlValues ReadYamlHeader(const std::vector<std::string>& lines) {
  YamlValues values;
  std::vector<Key> keys;
  for (std::size_t n = 0; n < lines.size(); ++n) {
    std::string text(WithoutComment(lines[n]));
    const std::size_t indent = text.find_first_not_of(" \t");
    if (indent == std::string::npos) continue;
    std::string_view rest = Trim(std::string_view(text).substr(indent));
    const bool item = rest == "-" || rest.starts_with("- ");
    while (!keys.empty() && (keys.back().indent > indent ||
                             (keys.back().indent == indent && !(item && keys.back().open)))) {
      keys.pop_back();
    }
    std::size_t at = indent;
    if (item) {
      rest = Trim(rest.substr(1));
      at = text.size() - rest.size();
      if (rest.empty()) continue;
    }
    // A key, unless the line is a list's scalar item.
    const std::size_t colon = Scan(rest, [&](std::size_t i) {
      return rest[i] == ':' && (i + 1 == rest.size() || IsBlank(rest[i + 1]));
    });
    if (item && colon == rest.size()) {
      values[PathOf(keys)].push_back(rest.starts_with('[') ? "" : Scalar(rest));
      continue;
    }
    if (item) keys.push_back({at - 1, "-", false});  // a list of mappings: no values are read
    std::string value(Trim(rest.substr(std::min(rest.size(), colon + 1))));
    keys.push_back({at, Scalar(rest.substr(0, colon)), value.empty()});
    std::vector<std::string>& list = values[PathOf(keys)];
    if (value.starts_with('[')) {
      while (!IsClosed(value) && n + 1 < lines.size())
        value += " " + std::string(WithoutComment(lines[++n]));
      list = FlowList(value);
    } else if (!value.empty()) {
      list = {Scalar(value)};
    }
  }
  return values;
}

}  // namespace pavrel
