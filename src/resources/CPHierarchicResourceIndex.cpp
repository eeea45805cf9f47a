#include "resources/CPHierarchicResourceIndex.h"

#include <algorithm>
#include <set>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "resources/CPResourceSet.h"

namespace {

constexpr uint32_t kKeptSubWord = 100;

}  // namespace

int32_t CPHierarchicResourceIndex::AttachedCount() const {
  int32_t separator = LocateSeparator();
  return separator < 0 ? Count() : separator;
}

int32_t CPHierarchicResourceIndex::LocateResource(CPResID id) const {
  int32_t i = id ? Locate(0, id) : -1;
  if (i < 0) CPThrow(kCPErrNotFound);
  return i;
}

int32_t CPHierarchicResourceIndex::LocateSub(CPResID subID) const { return Locate(1, subID); }

void CPHierarchicResourceIndex::Build() {
  CPResourceSet* subs = Owner().GetSubResources();
  // 1. Keep each block of an existing resource; drop the blocks of resources
  //    that are gone and of old separators, and sub-resources before any
  //    resource. Sub-resources that are gone are dropped with them.
  std::vector<CPHierResourceItem> kept;
  std::set<CPResID> resources, subIDs;
  bool keepBlock = false;
  for (int32_t i = 0; i < Count(); ++i) {
    CPHierResourceItem item = (*this)[i];
    if (item.level == 0) {
      keepBlock = Stored(item.id) && resources.insert(item.id).second;
      if (keepBlock) kept.push_back(item);
    } else if (item.level == 1 && keepBlock) {
      // Until the sub-resources set is named (the order is loaded before it is),
      // filed sub-resources are kept as they are.
      if ((!subs || subs->ResourceExists(item.id)) && subIDs.insert(item.id).second) {
        item.word = kKeptSubWord;
        kept.push_back(item);
      }
    }
  }
  RemoveAll();
  for (const CPHierResourceItem& item : kept) CPArray_T::Add(item);
  // 2. Every resource of the set.
  static const unsigned char kNoName[1] = {0};
  int32_t count = StoredCount();
  for (int32_t n = 1; n <= count; ++n) CPSortableResourceIndex::Add(StoredNth(n), kNoName, 0);
  // 3. The separator, then every sub-resource not yet filed, under nothing.
  if (subs) {
    CPHierResourceItem separator;
    CPArray_T::Add(separator);
    int32_t subCount = subs->GetResourcesCount();
    for (int32_t n = 1; n <= subCount; ++n) {
      CPResID subID = subs->GetNthResource(n, true);
      if (subID != 0 && subIDs.insert(subID).second) {
        CPHierResourceItem item;
        item.level = 1;
        item.id = subID;
        CPArray_T::Add(item);
      }
    }
  }
}

void CPHierarchicResourceIndex::Check() {
  int32_t resources = 0, subItems = 0;
  for (const CPHierResourceItem& item : *this) {
    if (item.level == 0 && item.id != 0) ++resources;
    if (item.level == 1) ++subItems;
  }
  CPResourceSet* subs = Owner().GetSubResources();
  int32_t subCount = subs ? subs->GetStorage().GetResourcesCount(subs->GetSessionRef()) : 0;
  if (resources != StoredCount() || (subs && subItems != subCount)) Build();
}

int32_t CPHierarchicResourceIndex::GetCount() {
  int32_t n = 0;
  for (const CPHierResourceItem& item : *this) n += item.level == 0 && item.id != 0;
  return n;
}

CPResID CPHierarchicResourceIndex::GetNth(int32_t n) {
  if (n >= 1) {
    for (const CPHierResourceItem& item : *this) {
      if (item.level == 0 && item.id != 0 && --n == 0) return item.id;
    }
  }
  CPThrow(kCPErrNotFound);
}

int32_t CPHierarchicResourceIndex::GetIndex(CPResID id) {
  int32_t n = 0;
  for (const CPHierResourceItem& item : *this) {
    if (item.level == 0 && item.id != 0) {
      ++n;
      if (item.id == id) return n;
    }
  }
  CPThrow(kCPErrNotFound);
}

int32_t CPHierarchicResourceIndex::Add(CPResID id, ConstStringPtr name, int32_t position) {
  CPSortableResourceIndex::Add(id, name, position);
  return GetIndex(id);
}

void CPHierarchicResourceIndex::Remove(CPResID id) {
  int32_t i = id ? Locate(0, id) : -1;
  if (i < 0) return;
  std::vector<CPResID> block;
  int32_t end = i + 1;
  while (end < Count() && (*this)[end].level == 1) block.push_back((*this)[end++].id);
  RemoveItemsAt(i, end - i);
  for (CPResID subID : block) AppendUnattached(subID);
}

void CPHierarchicResourceIndex::AppendUnattached(CPResID subID) {
  if (LocateSeparator() < 0) CPArray_T::Add(CPHierResourceItem());
  CPHierResourceItem item;
  item.level = 1;
  item.id = subID;
  CPArray_T::Add(item);
}

