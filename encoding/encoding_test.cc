// The table's encoders and decoders against glibc's iconv, an implementation of their own.

#include <iconv.h>

#include <string>

#include "encoding/gb18030.h"
#include "encoding/table_encoding.h"
#include "encoding/utf8.h"
#include "gtest/gtest.h"

namespace pavrel {
namespace {

std::u32string Folded(std::u32string text) {
  for (char32_t& c : text) c = FoldPrivateUse(c);
  return text;
}

// `bytes` decoded by iconv from `encoding`, twins folded; empty if iconv rejects them.
std::u32string FoldedIconv(const char* encoding, std::string bytes) {
  const iconv_t convert = iconv_open("UTF-32LE", encoding);
  std::u32string out(bytes.size(), 0);
  char *in = bytes.data(), *to = reinterpret_cast<char*>(out.data());
  std::size_t in_left = bytes.size(), out_left = out.size() * 4;
  const bool ok = iconv(convert, &in, &in_left, &to, &out_left) != static_cast<std::size_t>(-1);
  iconv_close(convert);
  out.resize(ok && in_left == 0 ? out.size() - out_left / 4 : 0);
  return Folded(out);
}

// Every character of the Basic Multilingual Plane and every 7th beyond: our GB18030 and UTF-8
// bytes decode to it (or its twin) with our decoders and with iconv, so every pair and
// four-byte sequence we write decodes as iconv decodes it (compared whole, not to print a
// million characters). The euro sign is left out: its byte 0x80 is code page 936's alone.
TEST(EncodingTest, EveryCharacterEncodesAndDecodesAsIconvDoes) {
  std::string gb18030, utf8;
  std::u32string characters;
  for (char32_t c = 0; c <= 0x10FFFF; c += c < 0x10000 ? 1 : 7) {
    if ((c >= 0xD800 && c <= 0xDFFF) || c == U'€') continue;
    characters += FoldPrivateUse(c);
    ASSERT_TRUE(EncodeGb18030(c, gb18030)) << static_cast<unsigned>(c);
    EncodeUtf8Char(c, utf8);
  }
  EXPECT_TRUE(Folded(DecodeText(TableEncoding::kGb18030, gb18030)) == characters);
  EXPECT_TRUE(FoldedIconv("GB18030", gb18030) == characters);
  EXPECT_TRUE(Folded(DecodeText(TableEncoding::kUtf8, utf8)) == characters);
  EXPECT_TRUE(FoldedIconv("UTF-8", utf8) == characters);
}

}  // namespace
}  // namespace pavrel
