#include "exchange/VYXOFXStream.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXQIFStream.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStrings.h"

namespace {

char Upper(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

size_t FindNoCase(std::string_view text, std::string_view what, size_t from = 0) {
  if (what.empty()) return from <= text.size() ? from : std::string_view::npos;
  if (text.size() < what.size()) return std::string_view::npos;
  const char first = Upper(what[0]);
  for (size_t i = from; i + what.size() <= text.size(); ++i) {
    if (Upper(text[i]) != first) continue;
    size_t k = 1;
    while (k < what.size() && Upper(text[i + k]) == Upper(what[k])) ++k;
    if (k == what.size()) return i;
  }
  return std::string_view::npos;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Whether a line of the laid-out text holds `what`. A "<" only ever opens a
// line there (after blanks at most), so a tag is found at the line's start
// or not at all: a search of the whole line is needed only for other text.
bool Contains(std::string_view line, std::string_view what) {
  if (what.empty()) return false;
  if (what[0] != '<') return FindNoCase(line, what) != std::string_view::npos;
  size_t b = 0;
  while (b < line.size() && IsBlank(line[b])) ++b;
  if (line.size() - b < what.size()) return false;
  for (size_t k = 0; k < what.size(); ++k)
    if (Upper(line[b + k]) != Upper(what[k])) return false;
  return true;
}

// Whether `at` (a line from its first byte that is not blank) opens with
// `tag`, as Contains finds a tag.
bool OpensWith(std::string_view at, std::string_view tag) {
  if (at.size() < tag.size()) return false;
  // Tags differ mostly by their first letter, after "<" or "</".
  if (tag.size() > 2 && Upper(at[1]) != Upper(tag[1])) return false;
  for (size_t k = 0; k < tag.size(); ++k)
    if (Upper(at[k]) != Upper(tag[k])) return false;
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsBlankLine(std::string_view s) { return Trim(s).empty(); }

std::string EndTag(std::string_view tag) {
  std::string end(tag);
  if (!end.empty() && end[0] == '<') end.insert(1, "/");
  return end;
}

// The MacRoman character of a Unicode code point, '?' when it has none.
std::string CodePointToMacRoman(unsigned long cp, bool* exact) {
  std::string utf8;
  if (cp < 0x80) {
    utf8 += char(cp);
  } else if (cp < 0x800) {
    utf8 += char(0xC0 | (cp >> 6));
    utf8 += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    utf8 += char(0xE0 | (cp >> 12));
    utf8 += char(0x80 | ((cp >> 6) & 0x3F));
    utf8 += char(0x80 | (cp & 0x3F));
  } else {
    *exact = false;
    return "?";
  }
  std::string mac;
  if (!CPForeignToMacRoman(utf8, kCPUTF8, &mac)) *exact = false;
  return mac;
}

// Character entities of SGML and XML, decoded once ("&amp;lt;" gives "&lt;").
std::string DecodeEntities(const std::string& text, bool* exact) {
  if (text.find('&') == std::string::npos) return text;
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    size_t semi = text[i] == '&' ? text.find(';', i) : std::string::npos;
    if (semi == std::string::npos || semi - i > 10) {
      out += text[i];
      continue;
    }
    std::string name = text.substr(i + 1, semi - i - 1);
    std::string value;
    if (name == "amp") {
      value = "&";
    } else if (name == "lt") {
      value = "<";
    } else if (name == "gt") {
      value = ">";
    } else if (name == "quot") {
      value = "\"";
    } else if (name == "apos") {
      value = "'";
    } else if (name == "nbsp") {
      value = " ";
    } else if (name.size() > 1 && name[0] == '#') {
      bool hex = name[1] == 'x' || name[1] == 'X';
      std::string digits = name.substr(hex ? 2 : 1);
      char* end = nullptr;
      unsigned long cp = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (digits.empty() || *end != 0) {
        out += text[i];
        continue;
      }
      value = CodePointToMacRoman(cp, exact);
    } else {
      out += text[i];
      continue;
    }
    out += value;
    i = semi;
  }
  return out;
}

}  // namespace

VYXOFXStream::VYXOFXStream(CPTabCrStream* source, size_t limit) {
  size_t size = std::min<size_t>(size_t(source->GetLength()), limit);
  source->SetMarker(0, kCPFromStart);
  // Bytes already in memory are read where they lie; others are copied out
  // (without clearing first: the bytes are many).
  uint32_t inMemory = 0;
  const unsigned char* direct = source->BytesAtMarker(&inMemory);
  std::string_view raw;
  if (direct != nullptr && inMemory >= size) {
    raw = std::string_view(reinterpret_cast<const char*>(direct), size);
  } else {
    copy_.reset(new char[size + 1]);
    long got = long(size);
    if (size) source->ReadData(copy_.get(), &got);
    raw = std::string_view(copy_.get(), size_t(std::clamp(got, 0L, long(size))));
  }
  source->SetMarker(0, kCPFromStart);

  // A file that reads as UTF-8 throughout is UTF-8, whatever its header says
  // (writers often leave CHARSET:1252 above UTF-8 text); otherwise its bytes
  // are Windows-1252, which also holds the letters of ISO-8859-1.
  utf8_ = CPIsNonASCIIUTF8(raw);
  // Most files of version 1 are laid out already: they are read where they
  // lie, not copied line by line.
  inPlace_ = IsLaidOut(raw);
  if (inPlace_) {
    text_ = raw;
  } else {
    copy_.reset();
    LayOut(raw);
    text_ = laidOut_;
  }
}

bool VYXOFXStream::IsLaidOut(std::string_view raw) {
  size_t transactions = 0;
  bool afterLoneTag = false;
  // Most files have no CR, or only before LF: lines are looked at for one
  // only when the file has some.
  bool anyCR = std::memchr(raw.data(), '\r', raw.size()) != nullptr;
  for (size_t at = 0; at < raw.size();) {
    const char* start = raw.data() + at;
    const void* nl = std::memchr(start, '\n', raw.size() - at);
    size_t length = nl ? size_t(static_cast<const char*>(nl) - start) : raw.size() - at;
    std::string_view line(start, length);
    size_t tagAt = at;
    at += length + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    size_t b = 0;
    while (b < line.size() && IsBlank(line[b])) ++b;
    if (b == line.size() || line.compare(b, 4, "<!--") == 0) return false;
    bool tag = line[b] == '<';
    // A line of text (the header of version 1) stays where it is unless a
    // start tag alone stands above it: its value, which moves up.
    if (!tag && afterLoneTag) return false;
    size_t from = tag ? b + 1 : b;
    if (std::memchr(line.data() + from, '<', line.size() - from) != nullptr ||
        (anyCR && std::memchr(line.data(), '\r', line.size()) != nullptr)) {
      return false;
    }
    afterLoneTag = false;
    if (!tag) continue;
    size_t e = line.size();
    while (e > b && IsBlank(line[e - 1])) --e;
    afterLoneTag = e - b > 2 && line[e - 1] == '>' && line[b + 1] != '/' && line[b + 1] != '?';
    tagAt += b;
    if (tagAt + 8 < raw.size() && Upper(raw[tagAt + 1]) == 'S' &&
        FindNoCase(raw.substr(tagAt + 1, 8), "STMTTRN>") == 0) {
      ++transactions;
    }
  }
  transactions_ = transactions;
  return true;
}

// The file cut into lines of one tag each, in one pass: a line ends at a line
// end of the file and before a "<" that follows anything but blanks, so that
// a "<" only ever opens a line. A line of blanks is left empty, comments go
// with what they hold, and a value that stands alone below its start tag
// moves up to the tag's line (its own line is left empty).
void VYXOFXStream::LayOut(std::string_view raw) {
  std::string& text_ = laidOut_;
  text_.clear();
  text_.reserve(raw.size() + raw.size() / 8);
  transactions_ = 0;
  endsFileLine_.clear();
  size_t lineBegin = 0;   // where the line being laid out begins in text_
  bool content = false;   // it holds more than blanks
  // The last line that held anything, when it is a start tag alone: where
  // its text ends, and how many empty lines have followed it.
  bool afterLoneTag = false;
  size_t tagEnd = 0, emptySince = 0;
  auto loneStartTag = [](std::string_view t) {
    t = Trim(t);
    return t.size() > 2 && t.front() == '<' && t[1] != '/' && t[1] != '?' && t.back() == '>' &&
           t.find('<', 1) == std::string_view::npos;
  };
  auto flush = [&](bool fileLineEnd) {
    if (!content) {
      text_.resize(lineBegin);
      ++emptySince;
    } else {
      std::string_view line = std::string_view(text_).substr(lineBegin);
      std::string_view value = Trim(line);
      if (afterLoneTag && value.front() != '<') {
        std::string moved(value);
        text_.resize(tagEnd);
        text_ += moved;
        // The tag's line ends after the value, the empty lines below it
        // stay, and the value's own line (ended below) is left empty.
        text_.append(emptySince + 1, '\n');
        lineBegin = text_.size();
        afterLoneTag = false;
      } else {
        afterLoneTag = loneStartTag(line);
        tagEnd = text_.size();
        emptySince = 0;
      }
    }
    text_ += '\n';
    endsFileLine_.push_back(fileLineEnd);
    lineBegin = text_.size();
    content = false;
  };
  static const auto kSpecial = [] {
    std::array<bool, 256> t{};
    t[uint8_t('<')] = t[uint8_t('\r')] = t[uint8_t('\n')] = true;
    return t;
  }();
  for (size_t i = 0; i < raw.size();) {
    // Ordinary bytes up to the next "<" or line end, in one copy.
    size_t j = i;
    while (j < raw.size() && !kSpecial[uint8_t(raw[j])]) {
      content = content || !IsBlank(raw[j]);
      ++j;
    }
    text_.append(raw.data() + i, j - i);
    if (j == raw.size()) break;
    i = j;
    char c = raw[i];
    if (c == '<' && raw.compare(i, 4, "<!--") == 0) {
      // A comment is dropped, and what it holds with it; its line ends still
      // end lines.
      size_t close = raw.find("-->", i + 4);
      size_t end = close == std::string_view::npos ? raw.size() : close + 3;
      for (size_t k = i; k < end; ++k) {
        if (raw[k] != '\r' && raw[k] != '\n') continue;
        if (raw[k] == '\r' && k + 1 < raw.size() && raw[k + 1] == '\n') ++k;
        flush(true);
      }
      i = end;
      continue;
    }
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') ++i;
      flush(true);
      ++i;
      continue;
    }
    if (content) flush(false);
    if (i + 8 < raw.size() && FindNoCase(raw.substr(i + 1, 8), "STMTTRN>") == 0) ++transactions_;
    text_ += c;
    content = true;
    ++i;
  }
  if (content) {
    flush(false);
  } else {
    text_.resize(lineBegin);
  }
}

bool VYXOFXStream::IsOFXStream(CPTabCrStream& stream) {
  // "<OFX>" comes after a header of a few lines: the file's start tells,
  // without reading a statement of many megabytes twice.
  constexpr size_t kPrefix = 64 * 1024;
  bool found = false;
  try {
    VYXOFXStream start(&stream, kPrefix);
    found = start.GoToTag("<OFX>", "</OFX>");
    if (!found && stream.GetLength() > kPrefix) {
      VYXOFXStream reader(&stream);
      found = reader.GoToTag("<OFX>", "</OFX>");
    }
  } catch (const CPException&) {
  } catch (const std::bad_alloc&) {
  }
  stream.SetMarker(0, kCPFromStart);
  return found;
}

bool VYXOFXStream::NextLine(std::string_view* line) {
  if (at_.pos >= text_.size()) return false;
  lineStart_ = at_.pos;
  lineFileLine_ = at_.fileLine;
  const char* begin = text_.data() + at_.pos;
  const void* newline = std::memchr(begin, '\n', text_.size() - at_.pos);
  size_t end = newline ? size_t(static_cast<const char*>(newline) - text_.data()) : text_.size();
  lineEnd_ = end;
  *line = std::string_view(begin, end - at_.pos);
  at_.pos = end < text_.size() ? end + 1 : end;
  if (inPlace_) {
    // The file's own line ends: CR LF is one.
    if (end > lineStart_ && text_[end - 1] == '\r') lineEnd_ = --end;
    *line = std::string_view(begin, end - lineStart_);
    ++at_.fileLine;
  } else if (at_.line < endsFileLine_.size() && endsFileLine_[at_.line]) {
    ++at_.fileLine;
  }
  ++at_.line;
  return true;
}

std::string_view VYXOFXStream::CurrentLine() const {
  return text_.substr(lineStart_, lineEnd_ - lineStart_);
}

bool VYXOFXStream::NextTagIs(std::string_view tag) {
  Cursor saved = at_;
  std::string_view line;
  while (NextLine(&line)) {
    if (IsBlankLine(line)) continue;
    if (Contains(line, tag)) return true;
    break;
  }
  at_ = saved;
  return false;
}

std::string VYXOFXStream::Decode(std::string_view raw) {
  std::string mac;
  bool exact = CPForeignToMacRoman(raw, utf8_ ? kCPUTF8 : kCPWindowsLatin1, &mac);
  if (mac.find('&') != std::string::npos) mac = DecodeEntities(mac, &exact);
  if (!exact) ++replaced_;
  return mac;
}

bool VYXOFXStream::GoToTag(std::string_view tag, std::string_view stopTag) {
  std::string_view line;
  while (NextLine(&line)) {
    if (Contains(line, tag)) return true;
    if (Contains(line, stopTag)) return false;
  }
  return false;
}

bool VYXOFXStream::GetNextTag(std::string* tag, std::string* rest, std::string_view stopTag) {
  std::string_view line;
  do {
    if (!NextLine(&line)) return false;
  } while (IsBlankLine(line));
  if (Contains(line, stopTag)) return false;
  size_t lt = line.find('<');
  if (lt == std::string_view::npos) return false;
  size_t gt = line.find('>', lt);
  if (gt == std::string_view::npos) return false;
  *tag = std::string(line.substr(lt, gt - lt + 1));
  *rest = std::string(line.substr(gt + 1));
  return true;
}

std::string_view VYXOFXStream::ValueOf(std::string_view line, std::string_view tag) {
  line = Trim(line);
  size_t gt = line.find('>');
  if (gt == std::string_view::npos) return {};
  std::string_view value = Trim(line.substr(gt + 1));
  size_t end = std::string_view::npos;
  if (!tag.empty() && tag[0] == '<') {
    // The end tag, "</" and the tag's name, found without writing it out.
    for (size_t at = value.find("</"); at != std::string_view::npos; at = value.find("</", at + 1)) {
      if (OpensWith(value.substr(at + 2), tag.substr(1))) {
        end = at;
        break;
      }
    }
  } else {
    end = FindNoCase(value, EndTag(tag));
  }
  if (end != std::string_view::npos) value = Trim(value.substr(0, end));
  return value;
}

bool VYXOFXStream::GetValue(std::string_view tag, std::string_view stopTag, std::string* value,
                            bool restore) {
  Cursor saved = at_;
  bool found = GoToTag(tag, stopTag);
  if (found) {
    std::string_view line = CurrentLine();
    found = line.find('>') != std::string_view::npos;
    if (found) *value = Decode(ValueOf(line, tag));
  }
  if (restore) at_ = saved;
  return found;
}

double VYXOFXStream::Amount(const std::string& value, long line) {
  // The form the format prescribes, read without the regional settings'
  // help: digits, and a point before two decimals.
  double v = 0;
  size_t point = value.find('.');
  if ((point == std::string::npos || point + 3 == value.size()) &&
      VYXQIFStream::GetPlainMontant(value, false, &v)) {
    return v;
  }
  std::string s = value;
  if (s.size() > 2 && s[s.size() - 3] == '.') s[s.size() - 3] = char(CPGetDecimalChar());
  if (MacStrToNum(s, v)) return v;
  // Amounts with a currency sign or thousands separators ("R$ 5.326,43"),
  // which the format does not allow, are read as a QIF reader reads them.
  Str255 text;
  StdToP(value, text);
  if (VYXQIFStream::GetMontant(text, &v)) return v;
  VYXThrowAtLine(kVYXExchangeTexts, kExOFXBadAmount, line, {value});
}

CPDate VYXOFXStream::Date(const std::string& value, long line, bool* ok) {
  (void)line;
  *ok = false;
  auto digit = [&](size_t i) { return value[i] >= '0' && value[i] <= '9'; };
  if (value.size() > 7 && digit(0) && digit(1) && digit(2) && digit(3)) {
    for (size_t i = 4; i < 8; ++i)
      if (!digit(i)) return 0;
    auto number = [&](size_t from, size_t count) {
      int n = 0;
      for (size_t i = from; i < from + count; ++i) n = n * 10 + (value[i] - '0');
      return n;
    };
    CPDateTimeRec f;
    f.year = number(0, 4);
    f.month = number(4, 2);
    f.day = number(6, 2);
    if (f.year < 1905 || !IsAValidDate(f)) return 0;
    *ok = true;
    return CPGetDate(f.day, f.month, f.year);
  }
  CPDate date = 0;
  if (value.empty() || !CPStrToDate(value, date)) return 0;
  *ok = true;
  return date;
}

bool VYXOFXStream::GetMontant(std::string_view tag, std::string_view stopTag, double* amount,
                              bool restore) {
  std::string value;
  Cursor saved = at_;
  if (!GetValue(tag, stopTag, &value, false)) {
    if (restore) at_ = saved;
    return false;
  }
  long line = lineFileLine_;
  if (restore) at_ = saved;
  *amount = Amount(value, line);
  return true;
}

bool VYXOFXStream::GetDate(std::string_view tag, std::string_view stopTag, CPDate* date,
                           bool restore) {
  std::string value;
  if (!GetValue(tag, stopTag, &value, restore)) return false;
  bool ok;
  CPDate d = Date(value, 0, &ok);
  if (ok) *date = d;
  return true;
}

std::string VYXOFXStream::SegmentEndTag(OFX_SegmentType type) const {
  std::string v = version_ == 2 ? "V2>" : "V1>";
  return (type == kOFXSegmentCreditCard ? "</CREDITCARDMSGSRS" : "</BANKMSGSRS") + v;
}

bool VYXOFXStream::GetHeader(OFXHeader* header) {
  *header = OFXHeader();
  at_ = Cursor();
  if (!GoToTag("<OFX>", "</OFX>")) return false;
  Cursor afterOFX = at_;
  std::string end;
  if (GoToTag("<SIGNONMSGSRSV1>", "</OFX>")) {
    version_ = 1;
    end = "</SIGNONMSGSRSV1>";
  } else {
    at_ = afterOFX;
    if (!GoToTag("<SIGNONMSGSRSV2>", "</OFX>")) {
      at_ = afterOFX;
      return false;
    }
    version_ = 2;
    end = "</SIGNONMSGSRSV2>";
  }
  std::string severity, message;
  GetValue("<SEVERITY>", end, &severity, true);
  GetValue("<MESSAGE>", end, &message, true);
  header->refused = Trim(severity) == "ERROR";
  header->message = message;
  Cursor signon = at_;
  if (!GoToTag(end, "</OFX>")) {
    at_ = signon;
    return false;
  }
  return true;
}

bool VYXOFXStream::GetSegment(OFX_SegmentType* type) {
  *type = kOFXSegmentNone;
  std::string_view line;
  while (NextLine(&line)) {
    if (Contains(line, "</OFX>")) return false;
    // Lines that hold no tag (a value broken over lines) are passed over.
    size_t lt = line.find('<');
    size_t gt = lt == std::string_view::npos ? lt : line.find('>', lt);
    if (gt == std::string_view::npos) continue;
    std::string tag(line.substr(lt, gt - lt + 1));
    for (char& c : tag) c = Upper(c);
    if (tag == "<BANKMSGSRSV1>" || tag == "<BANKMSGSRSV2>") {
      *type = kOFXSegmentBank;
    } else if (tag == "<CREDITCARDMSGSRSV1>" || tag == "<CREDITCARDMSGSRSV2>") {
      *type = kOFXSegmentCreditCard;
    } else {
      continue;
    }
    version_ = tag[tag.size() - 2] == '2' ? 2 : 1;
    return true;
  }
  return false;
}

bool VYXOFXStream::GetAccount(OFX_SegmentType type, OFXAccount* account) {
  *account = OFXAccount();
  bool card = type == kOFXSegmentCreditCard;
  const char* rs = card ? "<CCSTMTRS>" : "<STMTRS>";
  const char* rsEnd = card ? "</CCSTMTRS>" : "</STMTRS>";
  const char* trnrs = card ? "<CCSTMTTRNRS>" : "<STMTTRNRS>";
  const char* trnrsEnd = card ? "</CCSTMTTRNRS>" : "</STMTTRNRS>";
  const char* from = card ? "<CCACCTFROM>" : "<BANKACCTFROM>";
  const char* fromEnd = card ? "</CCACCTFROM>" : "</BANKACCTFROM>";
  // Some banks give several statements in one response.
  if (!NextTagIs(rs)) {
    if (!GoToTag(trnrs, SegmentEndTag(type))) return false;
    if (!GoToTag(rs, trnrsEnd)) return false;
  }
  // A statement that does not say which account it is of is read all the
  // same: the search for the account's aggregate must not pass its lines.
  Cursor statement = at_;
  if (GoToTag(from, rsEnd)) {
    std::string value;
    if (GetValue("<ACCTID>", fromEnd, &value, true)) StdToP(value, account->id, 127);
    if (!card && GetValue("<ACCTTYPE>", fromEnd, &value, true)) StdToP(value, account->type, 127);
  } else {
    at_ = statement;
  }
  return GoToTag("<BANKTRANLIST>", trnrsEnd);
}

bool VYXOFXStream::GetEcriture(OFXEcriture* e) {
  *e = OFXEcriture();
  if (!GoToTag("<STMTTRN>", "</BANKTRANLIST>")) return false;
  e->line = lineFileLine_;
  // The transaction's lines, up to its end tag, or up to what shows that a
  // writer left it out (the next transaction, the end of the list).
  struct Field {
    explicit Field(std::string_view t) : tag(t) {}
    std::string_view tag;
    std::string value;
    long line = 0;
    bool found = false;
  };
  Field fields[] = {Field("<TRNAMT>"), Field("<DTPOSTED>"), Field("<NAME>"),
                    Field("<MEMO>"),   Field("<CHECKNUM>"), Field("<FITID>"),
                    Field("<DTUSER>")};
  std::string_view line;
  for (;;) {
    Cursor before = at_;
    if (!NextLine(&line)) break;
    // Every tag looked for opens a line: a line that opens with none is
    // passed at once, and the others are compared from their "<".
    size_t b = 0;
    while (b < line.size() && IsBlank(line[b])) ++b;
    if (b == line.size() || line[b] != '<') continue;
    std::string_view at = line.substr(b);
    char first = at.size() > 1 ? Upper(at[1]) : 0;
    if (first == '/' && OpensWith(at, "</STMTTRN>")) break;
    if ((first == 'S' && OpensWith(at, "<STMTTRN>")) ||
        (first == '/' && OpensWith(at, "</BANKTRANLIST>"))) {
      at_ = before;
      break;
    }
    for (Field& f : fields) {
      if (f.found || f.tag[1] != first || !OpensWith(at, f.tag)) continue;
      f.found = true;
      f.value = Decode(ValueOf(line, f.tag));
      f.line = lineFileLine_;
    }
  }
  Field& amount = fields[0];
  // Without the day the bank booked it, the day it was made.
  Field& date = fields[1].found && !fields[1].value.empty() ? fields[1] : fields[6];
  if (!amount.found || amount.value.empty()) {
    VYXThrowAtLine(kVYXExchangeTexts, kExOFXNoAmount, e->line);
  }
  e->amount = Amount(amount.value, amount.line);
  bool ok = false;
  if (date.found) e->date = Date(date.value, date.line, &ok);
  if (!date.found || date.value.empty()) {
    VYXThrowAtLine(kVYXExchangeTexts, kExOFXNoDate, e->line);
  }
  if (!ok) VYXThrowAtLine(kVYXExchangeTexts, kExOFXBadDate, date.line, {date.value});
  StdToP(fields[2].value, e->name, 127);
  StdToP(fields[3].value, e->memo, 127);
  StdToP(fields[4].value, e->checkNum, 127);
  StdToP(fields[5].value, e->fitid, 127);
  return true;
}

bool VYXOFXStream::GetSolde(double* balance, CPDate* date) {
  Cursor saved = at_;
  if (!GoToTag("<LEDGERBAL>", "</STMTTRNRS>")) {
    at_ = saved;
    return false;
  }
  std::string amount, asOf;
  bool hasAmount = GetValue("<BALAMT>", "</LEDGERBAL>", &amount, true);
  bool hasDate = GetValue("<DTASOF>", "</LEDGERBAL>", &asOf, true);
  Cursor inside = at_;
  if (!GoToTag("</LEDGERBAL>", "</STMTTRNRS>")) at_ = inside;
  // A balance that does not read is no balance: the statement's lines stand.
  double v = 0;
  std::string s = amount;
  if (s.size() > 2 && s[s.size() - 3] == '.') s[s.size() - 3] = char(CPGetDecimalChar());
  Str255 text;
  StdToP(amount, text);
  if (!hasAmount || amount.empty() || (!MacStrToNum(s, v) && !VYXQIFStream::GetMontant(text, &v))) {
    return false;
  }
  *balance = v;
  if (date) {
    bool ok = false;
    CPDate d = hasDate ? Date(asOf, 0, &ok) : 0;
    *date = ok ? d : 0;
  }
  return true;
}

bool VYXOFXStream::GoToNextAccount(OFX_SegmentType type) {
  bool card = type == kOFXSegmentCreditCard;
  if (!GoToTag(card ? "</CCSTMTRS>" : "</STMTRS>", card ? "</CCSTMTTRNRS>" : "</STMTTRNRS>")) {
    return false;
  }
  Cursor saved = at_;
  if (NextTagIs(card ? "<CCSTMTRS>" : "<STMTRS>")) {
    at_ = saved;
    return true;
  }
  return GoToTag(card ? "</CCSTMTTRNRS>" : "</STMTTRNRS>", SegmentEndTag(type));
}

bool VYXOFXStream::NextTransactionList() {
  Cursor saved = at_;
  if (NextTagIs("<BANKTRANLIST>")) {
    std::string_view line;
    NextLine(&line);
    return true;
  }
  at_ = saved;
  return false;
}

bool VYXOFXStream::GoToNextSegment(OFX_SegmentType type) {
  return GoToTag(SegmentEndTag(type), "</OFX>");
}
