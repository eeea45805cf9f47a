#include "app/VYXVersionCheck.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "app/VYXAppTexts.h"
#include "app/VYXGlobalPreferences.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPHttp.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"
#include "platform/CPUtf8.h"

namespace {

constexpr char kCR = '\r';
// A version answer is a few lines; anything larger is not one.
constexpr size_t kMaxAnswerBytes = 64 * 1024;

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

std::string Trim(const std::string& s) {
  size_t first = s.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  size_t last = s.find_last_not_of(" \t\r\n");
  return s.substr(first, last - first + 1);
}

std::string CodePointToUtf8(uint32_t cp) {
  std::string out;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// The character of an entity's name ("eacute", "#233", "#xE9"), 0 when unknown.
uint32_t EntityCodePoint(const std::string& name) {
  if (name.size() > 1 && name[0] == '#') {
    bool hex = name[1] == 'x' || name[1] == 'X';
    const char* digits = name.c_str() + (hex ? 2 : 1);
    if (!*digits) return 0;
    char* end = nullptr;
    unsigned long cp = std::strtoul(digits, &end, hex ? 16 : 10);
    if (*end || cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return static_cast<uint32_t>(cp);
  }
  static const struct {
    const char* name;
    uint32_t cp;
  } kNamed[] = {
      {"amp", '&'},      {"lt", '<'},        {"gt", '>'},        {"quot", '"'},      {"apos", '\''},
      {"nbsp", ' '},     {"eacute", 0xE9},   {"egrave", 0xE8},   {"ecirc", 0xEA},    {"euml", 0xEB},
      {"agrave", 0xE0},  {"acirc", 0xE2},    {"auml", 0xE4},     {"ccedil", 0xE7},   {"icirc", 0xEE},
      {"iuml", 0xEF},    {"ocirc", 0xF4},    {"ouml", 0xF6},     {"ugrave", 0xF9},   {"ucirc", 0xFB},
      {"uuml", 0xFC},    {"yuml", 0xFF},     {"Eacute", 0xC9},   {"Egrave", 0xC8},   {"Ecirc", 0xCA},
      {"Agrave", 0xC0},  {"Acirc", 0xC2},    {"Ccedil", 0xC7},   {"Icirc", 0xCE},    {"Ocirc", 0xD4},
      {"Ugrave", 0xD9},  {"oelig", 0x153},   {"OElig", 0x152},   {"euro", 0x20AC},   {"laquo", 0xAB},
      {"raquo", 0xBB},   {"hellip", 0x2026}, {"rsquo", 0x2019},  {"lsquo", 0x2018},  {"rdquo", 0x201D},
      {"ldquo", 0x201C}, {"ndash", 0x2013},  {"mdash", 0x2014},  {"deg", 0xB0},      {"copy", 0xA9},
      {"reg", 0xAE},     {"trade", 0x2122},  {"middot", 0xB7},   {"bull", 0x2022},
  };
  for (const auto& e : kNamed) {
    if (name == e.name) return e.cp;
  }
  return 0;
}

// Builds plain text: blanks collapse to one space, never at a line's ends.
class TextBuilder {
 public:
  void Char(char c) {
    if (pendingSpace_ && !out_.empty() && out_.back() != kCR) out_ += ' ';
    pendingSpace_ = false;
    out_ += c;
  }
  void Text(const std::string& s) {
    for (char c : s) Char(c);
  }
  void Blank() { pendingSpace_ = true; }
  void LineBreak() {
    pendingSpace_ = false;
    out_ += kCR;
  }
  // A block element starts or ends: a line break unless one is there already.
  void BlockBreak() {
    pendingSpace_ = false;
    if (!out_.empty() && out_.back() != kCR) out_ += kCR;
  }
  std::string Done() {
    while (!out_.empty() && (out_.back() == kCR || out_.back() == ' ')) out_.pop_back();
    return out_;
  }

 private:
  std::string out_;
  bool pendingSpace_ = false;
};

bool IsBlockTag(const std::string& name) {
  static const char* const kBlocks[] = {"p", "div", "li", "ul", "ol", "tr", "table", "h1", "h2",
                                        "h3", "h4", "h5", "h6", "blockquote", "center"};
  for (const char* b : kBlocks) {
    if (name == b) return true;
  }
  return false;
}

std::string AnswerToMacRoman(std::string_view bytes) {
  bool lossy = false;
  CPStringEncoding from = CPIsValidUtf8(bytes) ? kCPUTF8 : kCPWindowsLatin1;
  return CPConvertTextLenient(bytes, from, kCPMacRoman, &lossy);
}

std::string ListText(int item) { return CPGetListString(kVYXAppTextsList, item); }

}  // namespace

std::string VYXHtmlToText(std::string_view html) {
  TextBuilder text;
  size_t i = 0;
  while (i < html.size()) {
    char c = html[i];
    if (c == '<') {
      size_t close = html.find('>', i + 1);
      if (close == std::string_view::npos) {
        // A tag cut off by the end of a long message is dropped; a lone "<"
        // in text is kept.
        bool tagStart = i + 1 < html.size() && (std::isalpha(static_cast<unsigned char>(html[i + 1])) ||
                                                html[i + 1] == '/' || html[i + 1] == '!');
        if (tagStart) break;
        text.Char(c);
        ++i;
        continue;
      }
      std::string_view tag = html.substr(i + 1, close - i - 1);
      size_t start = (!tag.empty() && tag[0] == '/') ? 1 : 0;
      size_t end = start;
      while (end < tag.size() && std::isalnum(static_cast<unsigned char>(tag[end]))) ++end;
      std::string name = Lower(tag.substr(start, end - start));
      i = close + 1;
      if (start == 0 && (name == "script" || name == "style")) {
        // Their content is code, not text.
        size_t stop = Lower(html.substr(i)).find("</" + name);
        i = stop == std::string::npos ? html.size() : i + stop;
      } else if (name == "br") {
        text.LineBreak();
      } else if (IsBlockTag(name)) {
        text.BlockBreak();
      }
      continue;
    }
    if (c == '&') {
      size_t semi = html.find(';', i + 1);
      if (semi != std::string_view::npos && semi - i <= 10) {
        uint32_t cp = EntityCodePoint(std::string(html.substr(i + 1, semi - i - 1)));
        if (cp != 0) {
          bool lossy = false;
          text.Text(CPConvertTextLenient(CodePointToUtf8(cp), kCPUTF8, kCPMacRoman, &lossy));
          i = semi + 1;
          continue;
        }
      }
    }
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
      text.Blank();
    } else {
      text.Char(c);
    }
    ++i;
  }
  return text.Done();
}

VYXVersionAnswer VYXReadVersionAnswer(std::string_view bytes) {
  VYXVersionAnswer answer;
  std::string text = AnswerToMacRoman(bytes);
  if (text.empty()) return answer;
  CPPtrStream data(text.data(), static_cast<uint32_t>(text.size()));
  CPTabCrStream lines(&data, false);
  bool exhausted = false;
  while (!exhausted) {
    Str255 field;
    bool endOfRecord = false;
    exhausted = lines.ReadField(field, &endOfRecord);
    std::string key = Lower(Trim(PToStd(field)));
    std::string value;
    if (!endOfRecord) {
      exhausted = lines.ReadField(field, &endOfRecord);
      value = Trim(PToStd(field));
    }
    while (!endOfRecord) exhausted = lines.ReadField(field, &endOfRecord);  // fields past the value

    if (key == "update") {
      answer.update = value == "Y";
    } else if (key == "message") {
      answer.message = VYXHtmlToText(value);
    } else if (key == "download") {
      answer.download = value;
    } else if (key == "web") {
      answer.web = value;
    }
  }
  return answer;
}

bool VYXVersionCheckIsDue(const VYXGlobalPreferences& prefs, CPDate today) {
  if (!prefs.GetCheckNewVersionDoIt()) return false;
  CPDate last = prefs.GetCheckNewVersionLastDate();
  if (last == 0 || CPCompareDates(last, today) > 0) return true;
  CPDate due = CPAddDays(last, prefs.GetCheckNewVersionDelay());
  return due != 0 && CPCompareDates(today, due) > 0;
}

VYXVersionCheckResult VYXCheckApplicationVersion(VYXGlobalPreferences& prefs, bool force,
                                                 const VYXVersionCheckOptions& options) {
  VYXVersionCheckResult result;
  CPInteraction& user = CPGetInteraction();
  std::string base;
  if (!VYXGetWebSiteBase(prefs, &base)) {
    result.outcome = VYXVersionCheckOutcome::kNoWebSite;
    if (force) user.Alert(ListText(kVYXTextNoWebSite));
    return result;
  }
  if (!force && !VYXVersionCheckIsDue(prefs, CPClock::Now())) {
    result.outcome = VYXVersionCheckOutcome::kNotDue;
    return result;
  }

  CPHttpRequest request;
  request.url = VYXServiceURL(base, "checkUpdates", options.version);
  request.userAgent = "vyx/" + options.version;
  request.connectTimeoutMs = options.connectTimeoutMs;
  request.timeoutMs = options.timeoutMs;
  request.maxResponseBytes = kMaxAnswerBytes;
  CPHttpResponse response = CPHttpPerform(request);
  if (!response.IsSuccess()) {
    result.outcome = VYXVersionCheckOutcome::kFailed;
    result.error = response.error != 0 ? response.error : OSErr(kCPErrHttpStatus);
    // The user who asked is owed an answer; at start-up the check stays quiet.
    if (force && result.error != userCanceledErr) {
      std::string text = ListText(kVYXTextCheckFailed);
      CPReplaceVar(text, 1, CPException(result.error).DisplayText());
      user.Alert(text);
    }
    return result;
  }

  result.answer = VYXReadVersionAnswer(response.body);
  const VYXVersionAnswer& answer = result.answer;
  if (answer.update) {
    result.outcome = VYXVersionCheckOutcome::kUpdateAvailable;
    std::string question = answer.message.empty() ? ListText(kVYXTextUpdateAvailable) : answer.message;
    if (!answer.web.empty()) question += std::string(1, kCR) + ListText(kVYXTextOpenUpdatePage);
    if (user.AskYesNo(question, false) && !answer.web.empty()) result.pageToOpen = answer.web;
  } else {
    result.outcome = VYXVersionCheckOutcome::kUpToDate;
    if (force) user.Alert(answer.message.empty() ? ListText(kVYXTextUpToDate) : answer.message);
  }

  try {
    prefs.SetCheckNewVersionLastDate(CPClock::Now());
  } catch (const CPException&) {
    // Preferences that cannot be written only mean the next start checks again.
  }
  return result;
}
