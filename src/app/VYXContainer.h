// The one application-wide object: it starts vyx (global preferences, the
// dossier to open, the version check), owns the open user file and keeps the
// list of open accounts, creates, copies, renames, swaps and deletes account
// and user files, keeps the recent dossiers and closes everything at quit.
// It is reached from anywhere through gContainer, as are the global
// preferences (gGlobalPrefs) and the open user file (gUserPrefs).
//
// The platform layer of a graphical vyx derives from it to add menus,
// windows and file dialogs; the command line uses it as it is.
//
// Messages of category 'CONT': 2 before the user file is closed and 3 after
// (data: the user file, then null), 4 when an account was opened and 5 when
// one is being closed (data: the account).
#ifndef VYX_APP_VYXCONTAINER_H_
#define VYX_APP_VYXCONTAINER_H_

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "accounts/VYXSDBCompte.h"
#include "app/VYXGlobalPreferences.h"
#include "app/VYXVersionCheck.h"
#include "foundation/CPBroadcaster.h"
#include "userfile/VYXSDBUserPreferences.h"

constexpr OSType kVYXContainerMessage = 'CONT';
enum : uint32_t {
  kContUserPrefsClosing = 2,
  kContUserPrefsClosed = 3,
  kContCompteOpened = 4,
  kContCompteClosing = 5,
};

// Texts of the application lists: the failure to open a dossier (list 351,
// item 3), the sample dossier's file name (list 361, item 7), the prompt for a
// new account's place (list 407, item 3).
constexpr int kVYXAlertsList = 351;
constexpr int kVYXTextCannotOpenDossier = 3;  // ^1: the file's name, ^2: why
constexpr int kVYXExamplesList = 361;
constexpr int kVYXTextSampleName = 7;
constexpr int kVYXNewCompteList = 407;
constexpr int kVYXTextNewComptePlace = 3;

class VYXContainer : public CPBroadcaster {
 public:
  // Where the container finds its files; empty members take the user's
  // folders (VYXAppFolders.h, CPPreferenceStore::DefaultFile).
  struct Folders {
    std::filesystem::path preferencesFile;
    std::filesystem::path examples;  // the installed sample dossier
    std::filesystem::path data;      // where the sample is copied to be opened
  };

  // Becomes gContainer.
  explicit VYXContainer(Folders folders = {});
  // Closes what is still open.
  ~VYXContainer() override;
  VYXContainer(const VYXContainer&) = delete;
  VYXContainer& operator=(const VYXContainer&) = delete;

  // ---- Start and stop.
  // Runs IContainer (a graphical platform also builds its menus and windows).
  virtual void Startup();
  // Global preferences, then the dossier, then the version check.
  virtual void IContainer();
  bool IsInited() const { return inited_; }
  virtual void Quitting() { quitting_ = true; }
  bool IsQuitting() const { return quitting_; }
  // Quitting, then every account and the user file closed.
  void Quit();

  // ---- The version check, through the vendor's server the user set.
  virtual VYXVersionCheckResult CheckApplicationVersion(bool force);
  // The page the user agreed to see; the graphical platform opens it.
  virtual void OpenWebPage(const std::string& /*url*/) {}

  // Addresses on the vendor's server (VYXVendorSite.h); false when no server is set.
  bool GetScriptURL(std::string* url) const { return VYXGetScriptURL(*globalPrefs_, url); }
  bool GetScriptURL(const std::string& script, std::string* url) const {
    return VYXGetScriptURL(*globalPrefs_, script, url);
  }
  bool GetDevisesUpdateScriptURL(std::string* url) const {
    return VYXGetDevisesUpdateScriptURL(*globalPrefs_, url);
  }
  bool GetTitreUpdateScriptURL(std::string* url) const {
    return VYXGetTitreUpdateScriptURL(*globalPrefs_, url);
  }
  bool GetTitreInfosScriptURL(std::string* url) const {
    return VYXGetTitreInfosScriptURL(*globalPrefs_, url);
  }

  // ---- Global preferences.
  virtual std::unique_ptr<VYXGlobalPreferences> MakeGlobalPreferences();
  VYXGlobalPreferences& GetGlobalPreferences() const { return *globalPrefs_; }

