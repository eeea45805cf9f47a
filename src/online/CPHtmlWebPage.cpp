#include "online/CPHtmlWebPage.h"

#include "online/CPScriptText.h"

namespace {
const char* const kTypeNames[] = {"",      "PAGE",     "FRAMESET", "FRAME", "FORM",  "TABLE",  "TABLEHEADER", "TABLEROW",
                                  "TABLEDATA", "TEXT", "LINK",     "IMAGE", "INPUT", "SELECT", "OPTION"};
}

int CPHtmlItemTypeFromName(std::string_view name) {
  for (int t = 1; t <= kCPHtmlOption; ++t)
    if (CPScriptSameName(name, kTypeNames[t])) return t;
  return 0;
}

CPHtmlFindTest CPHtmlFindTestFromName(std::string_view name) {
  if (name == "NOTEQUAL") return kCPFindNotEqual;
  if (name == "BEGINSWITH") return kCPFindBeginsWith;
  if (name == "CONTAINS") return kCPFindContains;
  return kCPFindEqual;
}

CPHtmlMove CPHtmlMoveFromName(std::string_view name) {
  if (name == "SAME") return kCPMoveSame;
  if (name == "SUB") return kCPMoveSub;
  if (name == "ALLSUB") return kCPMoveAllSub;
  return kCPMoveAny;
}

std::string CPHtmlParserItem::Attribute(std::string_view name) const {
  for (const auto& [n, v] : attributes)
    if (CPScriptSameName(n, name)) return v;
  return {};
}

std::string CPHtmlWebPage::GetProperty(std::string_view name) const {
  for (const CPHtmlPageProp& p : properties_)
    if (p.name == name) return p.value;
  return {};
}

void CPHtmlWebPage::SetContent(const std::string& url, const std::string& refUrl, std::string content,
                               const std::string& charset) {
  url_ = url;
  charset_ = charset;
  refUrl_ = refUrl;
  content_ = std::move(content);
  Parse();
}

bool CPHtmlWebPage::IsSearchedItem(int index, CPHtmlFindTest test, std::string_view text, bool byName) const {
  const CPHtmlParserItem& item = GetItem(index);
  std::string a = CPScriptFold(byName ? item.name : item.value), b = CPScriptFold(text);
  switch (test) {
    case kCPFindNotEqual: return a != b;
    case kCPFindBeginsWith: return a.rfind(b, 0) == 0;
    case kCPFindContains: return a.find(b) != std::string::npos;
    default: return a == b;
  }
}

template <typename F>
bool CPHtmlWebPage::Walk(CPHtmlMove move, int until, F visit) {
  int level = marker_ > 0 ? GetItem(marker_).level : -1;
  for (int i = marker_ + 1; i <= GetNbOfItems(); ++i) {
    int l = GetItem(i).level;
    if (move == kCPMoveSame && l < level) return false;  // left the parent
    if ((move == kCPMoveSub || move == kCPMoveAllSub) && l <= level) return false;
    if (move == kCPMoveSame && l != level) continue;
    if (move == kCPMoveSub && l != level + 1) continue;
    if (visit(i)) {
      marker_ = i;
      return true;
    }
    if (until != 0 && GetItem(i).type == until) return false;
  }
  return false;
}

bool CPHtmlWebPage::SetMarker(CPHtmlParserItemType type, int index, CPHtmlMove move, int until) {
  int seen = 0;
  return Walk(move, until, [&](int i) { return GetItem(i).type == type && ++seen >= std::max(index, 1); });
}

bool CPHtmlWebPage::SetMarker(CPHtmlParserItemType type, CPHtmlFindTest test, std::string_view text, bool byName,
                              CPHtmlMove move, int until) {
  return Walk(move, until, [&](int i) { return GetItem(i).type == type && IsSearchedItem(i, test, text, byName); });
}

std::string CPHtmlWebPage::ItemsText() const {
  std::string out;
  for (int i = 1; i <= GetNbOfItems(); ++i) {
    const CPHtmlParserItem& item = GetItem(i);
    out += std::to_string(i) + "\t" + std::string(item.level, ' ') + kTypeNames[item.type] + "\t" + item.name +
           "\t" + item.value + "\t" + item.text + "\r";
  }
  return out;
}

std::string CPHtmlWebPage::PropertiesText() const {
  std::string out;
  for (const CPHtmlPageProp& p : properties_) out += p.name + "=" + p.value + "\r";
  return out;
}
