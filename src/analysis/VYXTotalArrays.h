// The sorted arrays of the totals engine. VYXMonthTotalArray holds one item
// per (list item, month) that received an amount, ordered by ID, year and
// month, so that the months of one item lie together; VYX2ResTotalArray one
// item per pair of list items. Lookups of an absent key answer cleared
// amounts; additions insert a cleared item at its sorted place first.
#ifndef VYX_ANALYSIS_VYXTOTALARRAYS_H_
#define VYX_ANALYSIS_VYXTOTALARRAYS_H_

#include <functional>
#include <vector>

#include "analysis/VYXTotalItems.h"
#include "foundation/CPEncodableArray_T.h"
#include "foundation/CPMonthPeriod.h"

class VYXMonthTotalArray : public CPEncodableArray_T<VYXMonthTotalItem> {
 public:
  // The index of the item of that key; -1 when none, `insertAt` (may be
  // null) then receiving where it would go.
  int32_t Find(int month, int year, CPResID id, int32_t* insertAt = nullptr) const;
  // The amounts of that key; cleared when there is no item.
  ExtMontantSet Get(int month, int year, CPResID id) const;
  // Adds into the item of that key, made when missing.
  void Add(int month, int year, CPResID id, OpStatus status, double amount, bool credit);
  // Adds each of `items` (in the array's order, keys may repeat) into the
  // item of its key, made when missing: one merge of the two, rather than a
  // search for each.
  void AddItems(const std::vector<VYXMonthTotalItem>& items);
  // Clears `array` and `sum`, then gives one entry per month from `from` to
  // `to` inclusive (the key's item, or a cleared one with that key) and
  // their sum. Nothing when `to` comes before `from`.
  void ToArray(CPResID id, CPMonthYear from, CPMonthYear to, CPArray_T<VYXMonthTotalItem>& array,
               ExtMontantSet* sum) const;
  // The amounts of one ID over the months from `from` to `to` inclusive.
  ExtMontantSet Sum(CPResID id, CPMonthYear from, CPMonthYear to) const;
  // The IDs that have items, in order.
  std::vector<CPResID> GetIDs() const;
  // Removes every item whose ID `drop` answers true for; whether any went.
  bool RemoveIf(const std::function<bool(CPResID)>& drop);

 private:
  // Where each key was last found, by a hash of the key: counting a whole
  // account asks for the same few thousand keys again and again, and a hint
  // checked against the item it points to spares the binary search. A hint
  // made stale by an insertion or a removal fails that check.
  mutable std::vector<int32_t> hints_;
};

class VYX2ResTotalArray : public CPEncodableArray_T<VYX2ResTotalItem> {
 public:
  int32_t Find(CPResID first, CPResID second, int32_t* insertAt = nullptr) const;
  ExtMontantSet Get(CPResID first, CPResID second) const;
  void Add(CPResID first, CPResID second, OpStatus status, double amount, bool credit);
};

class VYXTitresArray : public CPEncodableArray_T<VYXTitreTotalItem> {
 public:
  int32_t Find(CPResID titre, int32_t* insertAt = nullptr) const;
  // Adds an operation's quantity and amount to its security, made when missing.
  void Add(CPResID titre, double quantity, OpStatus status, double amount, bool credit);
};

#endif  // VYX_ANALYSIS_VYXTOTALARRAYS_H_
