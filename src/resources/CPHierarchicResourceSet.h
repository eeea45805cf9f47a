// Sets whose resources group those of a second set, their sub-resources
// (CPHierarchicResourceIndex.h), untyped or of records T. The order is read
// from `indexSet` under `indexID` when the set is made; SetSubResources then
// names the second set and rebuilds it. Written back by the owner with SaveIndex.
#ifndef VYX_RESOURCES_CPHIERARCHICRESOURCESET_H_
#define VYX_RESOURCES_CPHIERARCHICRESOURCESET_H_

#include "resources/CPHierarchicResourceIndex.h"
#include "resources/CPResourceSet_T.h"

class CPHierarchicResourceSet : public CPResourceSet {
 public:
  CPHierarchicResourceSet(CPResourceStorage& storage, ResType type, uint32_t recordSize,
                          CPResourceSet& indexSet, CPResID indexID)
      : CPResourceSet(storage, type, recordSize), order_(*this, indexSet, indexID) {
    order_.Load();
    SetIndex(&order_);
  }

 private:
  CPHierarchicResourceIndex order_;
};

template <typename T>
class CPHierResourceSet_T : public CPResourceSet_T<T> {
 public:
  CPHierResourceSet_T(CPResourceStorage& storage, ResType type, CPResourceSet& indexSet,
                      CPResID indexID)
      : CPResourceSet_T<T>(storage, type), order_(*this, indexSet, indexID) {
    order_.Load();
    this->SetIndex(&order_);
  }

 private:
  CPHierarchicResourceIndex order_;
};

#endif  // VYX_RESOURCES_CPHIERARCHICRESOURCESET_H_
