// A downloaded page: its address, the answer's properties, its bytes, and the
// flat list of items a real HTML parser (libxml2's, which mends broken HTML
// as browsers do) finds in it, with the marker that scripts move over them.
// Items are numbered from 1; the marker is 0 before the first. Texts of items
// are MacRoman (characters MacRoman lacks become '?').
#ifndef VYX_ONLINE_CPHTMLWEBPAGE_H_
#define VYX_ONLINE_CPHTMLWEBPAGE_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

enum CPHtmlParserItemType {
  kCPHtmlPage = 1,
  kCPHtmlFrameset = 2,
  kCPHtmlFrame = 3,
  kCPHtmlForm = 4,
  kCPHtmlTable = 5,
  kCPHtmlTableHeader = 6,
  kCPHtmlTableRow = 7,
  kCPHtmlTableData = 8,
  kCPHtmlText = 9,
  kCPHtmlLink = 10,
  kCPHtmlImage = 11,
  kCPHtmlInput = 12,
  kCPHtmlSelect = 13,
  kCPHtmlOption = 14,
};
enum CPHtmlFindTest { kCPFindEqual = 1, kCPFindNotEqual = 2, kCPFindBeginsWith = 3, kCPFindContains = 4 };
enum CPHtmlMove { kCPMoveAny = 0, kCPMoveSame = 1, kCPMoveSub = 2, kCPMoveAllSub = 3 };

// The type named as scripts name it ("TABLEROW"...), 0 when unknown.
int CPHtmlItemTypeFromName(std::string_view name);
CPHtmlFindTest CPHtmlFindTestFromName(std::string_view name);
CPHtmlMove CPHtmlMoveFromName(std::string_view name);

struct CPHtmlParserItem {
  CPHtmlParserItemType type = kCPHtmlText;
  int level = 0;
  std::string name;
  std::string value;
  std::string text;
  std::vector<std::pair<std::string, std::string>> attributes;  // names in lower case
  // An attribute's value, "" when absent.
  std::string Attribute(std::string_view name) const;
};

struct CPHtmlPageProp {
  std::string name;
  std::string value;
};

class CPHtmlWebPage {
 public:
  const std::string& GetUrl() const { return url_; }
  const std::string& GetRefUrl() const { return refUrl_; }
  const std::vector<CPHtmlPageProp>& GetProperties() const { return properties_; }
  std::string GetProperty(std::string_view name) const;
  void AddProperty(std::string name, std::string value) { properties_.push_back({std::move(name), std::move(value)}); }
  // The page's bytes as received from `url` (after redirections).
  // `charset` is the one the answer's header names, empty when none.
  void SetContent(const std::string& url, const std::string& refUrl, std::string content,
                  const std::string& charset = {});
  const std::string& GetContent() const { return content_; }

  // Splits the content into items (done by SetContent).
  void Parse();
  int GetNbOfItems() const { return static_cast<int>(items_.size()); }
  // Item `index`, from 1.
  const CPHtmlParserItem& GetItem(int index) const { return items_.at(index - 1); }

  bool IsSearchedItem(int index, CPHtmlFindTest test, std::string_view text, bool byName) const;
  void ResetMarker() { marker_ = 0; }
  void SetMarker(int marker) { marker_ = marker < 0 || marker > GetNbOfItems() ? 0 : marker; }
  // The `index`-th item of `type` after the marker within `move`; true when
  // found. A search with an end type `until` (not 0) ends, unfound, at the
  // first item of that type that is not itself the one looked for, so that
  // a script can search within one table or one form.
  bool SetMarker(CPHtmlParserItemType type, int index, CPHtmlMove move, int until = 0);
  // The next item of `type` whose name (or value) passes `test`.
  bool SetMarker(CPHtmlParserItemType type, CPHtmlFindTest test, std::string_view text, bool byName,
                 CPHtmlMove move, int until = 0);
  int GetMarker() const { return marker_; }

  // The items as the log shows them, one a line.
  std::string ItemsText() const;
  std::string PropertiesText() const;

 private:
  // Calls `visit` on each item after the marker within `move`, until it
  // answers true or an item of type `until` comes.
  template <typename F>
  bool Walk(CPHtmlMove move, int until, F visit);

  std::string url_;
  std::string refUrl_;
  std::vector<CPHtmlPageProp> properties_;
  std::string content_;
  std::string charset_;
  std::vector<CPHtmlParserItem> items_;
  int marker_ = 0;
};

#endif  // VYX_ONLINE_CPHTMLWEBPAGE_H_
