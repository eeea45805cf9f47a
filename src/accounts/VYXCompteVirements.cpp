// Transfers between accounts, seen from one account: its targets (which
// account each designates), its source halves, and the twins it keeps for
// the sources of other accounts: how a twin is built from its source, and how
// a source's twin is added, brought up to date or deleted in the account it
// goes to. Keeping both halves together through a crash is VYXVirementChange's.
#include <cstring>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteDirectory.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXListMapping.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "resources/CPResourceMapping.h"

namespace {

// Holds an account of the dossier for the time of a change.
class Held {
 public:
  Held(VYXCompteDirectory& directory, const CPFileRef& file)
      : directory_(directory), compte_(directory.AcquireCompte(file)) {}
  ~Held() {
    try {
      directory_.ReleaseCompte(compte_);
    } catch (...) {
      // Closing shows its own failures; the change's outcome is the one to report.
    }
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  VYXCompte& operator*() const { return compte_; }
  VYXCompte* operator->() const { return &compte_; }

 private:
  VYXCompteDirectory& directory_;
  VYXCompte& compte_;
};

// Asks question `item` of list 353 (the open or closed form) about the source
// `op` and the account `other`; a refusal gives the change up.
void Confirm(int openItem, int closedItem, bool wasOpen, const Operation& op,
             const std::string& other) {
  std::string question = CPGetListString(kVYXCompteQuestionsList, wasOpen ? openItem : closedItem);
  CPReplaceVar(question, 1, PToStd(op.libelle));
  CPReplaceVar(question, 2, other);
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
}

// Whether two twins differ in anything but their times and split figures,
// which their writes keep for themselves.
bool SameTwin(Operation a, Operation b) {
  a.header.creation = b.header.creation;
  a.header.modification = b.header.modification;
  a.sousOpsNbr = b.sousOpsNbr;
  a.montantSousOp = b.montantSousOp;
  a.montantTvaSousOp = b.montantTvaSousOp;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SameLine(SousOperation a, const SousOperation& b) {
  a.header = b.header;
  a.operation = b.operation;
  return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

VYXCompteDirectory& VYXCompte::GetDirectory() {
  VYXCompteDirectory* directory = supervisor_.GetDirectory();
  if (!directory) CPThrowList(kVYXErrNoDirectory, kVYXVirementsList, kVYXNoDirectoryItem, {GetName()});
  return *directory;
}

// ---- targets

void VYXCompte::AddCompteTarget(const CPFileRef& file, ConstStringPtr name, CPResID* targetID,
                                CompteTarget* target) {
  CompteTarget made;
  made.aliasID = GetDirectory().MakeAlias(*this, file);
  CPResourceSet_T<CompteTarget>& targets = GetTargets();
  CPResID id = targets.GetUniqueID();
  Str255 unique;
  CPStrCopyP(unique, name);
  targets.MakeUniqueName(unique);
  targets.AddResource(id, unique, made);
  if (targetID) *targetID = id;
  if (target) *target = made;
}

CPResID VYXCompte::FindVirementTarget(const CPFileRef& file) {
  CPResourceSet_T<CompteTarget>& targets = GetTargets();
  for (int32_t n = 1, count = targets.GetResourcesCount(); n <= count; ++n) {
    CPResID id = targets.GetNthResource(n);
    CPFileRef found;
    if (id != 0 && CompteTargetToCompteId(id, &found, false) && found.SameFile(file)) return id;
  }
  return 0;
}

CPResID VYXCompte::GetVirementTarget(const CPFileRef& file) {
  if (CPResID found = FindVirementTarget(file)) return found;
  if (file.SameFile(GetCompteFile())) {
    CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXSelfTargetItem, {GetName()});
  }
  std::string name;
  TryUtf8ToMacRoman(file.Path().stem().string(), &name, nullptr);
  Str255 pname;
  StdToP(name, pname);
  CPResID id = 0;
  AddCompteTarget(file, pname, &id, nullptr);
  return id;
}

bool VYXCompte::CompteTargetToCompteId(CPResID targetID, CPFileRef* file, bool showDialog) {
  CompteTarget target;
  if (targetID == 0 || !GetTargets().ReadResource(targetID, &target)) return false;
  Str255 name;
  GetTargets().GetResourceName(targetID, name);
  return GetDirectory().ResolveAlias(*this, target.aliasID, PToStd(name), showDialog, file);
}

bool VYXCompte::FindSourceOperation(VirementKey key, VYXDataRef* ref, Operation* op) {
  if (key == 0) return false;
  Operation candidate;
  VYXDataRef at;
  for (bool more = GetFirstOperation(&candidate, &at); more;
       more = GetNextOperation(&candidate, &at)) {
    if (candidate.virementKey == key && candidate.virementId != 0) {
      if (ref) *ref = at;
      if (op) *op = candidate;
      return true;
    }
  }
  return false;
}

CPResID VYXCompte::CompteToCompte(VYXCompteList list, CPResID id, VYXCompte& target, bool create) {
  if (id == 0) return 0;
  switch (list) {
    case kVYXListCategories:
      return CPMapResourceByName(GetCategories(), target.GetCategories(), id, create, false);
    case kVYXListAffectations:
      return CPMapResourceByName(GetAffectations(), target.GetAffectations(), id, create, false);
    case kVYXListTiers:
      return CPMapResourceByName(GetTiers(), target.GetTiers(), id, create, false);
    case kVYXListAffaires:
      return CPMapResourceByName(GetAffaires(), target.GetAffaires(), id, create, false);
    case kVYXListTauxTVA:
      return CPMapResourceByName(GetTVAs(), target.GetTVAs(), id, create, false);
    case kVYXListModes:
      return CPMapResourceByName<Mode>(GetModes(), target.GetModes(), id, create, false,
                                       VYXClearCompteFields);
    default:
      return 0;
  }
}

// ---- twins, built by the account they live in

void VYXCompte::ConvertVirementToOperation(VYXCompte& source, const Operation& op,
                                           Operation* twin, bool create) {
  Operation made;
  CPStrCopyP(made.libelle, op.libelle);
  made.date = op.date;
  made.fictive = op.fictive;
  made.mois = op.mois;
  made.datePointe = op.datePointe;
  CPStrCopyP(made.noPiece, op.noPiece);
  made.mode = source.CompteToCompte(kVYXListModes, op.mode, *this, create);
  made.categorie = source.CompteToCompte(kVYXListCategories, op.categorie, *this, create);
  made.affectation = source.CompteToCompte(kVYXListAffectations, op.affectation, *this, create);
  made.tva = source.CompteToCompte(kVYXListTauxTVA, op.tva, *this, create);
  made.tiers = source.CompteToCompte(kVYXListTiers, op.tiers, *this, create);
  made.affaire = source.CompteToCompte(kVYXListAffaires, op.affaire, *this, create);

  DeviseCode from = source.GetCompteDevise(), to = GetCompteDevise();
  double montant = op.montant, montantTva = op.montantTva;
  if (from != to) {
    VYXCompteDirectory& directory = GetDirectory();
    made.montant = directory.ConvertDevise(from, to, montant);
    made.montantTva = directory.ConvertDevise(from, to, montantTva);
  } else {
    made.montant = montant;
    made.montantTva = montantTva;
  }
  DeviseCode origine = op.deviseOrigine;
  if (origine != 0 && origine != to) {
    made.deviseOrigine = origine;
    made.montantOrigine = double(op.montantOrigine);
  } else if (from != to) {
    made.deviseOrigine = from;
    made.montantOrigine = montant;
  }
  *twin = made;
}

void VYXCompte::ConvertVirementToSousOperation(VYXCompte& source, const SousOperation& line,
                                               SousOperation* twin, bool create) {
  SousOperation made;
  CPStrCopyP(made.libelle, line.libelle);
  made.mois = line.mois;
  made.categorie = source.CompteToCompte(kVYXListCategories, line.categorie, *this, create);
  made.affectation = source.CompteToCompte(kVYXListAffectations, line.affectation, *this, create);
  made.tva = source.CompteToCompte(kVYXListTauxTVA, line.tva, *this, create);
  made.tiers = source.CompteToCompte(kVYXListTiers, line.tiers, *this, create);
  made.affaire = source.CompteToCompte(kVYXListAffaires, line.affaire, *this, create);
  DeviseCode from = source.GetCompteDevise(), to = GetCompteDevise();
  double montant = line.montant, montantTva = line.montantTva;
  if (from != to) {
    VYXCompteDirectory& directory = GetDirectory();
    made.montant = directory.ConvertDevise(from, to, montant);
    made.montantTva = directory.ConvertDevise(from, to, montantTva);
  } else {
    made.montant = montant;
    made.montantTva = montantTva;
  }
  DeviseCode origine = line.deviseOrigine;
  if (origine != 0 && origine != to) {
    made.deviseOrigine = origine;
    made.montantOrigine = double(line.montantOrigine);
  }
  *twin = made;
}

namespace {

void Invert(Operation& op) {
  op.montant = -double(op.montant) + 0.0;
  op.montantTva = -double(op.montantTva) + 0.0;
  op.montantOrigine = -double(op.montantOrigine) + 0.0;
}

}  // namespace

void VYXCompte::CreateTargetOperation(VYXCompte& source, const Operation& op, Operation* twin,
                                      bool invert, bool create) {
  ConvertVirementToOperation(source, op, twin, create);
  // An account of type 5 follows its transfers as the bank books them.
  if (GetType() == 5 && (op.status == kOpEngagee || op.status == kOpPointee)) {
    twin->status = kOpPointee;
  } else {
    twin->status = op.status == kOpPointee ? OpStatus(kOpEngagee) : OpStatus(op.status);
  }
  if (invert) Invert(*twin);
}

void VYXCompte::UpdateTargetOperation(VYXCompte& source, const Operation& op, Operation* twin,
                                      bool invert, bool create) {
  const Operation was = *twin;
  CreateTargetOperation(source, op, twin, invert, create);
  if (was.status == kOpPointee) {
    // Cleared against this account's statement: the bank date and statement
    // are this account's, whatever the source does.
    twin->status = kOpPointee;
    twin->datePointe = was.datePointe;
  } else if (op.status == kOpPointee) {
    twin->status = was.status;
  }
  twin->header = was.header;
  CPStrCopyP(twin->releve, was.releve);
  CPStrCopyP(twin->noCheque, was.noCheque);
  twin->note = was.note;
  twin->pj = was.pj;
  twin->virementTargetKey = was.virementTargetKey;
  twin->sousOpsNbr = was.sousOpsNbr;
  twin->montantSousOp = double(was.montantSousOp);
  twin->montantTvaSousOp = double(was.montantTvaSousOp);
}

void VYXCompte::CreateTargetSousOperation(VYXCompte& source, const SousOperation& line,
                                          SousOperation* twin, bool invert, bool create) {
  ConvertVirementToSousOperation(source, line, twin, create);
  if (invert) {
    twin->montant = -double(twin->montant) + 0.0;
    twin->montantTva = -double(twin->montantTva) + 0.0;
    twin->montantOrigine = -double(twin->montantOrigine) + 0.0;
  }
}

// ---- a source's twin, from the source's account

bool VYXCompte::HandleOperationVirement(VYXDataRef ref, const Operation& op, bool invert,
                                        bool validate, bool ask, bool showDialog) {
  if (op.virementId == 0 || op.virementKey == 0) return false;
  CPFileRef file;
  if (!CompteTargetToCompteId(op.virementId, &file, showDialog)) return false;
  VYXCompteDirectory& directory = GetDirectory();
  bool wasOpen = directory.GetOpenCompte(file) != nullptr;
  Held target(directory, file);
  std::string other = target->GetName();

  Operation twin;
  VYXDataRef twinRef = 0;
  bool has = target->FindTargetOperation(op.virementKey, &twinRef, &twin);
  if (has && validate) {
    if (ask) Confirm(kVYXVirementValidateItem, kVYXVirementValidateClosedItem, wasOpen, op, other);
    if (twin.status != kOpPrevue) return false;
    twin.status = kOpEngagee;
    target->ModifyOperation(twinRef, twin);
    return true;
  }

  std::vector<SousOperation> want;
  SousOperation line;
  VYXDataRef lineRef;
  for (bool more = GetFirstSousOperation(op, &line, &lineRef); more;
       more = GetNextSousOperation(op, &line, &lineRef)) {
    SousOperation made;
    target->CreateTargetSousOperation(*this, line, &made, invert);
    if (made.deviseOrigine == target->GetCompteDevise()) {
      made.deviseOrigine = 0;
      made.montantOrigine = 0;
    }
    want.push_back(made);
  }
  (void)ref;

  VYXCompteBulk bulk(*target);
  bool changed = false;
  if (!has) {
    if (ask) Confirm(kVYXVirementCreateItem, kVYXVirementCreateClosedItem, wasOpen, op, other);
    target->CreateTargetOperation(*this, op, &twin, invert);
    twin.virementTargetKey = op.virementKey;
    if (twin.deviseOrigine == target->GetCompteDevise()) {
      twin.deviseOrigine = 0;
      twin.montantOrigine = 0;
    }
    target->AddOperation(twin, &twinRef);
    changed = true;
  } else {
    if (ask) Confirm(kVYXVirementUpdateItem, kVYXVirementUpdateClosedItem, wasOpen, op, other);
    Operation next = twin;
    target->UpdateTargetOperation(*this, op, &next, invert);
    if (next.deviseOrigine == target->GetCompteDevise()) {
      next.deviseOrigine = 0;
      next.montantOrigine = 0;
    }
    if (!SameTwin(next, twin)) {
      target->ModifyOperation(twinRef, next);
      changed = true;
    }
  }

  // The twin's lines follow the source's, in place where they can, so that
  // a twin in a locked period whose lines keep their amounts may still take
  // new labels or categories.
  std::vector<std::pair<SousOperation, VYXDataRef>> have;
  target->GetOperation(twinRef, &twin);
  for (bool more = target->GetFirstSousOperation(twin, &line, &lineRef); more;
       more = target->GetNextSousOperation(twin, &line, &lineRef)) {
    have.emplace_back(line, lineRef);
  }
  size_t n = 0;
  for (; n < want.size() && n < have.size(); ++n) {
    if (SameLine(want[n], have[n].first)) continue;
    target->ModifySousOperation(twinRef, want[n], have[n].second);
    changed = true;
  }
  for (size_t k = have.size(); k-- > n;) {
    target->DeleteSousOperation(twinRef, have[k].second);
    changed = true;
  }
  for (; n < want.size(); ++n) {
    target->AddSousOperation(twinRef, want[n], nullptr);
    changed = true;
  }
  return changed;
}

void VYXCompte::KillOperationVirement(const Operation& op, bool ask) {
  if (op.virementId == 0 || op.virementKey == 0) return;
  CPFileRef file;
  if (!CompteTargetToCompteId(op.virementId, &file, false)) return;
  VYXCompteDirectory& directory = GetDirectory();
  bool wasOpen = directory.GetOpenCompte(file) != nullptr;
  Held target(directory, file);
  Operation twin;
  VYXDataRef twinRef = 0;
  if (!target->FindTargetOperation(op.virementKey, &twinRef, &twin)) return;
  if (ask) Confirm(kVYXVirementKillItem, kVYXVirementKillClosedItem, wasOpen, op, target->GetName());
  target->DeleteOperation(twinRef);
}
