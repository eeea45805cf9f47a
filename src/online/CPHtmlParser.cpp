// The program's side of reading a page: libxml2's walk is in the module
// vyx-html (html/CPHtmlLibxml.cpp), loaded by the first page read; its UTF-8
// texts become MacRoman here, characters MacRoman lacks turned into '?'.
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPHtmlWebPage.h"
#include "platform/CPModule.h"
#include "platform/CPPlatformErrors.h"

namespace {

void ToMacRoman(std::string& text) {
  bool lossy = false;
  text = CPConvertTextLenient(text, kCPUTF8, kCPMacRoman, &lossy);
}

}  // namespace

void CPHtmlWebPage::Parse() {
  items_.clear();
  marker_ = 0;
  CPHtmlParserItem page;
  page.type = kCPHtmlPage;
  page.level = 0;
  page.value = url_;
  items_.push_back(page);
  if (content_.empty()) return;
  using ParseHtml = bool(const std::string&, const std::string&, const std::string&,
                         std::vector<CPHtmlParserItem>*, std::string*, bool*);
  std::string why;
  auto* parse = reinterpret_cast<ParseHtml*>(CPModuleSymbol("vyx-html", "vyx_html_parse", &why));
  if (!parse) CPThrow(kCPErrHtmlUnavailable);
  std::string title;
  bool titled = false;
  if (!parse(content_, url_, charset_, &items_, &title, &titled)) return;
  if (titled) {
    ToMacRoman(title);
    items_[0].name = items_[0].text = title;
  }
  for (size_t i = 1; i < items_.size(); ++i) {
    CPHtmlParserItem& item = items_[i];
    ToMacRoman(item.name);
    ToMacRoman(item.value);
    ToMacRoman(item.text);
    for (auto& attribute : item.attributes) ToMacRoman(attribute.second);
  }
}
