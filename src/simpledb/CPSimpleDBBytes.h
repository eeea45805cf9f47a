// 32-bit fields of stored structures in either byte order, for the codecs of
// the event log, the share file and the index and resource records.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBBYTES_H_
#define VYX_SIMPLEDB_CPSIMPLEDBBYTES_H_

#include <cstdint>
#include <cstring>

#include "foundation/CPDataEncoding.h"
#include "simpledb/CPSimpleDBFormat.h"

inline uint32_t CPSDBGet32(const unsigned char* p, bool bigEndian) {
  if (bigEndian)
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

inline void CPSDBPut32(unsigned char* p, uint32_t v, bool bigEndian) {
  if (bigEndian) {
    p[0] = uint8_t(v >> 24), p[1] = uint8_t(v >> 16), p[2] = uint8_t(v >> 8), p[3] = uint8_t(v);
  } else {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8), p[2] = uint8_t(v >> 16), p[3] = uint8_t(v >> 24);
  }
}

inline uint16_t CPSDBGet16(const unsigned char* p, bool bigEndian) {
  return bigEndian ? uint16_t((p[0] << 8) | p[1]) : uint16_t(p[0] | (p[1] << 8));
}

inline void CPSDBPut16(unsigned char* p, uint16_t v, bool bigEndian) {
  if (bigEndian) {
    p[0] = uint8_t(v >> 8), p[1] = uint8_t(v);
  } else {
    p[0] = uint8_t(v), p[1] = uint8_t(v >> 8);
  }
}

// A flags word tells its own byte order: 0x01000001 reads the same both ways.
inline bool CPSDBStoredBigEndian(const unsigned char* flags) {
  uint32_t raw;
  std::memcpy(&raw, flags, 4);
  return (raw & kSDBBigEndianFlags) != 0;
}

constexpr bool kSDBHostBigEndian = CPHostEncoding.integerEncoding == kCPBigEndian;

#endif  // VYX_SIMPLEDB_CPSIMPLEDBBYTES_H_
