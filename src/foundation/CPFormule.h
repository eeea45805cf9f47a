// Formulas typed where an amount is expected: "120*3", "100USD",
// "HT(119,6;19,6)", "MAX(10;RESTE())". Numbers, the four operations and
// powers, parentheses, calls of named functions with parameters separated
// by ";", and units after a number (100USD is the function USD called with
// 100). Names are resolved by a chain of providers (CPFunctionsProvider.h).
//
// The order of operations is the system's own and callers rely on it: powers
// first, then divisions, then multiplications, then additions; a chain of one
// operator is combined from the right (8/4/2 is 4, 2^3^2 is 512); an operator
// typed after another replaces it (2*-3 is -1); two operands side by side are
// added (2 3 is 5: inside a formula a space ends a number, so "2 480" is 482).
//
// Nothing is raised for bad input: an error code says what is wrong, with the
// position (from 1) and the length of the text at fault, so that a dialog or
// the command line can point at it.
#ifndef VYX_FOUNDATION_CPFORMULE_H_
#define VYX_FOUNDATION_CPFORMULE_H_

#include <cstdint>
#include <string>

#include "foundation/CPFunctionsProvider.h"
#include "platform/CPMacTypes.h"

enum CPFormuleError : int16_t {
  kFormuleNoError = 0,
  kFormuleTooManyOperands = 2,  // more than 10 operands at one level
  kFormuleBadChar = 3,          // a character a formula cannot hold
  kFormuleParenthesis = 5,      // parentheses that do not balance
  kFormuleUnknownName = 6,      // no provider knows the function or unit
  kFormuleNoParenthesis = 7,    // a name not followed by "("
  kFormuleTooManyParams = 8,    // more than 8 parameters
  kFormuleBadCall = 10,         // a known name refused its parameters
  // vyx's own: an operation whose result is no number (a division by zero,
  // a root of a negative number, a number too large for a double).
  kFormuleNotANumber = 11,
};

// At most 10 operands wait at one level of parentheses.
constexpr int kFormuleMaxOperands = 10;
enum : uint8_t { kFormuleAdd = 0, kFormuleSub, kFormuleMul, kFormuleDiv, kFormulePow };

// The operands of one level. Entry i holds operand i and the operator
// written before it; `count` - 1 is the next free entry.
struct FormuleStack {
  struct Entry {
    double value = 0;
    uint8_t op = kFormuleAdd;
  };
  int16_t count = 1;
  Entry entries[kFormuleMaxOperands];
};

// Evaluates `text` (MacRoman, at most 255 characters) with the names of
// `provider` (may be null: then any name is unknown). Answers true with the
// result when `error` is 0; otherwise `errorPosition` (from 1; one past the
// end for a missing ")") and `errorLength` (0 when no text is at fault) say
// where. An empty text is 0.
bool CPEvaluateFormule(ConstStringPtr text, CPFunctionsProvider* provider, double* result,
                       short* error, short* errorPosition, short* errorLength);

// The French text of an error code (MacRoman), for a message.
std::string CPFormuleErrorText(short error);

#endif  // VYX_FOUNDATION_CPFORMULE_H_
