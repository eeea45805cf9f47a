// Memory handles: resizable blocks of bytes owned by whoever holds the handle and
// released with DisposeHandle. Resizing may move the bytes, so pointers taken
// with HandlePtr are valid only until the next SetHandleSize.
#ifndef VYX_PLATFORM_CPHANDLE_H_
#define VYX_PLATFORM_CPHANDLE_H_

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

// Leaves the bytes a resize adds unset: each function below that promises
// zeros writes them itself, so that filling a large handle at once (from a
// file) does not pay for zeroing it first.
template <typename T>
struct CPDefaultInitAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = CPDefaultInitAllocator<U>;
  };
  using std::allocator<T>::allocator;
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    if constexpr (sizeof...(Args) == 0) {
      ::new (static_cast<void*>(p)) U;
    } else {
      ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
  }
};

struct CPHandleBlock {
  std::vector<unsigned char, CPDefaultInitAllocator<unsigned char>> bytes;
};
using Handle = CPHandleBlock*;

// A new handle of `size` zero bytes, or nullptr when memory is exhausted.
Handle NewHandle(size_t size);
void DisposeHandle(Handle h);    // accepts nullptr
size_t GetHandleSize(Handle h);  // 0 for nullptr
// False (and the handle unchanged) when memory is exhausted. New bytes are zero.
bool SetHandleSize(Handle h, size_t size);
// The same, but the new bytes are left unset: for a caller that writes them all
// at once.
bool SetHandleSizeForOverwrite(Handle h, size_t size);
unsigned char* HandlePtr(Handle h);
// A new handle holding a copy of `size` bytes at `data`, or nullptr when memory is exhausted.
Handle NewHandleFrom(const void* data, size_t size);

// A handle disposed of with its owner.
struct CPHandleDisposer {
  void operator()(Handle h) const { DisposeHandle(h); }
};
using CPOwnedHandle = std::unique_ptr<CPHandleBlock, CPHandleDisposer>;

#endif  // VYX_PLATFORM_CPHANDLE_H_
