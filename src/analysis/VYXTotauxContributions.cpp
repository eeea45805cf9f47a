// What each operation and split line brings to the totals, and the account
// messages that add, change and remove it.
#include <cmath>

#include "accounts/VYXCompteMessages.h"
#include "analysis/MonthDateToYear.h"
#include "analysis/VYXTotaux.h"
#include "foundation/CPDates.h"

namespace {

// A month of attribution that is no month (a damaged record) counts as the
// date's own month, so that the amount is not lost from every period.
int MonthOf(int month, CPDate date) { return month >= 1 && month <= 12 ? month : CPGetMonth(date); }

}  // namespace

// ---- one item

void VYXTotaux::AddToMonthArray(VYXMonthTotalArray& array, ExtMontantSet* total, uint32_t message,
                                CPResID key, OpStatus status, CPDate date, int month, bool credit,
                                double amount, bool quiet) {
  month = MonthOf(month, date);
  int year = MonthDateToYear(month, date);
  array.Add(month, year, key, status, amount, credit);
  if (total) total->Add(status, amount, credit);
  if (!quiet) {
    VYXTotauxKey changed{month, year, key};
    BroadcastMessage(kVYXTotauxMessage, message, &changed);
  }
}

void VYXTotaux::AddToCategoriesTotaux(VYXCompte& compte, OpStatus status, CPResID categorie,
                                      CPDate date, int month, bool credit, double amount,
                                      bool quiet) {
  if (amount == 0.0) return;
  amount = AmountOf(compte, amount);
  AddToMonthArray(categories_, &categoriesTotal_, kTotauxCategorieChanged,
                  KeyOf(compte, kVYXListCategories, categorie), status, date, month, credit, amount,
                  quiet);
}

void VYXTotaux::AddToPostesTotaux(VYXCompte& compte, OpStatus status, CPResID categorie,
                                  CPDate date, int month, bool credit, double amount, bool quiet) {
  if (amount == 0.0) return;
  CPResID poste = PosteOf(compte, categorie);
  if (poste == 0) return;
  amount = AmountOf(compte, amount);
  AddToMonthArray(postes_, nullptr, kTotauxPosteChanged, poste, status, date, month, credit, amount,
                  quiet);
}

void VYXTotaux::AddToTiersTotaux(VYXCompte& compte, OpStatus status, CPResID tiers, CPDate date,
                                 int month, bool credit, double amount, bool quiet) {
  if (amount == 0.0) return;
  amount = AmountOf(compte, amount);
  AddToMonthArray(tiers_, &tiersTotal_, kTotauxTiersChanged, KeyOf(compte, kVYXListTiers, tiers),
                  status, date, month, credit, amount, quiet);
}

void VYXTotaux::AddToAffaireTotaux(VYXCompte& compte, OpStatus status, CPResID affaire, CPDate date,
                                   int month, bool credit, double amount, bool quiet) {
  if (amount == 0.0) return;
  amount = AmountOf(compte, amount);
  AddToMonthArray(affaires_, &affairesTotal_, kTotauxAffaireChanged,
                  KeyOf(compte, kVYXListAffaires, affaire), status, date, month, credit, amount,
                  quiet);
}

void VYXTotaux::AddToTitreTotaux(VYXCompte& compte, const Operation& op, int sign, bool quiet) {
  if (!op.isATitre) return;
  AddToTitreTotaux(op.titre, sign * double(op.quantity), op.status,
                   AmountOf(compte, sign * double(op.montant)), quiet);
}

void VYXTotaux::AddToTitreTotaux(CPResID titre, double quantity, OpStatus status, double amount,
                                 bool quiet) {
  titres_.Add(titre, quantity, status, amount, amount >= 0);
  if (!quiet) BroadcastMessage(kVYXTotauxMessage, kTotauxTitresChanged, nullptr);
}

// ---- operations and split lines

// The records' deleted marks are not read here: the account tells which
// records come and go (a line it deletes comes marked deleted), and what it
// stores is live.

