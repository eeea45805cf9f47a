#include "analysis/VYXTotalArrays.h"

#include <algorithm>

namespace {

// One number per key that orders as the arrays do: the ID signed first.
int64_t MonthKey(CPResID id, int year, int month) {
  return int64_t(id) * (int64_t(1) << 32) + int64_t(uint16_t(year)) * 256 + uint8_t(month);
}
int64_t MonthKey(const VYXMonthTotalItem& item) { return MonthKey(item.id, item.year, item.month); }
int64_t PairKey(CPResID first, CPResID second) { return int64_t(first) * 65536 + int64_t(second); }
int64_t PairKey(const VYX2ResTotalItem& item) { return PairKey(item.first, item.second); }

// The first index whose key is not below `key`.
template <typename Item, typename KeyOf>
int32_t FirstNotBelow(const CPArray_T<Item>& array, int64_t key, KeyOf keyOf) {
  const Item* first = array.begin();
  const Item* at = std::lower_bound(first, array.end(), key,
                                    [&](const Item& item, int64_t k) { return keyOf(item) < k; });
  return int32_t(at - first);
}

}  // namespace

int32_t VYXMonthTotalArray::Find(int month, int year, CPResID id, int32_t* insertAt) const {
  constexpr size_t kHints = 4096;
  int64_t key = MonthKey(id, year, month);
  size_t slot = size_t(uint16_t(id) * 7919u + uint16_t(year) * 13u + uint8_t(month)) % kHints;
  if (hints_.empty()) hints_.assign(kHints, -1);
  int32_t hint = hints_[slot];
  if (hint >= 0 && hint < Count() && MonthKey((*this)[hint]) == key) return hint;
  int32_t at = FirstNotBelow(*this, key, [](const VYXMonthTotalItem& i) { return MonthKey(i); });
  if (at < Count() && MonthKey((*this)[at]) == key) {
    hints_[slot] = at;
    return at;
  }
  if (insertAt) *insertAt = at;
  return -1;
}

ExtMontantSet VYXMonthTotalArray::Get(int month, int year, CPResID id) const {
  int32_t at = Find(month, year, id);
  return at < 0 ? ExtMontantSet() : (*this)[at].montants;
}

void VYXMonthTotalArray::Add(int month, int year, CPResID id, OpStatus status, double amount,
                             bool credit) {
  int32_t insertAt = 0;
  int32_t at = Find(month, year, id, &insertAt);
  if (at < 0) {
    InsertAt(insertAt, VYXMonthTotalItem(month, year, id));
    at = insertAt;
  }
  (*this)[at].montants.Add(status, amount, credit);
}

void VYXMonthTotalArray::AddItems(const std::vector<VYXMonthTotalItem>& items) {
  if (items.empty()) return;
  std::vector<VYXMonthTotalItem> merged;
  merged.reserve(size_t(Count()) + items.size());
  const VYXMonthTotalItem* mine = begin();
  auto put = [&merged](const VYXMonthTotalItem& item) {
    if (!merged.empty() && MonthKey(merged.back()) == MonthKey(item)) {
      merged.back().montants += item.montants;
    } else {
      merged.push_back(item);
    }
  };
  for (const VYXMonthTotalItem& item : items) {
    while (mine != end() && MonthKey(*mine) <= MonthKey(item)) put(*mine++);
    put(item);
  }
  while (mine != end()) put(*mine++);
  RemoveAll();
  InsertItemsAt(0, merged.data(), int32_t(merged.size()));
}

void VYXMonthTotalArray::ToArray(CPResID id, CPMonthYear from, CPMonthYear to,
                                 CPArray_T<VYXMonthTotalItem>& array, ExtMontantSet* sum) const {
  array.RemoveAll();
  ExtMontantSet total;
  for (int s = from.Serial(); s <= to.Serial(); ++s) {
    CPMonthYear m = CPMonthYear::FromSerial(s);
    VYXMonthTotalItem item(m.month, m.year, id);
    item.montants = Get(m.month, m.year, id);
    total += item.montants;
    array.Add(item);
  }
  if (sum) *sum = total;
}

ExtMontantSet VYXMonthTotalArray::Sum(CPResID id, CPMonthYear from, CPMonthYear to) const {
  ExtMontantSet total;
  int64_t last = MonthKey(id, to.year, to.month);
  for (int32_t at = FirstNotBelow(*this, MonthKey(id, from.year, from.month),
                                  [](const VYXMonthTotalItem& i) { return MonthKey(i); });
       at < Count() && MonthKey((*this)[at]) <= last; ++at) {
    total += (*this)[at].montants;
  }
  return total;
}

std::vector<CPResID> VYXMonthTotalArray::GetIDs() const {
  std::vector<CPResID> ids;
  for (const VYXMonthTotalItem& item : *this) {
    CPResID id = item.id;
    if (ids.empty() || ids.back() != id) ids.push_back(id);
  }
  return ids;
}

bool VYXMonthTotalArray::RemoveIf(const std::function<bool(CPResID)>& drop) {
  bool removed = false;
  for (int32_t at = Count() - 1; at >= 0; --at) {
    if (drop((*this)[at].id)) {
      RemoveItemsAt(at);
      removed = true;
    }
  }
  return removed;
}

int32_t VYX2ResTotalArray::Find(CPResID first, CPResID second, int32_t* insertAt) const {
  int64_t key = PairKey(first, second);
  int32_t at = FirstNotBelow(*this, key, [](const VYX2ResTotalItem& i) { return PairKey(i); });
  if (at < Count() && PairKey((*this)[at]) == key) return at;
  if (insertAt) *insertAt = at;
  return -1;
}

ExtMontantSet VYX2ResTotalArray::Get(CPResID first, CPResID second) const {
  int32_t at = Find(first, second);
  return at < 0 ? ExtMontantSet() : (*this)[at].montants;
}

void VYX2ResTotalArray::Add(CPResID first, CPResID second, OpStatus status, double amount,
                            bool credit) {
  int32_t insertAt = 0;
  int32_t at = Find(first, second, &insertAt);
  if (at < 0) {
    InsertAt(insertAt, VYX2ResTotalItem(first, second));
    at = insertAt;
  }
  (*this)[at].montants.Add(status, amount, credit);
}

int32_t VYXTitresArray::Find(CPResID titre, int32_t* insertAt) const {
  const VYXTitreTotalItem* at = std::lower_bound(
      begin(), end(), titre,
      [](const VYXTitreTotalItem& item, CPResID key) { return CPResID(item.titre) < key; });
  int32_t index = int32_t(at - begin());
  if (index < Count() && CPResID((*this)[index].titre) == titre) return index;
  if (insertAt) *insertAt = index;
  return -1;
}

void VYXTitresArray::Add(CPResID titre, double quantity, OpStatus status, double amount,
                         bool credit) {
  int32_t insertAt = 0;
  int32_t at = Find(titre, &insertAt);
  if (at < 0) {
    InsertAt(insertAt, VYXTitreTotalItem(titre));
    at = insertAt;
  }
  VYXTitreTotalItem& item = (*this)[at];
  item.quantity = double(item.quantity) + quantity;
  item.montants.Add(status, amount, credit);
}
