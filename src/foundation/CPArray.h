// A growable array of fixed-size items held by value, their bytes copied as they
// are (records, IDs, index entries). The item size is fixed at construction and
// may be chosen at run time. Given a comparison, the array is kept sorted and
// searched by halves; otherwise items are searched byte for byte, in order.
// Indexes are 0-based. Operations with an index out of range do nothing and
// answer false (or kCPArrayNoIndex), leaving any output untouched.
#ifndef VYX_FOUNDATION_CPARRAY_H_
#define VYX_FOUNDATION_CPARRAY_H_

#include <cstdint>
#include <functional>
#include <vector>

constexpr int32_t kCPArrayNoIndex = -1;

// What changed in an array. A broadcasting array (CPBroadcastArray) sends these
// values as its message codes.
enum : uint32_t {
  kCPArrayItemsInserted = 1,  // index: first new item; count: how many
  kCPArrayItemChanged = 2,    // index: the item replaced; count: 1
  kCPArrayItemsRemoved = 3,   // index: first removed item (as it was); count: how many
  kCPArrayItemMoved = 4,      // index: where it was; to: where it is now
  kCPArrayItemsSwapped = 5,   // index and to: the two items exchanged
  kCPArrayLoadStarted = 6,    // a bulk change begins: per-item news is not sent until it ends
  kCPArrayLoadEnded = 7,      // the bulk change is over: the whole array may have changed
};

struct CPArrayChange {
  int32_t index = 0;
  int32_t count = 0;
  int32_t to = 0;
};

class CPArray {
 public:
  // Orders two items: negative, zero or positive.
  using Compare = std::function<int(const void* a, const void* b)>;

  explicit CPArray(uint32_t itemSize, Compare compare = {});
  virtual ~CPArray() = default;
  CPArray(const CPArray&) = default;
  CPArray& operator=(const CPArray&) = default;

  uint32_t ItemSize() const { return itemSize_; }
  int32_t Count() const { return static_cast<int32_t>(bytes_.size() / itemSize_); }
  bool IsEmpty() const { return bytes_.empty(); }
  bool IsSorted() const { return static_cast<bool>(compare_); }

  // The item's bytes, or nullptr out of range. Valid until the array changes.
  const void* ItemPtr(int32_t index) const;
  void* ItemPtr(int32_t index);
  bool GetItem(int32_t index, void* item) const;

  // Adds one item: at its sorted place (after its equals) in a sorted array, at
  // the end otherwise. Returns its index.
  int32_t AddItem(const void* item);
  // The positional operations below never re-sort: in a sorted array the caller
  // keeps the order. An index past the end inserts at the end.
  void InsertItemsAt(int32_t index, const void* items, int32_t count = 1);
  bool SetItemAt(int32_t index, const void* item);
  bool RemoveItemsAt(int32_t index, int32_t count = 1);
  void RemoveAll();
  // Takes the item out of `from` and puts it back so that it ends at `to`.
  bool MoveItem(int32_t from, int32_t to);
  bool SwapItems(int32_t a, int32_t b);

  // The index of an item equal to `key`, or kCPArrayNoIndex.
  int32_t FindItem(const void* key) const;
  bool RemoveItem(const void* key);

 protected:
  // Told of every change once it is made; nothing to do for a plain array.
  virtual void Changed(uint32_t /*what*/, const CPArrayChange& /*change*/) {}

 private:
  // First index whose item is not before `key` (sorted arrays).
  int32_t LowerBound(const void* key) const;
  int32_t UpperBound(const void* key) const;

  uint32_t itemSize_;
  Compare compare_;
  std::vector<unsigned char> bytes_;
};

#endif  // VYX_FOUNDATION_CPARRAY_H_
