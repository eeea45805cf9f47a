// IsQIFStream: recognises a QIF file and works out, in one reading, what the
// reader must know to read it: the bank's layout of its fields, its text
// encoding and the order of its dates. Nothing it meets is an error: the
// probe answers what it found so far.
#include <string>

#include "exchange/VYXQIFStream.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDateForms.h"
#include "foundation/CPException.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStrings.h"

class VYXQIFProbe {
 public:
  explicit VYXQIFProbe(CPTabCrStream& stream)
      : reader_(&stream, kQIFFormatStandard, kQIFWindows, false) {}

  // The first line that is not a comment starts with "!".
  bool FirstLineIsHeader() {
    std::string line;
    long number;
    while (ReadRaw(&line, &number)) {
      if (line[0] == '#') continue;
      return line[0] == '!';
    }
    return false;
  }

  void Scan() {
    QIF_AccountType current = kQIFTypeUnknown;
    QIF_DataType kind;
    while (reader_.GetNextDataType(&kind)) {
      if (kind == kQIFHeaderLine) {
        Str255 argument;
        int header = reader_.GetHeader(argument);
        if (header == 2) current = VYXQIFStream::GetAccountType(argument);
        if (header == 3) {
          QIFAccount account;
          reader_.GetAccount(&account);
        }
      } else if (kind == kQIFOptionLine) {
        Str255 argument;
        reader_.GetOption(argument);
      } else if (current != kQIFTypeUnknown) {
        type = current;
        ReadTransaction(current);
      } else {
        std::string line;
        long number;
        ReadRaw(&line, &number);
      }
    }
  }

  QIF_AccountType type = kQIFTypeUnknown;
  QIF_FormatType format = kQIFFormatStandard;
  bool utf8 = false;
  bool monthFirst = false;
  bool investments = false;

 private:
  // A line as the detection sees it: UTF-8 once a line showed it is.
  bool ReadRaw(std::string* line, long* number) {
    if (!reader_.ReadLine(line, number)) return false;
    return true;
  }

  static bool IsWord(const std::string& value) {
    for (const char* word : {"Carte", "Ch\x8Fque", "Pr\x8Elvmt"})
      if (CPEqualString(VYXQIFTrim(value), word, false, false)) return true;
    return false;
  }

  void ReadTransaction(QIF_AccountType current) {
    bool investment = current == kQIFTypeInvst;
    bool splits = false;
    bool seen[128] = {};
    bool hasM = false, hasN = false, hasP = false;
    std::string m, n, p;
    bool dateMonthFirst = false;
    std::string line;
    long number;
    while (ReadRaw(&line, &number)) {
      unsigned char code = uint8_t(line[0]);
      if (code == '^') break;
      if (code >= 128) continue;
      std::string value = line.substr(1);
      if (code == '$' || code == 'E' || code == 'S') {
        if (!investment) splits = true;
        continue;
      }
      if (splits && seen[code]) continue;
      seen[code] = true;
      switch (code) {
        case 'D': {
          std::string d;
          for (char c : value)
            if (c != ' ') d += c;
          size_t apostrophe = d.find('\'');
          if (apostrophe != std::string::npos) d[apostrophe] = '/';
          dateMonthFirst = CPDateMayBeAmericanFormat(d) && !CPDateMayBeFrenchFormat(d);
          break;
        }
        case 'I':
        case 'O':
        case 'Q':
        case 'Y':
          investment = true;
          break;
        case 'M':
          hasM = true;
          m = VYXQIFTrim(value);
          break;
        case 'N':
          hasN = true;
          n = VYXQIFTrim(value);
          break;
        case 'P':
          hasP = true;
          p = VYXQIFTrim(value);
          break;
        default:
          break;
      }
    }
    monthFirst = monthFirst || dateMonthFirst;
    investments = investments || investment;
    if (format != kQIFFormatStandard) return;
    if (hasM && hasN && !hasP && !m.empty() && !n.empty() && IsWord(m)) {
      format = kQIFFormatModeInM;
    } else if (hasM && hasN && hasP && m.empty() && !n.empty() && !p.empty() && IsWord(n)) {
      format = kQIFFormatModeInN;
    }
  }

  friend class VYXQIFStream;
  VYXQIFStream reader_;
};

bool VYXQIFStream::IsQIFStream(CPTabCrStream& stream, QIF_AccountType* type,
                               QIF_FormatType* format, QIF_Encoding* encoding, bool* monthFirst,
                               bool* hasInvestments) {
  stream.SetMarker(0, kCPFromStart);
  VYXQIFProbe probe(stream);
  bool isQIF = false;
  try {
    isQIF = probe.FirstLineIsHeader();
    stream.SetMarker(0, kCPFromStart);
    if (isQIF && format) {
      // The encoding is found on the raw bytes: a line is UTF-8 when it
      // holds the bytes UTF-8 gives accented letters and reads as UTF-8.
      probe.reader_.encoding_ = kQIFUTF8;
      probe.Scan();
    }
  } catch (const CPException&) {
    // What was found so far stands.
  }
  probe.utf8 = probe.reader_.sawUTF8_;
  stream.SetMarker(0, kCPFromStart);
  if (type) *type = probe.type;
  if (format) *format = probe.format;
  if (encoding) *encoding = probe.utf8 ? kQIFUTF8 : kQIFWindows;
  if (monthFirst) *monthFirst = probe.monthFirst;
  if (hasInvestments) *hasInvestments = probe.investments;
  return isQIF;
}
