// The parts of a web exchange that need no transport: built into the program
// and into the module vyx-http, which fills them in.
#include <cctype>

#include "platform/CPHttp.h"

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

void CPHttpRequest::AddHeader(std::string_view name, std::string_view value) {
  headers.push_back(std::string(name) + ": " + std::string(value));
}

std::string CPHttpHeader::Field(std::string_view name) const {
  for (const auto& [n, v] : fields) {
    if (EqualsIgnoringCase(n, name)) return v;
  }
  return {};
}

std::vector<std::string> CPHttpHeader::Fields(std::string_view name) const {
  std::vector<std::string> values;
  for (const auto& [n, v] : fields) {
    if (EqualsIgnoringCase(n, name)) values.push_back(v);
  }
  return values;
}

std::string CPHttpEscape(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

