// A positioned byte sequence with a length: the one path by which vyx reads and
// writes bytes, over memory blocks, memory handles or files (CPFileStream.h).
// Typed helpers move values in host order; the field reader splits text into
// tab- or separator-delimited fields (CPFormattedStream.h builds on it).
#ifndef VYX_FOUNDATION_CPSTREAM_H_
#define VYX_FOUNDATION_CPSTREAM_H_

#include <cstdint>

#include "foundation/CPDataEncoding.h"
#include "foundation/CPStrings.h"
#include "platform/CPHandle.h"

enum CPStreamFrom : int8_t { kCPFromStart = 1, kCPFromEnd = 2, kCPFromMarker = 3 };

class CPStream;
class CPHandleStream;

// An object that writes itself to a stream and reads itself back.
class CPPersistent {
 public:
  virtual ~CPPersistent() = default;
  virtual void PutTo(CPStream& stream, const CPDataEncoding& encoding) const = 0;
  virtual void GetFrom(CPStream& stream, const CPDataEncoding& encoding) = 0;
};

// Field formats of ReadText.
enum CPTextFormat : int8_t { kCPTabFormat = 1, kCPQuotedFormat = 2 };

class CPStream {
 public:
  virtual ~CPStream() = default;

  virtual void SetMarker(int32_t offset, CPStreamFrom from) = 0;
  virtual uint32_t GetMarker() const = 0;
  virtual void SetLength(uint32_t length) = 0;
  virtual uint32_t GetLength() const = 0;
  // `*count` is set to what was transferred.
  virtual void WriteData(const void* data, long* count) = 0;
  virtual void ReadData(void* data, long* count) = 0;

  // The bytes from the marker to the end when the stream holds them in
  // memory (their count in `*count`), null otherwise. They stay valid until
  // the stream is next written or resized. Readers that scan text use them
  // to look at the bytes where they lie instead of copying them out.
  virtual const unsigned char* BytesAtMarker(uint32_t* count) const {
    *count = 0;
    return nullptr;
  }

  void WriteData(const void* data, long n) { WriteData(data, &n); }
  void ReadData(void* data, long n) { ReadData(data, &n); }
  bool AtEnd() const { return GetMarker() >= GetLength(); }

  // 1, 1, 2, 4 and 8 bytes in host order.
  void WriteChar(unsigned char v) { WriteData(&v, 1L); }
  void WriteBool(bool v) { WriteChar(v ? 1 : 0); }
  void WriteShort(int16_t v) { WriteData(&v, 2L); }
  void WriteLong(int32_t v) { WriteData(&v, 4L); }
  void WriteDouble(double v) { WriteData(&v, 8L); }
  unsigned char ReadChar();
  void ReadBool(bool& v) { v = ReadChar() != 0; }
  void ReadBool(unsigned char& v) { v = ReadChar(); }
  int16_t ReadShort();
  int32_t ReadLong();
  double ReadDouble();

  void WriteString(ConstStringPtr p) { WriteData(p, p[0] + 1L); }
  void ReadPString(StringPtr p);
  void WriteString(const CPString& s) { WriteString(s.P()); }
  void ReadString(CPString& s);

  // A 32-bit value in the byte order of `encoding`.
  void WriteVersion(uint32_t v, const CPDataEncoding& encoding);
  void ReadVersion(uint32_t* v, const CPDataEncoding& encoding);
  // A 32-bit length (in the order of `encoding`, 0 for no handle) and the bytes.
  void WriteHandle(Handle h, const CPDataEncoding& encoding);
  // Resizes `*h`, or creates it when null.
  void ReadHandle(Handle* h, const CPDataEncoding& encoding);
  void WriteHandleStream(const CPHandleStream& stream);
  // A new handle (owned by the caller) with everything from the marker to the end.
  Handle ReadData();
  // Reads and puts the marker back.
  void PeekData(void* data, long* count);

  void WriteObject(const CPPersistent& obj, const CPDataEncoding& encoding) {
    obj.PutTo(*this, encoding);
  }
  void ReadObject(CPPersistent& obj, const CPDataEncoding& encoding) {
    obj.GetFrom(*this, encoding);
  }

  // Reads one field: see CPStreamText.cpp. `separator` 0 means TAB for the tab
  // format and ';' for the quoted one. `terminator` is the byte that ended the
  // field (0 when none) and `atEnd` tells that the stream is exhausted.
  void ReadText(StringPtr field, unsigned char* terminator, bool* atEnd, CPTextFormat format,
                unsigned char separator);
  void ReadText(CPString& field, unsigned char* terminator, bool* atEnd, CPTextFormat format,
                unsigned char separator);
};

// A fixed memory block that the stream does not own. Reads and writes stop at its end.
class CPPtrStream : public CPStream {
 public:
  CPPtrStream(void* ptr, uint32_t size) : ptr_(static_cast<unsigned char*>(ptr)), size_(size) {}
  CPPtrStream(const void* ptr, uint32_t size)
      : ptr_(const_cast<unsigned char*>(static_cast<const unsigned char*>(ptr))), size_(size) {}

  void SetMarker(int32_t offset, CPStreamFrom from) override;
  uint32_t GetMarker() const override { return marker_; }
  void SetLength(uint32_t) override {}
  uint32_t GetLength() const override { return size_; }
  void WriteData(const void* data, long* count) override;
  void ReadData(void* data, long* count) override;
  const unsigned char* BytesAtMarker(uint32_t* count) const override {
    *count = size_ - marker_;
    return ptr_ + marker_;
  }
  using CPStream::ReadData;
  using CPStream::WriteData;

 private:
  unsigned char* ptr_;
  uint32_t size_;
  uint32_t marker_ = 0;
};

// A memory handle that grows as it is written. An owned handle is disposed with the stream.
class CPHandleStream : public CPStream {
 public:
  explicit CPHandleStream(bool create = true, bool own = true);
  CPHandleStream(Handle h, bool own);
  ~CPHandleStream() override;
  CPHandleStream(const CPHandleStream&) = delete;
  CPHandleStream& operator=(const CPHandleStream&) = delete;

  // Disposes a previously owned handle and resets the marker.
  void SetHandle(Handle h, bool own);
  Handle GetHandle() const { return handle_; }
  // Gives up ownership and returns the handle.
  Handle DetachHandle();
  const unsigned char* Data() const { return HandlePtr(handle_); }
  unsigned char* Data() { return HandlePtr(handle_); }

  void SetMarker(int32_t offset, CPStreamFrom from) override;
  uint32_t GetMarker() const override { return marker_; }
  void SetLength(uint32_t length) override;
  // SetLength leaving the bytes it adds unset, for a caller that fills them
  // at once through Data().
  void SetLengthForOverwrite(uint32_t length);
  uint32_t GetLength() const override { return static_cast<uint32_t>(GetHandleSize(handle_)); }
  void WriteData(const void* data, long* count) override;
  void ReadData(void* data, long* count) override;
  const unsigned char* BytesAtMarker(uint32_t* count) const override;
  using CPStream::ReadData;
  using CPStream::WriteData;

 private:
  // Grows the handle to `size` bytes at least; the added bytes are zero
  // unless `overwrite`.
  void Grow(size_t size, bool overwrite = false);

  Handle handle_ = nullptr;
  bool own_ = false;
  uint32_t marker_ = 0;
};

#endif  // VYX_FOUNDATION_CPSTREAM_H_
