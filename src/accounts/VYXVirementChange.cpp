#include "accounts/VYXVirementChange.h"

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXCompteGlance.h"
#include "accounts/VYXVirementKey.h"
#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"

namespace {

// The other account refuses the twin's change: its own message, said of that account.
[[noreturn]] void RefuseTwin(VYXCompte& target, int item, const Operation& twin) {
  std::string why = CPGetListString(kVYXCompteErrorsList, item);
  CPReplaceVar(why, 1, VYXOperationTitle(twin.libelle, twin.date));
  CPThrowList(kVYXErrCompteLocked, kVYXVirementsList, kVYXTargetRefusesItem,
              {target.GetName(), why});
}

void Confirm(int openItem, int closedItem, bool wasOpen, const Operation& op,
             const std::string& other) {
  std::string question = CPGetListString(kVYXCompteQuestionsList, wasOpen ? openItem : closedItem);
  CPReplaceVar(question, 1, PToStd(op.libelle));
  CPReplaceVar(question, 2, other);
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
}

// Whether the account would refuse to change what `op` weighs in its
// totals: a locked operation's amounts stay as they are.
bool IsLocked(VYXCompte& compte, const Operation& op) {
  Operation moved = op;
  moved.montant = double(op.montant) + 1.0;
  return !compte.CanModifyOperation(op, moved);
}

}  // namespace

VYXVirementChange::VYXVirementChange(VYXCompte& source, bool invert, bool ask)
    : source_(source), invert_(invert), ask_(ask) {}

VYXVirementChange::~VYXVirementChange() { Release(); }

void VYXVirementChange::Release() {
  for (Target& t : targets_) {
    if (!t.compte) continue;
    VYXCompte* compte = t.compte;
    t.compte = nullptr;
    try {
      source_.GetDirectory().ReleaseCompte(*compte);
    } catch (...) {
      // Closing shows its own failures; what the change did is already said.
    }
  }
}

VYXVirementChange::Target& VYXVirementChange::TargetFor(const CPFileRef& file, VirementKey key) {
  for (Target& t : targets_) {
    if (t.file.SameFile(file)) return t;
  }
  Target t;
  t.file = file;
  t.key = key;
  targets_.push_back(t);
  return targets_.back();
}

