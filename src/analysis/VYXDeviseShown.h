// The currency a report shows its amounts in, and the conversion of the
// amounts of its totals into it through the user file's rates. The two codes
// are read once (reading a code goes to the dossier's file) and kept until
// the report forgets them: when its settings or the currencies change.
#ifndef VYX_ANALYSIS_VYXDEVISESHOWN_H_
#define VYX_ANALYSIS_VYXDEVISESHOWN_H_

#include "accounts/VYXRecordTypes.h"

class VYXUserPreferences;

// An amount from one currency into another through the user file's rates
// (`from` and `to` never 0); unchanged without a user file.
double VYXConvertMontant(VYXUserPreferences* user, DeviseCode from, DeviseCode to, double amount);

class VYXDeviseShown {
 public:
  bool IsKnown() const { return known_; }
  void Forget() { known_ = false; }
  // `source`: the totals' currency; `chosen`: the one asked for, 0 for the source's.
  void Set(VYXUserPreferences* user, DeviseCode source, DeviseCode chosen);
  DeviseCode Shown() const { return shown_; }
  double Convert(double amount) const {
    return converts_ ? VYXConvertMontant(user_, source_, shown_, amount) : amount;
  }

 private:
  bool known_ = false;
  bool converts_ = false;
  VYXUserPreferences* user_ = nullptr;
  DeviseCode source_ = 0;
  DeviseCode shown_ = 0;
};

#endif  // VYX_ANALYSIS_VYXDEVISESHOWN_H_
