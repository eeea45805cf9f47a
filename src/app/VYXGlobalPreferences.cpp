#include "app/VYXGlobalPreferences.h"

#include <limits>

#include "app/VYXAppTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "platform/CPPlatformErrors.h"
#include "platform/CPRecentDocuments.h"

namespace {

// The text of an error code for an alert: its own text, else its number.
std::string ErrorText(OSErr err) { return CPException(err).DisplayText(); }

// Path names are shown to the user in MacRoman; a character MacRoman lacks is
// shown as "?" rather than hiding the whole name.
std::string PathForDisplay(const std::filesystem::path& path) {
  bool lossy = false;
  try {
    return CPConvertTextLenient(path.string(), kCPUTF8, kCPMacRoman, &lossy);
  } catch (const CPException&) {
    return path.filename().string();
  }
}

}  // namespace

VYXGlobalPreferences::VYXGlobalPreferences(std::filesystem::path file) : store_(std::move(file)) {}

void VYXGlobalPreferences::Load() {
  OSErr err = store_.Load();
  if (err == kCPErrPrefsDamaged) {
    ReportSetAside();
  } else if (err != noErr) {
    keepInMemory_ = true;
    std::string text = CPGetListString(kVYXAppTextsList, kVYXTextPrefsUnreadable);
    CPReplaceVar(text, 1, ErrorText(err));
    CPGetInteraction().Alert(text);
  }
}

void VYXGlobalPreferences::ReportSetAside() {
  std::filesystem::path aside = store_.TakeSetAside();
  if (aside.empty()) return;
  std::string text = CPGetListString(kVYXAppTextsList, kVYXTextPrefsSetAside);
  CPReplaceVar(text, 1, PathForDisplay(aside));
  CPGetInteraction().Alert(text);
}

void VYXGlobalPreferences::Save() {
  if (keepInMemory_) return;  // the user was told at Load that nothing is saved
  OSErr err = store_.Save();
  ReportSetAside();
  CPThrowIfOSErr(err);
}

bool VYXGlobalPreferences::GetFlag(const char* key, bool byDefault) const {
  bool value = byDefault;
  store_.GetBool(key, &value);
  return value;
}

int32_t VYXGlobalPreferences::GetNumber(const char* key, int32_t byDefault) const {
  int32_t value = byDefault;
  store_.GetLong(key, &value);
  return value;
}

CPString VYXGlobalPreferences::GetText(const char* key, const char* byDefault) const {
  std::string utf8;
  std::string macRoman;
  std::string offending;
  if (!store_.GetString(key, &utf8) || !TryUtf8ToMacRoman(utf8, &macRoman, &offending)) {
    return CPString::FromStd(Utf8ToMacRoman(byDefault));
  }
  return CPString::FromStd(macRoman);
}

void VYXGlobalPreferences::PutText(const char* key, const CPString& text) {
  CPThrowIfOSErr(store_.SetString(key, MacRomanToUtf8(text.Std())));
}

bool VYXGlobalPreferences::GetLastGroupPath(CPFileRef* fileRef) const {
  std::filesystem::path path;
  if (!store_.GetPath(kLastGroupPath, &path)) return false;
  *fileRef = CPFileRef(path);
  return true;
}

void VYXGlobalPreferences::SetLastGroupPath(const CPFileRef& fileRef) {
  if (fileRef.Empty()) {
    store_.Remove(kLastGroupPath);
  } else {
    CPThrowIfOSErr(store_.SetPath(kLastGroupPath, std::filesystem::absolute(fileRef.Path())));
  }
  Save();
}

bool VYXGlobalPreferences::GetShowViewEnabled() const { return GetFlag(kShowViewEnabled, true); }

void VYXGlobalPreferences::SetShowViewEnabled(bool enabled) {
  store_.SetBool(kShowViewEnabled, enabled);
  Save();
}

CPString VYXGlobalPreferences::GetShowViewTheme() const { return GetText(kShowViewTheme); }

void VYXGlobalPreferences::SetShowViewTheme(const CPString& theme) {
  PutText(kShowViewTheme, theme);
  Save();
}

int32_t VYXGlobalPreferences::GetLeftSplitterPositionV() const {
  return GetNumber(kLeftSplitterV, kDefaultLeftSplitterV);
}

int32_t VYXGlobalPreferences::GetLeftSplitterPositionH() const {
  return GetNumber(kLeftSplitterH, kDefaultLeftSplitterH);
}

void VYXGlobalPreferences::SetLeftSplitterPosition(int32_t v, int32_t h) {
  store_.SetLong(kLeftSplitterV, v);
  store_.SetLong(kLeftSplitterH, h);
  Save();
}

bool VYXGlobalPreferences::GetLeftViewVisible() const { return GetFlag(kLeftViewVisible, true); }

void VYXGlobalPreferences::SetLeftViewVisible(bool visible) {
  store_.SetBool(kLeftViewVisible, visible);
  Save();
}

bool VYXGlobalPreferences::GetMainWindowPosition(VYXWindowFrame* frame) const {
  VYXWindowFrame found;
  if (!store_.GetLong(kMainWindowTop, &found.top) || !store_.GetLong(kMainWindowLeft, &found.left) ||
      !store_.GetLong(kMainWindowBottom, &found.bottom) || !store_.GetLong(kMainWindowRight, &found.right)) {
    return false;
  }
  *frame = found;
  return true;
}

