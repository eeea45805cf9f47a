// What a view (CPSubResourceSet.h) knows of its parent: the parent's resources
// that the view's filter keeps, each with the display position it has in the
// parent, in the parent's order; and how each parent message changes that and
// what the view says about it. The parent is not owned and must outlive the array.
#ifndef VYX_RESOURCES_CPSUBRESOURCESETARRAY_H_
#define VYX_RESOURCES_CPSUBRESOURCESETARRAY_H_

#include <functional>
#include <optional>

#include "foundation/CPArray_T.h"
#include "resources/CPResourceSet.h"

struct CPSubResourceItem {
  CPResID id = 0;         // the parent's ID
  int16_t position = 0;   // its display position in the parent when the array was built
};
static_assert(sizeof(CPSubResourceItem) == 4);

class CPSubResourceSetArray : public CPArray_T<CPSubResourceItem> {
 public:
  // What the view broadcasts in answer to a parent message.
  struct Reply {
    uint32_t code = 0;
    int values = 0;  // how many 16-bit values follow
    int32_t value1 = 0, value2 = 0;
  };

  // `concerned` tells whether the parent's resource of that ID belongs to the view.
  CPSubResourceSetArray(CPResourceSet& parent, std::function<bool(CPResID)> concerned)
      : parent_(parent), concerned_(std::move(concerned)) {}

  // Reads the parent in display order and keeps the resources concerned.
  void Build();
  void BuildIfNeeded() {
    if (!built_) Build();
  }
  void Invalidate() { built_ = false; }
  bool IsBuilt() const { return built_; }

  // Lookups on the built array; positions are 1-based places in it.
  int32_t GetCount();
  CPResID GetNth(int32_t n);        // code 1 out of range
  int32_t GetIndex(CPResID id);     // code 1 when absent
  bool Contains(CPResID id);
  CPResID FindName(ConstStringPtr name);  // ignoring case and accents; code 1 when none
  bool ContainsName(ConstStringPtr name);
  // The view position of an item, and the parent position of the one at view position n.
  int32_t ViewIndexOf(CPResID id);  // 0 when absent
  int32_t ParentPosition(int32_t n);

  // Follows one 'RSRC' message of the parent: changes the array and answers
  // what the view re-broadcasts, if anything. Once built, the array is kept in
  // step with every change, so that "was it in the view" is always answered
  // from the state before the change; during a load it waits for its end.
  std::optional<Reply> Follow(uint32_t code, const void* data);

 private:
  void Refresh();

  CPResourceSet& parent_;
  std::function<bool(CPResID)> concerned_;
  bool built_ = false;
  bool loading_ = false;
};

#endif  // VYX_RESOURCES_CPSUBRESOURCESETARRAY_H_
