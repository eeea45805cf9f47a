#include "platform/CPHandle.h"

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

bool SetHandleSizeForOverwrite(Handle h, size_t size) {
  if (!h) return false;
  try {
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
