// Sets with a display order the user arranges (CPSortableResourceIndex.h),
// untyped or of records T. The order is read from `indexSet` under `indexID`
// when the set is made, and written back by the owner with SaveIndex.
#ifndef VYX_RESOURCES_CPSORTABLERESOURCESET_H_
#define VYX_RESOURCES_CPSORTABLERESOURCESET_H_

#include "resources/CPResourceSet_T.h"
#include "resources/CPSortableResourceIndex.h"

class CPSortableResourceSet : public CPResourceSet {
 public:
  CPSortableResourceSet(CPResourceStorage& storage, ResType type, uint32_t recordSize,
                        CPResourceSet& indexSet, CPResID indexID)
      : CPResourceSet(storage, type, recordSize), order_(*this, indexSet, indexID) {
    order_.Load();
    SetIndex(&order_);
  }

 private:
  CPSortableResourceIndex order_;
};

template <typename T>
class CPSortableResourceSet_T : public CPResourceSet_T<T> {
 public:
  CPSortableResourceSet_T(CPResourceStorage& storage, ResType type, CPResourceSet& indexSet,
                          CPResID indexID)
      : CPResourceSet_T<T>(storage, type), order_(*this, indexSet, indexID) {
    order_.Load();
    this->SetIndex(&order_);
  }

 private:
  CPSortableResourceIndex order_;
};

#endif  // VYX_RESOURCES_CPSORTABLERESOURCESET_H_