void VYXVirementChange::Prepare(const Operation* before, const Operation* after,
                                const std::vector<SousOperation>* afterLines,
                                const CPFileRef* afterTarget) {
  deletion_ = after == nullptr;
  label_ = after ? *after : *before;

  // The source's own rules first: nothing must be written for a change it refuses.
  if (!before && after && !source_.CanAddOperation(*after)) {
    VYXRefuseLocked(kVYXCannotAddItem, *after);
  }
  if (before && after && !source_.CanModifyOperation(*before, *after)) {
    VYXRefuseLocked(kVYXCannotModifyItem, *after);
  }
  if (before && !after && !source_.CanDeleteOperation(*before)) {
    VYXRefuseLocked(kVYXCannotDeleteItem, *before);
  }

  bool wasTransfer = before && before->virementId != 0 && before->virementKey != 0;
  bool isTransfer = after && (after->virementId != 0 || afterTarget);
  if (!wasTransfer && !isTransfer) return;
  VYXCompteDirectory& directory = source_.GetDirectory();

  if (wasTransfer) {
    // A target that no longer leads to an account of the dossier (the
    // account was taken out of it, or its file deleted) has no twin to reach.
    CPFileRef file;
    if (source_.CompteTargetToCompteId(before->virementId, &file, false) &&
        directory.IsDossierCompte(file)) {
      TargetFor(file, before->virementKey);
    }
  }
  if (isTransfer) {
    CPFileRef file;
    if (afterTarget) {
      file = *afterTarget;
      half_.target = source_.FindVirementTarget(file);
    } else {
      half_.target = after->virementId;
      if (!source_.CompteTargetToCompteId(after->virementId, &file, true)) {
        Str255 name;
        name[0] = 0;
        if (source_.GetTargets().ResourceExists(CPResID(after->virementId))) {
          source_.GetTargets().GetResourceName(after->virementId, name);
        }
        CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXTargetNotFoundItem,
                    {PToStd(name)});
      }
    }
    if (file.SameFile(source_.GetCompteFile())) {
      CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXSelfTargetItem,
                  {source_.GetName()});
    }
    if (!directory.IsDossierCompte(file)) {
      std::string name;
      TryUtf8ToMacRoman(file.Path().stem().string(), &name, nullptr);
      CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXTargetNotListedItem, {name});
    }
    afterFile_ = file;
    half_.key = after->virementKey;
    TargetFor(file, half_.key).follows = true;
  }

  // An account that is not open is looked at first, without writing to it:
  // opening it for the change would already have marked it open.
  for (Target& t : targets_) {
    t.wasOpen = directory.GetOpenCompte(t.file) != nullptr;
    VYXCompteGlance glance;
    if (!t.wasOpen && VYXGlanceCompte(t.file, t.key, &glance)) {
      CheckGlance(t, glance, after, afterLines);
    }
  }
  for (Target& t : targets_) t.compte = &directory.AcquireCompte(t.file);
  if (isTransfer && half_.key == 0) {
    // A key neither account uses yet: the twin is found by it.
    for (Target& t : targets_) {
      if (!t.follows) continue;
      VirementKey key;
      do {
        key = GetNewVirementKey();
      } while (source_.FindSourceOperation(key, nullptr, nullptr) ||
               t.compte->FindTargetOperation(key, nullptr, nullptr));
      half_.key = key;
      t.key = key;
    }
  }
  if (after) {
    for (Target& t : targets_) Check(t, *after, afterLines);
  } else {
    Operation none;
    for (Target& t : targets_) Check(t, none, nullptr);
  }
}

void VYXVirementChange::CheckGlance(const Target& t, const VYXCompteGlance& glance,
                                    const Operation* after,
                                    const std::vector<SousOperation>* lines) {
  if (glance.lockDate == 0) return;
  std::string name;
  TryUtf8ToMacRoman(t.file.Path().stem().string(), &name, nullptr);
  auto refuse = [&](int item, const Operation& twin) {
    std::string why = CPGetListString(kVYXCompteErrorsList, item);
    CPReplaceVar(why, 1, VYXOperationTitle(twin.libelle, twin.date));
    CPThrowList(kVYXErrCompteLocked, kVYXVirementsList, kVYXTargetRefusesItem, {name, why});
  };
  if (!t.follows || !after) {
    if (glance.hasTwin && !VYXCanAddOperation(glance.lockDate, glance.twin)) {
      refuse(kVYXCannotDeleteItem, glance.twin);
    }
    return;
  }
  // The twin's dates and amounts as the change will leave them: all the lock looks at.
  DeviseCode from = source_.GetCompteDevise();
  DeviseCode to = glance.devise != 0 ? glance.devise : source_.GetSupervisor().GetReferenceDevise();
  VYXCompteDirectory& directory = source_.GetDirectory();
  double sign = invert_ ? -1 : 1;
  auto amount = [&](double v) { return sign * directory.ConvertDevise(from, to, v) + 0.0; };
  Operation next = glance.hasTwin ? glance.twin : Operation();
  next.date = after->date;
  bool keepsBankDate = glance.hasTwin && glance.twin.status == kOpPointee;
  if (!keepsBankDate) next.datePointe = after->datePointe;
  next.montant = amount(after->montant);
  next.montantTva = amount(after->montantTva);
  std::string tvaName;
  if (after->tva != 0 && source_.GetTVAs().ResourceExists(CPResID(after->tva))) {
    Str255 n;
    source_.GetTVAs().GetResourceName(after->tva, n);
    tvaName = PToStd(n);
  }
  if (!CPEqualString(tvaName, glance.twinTvaName, true, true)) {
    next.tva = CPResID(~CPResID(glance.twin.tva));
  }
  double sum = 0, sumTva = 0;
  if (lines) {
    for (const SousOperation& line : *lines) {
      sum += amount(line.montant);
      sumTva += amount(line.montantTva);
    }
  }
  next.sousOpsNbr = int16_t(lines ? lines->size() : 0);
  next.montantSousOp = sum;
  next.montantTvaSousOp = sumTva;
  if (!glance.hasTwin) {
    if (!VYXCanAddOperation(glance.lockDate, next)) refuse(kVYXCannotAddItem, next);
    return;
  }
  if (!VYXCanModifyOperation(glance.lockDate, glance.twin, next)) {
    refuse(kVYXCannotModifyItem, next);
  }
}

