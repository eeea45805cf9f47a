// An order by name that nobody arranges: the IDs sorted by their names as a
// French reader sorts them, rebuilt from the storage when the set is made and
// kept in step as resources are added, renamed and removed. Nothing is saved.
#ifndef VYX_RESOURCES_CPSORTEDRESOURCEINDEX_H_
#define VYX_RESOURCES_CPSORTEDRESOURCEINDEX_H_

#include "foundation/CPArray_T.h"
#include "resources/CPResourceSetIndex.h"

class CPSortedResourceIndex : public CPResourceSetIndex, public CPArray_T<CPResID> {
 public:
  explicit CPSortedResourceIndex(CPResourceSet& owner) : CPResourceSetIndex(owner) {}

  void Load() override { Build(); }
  void Save() override {}
  void Build() override;
  void Check() override;
  int32_t GetCount() override { return Count(); }
  CPResID GetNth(int32_t n) override;
  int32_t GetIndex(CPResID id) override;
  // Before the first name that sorts after `name`; `position` is ignored.
  int32_t Add(CPResID id, ConstStringPtr name, int32_t position) override;
  void Remove(CPResID id) override;
  void Renamed(CPResID id, ConstStringPtr name) override;

  virtual int Compare(ConstStringPtr name1, ConstStringPtr name2);

 private:
  void NameOf(CPResID id, StringPtr name) const;
};

#endif  // VYX_RESOURCES_CPSORTEDRESOURCEINDEX_H_
