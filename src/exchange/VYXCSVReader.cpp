// Bank statements exported as CSV. There is no standard: vyx finds out what
// each file is. The encoding (UTF-8 when the file reads as such, else
// Windows-1252); the separator (";", tab, "," or "|", the one that cuts the
// most lines into the same number of fields); the header line and its
// columns, from French or English names (Date, Libellé, Montant, Débit,
// Crédit, Référence, Solde... see kNames), unless --colonnes says them; the
// order of day and month (a first number above 12 means day first, a second
// one above 12 month first, French order otherwise; year-first dates are
// read as such); and the decimal separator of the amounts (the one that
// stands before the last one or two digits in the file's amounts, "," when
// nothing tells).
//
// Rows with neither date nor amount (blank lines, totals, notes) are passed
// over; a row with an amount and a date that does not read, or the reverse,
// stops the reading at its line.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDateForms.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

struct Row {
  std::vector<std::string> cells;  // MacRoman
  long line = 0;
};

// Cuts the text into rows of fields: quotes protect separators, line ends
// and doubled quotes.
std::vector<Row> Tokenize(const std::string& text, char separator, size_t maxRows = SIZE_MAX) {
  std::vector<Row> rows;
  Row row;
  std::string cell;
  bool quoted = false, atCellStart = true, any = false;
  long line = 1;
  row.line = 1;
  auto endCell = [&] {
    row.cells.push_back(cell);
    cell.clear();
    atCellStart = true;
  };
  auto endRow = [&] {
    endCell();
    bool blank = row.cells.size() == 1 && row.cells[0].find_first_not_of(" \t") == std::string::npos;
    if (!blank) rows.push_back(row);
    row = Row();
    any = false;
  };
  for (size_t i = 0; i < text.size() && rows.size() < maxRows; ++i) {
    char c = text[i];
    bool lineEnd = c == '\r' || c == '\n';
    if (lineEnd) {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      ++line;
    }
    if (quoted) {
      if (c == '"') {
        if (i + 1 < text.size() && text[i + 1] == '"') {
          cell += '"';
          ++i;
        } else {
          quoted = false;
        }
      } else {
        cell += lineEnd ? ' ' : c;
      }
      continue;
    }
    if (lineEnd) {
      endRow();
      row.line = line;
      continue;
    }
    if (!any) row.line = line;
    any = true;
    if (c == separator) {
      endCell();
    } else if (c == '"' && atCellStart) {
      quoted = true;
      atCellStart = false;
    } else {
      cell += c;
      if (c != ' ') atCellStart = false;
    }
  }
  if (any || !cell.empty() || !row.cells.empty()) endRow();
  return rows;
}

constexpr char kSeparators[] = {';', '\t', ',', '|'};

// The separator that cuts the most of the first lines into the same number
// (two or more) of fields; 0 when none does.
char FindSeparator(const std::string& text) {
  char best = 0;
  size_t bestScore = 0;
  for (char sep : kSeparators) {
    std::vector<Row> rows = Tokenize(text, sep, 40);
    std::vector<size_t> counts;
    for (const Row& r : rows) counts.push_back(r.cells.size());
    size_t score = 0;
    for (size_t n : counts) {
      if (n < 2) continue;
      size_t same = size_t(std::count(counts.begin(), counts.end(), n));
      score = std::max(score, same * 100 + n);
    }
    if (score > bestScore) {
      bestScore = score;
      best = sep;
    }
  }
  return best;
}

