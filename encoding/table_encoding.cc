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

// Code page 936 with four-byte sequences, its private use twins decoded to the standard ones.
std::size_t DecodeGb18030Standard(const unsigned char* p, const unsigned char* end, bool more,
                                  char32_t& c) {
  const std::size_t width = DecodeGb18030Char(p, end, more, c);
  c = FoldPrivateUse(c);
  return width;
}

}  // namespace

ByteOrderMark FindByteOrderMark(std::string_view start) {
  ByteOrderMark mark{ByteOrderMark::kNone, 0};
  if (start.starts_with(kUtf8ByteOrderMark)) mark = {ByteOrderMark::kUtf8, 3};
  if (start.starts_with(kGb18030ByteOrderMark)) mark = {ByteOrderMark::kGb18030, 4};
  if (start.starts_with("\xFF\xFE")) mark = {ByteOrderMark::kUtf16Le, 2};
  if (start.starts_with("\xFE\xFF")) mark = {ByteOrderMark::kUtf16Be, 2};
  // A marked text converted with its mark, as iconv does, begins with the mark twice.
  if (mark.length != 0 && start.substr(mark.length).starts_with(start.substr(0, mark.length))) {
    mark.length *= 2;
  }
  return mark;
}

TableEncoding GuessEncoding(std::string_view sample, bool whole) {
  const unsigned char* p = Bytes(sample);
  const unsigned char* const end = p + sample.size();
  int valid = 0, invalid = 0;
  while (p != end && valid + invalid < kEncodingSequences) {
    // ASCII eight bytes at a time: most of a table is codes and line ends.
    while (end - p >= 8 && std::none_of(p, p + 8, [](unsigned char b) { return b >= 0x80; })) {
      p += 8;
    }
    if (p == end) break;
    char32_t c;
    const std::size_t width = DecodeUtf8Char(p, end, !whole, c);
    if (width == 0) break;  // a character cut by the sample's end
    // U+FFFD is written as EF BF BD; any other decodes from an invalid sequence.
    if (c == U'\uFFFD' && !(width == 3 && p[0] == 0xEF)) {
      ++invalid;
    } else if (width > 1) {
      ++valid;
    }
    p += width;
  }
  return valid > 0 && valid >= 2 * invalid ? TableEncoding::kUtf8 : TableEncoding::kGb18030;
}

EncodingChoice ChooseEncoding(std::string_view table) {
  const ByteOrderMark mark = FindByteOrderMark(table);
  if (mark.kind == ByteOrderMark::kUtf8) return {TableEncoding::kUtf8, mark.length};
  if (mark.kind == ByteOrderMark::kGb18030) return {TableEncoding::kGb18030, mark.length};
  const auto first = std::ranges::find_if(table, [](char b) { return (b & 0x80) != 0; });
  const std::string_view sample = table.substr(first - table.begin(), kEncodingSample);
  return {GuessEncoding(sample, sample.size() < kEncodingSample), 0};
}

CharDecoder DecoderOf(TableEncoding encoding) {
  return encoding == TableEncoding::kUtf8 ? DecodeUtf8Char : DecodeGb18030Standard;
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
