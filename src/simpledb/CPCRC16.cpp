#include "simpledb/CPCRC16.h"

#include <array>
#include <cstring>

namespace {

// Slicing by eight: table k gives the effect of a byte followed by k zero
// bytes, so eight bytes fold into the CRC with eight lookups and no loop-carried
// byte chain. Table 0 is the usual byte-at-a-time table.
using Tables = std::array<std::array<uint16_t, 256>, 8>;

constexpr Tables MakeTables() {
  Tables t{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t c = static_cast<uint16_t>(i);
    for (int k = 0; k < 8; ++k) c = (c & 1) ? static_cast<uint16_t>((c >> 1) ^ 0xA001) : (c >> 1);
    t[0][i] = c;
  }
  for (int k = 1; k < 8; ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      t[k][i] = static_cast<uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    }
  }
  return t;
}

constexpr Tables kTables = MakeTables();

}  // namespace

uint16_t CPCRC16Update(uint16_t crc, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  for (; size >= 8; size -= 8, p += 8) {
    unsigned char b[8];
    std::memcpy(b, p, 8);
    b[0] ^= static_cast<unsigned char>(crc);
    b[1] ^= static_cast<unsigned char>(crc >> 8);
    crc = kTables[7][b[0]] ^ kTables[6][b[1]] ^ kTables[5][b[2]] ^ kTables[4][b[3]] ^
          kTables[3][b[4]] ^ kTables[2][b[5]] ^ kTables[1][b[6]] ^ kTables[0][b[7]];
  }
  for (; size; --size, ++p) crc = static_cast<uint16_t>((crc >> 8) ^ kTables[0][(crc ^ *p) & 0xFF]);
  return crc;
}
