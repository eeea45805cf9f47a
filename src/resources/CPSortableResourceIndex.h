// A display order that the user arranges: one item per resource, moved by hand
// or sorted on demand, and saved as an array resource (its items one after the
// other) under a fixed ID of an index set, the 'HIER' set of its file. New
// resources go just above the separator when the order has one, else last.
#ifndef VYX_RESOURCES_CPSORTABLERESOURCEINDEX_H_
#define VYX_RESOURCES_CPSORTABLERESOURCEINDEX_H_

#include "foundation/CPArray_T.h"
#include "resources/CPResourceSetIndex.h"

class CPSortableResourceIndex : public CPResourceSetIndex, public CPArray_T<CPHierResourceItem> {
 public:
  // `indexSet` keeps the saved order under `indexID`; neither set is owned.
  CPSortableResourceIndex(CPResourceSet& owner, CPResourceSet& indexSet, CPResID indexID)
      : CPResourceSetIndex(owner), indexSet_(indexSet), indexID_(indexID) {}

  // Reads the saved order, then Build.
  void Load() override;
  void Save() override;
  // Keeps the items of existing resources in their order and adds the others.
  void Build() override;
  void Check() override;
  int32_t GetCount() override { return Count(); }
  CPResID GetNth(int32_t n) override;
  int32_t GetIndex(CPResID id) override;
  int32_t Add(CPResID id, ConstStringPtr name, int32_t position) override;
  void Remove(CPResID id) override;
  bool CanMove() override { return true; }
  // The separator stays put; a sub-resource cannot go first; a resource moved
  // at or past the separator lands just above it.
  int32_t MoveTo(int32_t from, int32_t to) override;
  bool CanSort() override { return true; }
  void Sort() override;

  // The owner set's order of two records.
  virtual int Compare(ConstStringPtr name1, const void* data1, uint32_t size1, ConstStringPtr name2,
                      const void* data2, uint32_t size2);
  virtual void EncodeItem(CPHierResourceItem& item, const CPDataEncoding& encoding);
  virtual void DecodeItem(CPHierResourceItem& item, const CPDataEncoding& encoding);
  // Reads both records (of the sub-resources set for level-1 items) and compares them.
  virtual int CompareItems(const CPHierResourceItem& a, const CPHierResourceItem& b);

  CPResourceSet& IndexSet() const { return indexSet_; }
  CPResID IndexID() const { return indexID_; }

 protected:
  // 0-based index of the item, or -1.
  int32_t Locate(uint8_t level, CPResID id) const;
  int32_t LocateSeparator() const;
  // The owner's resources as its storage has them.
  int32_t StoredCount() const;
  CPResID StoredNth(int32_t n) const;
  bool Stored(CPResID id) const;
  // Sorts items [first, last), all of one level, reading each record once.
  void SortRange(int32_t first, int32_t last);
  // Level-1 records are ordered by the sub-resources set, the others by Compare.
  int CompareRecords(uint8_t level, ConstStringPtr name1, const void* data1, uint32_t size1,
                     ConstStringPtr name2, const void* data2, uint32_t size2);
  CPResourceSet& SetOf(const CPHierResourceItem& item) const;

 private:
  CPResourceSet& indexSet_;
  CPResID indexID_;
};

#endif  // VYX_RESOURCES_CPSORTABLERESOURCEINDEX_H_
