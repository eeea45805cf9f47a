#include "online/CPWebAccess.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>

#include "app/VYXVendorSite.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPHtmlWebData.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"
#include "platform/CPInteraction.h"

extern char** environ;

namespace {

const std::string* Find(const std::vector<std::pair<std::string, std::string>>& options, std::string_view name) {
  for (const auto& [n, v] : options)
    if (n == name) return &v;
  return nullptr;
}

std::string Text(const std::vector<std::pair<std::string, std::string>>& options, std::string_view name) {
  const std::string* v = Find(options, name);
  return v ? *v : std::string();
}

template <typename T, typename E>
T* Lookup(const std::vector<E>& entries, const std::string& name) {
  for (auto it = entries.rbegin(); it != entries.rend(); ++it)
    if (CPScriptSameName(it->name, name)) return it->object.get();
  return nullptr;
}

template <typename T, typename E>
void Store(std::vector<E>& entries, long scriptNumber, const std::string& name, std::shared_ptr<T> object) {
  for (E& e : entries)
    if (e.scriptNumber == scriptNumber && CPScriptSameName(e.name, name)) {
      e.object = std::move(object);
      return;
    }
  entries.push_back({scriptNumber, name, std::move(object)});
}

// Opens the desktop's browser on `url`, or says where to go without one.
void ShowInBrowser(const std::string& url) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  std::string utf8 = MacRomanToUtf8(url);
  if ((display && *display) || (wayland && *wayland)) {
    char* argv[] = {const_cast<char*>("xdg-open"), utf8.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) == 0) {
      int status = 0;
      waitpid(pid, &status, 0);
      if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return;
    }
  }
  CPGetInteraction().Alert(CPFillVars(CPGetListString(kCPOnlineTextsList, 11), {url}));
}

}  // namespace

CPWebAccess::CPWebAccess(CPFileContainer container) : CPSimpleScriptRunner(std::move(container)) {
  settings_.userAgent = "vyx/" + VYXApplicationVersion();
  settings_.onRequest = [this](const std::string& url, const std::string& header, const std::string& body) {
    Log("\rURL: " + url + "\rHEADER: " + header + "\rBODY: " + body);
  };
}

void CPWebAccess::SetStandardVar() {
  CPDate today = CPGetDate();
  SetVar(0, "_DATE", CPDateToStr(today));
  SetVar(0, "_JOUR", std::to_string(CPGetDayOfMonth(today)));
  SetVar(0, "_MOIS", std::to_string(CPGetMonth(today)));
  SetVar(0, "_ANNEE", std::to_string(CPGetYear(today)));
}

CPHtmlWebPage* CPWebAccess::GetPage(const std::string& name) const { return Lookup<CPHtmlWebPage>(pages_, name); }

void CPWebAccess::SetPage(long scriptNumber, const std::string& name, std::shared_ptr<CPHtmlWebPage> page) {
  Store(pages_, scriptNumber, name, std::move(page));
}

CPHtmlWebSession* CPWebAccess::GetSession(const std::string& name) const {
  return Lookup<CPHtmlWebSession>(sessions_, name);
}

void CPWebAccess::SetSession(long scriptNumber, const std::string& name, std::shared_ptr<CPHtmlWebSession> session) {
  Store(sessions_, scriptNumber, name, std::move(session));
}

void CPWebAccess::ClearPages(long scriptNumber) {
  std::erase_if(pages_, [&](const auto& e) { return e.scriptNumber == scriptNumber; });
}

void CPWebAccess::ClearSessions(long scriptNumber) {
  std::erase_if(sessions_, [&](const auto& e) { return e.scriptNumber == scriptNumber; });
}

bool CPWebAccess::DoReturn(long scriptNumber) {
  ClearPages(scriptNumber);
  ClearSessions(scriptNumber);
  return CPSimpleScriptRunner::DoReturn(scriptNumber);
}

void CPWebAccess::Log(std::string_view text) {
  if (!GetLogStream()) return;
  std::string masked(text);
  for (const std::string& secret : Secrets()) {
    std::string encoded = CPFormEncode(MacRomanToUtf8(secret));
    if (encoded == secret) continue;
    for (size_t at = masked.find(encoded); at != std::string::npos; at = masked.find(encoded, at + 8))
      masked.replace(at, encoded.size(), "********");
  }
  CPSimpleScriptRunner::Log(masked);
}

