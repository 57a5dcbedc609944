// The language of a command-line program's help: Simplified Chinese when the locale's messages
// are Chinese, English otherwise, in the bytes that the locale's character set wants.
//
// The locale is read from its variables by name, as POSIX orders them (LC_ALL, then the
// category's own variable, then LANG), not through setlocale: a Chinese user whose zh_CN.UTF-8
// is not generated on this machine still gets Chinese, in UTF-8 as the name says.

#ifndef PAVREL_ENCODING_CONSOLE_LANGUAGE_H_
#define PAVREL_ENCODING_CONSOLE_LANGUAGE_H_

#include <string>
#include <string_view>

namespace pavrel {

// `chinese` (UTF-8) when LC_MESSAGES is a Chinese locale of the mainland or Singapore (zh,
// zh_CN, zh_SG, with any character set) and LC_CTYPE's character set can hold it, else
// `english`. Chinese goes out in UTF-8, or in GB18030 for a GB character set (GB2312, GBK,
// GB18030, or none named for zh_CN and zh_SG, which glibc then reads as GB2312).
std::string InConsoleLanguage(std::string_view english, std::string_view chinese);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_CONSOLE_LANGUAGE_H_
