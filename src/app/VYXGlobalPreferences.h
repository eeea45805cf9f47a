// The application's global preferences: every setting that belongs to the user
// rather than to a user file, with its type and default, over the per-user
// preference store. The container owns the one instance (gGlobalPrefs).
//
// Reads never fail: a missing key, a value of another type, or a text that
// MacRoman cannot hold gives the default. Every change is written to the store
// at once; a write that fails raises CPException with the system's code.
//
// Besides the keys the application has always had, "VYXWebSite:Host" names the
// vendor's web server used by the version check and the script addresses
// (VYXVendorSite.h). It has no default, so that nothing leaves the machine
// until the user sets it: "host", "host:port", or an address beginning with
// "http://" or "https://".
#ifndef VYX_APP_VYXGLOBALPREFERENCES_H_
#define VYX_APP_VYXGLOBALPREFERENCES_H_

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "foundation/CPStrings.h"
#include "platform/CPFileRef.h"
#include "platform/CPPreferenceStore.h"

// The main window's frame, in screen coordinates.
struct VYXWindowFrame {
  int32_t top = 10;
  int32_t left = 10;
  int32_t bottom = 500;
  int32_t right = 800;

  bool operator==(const VYXWindowFrame&) const = default;
};

// The mail server used to send mail; all empty until the user sets it.
struct VYXSMTPSettings {
  CPString server;
  int32_t port = 0;
  bool hasAuthentification = false;
  CPString login;
  CPString password;
};

class VYXGlobalPreferences {
 public:
  static constexpr const char* kLastGroupPath = "VYXLastGroup:Path";
  static constexpr const char* kShowViewEnabled = "VYXShowView:Enabled";
  static constexpr const char* kShowViewTheme = "VYXShowView:Theme";
  static constexpr const char* kLeftSplitterV = "VYXLeftSplitter:Position:V";
  static constexpr const char* kLeftSplitterH = "VYXLeftSplitter:Position:H";
  static constexpr const char* kLeftViewVisible = "VYXLeftView:Visible";
  static constexpr const char* kMainWindowTop = "VYXMainWindow:Position:Top";
  static constexpr const char* kMainWindowLeft = "VYXMainWindow:Position:Left";
  static constexpr const char* kMainWindowBottom = "VYXMainWindow:Position:Bottom";
  static constexpr const char* kMainWindowRight = "VYXMainWindow:Position:Right";
  static constexpr const char* kSMTPServer = "VYXSMTP:Server";
  static constexpr const char* kSMTPPort = "VYXSMTP:Port";
  static constexpr const char* kSMTPHasAuthentification = "VYXSMTP:HasAuthentification";
  static constexpr const char* kSMTPLogin = "VYXSMTP:Login";
  static constexpr const char* kSMTPPassword = "VYXSMTP:Password";
  static constexpr const char* kWelcomeSound = "VYXWelcomeSound";
  static constexpr const char* kLoadOnlineWebPages = "VYXLoadOnlineWebPages";
  static constexpr const char* kWebViewHasUserAgent = "VYXWebViewHasUserAgent";
  static constexpr const char* kWebViewUserAgent = "VYXWebViewUserAgent";
  static constexpr const char* kCheckNewVersionDoIt = "VYXCheckNewVersion:DoIt";
  static constexpr const char* kCheckNewVersionDelay = "VYXCheckNewVersion:Delay";
  static constexpr const char* kCheckNewVersionLastDate = "VYXCheckNewVersion:LastDate";
  static constexpr const char* kWebSiteHost = "VYXWebSite:Host";

  static constexpr int32_t kDefaultLeftSplitterV = 200;
  static constexpr int32_t kDefaultLeftSplitterH = 220;
  static constexpr int16_t kDefaultCheckNewVersionDelay = 7;
  static constexpr const char* kDefaultWebViewUserAgent =
      "Mozilla/5.0 (Macintosh; U; Intel Mac OS X 10_5_5; fr-fr) AppleWebKit/525.18 (KHTML, like Gecko) "
      "Version/3.1.2 Safari/525.20.1";

