// Encoding of characters into Windows code page 936, the encoding of the lookup table.
//
// The encoder is the inverse of the decoder in lookup/cp936.h and is built from the same table,
// so every character the decoder produces (U+FFFD aside) encodes back to the bytes it came from.

#ifndef PAVREL_ENCODING_CP936_ENCODER_H_
#define PAVREL_ENCODING_CP936_ENCODER_H_

#include <string>

namespace pavrel {

// Appends the code page 936 bytes of `c` to `out` and returns true; returns false and leaves
// `out` alone when code page 936 has no bytes for `c`.
bool EncodeCp936(char32_t c, std::string& out);

}  // namespace pavrel

#endif  // PAVREL_ENCODING_CP936_ENCODER_H_
