// Scrambling of passwords kept in files, so that they do not show as plain
// text in a dump. It is not encryption: anyone with this code undoes it.
// Version 0 is the text as it is; version 1 adds to each byte a value drawn
// from its position (a simple linear sequence), and its length byte is kept.
#ifndef VYX_ACCOUNTS_CPCRYPTSTRING_H_
#define VYX_ACCOUNTS_CPCRYPTSTRING_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

constexpr uint8_t CPCryptStringVersion = 1;

// Scrambles `str` in place with `version`; false (str untouched) for an
// unknown version.
bool CPCryptString(StringPtr str, uint8_t version = CPCryptStringVersion);
// Undoes CPCryptString of the same version; false (str untouched) for an
// unknown version.
bool CPDecryptString(StringPtr str, uint8_t version);

#endif  // VYX_ACCOUNTS_CPCRYPTSTRING_H_
