// The framework's function providers: the nine standard functions that every
// amount field offers (ABS, MIN, MAX, ENT, ANNEE, MOIS, JOUR, TVA, HT), and
// the date functions of date fields and selection criteria, which work in day
// numbers (a date's seconds since 1904 divided by 86400) so that "DATE()-30"
// is thirty days ago. Their names and help texts are string list 263.
#ifndef VYX_FOUNDATION_CPSTANDARDFUNCTIONS_H_
#define VYX_FOUNDATION_CPSTANDARDFUNCTIONS_H_

#include "foundation/CPFunctionsProvider.h"

constexpr int kCPFunctionsList = 263;

class CPStandardFunctions : public CPFunctionsProvider {
 public:
  explicit CPStandardFunctions(CPFunctionsProvider* parent = nullptr)
      : CPFunctionsProvider(parent, kCPFunctionsList, 1, 9) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;
};

// JOUR, MOIS, ANNEE of a day number (or of today without one), DATE(j;m;a)
// and the first and last days of a month or a year, as day numbers.
class CPStdDateFxDateFunctions : public CPFunctionsProvider {
 public:
  explicit CPStdDateFxDateFunctions(CPFunctionsProvider* parent = nullptr)
      : CPFunctionsProvider(parent, kCPFunctionsList, 10, 17) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;
};

// A provider of the standard functions shared by the whole process (they
// keep no state): the usual end of a chain.
CPFunctionsProvider* CPGetStandardFunctions();

// A date criterion as typed: a date ("15/03/24", "15/3", "" for none), else a
// formula of the date functions whose day number is the date ("DEBUTMOIS()",
// "DATE()-30"); today when neither reads. Dates come at 00:00.
CPDate CPEvaluateSelectionDate(ConstStringPtr text);
// The same, answering false (date untouched) when the text is neither.
bool CPEvaluateSelectionDate(ConstStringPtr text, CPDate* date);

// Day numbers and dates: a day number times 86400, kept within what a date holds.
CPDate CPDayNumberToDate(double days);
inline double CPDateToDayNumber(CPDate date) { return double(date / 86400u); }

#endif  // VYX_FOUNDATION_CPSTANDARDFUNCTIONS_H_
