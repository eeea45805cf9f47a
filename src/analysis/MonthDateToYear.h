// Which year an operation's month of attribution belongs to: the occurrence
// of that month nearest to the operation's date, from five months before the
// date's month to six months after it. A payment of January 2005 attributed
// to December counts for December 2004; attributed to July, for July 2005.
#ifndef VYX_ANALYSIS_MONTHDATETOYEAR_H_
#define VYX_ANALYSIS_MONTHDATETOYEAR_H_

#include "platform/CPMacTypes.h"

// `month` 1 to 12; any other value counts as the date's own month.
int MonthDateToYear(int month, CPDate date);
// The same from the date's own month (1 to 12) and year, for callers that
// have them already.
int MonthDateToYear(int month, int dateMonth, int dateYear);

#endif  // VYX_ANALYSIS_MONTHDATETOYEAR_H_
