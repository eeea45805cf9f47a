#include "platform/CPHandle.h"
#include "platform/CPHugePages.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include <sys/mman.h>

namespace {

// A large block (the memory copy of an account, several megabytes) is asked
// for in huge pages before its first touch: filling it then costs a few page
// faults instead of one per 4 KiB, which was half the time of a command on a
// large account. Only a hint: the bytes are the same when the kernel declines.
constexpr size_t kHugePage = size_t(2) << 20;

void ReserveLarge(Handle h, size_t size) {
  const size_t capacity = h->bytes.capacity();
  if (size < 2 * kHugePage || size <= capacity) return;
  // Grown by half at least, as the vector would: a block that grows by small
  // appends must not be moved at every one of them.
  h->bytes.reserve(std::max(size, capacity + capacity / 2));
  CPAdviseHugePages(h->bytes.data() + h->bytes.size(), h->bytes.capacity() - h->bytes.size());
}

}  // namespace

void CPAdviseHugePages(void* data, size_t size) {
  auto begin = reinterpret_cast<uintptr_t>(data);
  uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
  uintptr_t last = (begin + size) & ~(kHugePage - 1);
  if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

Handle NewHandle(size_t size) {
  try {
    auto h = std::make_unique<CPHandleBlock>();
    ReserveLarge(h.get(), size);
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

bool SetHandleSizeForOverwrite(Handle h, size_t size) {
  if (!h) return false;
  try {
    ReserveLarge(h, size);
    h->bytes.resize(size);
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
