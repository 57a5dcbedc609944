// The encodings a table may be in, and the choice of one, made once per table.
//
// A table that begins with a byte order mark is in the encoding it marks: UTF-8 (EF BB BF),
// UTF-16 little-endian (FF FE) or big-endian (FE FF), or code page 936 with GB18030's four-byte
// sequences (gb18030.h) (84 31 95 33); the mark is no part of its first record. Any other table
// is told by its first byte past ASCII, wherever it falls, since up to there both readings agree:
// its first characters past ASCII from there decide (kEncodingSequences of them, within
// kEncodingSample bytes). They make the table UTF-8 when they hold characters of several bytes
// that are valid in UTF-8, at least two for every invalid sequence; otherwise it is code page
// 936. Chinese text in code page 936 stays valid UTF-8 only by chance and
// only for a few characters (摹 C4 A1, for one), so it is not taken for UTF-8; and a stray byte in
// a UTF-8 table costs only its own record, where it decodes to U+FFFD.
//
// UTF-16 tables are converted to UTF-8 as they are read (utf16.h) and read as UTF-8 from then on:
// in UTF-8 and code page 936 a comma, double quote, space, CR or LF byte is never part of a longer
// character, so records are cut over bytes whichever it is.

#ifndef PAVREL_ENCODING_TABLE_ENCODING_H_
#define PAVREL_ENCODING_TABLE_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

enum class TableEncoding { kGb18030, kUtf8 };

// A byte order mark, and how many bytes it takes.
struct ByteOrderMark {
  enum Kind { kNone, kUtf8, kGb18030, kUtf16Le, kUtf16Be } kind;
  std::size_t length;
};

// The byte order mark at the start of a table whose first bytes (four, or all it has) are
// `start`.
ByteOrderMark FindByteOrderMark(std::string_view start);

// How many bytes from a table's first byte past ASCII may choose its encoding: the first
// kEncodingSequences characters past ASCII in them do.
constexpr std::size_t kEncodingSample = 64 * 1024;
constexpr int kEncodingSequences = 16;

// Chooses the encoding of a table without a byte order mark from `sample`: its bytes from its
// first byte past ASCII on, kEncodingSample of them or, when `whole`, all up to its end.
TableEncoding GuessEncoding(std::string_view sample, bool whole);

// The encoding of a whole table held in memory, which is not UTF-16, and the length of its byte
// order mark.
struct EncodingChoice {
  TableEncoding encoding;
  std::size_t byte_order_mark;  // the bytes of the byte order mark to skip, 0 without one
};
EncodingChoice ChooseEncoding(std::string_view table);

// Decodes the character at the start of [p, end), p != end, into `c` and returns its width in
// bytes; returns 0 when [p, end) is only the start of a character and `more` bytes follow it.
// Code page 936's private use twins decode to their standard characters (gb18030.h), which every
// font draws.
using CharDecoder = std::size_t (*)(const unsigned char* p, const unsigned char* end, bool more,
                                    char32_t& c);
CharDecoder DecoderOf(TableEncoding encoding);

// Decodes a whole byte string.
std::u32string DecodeText(TableEncoding encoding, std::string_view bytes);

// Every byte sequence that decodes to `c` or to its twin (gb18030.h) in `encoding`: none for a
// character that no table of it holds, at most four.
std::vector<std::string> EncodingsOf(TableEncoding encoding, char32_t c);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_TABLE_ENCODING_H_
