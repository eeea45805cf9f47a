#include "exchange/VYXReleveFile.h"

#include <filesystem>
#include <system_error>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPFileStream.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"

namespace {

constexpr OSType kTextCreator = 'ttxt';
constexpr OSType kTextType = 'TEXT';
// A card line already charged is of no more interest two months on.
constexpr CPDate kChargedFor = 5184000;

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return fields;
}

bool Enclosed(const std::string& s, char open, char close) {
  return s.size() >= 2 && s.front() == open && s.back() == close;
}

// A field may not hold what separates fields and lines.
std::string Clean(std::string s) {
  for (char& c : s)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return s;
}

OSType KindOf(const std::string& code) {
  if (code == "OPER" || code == "REPO") return kVYXLineOperation;
  if (code == "ECCB" || code == "BCCE") return kVYXLineCard;
  if (code == "SOLD" || code == "DLOS") return kVYXLineBalance;
  return 0;
}

}  // namespace

VYXReleveFile::VYXReleveFile(const CPFileRef& file, Format format)
    : file_(file), format_(format) {}

CPFileRef VYXReleveFile::ForCompte(const CPFileRef& compteFile) {
  std::filesystem::path p = compteFile.Path();
  std::string stem = p.filename().string();
  if (stem.size() > 4 && stem.compare(stem.size() - 4, 4, ".cpt") == 0) {
    stem.resize(stem.size() - 4);
  }
  return compteFile.Sibling(stem + ".releves");
}

void VYXReleveFile::Read() {
  records_.clear();
  items_.clear();
  balances_.clear();
  length_ = 0;
  if (!file_.Exists()) return;
  std::string bytes;
  {
    CPFileStream stream(file_);
    stream.Open(kCPFileRead);
    bytes.resize(stream.GetLength());
    if (!bytes.empty()) stream.ReadData(bytes.data(), long(bytes.size()));
    stream.Close();
  }
  long number = 0;
  for (size_t start = 0; start < bytes.size();) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    ParseLine(bytes.substr(start, end - start), ++number);
    start = end;
    if (start < bytes.size()) {
      bool crlf = bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n';
      start += crlf ? 2 : 1;
    }
  }
  Renumber();
}

void VYXReleveFile::ParseLine(const std::string& raw, long number) {
  std::vector<std::string> fields = SplitTabs(raw);
  OSType kind = KindOf(fields[0]);
  if (kind == 0) {
    records_.push_back({Kind::kOther, 0, raw});
    return;
  }
  // Someone may have edited the file with a UTF-8 editor.
  if (CPIsNonASCIIUTF8(raw)) {
    std::string mac;
    CPForeignToMacRoman(raw, kCPUTF8, &mac);
    fields = SplitTabs(mac);
  }
  auto fault = [&](int item, const std::string& value) {
    std::string what = CPGetListString(kVYXExchangeTexts, item);
    CPReplaceVar(what, 1, value);
    std::string text = CPGetListString(kVYXExchangeTexts, kExReleveLine);
    CPReplaceVar(text, 1, std::to_string(number));
    CPReplaceVar(text, 2, file_.Name());
    CPReplaceVar(text, 3, what);
    CPThrowMessage(kVYXErrReleveFile, text);
  };
  auto field = [&](size_t i) { return i < fields.size() ? fields[i] : std::string(); };
  CPDate date = 0;
  if (!CPStrToDate(field(1), date) || date == 0) fault(kExReleveBadDate, field(1));
  double montant = 0;
  size_t amountField = kind == kVYXLineBalance ? 2 : 3;
  if (field(amountField).empty() || !MacStrToNum(field(amountField), montant)) {
    fault(kExReleveBadAmount, field(amountField));
  }
  if (kind == kVYXLineBalance) {
    records_.push_back({Kind::kBalance, balances_.size(), {}});
    balances_.push_back({date, montant});
    return;
  }
  VYXInternetDataItem item;
  item.kind = kind;
  item.date = date;
  item.montant = montant;
  item.number = number;
  std::string label = field(2);
  if (Enclosed(label, '(', ')')) {
    item.setAside = true;
    label = label.substr(1, label.size() - 2);
  } else if (Enclosed(label, '{', '}')) {
    // A validated card line; for a statement line, one that was validated
    // against operations or added as one.
    if (kind == kVYXLineCard) item.validated = true;
    item.done = true;
    label = label.substr(1, label.size() - 2);
  }
  std::string reference = field(4);
  if (kind == kVYXLineCard && Enclosed(reference, '[', ']')) {
    item.charged = true;
    reference = reference.substr(1, reference.size() - 2);
    if (date + kChargedFor < CPGetDate()) item.done = true;
  }
  if (item.setAside) item.done = true;
  StdToP(label, item.libelle, sizeof(Str64) - 1);
  StdToP(reference, item.reference, sizeof(Str20) - 1);
  StdToP(field(5), item.complement);
  StdToP(field(6), item.fitid, sizeof(Str63) - 1);
  records_.push_back({Kind::kItem, items_.size(), {}});
  items_.push_back(item);
}

