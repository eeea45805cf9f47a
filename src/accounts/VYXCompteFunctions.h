// The functions that formulas find in an account and in what is being
// entered there (string list 368): the account's balances and number of
// operations and its currency units; an operation's amount, what its split
// lines already hold and what is left to split; the occurrence number of an
// automatic operation or a simulation; the values of a budget cell.
//
// Chains are built by the caller, most specific first, e.g. for the amount of
// a split line: VYXSsOperationFunctions -> VYXOperationFunctions ->
// VYXCompteFunctions -> the standard functions. Each provider keeps a
// reference to what it reads, which must outlive it.
#ifndef VYX_ACCOUNTS_VYXCOMPTEFUNCTIONS_H_
#define VYX_ACCOUNTS_VYXCOMPTEFUNCTIONS_H_

#include <optional>

#include "accounts/Operation.h"
#include "accounts/OperationAuto.h"
#include "accounts/SousOperation.h"
#include "foundation/CPFunctionsProvider.h"

class VYXCompte;

constexpr int kVYXFunctionsList = 368;

// PREVU, ENGAGE, POINTE (the three balances), NBOPE, and the user file's
// currencies by code (with any number of parameters, one being required) or
// by symbol (with exactly one): 100USD is 100 dollars in the account's
// currency. Other names go to `parent`, the standard functions by default.
class VYXCompteFunctions : public CPFunctionsProvider {
 public:
  explicit VYXCompteFunctions(VYXCompte& compte, CPFunctionsProvider* parent = nullptr);
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  VYXCompte& compte_;
};

// MONTANT, VENTILE, RESTE, NBVENTIL of the operation being entered.
class VYXOperationFunctions : public CPFunctionsProvider {
 public:
  VYXOperationFunctions(CPFunctionsProvider* parent, const Operation& op)
      : CPFunctionsProvider(parent, kVYXFunctionsList, 6, 9), op_(op) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  const Operation& op_;
};

// RESTE of a split line being edited: what is left to split, the line's own
// amount counted back in.
class VYXSsOperationFunctions : public CPFunctionsProvider {
 public:
  VYXSsOperationFunctions(CPFunctionsProvider* parent, const Operation& op,
                          const SousOperation& line)
      : CPFunctionsProvider(parent, kVYXFunctionsList, 8, 8), op_(op), line_(line) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  const Operation& op_;
  const SousOperation& line_;
};

// ECHEANCE: how many times the automatic operation (or the simulation) has
// been generated.
class VYXOccurrenceFunctions : public CPFunctionsProvider {
 public:
  VYXOccurrenceFunctions(CPFunctionsProvider* parent, int16_t number)
      : CPFunctionsProvider(parent, kVYXFunctionsList, 10, 10), number_(number) {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  int16_t number_;
};

class VYXOpAutoFunctions : public VYXOccurrenceFunctions {
 public:
  VYXOpAutoFunctions(CPFunctionsProvider* parent, const OperationAuto& opAuto)
      : VYXOccurrenceFunctions(parent, opAuto.number) {}
};

class VYXSimulationFunctions : public VYXOccurrenceFunctions {
 public:
  VYXSimulationFunctions(CPFunctionsProvider* parent, int16_t number)
      : VYXOccurrenceFunctions(parent, number) {}
};

// VALEUR1, VALEUR2: the two values given for the budget cell being computed;
// a value not given is not a function there.
class VYXBudgetFunctions : public CPFunctionsProvider {
 public:
  VYXBudgetFunctions(CPFunctionsProvider* parent, std::optional<double> first,
                     std::optional<double> second)
      : CPFunctionsProvider(parent, kVYXFunctionsList, 11, 12), values_{first, second} {}
  bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                        bool* found) override;

 private:
  std::optional<double> values_[2];
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEFUNCTIONS_H_
