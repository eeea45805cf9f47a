// Small text helpers that the script commands share: comparisons that ignore
// letter case and accents, decimal numbers read leniently, the 255-byte cut of
// script texts, and the names that stand for secrets. Texts are MacRoman.
#ifndef VYX_ONLINE_CPSCRIPTTEXT_H_
#define VYX_ONLINE_CPSCRIPTTEXT_H_

#include <string>
#include <string_view>

constexpr size_t kCPScriptTextMax = 255;

// `text` cut to 255 bytes.
std::string CPScriptCut(std::string_view text);

// Lower case, without diacritical marks (in UTF-8): what two texts are
// compared on when case and accents do not count.
std::string CPScriptFold(std::string_view macRoman);

// Leading blanks, a sign and decimal digits; what follows is ignored, and no
// digit reads as 0.
long CPScriptLong(std::string_view text);

// Whether a variable, option or form field of this name holds a secret (a
// password, a PIN, a secret code), which must never reach a log or a file.
bool CPScriptIsSecretName(std::string_view name);

// Whether a parameter of this name holds the user's login at the bank (an
// identifier, a customer number), under which a kept password is filed.
bool CPScriptIsLoginName(std::string_view name);

// A script's bytes in MacRoman: a script written in UTF-8 (as editors write
// today) is converted, a character MacRoman lacks becoming '?'; other bytes
// are taken as MacRoman already.
std::string CPScriptSourceToMacRoman(const std::string& bytes);

// Whether `a` and `b` are the same name, case ignored (ASCII letters).
bool CPScriptSameName(std::string_view a, std::string_view b);

#endif  // VYX_ONLINE_CPSCRIPTTEXT_H_
