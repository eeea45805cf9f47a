// The items of the totals engine: the amounts (debits and credits, each by
// status) of one list item for one month, or of one pair of items. Each is a
// packed key followed by an ExtMontantSet, kept in arrays sorted by key
// (VYXTotalArrays.h) and written as they are in the saved totals.
#ifndef VYX_ANALYSIS_VYXTOTALITEMS_H_
#define VYX_ANALYSIS_VYXTOTALITEMS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/MontantSet.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

// One list item (category, budget post, third party, case...) for one month.
// Ordered by ID (signed), then year, then month.
struct VYXMonthTotalItem {
  uint16_t month = 0;  // 1 to 12
  uint16_t year = 0;
  CPResID id = 0;
  ExtMontantSet montants;

  VYXMonthTotalItem() = default;
  VYXMonthTotalItem(int m, int y, CPResID i) : month(uint16_t(m)), year(uint16_t(y)), id(i) {}

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// One pair of items (category and allocation...), all months together.
// Ordered by the first ID, then the second (both signed).
struct VYX2ResTotalItem {
  CPResID first = 0;
  CPResID second = 0;
  ExtMontantSet montants;

  VYX2ResTotalItem() = default;
  VYX2ResTotalItem(CPResID f, CPResID s) : first(f), second(s) {}

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// One security: the quantity its operations moved and their amounts.
struct VYXTitreTotalItem {
  CPResID titre = 0;
  double quantity = 0;
  ExtMontantSet montants;

  VYXTitreTotalItem() = default;
  explicit VYXTitreTotalItem(CPResID t) : titre(t) {}

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXMonthTotalItem) == 54);
static_assert(sizeof(VYXTitreTotalItem) == 58);
static_assert(sizeof(VYX2ResTotalItem) == 52);
static_assert(std::is_trivially_copyable_v<VYXMonthTotalItem>);
static_assert(offsetof(VYXMonthTotalItem, montants) == 6);

// The engine's arrays hold items of one layout under the names of their lists.
using CatTotalItem = VYXMonthTotalItem;
using PosteTotalItem = VYXMonthTotalItem;
using TiersTotalItem = VYXMonthTotalItem;
using AffaireTotalItem = VYXMonthTotalItem;
using FiltreItem = VYXMonthTotalItem;  // the ID is the saved filter's
using VYXResTimeTotalItem = VYXMonthTotalItem;

#endif  // VYX_ANALYSIS_VYXTOTALITEMS_H_
