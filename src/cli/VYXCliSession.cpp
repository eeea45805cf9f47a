#include "cli/VYXCliSession.h"

#include <filesystem>
#include <sstream>

#include "app/VYXContainer.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliTexts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserTexts.h"

namespace {

// Stands between the container and the user while the container works: the
// alerts it shows are kept, so that a failure becomes the command's error
// rather than a line on stderr followed by a silent "false". The rest passes
// through to the interaction in force.
class AlertCatcher : public CPInteraction {
 public:
  AlertCatcher() : previous_(CPSetInteraction(this)) {}
  ~AlertCatcher() override {
    CPSetInteraction(previous_);
    // What was not taken as the failure is shown after all.
    for (const std::string& alert : alerts_) CPGetInteraction().Alert(alert);
  }
  AlertCatcher(const AlertCatcher&) = delete;
  AlertCatcher& operator=(const AlertCatcher&) = delete;

  // Raises the last failure shown (with the container's code), or a
  // cancellation when nothing was shown.
  [[noreturn]] void Raise(int16_t code) {
    if (alerts_.empty()) CPThrowCancel();
    std::string text = alerts_.back();
    alerts_.pop_back();
    CPThrowMessage(code ? code : int16_t(-1), text);
  }

  bool Caught() const { return !alerts_.empty(); }

  bool AskYesNo(const std::string& q, bool safe) override { return Up().AskYesNo(q, safe); }
  Answer AskYesNoCancel(const std::string& q, Answer safe) override {
    return Up().AskYesNoCancel(q, safe);
  }
  bool AskText(const std::string& p, std::string* a, bool secret) override {
    return Up().AskText(p, a, secret);
  }
  void Alert(const std::string& message) override { alerts_.push_back(message); }
  void ProgressBegin(const std::string& title, long total) override {
    Up().ProgressBegin(title, total);
  }
  void ProgressUpdate(long done) override { Up().ProgressUpdate(done); }
  void ProgressEnd() override { Up().ProgressEnd(); }

 private:
  CPInteraction& Up() {
    CPSetInteraction(previous_);
    CPInteraction& up = CPGetInteraction();
    CPSetInteraction(this);
    return up;
  }

  CPInteraction* previous_;
  std::vector<std::string> alerts_;
};

// Closing what a rollback left behind: the files are as they were, and what
// fails to close there (it may not write any more) concerns nobody.
class Unheard : public CPInteraction {
 public:
  Unheard() : previous_(CPSetInteraction(this)) {}
  ~Unheard() override { CPSetInteraction(previous_); }
  Unheard(const Unheard&) = delete;
  Unheard& operator=(const Unheard&) = delete;
  bool AskYesNo(const std::string&, bool safe) override { return safe; }
  Answer AskYesNoCancel(const std::string&, Answer safe) override { return safe; }
  bool AskText(const std::string&, std::string*, bool) override { return false; }
  void Alert(const std::string&) override {}
  void ProgressBegin(const std::string&, long) override {}
  void ProgressUpdate(long) override {}
  void ProgressEnd() override {}

 private:
  CPInteraction* previous_;
};

}  // namespace

// The container as the command line runs it: start-up may leave the dossier
// to the command.
class VYXCliSession::CliContainer : public VYXContainer {
 public:
  bool openDossier = true;
  bool LoadLastUserPrefs() override {
    return openDossier ? VYXContainer::LoadLastUserPrefs() : false;
  }
  using VYXContainer::SetRecordUserFile;
};

VYXCliSession::VYXCliSession(VYXCliContext& ctx, Start start) : ctx_(ctx) {
  Begin(start);
  // A transfer cut short by a crash shows as half a transfer until it is
  // finished, which writes: a command that only reads then opens the dossier
  // as a writer would, so that it never shows what no command left.
  if (start == Start::kReading && container_->HasPendingVirements()) {
    {
      Unheard unheard;
      try {
        container_->Quit();
      } catch (...) {
      }
    }
    container_.reset();
    Begin(Start::kDossier);
  }
}

