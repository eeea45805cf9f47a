// Internal to the selection code: the fields of a block read and written in
// the block's byte order, and texts folded for comparisons that ignore letter
// case and accents.
#ifndef VYX_ANALYSIS_CPSELECTIONBYTES_H_
#define VYX_ANALYSIS_CPSELECTIONBYTES_H_

#include <cstring>

#include "foundation/CPDataEncoding.h"
#include "platform/CPHandle.h"

namespace cpsel {

// `n` bytes at `offset` of the block; zeros for what lies outside it.
inline void Read(Handle h, int32_t offset, void* out, size_t n) {
  size_t size = GetHandleSize(h);
  if (offset >= 0 && size_t(offset) <= size && n <= size - size_t(offset)) {
    std::memcpy(out, HandlePtr(h) + offset, n);
  } else {
    std::memset(out, 0, n);
  }
}

template <typename T>
inline T Get(Handle h, int32_t offset, const CPDataEncoding& e) {
  T v;
  Read(h, offset, &v, sizeof v);
  if (CPNeedByteSwapping(e)) CPSwapField(v);
  return v;
}

template <typename T>
inline void Put(unsigned char* p, T v, const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) CPSwapField(v);
  std::memcpy(p, &v, sizeof v);
}

// Appends `n` bytes to the block; raises the memory error when it cannot grow.
void Append(Handle h, const void* data, size_t n);
// Adds `delta` to the 16-bit or 32-bit field at `offset`.
void Add16(Handle h, int32_t offset, int16_t delta, const CPDataEncoding& e);
void Add32(Handle h, int32_t offset, int32_t delta, const CPDataEncoding& e);

// A MacRoman character without its letter case and its accents: "É" and "e"
// fold to "e", "Œ" to "œ".
unsigned char Fold(unsigned char c);

}  // namespace cpsel

#endif  // VYX_ANALYSIS_CPSELECTIONBYTES_H_
