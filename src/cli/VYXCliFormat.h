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

// ---- Arguments (VYXCliArgs.cpp). Each raises CPException with a French
// message saying why it refuses the text; nothing typed is silently changed.
// A name or a label in MacRoman, composed first (NFC); a character MacRoman
// lacks, or a control character, is refused.
std::string VYXArgText(const std::string& utf8);
// A date typed the French way ("15/03/24", "15/3", "15032024", "15/03/2024");
// an empty text is no date (0). Refused: what does not exist (31/04/24),
// anything left over or missing between separators ("1/1/24/5", "01//24"),
// a year of three digits or with leading zeros ("024", "0099").
CPDate VYXArgDate(const std::string& utf8);
// A number typed the French way ("-1 234,50", "12.5", "+3"), as amounts and
// rates are typed. Refused: no digit ("", ",", "-"), anything else than a
// sign, digits, spaces and one decimal character, more than a double holds
// to the cent (90 000 billion). "-0" is 0.
double VYXArgAmount(const std::string& utf8);
// Refuses an amount typed with more decimals than `decimals` ("0,015" in a
// dossier of two): rounding it would store something else than what was
// typed. Trailing zeros do not count ("1,50" has one). Checked once the
// dossier is open, since its setting decides.
void VYXCheckAmountDecimals(const std::string& utf8, int decimals);
// The text typed, as a message shows it (MacRoman): characters MacRoman
// lacks and control characters written as their code ("<U+FF15>").
std::string VYXTypedText(const std::string& utf8);

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
// The same without a tree, for JSON written as it goes: the date's text
// (empty for no date) and the amount's rounded value.
std::string VYXDateIso(CPDate date);
double VYXAmountValue(double amount);

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
  // One line of `cells` laid out in columns of `widths`, its line end
  // included: for tables printed as they go, their widths measured first.
  static std::string Line(const std::vector<std::string>& cells, const std::vector<size_t>& widths,
                          const std::vector<Align>& aligns);

 private:
  std::vector<std::string> headings_;
  std::vector<Align> aligns_;
  std::vector<std::vector<std::string>> rows_;
};

#endif  // VYX_CLI_VYXCLIFORMAT_H_
