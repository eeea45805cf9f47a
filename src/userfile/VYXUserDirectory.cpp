#include "userfile/VYXUserDirectory.h"

#include <algorithm>
#include <filesystem>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXSDBCompte.h"
#include "accounts/VYXVirementChange.h"
#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXFileAlias.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserTexts.h"

namespace {

// The prompt for the file of a transfer target that moved: list 269, item 15.
constexpr int kVYXListQuestionsList = 269;
constexpr int kVYXWhereIsTargetItem = 15;

VYXSDBCompte& Stored(VYXCompte& compte) {
  auto* stored = dynamic_cast<VYXSDBCompte*>(&compte);
  if (!stored) CPThrow(kVYXErrCompteNotMade);
  return *stored;
}

// What an account's journal entries call it: its ID in the dossier's list.
CPResID ListID(VYXSDBUserPreferences& user, const CPFileRef& file) {
  int32_t position = user.GetCompteIndex(file);
  CPResID id = 0;
  if (position == 0 || !user.GetNthCompte(position, &id)) {
    std::string name;
    TryUtf8ToMacRoman(VYXCompteNameOfFile(file), &name, nullptr);
    CPThrowList(kVYXErrCompteNotListed, kVYXVirementsList, kVYXTargetNotListedItem, {name});
  }
  return id;
}

// A file found only outside the dossier's folder (maybe the original of a
// copied dossier) is written only once the user agreed to it.
bool FileOfID(VYXSDBUserPreferences& user, CPResID id, CPFileRef* file) {
  int32_t position = user.GetCompteIndex(id);
  return position != 0 && user.LocateCompte(position, file, true, false) ==
                              VYXUserPreferences::CompteFileState::kFound;
}

std::string NameOfID(VYXSDBUserPreferences& user, CPResID id) {
  Str255 name;
  if (!user.GetComptes().ResourceExists(id)) return "?";
  user.GetComptes().GetResourceName(id, name);
  return PToStd(name);
}

bool IsBusy(const CPException& e) { return e.Code() == opWrErr || e.Code() == fBsyErr; }

}  // namespace

CPResID VYXUserDirectory::MakeAlias(VYXCompte& compte, const CPFileRef& target) {
  VYXSDBCompte& stored = Stored(compte);
  VYXUserAliasesSet aliases(stored.GetResourceStorage());
  CPResID id = aliases.GetUniqueID();
  CPFileRef from;
  stored.GetCompteIdentifier(&from);
  aliases.WriteAlias(id, VYXFileAlias::Make(target, from));
  return id;
}

bool VYXUserDirectory::ResolveAlias(VYXCompte& compte, CPResID aliasID, const std::string& name,
                                    bool ask, CPFileRef* file) {
  VYXSDBCompte& stored = Stored(compte);
  CPFileRef from;
  stored.GetCompteIdentifier(&from);
  {
    VYXUserAliasesSet aliases(stored.GetResourceStorage());
    VYXFileAlias alias;
    CPFileRef found;
    // Only a file beside the account (or under its folder): one found by its
    // old absolute path elsewhere may be another dossier's, which the
    // dossier's list below asks about.
    VYXAliasResolution how = VYXAliasResolution::kNotFound;
    if (aliasID != 0 && aliases.ReadAlias(aliasID, &alias)) {
      how = VYXResolveAlias(alias, from, name, false, &found);
    }
    if (how == VYXAliasResolution::kRelative || how == VYXAliasResolution::kBeside ||
        how == VYXAliasResolution::kAbsolute) {
      *file = found;
      return true;
    }
  }
  // An account moved with its dossier's list kept up to date: found by name.
  using State = VYXUserPreferences::CompteFileState;
  for (int32_t n = 1, count = user_.GetNbOfComptes(); n <= count; ++n) {
    CPResID id = 0;
    if (!user_.GetNthCompte(n, &id)) continue;
    if (!CPEqualString(NameOfID(user_, id), name, false, false)) continue;
    State state = user_.LocateCompte(n, file, ask, ask);
    if (state == State::kFound) return true;
    if (state == State::kRefused) return false;
  }
  if (!ask) return false;
  std::string prompt = CPGetListString(kVYXListQuestionsList, kVYXWhereIsTargetItem);
  CPReplaceVar(prompt, 1, name);
  std::string answer;
  while (CPGetInteraction().AskText(prompt, &answer, false)) {
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(MacRomanToUtf8(answer), ec);
    if (!ec && std::filesystem::is_regular_file(p, ec)) {
      *file = CPFileRef(p);
      return true;
    }
    std::string again = CPGetListString(kVYXUserTextsList, kVYXTextNoSuchFile);
    CPReplaceVar(again, 1, answer);
    CPGetInteraction().Alert(again);
    answer.clear();
  }
  return false;
}

