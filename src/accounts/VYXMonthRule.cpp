#include "accounts/VYXMonthRule.h"

#include "foundation/CPDates.h"

CPMonth VYXMonthFromRule(CPMonth rule, CPDate date) {
  if (rule >= 1 && rule <= 12) return rule;
  CPMonth month = static_cast<CPMonth>(CPGetMonth(date));
  if (rule == kVYXMoisSuivant) return month == 12 ? 1 : month + 1;
  if (rule == kVYXMoisPrecedent) return month == 1 ? 12 : month - 1;
  return month;
}
