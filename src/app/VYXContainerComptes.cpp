// The accounts the container keeps open, under the open dossier.
#include <algorithm>

#include "app/VYXContainer.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXUserTexts.h"

namespace fs = std::filesystem;

VYXSDBCompte& VYXContainer::OpenCompteInBackground(const CPFileRef& file) {
  VYXSDBCompte* open = nullptr;
  if (GetCompte(file, &open)) return *open;
  if (!file.Exists()) CPThrow(fnfErr);
  return LoadCompte(file, false, true, false, false);
}

VYXSDBCompte& VYXContainer::LoadCompte(const CPFileRef& file, bool create, bool check, bool show,
                                       bool list) {
  if (!userPrefs_) CPThrow(kVYXErrNoDossier);
  auto compte = std::make_unique<VYXSDBCompte>(*userPrefs_, file);
  compte->SetReadingOnly(reading_ && !create);
  compte->ICompte(create, check, show);
  VYXSDBCompte& opened = *compte;
  comptes_.push_back(std::move(compte));
  try {
    if (list && !reading_ && userPrefs_->GetCompteIndex(file) == 0) userPrefs_->AddCompte(file);
  } catch (...) {
    CloseCompte(opened);
    throw;
  }
  CompteOpened(opened);
  userPrefs_->CompteOpened(opened);
  return opened;
}

bool VYXContainer::CreateCompte(VYXSDBCompte** compte) {
  std::string answer;
  if (!CPGetInteraction().AskText(CPGetListString(kVYXNewCompteList, kVYXTextNewComptePlace),
                                  &answer, false)) {
    lastError_ = 0;
    return false;
  }
  return CreateCompte(CPFileRef(fs::absolute(MacRomanToUtf8(answer))), compte);
}

bool VYXContainer::CreateCompte(const CPFileRef& file, VYXSDBCompte** compte) {
  try {
    VYXSDBCompte& created = LoadCompte(file, true, true, false, true);
    if (compte) *compte = &created;
    return true;
  } catch (const std::exception& e) {
    ReportFailure(e, &file);
    return false;
  }
}

bool VYXContainer::CreateCompteFile(VYXSDBCompte** compte) {
  std::string answer;
  if (!CPGetInteraction().AskText(CPGetListString(kVYXNewCompteList, kVYXTextNewComptePlace),
                                  &answer, false)) {
    lastError_ = 0;
    return false;
  }
  return CreateCompteFile(CPFileRef(fs::absolute(MacRomanToUtf8(answer))), compte);
}

bool VYXContainer::CreateCompteFile(const CPFileRef& file, VYXSDBCompte** compte) {
  try {
    VYXSDBCompte& created = LoadCompte(file, true, true, false, false);
    if (compte) *compte = &created;
    return true;
  } catch (const std::exception& e) {
    ReportFailure(e, &file);
    return false;
  }
}

bool VYXContainer::OpenCompte(const CPFileRef& file, VYXSDBCompte** compte, bool check,
                              bool show) {
  VYXSDBCompte* open = nullptr;
  if (GetCompte(file, &open)) {
    BringCompteToFront(*open);
    if (compte) *compte = open;
    return true;
  }
  try {
    if (!file.Exists()) CPThrow(fnfErr);
    VYXSDBCompte& opened = LoadCompte(file, false, check, show, true);
    if (compte) *compte = &opened;
    return true;
  } catch (const std::exception& e) {
    ReportFailure(e, &file);
    return false;
  }
}

bool VYXContainer::OpenAllComptes() {
  if (!userPrefs_) return false;
  bool all = true;
  int32_t count = userPrefs_->GetNbOfComptes();
  for (int32_t n = 1; n <= count; ++n) {
    CPFileRef file;
    if (!userPrefs_->GetNthCompte(n, &file, true) || !OpenCompte(file, nullptr)) all = false;
  }
  return all;
}

void VYXContainer::CompteOpened(VYXSDBCompte& compte) {
  BroadcastMessage(kVYXContainerMessage, kContCompteOpened, &compte);
}

void VYXContainer::CompteBeingClosed(VYXSDBCompte& compte) {
  BroadcastMessage(kVYXContainerMessage, kContCompteClosing, &compte);
}

void VYXContainer::CloseCompte(VYXSDBCompte& compte) {
  auto it =
      std::find_if(comptes_.begin(), comptes_.end(),
                   [&](const std::unique_ptr<VYXSDBCompte>& c) { return c.get() == &compte; });
  if (it == comptes_.end()) return;
  std::unique_ptr<VYXSDBCompte> closing = std::move(*it);
  comptes_.erase(it);
  CompteBeingClosed(*closing);
  closing->Close();
}

VYXSDBCompte* VYXContainer::GetNthCompte(int32_t n) const {
  if (n < 1 || n > GetNbOfComptes()) return nullptr;
  return comptes_[size_t(n - 1)].get();
}

bool VYXContainer::GetCompte(const CPFileRef& file, VYXSDBCompte** compte) const {
  for (const std::unique_ptr<VYXSDBCompte>& c : comptes_) {
    if (c->IsTheSameCompte(file)) {
      if (compte) *compte = c.get();
      return true;
    }
  }
  return false;
}

void VYXContainer::CloseAllComptes() {
  std::vector<VYXSDBCompte*> open;
  for (const std::unique_ptr<VYXSDBCompte>& c : comptes_) open.push_back(c.get());
  for (VYXSDBCompte* c : open) {
    try {
      CloseCompte(*c);  // nothing for one that closing another already closed
    } catch (const std::exception& e) {
      ReportFailure(e);
    }
  }
}

void VYXContainer::ReportFailure(const std::exception& e, const CPFileRef* file) {
  const CPException* cp = dynamic_cast<const CPException*>(&e);
  if (cp && cp->IsCancel()) {
    lastError_ = 0;
    return;
  }
  lastError_ = cp ? cp->Code() : int16_t(ioErr);
  std::string text;
  if (cp) {
    text = cp->DisplayText();
  } else if (!TryUtf8ToMacRoman(e.what(), &text, nullptr)) {
    text.clear();
  }
  // The engine's and the system's errors ("Bloc 14 : ...", a directory) do not
  // say which file they met: the account's own messages do.
  const bool fileError = lastError_ < 0 || (lastError_ >= 1000 && lastError_ < 2000);
  if (file && cp && fileError) {
    std::string why =
        CPFillVars(CPGetListString(kCPErrorsListID, 4), {text, std::to_string(lastError_)});
    text = CPFillVars(CPGetListString(kVYXUserFilesList, kVYXTextCannotOpenCompte),
                      {CPShownText(file->Path().string()), why});
  }
  CPGetInteraction().Alert(text);
}
