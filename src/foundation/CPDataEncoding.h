// How stored data was written: byte order, character set and date epoch. Every
// stored structure is converted with its Encode / Decode from and to the host's
// form using these helpers.
#ifndef VYX_FOUNDATION_CPDATAENCODING_H_
#define VYX_FOUNDATION_CPDATAENCODING_H_

#include <bit>
#include <cstdint>
#include <cstring>

#include "foundation/CPTextEncoding.h"
#include "platform/CPMacTypes.h"

constexpr uint8_t kCPLittleEndian = 1;
constexpr uint8_t kCPBigEndian = 2;
constexpr uint8_t kCPDates1904 = 1;
constexpr uint8_t kCPDates1970 = 2;

struct CPDataEncoding {
  uint8_t integerEncoding = kCPLittleEndian;
  uint8_t stringEncoding = kCPMacRoman;
  uint8_t dateEncoding = kCPDates1904;

  bool operator==(const CPDataEncoding&) const = default;
};

constexpr CPDataEncoding CPMacIntelEncoding{kCPLittleEndian, kCPMacRoman, kCPDates1904};
constexpr CPDataEncoding CPMacPowerPCEncoding{kCPBigEndian, kCPMacRoman, kCPDates1904};
constexpr CPDataEncoding CPWindowsEncoding{kCPLittleEndian, kCPWindowsLatin1, kCPDates1970};
// The form data takes in this process's memory.
constexpr CPDataEncoding CPHostEncoding{
    std::endian::native == std::endian::little ? kCPLittleEndian : kCPBigEndian, kCPMacRoman,
    kCPDates1904};

// True when integers written with `e` must be swapped to be read here (an order
// of 0 counts as little-endian).
constexpr bool CPNeedByteSwapping(const CPDataEncoding& e) {
  uint8_t order = e.integerEncoding == 0 ? kCPLittleEndian : e.integerEncoding;
  return order != CPHostEncoding.integerEncoding;
}

inline uint16_t CPSwap16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
inline uint32_t CPSwap32(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t CPSwap64(uint64_t v) { return __builtin_bswap64(v); }

// Swaps a field in place, whatever its integral or floating type.
template <typename T>
inline void CPSwapField(T& field) {
  static_assert(sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);
  if constexpr (sizeof(T) == 2) {
    uint16_t v;
    std::memcpy(&v, &field, 2);
    v = CPSwap16(v);
    std::memcpy(&field, &v, 2);
  } else if constexpr (sizeof(T) == 4) {
    uint32_t v;
    std::memcpy(&v, &field, 4);
    v = CPSwap32(v);
    std::memcpy(&field, &v, 4);
  } else if constexpr (sizeof(T) == 8) {
    uint64_t v;
    std::memcpy(&v, &field, 8);
    v = CPSwap64(v);
    std::memcpy(&field, &v, 8);
  }
}

// Four-character codes are stored as their four characters in text order,
// whatever the byte order of the rest: these convert between that stored form
// and the host's 32-bit value.
inline OSType CPCodeFromStored(OSType stored) {
  if constexpr (std::endian::native == std::endian::little) return CPSwap32(stored);
  return stored;
}
inline OSType CPCodeToStored(OSType code) { return CPCodeFromStored(code); }
// The code read from four bytes in text order, and written to them.
inline OSType CPReadCode(const void* p) {
  const auto* b = static_cast<const unsigned char*>(p);
  return (OSType(b[0]) << 24) | (OSType(b[1]) << 16) | (OSType(b[2]) << 8) | b[3];
}
inline void CPWriteCode(void* p, OSType code) {
  auto* b = static_cast<unsigned char*>(p);
  b[0] = uint8_t(code >> 24);
  b[1] = uint8_t(code >> 16);
  b[2] = uint8_t(code >> 8);
  b[3] = uint8_t(code);
}

// Dates between the 1904 count and the epoch of `to` / `from`; 0 stays 0.
// Inline, like the string conversion's test below: every stored record goes
// through them, nearly always with nothing to change.
inline CPDate CPDecodeDate(CPDate date, const CPDataEncoding& e) {  // to the 1904 count
  if (date == 0 || e.dateEncoding != kCPDates1970) return date;
  return date + kCPSecondsFrom1904To1970;
}
inline CPDate CPEncodeDate(CPDate date, const CPDataEncoding& to) {  // from the 1904 count
  if (date == 0 || to.dateEncoding != kCPDates1970) return date;
  return date - kCPSecondsFrom1904To1970;
}
inline CPDate CPEncodeDate(CPDate date, const CPDataEncoding& from, const CPDataEncoding& to) {
  return CPEncodeDate(CPDecodeDate(date, from), to);
}

// Text of a length-prefixed field between two string encodings, in place, cut
// to `capacity` bytes (the field's capacity without its length byte). Characters
// the target lacks become '?' (stored files must still load); equal encodings
// leave the text unchanged.
// The conversion itself, when the encodings differ and the text is not empty.
void CPConvertStoredString(StringPtr str, int capacity, uint8_t from, uint8_t to);
inline void CPEncodeString(StringPtr str, int capacity, uint8_t from, uint8_t to) {
  if (from == to || from == 0 || to == 0 || str[0] == 0) return;
  CPConvertStoredString(str, capacity, from, to);
}
inline void CPDecodeString(StringPtr str, int capacity, const CPDataEncoding& e) {
  CPEncodeString(str, capacity, e.stringEncoding, kCPMacRoman);
}
unsigned char CPEncodeChar(unsigned char ch, uint8_t from, uint8_t to);
inline unsigned char CPDecodeChar(unsigned char ch, const CPDataEncoding& e) {
  return CPEncodeChar(ch, e.stringEncoding, kCPMacRoman);
}

#endif  // VYX_FOUNDATION_CPDATAENCODING_H_
