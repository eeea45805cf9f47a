#include "foundation/CPTextVariables.h"

#include <string>

#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

// The value of `name`, or false when no provider knows it.
bool Value(const std::string& name, bool interactive, CPVariablesProvider* provider,
           std::string* value) {
  if (!provider) return false;
  Str255 n, v;
  StdToP(name, n);
  v[0] = 0;
  if (!provider->EvaluateVariable(n, interactive, v)) return false;
  *value = PToStd(v);
  return true;
}

}  // namespace

StringPtr CPEvaluateString(StringPtr text, bool interactive, CPVariablesProvider* provider,
                           unsigned char openChar, unsigned char closeChar) {
  std::string in = PToStd(text), out, name, value;
  bool inName = false;
  auto unknown = [&](bool closed) {
    out += char(openChar);
    out += name;
    if (closed) out += char(closeChar);
  };
  for (char ch : in) {
    auto c = static_cast<unsigned char>(ch);
    if (!inName) {
      if (c == openChar) {
        inName = true;
        name.clear();
      } else {
        out += ch;
      }
    } else if (c == closeChar) {
      inName = false;
      if (Value(name, interactive, provider, &value)) {
        out += value;
      } else {
        unknown(true);
      }
    } else if (c == openChar) {
      // A delimiter left open before another: what came before is text.
      unknown(false);
      name.clear();
    } else {
      name += ch;
    }
  }
  if (inName) {
    if (Value(name, interactive, provider, &value)) {
      out += value;
    } else {
      unknown(false);
    }
  }
  StdToP(out, text);
  return text;
}

Handle CPEvaluateHandle(Handle text, bool interactive, CPVariablesProvider* provider,
                        unsigned char openChar, unsigned char closeChar) {
  const unsigned char* p = HandlePtr(text);
  size_t size = GetHandleSize(text);
  std::string out, name, value;
  bool inName = false;
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = p[i];
    if (!inName) {
      if (c == openChar) {
        inName = true;
        name.clear();
      } else {
        out += char(c);
      }
    } else if (c == closeChar) {
      inName = false;
      if (name.size() <= 255 && Value(name, interactive, provider, &value)) {
        out += value;
      } else {
        out += char(openChar);
        out += name;
        out += char(closeChar);
      }
    } else {
      name += char(c);
    }
  }
  Handle result = NewHandleFrom(out.data(), out.size());
  if (!result) CPThrow(memFullErr);
  return result;
}
