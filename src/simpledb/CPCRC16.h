// The checksum of record data: CRC-16/ARC (reflected polynomial 0xA001, initial
// value 0, no final XOR), sign-extended to 32 bits as the files store it: the
// three letters "abc" give 0xFFFF9738. Pure functions; nothing fails.
#ifndef VYX_SIMPLEDB_CPCRC16_H_
#define VYX_SIMPLEDB_CPCRC16_H_

#include <cstddef>
#include <cstdint>

// The 16-bit CRC of `size` bytes following bytes whose CRC was `crc`.
uint16_t CPCRC16Update(uint16_t crc, const void* data, size_t size);
// The 16-bit CRC of `size` bytes.
inline uint16_t CPCRC16Raw(const void* data, size_t size) { return CPCRC16Update(0, data, size); }
// The stored form: the 16-bit CRC with bit 15 copied into the upper 16 bits.
inline uint32_t CPCRC16(const void* data, size_t size) {
  return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(CPCRC16Raw(data, size))));
}

#endif  // VYX_SIMPLEDB_CPCRC16_H_
