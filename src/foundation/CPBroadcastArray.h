// An array that announces its changes to its listeners, in category 'ARAY'. The
// codes are the change values of CPArray.h (kCPArrayItemsInserted ...
// kCPArrayLoadEnded); the data points to a CPArrayChange for the per-item codes
// and is nullptr for the start and end of a load. Each message is sent once the
// change is made, so listeners read the array as it now is. Nothing is sent while
// the array is not broadcasting.
#ifndef VYX_FOUNDATION_CPBROADCASTARRAY_H_
#define VYX_FOUNDATION_CPBROADCASTARRAY_H_

#include "foundation/CPArray.h"
#include "foundation/CPBroadcaster.h"

constexpr OSType kCPArrayCategory = 'ARAY';

class CPBroadcastArray : public CPArray, public CPBroadcaster {
 public:
  explicit CPBroadcastArray(uint32_t itemSize, Compare compare = {})
      : CPArray(itemSize, std::move(compare)) {}

  // A bulk change: listeners hear its start and its end, not each item in
  // between, and rebuild what they show at the end. Loads nest; only the
  // outermost start and end are announced.
  void StartLoading();
  void EndLoading();
  bool IsLoading() const { return loading_ > 0; }

 protected:
  void Changed(uint32_t what, const CPArrayChange& change) override;

 private:
  void Announce(uint32_t what, void* data);

  int loading_ = 0;
};

#endif  // VYX_FOUNDATION_CPBROADCASTARRAY_H_
