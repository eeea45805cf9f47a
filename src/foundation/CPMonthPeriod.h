// A run of whole months: a first month and year and a number of months, as
// reports lay out their columns. Months are 1 to 12; the month after December
// is January of the next year. A value type: copying is cheap.
#ifndef VYX_FOUNDATION_CPMONTHPERIOD_H_
#define VYX_FOUNDATION_CPMONTHPERIOD_H_

#include "platform/CPMacTypes.h"

// A month and its year.
struct CPMonthYear {
  int month = 1;  // 1 to 12
  int year = 1904;

  bool operator==(const CPMonthYear&) const = default;
  // Months since January of year 0: two months compare by it, and it counts
  // the months between them.
  int Serial() const { return year * 12 + (month - 1); }
  static CPMonthYear FromSerial(int serial);
  // `months` later (earlier when negative).
  CPMonthYear Plus(int months) const { return FromSerial(Serial() + months); }
};

class CPMonthPeriod {
 public:
  // January to December of the current year.
  CPMonthPeriod();
  // A count below 1 is taken as 1.
  CPMonthPeriod(int month, int year, int count);
  // The months from that of `start` to that of `end`; at least one.
  static CPMonthPeriod FromDates(CPDate start, CPDate end);

  CPMonthYear GetStart() const { return start_; }
  CPMonthYear GetEnd() const { return start_.Plus(count_ - 1); }
  int GetCount() const { return count_; }
  // Month n of the period, from 0.
  CPMonthYear GetMonth(int n) const { return start_.Plus(n); }
  // The place of a month in the period, from 0; -1 outside it.
  int IndexOf(CPMonthYear m) const;
  bool Contains(CPMonthYear m) const { return IndexOf(m) >= 0; }

  // The first day of the first month and the last day of the last one.
  CPDate GetStartDate() const;
  CPDate GetEndDate() const;

  // The same length, `months` later (earlier when negative).
  CPMonthPeriod Moved(int months) const { return CPMonthPeriod(start_.Plus(months), count_); }
  // The same start, `months` longer (shorter when negative; never below one).
  CPMonthPeriod Lengthened(int months) const { return CPMonthPeriod(start_, count_ + months); }

  bool operator==(const CPMonthPeriod&) const = default;

 private:
  CPMonthPeriod(CPMonthYear start, int count);

  CPMonthYear start_;
  int count_ = 12;
};

#endif  // VYX_FOUNDATION_CPMONTHPERIOD_H_
