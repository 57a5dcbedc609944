// Strict decoding of UTF-8 (overlong forms, surrogates, values above U+10FFFF and cut sequences
// are all invalid), and the encoding back for messages.

#ifndef PAVREL_CONVERTER_UTF8_H_
#define PAVREL_CONVERTER_UTF8_H_

#include <optional>
#include <string>
#include <string_view>

namespace pavrel {

// Returns the characters of `bytes`, or nothing when `bytes` is not valid UTF-8.
std::optional<std::u32string> DecodeUtf8(std::string_view bytes);
// The same into `text`, which it replaces; false for invalid UTF-8.
bool DecodeUtf8(std::string_view bytes, std::u32string& text);

// Whether `bytes` is valid UTF-8; quicker than decoding it.
bool IsUtf8(std::string_view bytes);

// The UTF-8 bytes of `text`.
std::string EncodeUtf8(std::u32string_view text);

}  // namespace pavrel

#endif  // PAVREL_CONVERTER_UTF8_H_
