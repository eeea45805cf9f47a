#include "userfile/VYXUserFunctions.h"

#include "foundation/CPStandardFunctions.h"
#include "userfile/VYXUserPreferences.h"

VYXUserFunctions::VYXUserFunctions(VYXUserPreferences& user, CPFunctionsProvider* parent)
    : CPFunctionsProvider(parent ? parent : CPGetStandardFunctions(), 0, 1, 0), user_(user) {}

bool VYXUserFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                        bool* found) {
  return user_.EvaluateDevise(name, params, user_.GetReferenceDevise(), result, found) ||
         CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}
