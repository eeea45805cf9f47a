#include "cli/VYXReportOutput.h"

#include <cmath>
#include <ostream>

#include "app/VYXContainer.h"
#include "cli/VYXCliFormat.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPTextEncoding.h"

namespace {

// The byte-order mark that tells a spreadsheet the file is UTF-8.
constexpr const char* kBom = "\xEF\xBB\xBF";

// Reports show results: the dossier's decimals for them, and its thousands setting.
int Decimals() { return gUserPrefs ? gUserPrefs->GetDecimals(kDecimalsResultats) : 2; }
bool Thousands() { return gUserPrefs ? gUserPrefs->GetProPrefs().separateurMilliers != 0 : true; }

std::string CsvField(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + '"';
}

}  // namespace

void VYXReport::AddColumn(const std::string& heading, bool numeric) {
  columns_.push_back(Column{heading, numeric});
}

void VYXReport::AddRow(std::vector<Cell> cells) {
  cells.resize(columns_.size());
  rows_.push_back(std::move(cells));
}

std::string VYXReport::Format(double value, Style style, bool csv) {
  // -0,00 is no amount anyone wants to read.
  if (std::fabs(value) < 0.000001) value = 0;
  switch (style) {
    case kPourcentage: {
      std::string number = MacRomanToUtf8(MacNumToStr(value, 1, !csv && Thousands()));
      return number + " %";
    }
    case kEcart: {
      std::string number = VYXAmountText(value, Decimals(), !csv && Thousands());
      return value > 0 ? "+" + number : number;
    }
    default:
      return VYXAmountText(value, Decimals(), !csv && Thousands());
  }
}

void VYXReport::PrintTable(std::ostream& out) const {
  VYXTable table;
  for (const Column& c : columns_) {
    table.AddColumn(c.heading, c.numeric ? VYXTable::kRight : VYXTable::kLeft);
  }
  for (const auto& row : rows_) {
    std::vector<std::string> cells;
    for (const Cell& cell : row) {
      if (!cell.isNumber) {
        cells.push_back(cell.text);
      } else if (!cell.number || (cell.blankZero && std::fabs(*cell.number) < 0.0005)) {
        cells.push_back(std::string());
      } else {
        cells.push_back(Format(*cell.number, cell.style, false));
      }
    }
    table.AddRow(cells);
  }
  table.Print(out);
}

void VYXReport::PrintCsv(std::ostream& out) const {
  out << kBom;
  for (size_t c = 0; c < columns_.size(); ++c) {
    out << (c ? ";" : "") << CsvField(columns_[c].heading);
  }
  out << "\r\n";
  for (const auto& row : rows_) {
    for (size_t c = 0; c < row.size(); ++c) {
      const Cell& cell = row[c];
      std::string text = !cell.isNumber ? cell.text
                         : cell.number  ? Format(*cell.number, cell.style, true)
                                        : std::string();
      out << (c ? ";" : "") << CsvField(text);
    }
    out << "\r\n";
  }
}
