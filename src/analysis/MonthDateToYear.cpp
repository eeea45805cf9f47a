#include "analysis/MonthDateToYear.h"

#include "foundation/CPDates.h"

int MonthDateToYear(int month, CPDate date) {
  // One conversion of the date for both fields: totals ask for every operation.
  CPDateTimeRec fields;
  CPDateToFields(date, fields);
  return MonthDateToYear(month, fields.month, fields.year);
}

int MonthDateToYear(int month, int m, int year) {
  if (month < 1 || month > 12) return year;
  int k = m + ((month + 17 - m) % 12) - 5;
  if (k >= 13) return year + 1;
  if (k < 1) return year - 1;
  return year;
}
