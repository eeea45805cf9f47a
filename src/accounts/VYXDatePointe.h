// The bank date of an operation from its date and its payment mode's rule
// for its direction: shifted by a number of days, or the debit day of a later
// month for deferred-debit cards.
#ifndef VYX_ACCOUNTS_VYXDATEPOINTE_H_
#define VYX_ACCOUNTS_VYXDATEPOINTE_H_

#include "accounts/Mode.h"

// The bank date of `date` under `rule`, whether the rule is enabled or not:
// kind 1 adds DeltaDay days (time of day kept); kind 2 gives day MonthDay of
// the month after `date`'s when StopDay >= MonthDay, one month later again
// when the day of `date` is after StopDay, the day lowered to the month's
// last day (and raised to 1); any other kind gives `date`. A date of 0 (no
// date) stays 0, and a shift that would leave the range of dates is not made.
CPDate DateToDatePointe(CPDate date, const ModeTypeInfo& rule);

// The bank date of an operation of `mode` in the direction `sense`: under the
// mode's credit or debit rule when that rule is enabled, else `date`.
CPDate DateToDatePointe(CPDate date, const Mode& mode, MontantType sense);

#endif  // VYX_ACCOUNTS_VYXDATEPOINTE_H_
