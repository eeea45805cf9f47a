#include "cli/VYXCliFormat.h"

#include <cstdio>
#include <ostream>

#include "app/VYXContainer.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"

namespace {

int AmountDecimals() { return gUserPrefs ? gUserPrefs->GetDecimals(kDecimalsMontants) : 2; }

}  // namespace

std::string VYXAmountText(double amount) {
  bool thousands = gUserPrefs ? gUserPrefs->GetProPrefs().separateurMilliers != 0 : true;
  return VYXAmountText(amount, AmountDecimals(), thousands);
}

std::string VYXAmountText(double amount, int decimals, bool thousands) {
  return MacRomanToUtf8(MacNumToStr(amount, decimals, thousands));
}

std::string VYXCodeText(OSType code) {
  std::string s;
  for (int i = 0; i < 4; ++i) {
    auto c = static_cast<char>(code >> (24 - 8 * i));
    if (c != ' ' && c != 0) s += c;
  }
  return MacRomanToUtf8(s);
}

std::string VYXDateText(CPDate date) { return MacRomanToUtf8(CPDateToStr(date)); }

std::string VYXDateIso(CPDate date) {
  if (date == 0) return {};
  CPDateTimeRec f;
  CPDateToFields(date, f);
  char text[16];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", f.year, f.month, f.day);
  return text;
}

nlohmann::json VYXDateJson(CPDate date) {
  if (date == 0) return nullptr;
  return VYXDateIso(date);
}

nlohmann::json VYXDateTimeJson(CPDate date) {
  if (date == 0) return nullptr;
  CPDateTimeRec f;
  CPDateToFields(date, f);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", f.year, f.month, f.day, f.hour,
                f.minute, f.second);
  return text;
}

double VYXAmountValue(double amount) {
  return CPArrondi(amount, static_cast<short>(AmountDecimals())) + 0.0;  // no "-0.0"
}

nlohmann::json VYXAmountJson(double amount) { return VYXAmountValue(amount); }

size_t VYXTextWidth(const std::string& utf8) {
  size_t width = 0;
  for (unsigned char c : utf8) width += (c & 0xC0) != 0x80;
  return width;
}

void VYXTable::AddColumn(const std::string& heading, Align align) {
  headings_.push_back(heading);
  aligns_.push_back(align);
}

void VYXTable::AddRow(std::vector<std::string> cells) {
  cells.resize(headings_.size());
  rows_.push_back(std::move(cells));
}

void VYXTable::Print(std::ostream& out, bool headings) const {
  std::vector<size_t> widths(headings_.size());
  for (size_t c = 0; c < headings_.size(); ++c) {
    widths[c] = headings ? VYXTextWidth(headings_[c]) : 0;
    for (const auto& row : rows_) widths[c] = std::max(widths[c], VYXTextWidth(row[c]));
  }
  if (headings) out << Line(headings_, widths, aligns_);
  for (const auto& row : rows_) out << Line(row, widths, aligns_);
}

std::string VYXTable::Line(const std::vector<std::string>& cells, const std::vector<size_t>& widths,
                           const std::vector<Align>& aligns) {
  std::string text;
  for (size_t c = 0; c < cells.size(); ++c) {
    size_t width = VYXTextWidth(cells[c]);
    size_t pad = widths[c] > width ? widths[c] - width : 0;
    if (c > 0) text += "  ";
    if (aligns[c] == kRight) {
      text.append(pad, ' ');
      text += cells[c];
    } else {
      text += cells[c];
      if (c + 1 < cells.size()) text.append(pad, ' ');
    }
  }
  while (!text.empty() && text.back() == ' ') text.pop_back();
  text += '\n';
  return text;
}
