// Sets of variable-size records made of a T header immediately followed by an
// array of Item (a budget post and its budget lines): the body is the header's
// bytes, then the items one after the other. Converting a body converts the
// header, then each item in turn, with their Encode and Decode when they have them.
#ifndef VYX_RESOURCES_CPRESOURCESETARRAY_T_H_
#define VYX_RESOURCES_CPRESOURCESETARRAY_T_H_

#include <cstring>
#include <exception>
#include <type_traits>
#include <vector>

#include "foundation/CPArray_T.h"
#include "resources/CPHierarchicResourceIndex.h"
#include "resources/CPResourceSet_T.h"

template <typename T, typename Item>
class CPResourceSetArray_T : public CPResourceSet {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_copyable_v<Item>);

 public:
  CPResourceSetArray_T(CPResourceStorage& storage, ResType type)
      : CPResourceSet(storage, type, kCPVariableSize) {}

  using CPResourceSet::AddResource;
  using CPResourceSet::GetResource;
  using CPResourceSet::ReadResource;
  using CPResourceSet::SetResource;
  using CPResourceSet::WriteResource;

  uint32_t GetDefaultSize() override { return sizeof(T); }
  void GetDefaultResource(void* data, uint32_t size) override {
    T t{};
    std::memset(data, 0, size);
    std::memcpy(data, &t, std::min<size_t>(size, sizeof(T)));
  }
  void EncodeResource(CPResID, void* data, uint32_t size, const CPDataEncoding& e) override {
    Convert(data, size, e, true);
  }
  void DecodeResource(CPResID, void* data, uint32_t size, const CPDataEncoding& e) override {
    Convert(data, size, e, false);
  }

  // The header and the items of a resource in the host's form; code 1 when absent.
  void GetResource(CPResID id, T* header, CPArray_T<Item>* items) {
    std::vector<unsigned char> body(GetResourceSize(id));
    body.resize(GetResource(id, body.data(), uint32_t(body.size())));
    Split(body, header, items);
  }
  void AddResource(CPResID id, ConstStringPtr name, const T& header, const CPArray_T<Item>& items,
                   int32_t* index = nullptr) {
    std::vector<unsigned char> body = Join(header, items);
    Untyped().AddResource(id, name, body.data(), uint32_t(body.size()), index);
  }
  void SetResource(CPResID id, const T& header, const CPArray_T<Item>& items) {
    std::vector<unsigned char> body = Join(header, items);
    Untyped().SetResource(id, body.data(), uint32_t(body.size()));
  }
  bool ReadResource(CPResID id, T* header, CPArray_T<Item>* items) {
    if (id == 0) return false;
    try {
      if (!ResourceExists(id)) return false;
      GetResource(id, header, items);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }
  // Adds or replaces, as WriteResource does for any body.
  bool WriteResource(CPResID id, ConstStringPtr name, const T& header, const CPArray_T<Item>& items) {
    std::vector<unsigned char> body = Join(header, items);
    return Untyped().WriteResource(id, name, body.data(), uint32_t(body.size()));
  }

 private:
  CPResourceSet& Untyped() { return *this; }
  static std::vector<unsigned char> Join(const T& header, const CPArray_T<Item>& items) {
    std::vector<unsigned char> body(sizeof(T) + size_t(items.Count()) * sizeof(Item));
    std::memcpy(body.data(), &header, sizeof(T));
    for (int32_t i = 0; i < items.Count(); ++i) {
      items.GetItem(i, body.data() + sizeof(T) + size_t(i) * sizeof(Item));
    }
    return body;
  }
  // A body shorter than the header keeps the default header; a partial last item is dropped.
  static void Split(const std::vector<unsigned char>& body, T* header, CPArray_T<Item>* items) {
    *header = T();
    std::memcpy(header, body.data(), std::min(body.size(), sizeof(T)));
    items->RemoveAll();
    if (body.size() <= sizeof(T)) return;
    int32_t count = int32_t((body.size() - sizeof(T)) / sizeof(Item));
    if (count) items->InsertItemsAt(0, body.data() + sizeof(T), count);
  }
  template <typename R>
  static void ConvertOne(unsigned char* p, const CPDataEncoding& e, bool encode) {
    if constexpr (CPCodedRecord<R>) {
      R r;
      std::memcpy(&r, p, sizeof(R));
      if (encode) {
        r.Encode(e);
      } else {
        r.Decode(e);
      }
      std::memcpy(p, &r, sizeof(R));
    }
  }
  static void Convert(void* data, uint32_t size, const CPDataEncoding& e, bool encode) {
    auto* p = static_cast<unsigned char*>(data);
    if (size < sizeof(T)) return;
    ConvertOne<T>(p, e, encode);
    for (size_t at = sizeof(T); at + sizeof(Item) <= size; at += sizeof(Item)) {
      ConvertOne<Item>(p + at, e, encode);
    }
  }
};

// The same records in a set whose resources group those of a sub-resources set.
template <typename T, typename Item>
class CPHierResourceSetArray_T : public CPResourceSetArray_T<T, Item> {
 public:
  CPHierResourceSetArray_T(CPResourceStorage& storage, ResType type, CPResourceSet& indexSet,
                           CPResID indexID)
      : CPResourceSetArray_T<T, Item>(storage, type), order_(*this, indexSet, indexID) {
    order_.Load();
    this->SetIndex(&order_);
  }

 private:
  CPHierarchicResourceIndex order_;
};

#endif  // VYX_RESOURCES_CPRESOURCESETARRAY_T_H_
