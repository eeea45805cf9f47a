#include "foundation/CPStringTable.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>
#include <utility>

#include "foundation/CPTextEncoding.h"

extern const char* const kCPStringTableSource;

namespace {

struct Table {
  std::map<std::pair<int, int>, std::string> lists;
  std::map<int, std::string> errors;
  std::string fault;
};

// Lines are "LIST ITEM<TAB>text" or "err CODE<TAB>text"; "#" starts a comment.
Table Parse() {
  Table t;
  std::istringstream in(kCPStringTableSource);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    std::string where = "res/strings.fr:" + std::to_string(lineNo);
    if (tab == std::string::npos) {
      if (t.fault.empty()) t.fault = where + ": pas de tabulation";
      continue;
    }
    std::string key = line.substr(0, tab), text = line.substr(tab + 1);
    std::string mac;
    std::string bad;
    if (!TryUtf8ToMacRoman(text, &mac, &bad) || mac.size() > 255) {
      if (t.fault.empty()) t.fault = where + ": texte hors MacRoman ou trop long";
      continue;
    }
    std::istringstream k(key);
    std::string first;
    int second = 0;
    k >> first >> second;
    if (k.fail()) {
      if (t.fault.empty()) t.fault = where + ": clef illisible";
      continue;
    }
    // Two layers that picked the same code or item would silently show each
    // other's texts: a key given twice is a fault of the table.
    bool added = first == "err" ? t.errors.emplace(second, mac).second
                                : t.lists.emplace(std::make_pair(std::stoi(first), second), mac).second;
    if (!added && t.fault.empty()) t.fault = where + ": clef en double";
  }
  return t;
}

const Table& GetTable() {
  static const Table table = Parse();
  return table;
}

}  // namespace

std::string CPGetListString(int listID, int item) {
  const auto& lists = GetTable().lists;
  auto it = lists.find({listID, item});
  return it == lists.end() ? std::string() : it->second;
}

bool CPHasListString(int listID, int item) {
  return GetTable().lists.count({listID, item}) != 0;
}

void CPGetIndString(StringPtr out, int listID, int item) {
  std::string s = CPGetListString(listID, item);
  out[0] = static_cast<unsigned char>(s.size());
  std::memcpy(out + 1, s.data(), s.size());
}

std::string CPGetErrorText(int16_t code) {
  const auto& errors = GetTable().errors;
  auto it = errors.find(code);
  return it == errors.end() ? std::string() : it->second;
}

void CPReplaceVar(std::string& text, int n, const std::string& value) {
  char marker[3] = {'^', static_cast<char>('0' + n), 0};
  size_t pos = text.find(marker);
  if (pos == std::string::npos) return;
  text.replace(pos, 2, value);
  if (text.size() > kCPMessageMax) text.resize(kCPMessageMax);
}

std::string CPFillVars(std::string text, const std::vector<std::string>& vars, int first) {
  std::vector<std::string> values = vars;
  size_t fixed = text.size(), total = 0;
  for (size_t i = 0; i < values.size(); ++i) {
    char marker[3] = {'^', static_cast<char>('0' + first + int(i)), 0};
    if (text.find(marker) != std::string::npos) fixed -= 2;
    total += values[i].size();
  }
  constexpr size_t kMax = kCPMessageMax;
  constexpr char kEllipsis = '\xC9';  // MacRoman
  while (fixed + total > kMax) {
    auto longest = std::max_element(values.begin(), values.end(), [](const auto& a, const auto& b) {
      return a.size() < b.size();
    });
    if (longest == values.end() || longest->size() <= 9) break;
    size_t excess = fixed + total - kMax;
    size_t keep = longest->size() > excess + 9 ? longest->size() - excess - 1 : 8;
    std::string& v = *longest;
    total -= v.size();
    v = v.substr(0, keep - keep / 2) + kEllipsis + v.substr(v.size() - keep / 2);
    total += v.size();
  }
  for (size_t i = 0; i < values.size(); ++i) CPReplaceVar(text, first + int(i), values[i]);
  return text;
}

std::string CPCheckStringTable() { return GetTable().fault; }
