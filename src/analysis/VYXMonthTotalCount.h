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
  // VYXMonthTotalArray::Add does; `month` 1 to 12. Inline for the usual
  // case, a month already in its item's range: an account's opening adds
  // three times per operation.
  void Add(int month, int year, CPResID id, OpStatus status, double amount, bool credit) {
    const size_t slot = uint16_t(id);
    if (slot < rowOf_.size() && rowOf_[slot] >= 0) {
      Row& row = rows_[size_t(rowOf_[slot])];
      const size_t at = size_t(Serial(month, year) - row.first);  // huge when before
      if (at < row.months.size()) {
        Month& m = row.months[at];
        m.made = true;
        m.montants.Add(status, amount, credit);
        return;
      }
    }
    AddGrowing(month, year, id, status, amount, credit);
  }
  // Every item made, ordered as the engine's arrays are.
  std::vector<VYXMonthTotalItem> Items() const;

 private:
  // Years are kept on 16 bits, as the items hold them.
  static int Serial(int month, int year) { return int(uint16_t(year)) * 12 + month - 1; }
  void AddGrowing(int month, int year, CPResID id, OpStatus status, double amount, bool credit);

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