void CPWebAccess::Fail(const std::string& message) {
  errors_.push_back(message);
  Log("\rERREUR: " + message);
}

bool CPWebAccess::OnError(long scriptNumber, Reader& reader, const std::string& onError) {
  if (onError == "RETURN") return DoReturn(scriptNumber);
  Jump(scriptNumber, reader, onError);
  return false;
}

bool CPWebAccess::ExecuteCommand(long scriptNumber, Reader& reader, const std::string& command, bool, bool* stop) {
  static const char* const kCommands[] = {"DOWNLOAD", "SETMARKER", "GETMARKER", "NEWSESSION",
                                          "SETINPUT", "GETINPUT",  "BROWSER"};
  if (std::find(std::begin(kCommands), std::end(kCommands), command) == std::end(kCommands)) return false;
  Options options = ReadOptions(reader);
  *stop = false;
  if (command == "DOWNLOAD") {
    if (!DoDownload(scriptNumber, options)) *stop = OnError(scriptNumber, reader, Text(options, "ONERROR"));
  } else if (command == "SETMARKER") {
    *stop = DoSetMarker(scriptNumber, reader, options);
  } else if (command == "GETMARKER") {
    if (CPHtmlWebPage* page = GetPage(Text(options, "PAGE")))
      SetVar(scriptNumber, Text(options, "MARKER"), std::to_string(page->GetMarker()));
  } else if (command == "NEWSESSION") {
    DoNewSession(scriptNumber, options);
  } else if (command == "SETINPUT") {
    DoSetInput(options);
  } else if (command == "GETINPUT") {
    DoGetInput(scriptNumber, options);
  } else {
    DoBrowser(options);
  }
  return true;
}

bool CPWebAccess::DoDownload(long scriptNumber, const Options& options) {
  std::string sessionName = Text(options, "SESSION"), pageName = Text(options, "PAGE");
  std::shared_ptr<CPHtmlWebSession> session;
  for (auto it = sessions_.rbegin(); it != sessions_.rend() && !session; ++it)
    if (CPScriptSameName(it->name, sessionName)) session = it->object;
  if (!session) session = std::make_shared<CPHtmlWebSession>(jar_);
  std::string url = Text(options, "URL");
  if (!url.empty()) session->SetRequestUrl(url);
  std::string method = Text(options, "METHOD");
  auto page = std::make_shared<CPHtmlWebPage>();
  if (CPHtmlWebPage* previous = GetPage(pageName)) page->SetContent(previous->GetUrl(), {}, {});

  bool sent = true;
  if (method.empty() || CPScriptSameName(method, "GET") || CPScriptSameName(method, "POST")) {
    if (++requests_ > Limits().maxRequests)
      CPThrowList(kCPErrScriptLimit, kCPOnlineTextsList, kCPTextTooManyRequests,
                  {std::to_string(Limits().maxRequests)});
    try {
      sent = CPScriptSameName(method, "POST") ? session->Post(*page, settings_) : session->Get(*page, settings_);
    } catch (const CPException& e) {
      if (e.Code() != kCPErrWebAccess) throw;
      Fail(e.DisplayText());
      return false;
    }
    if (!sent) return true;  // cancelled by the user: nothing kept, nothing said
    Log("\rPROPERTIES:\r" + page->PropertiesText() + "\rCONTENT:\r" + page->GetContent() + "\rITEMS:\r" +
        page->ItemsText());
  }
  SetPage(scriptNumber, pageName, page);
  SetSession(scriptNumber, sessionName, session);
  return true;
}

