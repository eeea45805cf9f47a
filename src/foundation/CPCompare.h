// How the system compares names: equality with two switches (letter case,
// diacritical marks) and the order of a French reader, both on MacRoman text.
// Built on ICU's French collator; nothing here fails (a collator that cannot be
// opened falls back to comparing bytes).
#ifndef VYX_FOUNDATION_CPCOMPARE_H_
#define VYX_FOUNDATION_CPCOMPARE_H_

#include <string_view>

#include "platform/CPMacTypes.h"

// True when the two texts are the same name. Without `caseSensitive`, "loyer"
// equals "Loyer"; without `diacSensitive`, "Eté" equals "Ete". With both
// switches on, only identical bytes are equal.
bool CPEqualString(std::string_view a, std::string_view b, bool caseSensitive,
                   bool diacSensitive);
bool CPEqualString(ConstStringPtr a, ConstStringPtr b, bool caseSensitive, bool diacSensitive);

// Negative, zero or positive as `a` sorts before, with or after `b` for a French
// reader: letters before their accented forms, lower case before upper case,
// "é" between "e" and "f".
int CPCompareString(std::string_view a, std::string_view b);
int CPCompareString(ConstStringPtr a, ConstStringPtr b);

#endif  // VYX_FOUNDATION_CPCOMPARE_H_