bool VYXUserDirectory::IsDossierCompte(const CPFileRef& file) {
  return user_.GetCompteIndex(file) != 0;
}

VYXCompte* VYXUserDirectory::GetOpenCompte(const CPFileRef& file) {
  if (opener_) return opener_->FindOpenCompte(file);
  for (VYXCompte* open : user_.GetOpenComptes()) {
    if (open->GetCompteFile().SameFile(file)) return open;
  }
  return nullptr;
}

VYXCompte& VYXUserDirectory::AcquireCompte(const CPFileRef& file) {
  for (Held& h : held_) {
    if (h.compte->GetCompteFile().SameFile(file)) {
      ++h.count;
      return *h.compte;
    }
  }
  VYXCompte* open = GetOpenCompte(file);
  bool opened = false;
  if (!open) {
    if (!opener_) CPThrow(kVYXErrNoDossier);
    open = &opener_->OpenCompteFor(file);
    opened = true;
  }
  held_.push_back({open, 1, opened});
  return *open;
}

void VYXUserDirectory::ReleaseCompte(VYXCompte& compte) {
  auto it = std::find_if(held_.begin(), held_.end(), [&](const Held& h) { return h.compte == &compte; });
  if (it == held_.end() || --it->count > 0) return;
  bool opened = it->opened;
  held_.erase(it);
  if (opened && opener_) opener_->CloseCompteOpenedFor(compte);
}

double VYXUserDirectory::ConvertDevise(DeviseCode from, DeviseCode to, double amount) {
  if (from == to) return amount;
  return user_.MontantToDevise(to, user_.DeviseToMontant(from, amount));
}

uint32_t VYXUserDirectory::NoteVirementChange(const VYXVirementJournalEntry& entry) {
  VYXUserPreferences::Exclusive hold(user_);
  VYXVirementEnCours record;
  record.kind = entry.kind;
  record.invert = entry.invert ? 1 : 0;
  record.source = ListID(user_, entry.source);
  record.target = ListID(user_, entry.target);
  record.key = entry.key;
  std::string name = CPGetListString(kVYXVirementsList, kVYXJournalNameItem);
  CPReplaceVar(name, 1, NameOfID(user_, record.source));
  CPReplaceVar(name, 2, NameOfID(user_, record.target));
  CPReplaceVar(name, 3, std::to_string(entry.key));
  Str255 pname;
  StdToP(name, pname);
  VYXUserVirementsSet& set = user_.GetVirementsEnCours();
  set.MakeUniqueName(pname);
  return uint16_t(user_.AddItem(set, pname, &record, sizeof record));
}

void VYXUserDirectory::VirementChangeDone(uint32_t id) {
  VYXUserPreferences::Exclusive hold(user_);
  VYXUserVirementsSet& set = user_.GetVirementsEnCours();
  if (set.ResourceExists(CPResID(id))) set.RemoveResource(CPResID(id));
}

