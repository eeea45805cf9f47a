#include "analysis/VYXTotauxScan.h"

#include <cstdint>

#include "analysis/MonthDateToYear.h"
#include "foundation/CPDates.h"

namespace {

void AddTo(VYXTotauxScan::Module& module, CPResID id, int month, int year, OpStatus status,
           double amount, bool credit) {
  // As the engine does: an amount of exactly 0 makes no item.
  if (amount == 0.0) return;
  module.count.Add(month, year, id, status, amount, credit);
  module.total.Add(status, amount, credit);
}

}  // namespace

void VYXTotauxScan::MonthYearOf(CPDate date, int* month, int* year) {
  int32_t day = int32_t(date / kCPSecondsPerDay);
  Day& known = days_[size_t(day) % days_.size()];
  if (known.day != day) {
    CPDateTimeRec fields;
    CPDateToFields(date, fields);
    known = Day{day, int16_t(fields.month), int16_t(fields.year)};
  }
  *month = known.month;
  *year = known.year;
}

void VYXTotauxScan::CountOperation(const Operation& op) {
  int dateMonth = 0, dateYear = 0;
  MonthYearOf(op.date, &dateMonth, &dateYear);
  // A month of attribution that is no month counts as the date's own.
  int month = op.mois >= 1 && op.mois <= 12 ? int(op.mois) : dateMonth;
  int year = MonthDateToYear(month, dateMonth, dateYear);
  double montant = op.montant;
  double net = montant - double(op.montantTva);
  bool credit = montant >= 0;
  OpStatus status = op.status;
  AddTo(categories, op.categorie, month, year, status, net, credit);
  AddTo(tiers, op.tiers, month, year, status, net, credit);
  AddTo(affaires, op.affaire, month, year, status, net, credit);
  if (op.sousOpsNbr <= 0) return;
  parents_.push_back(Parent{uint16_t(op.header.dataID), op.categorie, op.tiers, op.affaire, status,
                            credit, month, year, dateMonth, dateYear});
}

void VYXTotauxScan::CountSousOperation(const SousOperation& line) {
  lines_.push_back({line.operation, Line{line.categorie, line.tiers, line.affaire, line.mois,
                                        double(line.montant) - double(line.montantTva),
                                        double(line.montant) >= 0}});
}

void VYXTotauxScan::CountLine(const Parent& op, const Line& line) {
  int month = line.mois >= 1 && line.mois <= 12 ? int(line.mois) : op.dateMonth;
  int year = MonthDateToYear(month, op.dateMonth, op.dateYear);
  // A line usually keeps its operation's third party and case: what it
  // would take out of an item it puts back into the same one.
  bool sameSlot = month == op.month && year == op.year && line.credit == op.credit;
  auto move = [&](Module& module, CPResID from, CPResID to) {
    if (from == to && sameSlot) return;
    AddTo(module, from, op.month, op.year, op.status, -line.net, op.credit);
    AddTo(module, to, month, year, op.status, line.net, line.credit);
  };
  move(categories, op.categorie, line.categorie);
  move(tiers, op.tiers, line.tiers);
  move(affaires, op.affaire, line.affaire);
}

void VYXTotauxScan::Finish() {
  // Each operation's lines after it, in the file's order, as a walk of the
  // operations would count them. Keys are 16 bits: the lines are sorted by
  // counting, in two passes and no allocation per operation.
  if (lines_.empty()) {
    parents_.clear();
    return;
  }
  std::vector<uint32_t> start(size_t(UINT16_MAX) + 2, 0);
  for (const auto& [key, line] : lines_) ++start[size_t(key) + 1];
  for (size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
  std::vector<const Line*> byKey(lines_.size());
  std::vector<uint32_t> next(start.begin(), start.end() - 1);
  for (const auto& [key, line] : lines_) byKey[next[key]++] = &line;
  for (const Parent& op : parents_) {
    for (uint32_t i = start[op.key]; i < start[size_t(op.key) + 1]; ++i) CountLine(op, *byKey[i]);
  }
  parents_.clear();
  lines_.clear();
}
