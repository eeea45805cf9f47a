#include "foundation/CPStream.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

unsigned char CPStream::ReadChar() {
  unsigned char v = 0;
  ReadData(&v, 1L);
  return v;
}

int16_t CPStream::ReadShort() {
  int16_t v = 0;
  ReadData(&v, 2L);
  return v;
}

int32_t CPStream::ReadLong() {
  int32_t v = 0;
  ReadData(&v, 4L);
  return v;
}

double CPStream::ReadDouble() {
  double v = 0;
  ReadData(&v, 8L);
  return v;
}

void CPStream::ReadPString(StringPtr p) {
  p[0] = 0;
  unsigned char len = ReadChar();
  long n = len;
  ReadData(p + 1, &n);
  p[0] = static_cast<unsigned char>(n);
}

void CPStream::ReadString(CPString& s) {
  Str255 p;
  ReadPString(p);
  s = p;
}

void CPStream::WriteVersion(uint32_t v, const CPDataEncoding& encoding) {
  if (CPNeedByteSwapping(encoding)) v = CPSwap32(v);
  WriteData(&v, 4L);
}

void CPStream::ReadVersion(uint32_t* v, const CPDataEncoding& encoding) {
  uint32_t raw = 0;
  ReadData(&raw, 4L);
  *v = CPNeedByteSwapping(encoding) ? CPSwap32(raw) : raw;
}

void CPStream::WriteHandle(Handle h, const CPDataEncoding& encoding) {
  uint32_t size = static_cast<uint32_t>(GetHandleSize(h));
  WriteVersion(size, encoding);
  if (size) WriteData(HandlePtr(h), static_cast<long>(size));
}

void CPStream::ReadHandle(Handle* h, const CPDataEncoding& encoding) {
  uint32_t size = 0;
  ReadVersion(&size, encoding);
  // A length beyond what the stream still holds is damage, not a request for
  // gigabytes of memory.
  if (size > GetLength() - std::min(GetMarker(), GetLength())) CPThrow(eofErr);
  if (!*h) {
    *h = NewHandle(size);
    if (!*h) CPThrow(memFullErr);
  } else if (!SetHandleSize(*h, size)) {
    CPThrow(memFullErr);
  }
  if (size) ReadData(HandlePtr(*h), static_cast<long>(size));
}

void CPStream::WriteHandleStream(const CPHandleStream& stream) {
  if (stream.GetLength()) WriteData(stream.Data(), static_cast<long>(stream.GetLength()));
}

Handle CPStream::ReadData() {
  uint32_t marker = GetMarker(), length = GetLength();
  uint32_t size = length > marker ? length - marker : 0;
  Handle h = NewHandle(size);
  if (!h) CPThrow(memFullErr);
  if (size) {
    try {
      ReadData(HandlePtr(h), static_cast<long>(size));
    } catch (...) {
      DisposeHandle(h);
      throw;
    }
  }
  return h;
}

void CPStream::PeekData(void* data, long* count) {
  uint32_t marker = GetMarker();
  try {
    ReadData(data, count);
  } catch (...) {
    // A file stream has moved past what it did read before failing.
    SetMarker(static_cast<int32_t>(marker), kCPFromStart);
    throw;
  }
  SetMarker(static_cast<int32_t>(marker), kCPFromStart);
}

// ---- CPPtrStream

void CPPtrStream::SetMarker(int32_t offset, CPStreamFrom from) {
  int64_t m = offset;
  if (from == kCPFromEnd) m = int64_t(size_) - offset;
  if (from == kCPFromMarker) m = int64_t(marker_) + offset;
  marker_ = static_cast<uint32_t>(std::clamp<int64_t>(m, 0, size_));
}

void CPPtrStream::WriteData(const void* data, long* count) {
  long n = std::clamp<long>(*count, 0, long(size_) - long(marker_));
  if (n > 0) std::memcpy(ptr_ + marker_, data, static_cast<size_t>(n));
  marker_ += static_cast<uint32_t>(n);
  *count = n;
}

