// The two orders in which people write a date's day and month: files that
// come from elsewhere (bank exports, other programs) may put the month first,
// and these tell which reading a typed date allows and exchange its two
// numbers. Texts are read as CPStrToDate reads them: up to three numbers of at
// most 2, 2 and 4 digits, each followed by at most one separator.
#ifndef VYX_FOUNDATION_CPDATEFORMS_H_
#define VYX_FOUNDATION_CPDATEFORMS_H_

#include <string_view>

#include "platform/CPMacTypes.h"

// True when the text reads as a real day with its first number as the day
// and its second as the month (a missing year is taken as a leap year, so
// that 29/02 passes).
bool CPDateMayBeFrenchFormat(std::string_view text);
// The same with the month first.
bool CPDateMayBeAmericanFormat(std::string_view text);
// Exchanges the texts of the first two numbers ("03/25/2009" becomes
// "25/03/2009"); a text with fewer than two numbers is left as it is.
void CPDateSwithFrenchAmericanFormat(StringPtr text);

// Dates written year first with four digits ("2009-03-25", "2009/03/25",
// "20090325", "2009'03'25"): the date, or false when the text is not of that
// form or not a real day.
bool CPYearFirstStrToDate(std::string_view text, CPDate& date);

#endif  // VYX_FOUNDATION_CPDATEFORMS_H_
