#include "foundation/CPFormule.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "foundation/CPStringTable.h"
#include "platform/CPRegional.h"

namespace {

// Texts of the errors, by code (res/strings.fr).
constexpr int kFormuleTexts = 30550;

constexpr unsigned char kPound = 0xA3;  // "£" in MacRoman
constexpr unsigned char kEuro = 0xDB;   // "€"

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }
bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsUnitChar(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || c == '$' || c == kPound || c == kEuro;
}

struct Fault {
  short code = kFormuleNoError;
  short position = 0;
  short length = 0;
};

// One evaluation over the text: levels of parentheses and parameters are
// ranges of the same text, so that every position it reports is the user's.
class Evaluator {
 public:
  Evaluator(ConstStringPtr text, CPFunctionsProvider* provider)
      : s_(text),
        provider_(provider),
        decimal_(CPRegional::Get().decimalChar),
        thousands_(CPRegional::Get().thousandSep) {}

  // Positions `from` to `to`, both included (to < from: empty).
  bool Formula(int from, int to, double* result);
  const Fault& GetFault() const { return fault_; }

 private:
  bool Fail(short code, int position, int length) {
    fault_ = {code, short(position), short(length)};
    return false;
  }
  bool Number(int& pos, int to, double* value);
  bool Unit(int& pos, int to, double* value);
  bool Call(int& pos, int to, double* value);
  bool Call(ConstStringPtr name, int at, int length, ParamStack& params, double* value);
  // The position of the ")" that closes the "(" before `pos`, or 0.
  int Closing(int pos, int to) const;
  bool Blank(int from, int to) const;

  ConstStringPtr s_;
  CPFunctionsProvider* provider_;
  unsigned char decimal_;
  unsigned char thousands_;
  Fault fault_;
};

bool Evaluator::Formula(int from, int to, double* result) {
  FormuleStack stack;
  // Where each operand's operator (or the operand itself) was typed, to
  // point at the operation that fails.
  short opPos[kFormuleMaxOperands] = {};
  // A subtracted operand is added with its sign changed, but only once the
  // powers are done: 3-2^2 is 3-4, not 3+(-2)^2.
  bool negated[kFormuleMaxOperands] = {};
  auto push = [&](double value, int at, int length) {
    int e = stack.count - 1;
    if (e >= kFormuleMaxOperands) return Fail(kFormuleTooManyOperands, at, 0);
    if (!std::isfinite(value)) return Fail(kFormuleNotANumber, at, length);
    FormuleStack::Entry& entry = stack.entries[e];
    if (entry.op == kFormuleSub) {
      negated[e] = true;
      entry.op = kFormuleAdd;
    }
    if (opPos[e] == 0) opPos[e] = short(at);
    entry.value = value;
    ++stack.count;
    return true;
  };

  int pos = from;
  while (pos <= to) {
    unsigned char c = s_[pos];
    int start = pos;
    double value = 0;
    if (IsDigit(c) || c == decimal_ || c == '.') {
      if (!Number(pos, to, &value) || !Unit(pos, to, &value) || !push(value, start, pos - start)) {
        return false;
      }
    } else if (IsLetter(c)) {
      if (!Call(pos, to, &value) || !push(value, start, pos - start)) return false;
    } else if (c == ' ') {
      ++pos;
    } else if (c == '(') {
      int close = Closing(pos + 1, to);
      if (close == 0) return Fail(kFormuleParenthesis, to + 1, 1);
      if (!Formula(pos + 1, close - 1, &value) || !push(value, start, close - start + 1)) {
        return false;
      }
      pos = close + 1;
    } else if (c == ')') {
      return Fail(kFormuleParenthesis, pos, 1);
    } else if (c == '*' || c == '+' || c == '-' || c == '/' || c == '^') {
      static constexpr char kOps[] = "+-*/^";
      int e = stack.count - 1;
      // An operator after the tenth operand has nothing to go with; the
      // next operand, if any, is refused.
      if (e < kFormuleMaxOperands) {
        stack.entries[e].op = uint8_t(std::strchr(kOps, c) - kOps);
        opPos[e] = short(pos);
      }
      ++pos;
    } else {
      return Fail(kFormuleBadChar, pos, 1);
    }
  }

  int n = stack.count - 1;
  FormuleStack::Entry* entries = stack.entries;
  for (uint8_t op : {kFormulePow, kFormuleDiv, kFormuleMul}) {
    for (int i = n - 1; i >= 1; --i) {
      if (entries[i].op != op) continue;
      double& into = entries[i - 1].value;
      double v = entries[i].value;
      into = op == kFormulePow ? std::pow(into, v) : op == kFormuleDiv ? into / v : into * v;
      if (!std::isfinite(into)) return Fail(kFormuleNotANumber, opPos[i], 1);
      for (int j = i; j < n - 1; ++j) {
        entries[j] = entries[j + 1];
        opPos[j] = opPos[j + 1];
        negated[j] = negated[j + 1];
      }
      --n;
    }
    if (op == kFormulePow) {
      for (int i = 0; i < n; ++i) {
        if (negated[i]) entries[i].value = -entries[i].value;
      }
    }
  }
  double sum = 0;
  for (int i = 0; i < n; ++i) sum += entries[i].value;
  if (!std::isfinite(sum)) return Fail(kFormuleNotANumber, from, to - from + 1);
  *result = sum;
  return true;
}