void VYXVirementChange::Check(Target& t, const Operation& after,
                              const std::vector<SousOperation>* lines) {
  VYXCompte& target = *t.compte;
  Operation twin;
  VYXDataRef ref = 0;
  bool has = target.FindTargetOperation(t.key, &ref, &twin);
  std::string other = target.GetName();
  if (!t.follows) {
    if (!has) return;
    if (!target.CanDeleteOperation(twin)) RefuseTwin(target, kVYXCannotDeleteItem, twin);
    if (ask_) {
      Confirm(kVYXVirementKillItem, kVYXVirementKillClosedItem, t.wasOpen, label_, other);
    }
    return;
  }

  // The twin as the change will leave it, list items not made yet: an item
  // the target lacks shows as a VAT rate that changes, which is all the
  // lock looks at.
  Operation next;
  if (has) {
    next = twin;
    target.UpdateTargetOperation(source_, after, &next, invert_, false);
  } else {
    target.CreateTargetOperation(source_, after, &next, invert_, false);
  }
  if (after.tva != 0 && next.tva == 0) next.tva = CPResID(~CPResID(twin.tva));
  std::vector<SousOperation> made;
  double sum = 0, sumTva = 0;
  if (lines) {
    for (const SousOperation& line : *lines) {
      SousOperation m;
      target.CreateTargetSousOperation(source_, line, &m, invert_, false);
      sum += double(m.montant);
      sumTva += double(m.montantTva);
      made.push_back(m);
    }
  }
  next.sousOpsNbr = int16_t(made.size());
  next.montantSousOp = sum;
  next.montantTvaSousOp = sumTva;

  if (!has) {
    if (!target.CanAddOperation(next)) RefuseTwin(target, kVYXCannotAddItem, next);
    if (ask_) Confirm(kVYXVirementCreateItem, kVYXVirementCreateClosedItem, t.wasOpen, label_, other);
    return;
  }
  if (!target.CanModifyOperation(twin, next)) RefuseTwin(target, kVYXCannotModifyItem, next);
  if (IsLocked(target, twin)) {
    // A locked twin's lines are rewritten one by one: each must keep its
    // amounts for every step to pass the lock.
    std::vector<SousOperation> have;
    SousOperation line;
    VYXDataRef lineRef;
    for (bool more = target.GetFirstSousOperation(twin, &line, &lineRef); more;
         more = target.GetNextSousOperation(twin, &line, &lineRef)) {
      have.push_back(line);
    }
    bool same = have.size() == made.size();
    for (size_t n = 0; same && n < have.size(); ++n) {
      same = double(have[n].montant) == double(made[n].montant) &&
             double(have[n].montantTva) == double(made[n].montantTva);
    }
    if (!same) RefuseTwin(target, kVYXCannotModifyItem, next);
  }
  if (ask_) Confirm(kVYXVirementUpdateItem, kVYXVirementUpdateClosedItem, t.wasOpen, label_, other);
}

