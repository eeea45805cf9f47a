#include "analysis/VYXMonthTotalCount.h"

#include <algorithm>

void VYXMonthTotalCount::AddGrowing(int month, int year, CPResID id, OpStatus status,
                                    double amount, bool credit) {
  size_t slot = uint16_t(id);
  if (slot >= rowOf_.size()) rowOf_.resize(slot + 1, -1);
  if (rowOf_[slot] < 0) {
    rowOf_[slot] = int32_t(rows_.size());
    rows_.push_back(Row{id, 0, {}});
  }
  Row& row = rows_[size_t(rowOf_[slot])];
  int serial = Serial(month, year);
  if (row.months.empty()) row.first = serial;
  if (serial < row.first) {
    // Room for a few more years before, so that going back costs once.
    int grow = std::max(row.first - serial, 24);
    row.months.insert(row.months.begin(), size_t(grow), Month());
    row.first -= grow;
  }
  size_t at = size_t(serial - row.first);
  if (at >= row.months.size()) row.months.resize(std::max(at + 1, row.months.size() + 24));
  Month& m = row.months[at];
  m.made = true;
  m.montants.Add(status, amount, credit);
}

std::vector<VYXMonthTotalItem> VYXMonthTotalCount::Items() const {
  std::vector<const Row*> rows;
  for (const Row& row : rows_) rows.push_back(&row);
  std::sort(rows.begin(), rows.end(), [](const Row* a, const Row* b) { return a->id < b->id; });
  std::vector<VYXMonthTotalItem> items;
  for (const Row* row : rows) {
    for (size_t at = 0; at < row->months.size(); ++at) {
      if (!row->months[at].made) continue;
      int serial = row->first + int(at);
      VYXMonthTotalItem item(serial % 12 + 1, serial / 12, row->id);
      item.montants = row->months[at].montants;
      items.push_back(item);
    }
  }
  return items;
}
