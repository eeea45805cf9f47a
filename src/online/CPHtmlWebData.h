// The texts under one item of a page, in order: the cells of a table row (or
// of a whole table), else the texts of the item's sub-items. What SETMARKER
// puts in an ARRAY.
#ifndef VYX_ONLINE_CPHTMLWEBDATA_H_
#define VYX_ONLINE_CPHTMLWEBDATA_H_

#include <string>
#include <vector>

class CPHtmlWebPage;

class CPHtmlWebData {
 public:
  CPHtmlWebData(const CPHtmlWebPage& page, int item, int count);
  void Parse();
  int GetNbOfItems() const { return static_cast<int>(data_.size()); }
  // Text `index` (from 1), or "" beyond the last.
  std::string GetData(int index) const;
  // The texts grouped `count` at a time (joined by a blank), as array elements.
  std::vector<std::string> Elements() const;

 private:
  const CPHtmlWebPage& page_;
  int item_;
  int count_;
  std::vector<std::string> data_;
};

#endif  // VYX_ONLINE_CPHTMLWEBDATA_H_