void VYXCliSession::Begin(Start start) {
  rollback_ = start == Start::kReading ? nullptr : std::make_unique<CPFileRollback>();
  if (ctx_.held && ctx_.direct) {
    if (start == Start::kReading) {
      *ctx_.direct << ctx_.held->str();
      ctx_.held->str(std::string());
      ctx_.out = ctx_.direct;
    } else if (start == Start::kDossier) {
      ctx_.out = ctx_.held;
    }
  }
  container_ = std::make_unique<CliContainer>();
  container_->openDossier = start != Start::kNoDossier;
  container_->SetReadingOnly(start == Start::kReading);
  if (container_->openDossier && !ctx_.dossier.empty()) {
    container_->SetUserFileSpec(CPFileRef(ctx_.dossier));
    // The dossier of this command only: the next ones work where they did.
    container_->SetRecordUserFile(false);
  }
  AlertCatcher catcher;
  container_->Startup();
  if (container_->openDossier && !container_->GetUserPreferences()) {
    // Why the dossier did not open, or that there is none to open.
    if (catcher.Caught()) catcher.Raise(kVYXErrNoDossier);
    CPThrow(kVYXErrNoDossier);
  }
}

// Reached without Close when the command failed: what it wrote is undone
// first, then everything is let go without a word.
VYXCliSession::~VYXCliSession() {
  if (rollback_ && !rollback_->Done()) {
    const bool wrote = rollback_->Wrote() && rollback_->WriteFailed();
    std::string why;
    if (!rollback_->Rollback(&why)) {
      ctx_.undo = VYXCliContext::Undo::kNotUndone;
      ctx_.undoFailure = why;
    } else if (wrote) {
      ctx_.undo = VYXCliContext::Undo::kUndone;
    }
    Unheard unheard;
    try {
      container_->Quit();
    } catch (...) {
    }
    return;
  }
  try {
    container_->Quit();
  } catch (const std::exception& e) {
    const CPException* cp = dynamic_cast<const CPException*>(&e);
    if (!cp || !cp->IsCancel()) CPGetInteraction().Alert(cp ? cp->DisplayText() : std::string());
  }
}

VYXContainer& VYXCliSession::Container() const { return *container_; }

VYXSDBUserPreferences& VYXCliSession::Dossier() const {
  VYXSDBUserPreferences* dossier = container_->GetUserPreferences();
  if (!dossier) CPThrow(kVYXErrNoDossier);
  return *dossier;
}

void VYXCliSession::ChangeDossier(const CPFileRef& file, bool create) {
  // `dossier creer` and `dossier ouvrir` name the dossier of the next commands.
  container_->SetRecordUserFile(true);
  container_->ChangeUserPreferences(file, create);
}

std::vector<VYXCliSession::Compte> VYXCliSession::Comptes() const {
  VYXSDBUserPreferences& dossier = Dossier();
  std::vector<Compte> comptes;
  int32_t count = dossier.GetNbOfComptes();
  for (int32_t n = 1; n <= count; ++n) {
    Compte c;
    c.position = n;
    if (!dossier.GetNthCompte(n, &c.id)) continue;
    Str255 name;
    dossier.GetComptes().GetResourceName(c.id, name);
    c.name = PToStd(name);
    comptes.push_back(c);
  }
  return comptes;
}

bool VYXCliSession::FindCompte(const std::string& macRoman, Compte* compte) const {
  for (const Compte& c : Comptes()) {
    if (CPEqualString(c.name, macRoman, false, false)) {
      *compte = c;
      return true;
    }
  }
  return false;
}

VYXCliSession::Compte VYXCliSession::FindCompte(const std::string& utf8) const {
  std::string name = VYXArgText(utf8);
  Compte found;
  if (!FindCompte(name, &found)) {
    std::string dossier;
    if (!TryUtf8ToMacRoman(Dossier().GetFileSpec().Name(), &dossier, nullptr)) dossier = "?";
    CPThrowList(kVYXErrCompteNotListed, kVYXCliTexts, kCliNoSuchCompte, {dossier, name});
  }
  return found;
}

