// A resource set whose body is one record of type T: the record size is
// sizeof(T), new resources start as a default-constructed T, and bodies are
// converted between the host's form and a file's encoding by T's Encode and
// Decode (types without them are stored as they are). T is trivially
// copyable, its bytes its stored image.
#ifndef VYX_RESOURCES_CPRESOURCESET_T_H_
#define VYX_RESOURCES_CPRESOURCESET_T_H_

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <type_traits>

#include "resources/CPResourceSet.h"

template <typename T>
concept CPCodedRecord = requires(T t, const CPDataEncoding& e) {
  t.Encode(e);
  t.Decode(e);
};

template <typename T>
class CPResourceSet_T : public CPResourceSet {
  static_assert(std::is_trivially_copyable_v<T>, "records are stored as their bytes");

 public:
  CPResourceSet_T(CPResourceStorage& storage, ResType type)
      : CPResourceSet(storage, type, sizeof(T)) {}

  using CPResourceSet::AddResource;
  using CPResourceSet::CompareResources;
  using CPResourceSet::DecodeResource;
  using CPResourceSet::DuplicateResource;
  using CPResourceSet::EditResource;
  using CPResourceSet::EncodeResource;
  using CPResourceSet::GetDefaultResource;
  using CPResourceSet::GetResource;
  using CPResourceSet::ReadResource;
  using CPResourceSet::SetResource;
  using CPResourceSet::WriteResource;

  // The untyped operations, routed to their typed twins.
  void GetDefaultResource(void* data, uint32_t size) override {
    T t;
    GetDefaultResource(0, &t);
    CopyOut(t, data, size);
  }
  void EncodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override {
    T t = Widened(id, data, size, e);
    EncodeResource(id, &t, e);
    std::memcpy(data, &t, std::min<size_t>(size, sizeof(T)));
  }
  void DecodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override {
    T t = Widened(id, data, size, e);
    DecodeResource(id, &t, e);
    std::memcpy(data, &t, std::min<size_t>(size, sizeof(T)));
  }
  bool EditResource(StringPtr name, void* data, uint32_t size) override {
    if (size < sizeof(T)) return false;
    T t;
    std::memcpy(&t, data, sizeof(T));
    if (!EditResource(name, &t)) return false;
    std::memcpy(data, &t, sizeof(T));
    return true;
  }
  int CompareResources(ConstStringPtr name1, const void* data1, uint32_t size1, ConstStringPtr name2,
                       const void* data2, uint32_t size2) override {
    if (size1 < sizeof(T) || size2 < sizeof(T)) {
      return CPResourceSet::CompareResources(name1, data1, size1, name2, data2, size2);
    }
    T a, b;
    std::memcpy(&a, data1, sizeof(T));
    std::memcpy(&b, data2, sizeof(T));
    return CompareResources(name1, a, name2, b);
  }

  // The typed operations.
  virtual void GetDefaultResource(CPResID /*id*/, T* t) { *t = T(); }
  virtual void SetResource(CPResID id, const T& t) { Untyped().SetResource(id, &t, sizeof(T)); }
  // Stores the record converted to `e`.
  virtual void SetResource(CPResID id, const CPDataEncoding& e, const T& t) {
    T copy = t;
    EncodeResource(id, &copy, e);
    Untyped().SetResource(id, e, &copy, sizeof(T));
  }
  // A stored body shorter than T leaves the rest of *t at its defaults.
  virtual void GetResource(CPResID id, T* t) {
    CPDataEncoding e;
    std::array<unsigned char, sizeof(T)> raw;
    uint32_t n = Untyped().GetResource(id, &e, raw.data(), sizeof(T));
    *t = Widened(id, raw.data(), n, e);
    DecodeResource(id, t, e);
  }
  // The record as stored, not converted.
  virtual void GetResource(CPResID id, CPDataEncoding* e, T* t) {
    Untyped().GetResource(id, e, t, sizeof(T));
  }
  virtual void AddResource(CPResID id, ConstStringPtr name, const T& t, int32_t* index = nullptr) {
    Untyped().AddResource(id, name, &t, sizeof(T), index);
  }
  virtual void DuplicateResource(CPResID fromID, CPResID newID, ConstStringPtr name, const T* t,
                                 int32_t* index = nullptr) {
    Untyped().DuplicateResource(fromID, newID, name, t, sizeof(T), index);
  }
  virtual bool ReadResource(CPResID id, T* t) {
    if (id == 0) return false;
    try {
      if (!ResourceExists(id)) return false;
      GetResource(id, t);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  virtual bool ReadResource(ConstStringPtr name, CPResID* id, T* t) {
    try {
      if (!ResourceExists(name)) return false;
      CPResID found = GetResourceID(name);
      GetResource(found, t);
      if (id) *id = found;
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  virtual bool WriteResource(CPResID id, ConstStringPtr name, const T& t) {
    return Untyped().WriteResource(id, name, &t, sizeof(T));
  }
  virtual bool EditResource(StringPtr /*name*/, T* /*t*/) { return false; }
  virtual void EncodeResource(CPResID /*id*/, T* t, const CPDataEncoding& e) {
    if constexpr (CPCodedRecord<T>) t->Encode(e);
  }
  virtual void DecodeResource(CPResID /*id*/, T* t, const CPDataEncoding& e) {
    if constexpr (CPCodedRecord<T>) t->Decode(e);
  }
  virtual int CompareResources(ConstStringPtr name1, const T& /*t1*/, ConstStringPtr name2,
                               const T& /*t2*/) {
    return CPResourceSet::CompareResources(name1, nullptr, 0, name2, nullptr, 0);
  }

 protected:
  // The untyped operations are reached through this, so that a derived set's
  // overrides (a view's forwarding to its parent) are the ones called.
  CPResourceSet& Untyped() { return *this; }

 private:
  // A record in `e` made of the first `size` bytes at `data`, the rest taken
  // from the default record converted to `e`, so that a short body decodes whole.
  T Widened(CPResID id, const void* data, uint32_t size, const CPDataEncoding& e) {
    T t;
    if (size < sizeof(T)) {
      GetDefaultResource(id, &t);
      if (!(e == CPHostEncoding)) EncodeResource(id, &t, e);
    }
    std::memcpy(&t, data, std::min<size_t>(size, sizeof(T)));
    return t;
  }
  static void CopyOut(const T& t, void* data, uint32_t size) {
    std::memcpy(data, &t, std::min<size_t>(size, sizeof(T)));
    if (size > sizeof(T)) std::memset(static_cast<unsigned char*>(data) + sizeof(T), 0, size - sizeof(T));
  }
};

#endif  // VYX_RESOURCES_CPRESOURCESET_T_H_
