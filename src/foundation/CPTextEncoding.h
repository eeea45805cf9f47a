// Conversions between the character sets that stored data and the outside world
// use: MacRoman (everything inside vyx), Windows-1252, UTF-8 and UTF-16 (host
// order). Built on ICU. A character that the target set cannot hold is never
// replaced silently: the strict conversions fail and say which character.
#ifndef VYX_FOUNDATION_CPTEXTENCODING_H_
#define VYX_FOUNDATION_CPTEXTENCODING_H_

#include <string>
#include <string_view>

// String encodings, numbered as in CPDataEncoding.
enum CPStringEncoding : uint8_t {
  kCPMacRoman = 1,
  kCPWindowsLatin1 = 2,  // code page 1252
  kCPUTF8 = 3,
  kCPUnicode = 4,  // UTF-16 in host byte order
};

// Every MacRoman byte has a Unicode character, so this never fails.
std::string MacRomanToUtf8(std::string_view macRoman);
// Text typed or read in UTF-8 is first composed (Unicode NFC): a letter and its
// accent written as two characters (as some systems write file names) are the
// one MacRoman character they stand for.
// Throws CPException kCPErrTextNotMacRoman (naming the first offending character)
// when the text holds a character MacRoman lacks, or kCPErrBadText when it is not UTF-8.
std::string Utf8ToMacRoman(std::string_view utf8);
// The same, answering false instead; `offending` receives the first character
// that could not be converted, in UTF-8.
bool TryUtf8ToMacRoman(std::string_view utf8, std::string* out, std::string* offending);

// `utf8` composed (NFC); as it is when it is not UTF-8.
std::string CPComposeUtf8(std::string_view utf8);

// A character named for a message: "U+2212 MINUS SIGN" (its Unicode name
// when it has one). `utf8Char` holds one character in UTF-8.
std::string CPCharName(std::string_view utf8Char);

// UTF-8 text (a path, what a user typed) to show in a MacRoman message:
// composed, each character MacRoman lacks and each control character written
// as its code ("<U+2212>"), never replaced by "?" nor refused.
std::string CPShownText(std::string_view utf8);

// Converts between any two string encodings. Strict: throws as Utf8ToMacRoman
// does when the target set lacks a character (0x81 and a few other 1252 holes
// are refused as text that is not valid in its encoding).
std::string CPConvertText(std::string_view text, CPStringEncoding from, CPStringEncoding to);
// Lenient variant for readers of foreign files: characters the target lacks
// become '?' and the conversion says so through `lossy`.
std::string CPConvertTextLenient(std::string_view text, CPStringEncoding from,
                                 CPStringEncoding to, bool* lossy);

#endif  // VYX_FOUNDATION_CPTEXTENCODING_H_