void CPHierarchicResourceIndex::Sort() {
  // Blocks (a resource and what is filed under it) are ordered by their
  // resource; then the sub-resources are sorted within each block, and those
  // after the separator among themselves.
  int32_t attached = AttachedCount();
  struct Block {
    std::vector<CPHierResourceItem> items;
    Str255 name;
    std::vector<unsigned char> body;
  };
  std::vector<Block> blocks;
  for (int32_t i = 0; i < attached; ++i) {
    const CPHierResourceItem item = (*this)[i];
    if (item.level == 0 || blocks.empty()) {
      blocks.emplace_back();
      CPResourceSet& set = SetOf(item);
      set.GetResourceName(item.id, blocks.back().name);
      std::vector<unsigned char>& body = blocks.back().body;
      body.resize(set.GetResourceSize(item.id));
      body.resize(set.GetResource(item.id, body.data(), uint32_t(body.size())));
    }
    blocks.back().items.push_back(item);
  }
  std::stable_sort(blocks.begin(), blocks.end(), [this](const Block& a, const Block& b) {
    return Compare(a.name, a.body.data(), uint32_t(a.body.size()), b.name, b.body.data(),
                   uint32_t(b.body.size())) < 0;
  });
  int32_t at = 0;
  for (const Block& block : blocks) {
    for (const CPHierResourceItem& item : block.items) SetAt(at++, item);
  }
  for (int32_t i = 0; i < attached;) {
    int32_t first = i + 1, last = first;
    while (last < attached && (*this)[last].level == 1) ++last;
    SortRange(first, last);
    i = last;
  }
  if (attached < Count()) SortRange(attached + 1, Count());
}

int32_t CPHierarchicResourceIndex::GetSubCount(CPResID id) {
  int32_t i = LocateResource(id), n = 0;
  while (i + 1 + n < Count() && (*this)[i + 1 + n].level == 1) ++n;
  return n;
}

CPResID CPHierarchicResourceIndex::GetNthSub(CPResID id, int32_t n) {
  if (n < 1 || n > GetSubCount(id)) CPThrow(kCPErrNotFound);
  return (*this)[LocateResource(id) + n].id;
}

int32_t CPHierarchicResourceIndex::GetSubIndex(CPResID supID, int32_t n, CPResID* subID) {
  CPResID id = GetNthSub(supID, n);
  if (subID) *subID = id;
  return LocateResource(supID) + n + 1;
}

CPResID CPHierarchicResourceIndex::GetSupID(CPResID subID, int32_t* n) {
  int32_t i = LocateSub(subID);
  if (i < 0) CPThrow(kCPErrNotFound);
  int32_t j = i - 1;
  while (j >= 0 && (*this)[j].level != 0) --j;
  if (n) *n = i - j;
  return j < 0 ? 0 : (*this)[j].id;  // the separator's ID is 0: under nothing
}

int32_t CPHierarchicResourceIndex::GetSupIndex(CPResID subID, int32_t* n) {
  CPResID supID = GetSupID(subID, n);
  return supID ? GetIndex(supID) : 0;
}

int32_t CPHierarchicResourceIndex::GetCount(bool withSubs) {
  return withSubs ? AttachedCount() : GetCount();
}

int32_t CPHierarchicResourceIndex::GetIndex(CPResID id, bool withSubs) {
  if (!withSubs) return GetIndex(id);
  return LocateResource(id) + 1;
}

CPResID CPHierarchicResourceIndex::GetNth(int32_t n, bool withSubs, bool* isSub) {
  if (!withSubs) {
    if (isSub) *isSub = false;
    return GetNth(n);
  }
  if (n < 1 || n > AttachedCount()) CPThrow(kCPErrNotFound);
  const CPHierResourceItem& item = (*this)[n - 1];
  if (isSub) *isSub = item.level == 1;
  return item.id;
}

int32_t CPHierarchicResourceIndex::GetSubIndex(CPResID subID, CPResID* supID) {
  int32_t i = LocateSub(subID);
  if (i < 0 || i >= AttachedCount()) CPThrow(kCPErrNotFound);
  if (supID) *supID = GetSupID(subID, nullptr);
  return i + 1;
}

bool CPHierarchicResourceIndex::SetSupID(CPResID subID, CPResID supID) {
  CPResourceSet* subs = Owner().GetSubResources();
  if (!subs || !subs->ResourceExists(subID)) CPThrow(kCPErrNotFound);
  if (supID != 0 && !Stored(supID)) CPThrow(kCPErrNotFound);
  if (supID != 0) LocateResource(supID);  // the order must know it
  for (int32_t i = LocateSub(subID); i >= 0; i = LocateSub(subID)) RemoveItemsAt(i);
  if (supID == 0) {
    AppendUnattached(subID);
    return true;
  }
  int32_t i = LocateResource(supID) + 1;
  while (i < Count() && (*this)[i].level == 1) ++i;
  CPHierResourceItem item;
  item.level = 1;
  item.id = subID;
  InsertAt(i, item);
  return true;
}