// A column name folded for comparison: lower case, accents and signs gone.
std::string Fold(const std::string& mac) {
  static const std::array<std::pair<unsigned char, char>, 32> kFolds{{
      {0x87, 'a'}, {0x88, 'a'}, {0x89, 'a'}, {0x8A, 'a'}, {0x8B, 'a'}, {0x8C, 'a'},
      {0x8D, 'c'}, {0x8E, 'e'}, {0x8F, 'e'}, {0x90, 'e'}, {0x91, 'e'}, {0x92, 'i'},
      {0x93, 'i'}, {0x94, 'i'}, {0x95, 'i'}, {0x96, 'n'}, {0x97, 'o'}, {0x98, 'o'},
      {0x99, 'o'}, {0x9A, 'o'}, {0x9B, 'o'}, {0x9C, 'u'}, {0x9D, 'u'}, {0x9E, 'u'},
      {0x9F, 'u'}, {0x83, 'e'}, {0x82, 'c'}, {0x80, 'a'}, {0x81, 'a'}, {0xCB, 'a'},
      {0xE9, 'e'}, {0xE6, 'e'},
  }};
  std::string out;
  bool space = false;
  for (unsigned char c : mac) {
    char f = 0;
    if (c >= 'A' && c <= 'Z') {
      f = char(c - 'A' + 'a');
    } else if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
      f = char(c);
    } else {
      for (const auto& [from, to] : kFolds)
        if (from == c) f = to;
    }
    if (f == 0) {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += f;
  }
  return out;
}

struct Name {
  const char* folded;
  VYXCSVColumn column;
};
const Name kNames[] = {
    {"date", VYXCSVColumn::kDate},
    {"date operation", VYXCSVColumn::kDate},
    {"date de l operation", VYXCSVColumn::kDate},
    {"date d operation", VYXCSVColumn::kDate},
    {"date comptable", VYXCSVColumn::kDate},
    {"date de comptabilisation", VYXCSVColumn::kDate},
    {"booking date", VYXCSVColumn::kDate},
    {"transaction date", VYXCSVColumn::kDate},
    {"posting date", VYXCSVColumn::kDate},
    {"posted date", VYXCSVColumn::kDate},
    {"date de valeur", VYXCSVColumn::kValueDate},
    {"date valeur", VYXCSVColumn::kValueDate},
    {"value date", VYXCSVColumn::kValueDate},
    {"valeur", VYXCSVColumn::kValueDate},
    {"libelle", VYXCSVColumn::kLabel},
    {"libelle operation", VYXCSVColumn::kLabel},
    {"libelle de l operation", VYXCSVColumn::kLabel},
    {"libelle simplifie", VYXCSVColumn::kLabel},
    {"label", VYXCSVColumn::kLabel},
    {"description", VYXCSVColumn::kLabel},
    {"intitule", VYXCSVColumn::kLabel},
    {"nature", VYXCSVColumn::kLabel},
    {"nature de l operation", VYXCSVColumn::kLabel},
    {"operation", VYXCSVColumn::kLabel},
    {"details", VYXCSVColumn::kLabel},
    {"detail", VYXCSVColumn::kLabel},
    {"memo", VYXCSVColumn::kLabel},
    {"payee", VYXCSVColumn::kLabel},
    {"name", VYXCSVColumn::kLabel},
    {"beneficiaire", VYXCSVColumn::kLabel},
    {"tiers", VYXCSVColumn::kLabel},
    {"communication", VYXCSVColumn::kComplement},
    {"libelle complementaire", VYXCSVColumn::kComplement},
    {"complement", VYXCSVColumn::kComplement},
    {"information complementaire", VYXCSVColumn::kComplement},
    {"informations complementaires", VYXCSVColumn::kComplement},
    {"motif", VYXCSVColumn::kComplement},
    {"montant", VYXCSVColumn::kAmount},
    {"montant operation", VYXCSVColumn::kAmount},
    {"amount", VYXCSVColumn::kAmount},
    {"somme", VYXCSVColumn::kAmount},
    {"debit", VYXCSVColumn::kDebit},
    {"debits", VYXCSVColumn::kDebit},
    {"withdrawal", VYXCSVColumn::kDebit},
    {"withdrawals", VYXCSVColumn::kDebit},
    {"paid out", VYXCSVColumn::kDebit},
    {"money out", VYXCSVColumn::kDebit},
    {"sortie", VYXCSVColumn::kDebit},
    {"credit", VYXCSVColumn::kCredit},
    {"credits", VYXCSVColumn::kCredit},
    {"deposit", VYXCSVColumn::kCredit},
    {"deposits", VYXCSVColumn::kCredit},
    {"paid in", VYXCSVColumn::kCredit},
    {"money in", VYXCSVColumn::kCredit},
    {"entree", VYXCSVColumn::kCredit},
    {"reference", VYXCSVColumn::kReference},
    {"ref", VYXCSVColumn::kReference},
    {"n de piece", VYXCSVColumn::kReference},
    {"numero de piece", VYXCSVColumn::kReference},
    {"piece", VYXCSVColumn::kReference},
    {"n de cheque", VYXCSVColumn::kReference},
    {"numero de cheque", VYXCSVColumn::kReference},
    {"cheque", VYXCSVColumn::kReference},
    {"check number", VYXCSVColumn::kReference},
    {"n de transaction", VYXCSVColumn::kReference},
    {"numero de transaction", VYXCSVColumn::kReference},
    {"transaction id", VYXCSVColumn::kReference},
    {"solde", VYXCSVColumn::kBalance},
    {"balance", VYXCSVColumn::kBalance},
};

