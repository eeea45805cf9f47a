// The file index: one item (dataID, type, refnum) per live record, in ascending
// dataID order, searched by bisection. It is kept in slices of at most a few
// hundred items so that adding or removing an item in a large file moves a few
// kilobytes, not the whole array. Owned by its CPSimpleDBFile; nothing fails
// except memory.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBFILEINDEX_H_
#define VYX_SIMPLEDB_CPSIMPLEDBFILEINDEX_H_

#include <cstddef>
#include <vector>

#include "simpledb/CPSimpleDBTypes.h"

struct CPSimpleDBFileIndexItem {
  CPSimpleDBDataID dataID = 0;
  CPSimpleDBDataType type = 0;
  CPSimpleDBRefnum refnum = 0;

  bool operator==(const CPSimpleDBFileIndexItem&) const = default;
};

class CPSimpleDBFileIndex {
 public:
  void Clear();
  size_t Count() const { return count_; }

  // Replaces the whole index by `items`, which must be sorted by dataID.
  void Assign(const std::vector<CPSimpleDBFileIndexItem>& items);
  // Adds an item after all the others (its dataID is above theirs).
  void Append(const CPSimpleDBFileIndexItem& item);
  std::vector<CPSimpleDBFileIndexItem> Items() const;

  // Adds an item at its place; an item with the same dataID is replaced.
  void Insert(const CPSimpleDBFileIndexItem& item);
  bool Remove(CPSimpleDBDataID dataID);
  const CPSimpleDBFileIndexItem* Find(CPSimpleDBDataID dataID) const;
  bool SetRefnum(CPSimpleDBDataID dataID, CPSimpleDBRefnum refnum);

  // The first item of `type` (0: any) whose dataID is above `after`
  // (0 from the start), or null.
  const CPSimpleDBFileIndexItem* Next(CPSimpleDBDataID after, CPSimpleDBDataType type) const;
  // The n-th item (from 1) of `type` (0: any), or null.
  const CPSimpleDBFileIndexItem* Nth(size_t n, CPSimpleDBDataType type) const;
  size_t CountOf(CPSimpleDBDataType type) const;
  // Hands the items of `type` (0: any) to `visit` in order, until it returns
  // false. The index should not change meanwhile; if it does, the walk stays
  // safe but may skip or repeat items.
  template <typename Visit>
  void ForEach(CPSimpleDBDataType type, Visit&& visit) const {
    for (size_t k = 0; k < slices_.size(); ++k) {
      for (size_t i = 0; i < slices_[k].size(); ++i) {
        const CPSimpleDBFileIndexItem item = slices_[k][i];
        if ((type == 0 || item.type == type) && !visit(item)) return;
      }
    }
  }

 private:
  using Slice = std::vector<CPSimpleDBFileIndexItem>;
  // How many items a type has and the highest dataID among them, so that a
  // walk of one type (a resource set listing its records) stops after its
  // last item instead of going through the whole index, and a type without
  // items costs nothing to walk.
  struct TypeSpan {
    CPSimpleDBDataType type = 0;
    size_t count = 0;
    CPSimpleDBDataID last = 0;
  };
  // The slice that holds, or would hold, `dataID`.
  size_t SliceFor(CPSimpleDBDataID dataID) const;
  // The span of `type`, null when it has never had an item.
  const TypeSpan* SpanOf(CPSimpleDBDataType type) const;
  void Counted(const CPSimpleDBFileIndexItem& item);
  // `item` left the index from slice `at`, position `position` (the place
  // it would hold now).
  void Uncounted(const CPSimpleDBFileIndexItem& item, size_t at, size_t position);

  std::vector<Slice> slices_;
  size_t count_ = 0;
  std::vector<TypeSpan> types_;           // a few dozen types at most
  mutable size_t lastSpans_[2] = {0, 0};  // where the last look-ups found their types
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFILEINDEX_H_
