#include "analysis/VYXTotalizer.h"

#include <algorithm>
#include <cmath>

#include "accounts/VYXCompteMessages.h"
#include "analysis/MonthDateToYear.h"
#include "analysis/VYXUserMapping.h"
#include "foundation/CPDates.h"
#include "foundation/CPMonthPeriod.h"

CPResID VYXOperationListID(const Operation& op, VYXCompteList list) {
  switch (list) {
    case kVYXListCategories:
      return op.categorie;
    case kVYXListAffectations:
      return op.affectation;
    case kVYXListTiers:
      return op.tiers;
    case kVYXListAffaires:
      return op.affaire;
    case kVYXListTauxTVA:
      return op.tva;
    case kVYXListModes:
      return op.mode;
    case kVYXListTitres:
      return op.titre;
    default:
      return 0;
  }
}

CPResID VYXSousOperationListID(const SousOperation& line, VYXCompteList list) {
  switch (list) {
    case kVYXListCategories:
      return line.categorie;
    case kVYXListAffectations:
      return line.affectation;
    case kVYXListTiers:
      return line.tiers;
    case kVYXListAffaires:
      return line.affaire;
    case kVYXListTauxTVA:
      return line.tva;
    default:
      return 0;
  }
}

VYXTotalizer::~VYXTotalizer() = default;

void VYXTotalizer::AddCompte(VYXCompte& compte) {
  if (std::find(comptes_.begin(), comptes_.end(), &compte) != comptes_.end()) return;
  comptes_.push_back(&compte);
  compte.AddListener(this);
  BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerComptes, &compte);
  Reload();
}

void VYXTotalizer::RemoveCompte(VYXCompte& compte) {
  auto at = std::find(comptes_.begin(), comptes_.end(), &compte);
  if (at == comptes_.end()) return;
  comptes_.erase(at);
  compte.RemoveListener(this);
  BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerComptes, &compte);
  Reload();
}

void VYXTotalizer::SetComptes(const std::vector<VYXCompte*>& comptes) {
  if (comptes == comptes_) return;
  for (VYXCompte* compte : comptes_) compte->RemoveListener(this);
  comptes_ = comptes;
  for (VYXCompte* compte : comptes_) compte->AddListener(this);
  BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerComptes, nullptr);
  Reload();
}

void VYXTotalizer::SetPeriod(int fromMonth, int fromYear, int toMonth, int toYear) {
  int from = CPMonthYear{fromMonth, fromYear}.Serial();
  int to = CPMonthYear{toMonth, toYear}.Serial();
  if (bounded_ && from == from_ && to == to_) return;
  bounded_ = true;
  from_ = from;
  to_ = to;
  Reload();
}

void VYXTotalizer::ClearPeriod() {
  bounded_ = false;
  Reload();
}

void VYXTotalizer::SetTTC(bool ttc) {
  if (ttc == ttc_) return;
  ttc_ = ttc;
  Reload();
}

void VYXTotalizer::Reload() {
  Clear();
  for (VYXCompte* compte : comptes_) {
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte->GetFirstOperation(&op, &ref); more;
         more = compte->GetNextOperation(&op, &ref)) {
      ApplyOperation(*compte, op, 1, true);
      if (op.sousOpsNbr > 0) ApplyLines(*compte, op, 1, true);
    }
  }
}

bool VYXTotalizer::InPeriod(int month, int year) const {
  if (!bounded_) return true;
  int serial = CPMonthYear{month, year}.Serial();
  return serial >= from_ && serial <= to_;
}

CPResID VYXTotalizer::KeyOf(VYXCompte& compte, VYXCompteList list, CPResID id) {
  return mapping_ ? mapping_->ToUser(compte, list, id) : id;
}

void VYXTotalizer::Add(VYXCompte& compte, const CPResID ids[2], int month, CPDate date,
                       OpStatus status, double amount, bool credit, bool quiet) {
  if (std::fabs(amount) < 0.0001) return;
  if (month < 1 || month > 12) month = CPGetMonth(date);
  int year = MonthDateToYear(month, date);
  if (!InPeriod(month, year)) return;
  if (mapping_) amount = mapping_->ToReference(compte, amount);
  AddAmount(ids, month, year, status, amount, credit, quiet);
}

void VYXTotalizer::ApplyOperation(VYXCompte& compte, const Operation& op, int sign, bool quiet) {
  double montant = op.montant;
  double amount = ttc_ ? montant : montant - double(op.montantTva);
  CPResID ids[2] = {0, 0};
  GetOperationIDs(compte, op, ids);
  Add(compte, ids, op.mois, op.date, op.status, sign * amount, montant >= 0, quiet);
}

void VYXTotalizer::ApplySousOperation(VYXCompte& compte, const Operation& op,
                                      const SousOperation& line, int sign, bool quiet) {
  double montant = line.montant;
  double amount = ttc_ ? montant : montant - double(line.montantTva);
  CPResID opIDs[2] = {0, 0}, lineIDs[2] = {0, 0};
  GetOperationIDs(compte, op, opIDs);
  GetSousOperationIDs(compte, op, line, lineIDs);
  Add(compte, opIDs, op.mois, op.date, op.status, -sign * amount, double(op.montant) >= 0, quiet);
  Add(compte, lineIDs, line.mois, op.date, op.status, sign * amount, montant >= 0, quiet);
}

