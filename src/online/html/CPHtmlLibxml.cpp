// Splitting a page into items with libxml2's HTML parser, which reads broken
// HTML as a browser would (unclosed cells, stray tags), detects the page's
// encoding and never reaches the network. Elements that carry no item (div,
// span, tbody...) are looked through: their content belongs to the nearest
// item above. Built as the module vyx-html, loaded by the first page read,
// so that libxml2 and its compression libraries cost nothing to the other
// commands. Texts come out in UTF-8; the program converts them.
#include <libxml/HTMLparser.h>
#include <libxml/tree.h>

#include <algorithm>
#include <cctype>

#include "online/CPHtmlWebPage.h"

namespace {

// Blanks of any kind run together into one space, none at the ends.
std::string Collapse(const std::string& text) {
  std::string out;
  bool blank = false;
  for (unsigned char c : text) {
    if (std::isspace(c)) {
      blank = !out.empty();
    } else {
      if (blank) out += ' ';
      out += static_cast<char>(c);
      blank = false;
    }
  }
  return out;
}

std::string NodeText(xmlNode* node) {
  xmlChar* content = xmlNodeGetContent(node);
  std::string text = content ? reinterpret_cast<const char*>(content) : "";
  xmlFree(content);
  return Collapse(text);
}

int TypeOfElement(const std::string& tag) {
  if (tag == "frameset") return kCPHtmlFrameset;
  if (tag == "frame" || tag == "iframe") return kCPHtmlFrame;
  if (tag == "form") return kCPHtmlForm;
  if (tag == "table") return kCPHtmlTable;
  if (tag == "th") return kCPHtmlTableHeader;
  if (tag == "tr") return kCPHtmlTableRow;
  if (tag == "td") return kCPHtmlTableData;
  if (tag == "a") return kCPHtmlLink;
  if (tag == "img") return kCPHtmlImage;
  if (tag == "input" || tag == "button" || tag == "textarea") return kCPHtmlInput;
  if (tag == "select") return kCPHtmlSelect;
  if (tag == "option") return kCPHtmlOption;
  return 0;
}

class Builder {
 public:
  Builder(std::vector<CPHtmlParserItem>& items, std::string* title, bool* titled)
      : items_(items), title_(title), titled_(titled) {}

