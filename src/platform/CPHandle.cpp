#include "platform/CPHandle.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

Handle NewHandle(size_t size) {
  try {
    auto h = std::make_unique<CPHandleBlock>();
    h->bytes.resize(size);
    if (size) std::memset(h->bytes.data(), 0, size);
    return h.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  } catch (const std::length_error&) {
    return nullptr;
  }
}

Handle NewHandleFrom(const void* data, size_t size) {
  Handle h = NewHandle(size);
  if (h && size) std::memcpy(h->bytes.data(), data, size);
  return h;
}

void DisposeHandle(Handle h) { delete h; }

size_t GetHandleSize(Handle h) { return h ? h->bytes.size() : 0; }

namespace {

// The pages of a large run about to be written whole are asked of the system
// in one call rather than taken one fault at a time as the writing reaches
// them, which costs several times more (a copy of an account file is some
// megabytes). Only a hint: a system that does not know it (before Linux
// 5.14) refuses, and the pages then come as they are written.
void PrefaultForWriting(unsigned char* p, size_t size) {
#ifdef MADV_POPULATE_WRITE
  constexpr size_t kLarge = size_t(1) << 20;
  if (size < kLarge) return;
  const auto page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t start = (reinterpret_cast<uintptr_t>(p) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(p) + size) & ~(page - 1);
  if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
#else
  (void)p;
  (void)size;
#endif
}

}  // namespace

bool SetHandleSizeForOverwrite(Handle h, size_t size) {
  if (!h) return false;
  try {
    size_t old = h->bytes.size();
    h->bytes.resize(size);
    if (size > old) PrefaultForWriting(h->bytes.data() + old, size - old);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

bool SetHandleSize(Handle h, size_t size) {
  size_t old = GetHandleSize(h);
  if (!SetHandleSizeForOverwrite(h, size)) return false;
  if (size > old) std::memset(h->bytes.data() + old, 0, size - old);
  return true;
}

unsigned char* HandlePtr(Handle h) { return h ? h->bytes.data() : nullptr; }
