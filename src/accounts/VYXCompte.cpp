#include "accounts/VYXCompte.h"

#include <cmath>

#include "accounts/VYXCompteErrors.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

VYXCompte::VYXCompte(VYXCompteSupervisor& supervisor) : supervisor_(supervisor) {}

VYXCompte::~VYXCompte() = default;

std::string VYXCompte::GetName() const {
  Str255 name;
  GetName(name);
  return PToStd(name);
}

// ---- reading

bool VYXCompte::FindTargetOperation(VirementKey key, VYXDataRef* ref, Operation* op) {
  if (key == 0) return false;
  Operation candidate;
  VYXDataRef at;
  for (bool more = GetFirstOperation(&candidate, &at); more;
       more = GetNextOperation(&candidate, &at)) {
    if (candidate.virementTargetKey == key) {
      if (ref) *ref = at;
      if (op) *op = candidate;
      return true;
    }
  }
  return false;
}

bool VYXCompte::FindSousOperation(VYXDataRef ref, DataID number, SousOperation* line,
                                  VYXDataRef* sousRef) {
  Operation op;
  GetOperation(ref, &op);
  SousOperation candidate;
  VYXDataRef at;
  for (bool more = GetFirstSousOperation(op, &candidate, &at); more;
       more = GetNextSousOperation(op, &candidate, &at)) {
    if (candidate.header.dataID == number) {
      if (line) *line = candidate;
      if (sousRef) *sousRef = at;
      return true;
    }
  }
  return false;
}

// ---- sums and balances

void VYXCompte::SetSumsValues(const MontantSet& sums) {
  infos_.total = sums;
  WriteInformations();
}

void VYXCompte::SetReportValues(const MontantSet& report) {
  infos_.report = report;
  WriteInformations();
  MontantSet copy = report;
  Broadcast(kVYXCompteReportSet, &copy);
}

void VYXCompte::SetPlusValues(const MontantSet& plusValues) {
  plusValues_ = plusValues;
  MontantSet copy = plusValues;
  Broadcast(kVYXComptePlusValuesSet, &copy);
}

MontantSet VYXCompte::GetTotauxValues() const {
  MontantSet totaux;
  for (int s = 0; s < kOpStatusCount; ++s) {
    totaux.montant[s] = infos_.report.montant[s] + infos_.total.montant[s] + plusValues_.montant[s];
  }
  return totaux;
}

MontantSet VYXCompte::GetSoldesValues() const {
  MontantSet t = GetTotauxValues();
  MontantSet soldes;
  soldes.montant[kOpPointee] = t.montant[kOpPointee];
  soldes.montant[kOpEngagee] = t.montant[kOpEngagee] + t.montant[kOpPointee];
  soldes.montant[kOpPrevue] = t.montant[kOpPrevue] + t.montant[kOpEngagee] + t.montant[kOpPointee];
  return soldes;
}

bool VYXCompte::IsCarteDiffere(CPResID modeID) {
  Mode mode;
  if (modeID == 0 || !GetModes().ReadResource(modeID, &mode)) return false;
  return mode.debitModeType.Enabled && mode.debitModeType.ModeType == kModeTypeDeferred &&
         (mode.type == 2 || mode.type == 3);
}

namespace {
bool CountsAsEncours(const Operation& op) {
  double montant = op.montant;
  return op.status == kOpEngagee && op.mode != 0 && std::fabs(montant) > 0.0001;
}
}  // namespace

bool VYXCompte::IsEncoursCartes(const Operation& op) {
  return CountsAsEncours(op) && IsCarteDiffere(op.mode);
}

void VYXCompte::ResetRunningState() {
  infos_.total = MontantSet();
  editionTotal_ = ExtMontant();
  pointageTotal_ = ExtMontant();
  encoursCartes_ = 0;
  keys_.Clear();
}

void VYXCompte::NoteScannedOperation(const Operation& op,
                                     std::unordered_map<CPResID, bool>& cardModes) {
  MontantSet_Add(infos_.total, op.status, op.montant);
  keys_.Use(op.header.dataID);
  if (!CountsAsEncours(op)) return;
  CPResID mode = op.mode;
  auto it = cardModes.find(mode);
  if (it == cardModes.end()) it = cardModes.emplace(mode, IsCarteDiffere(mode)).first;
  if (it->second) encoursCartes_ += op.montant;
}

// ---- settings

void VYXCompte::SetInformations(const CompteInfos& infos) {
  CompteInfos next = infos;
  next.header = infos_.header;
  next.fileVersion = infos_.fileVersion;
  next.total = infos_.total;
  next.autoIncrement = infos_.autoIncrement;
  next.nbOfOperations = infos_.nbOfOperations;
  infos_ = next;
  WriteInformations();
}

DeviseCode VYXCompte::GetCompteDevise() const {
  return infos_.devise != 0 ? infos_.devise : supervisor_.GetReferenceDevise();
}

void VYXCompte::SetCompteDevise(DeviseCode devise) {
  infos_.devise = devise;
  WriteInformations();
  Broadcast(kVYXCompteDeviseSet, &devise);
}