  void Visit(xmlNode* node, int level) {
    for (xmlNode* n = node; n; n = n->next) {
      if (n->type == XML_TEXT_NODE || n->type == XML_CDATA_SECTION_NODE) {
        std::string text = NodeText(n);
        if (!text.empty()) Add(kCPHtmlText, level, text, text, text, {});
        continue;
      }
      if (n->type != XML_ELEMENT_NODE) continue;
      std::string tag = Lower(reinterpret_cast<const char*>(n->name));
      if (tag == "script" || tag == "style" || tag == "head") {
        if (tag == "head") Visit(n->children, level);  // for the title only
        continue;
      }
      if (tag == "title") {
        *title_ = NodeText(n);
        *titled_ = true;
        continue;
      }
      int type = TypeOfElement(tag);
      if (type == 0) {
        Visit(n->children, level);
        continue;
      }
      std::vector<std::pair<std::string, std::string>> attributes;
      for (xmlAttr* a = n->properties; a; a = a->next) {
        xmlChar* v = xmlNodeListGetString(n->doc, a->children, 1);
        attributes.emplace_back(Lower(reinterpret_cast<const char*>(a->name)),
                                v ? reinterpret_cast<const char*>(v) : "");
        xmlFree(v);
      }
      auto attr = [&](const char* name) {
        for (const auto& [k, v] : attributes)
          if (k == name) return v;
        return std::string();
      };
      std::string text = type == kCPHtmlForm || type == kCPHtmlTable || type == kCPHtmlFrameset ||
                                 type == kCPHtmlSelect
                             ? std::string()
                             : NodeText(n);
      std::string name, value;
      switch (type) {
        case kCPHtmlFrame: name = attr("name"); value = attr("src"); break;
        case kCPHtmlForm: name = !attr("name").empty() ? attr("name") : attr("id"); value = attr("action"); break;
        case kCPHtmlTable: case kCPHtmlTableRow: case kCPHtmlTableHeader: case kCPHtmlTableData:
          name = !attr("id").empty() ? attr("id") : attr("class"); value = text; break;
        case kCPHtmlLink: name = text; value = attr("href"); break;
        case kCPHtmlImage: name = !attr("alt").empty() ? attr("alt") : attr("name"); value = attr("src"); text = attr("alt"); break;
        case kCPHtmlInput:
          name = attr("name");
          value = tag == "textarea" ? text : attr("value");
          if (tag != "input" && attr("type").empty()) attributes.emplace_back("type", tag == "button" ? "submit" : "text");
          text = Lower(attr("type").empty() ? (tag == "input" ? "text" : "") : attr("type"));
          if (text.empty()) text = tag == "button" ? "submit" : "text";
          break;
        case kCPHtmlSelect: name = attr("name"); break;
        case kCPHtmlOption:
          name = text;
          value = attributes.end() != std::find_if(attributes.begin(), attributes.end(),
                                                    [](const auto& p) { return p.first == "value"; })
                      ? attr("value")
                      : text;
          break;
        default: break;
      }
      size_t index = items_.size();
      Add(static_cast<CPHtmlParserItemType>(type), level, name, value, text, std::move(attributes));
      // Inputs, options and images hold no items of their own; the others do.
      if (type != kCPHtmlInput && type != kCPHtmlOption && type != kCPHtmlImage) Visit(n->children, level + 1);
      if (type == kCPHtmlSelect) ChooseOption(index);
    }
  }

 private:
  static std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
  }

  void Add(CPHtmlParserItemType type, int level, std::string name, std::string value, std::string text,
           std::vector<std::pair<std::string, std::string>> attributes) {
    CPHtmlParserItem item;
    item.type = type;
    item.level = level;
    item.name = std::move(name);
    item.value = std::move(value);
    item.text = std::move(text);
    item.attributes = std::move(attributes);
    items_.push_back(std::move(item));
  }

  // A select's value and text are those of its chosen option (the first one
  // when none is marked selected).
  void ChooseOption(size_t select) {
    size_t chosen = 0;
    for (size_t i = select + 1; i < items_.size() && items_[i].level > items_[select].level; ++i) {
      if (items_[i].type != kCPHtmlOption) continue;
      if (chosen == 0) chosen = i;
      bool selected = false;
      for (const auto& [k, v] : items_[i].attributes) selected = selected || k == "selected";
      if (selected) {
        chosen = i;
        break;
      }
    }
    if (chosen) {
      items_[select].value = items_[chosen].value;
      items_[select].text = items_[chosen].text;
    }
  }

  std::vector<CPHtmlParserItem>& items_;
  std::string* title_;
  bool* titled_;
};

}  // namespace

extern "C" {

// The items of `content`, levels from 1, added after the page's own, and the
// text of its last <title> (`titled` when it has one); false when libxml2
// made nothing of it.
__attribute__((visibility("default"))) bool vyx_html_parse(const std::string& content,
                                                           const std::string& url,
                                                           const std::string& charset,
                                                           std::vector<CPHtmlParserItem>* items,
                                                           std::string* title, bool* titled) {
  htmlDocPtr doc = htmlReadMemory(content.data(), static_cast<int>(content.size()), url.c_str(),
                                  charset.empty() ? nullptr : charset.c_str(),
                                  HTML_PARSE_RECOVER | HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING |
                                      HTML_PARSE_NONET | HTML_PARSE_COMPACT);
  if (!doc) return false;
  Builder(*items, title, titled).Visit(xmlDocGetRootElement(doc), 1);
  xmlFreeDoc(doc);
  return true;
}

}  // extern "C"
