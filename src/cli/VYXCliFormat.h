// The edges of the command line: arguments typed in UTF-8 read by the system's
// own parsers (texts into MacRoman, French dates and amounts), values written
// the way the system writes them ("-1 234,50", dd/mm/yy), tables aligned for a
// terminal, and the JSON forms of dates and amounts.
#ifndef VYX_CLI_VYXCLIFORMAT_H_
#define VYX_CLI_VYXCLIFORMAT_H_

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/CPMacTypes.h"

// ---- Arguments. Each raises CPException with the system's French message
// when it refuses the text.
// A text argument in MacRoman; a character MacRoman lacks is refused.
std::string VYXArgText(const std::string& utf8);
// A date typed the French way ("15/03/24", "15/3", "15032024"); an empty
// text is no date (0).
CPDate VYXArgDate(const std::string& utf8);
// An amount typed the French way ("-1 234,50", "12.5"); "12a" is refused.
double VYXArgAmount(const std::string& utf8);

// ---- Values as the system shows them, in UTF-8.
// With the dossier's decimals for amounts (2 when none is open) and its
// thousands setting.
std::string VYXAmountText(double amount);
std::string VYXAmountText(double amount, int decimals, bool thousands);
// A four-character code as it is typed: 'EUR ' is "EUR".
std::string VYXCodeText(OSType code);
// dd/mm/yy; empty for no date.
std::string VYXDateText(CPDate date);

// ---- JSON: dates as ISO 8601 ("2024-03-15", null for no date), moments with
// their time ("2024-03-15T09:30:00"), amounts as numbers rounded to the
// dossier's decimals.
nlohmann::json VYXDateJson(CPDate date);
nlohmann::json VYXDateTimeJson(CPDate date);
nlohmann::json VYXAmountJson(double amount);

// The width of a UTF-8 text on a terminal, in characters.
size_t VYXTextWidth(const std::string& utf8);

// Columns aligned for a terminal: a heading line (unless `headings` is false:
// label and value pairs), then the rows. Widths count characters, not bytes;
// the last column is not padded.
class VYXTable {
 public:
  enum Align { kLeft, kRight };
  void AddColumn(const std::string& heading, Align align = kLeft);
  void AddRow(std::vector<std::string> cells);
  void Print(std::ostream& out, bool headings = true) const;

 private:
  std::vector<std::string> headings_;
  std::vector<Align> aligns_;
  std::vector<std::vector<std::string>> rows_;
};

#endif  // VYX_CLI_VYXCLIFORMAT_H_