bool CPWebAccess::DoSetMarker(long scriptNumber, Reader& reader, const Options& options) {
  CPHtmlWebPage* page = GetPage(Text(options, "PAGE"));
  std::string onError = Text(options, "ONERROR");
  if (!page) return OnError(scriptNumber, reader, onError);
  if (Text(options, "ACTION") == "SET") {
    std::string marker;
    GetVar(Text(options, "MARKER"), &marker);
    page->SetMarker(static_cast<int>(CPScriptLong(marker)));
    Log("\rRESULT: Marker=" + std::to_string(page->GetMarker()));
    return false;
  }
  int type = CPHtmlItemTypeFromName(Text(options, "TARGET"));
  CPHtmlFindTest test = CPHtmlFindTestFromName(Text(options, "TEST"));
  CPHtmlMove move = CPHtmlMoveFromName(Text(options, "LEVEL"));
  // UNTIL names an item type, as TARGET does, that ends the search.
  int until = CPHtmlItemTypeFromName(Text(options, "UNTIL"));
  bool found = false;
  if (type != 0) {
    auto t = static_cast<CPHtmlParserItemType>(type);
    if (const std::string* name = Find(options, "NAME"))
      found = page->SetMarker(t, test, *name, true, move, until);
    else if (const std::string* value = Find(options, "VALUE"))
      found = page->SetMarker(t, test, *value, false, move, until);
    else
      found = page->SetMarker(t, static_cast<int>(std::max(1L, CPScriptLong(Text(options, "INDEX")))), move, until);
  }
  if (!found) return OnError(scriptNumber, reader, onError);
  Log("\rRESULT: Marker=" + std::to_string(page->GetMarker()));
  const CPHtmlParserItem& item = page->GetItem(page->GetMarker());
  if (std::string var = Text(options, "VAR"); !var.empty()) {
    std::string get = Text(options, "GET");
    std::string value = item.text;
    if (!get.empty() && !CPScriptSameName(get, "TEXT")) {
      if (CPScriptSameName(get, "VALUE") || CPScriptSameName(get, "HREF") || CPScriptSameName(get, "SRC"))
        value = item.Attribute(get).empty() ? item.value : item.Attribute(get);
      else
        value = CPScriptSameName(get, "NAME") ? item.name : item.Attribute(get);
    }
    SetVar(scriptNumber, var, value);
  }
  if (std::string array = Text(options, "ARRAY"); !array.empty()) {
    CPHtmlWebData data(*page, page->GetMarker(), static_cast<int>(CPScriptLong(Text(options, "ARRAYSIZE"))));
    RemoveVar(array);  // a shorter row leaves no cell of the one before
    SetVarAsArray(scriptNumber, array, data.Elements());
  }
  return false;
}

void CPWebAccess::DoNewSession(long scriptNumber, const Options& options) {
  std::shared_ptr<CPHtmlWebSession> session;
  CPHtmlWebPage* page = Find(options, "PAGE") ? GetPage(Text(options, "PAGE")) : nullptr;
  if (page)
    session = std::make_shared<CPHtmlWebSession>(*page, page->GetMarker(), jar_);
  else
    session = std::make_shared<CPHtmlWebSession>(jar_);
  for (const CPHtmlInputItem& field : session->FormValues())
    if (CPScriptIsSecretName(field.name)) AddSecret(field.value);
  SetSession(scriptNumber, Text(options, "NAME"), session);
}

void CPWebAccess::DoSetInput(const Options& options) {
  CPHtmlWebSession* session = GetSession(Text(options, "SESSION"));
  if (!session) return;
  if (Find(options, "FROM")) {
    if (CPHtmlWebSession* from = GetSession(Text(options, "FROM"))) session->SetFormValues(from->FormValues());
    return;
  }
  std::string name = Text(options, "NAME");
  if (!name.empty()) session->SetFormValue(name, Text(options, "VALUE"));
  long x = CPScriptLong(Text(options, "X")), y = CPScriptLong(Text(options, "Y"));
  if (x >= 1 || y >= 1) session->SetFormClicPos(x, y);
}

void CPWebAccess::DoGetInput(long scriptNumber, const Options& options) {
  CPHtmlWebSession* session = GetSession(Text(options, "SESSION"));
  std::string value;
  if (session && session->GetFormValue(Text(options, "NAME"), &value)) SetVar(scriptNumber, Text(options, "VAR"), value);
}

void CPWebAccess::DoBrowser(const Options& options) {
  std::string url = Text(options, "URL");
  if (url.empty()) return;
  if (browser_) browser_(url);
  else ShowInBrowser(url);
}
