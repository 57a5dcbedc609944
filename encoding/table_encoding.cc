#include "encoding/table_encoding.h"

#include <algorithm>
#include <utility>

#include "encoding/cp936_encoder.h"
#include "encoding/gb18030.h"
#include "encoding/utf8.h"

namespace pavrel {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
// U+FEFF in GB18030: it begins no real record, so a code page 936 table drops it as well.
constexpr std::string_view kGb18030ByteOrderMark = "\x84\x31\x95\x33";

const unsigned char* Bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

// Whether `block` is valid UTF-8 with a character of more than one byte. A valid beginning of a
// character cut by the block's end is such a character: the next block may well complete it.
bool IsUtf8Text(std::string_view block, bool whole) {
  const unsigned char* p = Bytes(block);
  const unsigned char* const end = p + block.size();
  bool multibyte = false;
  while (p != end) {
    // ASCII eight bytes at a time: most of a table is codes and line ends.
    while (end - p >= 8 && std::none_of(p, p + 8, [](unsigned char b) { return b >= 0x80; })) {
      p += 8;
    }
    if (p == end) break;
    char32_t c;
    const std::size_t width = DecodeUtf8Char(p, end, !whole, c);
    if (width == 0) return true;  // a valid beginning of several bytes, cut by the block's end
    if (c == U'\uFFFD' && !(width == 3 && p[0] == 0xEF)) return false;
    multibyte |= width > 1;
    p += width;
  }
  return multibyte;
}

}  // namespace

EncodingChoice ChooseEncoding(std::string_view block, bool whole) {
  if (block.starts_with(kUtf8ByteOrderMark)) {
    return {TableEncoding::kUtf8, kUtf8ByteOrderMark.size()};
  }
  if (IsUtf8Text(block, whole)) return {TableEncoding::kUtf8, 0};
  const bool marked = block.starts_with(kGb18030ByteOrderMark);
  return {TableEncoding::kGb18030, marked ? kGb18030ByteOrderMark.size() : 0};
}

CharDecoder DecoderOf(TableEncoding encoding) {
  return encoding == TableEncoding::kUtf8 ? DecodeUtf8Char : DecodeGb18030Char;
}

std::u32string DecodeText(TableEncoding encoding, std::string_view bytes) {
  const CharDecoder decode = DecoderOf(encoding);
  std::u32string text;
  const unsigned char* const end = Bytes(bytes) + bytes.size();
  for (const unsigned char* p = Bytes(bytes); p != end;) {
    char32_t c;
    p += decode(p, end, false, c);
    text.push_back(c);
  }
  return text;
}

std::vector<std::string> EncodingsOf(TableEncoding encoding, char32_t c) {
  std::vector<std::string> found;
  std::vector<char32_t> characters{c};
  if (const char32_t twin = TwinOf(c); twin != 0) characters.push_back(twin);
  for (const char32_t each : characters) {
    std::string bytes;
    if (encoding == TableEncoding::kUtf8) {
      if (each <= 0x10FFFF && (each < 0xD800 || each > 0xDFFF)) EncodeUtf8Char(each, bytes);
      if (!bytes.empty()) found.push_back(bytes);
      continue;
    }
    if (EncodeCp936(each, bytes)) found.push_back(std::exchange(bytes, {}));
    if (EncodeGb18030Four(each, bytes)) found.push_back(bytes);
  }
  return found;
}

}  // namespace pavrel