void VYXCompte::SetLockDate(CPDate date) {
  infos_.lockDate = date;
  WriteInformations();
  Broadcast(kVYXCompteLockDateSet, &date);
}

// Moving operations into history is a feature of its own; the account keeps
// the date and tells its listeners before and after.
void VYXCompte::DoUserSetHistoriqueDate(CPDate date) {
  Broadcast(kVYXCompteHistoriqueChanging, &date);
  infos_.historiqueDate = date;
  WriteInformations();
  Broadcast(kVYXCompteHistoriqueChanged, &date);
}

void VYXCompte::SetType(uint8_t type) {
  infos_.typeOfCompte = type;
  WriteInformations();
  Broadcast(kVYXCompteTypeSet, &type);
}

void VYXCompte::SetHasTVA(bool on) {
  infos_.compteTVA = on;
  WriteInformations();
}

void VYXCompte::SetHasTitres(bool on) {
  infos_.compteTitres = on;
  WriteInformations();
  Broadcast(kVYXCompteTitresSet, &on);
}

void VYXCompte::SetHasNoPiece(bool on) {
  infos_.compteNoPiece = on;
  WriteInformations();
}

void VYXCompte::SetGenerateOpAuto(bool on) {
  infos_.autoGenerate = on;
  WriteInformations();
}

void VYXCompte::SetRemiseInfos(const VYXRemiseInfos& infos) {
  remiseInfos_ = infos;
  VYXRemiseInfos copy = infos;
  Broadcast(kVYXCompteRemiseInfosSet, &copy);
}

std::string VYXCompte::GetPassword() const {
  Str255 clear;
  if (!infos_.GetPassWord(clear)) return std::string();
  return PToStd(clear);
}

void VYXCompte::SetPassword(const std::string& password) {
  Str255 p;
  StdToP(password, p);
  infos_.SetPassWord(p);
  WriteInformations();
}

void VYXCompte::SetDefaultValues(const VYXCompteDefaultValues& values) {
  prefs_.SetDefaultValues(values);
  SavePreference(kVYXCompteDefaultValuesID);
  VYXCompteDefaultValues copy = values;
  Broadcast(kVYXCompteDefaultValuesSet, &copy);
}

void VYXCompte::SetPrefRecord(CPResID id, const void* data, uint32_t size) {
  prefs_.SetRecord(id, data, size);
  SavePreference(id);
}

void VYXCompte::SetBanqueInfos(const void* data, uint32_t size) {
  SetPrefRecord(kVYXBanqueInfosID, data, size);
  Broadcast(kVYXCompteBanqueInfosSet);
}

void VYXCompte::SetUserAddress(const void* data, uint32_t size) {
  SetPrefRecord(kVYXUserAddressID, data, size);
  Broadcast(kVYXCompteAddressSet);
}

void VYXCompte::SetEcheancierPrefs(const void* data, uint32_t size) {
  SetPrefRecord(kVYXEcheancierPrefsID, data, size);
  Broadcast(kVYXCompteEcheancierPrefsSet);
}

// ---- password

bool VYXCompte::TestPassword() {
  if (!infos_.HasPassWord()) return true;
  // A password scrambled by a version vyx does not know cannot be checked:
  // the account stays closed rather than open to an empty answer.
  Str255 clear;
  if (!infos_.GetPassWord(clear)) return false;
  std::string password = PToStd(clear);
  std::string last = supervisor_.GetLastPassword();
  if (!last.empty() && CPEqualString(last, password, false, false)) return true;
  std::string name = GetName();
  std::string prompt = CPGetListString(kVYXPasswordList, kVYXAskPasswordItem);
  CPReplaceVar(prompt, 1, name);
  for (int attempt = 0; attempt < 2; ++attempt) {
    std::string answer;
    if (!CPGetInteraction().AskText(prompt, &answer, true)) return false;
    if (CPEqualString(answer, password, false, false)) {
      supervisor_.SetLastPassword(answer);
      return true;
    }
    prompt = CPGetListString(kVYXPasswordList, kVYXAskAgainItem);
    CPReplaceVar(prompt, 1, name);
  }
  std::string alert = CPGetListString(kVYXPasswordList, kVYXWrongPasswordItem);
  CPReplaceVar(alert, 1, name);
  CPGetInteraction().Alert(alert);
  return false;
}

// ---- bulk work, closing, list messages

void VYXCompte::StartBulk() {
  if (bulkDepth_++ == 0) Broadcast(kVYXCompteStartBulk);
}

void VYXCompte::EndBulk() {
  if (bulkDepth_ > 0 && --bulkDepth_ == 0) Broadcast(kVYXCompteEndBulk);
}

void VYXCompte::BroadcastIsBeingClosed() {
  if (beingClosed_) return;
  beingClosed_ = true;
  Broadcast(kVYXCompteBeingClosed);
  supervisor_.CompteBeingClosed(*this);
}

