// The platform's elementary types, as the rest of vyx names them: length-prefixed
// MacRoman strings, four-character codes, system error codes and dates.
#ifndef VYX_PLATFORM_CPMACTYPES_H_
#define VYX_PLATFORM_CPMACTYPES_H_

#include <cstdint>

using OSErr = int16_t;
using OSType = uint32_t;
using ResType = OSType;
using CPDate = uint32_t;  // seconds since 1 January 1904, local time; 0 = no date
using CPResID = int16_t;

// A length byte followed by up to N bytes of MacRoman text, no terminating zero.
using Str255 = unsigned char[256];
using Str99 = unsigned char[100];
using Str63 = unsigned char[64];
using Str31 = unsigned char[32];
using Str27 = unsigned char[28];
using Str15 = unsigned char[16];
using Str12 = unsigned char[13];
using Str7 = unsigned char[8];
using Str5 = unsigned char[6];
using StringPtr = unsigned char*;
using ConstStringPtr = const unsigned char*;

// Four characters of text order packed most significant first: CPFourCC("CPTE")
// equals the literal 'CPTE'.
constexpr OSType CPFourCC(const char (&s)[5]) {
  return (OSType(uint8_t(s[0])) << 24) | (OSType(uint8_t(s[1])) << 16) |
         (OSType(uint8_t(s[2])) << 8) | OSType(uint8_t(s[3]));
}

// Seconds from 1 January 1904 to 1 January 1970.
constexpr uint32_t kCPSecondsFrom1904To1970 = 2082844800u;

#endif  // VYX_PLATFORM_CPMACTYPES_H_
