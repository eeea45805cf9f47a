// The names a formula may call: functions and currency units, each known by
// one provider of a chain. A provider owns a slice of a string list (entries
// "NAME|syntax|description"), answers the names of its slice and hands every
// other name to its parent. The framework's providers are in
// CPStandardFunctions.h; accounts, operations and the user file add theirs.
//
// Providers are small objects made on the stack around an evaluation; a
// provider does not own its parent, which must outlive it.
#ifndef VYX_FOUNDATION_CPFUNCTIONSPROVIDER_H_
#define VYX_FOUNDATION_CPFUNCTIONSPROVIDER_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

// The arguments of one call: at most 8.
constexpr int kCPMaxParams = 8;
struct ParamStack {
  int16_t count = 0;
  double params[kCPMaxParams] = {};
};

// What a function list shows of an entry: its name and two help texts (its
// syntax and what it computes), each at most 31 characters.
struct FunctionInfos {
  Str31 name = {};
  Str31 help1 = {};
  Str31 help2 = {};
};

// Cuts an entry "name|text|text" into its three fields: each at most 31
// characters, the two texts taken from the first 31 characters after the
// first "|".
void CPSplitFunctionEntry(ConstStringPtr entry, FunctionInfos* infos);

// Whether `name`, as typed, calls the string-list `entry`: with a "|" in the
// entry, only its part before the "|" is compared, letter case and accents
// aside; an entry without one is compared whole, exactly.
bool CPFunctionCompare(ConstStringPtr name, ConstStringPtr entry);
bool CPFunctionCompare(ConstStringPtr name, int listID, int index);

class CPFunctionsProvider {
 public:
  // Own entries: items `first` to `last` of list `listID` (none when last < first).
  CPFunctionsProvider(CPFunctionsProvider* parent, int listID, int first, int last);
  virtual ~CPFunctionsProvider() = default;
  CPFunctionsProvider(const CPFunctionsProvider&) = delete;
  CPFunctionsProvider& operator=(const CPFunctionsProvider&) = delete;

  // Own functions, then the parent's.
  virtual int16_t GetNbOfFunctions();
  // Index from 1 over the same sequence; out of range gives three empty texts.
  virtual void GetFunctionsInfos(int16_t index, FunctionInfos* infos);
  // Computes `name` with `params`. Answers false when no provider of the chain
  // knows the name; true with `found` cleared when one knows it but refuses
  // the number of parameters; true with `found` set and `result` otherwise.
  // The base class passes the call to the parent.
  virtual bool EvaluateFunction(ConstStringPtr name, ParamStack* params, double* result,
                                bool* found);

  CPFunctionsProvider* GetParent() const { return parent_; }

 protected:
  // The list index of the own entry that `name` calls, 0 for none.
  int FindOwnFunction(ConstStringPtr name) const;
  int ListID() const { return listID_; }

 private:
  CPFunctionsProvider* parent_;
  int listID_;
  int first_;
  int last_;
  int16_t count_;
};

#endif  // VYX_FOUNDATION_CPFUNCTIONSPROVIDER_H_