void VYXCompte::ListenToLists() {
  GetCategories().AddListener(this);
  GetAffectations().AddListener(this);
  GetModes().AddListener(this);
  GetTVAs().AddListener(this);
  GetTiers().AddListener(this);
  GetAffaires().AddListener(this);
}

void VYXCompte::ListenTo(CPBroadcaster* broadcaster, OSType category, uint32_t code, void* data) {
  if (category != kCPResourceMessage || code != kCPResAdded || !data) return;
  uint32_t message = 0;
  if (broadcaster == &GetCategories())
    message = kVYXCompteCategorieAdded;
  else if (broadcaster == &GetAffectations())
    message = kVYXCompteAffectationAdded;
  else if (broadcaster == &GetModes())
    message = kVYXCompteModeAdded;
  else if (broadcaster == &GetTVAs())
    message = kVYXCompteTauxTVAAdded;
  else if (broadcaster == &GetTiers())
    message = kVYXCompteTiersAdded;
  else if (broadcaster == &GetAffaires())
    message = kVYXCompteAffaireAdded;
  if (message == 0) return;
  CPResID id = CPResID(*static_cast<int16_t*>(data));
  Broadcast(message, &id);
}

// ---- input checks

namespace {

[[noreturn]] void Refuse(int item, const std::string& title, const std::string& second = {}) {
  CPThrowList(kVYXErrCompteBadData, kVYXCompteErrorsList, item, {title, second});
}

bool IsNumber(double v) { return std::isfinite(v); }

}  // namespace

bool VYXCompte::ListItemExists(VYXCompteList list, CPResID id) {
  return id == 0 || GetListSet(list).ResourceExists(id);
}

void VYXCompte::CheckOperationData(const Operation& op, const Operation* old) {
  const std::string label = VYXOperationTitle(op.libelle, op.date);
  if (!IsNumber(op.montant) || !IsNumber(op.montantTva) || !IsNumber(op.montantOrigine) ||
      !IsNumber(op.quantity)) {
    Refuse(kVYXBadAmountItem, label);
  }
  // A date must be a day of the calendar vyx can store; the bank date may be
  // unknown (0).
  if (op.date == 0 || CPGetYear(op.date) < 1905) Refuse(kVYXBadDateItem, label);
  if (op.datePointe != 0 && CPGetYear(op.datePointe) < 1905) Refuse(kVYXBadDateItem, label);
  if (op.mois < 1 || op.mois > 12) Refuse(kVYXBadMonthItem, label);
  if (op.status >= kOpStatusCount) Refuse(kVYXBadStatusItem, label);
  struct Ref {
    VYXCompteList list;
    CPResID id;
    CPResID oldID;
  };
  const Ref refs[] = {
      {kVYXListCategories, op.categorie, old ? CPResID(old->categorie) : CPResID(0)},
      {kVYXListAffectations, op.affectation, old ? CPResID(old->affectation) : CPResID(0)},
      {kVYXListTiers, op.tiers, old ? CPResID(old->tiers) : CPResID(0)},
      {kVYXListAffaires, op.affaire, old ? CPResID(old->affaire) : CPResID(0)},
      {kVYXListTauxTVA, op.tva, old ? CPResID(old->tva) : CPResID(0)},
      {kVYXListModes, op.mode, old ? CPResID(old->mode) : CPResID(0)},
      {kVYXListTitres, op.titre, old ? CPResID(old->titre) : CPResID(0)},
      {kVYXListTargets, op.virementId, old ? CPResID(old->virementId) : CPResID(0)},
  };
  for (const Ref& r : refs) {
    if (old && r.id == r.oldID) continue;
    if (!ListItemExists(r.list, r.id)) {
      Refuse(kVYXUnknownItemItem, label,
             CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(r.list)));
    }
  }
}

void VYXCompte::CheckSousOperationData(const SousOperation& line, const SousOperation* old) {
  const std::string label = VYXOperationTitle(line.libelle, 0);
  if (!IsNumber(line.montant) || !IsNumber(line.montantTva) || !IsNumber(line.montantOrigine)) {
    Refuse(kVYXBadAmountItem, label);
  }
  if (line.mois < 1 || line.mois > 12) Refuse(kVYXBadMonthItem, label);
  struct Ref {
    VYXCompteList list;
    CPResID id;
    CPResID oldID;
  };
  const Ref refs[] = {
      {kVYXListCategories, line.categorie, old ? CPResID(old->categorie) : CPResID(0)},
      {kVYXListAffectations, line.affectation, old ? CPResID(old->affectation) : CPResID(0)},
      {kVYXListTiers, line.tiers, old ? CPResID(old->tiers) : CPResID(0)},
      {kVYXListAffaires, line.affaire, old ? CPResID(old->affaire) : CPResID(0)},
      {kVYXListTauxTVA, line.tva, old ? CPResID(old->tva) : CPResID(0)},
  };
  for (const Ref& r : refs) {
    if (old && r.id == r.oldID) continue;
    if (!ListItemExists(r.list, r.id)) {
      Refuse(kVYXUnknownItemItem, label,
             CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(r.list)));
    }
  }
}
