#include "accounts/VYXCompteFunctions.h"

#include "accounts/VYXCompte.h"
#include "foundation/CPStandardFunctions.h"

namespace {

bool Answer(double value, double* result, bool* found) {
  *result = value;
  *found = true;
  return true;
}

}  // namespace

VYXCompteFunctions::VYXCompteFunctions(VYXCompte& compte, CPFunctionsProvider* parent)
    : CPFunctionsProvider(parent ? parent : CPGetStandardFunctions(), kVYXFunctionsList, 2, 5),
      compte_(compte) {}

bool VYXCompteFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                          bool* found) {
  MontantSet soldes;
  switch (FindOwnFunction(name)) {
    case 2:
      return Answer(compte_.GetNbOfOperations(), result, found);
    case 3:
      soldes = compte_.GetSoldesValues();
      return Answer(soldes.montant[kOpPointee], result, found);
    case 4:
      soldes = compte_.GetSoldesValues();
      return Answer(soldes.montant[kOpEngagee], result, found);
    case 5:
      soldes = compte_.GetSoldesValues();
      return Answer(soldes.montant[kOpPrevue], result, found);
    default:
      break;
  }
  if (compte_.GetSupervisor().EvaluateDevise(name, params, compte_.GetCompteDevise(), result,
                                             found)) {
    return true;
  }
  return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}

bool VYXOperationFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params,
                                             double* result, bool* found) {
  switch (FindOwnFunction(name)) {
    case 6:
      return Answer(op_.montant, result, found);
    case 7:
      return Answer(op_.montantSousOp, result, found);
    case 8:
      return Answer(op_.montant - op_.montantSousOp, result, found);
    case 9:
      return Answer(op_.sousOpsNbr, result, found);
    default:
      return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
  }
}

bool VYXSsOperationFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params,
                                               double* result, bool* found) {
  if (FindOwnFunction(name) == 8) {
    return Answer(op_.montant - op_.montantSousOp + line_.montant, result, found);
  }
  return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}

bool VYXOccurrenceFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params,
                                              double* result, bool* found) {
  if (FindOwnFunction(name) == 10) return Answer(number_, result, found);
  return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}

bool VYXBudgetFunctions::EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                          bool* found) {
  int index = FindOwnFunction(name);
  if (index != 0 && values_[index - 11]) return Answer(*values_[index - 11], result, found);
  return CPFunctionsProvider::EvaluateFunction(name, params, result, found);
}
