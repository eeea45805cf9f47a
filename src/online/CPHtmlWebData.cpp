#include "online/CPHtmlWebData.h"

#include "online/CPHtmlWebPage.h"

CPHtmlWebData::CPHtmlWebData(const CPHtmlWebPage& page, int item, int count)
    : page_(page), item_(item), count_(count) {
  Parse();
}

void CPHtmlWebData::Parse() {
  data_.clear();
  if (item_ < 1 || item_ > page_.GetNbOfItems()) return;
  const CPHtmlParserItem& top = page_.GetItem(item_);
  bool cells = top.type == kCPHtmlTable || top.type == kCPHtmlTableRow;
  for (int i = item_ + 1; i <= page_.GetNbOfItems() && page_.GetItem(i).level > top.level; ++i) {
    const CPHtmlParserItem& it = page_.GetItem(i);
    if (cells ? (it.type == kCPHtmlTableData || it.type == kCPHtmlTableHeader) : it.type == kCPHtmlText)
      data_.push_back(it.text);
  }
}

std::string CPHtmlWebData::GetData(int index) const {
  return index >= 1 && index <= GetNbOfItems() ? data_[index - 1] : std::string();
}

std::vector<std::string> CPHtmlWebData::Elements() const {
  if (count_ <= 1) return data_;
  std::vector<std::string> out;
  for (size_t i = 0; i < data_.size(); i += count_) {
    std::string joined;
    for (size_t k = i; k < data_.size() && k < i + count_; ++k) joined += (k > i ? " " : "") + data_[k];
    out.push_back(joined);
  }
  return out;
}