  // ---- Reading only. A container set so (before Startup) opens the dossier
  // and its accounts for reading only, as a command that only reads does:
  // nothing of theirs is written, and an account is not listed in passing.
  void SetReadingOnly(bool reading) { reading_ = reading; }
  bool IsReadingOnly() const { return reading_; }

  // ---- The user file. At most one is open.
  VYXSDBUserPreferences* GetUserPreferences() const { return userPrefs_.get(); }
  // A file the system asked vyx to open: before start-up, the one start-up
  // opens; after it, recorded as the last dossier.
  void SetUserFileSpec(const CPFileRef& file);
  // The dossier start-up opens: the file asked for, the last one if it is
  // still there, then the sample (copied into the data folder first), then a
  // file the user names. False when there is none.
  virtual bool GetUserFileSpec(CPFileRef* file);
  // Opens the dossier GetUserFileSpec chooses; a failure is shown to the user
  // and leaves vyx without a dossier.
  virtual bool LoadLastUserPrefs();
  // Asks the user for a dossier and opens it.
  virtual bool LoadUserUserPrefs();
  // Opens the sample dossier, copying it into the data folder the first time.
  virtual bool LoadSampleUserPrefs();
  // Opens (or with `create` creates) a user file in place of the open one,
  // records it as the last dossier and, unless it is the sample, as a recent
  // one. Raises what prevented it; the old dossier is closed either way.
  virtual void ChangeUserPreferences(const CPFileRef& file, bool create);
  // 'CONT' 2, the user file closed, 'CONT' 3. Nothing when none is open.
  virtual void CloseUserPreferences();
  // Opens a document: a dossier takes the place of the open one.
  virtual bool OpenDocument(const CPFileRef& file);
  // Asks for the document to open.
  virtual bool OpenDocument();

  // The installed sample dossier, and the copy that is opened in its place.
  CPFileRef GetInstalledSampleSpec() const;
  CPFileRef GetSampleSpec() const;
  bool IsSample(const CPFileRef& file) const;

  // ---- Files of dossiers. Each answers false rather than raise; a dossier's
  // event log and share file go with it. The open dossier is not touched.
  virtual bool CopyUserPrefsFile(const CPFileRef& from, const CPFileRef& to);
  virtual bool SwapUserPrefsFiles(const CPFileRef& a, const CPFileRef& b);
  virtual bool DeleteUserPrefsFile(const CPFileRef& file);
  // Renames a dossier in its folder, its event log and its share file with
  // it (`name` in MacRoman, ".grp" added when it has no extension); the
  // recent dossiers and the last one follow. Refused (false, GetLastError)
  // for the open dossier, a name taken by any of the three files (dupFNErr),
  // or a dossier another station has open (fBsyErr); files renamed before a
  // failure get their names back.
  virtual bool RenameUserPrefsFile(const CPFileRef& file, const std::string& name);

  // ---- Recent dossiers: those still there and still dossiers, most recent
  // first. The sample is never one.
  virtual void AddRecentUserPrefs(const CPFileRef& file);
  void AddRecentUserPrefs(const VYXUserPreferences& userPrefs) {
    AddRecentUserPrefs(userPrefs.GetFileSpec());
  }
  virtual void ClearRecentUserPrefs();
  virtual void GetRecentUserPrefs(std::vector<CPFileRef>* files);

