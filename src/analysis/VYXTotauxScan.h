// The totals of an account counted while it opens, from the records its
// scan decodes anyway (VYXCompteTotauxHook.h): categories, third parties and
// cases, each by month, as VYXTotaux::LoadCompte would count them from the
// operations, with the amounts without VAT. An operation's split lines may
// come before it or after it in the file: they are kept aside and counted
// once the scan is over, each against its operation's items as the engine
// counts them (VYXTotauxContributions.cpp).
#ifndef VYX_ANALYSIS_VYXTOTAUXSCAN_H_
#define VYX_ANALYSIS_VYXTOTAUXSCAN_H_

#include <array>
#include <vector>

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"
#include "accounts/VYXCompteTotauxHook.h"
#include "analysis/VYXMonthTotalCount.h"

class VYXTotauxScan : public VYXCompteTotauxCount {
 public:
  // The modules a scan counts.
  struct Module {
    VYXMonthTotalCount count;
    ExtMontantSet total;
  };

  void CountOperation(const Operation& op) override;
  void CountSousOperation(const SousOperation& line) override;
  // Counts the lines kept aside; the modules are complete after it.
  void Finish();

  Module categories;
  Module tiers;
  Module affaires;

 private:
  // What a line takes from its operation: the operation's items, status,
  // direction and months.
  struct Parent {
    uint16_t key;  // the low 16 bits of its key, all its lines keep
    CPResID categorie, tiers, affaire;
    OpStatus status;
    bool credit;
    int month, year;          // the operation's own month of attribution
    int dateMonth, dateYear;  // its date's
  };
  struct Line {
    CPResID categorie, tiers, affaire;
    CPMonth mois;
    double net;
    bool credit;  // by the amount with VAT, as the operation's
  };

  void CountLine(const Parent& op, const Line& line);
  // The month and year of a date, remembered by day: a file holds many
  // operations of each day, in no order of dates; eleven years of days
  // each keep their own place.
  void MonthYearOf(CPDate date, int* month, int* year);
  struct Day {
    int32_t day = -1;
    int16_t month = 0, year = 0;
  };
  std::array<Day, 4096> days_;

  std::vector<Parent> parents_;  // operations with lines, in the file's order
  // The lines in the file's order with their operation's key; Finish sorts
  // them by key, keeping that order among the lines of one key.
  std::vector<std::pair<uint16_t, Line>> lines_;
};

#endif  // VYX_ANALYSIS_VYXTOTAUXSCAN_H_
