// Conversions between the UTF-16 of Windows and the program's UTF-8 and code points.

#ifndef PAVREL_WIN32_TEXT_CONVERSION_H_
#define PAVREL_WIN32_TEXT_CONVERSION_H_

#include <string>
#include <string_view>

std::wstring FromUtf8(std::string_view text);
std::string ToUtf8(std::wstring_view text);

// A code point beyond Unicode becomes U+FFFD.
std::wstring ToUtf16(std::u32string_view text);
// A surrogate pair becomes one code point; a lone surrogate stays as it is.
std::u32string FromUtf16(std::wstring_view text);

#endif  // PAVREL_WIN32_TEXT_CONVERSION_H_
