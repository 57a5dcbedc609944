// The help of pavrel-table, in English or, under a Chinese locale, in Simplified Chinese.

#ifndef PAVREL_CONVERTER_USAGE_H_
#define PAVREL_CONVERTER_USAGE_H_

#include <cstddef>
#include <string>

namespace pavrel {

// How many entries left out --verbose lists (the help says so).
constexpr std::size_t kListedLeftOut = 10;

// The help in the locale's language and character set (see encoding/console_language.h).
std::string Usage();

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_USAGE_H_
