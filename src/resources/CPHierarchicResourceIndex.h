// A display order in two levels: each resource of the set is followed by the
// resources of its sub-resources set filed under it (level 1); after the
// separator come the sub-resources filed under nothing. Budget posts and their
// categories, filter sheets and their filters. Saved like the sortable order.
// Positions counted "with subs" are places in that two-level sequence, before
// the separator; positions without are places among the set's own resources.
#ifndef VYX_RESOURCES_CPHIERARCHICRESOURCEINDEX_H_
#define VYX_RESOURCES_CPHIERARCHICRESOURCEINDEX_H_

#include "resources/CPSortableResourceIndex.h"

class CPHierarchicResourceIndex : public CPSortableResourceIndex {
 public:
  using CPSortableResourceIndex::CPSortableResourceIndex;

  void Build() override;
  // Builds when either level's count differs from its set's.
  void Check() override;
  int32_t GetCount() override;
  CPResID GetNth(int32_t n) override;
  int32_t GetIndex(CPResID id) override;
  int32_t Add(CPResID id, ConstStringPtr name, int32_t position) override;
  // The resources filed under the removed one are then filed under nothing.
  void Remove(CPResID id) override;
  // Sorts the resources (each with its block), and the sub-resources in each block.
  void Sort() override;

  int32_t GetSubCount(CPResID id) override;
  CPResID GetNthSub(CPResID id, int32_t n) override;
  int32_t GetSubIndex(CPResID supID, int32_t n, CPResID* subID) override;
  CPResID GetSupID(CPResID subID, int32_t* n) override;
  int32_t GetSupIndex(CPResID subID, int32_t* n) override;
  int32_t GetCount(bool withSubs) override;
  int32_t GetIndex(CPResID id, bool withSubs) override;
  CPResID GetNth(int32_t n, bool withSubs, bool* isSub) override;
  int32_t GetSubIndex(CPResID subID, CPResID* supID) override;
  bool SetSupID(CPResID subID, CPResID supID) override;

 private:
  // Items before the separator (all of them when there is none).
  int32_t AttachedCount() const;
  // 0-based index of the level-0 item of `id`; raises code 1 when absent.
  int32_t LocateResource(CPResID id) const;
  int32_t LocateSub(CPResID subID) const;
  void AppendUnattached(CPResID subID);
};

#endif  // VYX_RESOURCES_CPHIERARCHICRESOURCEINDEX_H_
