#include "lookup/cp936.h"

#include <string>

#include "gtest/gtest.h"

namespace pavrel {
namespace {

struct DecodeCase {
  const char* what;
  std::string bytes;
  std::u32string text;
};

// Values pinned against Windows' own mapping of code page 936.
const DecodeCase kDecodeCases[] = {
    {"ASCII", "a,\"\r\n ~", U"a,\"\r\n ~"},
    {"NUL and the end-of-file marker are ordinary", std::string("\0\x1A", 2),
     std::u32string(U"\0\x1A", 2)},
    {"0x80 is the euro sign", "\x80", U"€"},
    {"a common character", "\xD7\xD6", U"字"},
    {"trail byte 0x80", "\x81\x80", U"\u4E90"},
    {"user-defined area AAA1", "\xAA\xA1", U"\uE000"},
    {"last pair of the table", "\xFE\xFE", U"\uE4C5"},
    {"row that Windows maps to private use", "\xFE\x50", U"\uE815"},
    {"0xFF starts nothing", "\xFF", U"\uFFFD"},
    {"lead byte keeps the comma after it", "\x81,", U"\uFFFD,"},
    {"0x7F is not a trail byte", "\x81\x7F", U"\uFFFD\u007F"},
    {"lead byte before a lead byte", "\x81\xD7\xD6", U"\u4F54\uFFFD"},
};

TEST(Cp936Test, DecodesAsWindowsDoes) {
  for (const DecodeCase& c : kDecodeCases) {
    EXPECT_EQ(DecodeCp936(c.bytes), c.text) << c.what;
  }
}

}  // namespace
}  // namespace pavrel