  // ---- Accounts. They are opened under the open dossier, which checks each
  // as it opens and takes in what it lacks, and are closed before it. Each
  // operation answers false rather than raise: a failure is shown to the
  // user (a cancellation, such as a password not given, is not) and its code
  // kept for GetLastError.
  // Asks where to make the account (list 407, item 3), then CreateCompte.
  virtual bool CreateCompte(VYXSDBCompte** compte);
  // Makes the account file (it must not exist), lists it in the dossier and
  // opens it. `compte` (may be null) receives the open account.
  virtual bool CreateCompte(const CPFileRef& file, VYXSDBCompte** compte);
  // The same, without listing it in the dossier.
  virtual bool CreateCompteFile(VYXSDBCompte** compte);
  virtual bool CreateCompteFile(const CPFileRef& file, VYXSDBCompte** compte);
  // Opens the account (or finds it open), listing it in the dossier when it
  // is not yet. `check` runs the account's checks of its sums.
  virtual bool OpenCompte(const CPFileRef& file, VYXSDBCompte** compte, bool check = true,
                          bool show = false);
  // Opens every account of the dossier's list that can be found; false when
  // one could not be opened.
  bool OpenAllComptes();
  virtual void BringCompteToFront(VYXSDBCompte& /*compte*/) {}
  // The open list, once per account, in the order of opening: 'CONT' 4 and 5.
  virtual void CompteOpened(VYXSDBCompte& compte);
  virtual void CompteBeingClosed(VYXSDBCompte& compte);
  // 'CONT' 5, then the account closes and is let go.
  virtual void CloseCompte(VYXSDBCompte& compte);
  int32_t GetNbOfComptes() const { return int32_t(comptes_.size()); }
  // n from 1; null out of range.
  VYXSDBCompte* GetNthCompte(int32_t n) const;
  // The open account of that file; false (and nothing opened) when none is.
  bool GetCompte(const CPFileRef& file, VYXSDBCompte** compte) const;
  // Closes every open account; closing one may change the list.
  virtual void CloseAllComptes();
  virtual void CloseAllHiddenComptes() { CloseAllComptes(); }
  // The code of the last failure shown by an operation on accounts, 0 when
  // it was a cancellation.
  int16_t GetLastError() const { return lastError_; }
  // Opens an account for a change another one makes (a transfer's twin),
  // or finds it open: checked by the dossier like any, but not shown and
  // with no questions of its own at opening. Raises why it cannot be opened.
  VYXSDBCompte& OpenCompteInBackground(const CPFileRef& file);
  // Finishes the transfers that a crash left half made in the open dossier
  // (VYXUserDirectory::FinishPendingVirementChanges).
  void FinishPendingVirements();
  // The dossier holds a transfer that a crash cut short (finishing it writes).
  bool HasPendingVirements() const;
  // ---- Files of accounts. Each answers false rather than raise; an open
  // account's file is not renamed, swapped or deleted.
  // Copies `from` into `folder` as "name.cpt"; false when it is not there or
  // the copy's name is taken.
  virtual bool CopyCompteFile(const CPFileRef& from, const CPFileRef& folder,
                              const std::string& name);
  // Renames the file "name.cpt" in its folder; the open dossier's list follows.
  virtual bool RenameCompteFile(const CPFileRef& file, const std::string& name);
  // Exchanges the contents of two account files.
  virtual bool SwapCompteFiles(const CPFileRef& a, const CPFileRef& b);
  virtual bool DeleteCompteFile(const CPFileRef& file);

 protected:
  // Tells the user why a dossier could not be opened (list 351, item 3).
  virtual void ReportOpenFailure(const CPFileRef& file, const std::exception& e);
  // Shows why an operation on an account failed and keeps its code.
  virtual void ReportFailure(const std::exception& e, const CPFileRef* file = nullptr);
  const Folders& GetFolders() const { return folders_; }
  // Whether ChangeUserPreferences records the dossier it opens as the last
  // one and a recent one; a caller that opens a dossier for one piece of
  // work only (the command line's --dossier) turns it off.
  void SetRecordUserFile(bool on) { recordUserFile_ = on; }

 private:
  bool CopySample();
  // Makes or opens the account and registers it; raises.
  // With `list`, an account the dossier does not list is added to it.
  VYXSDBCompte& LoadCompte(const CPFileRef& file, bool create, bool check, bool show, bool list);

  class Opener;

  Folders folders_;
  std::unique_ptr<Opener> opener_;
  bool reading_ = false;
  bool inited_ = false;
  bool quitting_ = false;
  CPFileRef requested_;
  std::unique_ptr<VYXGlobalPreferences> globalPrefs_;
  std::unique_ptr<VYXSDBUserPreferences> userPrefs_;
  std::vector<std::unique_ptr<VYXSDBCompte>> comptes_;
  int16_t lastError_ = 0;
  bool recordUserFile_ = true;
};

extern VYXContainer* gContainer;
extern VYXGlobalPreferences* gGlobalPrefs;
extern VYXSDBUserPreferences* gUserPrefs;

#endif  // VYX_APP_VYXCONTAINER_H_