void VYXTotaux::ApplyOperation(VYXCompte& compte, const Operation& op, const VYXTotauxModules& m,
                               int sign, bool quiet) {
  double montant = op.montant;
  double net = montant - double(op.montantTva);
  bool credit = montant >= 0;
  OpStatus status = op.status;
  CPDate date = op.date;
  int month = op.mois;
  if (m[kTotauxCategories]) {
    AddToCategoriesTotaux(compte, status, op.categorie, date, month, credit, sign * net, quiet);
  }
  if (m[kTotauxPostes]) {
    AddToPostesTotaux(compte, status, op.categorie, date, month, credit, sign * net, quiet);
  }
  if (m[kTotauxTiers]) {
    AddToTiersTotaux(compte, status, op.tiers, date, month, credit,
                     sign * (tiersTTC_ ? montant : net), quiet);
  }
  if (m[kTotauxAffaires]) {
    AddToAffaireTotaux(compte, status, op.affaire, date, month, credit,
                       sign * (affairesTTC_ ? montant : net), quiet);
  }
  if (m[kTotauxTresor] && montant != 0.0) {
    double amount = AmountOf(compte, sign * montant);
    if (status == kOpPointee) {
      tresor_[kTresorEnBanque].Add(op.GetDatePointe(), amount);
    } else {
      tresor_[kTresorReel].Add(date, amount);
    }
    tresor_[kTresorFinal].Add(date, amount);
  }
  if (m[kTotauxTitres]) AddToTitreTotaux(compte, op, sign, quiet);
  if (m[kTotauxFiltres]) ApplyFiltres(compte, op, sign, quiet);
}

void VYXTotaux::ApplySousOperation(VYXCompte& compte, const Operation& op,
                                   const SousOperation& line, const VYXTotauxModules& m, int sign,
                                   bool quiet) {
  double montant = line.montant;
  double net = montant - double(line.montantTva);
  bool opCredit = double(op.montant) >= 0;
  bool credit = montant >= 0;
  OpStatus status = op.status;
  CPDate date = op.date;
  int opMonth = op.mois, month = line.mois;
  // Each list: the line's part leaves the operation's item for the line's.
  auto move = [&](auto add, CPResID from, CPResID to, double amount) {
    (this->*add)(compte, status, from, date, opMonth, opCredit, -sign * amount, quiet);
    (this->*add)(compte, status, to, date, month, credit, sign * amount, quiet);
  };
  if (m[kTotauxCategories]) {
    move(&VYXTotaux::AddToCategoriesTotaux, op.categorie, line.categorie, net);
  }
  if (m[kTotauxPostes]) move(&VYXTotaux::AddToPostesTotaux, op.categorie, line.categorie, net);
  if (m[kTotauxTiers]) {
    move(&VYXTotaux::AddToTiersTotaux, op.tiers, line.tiers, tiersTTC_ ? montant : net);
  }
  if (m[kTotauxAffaires]) {
    move(&VYXTotaux::AddToAffaireTotaux, op.affaire, line.affaire, affairesTTC_ ? montant : net);
  }
  if (m[kTotauxFiltres]) ApplyFiltres(compte, op, line, sign, quiet);
}

// ---- saved filters: amounts with their VAT, as the filtered list shows them

void VYXTotaux::AddToFiltre(VYXCompte& compte, CPResID id, OpStatus status, CPDate date, int month,
                            bool credit, double amount) {
  if (amount == 0.0) return;
  month = MonthOf(month, date);
  filtresTotaux_.Add(month, MonthDateToYear(month, date), id, status, AmountOf(compte, amount),
                     credit);
}

void VYXTotaux::ApplyFiltres(VYXCompte& compte, const Operation& op, int sign, bool quiet) {
  double montant = op.montant;
  bool any = false;
  for (size_t n = 0; n < filtres_.Count(); ++n) {
    if (!filtres_.Passes(n, compte, op)) continue;
    AddToFiltre(compte, filtres_.GetID(n), op.status, op.date, op.mois, montant >= 0,
                sign * montant);
    any = true;
  }
  if (any && !quiet) BroadcastMessage(kVYXTotauxMessage, kTotauxFiltreChanged, nullptr);
}

void VYXTotaux::ApplyFiltres(VYXCompte& compte, const Operation& op, const SousOperation& line,
                             int sign, bool quiet) {
  double montant = line.montant;
  bool opCredit = double(op.montant) >= 0;
  bool any = false;
  for (size_t n = 0; n < filtres_.Count(); ++n) {
    if (!filtres_.TestsLines(n)) continue;
    CPResID id = filtres_.GetID(n);
    if (filtres_.Passes(n, compte, op)) {
      AddToFiltre(compte, id, op.status, op.date, op.mois, opCredit, -sign * montant);
      any = true;
    }
    if (filtres_.Passes(n, compte, op, line)) {
      AddToFiltre(compte, id, op.status, op.date, line.mois, montant >= 0, sign * montant);
      any = true;
    }
  }
  if (any && !quiet) BroadcastMessage(kVYXTotauxMessage, kTotauxFiltreChanged, nullptr);
}

