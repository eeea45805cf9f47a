// The variables a text may name between delimiters ("Loyer «MOIS»"): like
// functions, they are known by a chain of providers, each owning a slice of a
// string list (entries "NAME|description") and handing the other names to its
// parent. Variable names are compared exactly (letter case and accents count).
//
// The framework's provider, CPStandardVariables, knows today's date, month and
// year (string list 264) and the questions: a name that begins with "¿" asks
// the user the rest of the name, through the interaction interface, when the
// text is expanded interactively.
//
// A provider does not own its parent, which must outlive it.
#ifndef VYX_FOUNDATION_CPVARIABLESPROVIDER_H_
#define VYX_FOUNDATION_CPVARIABLESPROVIDER_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

using Str32 = unsigned char[33];

// What a list of variables shows: a name and a description (at most 32
// characters each); `flag` is 1 for entries of a string list, 0 for names
// taken from elsewhere (an account's dictionary).
struct VariablesInfos {
  Str32 name = {};
  Str32 description = {};
  uint8_t flag = 0;
};

// Whether `name` names the string-list `entry` (its part before "|", or the
// whole entry): exactly, letter case and accents counting.
bool CPVarCompare(ConstStringPtr name, ConstStringPtr entry);
bool CPVarCompare(ConstStringPtr name, int listID, int index);

class CPVariablesProvider {
 public:
  // Own entries: items `first` to `last` of list `listID` (none when last < first).
  CPVariablesProvider(CPVariablesProvider* parent, int listID, int first, int last);
  virtual ~CPVariablesProvider() = default;
  CPVariablesProvider(const CPVariablesProvider&) = delete;
  CPVariablesProvider& operator=(const CPVariablesProvider&) = delete;

  // Own variables, then the parent's.
  virtual int16_t GetNbOfVariables();
  // Index from 1 over the same sequence; out of range gives empty texts.
  virtual void GetVariablesInfos(int16_t index, VariablesInfos* infos);
  // The value of `name` (MacRoman, at most 255 bytes); false when no provider
  // of the chain knows it. `interactive`: the user may be asked. The base
  // class passes the name to the parent.
  virtual bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value);

  CPVariablesProvider* GetParent() const { return parent_; }

 protected:
  // The list index of the own entry `name` names, 0 for none.
  int FindOwnVariable(ConstStringPtr name) const;
  int ListID() const { return listID_; }

 private:
  CPVariablesProvider* parent_;
  int listID_;
  int first_;
  int last_;
  int16_t count_;
};

constexpr int kCPVariablesList = 264;
// The character that opens a question ("¿" in MacRoman), and the value of a
// question the user cancelled.
constexpr unsigned char kCPQuestionChar = 0xC0;

class CPStandardVariables : public CPVariablesProvider {
 public:
  explicit CPStandardVariables(CPVariablesProvider* parent = nullptr)
      : CPVariablesProvider(parent, kCPVariablesList, 1, 3) {}
  bool EvaluateVariable(ConstStringPtr name, bool interactive, StringPtr value) override;
};

// The standard variables shared by the whole process: the usual end of a chain.
CPVariablesProvider* CPGetStandardVariables();

#endif  // VYX_FOUNDATION_CPVARIABLESPROVIDER_H_
