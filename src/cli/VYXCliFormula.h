// Amounts typed as formulas on the command line. An amount option's text is
// either a plain number, read as every amount is (VYXArgAmount and its
// refusals), or a formula ("120*3", "100USD", "RESTE()"): its syntax is
// checked before any file is opened, its value computed once the dossier and
// the account are open (their currencies and figures are names it may call),
// and rounded to the dossier's decimals.
//
// A formula refused raises VYXFormulaError: its French message names the
// option and the fault, and the command line shows the formula with a mark
// under the fault.
#ifndef VYX_CLI_VYXCLIFORMULA_H_
#define VYX_CLI_VYXCLIFORMULA_H_

#include <optional>
#include <string>

#include "foundation/CPException.h"
#include "foundation/CPFunctionsProvider.h"

// Texts of formulas, `calcul` and the filters' criteria (res/strings.fr).
constexpr int kVYXCalculTexts = 30560;

struct VYXAmountArg {
  std::string option;           // "--montant", for messages (UTF-8)
  std::string text;             // as typed, MacRoman
  std::optional<double> value;  // a plain number's value
  bool IsFormula() const { return !value; }
};

// Reads an amount option (UTF-8): a number now (a text without operators,
// parentheses or units, refused as VYXArgAmount refuses it), or a formula
// whose syntax holds.
VYXAmountArg VYXArgAmountOrFormula(const std::string& option, const std::string& utf8);
// Reads a formula, whatever it looks like ("2 3" is 5 here).
VYXAmountArg VYXArgFormula(const std::string& option, const std::string& utf8);
// The option's value: its number, or its formula evaluated with `provider`
// and rounded to `decimals`.
double VYXEvaluateAmount(const VYXAmountArg& arg, CPFunctionsProvider* provider, int decimals);

class VYXFormulaError : public CPException {
 public:
  VYXFormulaError(const std::string& option, const std::string& formula, short error,
                  short position, short length);
  // The formula and a line of marks under the fault, for a terminal (UTF-8).
  std::string Pointer() const;

 private:
  std::string formula_;
  short position_, length_;
};

// Raises VYXFormulaError unless `formula` (MacRoman) is one the evaluator
// can read, names aside. `option` names where it was typed.
void VYXCheckFormulaSyntax(const std::string& option, const std::string& formula);

#endif  // VYX_CLI_VYXCLIFORMULA_H_
