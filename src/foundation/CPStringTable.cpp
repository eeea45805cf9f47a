#include "foundation/CPStringTable.h"

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
  if (text.size() > 255) text.resize(255);
}

std::string CPCheckStringTable() { return GetTable().fault; }
