#include "online/CPHtmlWebSession.h"

#include <cctype>
#include <cstdio>

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"
#include "platform/CPHttp.h"
#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"

namespace {

bool StartsWithNoCase(const std::string& s, std::string_view prefix) {
  return s.size() >= prefix.size() && CPScriptSameName(std::string_view(s).substr(0, prefix.size()), prefix);
}

bool IsAbsolute(const std::string& url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

// "scheme://host[:port]" of an address.
std::string Origin(const std::string& url) {
  size_t scheme = url.find("://");
  if (scheme == std::string::npos) return url;
  size_t slash = url.find_first_of("/?#", scheme + 3);
  return url.substr(0, slash);
}

std::string Decode(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '+') {
      out += ' ';
    } else if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace

std::string CPUrlFolder(const std::string& url) {
  std::string u = url.substr(0, url.find_first_of("?#"));
  size_t scheme = u.find("://");
  size_t hostEnd = scheme == std::string::npos ? 0 : u.find('/', scheme + 3);
  if (hostEnd == std::string::npos) return u;
  return u.substr(0, std::max(u.rfind('/'), hostEnd));
}

std::string CPResolveUrl(const std::string& base, const std::string& request) {
  if (request.empty()) return base;
  if (IsAbsolute(request)) return request;
  if (request.rfind("//", 0) == 0) return base.substr(0, base.find("://") + 1) + request;
  if (request[0] == '/') return Origin(base) + request;
  std::string b = base, r = request;
  // Each "../" climbs one folder, never above the host; "./" stays.
  size_t floor = Origin(b).size();
  while (!r.empty() && r[0] == '.') {
    if (r.rfind("../", 0) == 0 || r == "..") {
      while (b.size() > floor && b.back() == '/') b.pop_back();
      size_t slash = b.rfind('/');
      b = slash != std::string::npos && slash >= floor ? b.substr(0, slash) : b.substr(0, floor);
      r.erase(0, std::min<size_t>(3, r.size()));
    } else if (r.rfind("./", 0) == 0) {
      r.erase(0, 2);
    } else {
      break;  // a name that begins with a dot
    }
  }
  if (!b.empty() && b.back() != '/') b += '/';
  return b + r;
}

std::string CPFormEncode(const std::string& value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') return value;
  std::string out;
  char hex[4];
  for (unsigned char c : value) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      out += hex;
    }
  }
  return out;
}

CPHtmlWebSession::CPHtmlWebSession(std::shared_ptr<CPHtmlCookieJar> jar) : jar_(std::move(jar)) {}

CPHtmlWebSession::CPHtmlWebSession(const CPHtmlWebPage& page, int itemIndex, std::shared_ptr<CPHtmlCookieJar> jar)
    : jar_(std::move(jar)) {
  baseUrl_ = CPUrlFolder(page.GetUrl());
  if (itemIndex < 1 || itemIndex > page.GetNbOfItems()) return;
  const CPHtmlParserItem& item = page.GetItem(itemIndex);
  if (item.type == kCPHtmlForm) {
    requestUrl_ = item.value.empty() ? page.GetUrl() : item.value;
    for (int i = itemIndex + 1; i <= page.GetNbOfItems() && page.GetItem(i).level > item.level; ++i) {
      const CPHtmlParserItem& field = page.GetItem(i);
      if (field.name.empty() || field.Attribute("disabled") != "" ) continue;
      bool checked = false;
      for (const auto& [k, v] : field.attributes) checked = checked || k == "checked";
      if (field.type == kCPHtmlSelect) {
        AddFormValue(field.name, field.value, "select");
      } else if (field.type == kCPHtmlInput) {
        const std::string& type = field.text;
        if ((type == "radio" || type == "checkbox") && !checked) continue;
        if (type == "reset" || type == "file" || type == "button") continue;
        AddFormValue(field.name, type == "checkbox" && field.value.empty() ? "on" : field.value, type);
      }
    }
  } else if (item.type == kCPHtmlLink || item.type == kCPHtmlFrame) {
    requestUrl_ = item.value;
    size_t query = item.value.find('?');
    if (item.type == kCPHtmlLink && query != std::string::npos) {
      std::string_view q = std::string_view(item.value).substr(query + 1);
      q = q.substr(0, q.find('#'));
      while (!q.empty()) {
        size_t amp = q.find('&');
        std::string_view pair = q.substr(0, amp);
        size_t eq = pair.find('=');
        if (!pair.empty())
          AddFormValue(Decode(pair.substr(0, eq)), eq == std::string_view::npos ? "" : Decode(pair.substr(eq + 1)));
        q = amp == std::string_view::npos ? std::string_view() : q.substr(amp + 1);
      }
    }
  }
}

void CPHtmlWebSession::SetFormClicPos(long x, long y) {
  clickX_ = x;
  clickY_ = y;
}

void CPHtmlWebSession::AddFormValue(const std::string& name, const std::string& value, const std::string& type) {
  form_.push_back({type, name, value});
}

void CPHtmlWebSession::SetFormValue(const std::string& name, const std::string& value) {
  for (CPHtmlInputItem& item : form_)
    if (item.name == name) {
      item.value = value;
      return;
    }
  AddFormValue(name, value);
}

