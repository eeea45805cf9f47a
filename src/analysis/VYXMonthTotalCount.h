// Amounts counted by list item and month over a whole account, for the
// sorted arrays of the totals engine (VYXMonthTotalArray). The sorted array
// pays a search and often an insertion for each amount; here each item's
// months lie in one vector indexed by their distance from its first month,
// so that an addition is two lookups by index. The sorted items are made
// once, when the count is done.
#ifndef VYX_ANALYSIS_VYXMONTHTOTALCOUNT_H_
#define VYX_ANALYSIS_VYXMONTHTOTALCOUNT_H_

#include <vector>

#include "analysis/VYXTotalItems.h"

class VYXMonthTotalCount {
 public:
  // Adds into the item of that key, made when missing, as
  // VYXMonthTotalArray::Add does; `month` 1 to 12.
  void Add(int month, int year, CPResID id, OpStatus status, double amount, bool credit);
  // Every item made, ordered as the engine's arrays are.
  std::vector<VYXMonthTotalItem> Items() const;

 private:
  struct Month {
    ExtMontantSet montants;
    bool made = false;
  };
  struct Row {
    CPResID id = 0;
    int first = 0;  // serial (year * 12 + month - 1) of months[0]
    std::vector<Month> months;
  };

  std::vector<int32_t> rowOf_;  // by the ID's 16 bits: its row, -1 for none
  std::vector<Row> rows_;
};

#endif  // VYX_ANALYSIS_VYXMONTHTOTALCOUNT_H_
