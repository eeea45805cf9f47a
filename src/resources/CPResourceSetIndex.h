// The display order of a resource set. An index belongs to the derived set that
// installs it with SetIndex and lives as long as that set. It reads the
// resources through the set's storage, never through the set's own queries, so
// that a set may check its index from any of them. Positions are 1-based;
// absent IDs and positions raise the bare code 1.
#ifndef VYX_RESOURCES_CPRESOURCESETINDEX_H_
#define VYX_RESOURCES_CPRESOURCESETINDEX_H_

#include <cstdint>

#include "foundation/CPDataEncoding.h"
#include "platform/CPMacTypes.h"

class CPResourceSet;

// An item of the sortable and hierarchic indexes, 8 bytes as stored.
struct CPHierResourceItem {
  uint8_t level = 0;  // 0: a resource of the set, or the separator; 1: a sub-resource
  uint8_t zero = 0;
  CPResID id = 0;     // 0 with level 0: the separator
  uint32_t word = 0;  // 0 when made; 100 in sub-resource items a rebuild kept

  bool IsSeparator() const { return level == 0 && id == 0; }
  // Bytes 0-1 swap as one 16-bit word, then the ID, then the 32-bit word.
  void ByteSwap();
  static void Code(void* item, const CPDataEncoding& encoding, bool toEncoding);
};
static_assert(sizeof(CPHierResourceItem) == 8);

class CPResourceSetIndex {
 public:
  explicit CPResourceSetIndex(CPResourceSet& owner) : owner_(owner) {}
  virtual ~CPResourceSetIndex() = default;
  CPResourceSetIndex(const CPResourceSetIndex&) = delete;
  CPResourceSetIndex& operator=(const CPResourceSetIndex&) = delete;

  virtual void Load() = 0;
  virtual void Save() = 0;
  // Makes the order agree with the resources in storage.
  virtual void Build() = 0;
  // Builds when the order visibly disagrees with the storage (counts differ).
  virtual void Check() = 0;
  virtual int32_t GetCount() = 0;
  virtual CPResID GetNth(int32_t n) = 0;
  virtual int32_t GetIndex(CPResID id) = 0;
  // Files a new resource: at `position` when it is 1 or more, otherwise where
  // the index puts new ones. An ID already there keeps its place. Answers the position.
  virtual int32_t Add(CPResID id, ConstStringPtr name, int32_t position) = 0;
  virtual void Remove(CPResID id) = 0;
  // Told after a resource was renamed; an order by name moves it.
  virtual void Renamed(CPResID /*id*/, ConstStringPtr /*name*/) {}
  virtual bool CanMove() { return false; }
  // Answers where the item landed, or 0 when the move breaks the index's rules
  // (nothing changes then).
  virtual int32_t MoveTo(int32_t /*from*/, int32_t /*to*/) { return 0; }
  virtual bool CanSort() { return false; }
  virtual void Sort() {}

  // The hierarchy. An index without one has no sub-resources: counts are 0 and
  // lookups raise code 1.
  virtual int32_t GetSubCount(CPResID id);
  virtual CPResID GetNthSub(CPResID id, int32_t n);
  virtual int32_t GetSubIndex(CPResID supID, int32_t n, CPResID* subID);
  virtual CPResID GetSupID(CPResID subID, int32_t* n);
  virtual int32_t GetSupIndex(CPResID subID, int32_t* n);
  virtual int32_t GetCount(bool withSubs);
  virtual int32_t GetIndex(CPResID id, bool withSubs);
  virtual CPResID GetNth(int32_t n, bool withSubs, bool* isSub);
  virtual int32_t GetSubIndex(CPResID subID, CPResID* supID);
  // Files sub-resource `subID` last under `supID`, or under nothing for 0.
  virtual bool SetSupID(CPResID subID, CPResID supID);

  CPResourceSet& Owner() const { return owner_; }

 private:
  CPResourceSet& owner_;
};

#endif  // VYX_RESOURCES_CPRESOURCESETINDEX_H_