bool CPHtmlWebSession::GetFormValue(const std::string& name, std::string* value) const {
  for (const CPHtmlInputItem& item : form_)
    if (item.name == name) {
      *value = item.value;
      return true;
    }
  return false;
}

std::string CPHtmlWebSession::GetRequestBody() const {
  std::string body;
  auto add = [&](const std::string& part) { body += (body.empty() ? "" : "&") + part; };
  for (const CPHtmlInputItem& item : form_) {
    // Form values are MacRoman inside vyx; the web speaks UTF-8.
    std::string name = CPFormEncode(MacRomanToUtf8(item.name));
    if (item.type == "image") {
      std::string prefix = item.name.empty() ? "" : name + ".";
      add(prefix + "x=" + std::to_string(clickX_) + "&" + prefix + "y=" + std::to_string(clickY_));
    } else {
      add(name + "=" + CPFormEncode(MacRomanToUtf8(item.value)));
    }
  }
  return body;
}

std::string CPHtmlWebSession::GetCookiesHeader(const std::string& url) const {
  return jar_ ? CPCookiesHeader(jar_->CookiesFor(url)) : std::string();
}

bool CPHtmlWebSession::Send(bool post, CPHtmlWebPage& page, const CPWebSettings& settings) {
  std::string url = GetRequestUrl();
  std::string method = post ? "POST" : "GET";
  std::string body = post ? GetRequestBody() : std::string();
  std::vector<std::string> redirected;
  auto fail = [&](const std::string& reason) {
    CPThrowList(kCPErrWebAccess, kCPOnlineTextsList, post ? kCPTextCannotConnect : kCPTextCannotDownload,
                {CPShownText(url), reason});
  };
  for (long hop = 0;; ++hop) {
    CPHttpRequest request;
    request.url = url;
    request.method = method;
    request.followRedirects = false;  // cookies of each answer go with the next request
    request.connectTimeoutMs = settings.connectTimeoutMs;
    request.timeoutMs = settings.timeoutMs;
    request.maxResponseBytes = settings.maxResponseBytes;
    request.userAgent = settings.userAgent;
    std::string cookies = GetCookiesHeader(url);
    if (!cookies.empty()) request.headers.push_back(cookies);
    if (method == "POST") {
      request.body = body;
      request.AddHeader("Content-Type", "application/x-www-form-urlencoded");
    }
    if (settings.onRequest) settings.onRequest(url, cookies, request.body);
    CPHttpResponse response = CPHttpPerform(request);
    if (response.error == userCanceledErr) return false;
    if (response.error != 0) fail(CPGetErrorText(response.error));
    if (jar_)
      for (const std::string& setCookie : response.header.Fields("Set-Cookie")) jar_->ReadCookie(setCookie, url);
    std::string location = response.header.Field("Location");
    if (response.status >= 300 && response.status < 400 && !location.empty()) {
      if (hop >= settings.maxRedirects) fail(CPGetErrorText(kCPErrHttpTooManyRedirects));
      redirected.push_back(url);
      url = CPResolveUrl(CPUrlFolder(url), location);
      if (response.status == 303 || ((response.status == 301 || response.status == 302) && method == "POST")) {
        method = "GET";
        body.clear();
      }
      continue;
    }
    if (response.status >= 400)
      fail(CPFillVars(CPGetListString(kCPOnlineTextsList, kCPTextHttpStatus), {response.header.statusLine}));
    // The answer stands: it becomes the page, its address the session's.
    requestUrl_ = url;
    baseUrl_ = CPUrlFolder(url);
    CPHtmlWebPage fresh;
    std::string contentType = response.header.Field("Content-Type");
    std::string charset;
    if (size_t at = contentType.find("charset="); at != std::string::npos) {
      charset = contentType.substr(at + 8);
      charset = charset.substr(0, charset.find(';'));
      std::erase(charset, '"');
    }
    fresh.AddProperty("URLString", url);
    fresh.AddProperty("URLResourceSize", std::to_string(response.body.size()));
    fresh.AddProperty("URLMIMEType", contentType.substr(0, contentType.find(';')));
    fresh.AddProperty("URLCharacterSet", charset);
    fresh.AddProperty("URLHost", CPSplitUrl(url).host);
    fresh.AddProperty("URLStatusString", response.header.statusLine);
    fresh.AddProperty("URLIsSecure", CPSplitUrl(url).scheme == "https" ? "1" : "0");
    fresh.AddProperty("URLHTTPRespHeader", response.header.raw);
    fresh.AddProperty("URLHTTPUserAgent", settings.userAgent);
    fresh.AddProperty("URLHTTPRedirectedURL", redirected.empty() ? std::string() : url);
    fresh.AddProperty("URLHTTPRespServer", response.header.Field("Server"));
    fresh.AddProperty("URLHTTPRespDate", response.header.Field("Date"));
    fresh.AddProperty("URLHTTPRespContentType", contentType);
    for (const std::string& setCookie : response.header.Fields("Set-Cookie"))
      fresh.AddProperty("URLHTTPRespCookie", setCookie);
    fresh.SetContent(url, page.GetUrl(), std::move(response.body), charset);
    page = std::move(fresh);
    return true;
  }
}
