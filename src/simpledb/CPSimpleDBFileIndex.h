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

 private:
  using Slice = std::vector<CPSimpleDBFileIndexItem>;
  // The slice that holds, or would hold, `dataID`.
  size_t SliceFor(CPSimpleDBDataID dataID) const;

  std::vector<Slice> slices_;
  size_t count_ = 0;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBFILEINDEX_H_
