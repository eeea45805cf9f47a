#include "cli/VYXReportArgs.h"

#include <cstdio>
#include <vector>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXReportTexts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "platform/CPRegional.h"
#include "userfile/VYXUserPreferences.h"

namespace {

[[noreturn]] void Refuse(int item, const std::string& utf8) {
  std::string text;
  if (!TryUtf8ToMacRoman(utf8, &text, nullptr) || text.empty()) text = "?";
  CPThrowList(paramErr, kVYXReportTexts, item, {text});
}

// The numbers of a text, each a run of digits; false when something else
// than digits and separators is there.
bool Numbers(const std::string& text, std::vector<std::string>* numbers) {
  std::string current;
  for (char ch : text) {
    if (ch >= '0' && ch <= '9') {
      current += ch;
    } else if (ch == '/' || ch == '.' || ch == '-' || ch == ' ') {
      if (current.empty()) return false;
      numbers->push_back(current);
      current.clear();
    } else {
      return false;
    }
  }
  if (current.empty()) return false;
  numbers->push_back(current);
  return true;
}

// Index of the text among `count` items of the list from `first`, accents
// and letter case aside; -1 when none.
int Among(const std::string& utf8, int first, int count) {
  std::string text;
  if (!TryUtf8ToMacRoman(utf8, &text, nullptr)) return -1;
  for (int i = 0; i < count; ++i) {
    if (CPEqualString(text, CPGetListString(kVYXReportTexts, first + i), false, false)) return i;
  }
  return -1;
}

}  // namespace

CPMonthYear VYXArgMonth(const std::string& utf8) {
  std::vector<std::string> numbers;
  if (!Numbers(utf8, &numbers) || numbers.size() < 2 || numbers.size() > 3) {
    Refuse(kReportNotAMonth, utf8);
  }
  if (numbers.size() == 3) {
    CPDate date = VYXArgDate(utf8);
    return CPMonthYear{CPGetMonth(date), CPGetYear(date)};
  }
  if (numbers[0].size() > 2 || (numbers[1].size() != 2 && numbers[1].size() != 4)) {
    Refuse(kReportNotAMonth, utf8);
  }
  int month = std::stoi(numbers[0]);
  int year = std::stoi(numbers[1]);
  if (numbers[1].size() == 2) year = CPFullYear(year);
  // Within what the dates of vyx hold.
  if (month < 1 || month > 12 || year < 1905 || year > 2039) Refuse(kReportNotAMonth, utf8);
  return CPMonthYear{month, year};
}

int VYXArgMonths(const std::string& utf8) {
  if (utf8.empty() || utf8.size() > 3) Refuse(kReportBadMonths, utf8);
  for (char ch : utf8) {
    if (ch < '0' || ch > '9') Refuse(kReportBadMonths, utf8);
  }
  int n = std::stoi(utf8);
  if (n < 1 || n > 120) Refuse(kReportBadMonths, utf8);
  return n;
}

void VYXArgStatuts(const std::string& utf8, bool* prevu, bool* engage, bool* pointe) {
  bool on[kOpStatusCount] = {false, false, false};
  size_t start = 0;
  while (start <= utf8.size()) {
    size_t comma = utf8.find(',', start);
    std::string word =
        utf8.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    while (!word.empty() && word.front() == ' ') word.erase(word.begin());
    while (!word.empty() && word.back() == ' ') word.pop_back();
    int status = Among(word, kReportStatusFirst, kOpStatusCount);
    if (status < 0) Refuse(kReportBadStatus, word.empty() ? utf8 : word);
    on[status] = true;
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  *prevu = on[kOpPrevue];
  *engage = on[kOpEngagee];
  *pointe = on[kOpPointee];
}

DeviseCode VYXArgDevise(const std::string& utf8, VYXUserPreferences& user) {
  if (utf8.empty()) return 0;
  std::string text = VYXArgText(utf8);
  if (text.size() <= 4) {
    while (text.size() < 4) text += ' ';
    OSType code = CPReadCode(text.data());
    // Codes are kept as the dossier writes them: letter case aside.
    for (int32_t n = 1; n <= user.GetDevises().GetResourcesCount(); ++n) {
      CPResID id = user.GetDevises().GetNthResource(n);
      OSType known = user.DeviseIdToCode(id);
      if (id != 0 && CPEqualString(CPString::FromType(known).Std(), CPString::FromType(code).Std(),
                                   false, true)) {
        return known;
      }
    }
  }
  Refuse(kReportUnknownDevise, utf8);
}

uint8_t VYXArgTypeBilan(const std::string& utf8) {
  int kind = Among(utf8, kReportTypeFirst, 4);
  if (kind < 0) Refuse(kReportBadType, utf8);
  return uint8_t(kind);
}

int16_t VYXArgModeBilan(const std::string& utf8) {
  if (utf8.size() == 1 && utf8[0] >= '1' && utf8[0] <= '5') return int16_t(utf8[0] - '0');
  int mode = Among(utf8, kReportModeFirst, 5);
  if (mode < 0) Refuse(kReportBadMode, utf8);
  return int16_t(mode + 1);
}

std::string VYXTypeBilanName(uint8_t kind) {
  return VYXHelp(kVYXReportTexts, kReportTypeNameFirst + (kind < 4 ? kind : 0));
}

std::string VYXShortMonth(CPMonthYear month) {
  Str255 year;
  CPGetShortYear(month.year, year);
  return MacRomanToUtf8(CPRegional::Get().monthAbbrevs[size_t(month.month - 1)] + " " +
                        PToStd(year));
}

std::string VYXIsoMonth(CPMonthYear month) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d", month.year, month.month);
  return text;
}