void CPPtrStream::ReadData(void* data, long* count) {
  long n = std::clamp<long>(*count, 0, long(size_) - long(marker_));
  if (n > 0) std::memcpy(data, ptr_ + marker_, static_cast<size_t>(n));
  marker_ += static_cast<uint32_t>(n);
  *count = n;
}

// ---- CPHandleStream

CPHandleStream::CPHandleStream(bool create, bool own) : own_(own) {
  if (create) {
    handle_ = NewHandle(0);
    if (!handle_) CPThrow(memFullErr);
  }
}

CPHandleStream::CPHandleStream(Handle h, bool own) : handle_(h), own_(own) {}

CPHandleStream::~CPHandleStream() {
  if (own_) DisposeHandle(handle_);
}

void CPHandleStream::SetHandle(Handle h, bool own) {
  if (own_ && h != handle_) DisposeHandle(handle_);
  handle_ = h;
  own_ = own;
  marker_ = 0;
}

Handle CPHandleStream::DetachHandle() {
  own_ = false;
  return handle_;
}

void CPHandleStream::Grow(size_t size, bool overwrite) {
  if (!handle_) {
    handle_ = NewHandle(0);
    own_ = true;
    if (!handle_) CPThrow(memFullErr);
  }
  if (size <= GetHandleSize(handle_)) return;
  if (!(overwrite ? SetHandleSizeForOverwrite(handle_, size) : SetHandleSize(handle_, size))) {
    CPThrow(memFullErr);
  }
}

void CPHandleStream::SetMarker(int32_t offset, CPStreamFrom from) {
  int64_t length = GetLength();
  int64_t m = offset;
  if (from == kCPFromEnd) {
    m = length - offset;
    if (m < 0) m = 0;
  } else if (from == kCPFromMarker) {
    m = int64_t(marker_) + offset;
    if (m < 0) m = 0;
  } else if (m < 0) {
    m = 0;
  }
  // Setting the marker beyond the end grows the handle to it.
  if (m > length) Grow(static_cast<size_t>(m));
  marker_ = static_cast<uint32_t>(m);
}

void CPHandleStream::SetLength(uint32_t length) {
  if (!handle_) Grow(0);
  if (!SetHandleSize(handle_, length)) CPThrow(memFullErr);
  if (marker_ > length) marker_ = length;
}

void CPHandleStream::SetLengthForOverwrite(uint32_t length) {
  if (!handle_) Grow(0);
  if (!SetHandleSizeForOverwrite(handle_, length)) CPThrow(memFullErr);
  if (marker_ > length) marker_ = length;
}

void CPHandleStream::WriteData(const void* data, long* count) {
  if (*count <= 0) {
    *count = 0;
    return;
  }
  size_t end = size_t(marker_) + size_t(*count);
  // Bytes between the end and the marker must read as zeros; those written
  // here need no zeroing first.
  Grow(end, marker_ <= GetLength());
  std::memcpy(HandlePtr(handle_) + marker_, data, static_cast<size_t>(*count));
  marker_ = static_cast<uint32_t>(end);
}

void CPHandleStream::ReadData(void* data, long* count) {
  // The handle may have been shrunk behind our back (GetHandle gives it away).
  long left = std::max<long>(0, long(GetLength()) - long(marker_));
  long n = std::clamp<long>(*count, 0, left);
  if (n > 0) std::memcpy(data, HandlePtr(handle_) + marker_, static_cast<size_t>(n));
  marker_ += static_cast<uint32_t>(n);
  *count = n;
}

const unsigned char* CPHandleStream::BytesAtMarker(uint32_t* count) const {
  // The handle may have been shrunk behind our back, as for ReadData.
  uint32_t length = GetLength();
  *count = length > marker_ ? length - marker_ : 0;
  return *count ? HandlePtr(handle_) + marker_ : nullptr;
}
