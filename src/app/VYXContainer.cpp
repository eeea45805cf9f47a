#include "app/VYXContainer.h"

#include "app/VYXAppFolders.h"
#include "app/VYXAppTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

namespace fs = std::filesystem;

// How the dossier has the container open the accounts a change reaches.
class VYXContainer::Opener : public VYXCompteOpener {
 public:
  explicit Opener(VYXContainer& container) : container_(container) {}
  VYXCompte& OpenCompteFor(const CPFileRef& file) override {
    return container_.OpenCompteInBackground(file);
  }
  void CloseCompteOpenedFor(VYXCompte& compte) override {
    if (auto* stored = dynamic_cast<VYXSDBCompte*>(&compte)) container_.CloseCompte(*stored);
  }
  VYXCompte* FindOpenCompte(const CPFileRef& file) override {
    VYXSDBCompte* open = nullptr;
    return container_.GetCompte(file, &open) ? open : nullptr;
  }

 private:
  VYXContainer& container_;
};

VYXContainer* gContainer = nullptr;
VYXGlobalPreferences* gGlobalPrefs = nullptr;
VYXSDBUserPreferences* gUserPrefs = nullptr;

VYXContainer::VYXContainer(Folders folders) : folders_(std::move(folders)) {
  if (folders_.preferencesFile.empty()) folders_.preferencesFile = CPPreferenceStore::DefaultFile();
  if (folders_.examples.empty()) folders_.examples = VYXExamplesFolder();
  if (folders_.data.empty()) folders_.data = VYXDataFolder();
  gContainer = this;
}

VYXContainer::~VYXContainer() {
  try {
    Quit();
  } catch (...) {
  }
  if (gGlobalPrefs == globalPrefs_.get()) gGlobalPrefs = nullptr;
  if (gContainer == this) gContainer = nullptr;
}

void VYXContainer::Startup() { IContainer(); }

void VYXContainer::IContainer() {
  globalPrefs_ = MakeGlobalPreferences();
  gGlobalPrefs = globalPrefs_.get();
  globalPrefs_->Load();
  LoadLastUserPrefs();
  inited_ = true;
  CheckApplicationVersion(false);
}

void VYXContainer::Quit() {
  Quitting();
  CloseAllComptes();
  CloseUserPreferences();
}

VYXVersionCheckResult VYXContainer::CheckApplicationVersion(bool force) {
  VYXVersionCheckResult result = VYXCheckApplicationVersion(*globalPrefs_, force);
  if (!result.pageToOpen.empty()) OpenWebPage(result.pageToOpen);
  return result;
}

std::unique_ptr<VYXGlobalPreferences> VYXContainer::MakeGlobalPreferences() {
  return std::make_unique<VYXGlobalPreferences>(folders_.preferencesFile);
}

// ---- The user file

void VYXContainer::SetUserFileSpec(const CPFileRef& file) {
  if (!inited_ && !userPrefs_) {
    requested_ = file;
    return;
  }
  if (globalPrefs_) globalPrefs_->SetLastGroupPath(file);
}

bool VYXContainer::GetUserFileSpec(CPFileRef* file) {
  if (!requested_.Empty()) {
    *file = requested_;
    requested_ = CPFileRef();
    return true;
  }
  CPFileRef last;
  if (globalPrefs_ && globalPrefs_->GetLastGroupPath(&last) && last.Exists()) {
    *file = last;
    return true;
  }
  if (CopySample()) {
    *file = GetSampleSpec();
    return true;
  }
  std::string answer;
  if (!CPGetInteraction().AskText(CPGetListString(kVYXAppTextsList, kVYXTextWhichDossier), &answer,
                                  false)) {
    return false;
  }
  *file = CPFileRef(MacRomanToUtf8(answer));
  return true;
}

bool VYXContainer::LoadLastUserPrefs() {
  CPFileRef file;
  if (!GetUserFileSpec(&file)) return false;
  try {
    ChangeUserPreferences(file, false);
    return true;
  } catch (const std::exception& e) {
    ReportOpenFailure(file, e);
    return false;
  }
}

bool VYXContainer::LoadUserUserPrefs() { return OpenDocument(); }

bool VYXContainer::LoadSampleUserPrefs() {
  if (!CopySample()) return false;
  try {
    ChangeUserPreferences(GetSampleSpec(), false);
    return true;
  } catch (const std::exception& e) {
    ReportOpenFailure(GetSampleSpec(), e);
    return false;
  }
}

void VYXContainer::ChangeUserPreferences(const CPFileRef& file, bool create) {
  CloseUserPreferences();
  auto opened = std::make_unique<VYXSDBUserPreferences>(file);
  opened->SetReadingOnly(reading_ && !create);
  opened->IUserPreferences(create);
  userPrefs_ = std::move(opened);
  gUserPrefs = userPrefs_.get();
  if (recordUserFile_) {
    AddRecentUserPrefs(file);
    if (globalPrefs_) globalPrefs_->SetLastGroupPath(CPFileRef(fs::absolute(file.Path())));
  }
  // Before anything else reads the accounts: a transfer a crash cut short
  // is made whole (or undone) first.
  FinishPendingVirements();
}

void VYXContainer::FinishPendingVirements() {
  if (!userPrefs_) return;
  if (!opener_) opener_ = std::make_unique<Opener>(*this);
  userPrefs_->SetCompteOpener(opener_.get());
  // A reader cannot finish them; its session opens again as a writer.
  if (!reading_) userPrefs_->GetUserDirectory().FinishPendingVirementChanges();
}