void VYXTotaux::ApplyLines(VYXCompte& compte, const Operation& op, const VYXTotauxModules& m,
                           int sign, bool quiet) {
  SousOperation line;
  VYXDataRef sousRef = 0;
  for (bool more = compte.GetFirstSousOperation(op, &line, &sousRef); more;
       more = compte.GetNextSousOperation(op, &line, &sousRef)) {
    ApplySousOperation(compte, op, line, m, sign, quiet);
  }
}

void VYXTotaux::AddOperation(VYXCompte& compte, const Operation& op,
                             const VYXTotauxModules& modules, bool quiet) {
  ApplyOperation(compte, op, modules & loaded_, 1, quiet);
  Changed(quiet);
}

void VYXTotaux::ModifyOperation(VYXCompte& compte, const Operation& oldOp, const Operation& newOp,
                                const VYXTotauxModules& modules, bool quiet) {
  VYXTotauxModules m = modules & loaded_;
  // The lines count against their operation's items, status and date: they
  // move with it.
  bool lines = oldOp.sousOpsNbr > 0 || newOp.sousOpsNbr > 0;
  ApplyOperation(compte, oldOp, m, -1, quiet);
  if (lines) ApplyLines(compte, oldOp, m, -1, quiet);
  ApplyOperation(compte, newOp, m, 1, quiet);
  if (lines) ApplyLines(compte, newOp, m, 1, quiet);
  Changed(quiet);
}

void VYXTotaux::RemoveOperation(VYXCompte& compte, const Operation& op,
                                const VYXTotauxModules& modules, bool quiet) {
  ApplyOperation(compte, op, modules & loaded_, -1, quiet);
  Changed(quiet);
}

void VYXTotaux::AddSousOperation(VYXCompte& compte, const Operation& op, const SousOperation& line,
                                 const VYXTotauxModules& modules, bool quiet) {
  ApplySousOperation(compte, op, line, modules & loaded_, 1, quiet);
  Changed(quiet);
}

void VYXTotaux::ModifySousOperation(VYXCompte& compte, const Operation& op,
                                    const SousOperation& oldLine, const SousOperation& newLine,
                                    const VYXTotauxModules& modules, bool quiet) {
  VYXTotauxModules m = modules & loaded_;
  ApplySousOperation(compte, op, oldLine, m, -1, quiet);
  ApplySousOperation(compte, op, newLine, m, 1, quiet);
  Changed(quiet);
}

void VYXTotaux::RemoveSousOperation(VYXCompte& compte, const Operation& op,
                                    const SousOperation& line, const VYXTotauxModules& modules,
                                    bool quiet) {
  ApplySousOperation(compte, op, line, modules & loaded_, -1, quiet);
  Changed(quiet);
}

// ---- the account's messages

void VYXTotaux::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category != kVYXCompteMessage) return;
  VYXCompte* compte = CompteOf(from);
  if (!compte) return;
  auto* msg = static_cast<VYXCompteOpMessage*>(data);
  VYXTotauxModules m = ModulesOf(*compte);
  switch (code) {
    case kVYXCompteOpAdded:
      if (m.Any()) AddOperation(*compte, *msg->op, m, false);
      break;
    case kVYXCompteOpModified:
      if (m.Any()) ModifyOperation(*compte, *msg->oldOp, *msg->op, m, false);
      break;
    case kVYXCompteOpDeleted:
      if (m.Any()) RemoveOperation(*compte, *msg->op, m, false);
      break;
    case kVYXCompteSousOpAdded:
      if (m.Any()) AddSousOperation(*compte, *msg->op, *msg->sousOp, m, false);
      break;
    case kVYXCompteSousOpModified:
      if (m.Any()) {
        // The account tells of the change while the old line is still stored.
        SousOperation old;
        compte->GetSousOperation(msg->sousRef, &old);
        ModifySousOperation(*compte, *msg->op, old, *msg->sousOp, m, false);
      }
      break;
    case kVYXCompteSousOpDeleted:
      if (m.Any()) RemoveSousOperation(*compte, *msg->op, *msg->sousOp, m, false);
      break;
    default:
      CompteMessage(*compte, code, data);
      break;
  }
}

void VYXTotaux::CompteMessage(VYXCompte& /*compte*/, uint32_t code, void* /*data*/) {
  switch (code) {
    case kVYXCompteReportSet:
      UpdateReportValues();
      break;
    case kVYXCompteHistoriqueChanged:
      // Operations may have left for the history: computed again when asked for.
      ResetModules(loaded_);
      break;
    default:
      break;
  }
}
