#include "exchange/VYXQIFStream.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>

#include "exchange/VYXExchangeErrors.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDateForms.h"
#include "foundation/CPDates.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextFields.h"

namespace {

constexpr size_t kTextWidth = 127;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool StartsWithNoCase(const std::string& text, const char* prefix) {
  size_t n = std::strlen(prefix);
  if (text.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char a = text[i], b = prefix[i];
    if (a >= 'a' && a <= 'z') a = char(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = char(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

// Copies `text` into a field of `width` bytes, cut silently.
void Put(StringPtr field, std::string_view text, size_t width = kTextWidth) {
  StdToP(text, field, int(std::min(width, text.size())));
}

// Appends `text` to a field, with one blank when the field is not empty;
// what goes past the field's width is cut.
void Append(StringPtr field, std::string_view text) {
  size_t n = std::min<size_t>(field[0], kTextWidth);
  if (n != 0 && n < kTextWidth) field[++n] = ' ';
  size_t keep = std::min(text.size(), kTextWidth - n);
  std::memcpy(field + 1 + n, text.data(), keep);
  field[0] = static_cast<unsigned char>(n + keep);
}

struct ActionWord {
  const char* word;
  uint8_t action;
};
constexpr ActionWord kActions[] = {
    {"Buy", kQIFActionBuy},           {"BuyX", kQIFActionBuy},
    {"Sell", kQIFActionSell},         {"SellX", kQIFActionSell},
    {"Div", kQIFActionDiv},           {"DivX", kQIFActionDiv},
    {"StkSplit", kQIFActionStkSplit}, {"StkSplitX", kQIFActionStkSplit},
    {"RtrnCap", kQIFActionRtrnCap},   {"RtrnCapX", kQIFActionRtrnCap},
    {"ShrsIn", kQIFActionShrsIn},     {"ShrsInX", kQIFActionShrsIn},
    {"ShrsOut", kQIFActionShrsOut},   {"ShrsOutX", kQIFActionShrsOut},
    {"MiscInc", kQIFActionMiscInc},   {"MiscIncX", kQIFActionMiscInc},
    {"MiscExp", kQIFActionMiscExp},   {"MiscExpX", kQIFActionMiscExp},
};

uint8_t ActionOf(std::string_view value) {
  for (const ActionWord& a : kActions)
    if (value == a.word) return a.action;
  return kQIFActionNone;
}

bool IsCodeLetter(unsigned char c) { return c >= '$' && c <= '^'; }

}  // namespace

std::string VYXQIFTrim(const std::string& text) { return std::string(VYXQIFTrimView(text)); }

std::string_view VYXQIFTrimView(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return text.substr(b, e - b);
}

VYXQIFStream::VYXQIFStream(CPTabCrStream* stream, QIF_FormatType format, QIF_Encoding encoding,
                           bool swapDates)
    : stream_(stream), format_(format), encoding_(encoding), swapDates_(swapDates) {}

void VYXQIFStream::Restore(const Position& p) {
  stream_->SetMarker(int32_t(p.marker), kCPFromStart);
  line_ = p.line;
}

void VYXQIFStream::ToMacRoman(std::string_view raw, std::string* out) {
  CPStringEncoding from = kCPWindowsLatin1;
  if (encoding_ == kQIFMacRoman) {
    from = kCPMacRoman;
  } else if (encoding_ == kQIFUTF8 && CPIsNonASCIIUTF8(raw)) {
    // A line of a UTF-8 file that is not UTF-8 was written in the other set.
    from = kCPUTF8;
    sawUTF8_ = true;
  }
  if (!CPForeignToMacRoman(raw, from, out)) ++replaced_;
}

bool VYXQIFStream::ReadLine(std::string* text, long* number) {
  // The line GetNextDataType looked at is not read and converted again.
  uint32_t marker = stream_->GetMarker();
  if (peek_.valid && peek_.from.line == line_ && peek_.from.marker == marker) {
    stream_->SetMarker(int32_t(peek_.to.marker), kCPFromStart);
    line_ = peek_.to.line;
    continues_ = peek_.continues;
    *text = peek_.text;
    *number = peek_.number;
    lastLine_ = peek_.number;
    return true;
  }
  // Bytes in memory are read in place, the stream's marker moved once. A
  // plain tab stream's fields are those of ReadText's tab format.
  uint32_t available = 0;
  const unsigned char* bytes = typeid(*stream_) == typeid(CPTabCrStream)
                                   ? stream_->BytesAtMarker(&available)
                                   : nullptr;
  uint32_t used = 0;
  for (;;) {
    Str255 field;
    bool endOfLine = false;
    if (bytes != nullptr) {
      if (used >= available) {
        stream_->SetMarker(int32_t(marker + used), kCPFromStart);
        return false;
      }
      unsigned char terminator = 0;
      bool atEnd = false;
      used += CPReadTextIn(bytes + used, available - used, field, &terminator, &atEnd,
                           kCPTabFormat, 0);
      endOfLine = atEnd || used >= available || terminator == '\r' || terminator == '\n';
    } else {
      if (stream_->AtEnd()) return false;
      stream_->ReadField(field, &endOfLine);
    }
    long here = line_;
    if (endOfLine) ++line_;
    continues_ = !endOfLine;
    if (field[0] == 0) continue;
    if (bytes != nullptr) stream_->SetMarker(int32_t(marker + used), kCPFromStart);
    ToMacRoman(std::string_view(reinterpret_cast<const char*>(field + 1), field[0]), text);
    *number = here;
    lastLine_ = here;
    return true;
  }
}

bool VYXQIFStream::GetNextDataType(QIF_DataType* type) {
  Position p = Mark();
  // Read into the memo's own string, whose room serves from one line to
  // the next.
  peek_.valid = false;
  std::string& text = peek_.text;
  if (!ReadLine(&text, &peek_.number)) {
    *type = kQIFEndOfStream;
    Restore(p);
    return false;
  }
  peek_.valid = true;
  peek_.from = p;
  peek_.to = Mark();
  peek_.continues = continues_;
  if (text.compare(0, 8, "!Option:") == 0) {
    *type = kQIFOptionLine;
  } else if (text[0] == '!') {
    *type = kQIFHeaderLine;
  } else {
    *type = kQIFDataLine;
  }
  Restore(p);
  return true;
}

int VYXQIFStream::GetHeader(StringPtr argument) {
  argument[0] = 0;
  std::string text;
  long number;
  if (!ReadLine(&text, &number)) return 0;
  // Fields after a tab on a header's line are read and dropped.
  while (continues_ && !stream_->AtEnd()) {
    Str255 rest;
    bool endOfLine = false;
    stream_->ReadField(rest, &endOfLine);
    if (endOfLine) ++line_;
    continues_ = !endOfLine;
  }
  if (text.empty() || text[0] != '!') return 0;
  std::string trimmed = VYXQIFTrim(text);
  if (trimmed == "!") return 1;
  size_t rest = 0;
  if (StartsWithNoCase(text, "!Type:")) {
    rest = 6;
  } else if (StartsWithNoCase(text, "!Type") && text.size() >= 7 &&
             (uint8_t(text[5]) == 0xA0 || uint8_t(text[5]) == 0xCA || text[5] == ' ') &&
             text[6] == ':') {
    rest = 7;
  } else if (StartsWithNoCase(text, "!Option:")) {
    rest = 8;
  }
  if (rest != 0) {
    StdToP(text.substr(rest), argument);
    return 2;
  }
  if (CPEqualString(trimmed, "!Account", false, true) ||
      CPEqualString(trimmed, "!Compte", false, true)) {
    return 3;
  }
  return 4;
}

void VYXQIFStream::GetOption(StringPtr argument) {
  std::string text;
  long number;
  ReadLine(&text, &number);
  argument[0] = 0;
}

QIF_AccountType VYXQIFStream::GetAccountType(ConstStringPtr argument) {
  std::string type = VYXQIFTrim(PToStd(argument));
  struct Name {
    const char* name;
    QIF_AccountType type;
  };
  static const Name kNames[] = {
      {"Bank", kQIFTypeBank},   {"Banque", kQIFTypeBank}, {"Cash", kQIFTypeCash},
      {"CCard", kQIFTypeCCard}, {"Invst", kQIFTypeInvst}, {"Oth A", kQIFTypeOthA},
      {"Oth L", kQIFTypeOthL},  {"Cat", kQIFTypeCat},     {"Class", kQIFTypeClass},
      {"Memorized", kQIFTypeMemorized},
  };
  for (const Name& n : kNames)
    if (CPEqualString(type, n.name, false, false)) return n.type;
  return kQIFTypeUnknown;
}

CPDate VYXQIFStream::ReadDate(std::string_view given, long line) {
  if (lastDate_ != 0 && given == lastDateText_) return lastDate_;
  CPDate date = 0;
  std::string value(given);
  value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
  size_t apostrophe = value.find('\'');
  if (apostrophe != std::string::npos) value[apostrophe] = '/';
  // Year-first dates ("2024-01-25") are read as such whatever the order of
  // the file's other dates.
  if (!CPYearFirstStrToDate(value, date)) {
    Str255 text;
    StdToP(value, text);
    if (swapDates_) CPDateSwithFrenchAmericanFormat(text);
    if (text[0] == 0 || !CPStrToDate(text, date)) {
      VYXThrowAtLine(kVYXQIFErrorsList, kVYXQIFBadDateItem, line, {value});
    }
  }
  lastDateText_.assign(given);
  lastDate_ = date;
  return date;
}

bool VYXQIFStream::GetPlainMontant(std::string_view value, bool comma, double* amount) {
  size_t i = !value.empty() && value[0] == '-' ? 1 : 0;
  bool negative = i == 1;
  int64_t units = 0;
  size_t digits = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i, ++digits)
    units = units * 10 + (value[i] - '0');
  if (digits == 0 || digits > 15) return false;
  int decimals = 0;
  if (i < value.size()) {
    if (value[i] != '.' && !(comma && value[i] == ',')) return false;
    for (++i; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i, ++decimals)
      units = units * 10 + (value[i] - '0');
    if (i != value.size() || decimals == 0 || decimals > 2 || digits + decimals > 15) return false;
  }
  // Both the integer and the power of ten are exact, so the one rounding
  // of the division gives the double nearest the decimal text, as reading
  // the text does.
  double v = decimals == 0 ? double(units) : double(units) / (decimals == 1 ? 10.0 : 100.0);
  *amount = negative ? -v : v;
  return true;
}

double VYXQIFStream::ReadNumber(std::string_view value, long line) {
  double plain;
  if (GetPlainMontant(value, true, &plain)) return plain;
  Str255 text;
  StdToP(value, text);
  double v = 0;
  if (!GetMontant(text, &v)) {
    VYXThrowAtLine(kVYXQIFErrorsList, kVYXQIFBadAmountItem, line, {std::string(value)});
  }
  return v;
}

// The number reader. The last ".", "," or ";" among the last four bytes is the
// decimal separator, whatever the file's country; what stands before it
// other than digits and "-" (thousands separators of any kind) goes.
bool VYXQIFStream::GetMontant(ConstStringPtr value, double* amount) {
  std::string s = PToStd(value);
  size_t n = s.size();
  if (n > 1) {
    size_t separator = std::string::npos;
    for (size_t k = 1; k <= 4 && k <= n; ++k) {
      char c = s[n - k];
      if (c == '.' || c == ',' || c == ';') {
        separator = n - k;
        break;
      }
    }
    if (separator != std::string::npos) {
      s[separator] = ',';
      std::string head;
      for (size_t i = 0; i < separator; ++i) {
        if ((s[i] >= '0' && s[i] <= '9') || s[i] == '-') head += s[i];
      }
      s = head + s.substr(separator);
    }
  }
  // What is left of a no-break space read in the wrong set.
  s.erase(std::remove_if(s.begin(), s.end(),
                         [](char c) { return uint8_t(c) == 0xC2 || uint8_t(c) == 0xE5; }),
          s.end());
  // The separator is now "," whatever the regional one is.
  size_t comma = s.find(',');
  if (comma != std::string::npos) s[comma] = char(CPGetDecimalChar());
  double v;
  if (!MacStrToNum(s, v)) return false;
  *amount = v;
  return true;
}

bool VYXQIFStream::GetAccount(QIFAccount* account) {
  std::string text;
  long number;
  while (ReadLine(&text, &number)) {
    unsigned char code = uint8_t(text[0]);
    std::string value = VYXQIFTrim(text.substr(1));
    switch (code) {
      case '^':
        return true;
      case 'N':
        Put(account->name, value);
        break;
      case 'D': {
        value.erase(std::remove(value.begin(), value.end(), ' '), value.end());
        size_t apostrophe = value.find('\'');
        if (apostrophe != std::string::npos) value[apostrophe] = '/';
        Put(account->description, value);
        break;
      }
      case 'T':
        Put(account->description, value);
        break;
      case '/':
        account->balanceDate = ReadDate(value, number);
        break;
      case '$':
        account->balance = ReadNumber(value, number);
        account->hasBalance = true;
        break;
      default:
        break;
    }
  }
  return false;
}

bool VYXQIFStream::GetTransaction(QIF_AccountType type, QIFTransaction* t, bool* hasSplits,
                                  bool* isOpening) {
  *t = QIFTransaction();
  *hasSplits = false;
  *isOpening = false;
  splits_.clear();
  nextSplit_ = 0;
  t->investment = type == kQIFTypeInvst;
  bool reconciled = false;
  bool openingPayee = false;
  // Letters met before the split lines; after them, a letter reaches the
  // transaction only when it had none of its own.
  bool seen[128] = {};
  auto firstTime = [&](unsigned char code) { return !(*hasSplits) || !seen[code]; };
  std::string text;
  long number;
  bool anyLetter = false;
  while (ReadLine(&text, &number)) {
    unsigned char code = uint8_t(text[0]);
    if (!IsCodeLetter(code)) continue;
    std::string_view value = VYXQIFTrimView(std::string_view(text).substr(1));
    // A "^" alone is an empty record, not a transaction.
    if (code == '^') {
      if (anyLetter) break;
      continue;
    }
    if (!anyLetter) t->line = number;
    anyLetter = true;
    if (code == '$' || code == 'E' || code == 'S') {
      if (!t->investment) {
        *hasSplits = true;
        splits_.push_back({code, std::string(value), number});
      }
      continue;
    }
    if (!firstTime(code)) continue;
    seen[code] = true;
    switch (code) {
      case 'D':
        t->date = ReadDate(value, number);
        break;
      case 'T':
        t->amount = ReadNumber(value, number);
        break;
      case 'C':
        reconciled = value == "X";
        break;
      case 'P':
        if (format_ == kQIFFormatModeInN) {
          Append(t->memo, value);
        } else {
          Append(t->payee, value);
        }
        openingPayee = openingPayee || value == "Solde initial" || value == "Opening Balance";
        break;
      case 'M':
        if (format_ == kQIFFormatStandard0 || format_ == kQIFFormatStandard) Append(t->memo, value);
        break;
      case 'N':
        if (format_ == kQIFFormatModeInM) {
          Append(t->memo, value);
        } else if (format_ != kQIFFormatModeInN) {
          Put(t->number, value, sizeof(Str7) - 1);
        }
        if (uint8_t action = ActionOf(value)) t->action = action;
        break;
      case 'A':
        Append(t->address, value);
        break;
      case 'L':
        Put(t->category, value);
        break;
      case 'I':
        t->price = ReadNumber(value, number);
        t->investment = true;
        break;
      case 'O':
        t->commission = ReadNumber(value, number);
        t->investment = true;
        break;
      case 'Q':
        t->quantity = ReadNumber(value, number);
        t->investment = true;
        break;
      case 'Y':
        Put(t->security, value);
        t->investment = true;
        break;
      default:
        break;
    }
  }
  if (!anyLetter) return false;
  // Whether C comes before or after P, a cleared record paid to "Opening
  // Balance" is the account's opening balance.
  *isOpening = reconciled && openingPayee;
  // A record that turned out to be an investment has no split lines.
  if (t->investment) {
    splits_.clear();
    *hasSplits = false;
  }
  return true;
}

bool VYXQIFStream::GetSplit(QIFSplit* split, bool* more) {
  *split = QIFSplit();
  *more = false;
  bool hasCategory = false, hasMemo = false, hasAmount = false, any = false;
  while (nextSplit_ < splits_.size()) {
    const Line& l = splits_[nextSplit_];
    bool* has = l.code == 'S' ? &hasCategory : l.code == 'E' ? &hasMemo : &hasAmount;
    if (*has) {
      *more = true;
      return true;
    }
    *has = true;
    any = true;
    ++nextSplit_;
    if (l.code == 'S') {
      Put(split->category, l.value);
    } else if (l.code == 'E') {
      Put(split->memo, l.value);
    } else {
      split->amount = ReadNumber(l.value, l.number);
    }
  }
  return any;
}

bool VYXQIFStream::GetListItem(std::string* name, bool* income) {
  name->clear();
  *income = false;
  bool any = false;
  std::string text;
  long number;
  while (ReadLine(&text, &number)) {
    any = true;
    if (text[0] == '^') break;
    if (text[0] == 'N') *name = VYXQIFTrim(text.substr(1));
    if (text[0] == 'I') *income = true;
  }
  return any;
}

void VYXQIFStream::SkipLine() {
  std::string text;
  long number;
  ReadLine(&text, &number);
}