// Digits with one decimal point (the regional character or "."), the
// regional thousands separator skipped unless it is a space: a space ends
// the number.
bool Evaluator::Number(int& pos, int to, double* value) {
  char digits[260];
  int n = 0;
  bool point = false;
  for (; pos <= to; ++pos) {
    unsigned char c = s_[pos];
    if (IsDigit(c)) {
      digits[n++] = char(c);
    } else if ((c == decimal_ || c == '.') && !point) {
      point = true;
      if (n == 0) digits[n++] = '0';
      digits[n++] = '.';
    } else if (c == thousands_ && c != ' ' && c != 0) {
      continue;
    } else {
      break;
    }
  }
  if (n > 0 && digits[n - 1] == '.') --n;
  double v = 0;
  if (n > 0 && std::from_chars(digits, digits + n, v, std::chars_format::fixed).ec ==
                   std::errc::result_out_of_range) {
    v = HUGE_VAL;  // refused when it is pushed
  }
  *value = v;
  return true;
}

// Capitals and currency signs right after a number name a unit: 100USD is
// USD(100).
bool Evaluator::Unit(int& pos, int to, double* value) {
  int start = pos;
  while (pos <= to && IsUnitChar(s_[pos]) && pos - start < 255) ++pos;
  if (pos == start) return true;
  Str255 name;
  name[0] = uint8_t(pos - start);
  std::memcpy(name + 1, s_ + start, name[0]);
  ParamStack params;
  params.count = 1;
  params.params[0] = *value;
  return Call(name, start, pos - start, params, value);
}

bool Evaluator::Call(int& pos, int to, double* value) {
  int start = pos;
  while (pos <= to && s_[pos] != '(') ++pos;
  if (pos > to) return Fail(kFormuleNoParenthesis, start, to - start + 1);
  Str255 name;
  name[0] = uint8_t(pos - start);
  std::memcpy(name + 1, s_ + start, name[0]);

  ParamStack params;
  int depth = 0;
  int paramStart = ++pos;
  for (;; ++pos) {
    if (pos > to) return Fail(kFormuleParenthesis, to + 1, 1);
    unsigned char c = s_[pos];
    if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if ((c == ';' || c == ')') && depth == 0) {
      if (!Blank(paramStart, pos - 1)) {
        if (params.count == kCPMaxParams) {
          return Fail(kFormuleTooManyParams, paramStart, pos - paramStart);
        }
        if (!Formula(paramStart, pos - 1, &params.params[params.count])) return false;
        ++params.count;
      }
      paramStart = pos + 1;
      if (c == ')') break;
    }
  }
  ++pos;
  return Call(name, start, name[0], params, value);
}

bool Evaluator::Call(ConstStringPtr name, int at, int length, ParamStack& params, double* value) {
  bool found = false;
  double result = 0;
  if (!provider_ || !provider_->EvaluateFunction(name, &params, &result, &found)) {
    return Fail(kFormuleUnknownName, at, length);
  }
  if (!found) return Fail(kFormuleBadCall, at, length);
  *value = result;
  return true;
}

int Evaluator::Closing(int pos, int to) const {
  int depth = 0;
  for (; pos <= to; ++pos) {
    if (s_[pos] == '(') {
      ++depth;
    } else if (s_[pos] == ')') {
      if (depth == 0) return pos;
      --depth;
    }
  }
  return 0;
}

bool Evaluator::Blank(int from, int to) const {
  for (int i = from; i <= to; ++i) {
    if (s_[i] != ' ') return false;
  }
  return true;
}

}  // namespace

bool CPEvaluateFormule(ConstStringPtr text, CPFunctionsProvider* provider, double* result,
                       short* error, short* errorPosition, short* errorLength) {
  Evaluator evaluator(text, provider);
  double value = 0;
  bool ok = evaluator.Formula(1, text[0], &value);
  const Fault& fault = evaluator.GetFault();
  if (error) *error = ok ? short(kFormuleNoError) : fault.code;
  if (errorPosition) *errorPosition = ok ? short(0) : fault.position;
  if (errorLength) *errorLength = ok ? short(0) : fault.length;
  if (ok && result) *result = value + 0.0;  // no negative zero
  return ok;
}

std::string CPFormuleErrorText(short error) { return CPGetListString(kFormuleTexts, error); }
