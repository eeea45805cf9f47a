#include "accounts/VYXDatePointe.h"

#include <algorithm>
#include <cstdint>

#include "foundation/CPDates.h"

CPDate DateToDatePointe(CPDate date, const ModeTypeInfo& rule) {
  if (date == 0) return 0;
  if (rule.ModeType == kModeTypeDelta) {
    int64_t shifted = int64_t(date) + int64_t(rule.DeltaDay) * kCPSecondsPerDay;
    if (shifted <= 0 || shifted > int64_t(UINT32_MAX)) return date;
    return static_cast<CPDate>(shifted);
  }
  if (rule.ModeType == kModeTypeDeferred) {
    int day = CPGetDayOfMonth(date), month = CPGetMonth(date), year = CPGetYear(date);
    int debitDay = rule.MonthDay, stopDay = rule.StopDay;
    month += (stopDay >= debitDay ? 1 : 0) + (day > stopDay ? 1 : 0);
    if (month > 12) {
      month -= 12;
      ++year;
    }
    debitDay = std::clamp(debitDay, 1, CPDaysInMonth(month, year));
    return CPGetDate(debitDay, month, year);
  }
  return date;
}

CPDate DateToDatePointe(CPDate date, const Mode& mode, MontantType sense) {
  ModeTypeInfo rule = sense == kMontantCredit ? mode.creditModeType : mode.debitModeType;
  return rule.Enabled ? DateToDatePointe(date, rule) : date;
}
