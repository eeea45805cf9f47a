#include "cli/VYXCliFormula.h"

#include <algorithm>
#include <cstring>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPErrors.h"
#include "foundation/CPFormule.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"

namespace {

enum : int { kFormulaRefused = 1, kFormulaTooLong = 2 };

// Answers every name: what is left to check is the syntax.
class AnyName : public CPFunctionsProvider {
 public:
  AnyName() : CPFunctionsProvider(nullptr, 0, 1, 0) {}
  bool EvaluateFunction(ConstStringPtr, ParamStack*, double* result, bool* found) override {
    *result = 1;
    *found = true;
    return true;
  }
};

void ToPascal(const std::string& option, const std::string& formula, StringPtr out) {
  if (formula.size() > 255) {
    CPThrowList(kCPErrBadAmount, kVYXCalculTexts, kFormulaTooLong, {Utf8ToMacRoman(option)});
  }
  StdToP(formula, out);
}

// A formula rather than a number: an operation after the sign, a
// parenthesis, a ";", or a unit after a number (100USD, 100€). A text with
// none of these ("12a", "2 480") is read, and refused, as an amount.
bool LooksLikeFormula(const std::string& mac) {
  size_t first = mac.find_first_not_of(' ');
  if (first == std::string::npos) return false;
  for (size_t i = first; i < mac.size(); ++i) {
    auto c = static_cast<unsigned char>(mac[i]);
    if (std::strchr("()*/^;", c) && c != 0) return true;
    if ((c == '+' || c == '-') && i > first) return true;
    bool unit = (c >= 'A' && c <= 'Z') || c == '$' || c == 0xA3 || c == 0xDB;
    if (unit && i > first && mac[i - 1] >= '0' && mac[i - 1] <= '9') return true;
  }
  return false;
}

}  // namespace

VYXFormulaError::VYXFormulaError(const std::string& option, const std::string& formula, short error,
                                 short position, short length)
    : CPException(kCPErrBadAmount,
                  [&] {
                    std::string text = CPGetListString(kVYXCalculTexts, kFormulaRefused);
                    CPReplaceVar(text, 1, Utf8ToMacRoman(option));
                    CPReplaceVar(text, 2, CPFormuleErrorText(error));
                    CPReplaceVar(text, 3, std::to_string(position));
                    return text;
                  }()),
      formula_(formula),
      position_(position),
      length_(length) {}

std::string VYXFormulaError::Pointer() const {
  std::string marks(size_t(std::max<short>(position_, 1) - 1), ' ');
  marks += std::string(size_t(std::max<short>(length_, 1)), '^');
  return "  " + MacRomanToUtf8(formula_) + "\n  " + marks;
}

void VYXCheckFormulaSyntax(const std::string& option, const std::string& formula) {
  Str255 text;
  ToPascal(option, formula, text);
  AnyName names;
  double value = 0;
  short error = 0, position = 0, length = 0;
  if (CPEvaluateFormule(text, &names, &value, &error, &position, &length)) return;
  // With every name answering 1, a division by zero may be the stand-ins'.
  if (error == kFormuleNotANumber) return;
  throw VYXFormulaError(option, formula, error, position, length);
}

VYXAmountArg VYXArgAmountOrFormula(const std::string& option, const std::string& utf8) {
  VYXAmountArg arg;
  arg.option = option;
  std::string mac;
  if (!TryUtf8ToMacRoman(utf8, &mac, nullptr)) {
    arg.value = VYXArgAmount(utf8);  // which refuses it
    return arg;
  }
  arg.text = mac;
  if (!LooksLikeFormula(mac)) {
    arg.value = VYXArgAmount(utf8);
    return arg;
  }
  VYXCheckFormulaSyntax(option, mac);
  return arg;
}

VYXAmountArg VYXArgFormula(const std::string& option, const std::string& utf8) {
  VYXAmountArg arg;
  arg.option = option;
  arg.text = VYXArgText(utf8);
  VYXCheckFormulaSyntax(option, arg.text);
  return arg;
}

double VYXEvaluateAmount(const VYXAmountArg& arg, CPFunctionsProvider* provider, int decimals) {
  if (arg.value) return *arg.value;
  Str255 text;
  ToPascal(arg.option, arg.text, text);
  double value = 0;
  short error = 0, position = 0, length = 0;
  if (!CPEvaluateFormule(text, provider, &value, &error, &position, &length)) {
    throw VYXFormulaError(arg.option, arg.text, error, position, length);
  }
  return CPArrondi(value, short(decimals)) + 0.0;
}
