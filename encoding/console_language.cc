#include "encoding/console_language.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <initializer_list>

#include "encoding/gb18030.h"
#include "encoding/utf8.h"

namespace pavrel {

namespace {

// The parts of a locale name, language[_territory][.codeset][@modifier], the codeset in lower
// case without '-' and '_' ("utf8", "gb18030").
struct LocaleName {
  std::string language, territory, codeset;
  bool has_codeset = false;
};

LocaleName Parse(std::string_view name) {
  LocaleName locale;
  name = name.substr(0, name.find('@'));
  if (const std::size_t dot = name.find('.'); dot != std::string_view::npos) {
    locale.has_codeset = true;
    for (const char c : name.substr(dot + 1)) {
      if (c != '-' && c != '_') locale.codeset += static_cast<char>(std::tolower(c));
    }
    name = name.substr(0, dot);
  }
  const std::size_t underscore = std::min(name.find('_'), name.size());
  locale.language = name.substr(0, underscore);
  locale.territory = name.substr(std::min(underscore + 1, name.size()));
  return locale;
}

// The locale of `category` (LC_MESSAGES, LC_CTYPE): the first of LC_ALL, the category's own
// variable and LANG that is set and not empty.
LocaleName LocaleOf(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return Parse(value);
  }
  return {};
}

// Simplified Chinese is the written language of these; Taiwan's and Hong Kong's is not.
bool IsSimplifiedChinese(const LocaleName& locale) {
  return locale.language == "zh" &&
         (locale.territory.empty() || locale.territory == "CN" || locale.territory == "SG");
}

enum class Charset { kOther, kUtf8, kGb };

Charset CharsetOf(const LocaleName& locale) {
  if (!locale.has_codeset) return IsSimplifiedChinese(locale) ? Charset::kGb : Charset::kOther;
  if (locale.codeset == "utf8") return Charset::kUtf8;
  for (const char* gb : {"gb18030", "gbk", "gb2312", "euccn"}) {
    if (locale.codeset == gb) return Charset::kGb;
  }
  return Charset::kOther;
}

std::string ToGb18030(std::string_view utf8) {
  std::string out;
  const std::u32string text = DecodeUtf8(utf8).value_or(U"");
  for (const char32_t c : text) EncodeGb18030(c, out);
  return out;
}

}  // namespace

std::string InConsoleLanguage(std::string_view english, std::string_view chinese) {
  if (!IsSimplifiedChinese(LocaleOf("LC_MESSAGES"))) return std::string(english);
  switch (CharsetOf(LocaleOf("LC_CTYPE"))) {
    case Charset::kUtf8:
      return std::string(chinese);
    case Charset::kGb:
      return ToGb18030(chinese);
    case Charset::kOther:
      break;
  }
  return std::string(english);
}

}  // namespace pavrel