void VYXTotalizer::ApplyLines(VYXCompte& compte, const Operation& op, int sign, bool quiet) {
  SousOperation line;
  VYXDataRef sousRef = 0;
  for (bool more = compte.GetFirstSousOperation(op, &line, &sousRef); more;
       more = compte.GetNextSousOperation(op, &line, &sousRef)) {
    ApplySousOperation(compte, op, line, sign, quiet);
  }
}

VYXCompte* VYXTotalizer::CompteOf(CPBroadcaster* from) {
  for (VYXCompte* compte : comptes_) {
    if (static_cast<CPBroadcaster*>(compte) == from) return compte;
  }
  return nullptr;
}

void VYXTotalizer::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category != kVYXCompteMessage) return;
  VYXCompte* compte = CompteOf(from);
  if (!compte) return;
  auto* msg = static_cast<VYXCompteOpMessage*>(data);
  switch (code) {
    case kVYXCompteOpAdded:
      ApplyOperation(*compte, *msg->op, 1, false);
      break;
    case kVYXCompteOpModified: {
      bool lines = msg->oldOp->sousOpsNbr > 0 || msg->op->sousOpsNbr > 0;
      ApplyOperation(*compte, *msg->oldOp, -1, false);
      if (lines) ApplyLines(*compte, *msg->oldOp, -1, false);
      ApplyOperation(*compte, *msg->op, 1, false);
      if (lines) ApplyLines(*compte, *msg->op, 1, false);
      break;
    }
    case kVYXCompteOpDeleted:
      ApplyOperation(*compte, *msg->op, -1, false);
      break;
    case kVYXCompteSousOpAdded:
      ApplySousOperation(*compte, *msg->op, *msg->sousOp, 1, false);
      break;
    case kVYXCompteSousOpModified: {
      SousOperation old;
      compte->GetSousOperation(msg->sousRef, &old);
      ApplySousOperation(*compte, *msg->op, old, -1, false);
      ApplySousOperation(*compte, *msg->op, *msg->sousOp, 1, false);
      break;
    }
    case kVYXCompteSousOpDeleted:
      ApplySousOperation(*compte, *msg->op, *msg->sousOp, -1, false);
      break;
    case kVYXCompteBeingClosed:
      RemoveCompte(*compte);
      break;
    case kVYXCompteHistoriqueChanged:
      Reload();
      break;
    default:
      break;
  }
}

// ---- two lists

VYXOperation2ResTotalizer::VYXOperation2ResTotalizer(VYXCompteList first, VYXCompteList second,
                                                     VYXUserMapping* mapping)
    : VYXTotalizer(mapping), first_(first), second_(second) {}

void VYXOperation2ResTotalizer::SetResourceSet(VYXCompteList first, VYXCompteList second) {
  first_ = first;
  second_ = second;
  Reload();
}

void VYXOperation2ResTotalizer::GetOperationIDs(VYXCompte& compte, const Operation& op,
                                                CPResID ids[2]) {
  ids[0] = KeyOf(compte, first_, VYXOperationListID(op, first_));
  ids[1] = KeyOf(compte, second_, VYXOperationListID(op, second_));
}

void VYXOperation2ResTotalizer::GetSousOperationIDs(VYXCompte& compte, const Operation&,
                                                    const SousOperation& line, CPResID ids[2]) {
  ids[0] = KeyOf(compte, first_, VYXSousOperationListID(line, first_));
  ids[1] = KeyOf(compte, second_, VYXSousOperationListID(line, second_));
}

void VYXOperation2ResTotalizer::AddAmount(const CPResID ids[2], int, int, OpStatus status,
                                          double amount, bool credit, bool quiet) {
  items_.Add(ids[0], ids[1], status, amount, credit);
  if (!quiet) {
    VYX2ResTotalItem key(ids[0], ids[1]);
    BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerChanged, &key);
  }
}

// ---- one list by month

VYXOperationResTimeTotalizer::VYXOperationResTimeTotalizer(VYXCompteList list,
                                                           VYXUserMapping* mapping)
    : VYXTotalizer(mapping), list_(list) {}

void VYXOperationResTimeTotalizer::SetResourceSet(VYXCompteList list) {
  list_ = list;
  Reload();
}

void VYXOperationResTimeTotalizer::GetOperationIDs(VYXCompte& compte, const Operation& op,
                                                   CPResID ids[2]) {
  ids[0] = KeyOf(compte, list_, VYXOperationListID(op, list_));
}

void VYXOperationResTimeTotalizer::GetSousOperationIDs(VYXCompte& compte, const Operation&,
                                                       const SousOperation& line, CPResID ids[2]) {
  ids[0] = KeyOf(compte, list_, VYXSousOperationListID(line, list_));
}

void VYXOperationResTimeTotalizer::AddAmount(const CPResID ids[2], int month, int year,
                                             OpStatus status, double amount, bool credit,
                                             bool quiet) {
  items_.Add(month, year, ids[0], status, amount, credit);
  if (!quiet) {
    VYXMonthTotalItem key(month, year, ids[0]);
    BroadcastMessage(kVYXTotauxMessage, kTotauxTotalizerChanged, &key);
  }
}
