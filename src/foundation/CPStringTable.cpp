#include "foundation/CPStringTable.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <map>
#include <string_view>
#include <system_error>
#include <utility>

#include "foundation/CPTextEncoding.h"

extern const char* const kCPStringTableSource;

namespace {

// Texts stay as the table holds them (UTF-8) until asked for: a command
// shows a handful of the two thousand.
struct Table {
  std::map<std::pair<int, int>, std::string_view> lists;
  std::map<int, std::string_view> errors;
  std::string fault;
};

// "LIST ITEM" or "err CODE": the list (kErrors for "err") and the number.
constexpr int kErrors = -1;
bool ReadKey(std::string_view key, int* list, int* number) {
  size_t space = key.find(' ');
  if (space == std::string_view::npos) return false;
  std::string_view first = key.substr(0, space), second = key.substr(space + 1);
  while (!second.empty() && second.front() == ' ') second.remove_prefix(1);
  auto read = [](std::string_view digits, int* value) {
    const char* end = digits.data() + digits.size();
    auto [at, error] = std::from_chars(digits.data(), end, *value);
    return error == std::errc() && at == end && !digits.empty();
  };
  if (first == "err") {
    *list = kErrors;
  } else if (!read(first, list)) {
    return false;
  }
  return read(second, number);
}

// A text of the table in MacRoman; false when MacRoman cannot hold it or it
// is too long for a Str255.
bool Text(std::string_view utf8, std::string* mac) {
  std::string bad;
  return TryUtf8ToMacRoman(utf8, mac, &bad) && mac->size() <= 255;
}

// Lines are "LIST ITEM<TAB>text" or "err CODE<TAB>text"; "#" starts a comment.
// Read at the first text asked for, by nearly every command: the texts
// themselves are converted only when `check`ing the whole table.
Table Parse(bool check) {
  Table t;
  std::string_view source(kCPStringTableSource);
  int lineNo = 0;
  while (!source.empty()) {
    size_t end = source.find('\n');
    std::string_view line = source.substr(0, end);
    source.remove_prefix(end == std::string_view::npos ? source.size() : end + 1);
    ++lineNo;
    if (line.empty() || line[0] == '#') continue;
    size_t tab = line.find('\t');
    auto where = [&] { return "res/strings.fr:" + std::to_string(lineNo); };
    if (tab == std::string_view::npos) {
      if (t.fault.empty()) t.fault = where() + ": pas de tabulation";
      continue;
    }
    std::string_view text = line.substr(tab + 1);
    std::string mac;
    if (check && !Text(text, &mac)) {
      if (t.fault.empty()) t.fault = where() + ": texte hors MacRoman ou trop long";
      continue;
    }
    int list = 0, number = 0;
    if (!ReadKey(line.substr(0, tab), &list, &number)) {
      if (t.fault.empty()) t.fault = where() + ": clef illisible";
      continue;
    }
    // Two layers that picked the same code or item would silently show each
    // other's texts: a key given twice is a fault of the table.
    bool added = list == kErrors ? t.errors.emplace(number, text).second
                                 : t.lists.emplace(std::make_pair(list, number), text).second;
    if (!added && t.fault.empty()) t.fault = where() + ": clef en double";
  }
  return t;
}

const Table& GetTable() {
  static const Table table = Parse(false);
  return table;
}

// The text found, in MacRoman; empty when absent (or not MacRoman, which
// the table's check reports).
template <typename Map, typename Key>
std::string Find(const Map& map, const Key& key) {
  auto it = map.find(key);
  std::string mac;
  if (it == map.end() || !Text(it->second, &mac)) return std::string();
  return mac;
}

}  // namespace

std::string CPGetListString(int listID, int item) {
  return Find(GetTable().lists, std::make_pair(listID, item));
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
  return Find(GetTable().errors, int(code));
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

std::string CPCheckStringTable() { return Parse(true).fault; }