  // Preferences kept in `file` (the user's own by default). Nothing is read
  // before Load.
  explicit VYXGlobalPreferences(std::filesystem::path file = CPPreferenceStore::DefaultFile());
  virtual ~VYXGlobalPreferences() = default;
  VYXGlobalPreferences(const VYXGlobalPreferences&) = delete;
  VYXGlobalPreferences& operator=(const VYXGlobalPreferences&) = delete;

  // Reads the store. A damaged file is set aside and an unreadable one left
  // alone; either way the user is told and the defaults apply. After an
  // unreadable file, changes are kept for the session but never written.
  void Load();

  bool GetLastGroupPath(CPFileRef* fileRef) const;
  void SetLastGroupPath(const CPFileRef& fileRef);

  bool GetShowViewEnabled() const;
  void SetShowViewEnabled(bool enabled);
  CPString GetShowViewTheme() const;
  void SetShowViewTheme(const CPString& theme);

  int32_t GetLeftSplitterPositionV() const;
  int32_t GetLeftSplitterPositionH() const;
  void SetLeftSplitterPosition(int32_t v, int32_t h);
  bool GetLeftViewVisible() const;
  void SetLeftViewVisible(bool visible);

  // True only when all four keys were found; `frame` is left as it was otherwise
  // (a default VYXWindowFrame holds the default frame).
  bool GetMainWindowPosition(VYXWindowFrame* frame) const;
  void SetMainWindowPosition(const VYXWindowFrame& frame);

  VYXSMTPSettings GetSMTPSettings() const;
  void SetSMTPSettings(const VYXSMTPSettings& settings);

  bool GetWelcomeSound() const;
  void SetWelcomeSound(bool play);
  bool GetLoadOnlineWebPages() const;
  void SetLoadOnlineWebPages(bool load);
  bool GetWebViewHasUserAgent() const;
  void SetWebViewHasUserAgent(bool has);
  CPString GetWebViewUserAgent() const;
  void SetWebViewUserAgent(const CPString& agent);

  bool GetCheckNewVersionDoIt() const;
  void SetCheckNewVersionDoIt(bool doIt);
  // Days between two automatic checks; a negative or oversized stored value
  // gives the default.
  int16_t GetCheckNewVersionDelay() const;
  void SetCheckNewVersionDelay(int16_t days);
  CPDate GetCheckNewVersionLastDate() const;  // 0 when never checked
  void SetCheckNewVersionLastDate(CPDate date);

  // False when no vendor server is set.
  bool GetWebSiteHost(std::string* host) const;
  // An empty host removes the setting.
  void SetWebSiteHost(const std::string& host);

  // The platform's recent documents, most recent first, as recorded: whether
  // they still exist is for the reader to judge.
  std::vector<CPFileRef> GetRecentDocuments() const;
  void AddRecentDocument(const CPFileRef& fileRef);
  void RemoveRecentDocument(const CPFileRef& fileRef);
  // The entry of a document that was renamed (or moved) takes its new path, in its place.
  void RenameRecentDocument(const CPFileRef& from, const CPFileRef& to);
  void ClearRecentDocuments();

  CPPreferenceStore& Store() { return store_; }

 private:
  bool GetFlag(const char* key, bool byDefault) const;
  int32_t GetNumber(const char* key, int32_t byDefault) const;
  CPString GetText(const char* key, const char* byDefault = "") const;
  void PutText(const char* key, const CPString& text);
  // Writes the changes; raises when the store cannot be written.
  void Save();
  // Tells the user about a damaged file the store has just set aside.
  void ReportSetAside();

  CPPreferenceStore store_;
  bool keepInMemory_ = false;  // the file could not be read: changes last this session only
};

#endif  // VYX_APP_VYXGLOBALPREFERENCES_H_
