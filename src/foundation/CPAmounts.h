// Amounts: doubles in units of their currency, read from and written to the
// texts people type and see (with the regional decimal character and thousands
// separator), and rounded to a currency's decimals.
//
// Every conversion between text and double here is a decimal one, correctly
// rounded and independent of the C library's locale: "0,1" reads as the double
// nearest to one tenth whatever LC_NUMERIC says.
#ifndef VYX_FOUNDATION_CPAMOUNTS_H_
#define VYX_FOUNDATION_CPAMOUNTS_H_

#include <string>
#include <string_view>

#include "platform/CPMacTypes.h"

// Reads an amount: spaces, thousands separators and '+' are ignored, the first
// decimal character is the point. An empty or blank text is 0. Answers false,
// leaving `value` untouched, when the text is not one number.
bool MacStrToNum(ConstStringPtr text, double& value);
bool MacStrToNum(std::string_view text, double& value);

// Writes an amount with `decimals` decimals, or with the fewest (0 to 5) that
// read back close enough when `decimals` is negative; `thousands` groups the
// integer part by three. Magnitudes below 1e-7 are written as 0.
void MacNumToStr(double value, StringPtr text, short decimals, bool thousands);
std::string MacNumToStr(double value, int decimals, bool thousands);

// Rounds to `decimals` decimals from the exact binary value of the double:
// halves away from zero up to 4 decimals, a plain cut beyond. Values very close
// to zero give 0. The flag is accepted for its callers and has no effect.
double CPArrondi(double value, short decimals, bool flag = false);

// Exactly /100 and x100: the decimal form of the value has its exponent moved,
// so 0.29 gives 29 cents and not 28.999999999999996.
double CentsToFrancs(double value);
double FrancsToCents(double value);

// True, with the number of units of the currency in one euro, for the legacy
// currencies of the euro zone; `rate` is left alone otherwise.
bool CPIsDeviseZoneEuro(OSType code, double& rate);

unsigned char CPGetDecimalChar();
unsigned char CPGetThousandSep();  // 0 when there is none
bool CPHasThousandSep();

#endif  // VYX_FOUNDATION_CPAMOUNTS_H_
