#include "foundation/CPMonthPeriod.h"

#include "foundation/CPDates.h"

CPMonthYear CPMonthYear::FromSerial(int serial) {
  int year = serial >= 0 ? serial / 12 : -((-serial + 11) / 12);
  return CPMonthYear{serial - year * 12 + 1, year};
}

CPMonthPeriod::CPMonthPeriod() : CPMonthPeriod(1, CPGetCurrentYear(), 12) {}

CPMonthPeriod::CPMonthPeriod(int month, int year, int count)
    : CPMonthPeriod(CPMonthYear::FromSerial(CPMonthYear{1, year}.Serial() + month - 1), count) {}

CPMonthPeriod::CPMonthPeriod(CPMonthYear start, int count)
    : start_(start), count_(count < 1 ? 1 : count) {}

CPMonthPeriod CPMonthPeriod::FromDates(CPDate start, CPDate end) {
  CPMonthYear first{CPGetMonth(start), CPGetYear(start)};
  CPMonthYear last{CPGetMonth(end), CPGetYear(end)};
  return CPMonthPeriod(first, last.Serial() - first.Serial() + 1);
}

int CPMonthPeriod::IndexOf(CPMonthYear m) const {
  int n = m.Serial() - start_.Serial();
  return n >= 0 && n < count_ ? n : -1;
}

CPDate CPMonthPeriod::GetStartDate() const { return CPGetDate(1, start_.month, start_.year); }

CPDate CPMonthPeriod::GetEndDate() const {
  CPMonthYear end = GetEnd();
  return CPGetDate(CPDaysInMonth(end.month, end.year), end.month, end.year);
}
