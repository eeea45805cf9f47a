// A CPArray_T whose items convert themselves between the host form and a
// file's encoding (T::Encode, T::Decode), so that the whole array can be
// written to a stream and read back: a 32-bit count in the stream's byte
// order, then each item's encoded bytes. Reading replaces the contents; a
// stream that ends early raises eofErr and leaves the array empty.
#ifndef VYX_FOUNDATION_CPENCODABLEARRAY_T_H_
#define VYX_FOUNDATION_CPENCODABLEARRAY_T_H_

#include <vector>

#include "foundation/CPArray_T.h"
#include "foundation/CPException.h"
#include "foundation/CPStream.h"
#include "platform/CPOSErr.h"

template <typename T>
class CPEncodableArray_T : public CPArray_T<T>, public CPPersistent {
 public:
  using CPArray_T<T>::CPArray_T;

  void PutTo(CPStream& stream, const CPDataEncoding& encoding) const override {
    stream.WriteVersion(uint32_t(this->Count()), encoding);
    std::vector<T> items(this->begin(), this->end());
    for (T& item : items) item.Encode(encoding);
    if (!items.empty()) stream.WriteData(items.data(), long(items.size() * sizeof(T)));
  }

  void GetFrom(CPStream& stream, const CPDataEncoding& encoding) override {
    this->RemoveAll();
    uint32_t count = 0;
    long got = 4;
    stream.PeekData(&count, &got);
    if (got != 4) CPThrow(eofErr);
    stream.ReadVersion(&count, encoding);
    // Items are read one by one: a damaged count must not make us allocate
    // what the stream cannot hold.
    std::vector<T> items;
    for (uint32_t i = 0; i < count; ++i) {
      T item;
      long size = long(sizeof(T));
      stream.ReadData(&item, &size);
      if (size != long(sizeof(T))) CPThrow(eofErr);
      item.Decode(encoding);
      items.push_back(item);
    }
    if (!items.empty()) this->InsertItemsAt(0, items.data(), int32_t(items.size()));
  }
};

#endif  // VYX_FOUNDATION_CPENCODABLEARRAY_T_H_