void VYXVirementChange::Run(const std::function<void(const Half&)>& change) {
  if (targets_.empty()) {
    change(half_);
    return;
  }
  // The accounts opened for the change close with it, whatever its outcome.
  struct Releaser {
    VYXVirementChange& change;
    ~Releaser() { change.Release(); }
  } releaser{*this};
  VYXCompteDirectory& directory = source_.GetDirectory();
  std::vector<VYXVirementJournalEntry> entries;
  try {
    for (Target& t : targets_) {
      VYXVirementJournalEntry entry;
      entry.kind = deletion_ ? VYXVirementJournalEntry::kDelete : VYXVirementJournalEntry::kFollow;
      entry.invert = invert_;
      entry.source = source_.GetCompteFile();
      entry.target = t.file;
      entry.key = t.key;
      t.journalID = directory.NoteVirementChange(entry);
      entries.push_back(entry);
    }
    if (!afterFile_.Empty() && half_.target == 0) half_.target = source_.GetVirementTarget(afterFile_);
    change(half_);
  } catch (...) {
    // Nothing reached the other accounts: the entries only have to go.
    for (Target& t : targets_) {
      if (t.journalID == 0) continue;
      try {
        directory.VirementChangeDone(t.journalID);
      } catch (...) {
        // Left in the journal, the entry finds the source unchanged next time.
      }
    }
    throw;
  }

  std::optional<CPException> failure;
  std::string failedIn;
  for (size_t n = 0; n < targets_.size(); ++n) {
    Target& t = targets_[n];
    try {
      VYXFinishVirementChange(entries[n], source_, *t.compte);
      directory.VirementChangeDone(t.journalID);
    } catch (const CPException& e) {
      if (e.IsCancel()) throw;
      if (!failure) {
        failure = e;
        failedIn = t.compte->GetName();
      }
    }
  }
  if (failure) {
    CPThrowList(kVYXErrVirementPending, kVYXVirementsList, kVYXTwinPendingItem,
                {VYXOperationTitle(label_.libelle, label_.date), failedIn,
                 failure->DisplayText()});
  }
}

void VYXModifySource(VYXCompte& compte, VYXDataRef& ref, const Operation& next) {
  Operation old;
  compte.GetOperation(ref, &old);
  if (old.virementId == 0 && next.virementId == 0) {
    compte.ModifyOperation(ref, next);
    return;
  }
  std::vector<SousOperation> lines;
  SousOperation line;
  VYXDataRef lineRef;
  for (bool more = compte.GetFirstSousOperation(old, &line, &lineRef); more;
       more = compte.GetNextSousOperation(old, &line, &lineRef)) {
    lines.push_back(line);
  }
  VYXVirementChange change(compte);
  change.Prepare(&old, &next, &lines);
  change.Run([&](const VYXVirementChange::Half& half) {
    Operation stored = next;
    stored.virementId = half.target;
    stored.virementKey = half.key;
    compte.ModifyOperation(ref, stored);
  });
}

void VYXFinishVirementChange(const VYXVirementJournalEntry& entry, VYXCompte& source,
                             VYXCompte& target) {
  VYXCompteBulk bulk(target);
  Operation twin, op;
  VYXDataRef twinRef = 0, ref = 0;
  bool hasTwin = target.FindTargetOperation(entry.key, &twinRef, &twin);
  bool hasSource = source.FindSourceOperation(entry.key, &ref, &op);
  if (entry.kind == VYXVirementJournalEntry::kDelete) {
    if (hasTwin) target.DeleteOperation(twinRef);
    if (hasSource) source.DeleteOperation(ref);
    return;
  }
  CPFileRef file;
  bool goesThere = hasSource && source.CompteTargetToCompteId(op.virementId, &file, false) &&
                   file.SameFile(target.GetCompteFile());
  if (!goesThere) {
    if (hasTwin) target.DeleteOperation(twinRef);
    return;
  }
  source.HandleOperationVirement(ref, op, entry.invert, false, false, false);
}
