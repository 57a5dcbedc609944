// The encodings a table may be in, and the choice of one, made once per table from its first
// block (what the reader's first read brings in).
//
// A table is UTF-8 when it begins with the UTF-8 byte order mark, which is then no part of its
// first record, or when its first block is valid UTF-8 (a valid beginning of a character cut by
// the block's end counts, as a character of several bytes) and holds at least one character of
// more than one byte. Any other table is code page 936 with GB18030's four-byte sequences
// (gb18030.h), whose byte order mark (84 31 95 33) is skipped as well. Without a mark, a UTF-8
// table whose first block is all ASCII or holds an invalid sequence is taken for code page 936;
// and as Chinese text in code page 936 stays valid UTF-8 only by chance and only for a few
// characters, the rule takes for UTF-8 only a code page 936 table whose whole first block is
// ASCII and such characters (摹 C4 A1, for one).
//
// In both encodings a comma, double quote, space, CR or LF byte is never part of a longer
// character, so records are cut over bytes whichever it is.

#ifndef PAVREL_ENCODING_TABLE_ENCODING_H_
#define PAVREL_ENCODING_TABLE_ENCODING_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pavrel {

enum class TableEncoding { kGb18030, kUtf8 };

struct EncodingChoice {
  TableEncoding encoding;
  std::size_t byte_order_mark;  // the bytes of the byte order mark to skip, 0 without one
};

// Chooses the encoding of a table whose first block is `block`; `whole` when the block is the
// whole file.
EncodingChoice ChooseEncoding(std::string_view block, bool whole);

// Decodes the character at the start of [p, end), p != end, into `c` and returns its width in
// bytes; returns 0 when [p, end) is only the start of a character and `more` bytes follow it.
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
