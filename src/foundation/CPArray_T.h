// A CPArray of T: the same array with typed access. T must be trivially
// copyable, as the array moves its items as bytes. Without a comparison, Find
// compares the bytes of whole items, padding included: give a comparison to
// search items whose padding is not cleared.
#ifndef VYX_FOUNDATION_CPARRAY_T_H_
#define VYX_FOUNDATION_CPARRAY_T_H_

#include <functional>
#include <type_traits>

#include "foundation/CPArray.h"

template <typename T>
class CPArray_T : public CPArray {
  static_assert(std::is_trivially_copyable_v<T>, "items are moved as bytes");

 public:
  using TypedCompare = std::function<int(const T& a, const T& b)>;

  CPArray_T() : CPArray(sizeof(T)) {}
  // Keeps the items sorted by `compare`.
  explicit CPArray_T(TypedCompare compare)
      : CPArray(sizeof(T), [compare = std::move(compare)](const void* a, const void* b) {
          return compare(*static_cast<const T*>(a), *static_cast<const T*>(b));
        }) {}

  // Precondition: 0 <= index < Count().
  const T& operator[](int32_t index) const { return *static_cast<const T*>(ItemPtr(index)); }
  T& operator[](int32_t index) { return *static_cast<T*>(ItemPtr(index)); }
  bool Get(int32_t index, T* item) const { return GetItem(index, item); }

  int32_t Add(const T& item) { return AddItem(&item); }
  void InsertAt(int32_t index, const T& item) { InsertItemsAt(index, &item, 1); }
  bool SetAt(int32_t index, const T& item) { return SetItemAt(index, &item); }
  int32_t Find(const T& key) const { return FindItem(&key); }
  bool Remove(const T& key) { return RemoveItem(&key); }

  const T* begin() const { return static_cast<const T*>(ItemPtr(0)); }
  const T* end() const { return begin() + Count(); }
};

#endif  // VYX_FOUNDATION_CPARRAY_T_H_
