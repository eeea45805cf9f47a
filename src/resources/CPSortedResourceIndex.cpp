#include "resources/CPSortedResourceIndex.h"

#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "resources/CPResourceSet.h"

void CPSortedResourceIndex::NameOf(CPResID id, StringPtr name) const {
  Owner().GetStorage().GetResourceName(Owner().GetSessionRef(), id, name);
}

void CPSortedResourceIndex::Build() {
  RemoveAll();
  CPResourceStorage& storage = Owner().GetStorage();
  CPResourceSetRef ref = Owner().GetSessionRef();
  int32_t count = storage.GetResourcesCount(ref);
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = storage.GetNthResource(ref, n);
    Str255 name;
    NameOf(id, name);
    Add(id, name, 0);
  }
}

void CPSortedResourceIndex::Check() {
  if (Count() != Owner().GetStorage().GetResourcesCount(Owner().GetSessionRef())) Build();
}

CPResID CPSortedResourceIndex::GetNth(int32_t n) {
  if (n < 1 || n > Count()) CPThrow(kCPErrNotFound);
  return (*this)[n - 1];
}

int32_t CPSortedResourceIndex::GetIndex(CPResID id) {
  int32_t i = Find(id);
  if (id == 0 || i < 0) CPThrow(kCPErrNotFound);
  return i + 1;
}

int32_t CPSortedResourceIndex::Add(CPResID id, ConstStringPtr name, int32_t) {
  int32_t i = Find(id);
  if (i >= 0) return i + 1;
  // The items are in name order: find the first that sorts after `name` by halves.
  int32_t lo = 0, hi = Count();
  while (lo < hi) {
    int32_t mid = (lo + hi) / 2;
    Str255 other;
    NameOf((*this)[mid], other);
    if (Compare(other, name) > 0) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  InsertAt(lo, id);
  return lo + 1;
}

void CPSortedResourceIndex::Remove(CPResID id) { CPArray_T::Remove(id); }

void CPSortedResourceIndex::Renamed(CPResID id, ConstStringPtr name) {
  Remove(id);
  Add(id, name, 0);
}

int CPSortedResourceIndex::Compare(ConstStringPtr name1, ConstStringPtr name2) {
  return CPCompareString(name1, name2);
}