bool VYXContainer::HasPendingVirements() const {
  return userPrefs_ && userPrefs_->GetVirementsEnCours().GetResourcesCount() > 0;
}

void VYXContainer::CloseUserPreferences() {
  if (!userPrefs_) return;
  // The accounts answer to the dossier: they go first.
  CloseAllComptes();
  BroadcastMessage(kVYXContainerMessage, kContUserPrefsClosing, userPrefs_.get());
  std::unique_ptr<VYXSDBUserPreferences> closing = std::move(userPrefs_);
  gUserPrefs = nullptr;
  try {
    closing->Close();
  } catch (...) {
    BroadcastMessage(kVYXContainerMessage, kContUserPrefsClosed, nullptr);
    throw;
  }
  BroadcastMessage(kVYXContainerMessage, kContUserPrefsClosed, nullptr);
}

bool VYXContainer::OpenDocument(const CPFileRef& file) {
  if (VYXIsCompteFile(file)) return OpenCompte(file, nullptr);
  try {
    if (!VYXIsUserFile(file))
      CPThrow(file.Exists() ? int16_t(kVYXErrNotUserFile) : int16_t(fnfErr));
    ChangeUserPreferences(file, false);
    return true;
  } catch (const std::exception& e) {
    ReportOpenFailure(file, e);
    return false;
  }
}

bool VYXContainer::OpenDocument() {
  std::string answer;
  if (!CPGetInteraction().AskText(CPGetListString(kVYXAppTextsList, kVYXTextWhichDossier), &answer,
                                  false)) {
    return false;
  }
  return OpenDocument(CPFileRef(MacRomanToUtf8(answer)));
}

void VYXContainer::ReportOpenFailure(const CPFileRef& file, const std::exception& e) {
  const CPException* cp = dynamic_cast<const CPException*>(&e);
  if (cp && cp->IsCancel()) return;
  std::string why;
  if (cp) {
    why = cp->DisplayText();
  } else if (!TryUtf8ToMacRoman(e.what(), &why, nullptr)) {
    why.clear();
  }
  if (cp && cp->Code() != 0) {
    std::string withCode = CPGetListString(kCPErrorsListID, 4);
    CPReplaceVar(withCode, 1, why);
    CPReplaceVar(withCode, 2, std::to_string(cp->Code()));
    why = withCode;
  }
  const std::string text = CPGetListString(kVYXAlertsList, kVYXTextCannotOpenDossier);
  CPGetInteraction().Alert(CPFillVars(text, {CPShownText(file.Path().string()), why}));
}

// ---- The sample dossier

CPFileRef VYXContainer::GetInstalledSampleSpec() const {
  return CPFileRef(folders_.examples /
                    MacRomanToUtf8(CPGetListString(kVYXExamplesList, kVYXTextSampleName)));
}

CPFileRef VYXContainer::GetSampleSpec() const {
  CPFileRef installed = GetInstalledSampleSpec();
  return CPFileRef(folders_.data / installed.Path().stem() / installed.Name());
}

bool VYXContainer::IsSample(const CPFileRef& file) const {
  return file.SameFile(GetSampleSpec()) || file.SameFile(GetInstalledSampleSpec());
}

// The installed sample is copied whole (the dossier and its accounts) into a
// folder of the user's data, once: later starts open the copy as the user
// left it. The copy is made beside and renamed into place, so that a copy cut
// short is never taken for the sample.
bool VYXContainer::CopySample() {
  if (GetSampleSpec().Exists()) return true;
  CPFileRef installed = GetInstalledSampleSpec();
  if (!VYXIsUserFile(installed)) return false;
  fs::path target = GetSampleSpec().Path().parent_path();
  fs::path partial = target;
  partial += ".partiel";
  std::error_code ec;
  fs::remove_all(partial, ec);
  fs::create_directories(partial, ec);
  if (ec) return false;
  for (const fs::directory_entry& entry : fs::directory_iterator(folders_.examples, ec)) {
    // A share file says who works in a dossier: it stays with the original.
    if (!entry.is_regular_file() || entry.path().extension() == ".shr") continue;
    fs::copy_file(entry.path(), partial / entry.path().filename(), ec);
    if (ec) break;
  }
  if (!ec) {
    fs::remove_all(target, ec);
    fs::rename(partial, target, ec);
  }
  if (ec) {
    fs::remove_all(partial, ec);
    return false;
  }
  return true;
}

// ---- Recent dossiers

void VYXContainer::AddRecentUserPrefs(const CPFileRef& file) {
  if (!globalPrefs_ || IsSample(file)) return;
  try {
    globalPrefs_->AddRecentDocument(file);
  } catch (const CPException&) {
    // The list is a convenience: a preference file that cannot be written
    // must not keep the dossier from opening.
  }
}

void VYXContainer::ClearRecentUserPrefs() {
  if (globalPrefs_) globalPrefs_->ClearRecentDocuments();
}

void VYXContainer::GetRecentUserPrefs(std::vector<CPFileRef>* files) {
  files->clear();
  if (!globalPrefs_) return;
  for (const CPFileRef& file : globalPrefs_->GetRecentDocuments()) {
    if (VYXIsUserFile(file) && !IsSample(file)) files->push_back(file);
  }
}
