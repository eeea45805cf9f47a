#include "foundation/CPStandardFunctions.h"

#include <algorithm>
#include <cmath>

#include "foundation/CPDates.h"
#include "foundation/CPFormule.h"

namespace {

// A routine computes from its parameters, or answers false when it refuses
// their number.
using Routine = bool (*)(const ParamStack& p, double* result);

struct Entry {
  int list;
  int index;
  Routine routine;
};

// ---- standard functions

const Entry kStandard[] = {
    {kCPFunctionsList, 1,
     [](const ParamStack& p, double* r) {
       return p.count == 1 && (*r = std::fabs(p.params[0]), true);
     }},
    {kCPFunctionsList, 2,
     [](const ParamStack& p, double* r) {
       return p.count >= 1 && (*r = *std::min_element(p.params, p.params + p.count), true);
     }},
    {kCPFunctionsList, 3,
     [](const ParamStack& p, double* r) {
       return p.count >= 1 && (*r = *std::max_element(p.params, p.params + p.count), true);
     }},
    {kCPFunctionsList, 4,
     [](const ParamStack& p, double* r) {
       return p.count == 1 && (*r = std::trunc(p.params[0]), true);
     }},
    {kCPFunctionsList, 5,
     [](const ParamStack&, double* r) { return *r = CPGetCurrentYear(), true; }},
    {kCPFunctionsList, 6,
     [](const ParamStack&, double* r) { return *r = CPGetCurrentMonth(), true; }},
    {kCPFunctionsList, 7,
     [](const ParamStack&, double* r) { return *r = CPGetCurrentDayOfMonth(), true; }},
    // The VAT an amount includes, and the amount without it, at a rate in percent.
    {kCPFunctionsList, 8,
     [](const ParamStack& p, double* r) {
       return p.count == 2 && (*r = p.params[1] / (p.params[1] + 100) * p.params[0], true);
     }},
    {kCPFunctionsList, 9,
     [](const ParamStack& p, double* r) {
       return p.count == 2 && (*r = 100 / (p.params[1] + 100) * p.params[0], true);
     }},
};

// ---- date functions

// A parameter as a whole number, kept far from the limits of an int.
int Whole(double v) { return int(std::clamp(std::trunc(v), -1e7, 1e7)); }

CPDate Today() {
  return CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear());
}

double Days(CPDate date) { return CPDateToDayNumber(date); }

// The date of the first parameter (a day number), or today without one.
bool OfDate(const ParamStack& p, int (*field)(CPDate), double* r) {
  if (p.count > 1) return false;
  *r = field(p.count == 0 ? CPGetDate() : CPDayNumberToDate(p.params[0]));
  return true;
}

// The first day of a month of a year, months outside 1 to 12 moving the
// year; two-digit years are 20xx below 50 and 19xx from 50.
CPDate FirstOfMonth(int month, int year) { return CPGetDate(1, month, year); }

const Entry kDates[] = {
    {kCPFunctionsList, 10,
     [](const ParamStack& p, double* r) { return OfDate(p, CPGetDayOfMonth, r); }},
    {kCPFunctionsList, 11, [](const ParamStack& p, double* r) { return OfDate(p, CPGetMonth, r); }},
    {kCPFunctionsList, 12, [](const ParamStack& p, double* r) { return OfDate(p, CPGetYear, r); }},
    {kCPFunctionsList, 13,
     [](const ParamStack& p, double* r) {
       if (p.count > 3) return false;
       if (p.count == 0) return *r = Days(Today()), true;
       int day = Whole(p.params[0]);
       int month = p.count >= 2 ? Whole(p.params[1]) : CPGetCurrentMonth();
       int year = p.count >= 3 ? Whole(p.params[2]) : CPGetCurrentYear();
       return *r = Days(CPGetDate(day, month, year)), true;
     }},
    {kCPFunctionsList, 14,
     [](const ParamStack& p, double* r) {
       if (p.count > 2) return false;
       int month = p.count >= 1 ? Whole(p.params[0]) : CPGetCurrentMonth();
       int year = p.count >= 2 ? Whole(p.params[1]) : CPGetCurrentYear();
       return *r = Days(FirstOfMonth(month, year)), true;
     }},
    {kCPFunctionsList, 15,
     [](const ParamStack& p, double* r) {
       if (p.count > 2) return false;
       int month = p.count >= 1 ? Whole(p.params[0]) : CPGetCurrentMonth();
       int year = p.count >= 2 ? Whole(p.params[1]) : CPGetCurrentYear();
       CPDate next = FirstOfMonth(month + 1, year);
       return *r = next == 0 ? 0.0 : Days(next) - 1, true;
     }},
    {kCPFunctionsList, 16,
     [](const ParamStack& p, double* r) {
       if (p.count > 1) return false;
       return *r = Days(CPGetDate(1, 1, p.count ? Whole(p.params[0]) : CPGetCurrentYear())), true;
     }},
    {kCPFunctionsList, 17,
     [](const ParamStack& p, double* r) {
       if (p.count > 1) return false;
       return *r = Days(CPGetDate(31, 12, p.count ? Whole(p.params[0]) : CPGetCurrentYear())), true;
     }},
};

template <size_t N>
bool Evaluate(const Entry (&table)[N], ConstStringPtr name, ParamStack* params, double* result,
              bool* found) {
  for (const Entry& e : table) {
    if (!CPFunctionCompare(name, e.list, e.index)) continue;
    *found = e.routine(*params, result);
    return true;
  }
  return false;
}

}  // namespace

bool CPStandardFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                           bool* found) {
  return Evaluate(kStandard, name, params, result, found) ||
         CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}

bool CPStdDateFxDateFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params,
                                                double* result, bool* found) {
  return Evaluate(kDates, name, params, result, found) ||
         CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}

CPFunctionsProvider* CPGetStandardFunctions() {
  static CPStandardFunctions standard;
  return &standard;
}

CPDate CPDayNumberToDate(double days) {
  double seconds = std::trunc(days) * 86400.0;
  return CPDate(std::clamp(seconds, 0.0, 4294967295.0));
}

bool CPEvaluateSelectionDate(ConstStringPtr text, CPDate* date) {
  if (CPIsValidDateStr(text)) {
    CPDate d = 0;
    if (!CPStrToDate(text, d)) return false;
    *date = d;
    return true;
  }
  CPStdDateFxDateFunctions functions;
  double days = 0;
  short error = 0;
  if (!CPEvaluateFormule(text, &functions, &days, &error, nullptr, nullptr)) return false;
  *date = CPDayNumberToDate(days);
  return true;
}

CPDate CPEvaluateSelectionDate(ConstStringPtr text) {
  CPDate date = 0;
  return CPEvaluateSelectionDate(text, &date) ? date : Today();
}