void VYXGlobalPreferences::SetMainWindowPosition(const VYXWindowFrame& frame) {
  store_.SetLong(kMainWindowTop, frame.top);
  store_.SetLong(kMainWindowLeft, frame.left);
  store_.SetLong(kMainWindowBottom, frame.bottom);
  store_.SetLong(kMainWindowRight, frame.right);
  Save();
}

VYXSMTPSettings VYXGlobalPreferences::GetSMTPSettings() const {
  VYXSMTPSettings s;
  s.server = GetText(kSMTPServer);
  s.port = GetNumber(kSMTPPort, 0);
  s.hasAuthentification = GetFlag(kSMTPHasAuthentification, false);
  s.login = GetText(kSMTPLogin);
  s.password = GetText(kSMTPPassword);
  return s;
}

void VYXGlobalPreferences::SetSMTPSettings(const VYXSMTPSettings& s) {
  PutText(kSMTPServer, s.server);
  store_.SetLong(kSMTPPort, s.port);
  store_.SetBool(kSMTPHasAuthentification, s.hasAuthentification);
  PutText(kSMTPLogin, s.login);
  PutText(kSMTPPassword, s.password);
  Save();
}

bool VYXGlobalPreferences::GetWelcomeSound() const { return GetFlag(kWelcomeSound, true); }

void VYXGlobalPreferences::SetWelcomeSound(bool play) {
  store_.SetBool(kWelcomeSound, play);
  Save();
}

bool VYXGlobalPreferences::GetLoadOnlineWebPages() const { return GetFlag(kLoadOnlineWebPages, true); }

void VYXGlobalPreferences::SetLoadOnlineWebPages(bool load) {
  store_.SetBool(kLoadOnlineWebPages, load);
  Save();
}

bool VYXGlobalPreferences::GetWebViewHasUserAgent() const { return GetFlag(kWebViewHasUserAgent, false); }

void VYXGlobalPreferences::SetWebViewHasUserAgent(bool has) {
  store_.SetBool(kWebViewHasUserAgent, has);
  Save();
}

CPString VYXGlobalPreferences::GetWebViewUserAgent() const {
  return GetText(kWebViewUserAgent, kDefaultWebViewUserAgent);
}

void VYXGlobalPreferences::SetWebViewUserAgent(const CPString& agent) {
  PutText(kWebViewUserAgent, agent);
  Save();
}

bool VYXGlobalPreferences::GetCheckNewVersionDoIt() const { return GetFlag(kCheckNewVersionDoIt, true); }

void VYXGlobalPreferences::SetCheckNewVersionDoIt(bool doIt) {
  store_.SetBool(kCheckNewVersionDoIt, doIt);
  Save();
}

int16_t VYXGlobalPreferences::GetCheckNewVersionDelay() const {
  int32_t days = GetNumber(kCheckNewVersionDelay, kDefaultCheckNewVersionDelay);
  if (days < 0 || days > std::numeric_limits<int16_t>::max()) return kDefaultCheckNewVersionDelay;
  return static_cast<int16_t>(days);
}

void VYXGlobalPreferences::SetCheckNewVersionDelay(int16_t days) {
  store_.SetLong(kCheckNewVersionDelay, days);
  Save();
}

CPDate VYXGlobalPreferences::GetCheckNewVersionLastDate() const {
  CPDate date = 0;
  store_.GetDate(kCheckNewVersionLastDate, &date);
  return date;
}

void VYXGlobalPreferences::SetCheckNewVersionLastDate(CPDate date) {
  store_.SetDate(kCheckNewVersionLastDate, date);
  Save();
}

bool VYXGlobalPreferences::GetWebSiteHost(std::string* host) const {
  std::string value;
  if (!store_.GetString(kWebSiteHost, &value) || value.empty()) return false;
  *host = value;
  return true;
}

void VYXGlobalPreferences::SetWebSiteHost(const std::string& host) {
  if (host.empty()) {
    store_.Remove(kWebSiteHost);
  } else {
    CPThrowIfOSErr(store_.SetString(kWebSiteHost, host));
  }
  Save();
}

std::vector<CPFileRef> VYXGlobalPreferences::GetRecentDocuments() const {
  return CPRecentDocuments::Read(store_);
}

void VYXGlobalPreferences::AddRecentDocument(const CPFileRef& fileRef) {
  CPThrowIfOSErr(CPRecentDocuments(store_).Add(fileRef));
  Save();
}

void VYXGlobalPreferences::RemoveRecentDocument(const CPFileRef& fileRef) {
  CPRecentDocuments(store_).Remove(fileRef);
  Save();
}

void VYXGlobalPreferences::RenameRecentDocument(const CPFileRef& from, const CPFileRef& to) {
  CPThrowIfOSErr(CPRecentDocuments(store_).Rename(from, to));
  Save();
}

void VYXGlobalPreferences::ClearRecentDocuments() {
  CPRecentDocuments(store_).Clear();
  Save();
}