// Words that say the currency of a column ("Montant (EUR)", "Débit euros").
bool IsCurrencyWord(const std::string& w) {
  return w == "eur" || w == "euro" || w == "euros" || w == "en" || w == "chf" || w == "usd" ||
         w == "gbp" || w == "cad" || w == "e";
}

// The column a header names, and the number that follows a numbered label
// column ("Description 2"); kIgnore for a name vyx does not know.
VYXCSVColumn ColumnOf(const std::string& header, int* number) {
  *number = 0;
  std::string folded = Fold(header);
  // Trailing currency words and a trailing number go.
  for (;;) {
    size_t space = folded.rfind(' ');
    std::string last = space == std::string::npos ? folded : folded.substr(space + 1);
    if (space != std::string::npos && IsCurrencyWord(last)) {
      folded.resize(space);
      continue;
    }
    if (space != std::string::npos && !last.empty() &&
        last.find_first_not_of("0123456789") == std::string::npos && last.size() <= 2) {
      *number = std::stoi(last);
      folded.resize(space);
      continue;
    }
    break;
  }
  for (const Name& n : kNames)
    if (folded == n.folded) return n.column;
  return VYXCSVColumn::kIgnore;
}

struct Layout {
  std::vector<VYXCSVColumn> columns;
  std::vector<int> numbers;  // of numbered label columns
};

bool Usable(const Layout& l) {
  auto has = [&](VYXCSVColumn c) {
    return std::find(l.columns.begin(), l.columns.end(), c) != l.columns.end();
  };
  bool date = has(VYXCSVColumn::kDate) || has(VYXCSVColumn::kValueDate);
  bool amount = has(VYXCSVColumn::kAmount) || has(VYXCSVColumn::kDebit) || has(VYXCSVColumn::kCredit);
  return date && amount;
}

// Amount cells: what they hold once blanks, thousands marks and the sign or
// code of a currency at either end are gone ("12,50 €", "EUR -3.00",
// "11'373.94"). Other letters stay, so that "12a" is no amount.
std::string CleanAmount(const std::string& cell) {
  std::string s;
  for (char c : cell) {
    unsigned char u = static_cast<unsigned char>(c);
    if (c == ' ' || c == '\'' || u == 0xCA || u == 0xD5) continue;
    s += c;
  }
  auto strip = [&](bool front) {
    for (const char* sign : {"EUR", "CHF", "USD", "GBP", "CAD", "\xDB", "$", "\xA3"}) {
      std::string t(sign);
      if (s.size() < t.size()) continue;
      size_t at = front ? 0 : s.size() - t.size();
      if (s.compare(at, t.size(), t) == 0) {
        s.erase(at, t.size());
        return true;
      }
    }
    return false;
  };
  while (strip(true)) {
  }
  while (strip(false)) {
  }
  return s;
}

