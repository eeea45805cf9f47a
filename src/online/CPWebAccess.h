// The script runner with a small web client: named sessions and pages,
// registered per script number, and the commands DOWNLOAD, SETMARKER,
// GETMARKER, NEWSESSION, SETINPUT, GETINPUT and BROWSER. One cookie jar
// serves every session of the run, as one browser would.
//
// A failed request is no error of the run: the command's ONERROR decides
// (RETURN, or a label), and the failure's French message is kept in Errors()
// for the caller to report. A script that sends more requests than
// Limits().maxRequests is stopped with kCPErrScriptLimit.
#ifndef VYX_ONLINE_CPWEBACCESS_H_
#define VYX_ONLINE_CPWEBACCESS_H_

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "online/CPHtmlWebSession.h"
#include "online/CPSimpleScriptRunner.h"

class CPWebAccess : public CPSimpleScriptRunner {
 public:
  explicit CPWebAccess(CPFileContainer container);

  // "_DATE", "_JOUR", "_MOIS" and "_ANNEE" from today's date.
  void SetStandardVar();
  CPWebSettings& Settings() { return settings_; }
  // How BROWSER shows an address; by default the desktop's browser, or an
  // alert naming the address when there is no desktop.
  void SetBrowser(std::function<void(const std::string& url)> browser) { browser_ = std::move(browser); }
  // The failures met, in order (MacRoman messages).
  const std::vector<std::string>& Errors() const { return errors_; }
  long RequestsSent() const { return requests_; }

  CPHtmlWebPage* GetPage(const std::string& name) const;
  void SetPage(long scriptNumber, const std::string& name, std::shared_ptr<CPHtmlWebPage> page);
  CPHtmlWebSession* GetSession(const std::string& name) const;
  void SetSession(long scriptNumber, const std::string& name, std::shared_ptr<CPHtmlWebSession> session);
  void ClearPages(long scriptNumber);
  void ClearSessions(long scriptNumber);
  bool DoReturn(long scriptNumber) override;
  using CPSimpleScriptRunner::DoReturn;

 protected:
  bool ExecuteCommand(long scriptNumber, Reader& reader, const std::string& command, bool hasOptions,
                      bool* stop) override;
  // Secrets are also masked as a form's body carries them.
  void Log(std::string_view text) override;

 private:
  template <typename T>
  struct Entry {
    long scriptNumber;
    std::string name;
    std::shared_ptr<T> object;
  };
  using Options = std::vector<std::pair<std::string, std::string>>;
  bool DoDownload(long scriptNumber, const Options& options);
  bool DoSetMarker(long scriptNumber, Reader& reader, const Options& options);
  void DoNewSession(long scriptNumber, const Options& options);
  void DoSetInput(const Options& options);
  void DoGetInput(long scriptNumber, const Options& options);
  void DoBrowser(const Options& options);
  // Applies ONERROR; true when the script must stop.
  bool OnError(long scriptNumber, Reader& reader, const std::string& onError);
  void Fail(const std::string& message);

  CPWebSettings settings_;
  std::shared_ptr<CPHtmlCookieJar> jar_ = std::make_shared<CPHtmlCookieJar>();
  std::vector<Entry<CPHtmlWebPage>> pages_;
  std::vector<Entry<CPHtmlWebSession>> sessions_;
  std::function<void(const std::string&)> browser_;
  std::vector<std::string> errors_;
  long requests_ = 0;
};

#endif  // VYX_ONLINE_CPWEBACCESS_H_
