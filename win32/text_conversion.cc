#include "win32/text_conversion.h"

#include <windows.h>

std::wstring FromUtf8(std::string_view text) {
  const int size = static_cast<int>(text.size());
  std::wstring out(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string ToUtf8(std::wstring_view text) {
  const int size = static_cast<int>(text.size());
  std::string out(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr),
                  '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), static_cast<int>(out.size()),
                      nullptr, nullptr);
  return out;
}

std::wstring ToUtf16(std::u32string_view text) {
  std::wstring out;
  for (const char32_t c : text) {
    if (c >= 0x10000 && c <= 0x10FFFF) {
      out += static_cast<wchar_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<wchar_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<wchar_t>(c <= 0xFFFF ? c : 0xFFFD);
    }
  }
  return out;
}

std::u32string FromUtf16(std::wstring_view text) {
  std::u32string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char32_t unit = text[i];
    const char32_t next = i + 1 < text.size() ? text[i + 1] : 0;
    if (unit >= 0xD800 && unit <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF) {
      out += 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00);
      ++i;
    } else {
      out += unit;
    }
  }
  return out;
}