// The decimal separator the file's amounts use.
char FindDecimal(const std::vector<std::string>& cells) {
  int comma = 0, point = 0;
  for (const std::string& raw : cells) {
    std::string s = CleanAmount(raw);
    size_t last = s.find_last_of(".,");
    if (last == std::string::npos) continue;
    size_t digits = 0;
    while (last + 1 + digits < s.size() && std::isdigit(static_cast<unsigned char>(s[last + 1 + digits])))
      ++digits;
    bool both = s.find(s[last] == '.' ? ',' : '.') != std::string::npos;
    if (both || digits == 1 || digits == 2) (s[last] == '.' ? point : comma)++;
  }
  return point > comma ? '.' : ',';
}

// An amount cell; false when it holds no number.
bool ReadAmount(const std::string& cell, char decimal, double* value) {
  std::string s = CleanAmount(cell);
  bool negative = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = s.substr(1, s.size() - 2);
  }
  if (!s.empty() && s.back() == '-') {
    negative = !negative;
    s.pop_back();
  }
  if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
    if (s.front() == '-') negative = !negative;
    s.erase(s.begin());
  }
  std::string number;
  bool seenDecimal = false;
  for (char c : s) {
    if (c >= '0' && c <= '9') {
      number += c;
    } else if (c == decimal && !seenDecimal) {
      number += '.';
      seenDecimal = true;
    } else if (c == '.' || c == ',') {
      continue;  // thousands
    } else {
      return false;
    }
  }
  if (number.empty() || number == ".") return false;
  if (number.front() == '.') number.insert(number.begin(), '0');
  double v = 0;
  if (!MacStrToNum(std::string(negative ? "-" : "") + number, v)) return false;
  *value = v;
  return true;
}

enum class DateOrder { kDayFirst, kMonthFirst };

bool ReadDate(const std::string& cell, DateOrder order, CPDate* date) {
  std::string s = cell;
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return false;
  s = s.substr(b, s.find_last_not_of(' ') - b + 1);
  CPDate d = 0;
  if (CPYearFirstStrToDate(s, d)) {
    *date = d;
    return true;
  }
  if (s.empty() || !std::isdigit(static_cast<unsigned char>(s[0]))) return false;
  Str255 text;
  StdToP(s, text);
  if (order == DateOrder::kMonthFirst) CPDateSwithFrenchAmericanFormat(text);
  // A date needs its day, its month and its year: "12/03" alone is no
  // statement date, and nor is a number.
  int numbers = 0;
  bool inNumber = false;
  for (unsigned char c : s.substr(0, 10)) {
    bool digit = c >= '0' && c <= '9';
    if (digit && !inNumber) ++numbers;
    inNumber = digit;
  }
  if (numbers < 3) return false;
  if (!CPStrToDate(text, d) || d == 0) return false;
  *date = d;
  return true;
}

DateOrder FindDateOrder(const std::vector<std::string>& cells) {
  for (const std::string& c : cells) {
    if (CPDateMayBeAmericanFormat(c) && !CPDateMayBeFrenchFormat(c)) return DateOrder::kMonthFirst;
    if (CPDateMayBeFrenchFormat(c) && !CPDateMayBeAmericanFormat(c)) return DateOrder::kDayFirst;
  }
  return DateOrder::kDayFirst;
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

}  // namespace

std::vector<VYXCSVColumn> VYXParseCSVColumns(const std::string& text) {
  struct Word {
    const char* word;
    VYXCSVColumn column;
  };
  static const Word kWords[] = {
      {"date", VYXCSVColumn::kDate},          {"valeur", VYXCSVColumn::kValueDate},
      {"libelle", VYXCSVColumn::kLabel},      {"complement", VYXCSVColumn::kComplement},
      {"montant", VYXCSVColumn::kAmount},     {"debit", VYXCSVColumn::kDebit},
      {"credit", VYXCSVColumn::kCredit},      {"reference", VYXCSVColumn::kReference},
      {"solde", VYXCSVColumn::kBalance},      {"-", VYXCSVColumn::kIgnore},
      {"", VYXCSVColumn::kIgnore},
  };
  std::vector<VYXCSVColumn> columns;
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    std::string word = Trim(text.substr(start, comma == std::string::npos ? std::string::npos
                                                                          : comma - start));
    std::string folded = word == "-" ? "-" : Fold(word);
    bool found = false;
    for (const Word& w : kWords) {
      if (folded == w.word) {
        columns.push_back(w.column);
        found = true;
        break;
      }
    }
    if (!found) CPThrowList(paramErr, kVYXExchangeTexts, kExBadColumns, {text});
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  Layout l{columns, {}};
  if (!Usable(l)) CPThrowList(paramErr, kVYXExchangeTexts, kExBadColumns, {text});
  return columns;
}

