#include "exchange/VYXLabelReading.h"

#include <cctype>
#include <vector>

#include "foundation/CPDates.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Upper(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c >= 'a' && c <= 'z') {
      out += char(c - 'a' + 'A');
    } else if (c == 0x8E || c == 0x8F || c == 0x90 || c == 0x91) {
      out += 'E';  // é è ê ë
    } else {
      out += char(c);
    }
  }
  return out;
}

// The label's words: runs of letters and digits, upper case, accents gone.
std::vector<std::string> Words(const std::string& label) {
  std::vector<std::string> words;
  std::string word;
  for (char c : Upper(label)) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      word += c;
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

bool AllDigits(const std::string& w) {
  return !w.empty() && w.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::string FindNoPiece(const std::string& label) {
  // Words that announce a cheque or a slip, and words that may stand between
  // them and the number ("CHEQUE N 1234567", "REMISE DE CHEQUES NO 123").
  static const char* const kAnnounce[] = {"CHEQUE", "CHEQUES", "CHQ", "CHQS", "CH", "REMISE"};
  static const char* const kBetween[] = {"N", "NO", "NUM", "NUMERO", "DE", "DU", "CHEQUE",
                                         "CHEQUES", "CHQ"};
  std::vector<std::string> words = Words(label);
  for (size_t i = 0; i < words.size(); ++i) {
    const std::string& w = words[i];
    bool announces = false;
    for (const char* a : kAnnounce) announces = announces || w == a;
    // "CHQ0012345": the word and its number written together.
    for (const char* a : {"CHQ", "CHEQUE"}) {
      std::string prefix(a);
      if (w.size() > prefix.size() + 2 && w.compare(0, prefix.size(), prefix) == 0 &&
          AllDigits(w.substr(prefix.size()))) {
        return w.substr(prefix.size());
      }
    }
    if (!announces) continue;
    size_t k = i + 1;
    while (k < words.size()) {
      bool between = false;
      for (const char* b : kBetween) between = between || words[k] == b;
      if (!between) break;
      ++k;
    }
    if (k < words.size() && AllDigits(words[k]) && words[k].size() >= 3 && words[k].size() <= 20) {
      return words[k];
    }
  }
  return {};
}

CPDate FindDate(const std::string& label, CPDate lineDate) {
  if (lineDate == 0) return 0;
  for (size_t i = 0; i < label.size(); ++i) {
    if (!IsDigit(label[i]) || (i > 0 && IsDigit(label[i - 1]))) continue;
    // Day.
    size_t p = i;
    int day = 0, digits = 0;
    while (p < label.size() && IsDigit(label[p]) && digits < 3) day = day * 10 + (label[p++] - '0'), ++digits;
    if (digits > 2 || p >= label.size()) continue;
    char sep = label[p];
    if (sep != '/' && sep != '.' && sep != '-') continue;
    ++p;
    int month = 0;
    digits = 0;
    while (p < label.size() && IsDigit(label[p]) && digits < 3) month = month * 10 + (label[p++] - '0'), ++digits;
    if (digits == 0 || digits > 2) continue;
    int year = -1;
    if (p + 1 < label.size() && label[p] == sep && IsDigit(label[p + 1])) {
      size_t q = p + 1;
      int y = 0;
      digits = 0;
      while (q < label.size() && IsDigit(label[q]) && digits < 5) y = y * 10 + (label[q++] - '0'), ++digits;
      if (digits != 2 && digits != 4) continue;
      year = digits == 2 ? CPFullYear(y) : y;
      p = q;
    }
    // A date stands apart: "12/03/2024" yes, "12/0345" (an amount, a code) no.
    if (p < label.size() && IsDigit(label[p])) continue;
    if (month < 1 || month > 12 || day < 1) continue;
    CPDate found = 0;
    if (year >= 0) {
      CPDateTimeRec f;
      f.day = day;
      f.month = month;
      f.year = year;
      if (!IsAValidDate(f)) continue;
      found = CPGetDate(day, month, year);
    } else {
      int lineYear = CPGetYear(lineDate);
      for (int y : {lineYear, lineYear - 1}) {
        CPDateTimeRec f;
        f.day = day;
        f.month = month;
        f.year = y;
        if (!IsAValidDate(f)) continue;
        CPDate d = CPGetDate(day, month, y);
        if (CPCompareDates(d, lineDate) <= 0) {
          found = d;
          break;
        }
      }
    }
    if (found == 0 || CPCompareDates(found, lineDate) > 0) continue;
    return found;
  }
  return 0;
}