CPFileRef VYXCliSession::CompteFile(const Compte& compte, bool askWhere) const {
  CPFileRef file, expected;
  AlertCatcher catcher;
  using State = VYXUserPreferences::CompteFileState;
  State state = Dossier().LocateCompte(compte.position, &file, true, askWhere, &expected);
  const std::string place = CPShownText(file.Path().string());
  switch (state) {
    case State::kFound:
      return file;
    case State::kRefused:
      CPThrowList(kVYXErrCompteOutside, kVYXUserFilesList, kVYXTextOutsideRefused,
                  {compte.name, CPShownText(expected.Path().string()), place});
    case State::kNotAFile: {
      std::error_code ec;
      const bool folder = std::filesystem::is_directory(file.Path(), ec);
      CPThrowList(notAFileErr, kVYXUserFilesList,
                  folder ? kVYXTextCompteIsFolder : kVYXTextCompteNotAFile, {place, compte.name});
    }
    default:
      if (!askWhere) return CPFileRef();
      CPThrowList(fnfErr, kVYXCliTexts, kCliCompteFileMissing, {compte.name});
  }
}

VYXSDBCompte& VYXCliSession::OpenCompte(const std::string& utf8) {
  return OpenCompte(FindCompte(utf8));
}

VYXSDBCompte& VYXCliSession::OpenCompte(const Compte& compte) {
  return OpenCompteFile(CompteFile(compte));
}

VYXSDBCompte& VYXCliSession::OpenCompteFile(const CPFileRef& file, bool openEvents) {
  bool wasOpen = container_->GetCompte(file, nullptr);
  VYXSDBCompte* compte = nullptr;
  {
    AlertCatcher catcher;
    if (!container_->OpenCompte(file, &compte) || !compte) catcher.Raise(container_->GetLastError());
  }
  if (!wasOpen && openEvents) {
    // What the schedule cannot make is said; the command goes on. A command
    // that only reads cannot make anything: it says what is waiting.
    try {
      if (!rollback_) {
        std::vector<VYXOpenEvent> events;
        if (compte->GetGenerateOpAuto()) compte->BuildOpenEventsArray(true, CPClock::Now(), &events);
        if (!events.empty()) CPGetInteraction().Alert(compte->OpenEventsReadOnlyText(events));
      } else {
        compte->HandleOpenEvents(true, CPClock::Now());
      }
    } catch (const CPException& e) {
      if (!e.IsCancel()) CPGetInteraction().Alert(e.DisplayText());
    }
  }
  return *compte;
}

VYXSDBCompte& VYXCliSession::OpenCompteQuietly(const std::string& utf8) {
  return OpenCompteQuietly(FindCompte(utf8));
}

VYXSDBCompte& VYXCliSession::OpenCompteQuietly(const Compte& compte) {
  return OpenCompteFile(CompteFile(compte), false);
}

VYXSDBCompte& VYXCliSession::CreateCompte(const CPFileRef& file) {
  AlertCatcher catcher;
  VYXSDBCompte* compte = nullptr;
  if (!container_->CreateCompte(file, &compte) || !compte) {
    catcher.Raise(container_->GetLastError());
  }
  return *compte;
}

void VYXCliSession::OpenAllComptes() {
  for (const Compte& compte : Comptes()) OpenCompte(compte);
}

void VYXCliSession::Close() {
  if (!rollback_) {
    AlertCatcher catcher;
    container_->Quit();
    // Accounts that failed to close were shown and passed over: the command failed.
    if (catcher.Caught()) catcher.Raise(container_->GetLastError());
    return;
  }
  // The last changes of the command: what closing would save.
  for (int32_t n = 1; n <= container_->GetNbOfComptes(); ++n) {
    container_->GetNthCompte(n)->SaveBeforeClosing();
  }
  if (VYXSDBUserPreferences* dossier = container_->GetUserPreferences()) dossier->SavePreferences();
  rollback_->Commit();
  // Done: the files hold the command whole. Closing only marks them closed
  // and saves their indexes, which the next opening makes again if need be.
  Unheard unheard;
  try {
    container_->Quit();
  } catch (...) {
  }
}
