// How the reports of `vyx` (bilan, croise, totaux) print their tables: on a
// terminal, columns aligned, amounts right-aligned with their thousands
// grouped and their sign shown; as CSV for a French spreadsheet: ";"
// between fields, decimal commas, no thousands separator, UTF-8 with a
// byte-order mark so that the accents survive the opening.
#ifndef VYX_CLI_VYXREPORTOUTPUT_H_
#define VYX_CLI_VYXREPORTOUTPUT_H_

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

class VYXReport {
 public:
  // How a number is written: an amount, a percentage, an amount whose sign
  // is always shown (a gap or a running total).
  enum Style { kMontant = 1, kPourcentage = 2, kEcart = 3 };

  struct Cell {
    std::string text;              // UTF-8, for a title cell
    std::optional<double> number;  // for a number cell; empty: nothing to show
    Style style = kMontant;
    bool isNumber = false;
    bool blankZero = false;  // on a terminal, a zero is left blank (not in CSV)
  };
  static Cell Text(std::string utf8) {
    return Cell{std::move(utf8), std::nullopt, kMontant, false};
  }
  static Cell Number(std::optional<double> value, Style style = kMontant, bool blankZero = false) {
    return Cell{{}, value, style, true, blankZero};
  }

  void AddColumn(const std::string& heading, bool numeric);
  void AddRow(std::vector<Cell> cells);
  size_t RowCount() const { return rows_.size(); }

  void PrintTable(std::ostream& out) const;
  void PrintCsv(std::ostream& out) const;

  // A number as the terminal shows it (the dossier's decimals and thousands
  // setting) or as the spreadsheet reads it.
  static std::string Format(double value, Style style, bool csv);

 private:
  struct Column {
    std::string heading;
    bool numeric;
  };
  std::vector<Column> columns_;
  std::vector<std::vector<Cell>> rows_;
};

#endif  // VYX_CLI_VYXREPORTOUTPUT_H_
