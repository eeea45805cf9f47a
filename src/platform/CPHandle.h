// Memory handles: resizable blocks of bytes owned by whoever holds the handle and
// released with DisposeHandle. Resizing may move the bytes, so pointers taken
// with HandlePtr are valid only until the next SetHandleSize.
#ifndef VYX_PLATFORM_CPHANDLE_H_
#define VYX_PLATFORM_CPHANDLE_H_

#include <cstddef>
#include <vector>

struct CPHandleBlock {
  std::vector<unsigned char> bytes;
};
using Handle = CPHandleBlock*;

// A new handle of `size` zero bytes, or nullptr when memory is exhausted.
Handle NewHandle(size_t size);
void DisposeHandle(Handle h);  // accepts nullptr
size_t GetHandleSize(Handle h);  // 0 for nullptr
// False (and the handle unchanged) when memory is exhausted. New bytes are zero.
bool SetHandleSize(Handle h, size_t size);
unsigned char* HandlePtr(Handle h);
// A new handle holding a copy of `size` bytes at `data`, or nullptr when memory is exhausted.
Handle NewHandleFrom(const void* data, size_t size);

#endif  // VYX_PLATFORM_CPHANDLE_H_