std::string VYXReleveFile::LineText(const VYXInternetDataItem& item) const {
  std::string label = Clean(PToStd(item.libelle));
  if (item.setAside) {
    label = "(" + label + ")";
  } else if (item.kind == kVYXLineCard ? item.validated : item.done) {
    label = "{" + label + "}";
  }
  std::string reference = item.pieceFromLabel ? std::string() : Clean(PToStd(item.reference));
  if (item.kind == kVYXLineCard && item.charged) reference = "[" + reference + "]";
  std::string line = CPString::FromType(item.kind).Std();
  line += '\t' + CPDateToStr(item.date);
  line += '\t' + label;
  line += '\t' + MacNumToStr(item.montant, format_.decimals, format_.thousands);
  line += '\t' + reference;
  line += '\t' + Clean(PToStd(item.complement));
  if (item.fitid[0] != 0) line += '\t' + Clean(PToStd(item.fitid));
  return line;
}

VYXInternetDataItem& VYXReleveFile::AddItem(const VYXInternetDataItem& item) {
  records_.push_back({Kind::kItem, items_.size(), {}});
  items_.push_back(item);
  // Numbered after what the file holds, without going through it again: a
  // statement of many lines is recorded in time proportional to its size.
  VYXInternetDataItem& added = items_.back();
  added.number = long(records_.size());
  added.id = length_;
  length_ += uint32_t(LineText(added).size() + 1);
  return added;
}

void VYXReleveFile::AddBalance(CPDate date, double montant) {
  records_.push_back({Kind::kBalance, balances_.size(), {}});
  balances_.push_back({date, montant});
  length_ += uint32_t(BalanceText(balances_.back()).size() + 1);
}

std::string VYXReleveFile::BalanceText(const Balance& b) const {
  return "SOLD\t" + CPDateToStr(b.date) + '\t' +
         MacNumToStr(b.montant, format_.decimals, format_.thousands);
}

void VYXReleveFile::RemoveItems(const std::function<bool(const VYXInternetDataItem&)>& drop) {
  std::vector<Record> records;
  std::vector<VYXInternetDataItem> items;
  for (const Record& r : records_) {
    if (r.kind != Kind::kItem) {
      records.push_back(r);
      continue;
    }
    if (drop(items_[r.index])) continue;
    records.push_back({Kind::kItem, items.size(), {}});
    items.push_back(items_[r.index]);
  }
  records_ = std::move(records);
  items_ = std::move(items);
  Renumber();
}

void VYXReleveFile::Renumber() {
  uint32_t offset = 0;
  long number = 0;
  for (const Record& r : records_) {
    ++number;
    size_t length;
    if (r.kind == Kind::kItem) {
      VYXInternetDataItem& item = items_[r.index];
      item.number = number;
      item.id = offset;
      length = LineText(item).size();
    } else if (r.kind == Kind::kBalance) {
      length = BalanceText(balances_[r.index]).size();
    } else {
      length = r.raw.size();
    }
    offset += uint32_t(length + 1);
  }
  length_ = offset;
}

void VYXReleveFile::Save() {
  std::string text;
  for (const Record& r : records_) {
    if (r.kind == Kind::kItem) {
      text += LineText(items_[r.index]);
    } else if (r.kind == Kind::kBalance) {
      text += BalanceText(balances_[r.index]);
    } else {
      text += r.raw;
    }
    text += '\r';
  }
  CPFileRef temp = file_.Sibling(file_.Name() + ".tmp");
  try {
    CPFileStream stream(temp);
    stream.Create(kTextCreator, kTextType, true);
    stream.Open(kCPFileReadWrite);
    if (!text.empty()) stream.WriteData(text.data(), long(text.size()));
    stream.Close();
    std::error_code ec;
    std::filesystem::rename(temp.Path(), file_.Path(), ec);
    if (ec) CPThrowIfOSErr(CPFileSystem::FromErrno(ec.value()));
  } catch (...) {
    std::error_code ignored;
    std::filesystem::remove(temp.Path(), ignored);
    throw;
  }
  Renumber();
}
