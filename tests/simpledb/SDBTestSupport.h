// Helpers of the SimpleDB tests: record contents that tell records apart, and
// a readable picture of a data area ("5:1 free:2 7:3": dataID:blocks).
#ifndef VYX_TESTS_SIMPLEDB_SDBTESTSUPPORT_H_
#define VYX_TESTS_SIMPLEDB_SDBTESTSUPPORT_H_

#include <string>
#include <vector>

#include "simpledb/CPSimpleDBBlocsHandler.h"

// `size` bytes that depend on `seed`, never all zero.
inline std::vector<unsigned char> SDBBytes(size_t size, uint32_t seed) {
  std::vector<unsigned char> b(size);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& c : b) {
    x = x * 1103515245u + 12345u;
    c = static_cast<unsigned char>(x >> 16);
  }
  return b;
}

inline std::string SDBLayout(const CPSimpleDBBlocsHandler& blocs) {
  std::string out;
  blocs.Scan([&](CPSimpleDBRefnum, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (!out.empty()) out += ' ';
    uint32_t n = CPSimpleDBBlocsFor(h.size);
    out += h.info.IsFree() ? "free:" + std::to_string(n)
                           : std::to_string(h.info.dataID) + ":" + std::to_string(n);
    return true;
  });
  return out;
}

#endif  // VYX_TESTS_SIMPLEDB_SDBTESTSUPPORT_H_
