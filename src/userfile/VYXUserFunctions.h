// The functions of a formula typed for the dossier as a whole rather than for
// one account: the user file's currencies as units (100USD is 100 dollars in
// the reference currency), then the standard functions (or `parent`).
#ifndef VYX_USERFILE_VYXUSERFUNCTIONS_H_
#define VYX_USERFILE_VYXUSERFUNCTIONS_H_

#include "foundation/CPFunctionsProvider.h"

class VYXUserPreferences;

class VYXUserFunctions : public CPFunctionsProvider {
 public:
  explicit VYXUserFunctions(VYXUserPreferences& user, CPFunctionsProvider* parent = nullptr);
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  VYXUserPreferences& user_;
};

#endif  // VYX_USERFILE_VYXUSERFUNCTIONS_H_
