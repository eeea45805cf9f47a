// The variables that texts find in an account and in what is being entered
// there (string list 369): the account's bank, name and number; an
// operation's sense, its month (named, as a number, the next and previous
// ones, its quarter), its year and its security; a split line's operation
// label, sense and month. VYXDicoVariables offers the account's dictionary of
// labels as names to pick from.
//
// Chains are built by the caller, most specific first (a split line ->
// its operation -> the account -> the standard variables), so that «MOIS»
// in a split line's label is the line's month. Each provider keeps a
// reference to what it reads, which must outlive it.
#ifndef VYX_ACCOUNTS_VYXCOMPTEVARIABLES_H_
#define VYX_ACCOUNTS_VYXCOMPTEVARIABLES_H_

#include "accounts/Operation.h"
#include "accounts/SousOperation.h"
#include "foundation/CPVariablesProvider.h"

class VYXCompte;
class CPResourceSet;

constexpr int kVYXVariablesList = 369;
// Words of the variables: debit, credit, sale, purchase.
constexpr int kVYXVariableWordsList = 359;

// BANQUE, COMPTE, NUMERO DE COMPTE. Other names go to `parent`, the standard
// variables by default.
class VYXCompteVariables : public CPVariablesProvider {
 public:
  explicit VYXCompteVariables(VYXCompte& compte, CPVariablesProvider* parent = nullptr);
  bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) override;

 private:
  VYXCompte& compte_;
};

class VYXOperationVariables : public CPVariablesProvider {
 public:
  VYXOperationVariables(CPVariablesProvider* parent, VYXCompte& compte, const Operation& op)
      : CPVariablesProvider(parent, kVYXVariablesList, 4, 16), compte_(compte), op_(op) {}
  bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) override;

 private:
  VYXCompte& compte_;
  const Operation& op_;
};

class VYXSsOperationVariables : public CPVariablesProvider {
 public:
  VYXSsOperationVariables(CPVariablesProvider* parent, const Operation& op,
                          const SousOperation& line)
      : CPVariablesProvider(parent, kVYXVariablesList, 17, 19), op_(op), line_(line) {}
  bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) override;

 private:
  const Operation& op_;
  const SousOperation& line_;
};

// The names of the account's label dictionary ('TIER' set), listed with flag
// 0 before the parent's variables; they are offered, not evaluated.
class VYXDicoVariables : public CPVariablesProvider {
 public:
  VYXDicoVariables(CPVariablesProvider* parent, CPResourceSet& dico)
      : CPVariablesProvider(parent, 0, 1, 0), dico_(dico) {}
  int16_t GetNbOfVariables() override;
  void GetVariablesInfos(int16_t index, VariablesInfos* infos) override;

 private:
  CPResourceSet& dico_;
};

#endif  // VYX_ACCOUNTS_VYXCOMPTEVARIABLES_H_