bool VYXUserDirectory::FindVirementSource(const CPFileRef& twinFile, VirementKey key,
                                          CPFileRef* sourceFile) {
  if (key == 0) return false;
  for (int32_t n = 1, count = user_.GetNbOfComptes(); n <= count; ++n) {
    CPFileRef file;
    // Not outside the dossier's folder: a source there would then be written.
    if (user_.LocateCompte(n, &file, false, false) != VYXUserPreferences::CompteFileState::kFound ||
        file.SameFile(twinFile)) {
      continue;
    }
    VYXCompte* compte = nullptr;
    try {
      compte = &AcquireCompte(file);
    } catch (const CPException&) {
      continue;  // an account that cannot be opened holds nothing we can reach
    }
    Operation op;
    CPFileRef goesTo;
    bool found = compte->FindSourceOperation(key, nullptr, &op) &&
                 compte->CompteTargetToCompteId(op.virementId, &goesTo, false) &&
                 goesTo.SameFile(twinFile);
    ReleaseCompte(*compte);
    if (found) {
      *sourceFile = file;
      return true;
    }
  }
  return false;
}

std::vector<std::pair<uint32_t, VYXVirementJournalEntry>>
VYXUserDirectory::PendingVirementChanges() {
  std::vector<std::pair<uint32_t, VYXVirementJournalEntry>> pending;
  VYXUserPreferences::Exclusive hold(user_);
  VYXUserVirementsSet& set = user_.GetVirementsEnCours();
  std::vector<CPResID> moot;
  for (int32_t n = 1, count = set.GetResourcesCount(); n <= count; ++n) {
    CPResID id = set.GetNthResource(n);
    VYXVirementEnCours record;
    if (id == 0 || !set.ReadResource(id, &record)) continue;
    VYXVirementJournalEntry entry;
    bool known = record.version == kVYXVirementEnCoursVersion &&
                 (record.kind == VYXVirementJournalEntry::kFollow ||
                  record.kind == VYXVirementJournalEntry::kDelete);
    if (!known) continue;  // written by a later vyx: its to finish
    if (!FileOfID(user_, record.source, &entry.source) ||
        !FileOfID(user_, record.target, &entry.target)) {
      moot.push_back(id);
      continue;
    }
    entry.kind = VYXVirementJournalEntry::Kind(record.kind);
    entry.invert = record.invert != 0;
    entry.key = record.key;
    pending.emplace_back(uint16_t(id), entry);
  }
  for (CPResID id : moot) set.RemoveResource(id);
  return pending;
}

int VYXUserDirectory::FinishPendingVirementChanges() {
  int finished = 0;
  for (const auto& [id, entry] : PendingVirementChanges()) {
    std::string source, target;
    TryUtf8ToMacRoman(VYXCompteNameOfFile(entry.source), &source, nullptr);
    TryUtf8ToMacRoman(VYXCompteNameOfFile(entry.target), &target, nullptr);
    try {
      VYXCompte& from = AcquireCompte(entry.source);
      try {
        VYXCompte& to = AcquireCompte(entry.target);
        try {
          VYXFinishVirementChange(entry, from, to);
          VirementChangeDone(id);
        } catch (...) {
          ReleaseCompte(to);
          throw;
        }
        ReleaseCompte(to);
      } catch (...) {
        ReleaseCompte(from);
        throw;
      }
      ReleaseCompte(from);
      ++finished;
      std::string done = CPGetListString(kVYXVirementsList, kVYXRecoveredItem);
      CPReplaceVar(done, 1, source);
      CPReplaceVar(done, 2, target);
      CPGetInteraction().Alert(done);
    } catch (const CPException& e) {
      // Another process holds an account: it may be this very change, still at work.
      if (IsBusy(e) || e.IsCancel()) continue;
      std::string why = CPGetListString(kVYXVirementsList, kVYXNotRecoveredItem);
      CPReplaceVar(why, 1, source);
      CPReplaceVar(why, 2, target);
      CPReplaceVar(why, 3, e.DisplayText());
      CPGetInteraction().Alert(why);
    }
  }
  return finished;
}
