#include "platform/CPHandle.h"

#include <cstring>
#include <new>
#include <stdexcept>

Handle NewHandle(size_t size) {
  try {
    Handle h = new CPHandleBlock;
    h->bytes.resize(size);
    return h;
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

bool SetHandleSize(Handle h, size_t size) {
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

unsigned char* HandlePtr(Handle h) { return h ? h->bytes.data() : nullptr; }
