#include "accounts/VYXCompteKeys.h"

#include <algorithm>

VYXCompteKeys::VYXCompteKeys() : counts_(kVYXMaxOperationKey + 1, 0) {}

void VYXCompteKeys::Clear() {
  std::fill(counts_.begin(), counts_.end(), 0);
  large_.clear();
  used_ = 0;
  firstFree_ = 1;
}

void VYXCompteKeys::Use(DataID key) {
  if (key > kVYXMaxOperationKey) {
    ++large_[key];
    return;
  }
  if (counts_[key]++ == 0 && key != 0) ++used_;
}

void VYXCompteKeys::Release(DataID key) {
  if (key > kVYXMaxOperationKey) {
    auto it = large_.find(key);
    if (it != large_.end() && --it->second == 0) large_.erase(it);
    return;
  }
  if (counts_[key] == 0) return;
  if (--counts_[key] == 0 && key != 0) {
    --used_;
    firstFree_ = std::min(firstFree_, key);
  }
}

bool VYXCompteKeys::InUse(DataID key) const {
  if (key > kVYXMaxOperationKey) return large_.count(key) != 0;
  return counts_[key] != 0;
}

bool VYXCompteKeys::CanKeep(DataID key) const {
  return key != 0 && key <= kVYXMaxOperationKey && counts_[key] == 0;
}

DataID VYXCompteKeys::SmallestFree() const {
  for (DataID key = std::max<DataID>(firstFree_, 1); key <= kVYXMaxOperationKey; ++key) {
    if (counts_[key] == 0) {
      firstFree_ = key;
      return key;
    }
  }
  firstFree_ = kVYXMaxOperationKey + 1;
  return 0;
}

DataID VYXCompteKeys::Draw(uint16_t* autoIncrement) const {
  DataID key = DataID(*autoIncrement) + 1;
  // Keys below the counter may have been kept by operations copied with
  // their own key; step over them rather than hand one out twice.
  while (key <= kVYXMaxOperationKey && counts_[key] != 0) ++key;
  if (key > kVYXMaxOperationKey || *autoIncrement == kVYXMaxOperationKey) {
    key = SmallestFree();
    if (key == 0) return 0;
    *autoIncrement = uint16_t(kVYXMaxOperationKey);
    return key;
  }
  *autoIncrement = uint16_t(std::min<DataID>(key + 1, kVYXMaxOperationKey));
  return key;
}

uint16_t VYXCompteKeys::AfterKeptKey(uint16_t autoIncrement, DataID key) {
  DataID after = std::max<DataID>(autoIncrement, key) + 1;
  return uint16_t(std::min<DataID>(after, kVYXMaxOperationKey));
}
