#include "resources/CPSortableResourceIndex.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "resources/CPResourceSet.h"

void CPSortableResourceIndex::Load() {
  indexSet_.LoadArray(indexID_, *this, CPHierResourceItem::Code);
  Build();
}

void CPSortableResourceIndex::Save() {
  Str255 name;
  Owner().GetResourceSetName(name);
  indexSet_.SaveArray(indexID_, name, *this, CPHierResourceItem::Code);
}

int32_t CPSortableResourceIndex::StoredCount() const {
  return Owner().GetStorage().GetResourcesCount(Owner().GetSessionRef());
}

CPResID CPSortableResourceIndex::StoredNth(int32_t n) const {
  return Owner().GetStorage().GetNthResource(Owner().GetSessionRef(), n);
}

bool CPSortableResourceIndex::Stored(CPResID id) const {
  return id != 0 && Owner().GetStorage().ResourceExists(Owner().GetSessionRef(), id);
}

CPResourceSet& CPSortableResourceIndex::SetOf(const CPHierResourceItem& item) const {
  if (item.level == 1 && Owner().GetSubResources()) return *Owner().GetSubResources();
  return Owner();
}

int32_t CPSortableResourceIndex::Locate(uint8_t level, CPResID id) const {
  for (int32_t i = 0; i < Count(); ++i) {
    const CPHierResourceItem& item = (*this)[i];
    if (item.level == level && item.id == id) return i;
  }
  return -1;
}

int32_t CPSortableResourceIndex::LocateSeparator() const { return Locate(0, 0); }

void CPSortableResourceIndex::Build() {
  std::set<CPResID> seen;
  for (int32_t i = Count() - 1; i >= 0; --i) {
    const CPHierResourceItem item = (*this)[i];
    if (item.level != 0 || !Stored(item.id)) RemoveItemsAt(i);
  }
  // A damaged order may list an ID twice: the first place wins.
  for (int32_t i = 0; i < Count();) {
    if (seen.insert((*this)[i].id).second) {
      ++i;
    } else {
      RemoveItemsAt(i);
    }
  }
  static const unsigned char kNoName[1] = {0};
  int32_t count = StoredCount();
  for (int32_t n = 1; n <= count; ++n) Add(StoredNth(n), kNoName, 0);
}

void CPSortableResourceIndex::Check() {
  if (Count() != StoredCount()) Build();
}

CPResID CPSortableResourceIndex::GetNth(int32_t n) {
  if (n < 1 || n > Count()) CPThrow(kCPErrNotFound);
  return (*this)[n - 1].id;
}

int32_t CPSortableResourceIndex::GetIndex(CPResID id) {
  int32_t i = id ? Locate(0, id) : -1;
  if (i < 0) CPThrow(kCPErrNotFound);
  return i + 1;
}

int32_t CPSortableResourceIndex::Add(CPResID id, ConstStringPtr, int32_t position) {
  int32_t i = Locate(0, id);
  if (i >= 0) return i + 1;
  CPHierResourceItem item;
  item.id = id;
  if (position >= 1) {
    int32_t at = std::min(position - 1, Count());
    InsertAt(at, item);
    return at + 1;
  }
  int32_t separator = LocateSeparator();
  if (separator >= 0) {
    InsertAt(separator, item);
    return separator + 1;
  }
  CPArray_T::Add(item);
  return Count();
}

void CPSortableResourceIndex::Remove(CPResID id) {
  int32_t i = Locate(0, id);
  if (i >= 0) RemoveItemsAt(i);
}

int32_t CPSortableResourceIndex::MoveTo(int32_t from, int32_t to) {
  int32_t count = Count();
  if (from < 1 || from > count) return 0;
  to = std::clamp(to, 1, count);
  if (from == to) return 0;
  const CPHierResourceItem item = (*this)[from - 1];
  if (item.IsSeparator()) return 0;
  if (item.level == 1 && to == 1) return 0;
  int32_t separator = LocateSeparator() + 1;  // 0 when there is none
  if (item.level == 0 && separator > 0 && to >= separator) {
    to = from < separator ? separator - 1 : separator;
    if (from == to) return 0;
  }
  MoveItem(from - 1, to - 1);
  return to;
}

void CPSortableResourceIndex::Sort() {
  // The separator stays where it is; what lies on either side is sorted apart.
  int32_t separator = LocateSeparator();
  if (separator < 0) {
    SortRange(0, Count());
  } else {
    SortRange(0, separator);
    SortRange(separator + 1, Count());
  }
}

void CPSortableResourceIndex::SortRange(int32_t first, int32_t last) {
  if (last - first < 2) return;
  struct Record {
    CPHierResourceItem item;
    Str255 name;
    std::vector<unsigned char> body;
  };
  std::vector<Record> records(size_t(last - first));
  for (int32_t i = first; i < last; ++i) {
    Record& r = records[size_t(i - first)];
    r.item = (*this)[i];
    CPResourceSet& set = SetOf(r.item);
    set.GetResourceName(r.item.id, r.name);
    r.body.resize(set.GetResourceSize(r.item.id));
    r.body.resize(set.GetResource(r.item.id, r.body.data(), uint32_t(r.body.size())));
  }
  std::stable_sort(records.begin(), records.end(), [this](const Record& a, const Record& b) {
    return CompareRecords(a.item.level, a.name, a.body.data(), uint32_t(a.body.size()), b.name,
                          b.body.data(), uint32_t(b.body.size())) < 0;
  });
  for (int32_t i = first; i < last; ++i) SetAt(i, records[size_t(i - first)].item);
}

int CPSortableResourceIndex::Compare(ConstStringPtr name1, const void* data1, uint32_t size1,
                                     ConstStringPtr name2, const void* data2, uint32_t size2) {
  return Owner().CompareResources(name1, data1, size1, name2, data2, size2);
}

void CPSortableResourceIndex::EncodeItem(CPHierResourceItem& item, const CPDataEncoding& encoding) {
  CPHierResourceItem::Code(&item, encoding, true);
}

void CPSortableResourceIndex::DecodeItem(CPHierResourceItem& item, const CPDataEncoding& encoding) {
  CPHierResourceItem::Code(&item, encoding, false);
}

int CPSortableResourceIndex::CompareItems(const CPHierResourceItem& a, const CPHierResourceItem& b) {
  auto read = [this](const CPHierResourceItem& item, StringPtr name, std::vector<unsigned char>& body) {
    CPResourceSet& set = SetOf(item);
    set.GetResourceName(item.id, name);
    body.resize(set.GetResourceSize(item.id));
    body.resize(set.GetResource(item.id, body.data(), uint32_t(body.size())));
  };
  Str255 nameA, nameB;
  std::vector<unsigned char> bodyA, bodyB;
  read(a, nameA, bodyA);
  read(b, nameB, bodyB);
  uint8_t level = a.level == 1 && b.level == 1 ? 1 : 0;
  return CompareRecords(level, nameA, bodyA.data(), uint32_t(bodyA.size()), nameB, bodyB.data(),
                        uint32_t(bodyB.size()));
}

int CPSortableResourceIndex::CompareRecords(uint8_t level, ConstStringPtr name1, const void* data1,
                                            uint32_t size1, ConstStringPtr name2, const void* data2,
                                            uint32_t size2) {
  if (level == 1 && Owner().GetSubResources()) {
    return Owner().GetSubResources()->CompareResources(name1, data1, size1, name2, data2, size2);
  }
  return Compare(name1, data1, size1, name2, data2, size2);
}
