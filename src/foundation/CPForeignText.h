// Text of files written elsewhere (bank statements, other programs' exports),
// brought into MacRoman one line at a time. These conversions are lenient,
// unlike CPTextEncoding's: a foreign file's character that MacRoman lacks
// becomes '?' and the caller is told, so that it can say so to the user
// rather than refuse a whole statement for one symbol. ASCII, by far the
// most common, is copied as it is.
#ifndef VYX_FOUNDATION_CPFOREIGNTEXT_H_
#define VYX_FOUNDATION_CPFOREIGNTEXT_H_

#include <string>
#include <string_view>

#include "foundation/CPTextEncoding.h"

// Bytes that a text in a single-byte set rarely holds but UTF-8 holds for
// the accented letters and signs of Western languages (0xC2, 0xC3, 0xE0,
// 0xE2): their presence makes a line be read as UTF-8.
bool IsUTF8String(std::string_view text);
// How many bytes at the start of `text` are ASCII (all of them for a plain
// line).
size_t CPASCIIPrefix(std::string_view text);
// The whole text is valid UTF-8 and holds at least one character beyond ASCII.
bool CPIsNonASCIIUTF8(std::string_view text);

// `text` in `from` (MacRoman, Windows-1252 or UTF-8) written into `out` in
// MacRoman. Answers false when a character had to be replaced by '?' (or,
// in UTF-8, a byte sequence that is not UTF-8).
bool CPForeignToMacRoman(std::string_view text, CPStringEncoding from, std::string* out);

#endif  // VYX_FOUNDATION_CPFOREIGNTEXT_H_
