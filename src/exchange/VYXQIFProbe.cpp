// IsQIFStream: recognises a QIF file and works out, in one reading, what the
// reader must know to read it: the bank's layout of its fields, its text
// encoding and the order of its dates. Nothing it meets is an error: the
// probe answers what it found so far.
#include <cstring>
#include <string>
#include <typeinfo>

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

  static bool QuickJudge(std::string_view bytes, bool* utf8);

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

namespace {

// A line of the file in MacRoman as the probe's reader converts it: as
// UTF-8 when it reads as UTF-8, as Windows-1252 otherwise.
std::string ProbeText(std::string_view raw) {
  std::string text;
  CPForeignToMacRoman(raw, CPIsNonASCIIUTF8(raw) ? kCPUTF8 : kCPWindowsLatin1, &text);
  return text;
}

bool MayNameLayout(std::string_view value, bool ascii) {
  // Printable ASCII of more than a dozen bytes, or without a letter, is
  // none of the layout's words (nothing printable is ignored when
  // comparing); anything else is compared as the probe compares it.
  bool letter = false, printable = true;
  for (char c : value) {
    letter = letter || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    printable = printable && c >= 0x20 && c < 0x7F;
  }
  return !ascii || !printable || (letter && value.size() <= 12);
}

}  // namespace

// The probe's verdict found on the raw lines, without converting, cutting or
// reading them, for a file plain enough that the verdict is certainly the
// same: every line at most 254 bytes, ended by LF or CR LF, without a tab
// (each line is then one field), headers of types and options only (no
// account block, whose reading may stop the probe early). The layout can
// only differ from the standard one when an M or N line holds one of its
// words, and the dates be month first when a D line reads month first only:
// either sends the file to the full probe. Answers false when it cannot
// judge.
bool VYXQIFProbe::QuickJudge(std::string_view bytes, bool* utf8) {
  *utf8 = false;
  if (std::memchr(bytes.data(), '\t', bytes.size()) != nullptr) return false;
  std::string lastDate;
  for (size_t at = 0; at < bytes.size();) {
    const char* start = bytes.data() + at;
    const void* nl = std::memchr(start, '\n', bytes.size() - at);
    size_t length = nl ? size_t(static_cast<const char*>(nl) - start) : bytes.size() - at;
    at += length + 1;
    std::string_view line(start, length);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() >= 255 || std::memchr(line.data(), '\r', line.size()) != nullptr) return false;
    if (line.empty()) continue;
    bool ascii = CPASCIIPrefix(line) == line.size();
    if (!ascii && !*utf8) *utf8 = CPIsNonASCIIUTF8(line);
    switch (line[0]) {
      case '!': {
        // "!Type:…", "!Option:…" and the like; "!Account" and "!Compte"
        // (whatever their case) are account blocks.
        std::string_view rest = VYXQIFTrimView(line.substr(1));
        if (rest.empty()) break;
        char c = rest[0];
        bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter || c == 'a' || c == 'A' || c == 'c' || c == 'C' || line[1] != c) return false;
        break;
      }
      case 'D': {
        std::string text = ascii ? std::string(line.substr(1)) : ProbeText(line).substr(1);
        std::string d;
        for (char c : text)
          if (c != ' ') d += c;
        size_t apostrophe = d.find('\'');
        if (apostrophe != std::string::npos) d[apostrophe] = '/';
        // A bank's dates come in runs of the same day.
        if (d == lastDate) break;
        if (CPDateMayBeAmericanFormat(d) && !CPDateMayBeFrenchFormat(d)) return false;
        lastDate = d;
        break;
      }
      case 'M':
      case 'N': {
        std::string_view value = VYXQIFTrimView(line.substr(1));
        if (!MayNameLayout(value, ascii)) break;
        std::string text = ascii ? std::string(value) : VYXQIFTrim(ProbeText(line).substr(1));
        if (IsWord(text)) return false;
        break;
      }
      default:
        break;
    }
  }
  return true;
}

bool VYXQIFStream::IsQIFStream(CPTabCrStream& stream, QIF_AccountType* type,
                               QIF_FormatType* format, QIF_Encoding* encoding, bool* monthFirst,
                               bool* hasInvestments) {
  stream.SetMarker(0, kCPFromStart);
  VYXQIFProbe probe(stream);
  bool isQIF = false;
  try {
    isQIF = probe.FirstLineIsHeader();
    stream.SetMarker(0, kCPFromStart);
    // Neither the account type nor the investment lines are judged from the
    // raw lines: a reader that wants them reads the file through.
    uint32_t inMemory = 0;
    const unsigned char* bytes = isQIF && format && !type && !hasInvestments &&
                                         typeid(stream) == typeid(CPTabCrStream)
                                     ? stream.BytesAtMarker(&inMemory)
                                     : nullptr;
    bool utf8 = false;
    if (bytes != nullptr && inMemory == stream.GetLength() &&
        VYXQIFProbe::QuickJudge(
            std::string_view(reinterpret_cast<const char*>(bytes), inMemory), &utf8)) {
      *format = kQIFFormatStandard;
      if (encoding) *encoding = utf8 ? kQIFUTF8 : kQIFWindows;
      if (monthFirst) *monthFirst = false;
      return true;
    }
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
