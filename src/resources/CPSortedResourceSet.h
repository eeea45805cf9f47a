// Sets always shown in name order (CPSortedResourceIndex.h), untyped or of
// records T. Nothing is saved: the order is made from the names when the set is.
#ifndef VYX_RESOURCES_CPSORTEDRESOURCESET_H_
#define VYX_RESOURCES_CPSORTEDRESOURCESET_H_

#include "resources/CPResourceSet_T.h"
#include "resources/CPSortedResourceIndex.h"

class CPSortedResourceSet : public CPResourceSet {
 public:
  CPSortedResourceSet(CPResourceStorage& storage, ResType type, uint32_t recordSize)
      : CPResourceSet(storage, type, recordSize), order_(*this) {
    order_.Build();
    SetIndex(&order_);
  }

 private:
  CPSortedResourceIndex order_;
};

template <typename T>
class CPSortedResourceSet_T : public CPResourceSet_T<T> {
 public:
  CPSortedResourceSet_T(CPResourceStorage& storage, ResType type)
      : CPResourceSet_T<T>(storage, type), order_(*this) {
    order_.Build();
    this->SetIndex(&order_);
  }

 private:
  CPSortedResourceIndex order_;
};

#endif  // VYX_RESOURCES_CPSORTEDRESOURCESET_H_