bool VYXIsCSVFile(const std::string& bytes) {
  char sep = FindSeparator(bytes);
  if (sep == 0) return false;
  // Lines of fields, two at least, of the same count, and a date among them.
  std::vector<Row> rows = Tokenize(bytes, sep, 40);
  std::vector<size_t> counts;
  for (const Row& r : rows) counts.push_back(r.cells.size());
  size_t most = 0;
  for (size_t n : counts)
    if (n >= 2) most = std::max(most, size_t(std::count(counts.begin(), counts.end(), n)));
  if (most < 2) return false;
  for (const Row& r : rows) {
    for (const std::string& cell : r.cells) {
      CPDate d;
      if (ReadDate(Trim(cell), DateOrder::kDayFirst, &d) ||
          ReadDate(Trim(cell), DateOrder::kMonthFirst, &d)) {
        return true;
      }
    }
  }
  return false;
}

void VYXReadCSV(const std::string& raw, const std::vector<VYXCSVColumn>& given,
                const std::string& fileName, VYXParsedStatement* out) {
  out->format = VYXStatementFormat::kCSV;
  std::string text;
  if (!CPForeignToMacRoman(raw, CPIsNonASCIIUTF8(raw) ? kCPUTF8 : kCPWindowsLatin1, &text)) {
    ++out->replacedTexts;
  }
  char sep = FindSeparator(text);
  std::vector<Row> rows = Tokenize(text, sep ? sep : ';');

  Layout layout;
  size_t first = 0;  // the first row of data
  if (!given.empty()) {
    layout.columns = given;
    layout.numbers.assign(given.size(), 0);
  } else {
    for (size_t i = 0; i < rows.size() && i < 30; ++i) {
      Layout l;
      for (const std::string& cell : rows[i].cells) {
        int number;
        l.columns.push_back(ColumnOf(Trim(cell), &number));
        l.numbers.push_back(number);
      }
      if (Usable(l)) {
        layout = l;
        first = i + 1;
        break;
      }
    }
    if (layout.columns.empty()) {
      CPThrowList(kVYXErrStatementSyntax, kVYXExchangeTexts, kExCSVNoColumns, {fileName});
    }
  }
  auto indexes = [&](VYXCSVColumn c) {
    std::vector<size_t> found;
    for (size_t i = 0; i < layout.columns.size(); ++i)
      if (layout.columns[i] == c) found.push_back(i);
    return found;
  };
  std::vector<size_t> dates = indexes(VYXCSVColumn::kDate);
  if (dates.empty()) dates = indexes(VYXCSVColumn::kValueDate);
  size_t dateColumn = dates.front();
  std::vector<size_t> labels = indexes(VYXCSVColumn::kLabel);
  // Numbered label columns ("Description 1", "Description 2") say more than
  // an unnumbered one beside them, which banks fill with the account's name.
  std::vector<size_t> numbered;
  for (size_t i : labels)
    if (layout.numbers[i] != 0) numbered.push_back(i);
  if (!numbered.empty()) labels = numbered;
  std::vector<size_t> complements = indexes(VYXCSVColumn::kComplement);
  std::vector<size_t> amounts = indexes(VYXCSVColumn::kAmount);
  std::vector<size_t> debits = indexes(VYXCSVColumn::kDebit);
  std::vector<size_t> credits = indexes(VYXCSVColumn::kCredit);
  std::vector<size_t> references = indexes(VYXCSVColumn::kReference);
  std::vector<size_t> balances = indexes(VYXCSVColumn::kBalance);
  // How messages name a column: by its header, or by the name --colonnes gave.
  auto columnName = [&](size_t i, const char* given) {
    if (first > 0 && i < rows[first - 1].cells.size()) return Trim(rows[first - 1].cells[i]);
    return std::string(given);
  };
  std::string dateName = columnName(dateColumn, "date");

  auto cell = [](const Row& r, size_t i) { return i < r.cells.size() ? Trim(r.cells[i]) : std::string(); };
  std::vector<std::string> dateCells, amountCells;
  for (size_t r = first; r < rows.size(); ++r) {
    dateCells.push_back(cell(rows[r], dateColumn));
    for (const auto* group : {&amounts, &debits, &credits, &balances})
      for (size_t i : *group) amountCells.push_back(cell(rows[r], i));
  }
  DateOrder order = FindDateOrder(dateCells);
  char decimal = FindDecimal(amountCells);

  struct Balance {
    CPDate date;
    double value;
  };
  std::vector<Balance> rowBalances;
  for (size_t r = first; r < rows.size(); ++r) {
    const Row& row = rows[r];
    std::string dateText = cell(row, dateColumn);
    // The amount: one column, or a debit and a credit column.
    double amount = 0;
    bool hasAmount = false;
    std::string badAmount, badColumn;
    auto take = [&](const std::vector<size_t>& group, int sign) {
      for (size_t i : group) {
        std::string c = cell(row, i);
        if (c.empty()) continue;
        double v;
        if (!ReadAmount(c, decimal, &v)) {
          badAmount = c;
          badColumn = columnName(i, "montant");
          continue;
        }
        hasAmount = true;
        amount += sign == 0 ? v : sign * std::abs(v);
      }
    };
    take(amounts, 0);
    take(debits, -1);
    take(credits, 1);
    CPDate date = 0;
    bool hasDate = ReadDate(dateText, order, &date);
    // A row without a date, or without amount and date, is a total, a
    // heading or a note.
    if (dateText.empty() || (!hasAmount && badAmount.empty() && !hasDate)) {
      ++out->ignored;
      continue;
    }
    if (!badAmount.empty()) {
      VYXThrowAtLine(kVYXExchangeTexts, kExCSVBadAmount, row.line, {badColumn, badAmount});
    }
    if (!hasDate) VYXThrowAtLine(kVYXExchangeTexts, kExCSVBadDate, row.line, {dateName, dateText});
    if (!hasAmount) {
      ++out->ignored;
      continue;
    }
    VYXStatementEntry entry;
    entry.kind = kVYXLineOperation;
    entry.date = date;
    entry.montant = amount;
    entry.line = row.line;
    std::vector<std::string> texts;
    for (size_t i : labels) {
      std::string c = cell(row, i);
      if (!c.empty()) texts.push_back(c);
    }
    if (!texts.empty()) entry.libelle = texts.front();
    std::string complement;
    for (size_t k = 1; k < texts.size(); ++k) complement += (complement.empty() ? "" : " ") + texts[k];
    for (size_t i : complements) {
      std::string c = cell(row, i);
      if (!c.empty()) complement += (complement.empty() ? "" : " ") + c;
    }
    entry.complement = complement;
    if (!references.empty()) entry.reference = cell(row, references.front());
    out->entries.push_back(entry);
    for (size_t i : balances) {
      double v;
      if (ReadAmount(cell(row, i), decimal, &v)) rowBalances.push_back({date, v});
    }
  }
  // The balance after the latest line: the last row of a file in date order,
  // the first of a file whose latest lines come first.
  if (!rowBalances.empty()) {
    const Balance& b = rowBalances.front().date > rowBalances.back().date ? rowBalances.front()
                                                                          : rowBalances.back();
    VYXStatementEntry entry;
    entry.kind = kVYXLineBalance;
    entry.date = b.date;
    entry.montant = b.value;
    out->entries.push_back(entry);
  }
}
