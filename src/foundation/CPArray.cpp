#include "foundation/CPArray.h"

#include <algorithm>
#include <cstring>

CPArray::CPArray(uint32_t itemSize, Compare compare)
    : itemSize_(itemSize ? itemSize : 1), compare_(std::move(compare)) {}

const void* CPArray::ItemPtr(int32_t index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return bytes_.data() + size_t(index) * itemSize_;
}

void* CPArray::ItemPtr(int32_t index) {
  return const_cast<void*>(static_cast<const CPArray*>(this)->ItemPtr(index));
}

bool CPArray::GetItem(int32_t index, void* item) const {
  const void* p = ItemPtr(index);
  if (!p) return false;
  std::memcpy(item, p, itemSize_);
  return true;
}

int32_t CPArray::AddItem(const void* item) {
  int32_t index = IsSorted() ? UpperBound(item) : Count();
  InsertItemsAt(index, item, 1);
  return index;
}

void CPArray::InsertItemsAt(int32_t index, const void* items, int32_t count) {
  if (count <= 0) return;
  index = std::clamp(index, 0, Count());
  const auto* p = static_cast<const unsigned char*>(items);
  // `items` may point into this array: copy before the storage moves.
  std::vector<unsigned char> copy(p, p + size_t(count) * itemSize_);
  bytes_.insert(bytes_.begin() + size_t(index) * itemSize_, copy.begin(), copy.end());
  Changed(kCPArrayItemsInserted, {index, count, 0});
}

bool CPArray::SetItemAt(int32_t index, const void* item) {
  void* p = ItemPtr(index);
  if (!p) return false;
  std::memmove(p, item, itemSize_);
  Changed(kCPArrayItemChanged, {index, 1, 0});
  return true;
}

bool CPArray::RemoveItemsAt(int32_t index, int32_t count) {
  if (index < 0 || count <= 0 || index >= Count()) return false;
  count = std::min(count, Count() - index);
  auto first = bytes_.begin() + size_t(index) * itemSize_;
  bytes_.erase(first, first + size_t(count) * itemSize_);
  Changed(kCPArrayItemsRemoved, {index, count, 0});
  return true;
}

void CPArray::RemoveAll() {
  int32_t count = Count();
  if (count == 0) return;
  bytes_.clear();
  Changed(kCPArrayItemsRemoved, {0, count, 0});
}

bool CPArray::MoveItem(int32_t from, int32_t to) {
  if (!ItemPtr(from) || !ItemPtr(to)) return false;
  if (from == to) return true;
  auto base = bytes_.begin();
  auto a = base + size_t(from) * itemSize_, b = base + size_t(to) * itemSize_;
  if (from < to)
    std::rotate(a, a + itemSize_, b + itemSize_);
  else
    std::rotate(b, a, a + itemSize_);
  Changed(kCPArrayItemMoved, {from, 1, to});
  return true;
}

bool CPArray::SwapItems(int32_t a, int32_t b) {
  auto* pa = static_cast<unsigned char*>(ItemPtr(a));
  auto* pb = static_cast<unsigned char*>(ItemPtr(b));
  if (!pa || !pb) return false;
  if (a == b) return true;
  std::swap_ranges(pa, pa + itemSize_, pb);
  Changed(kCPArrayItemsSwapped, {a, 1, b});
  return true;
}

int32_t CPArray::FindItem(const void* key) const {
  if (IsSorted()) {
    int32_t index = LowerBound(key);
    return index < Count() && compare_(ItemPtr(index), key) == 0 ? index : kCPArrayNoIndex;
  }
  for (int32_t i = 0, n = Count(); i < n; ++i)
    if (std::memcmp(ItemPtr(i), key, itemSize_) == 0) return i;
  return kCPArrayNoIndex;
}

bool CPArray::RemoveItem(const void* key) {
  int32_t index = FindItem(key);
  return index != kCPArrayNoIndex && RemoveItemsAt(index, 1);
}

int32_t CPArray::LowerBound(const void* key) const {
  int32_t lo = 0, hi = Count();
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    if (compare_(ItemPtr(mid), key) < 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}

int32_t CPArray::UpperBound(const void* key) const {
  int32_t lo = 0, hi = Count();
  while (lo < hi) {
    int32_t mid = lo + (hi - lo) / 2;
    if (compare_(ItemPtr(mid), key) <= 0)
      lo = mid + 1;
    else
      hi = mid;
  }
  return lo;
}
