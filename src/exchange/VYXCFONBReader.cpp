// CFONB 120 statements, the fixed-width format French banks give account
// statements in: records of 120 characters, on lines of their own or run
// together. "01" opens a statement with the previous balance, "04" is an
// operation, "05" adds a label line to the operation before it, "07" closes
// the statement with the new balance. Amounts have their last digit and
// their sign in one letter ("{" and A to I credit 0 to 9, "}" and J to R
// debit 0 to 9) and as many decimals as position 20 says; dates are JJMMAA.
#include <string>
#include <vector>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPDates.h"
#include "foundation/CPForeignText.h"

namespace {

constexpr size_t kRecord = 120;

struct Record {
  std::string text;
  long line;
};

// The records of the file; false when it is not made of 120-character ones.
// Lines of blanks are passed over; `fault` and `faultLine` say what is wrong
// with the first bad line.
bool Cut(const std::string& bytes, std::vector<Record>* out, long* faultLine, size_t* faultLength) {
  *faultLine = 0;
  bool lines = bytes.find_first_of("\r\n") != std::string::npos;
  if (!lines) {
    if (bytes.empty() || bytes.size() % kRecord != 0) {
      *faultLine = 1;
      *faultLength = bytes.size();
      return false;
    }
    for (size_t i = 0; i < bytes.size(); i += kRecord) {
      out->push_back({bytes.substr(i, kRecord), long(i / kRecord + 1)});
    }
    return true;
  }
  long number = 0;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    ++number;
    start = end;
    if (start < bytes.size()) {
      bool crlf = bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n';
      start += crlf ? 2 : 1;
    }
    if (line.find_first_not_of(" \t") == std::string::npos) continue;
    // Some writers leave the blanks of the last zone off.
    if (line.size() < kRecord && line.size() >= 104) line.resize(kRecord, ' ');
    if (line.size() != kRecord) {
      *faultLine = number;
      *faultLength = line.size();
      return false;
    }
    out->push_back({line, number});
  }
  return !out->empty();
}

bool IsCode(const std::string& code) {
  return code == "01" || code == "04" || code == "05" || code == "07";
}

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

CPDate Date(const Record& r, size_t at) {
  std::string text = r.text.substr(at, 6);
  for (char c : text)
    if (c < '0' || c > '9') VYXThrowAtLine(kVYXExchangeTexts, kExCFONBDate, r.line, {text});
  CPDateTimeRec f;
  f.day = std::stoi(text.substr(0, 2));
  f.month = std::stoi(text.substr(2, 2));
  f.year = CPFullYear(std::stoi(text.substr(4, 2)));
  if (!IsAValidDate(f)) VYXThrowAtLine(kVYXExchangeTexts, kExCFONBDate, r.line, {text});
  return CPGetDate(f.day, f.month, f.year);
}

double Amount(const Record& r) {
  std::string text = r.text.substr(90, 14);
  char last = text[13];
  int digit;
  bool negative;
  if (last == '{') {
    digit = 0;
    negative = false;
  } else if (last == '}') {
    digit = 0;
    negative = true;
  } else if (last >= 'A' && last <= 'I') {
    digit = last - 'A' + 1;
    negative = false;
  } else if (last >= 'J' && last <= 'R') {
    digit = last - 'J' + 1;
    negative = true;
  } else {
    VYXThrowAtLine(kVYXExchangeTexts, kExCFONBAmount, r.line, {text});
  }
  char decimalsChar = r.text[19];
  if (decimalsChar < '0' || decimalsChar > '9') {
    VYXThrowAtLine(kVYXExchangeTexts, kExCFONBAmount, r.line, {text});
  }
  std::string digits;
  for (size_t i = 0; i < 13; ++i) {
    char c = text[i];
    if (c == ' ') c = '0';
    if (c < '0' || c > '9') VYXThrowAtLine(kVYXExchangeTexts, kExCFONBAmount, r.line, {text});
    digits += c;
  }
  digits += char('0' + digit);
  int decimals = decimalsChar - '0';
  // The value as a decimal text, so that 12345 with 2 decimals is exactly 123.45.
  std::string value = digits.substr(0, digits.size() - decimals) + "." +
                      digits.substr(digits.size() - decimals);
  double v = std::stod(value);
  return negative ? -v : v;
}

std::string Text(const std::string& raw, VYXParsedStatement* out) {
  std::string mac;
  if (!CPForeignToMacRoman(Trim(raw), kCPWindowsLatin1, &mac)) ++out->replacedTexts;
  return mac;
}

}  // namespace

bool VYXIsCFONBFile(const std::string& bytes) {
  std::vector<Record> records;
  long line;
  size_t length;
  if (!Cut(bytes, &records, &line, &length)) return false;
  return records.front().text.compare(0, 2, "01") == 0;
}

void VYXReadCFONB(const std::string& bytes, VYXParsedStatement* out) {
  out->format = VYXStatementFormat::kCFONB;
  std::vector<Record> records;
  long faultLine;
  size_t faultLength;
  if (!Cut(bytes, &records, &faultLine, &faultLength)) {
    VYXThrowAtLine(kVYXExchangeTexts, kExCFONBLength, faultLine, {std::to_string(faultLength)});
  }
  // The operation a "05" record adds to (an index: the vector grows).
  long last = -1;
  for (const Record& r : records) {
    std::string code = r.text.substr(0, 2);
    if (!IsCode(code)) VYXThrowAtLine(kVYXExchangeTexts, kExCFONBCode, r.line, {code});
    std::string account = Trim(r.text.substr(21, 11));
    if (code == "05") {
      // A second label line for the operation before it.
      std::string more = Text(r.text.substr(48, 70), out);
      if (last >= 0 && !more.empty()) {
        std::string& complement = out->entries[size_t(last)].complement;
        if (!complement.empty()) complement += ' ';
        complement += more;
      }
      continue;
    }
    VYXStatementEntry entry;
    entry.line = r.line;
    entry.account = account;
    entry.montant = Amount(r);
    if (code == "04") {
      entry.kind = kVYXLineOperation;
      entry.date = Date(r, 34);
      entry.libelle = Text(r.text.substr(48, 31), out);
      entry.reference = Text(r.text.substr(104, 16), out);
      out->entries.push_back(entry);
      last = long(out->entries.size()) - 1;
    } else {
      entry.kind = kVYXLineBalance;
      entry.date = Date(r, 34);
      out->entries.push_back(entry);
      last = -1;
    }
  }
}
