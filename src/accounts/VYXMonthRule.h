// The month value that defaults and automatic operations give a new
// operation: a month 1 to 12 as it is, or a month relative to a date.
#ifndef VYX_ACCOUNTS_VYXMONTHRULE_H_
#define VYX_ACCOUNTS_VYXMONTHRULE_H_

#include "accounts/VYXRecordTypes.h"

enum : CPMonth {
  kVYXMoisPrecedent = 65533,  // the month before the date's (January gives 12)
  kVYXMoisCourant = 65534,    // the date's month
  kVYXMoisSuivant = 65535,    // the month after the date's (December gives 1)
};

// The month that `rule` gives for an operation dated `date`. A rule that is
// neither a month nor one of the three above (a damaged record) counts as
// the date's month, so that no operation gets a month outside 1 to 12.
CPMonth VYXMonthFromRule(CPMonth rule, CPDate date);

#endif  // VYX_ACCOUNTS_VYXMONTHRULE_H_
