#include "accounts/VYXPointage.h"

#include <algorithm>
#include <cmath>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXDatePointe.h"
#include "accounts/VYXVirementChange.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

namespace {

std::string Filled(const Operation& op) {
  Str255 text;
  op.GetFilledReleve(text);
  return PToStd(text);
}

}  // namespace

VYXPointageSelection VYXSummarizePointage(VYXCompte& compte, const std::vector<DataID>& keys) {
  VYXPointageSelection s;
  for (DataID key : keys) {
    Operation op;
    VYXDataRef ref;
    if (!compte.FindOperation(key, &op, &ref) || op.status == kOpPointee) continue;
    if (s.count++ == 0) s.firstDate = op.GetDatePointe();
    s.total += double(op.montant);
  }
  return s;
}

// ---- changes that can be put back

void VYXPointageActionBase::Change(DataID key, const Operation& old, const Operation& next) {
  Operation found;
  VYXDataRef ref = 0;
  if (!compte_.FindOperation(key, &found, &ref)) return;
  try {
    VYXModifySource(compte_, ref, next);
  } catch (const CPException& e) {
    if (e.IsCancel()) throw;
    refused_.emplace_back(key, e.DisplayText());
    return;
  }
  Operation stored;
  compte_.GetOperation(ref, &stored);
  changed_.push_back(key);
  before_.push_back(old);
  after_.push_back(stored);
}

bool VYXPointageActionBase::UndoAction() {
  for (size_t n = before_.size(); n-- > 0;) {
    Operation found;
    VYXDataRef ref = 0;
    if (compte_.FindOperation(before_[n].header.dataID, &found, &ref)) {
      VYXModifySource(compte_, ref, before_[n]);
    }
  }
  return true;
}

bool VYXPointageActionBase::RedoAction() {
  for (const Operation& op : after_) {
    Operation found;
    VYXDataRef ref = 0;
    if (compte_.FindOperation(op.header.dataID, &found, &ref)) VYXModifySource(compte_, ref, op);
  }
  return true;
}

// ---- clearing

VYXCompteListPointerAction::VYXCompteListPointerAction(VYXCompte& compte, std::vector<DataID> keys,
                                                       const PointageInfos& infos,
                                                       std::optional<double> montant, int decimals)
    : VYXPointageActionBase(compte, kVYXPointageUndoList, kVYXPointageUndoItem,
                            kVYXPointageUndoList, kVYXPointageRedoItem),
      keys_(std::move(keys)),
      infos_(infos),
      montant_(montant),
      decimals_(decimals) {}

bool VYXCompteListPointerAction::DoAction() {
  VYXPointageSelection selection = VYXSummarizePointage(compte_, keys_);
  if (selection.count == 0) return false;
  VYXCompteBulk bulk(compte_);
  for (DataID key : keys_) {
    Operation op;
    VYXDataRef ref;
    if (!compte_.FindOperation(key, &op, &ref) || op.status == kOpPointee) continue;
    Operation next = op;
    if (selection.count == 1 && montant_ && std::fabs(*montant_ - double(op.montant)) > 0.0001) {
      next.montant = *montant_;
      TauxTVA taux;
      if (op.tva != 0 && compte_.GetTVAs().ReadResource(op.tva, &taux)) {
        double montant = *montant_;
        double net = CPArrondi(montant * 100.0 / (taux.taux + 100.0), short(decimals_));
        next.montantTva = CPArrondi(montant - net, short(decimals_)) + 0.0;
      }
    }
    next.datePointe = infos_.keepOwnDate || infos_.date == 0 ? op.GetDatePointe() : infos_.date;
    next.status = kOpPointee;
    CPStrCopyP(next.releve, infos_.releve);
    Change(key, op, next);
  }
  return !Changed().empty();
}

// ---- unclearing

VYXCompteListDepointerAction::VYXCompteListDepointerAction(VYXCompte& compte,
                                                           std::vector<DataID> keys)
    : VYXPointageActionBase(compte, 0, 0, 0, 0), keys_(std::move(keys)) {}

bool VYXCompteListDepointerAction::DoAction() {
  VYXCompteBulk bulk(compte_);
  for (DataID key : keys_) {
    Operation op;
    VYXDataRef ref;
    if (!compte_.FindOperation(key, &op, &ref) || op.status != kOpPointee) continue;
    Operation next = op;
    next.status = kOpEngagee;
    next.releve[0] = 0;
    CPDate bank = op.date;
    compte_.DateToDatePointe(op.date, op.mode, op.GetMontantType(), &bank);
    next.datePointe = bank;
    Change(key, op, next);
  }
  return !Changed().empty();
}

// ---- bank dates put back in order

bool VYXCompteAdjustDatesPointageAction::DoAction() {
  CPDate last = 0;
  if (!compte_.GetLastDatePointe(&last)) return false;
  if (confirm_ && !CPGetInteraction().AskYesNo(
                      CPGetListString(kVYXPointageList, kVYXAdjustDatesItem), false)) {
    CPThrowCancel();
  }
  std::vector<std::pair<Operation, Operation>> moves;
  Operation op;
  VYXDataRef ref;
  for (bool more = compte_.GetFirstOperation(&op, &ref); more;
       more = compte_.GetNextOperation(&op, &ref)) {
    if (op.status == kOpPointee || CPCompareDates(op.GetDatePointe(), last) > 0) continue;
    Mode mode;
    if (op.mode == 0 || !compte_.GetModes().ReadResource(op.mode, &mode)) continue;
    const ModeTypeInfo& rule =
        double(op.montant) < 0 ? mode.debitModeType : mode.creditModeType;
    if (!rule.Enabled || rule.ModeType != kModeTypeDeferred) continue;
    Operation next = op;
    next.datePointe = DateToDatePointe(op.date, rule);
    if (next.datePointe != op.datePointe) moves.emplace_back(op, next);
  }
  VYXCompteBulk bulk(compte_);
  for (const auto& [old, next] : moves) Change(old.header.dataID, old, next);
  return !Changed().empty();
}

// ---- statements

int VYXCompareReleves(const std::string& a, const std::string& b) {
  Str255 fa, fb;
  StdToP(a, fa, sizeof(Str5) - 1);
  StdToP(b, fb, sizeof(Str5) - 1);
  Operation::FillReleve(fa);
  Operation::FillReleve(fb);
  return CPCompareString(fa, fb);
}

std::vector<VYXReleve> VYXGetReleves(VYXCompte& compte) {
  std::vector<VYXReleve> releves;
  std::vector<std::string> keys;  // the filled number of each statement
  std::vector<CPResID> separate;  // modes seen with their own series
  auto seriesOf = [&](CPResID modeID) -> CPResID {
    if (modeID == 0) return 0;
    for (CPResID id : separate) {
      if (id == modeID) return id;
    }
    Mode mode;
    if (!compte.GetModes().ReadResource(modeID, &mode) || !mode.releveSepare) return 0;
    separate.push_back(modeID);
    return modeID;
  };
  Operation op;
  VYXDataRef ref;
  for (bool more = compte.GetFirstOperation(&op, &ref); more;
       more = compte.GetNextOperation(&op, &ref)) {
    if (op.status != kOpPointee || op.fictive) continue;
    CPResID series = seriesOf(op.mode);
    // "1" and "00001" are one statement: numbers are told apart as filled.
    std::string key = Filled(op);
    auto it = std::find_if(releves.begin(), releves.end(), [&](const VYXReleve& r) {
      return r.series == series && keys[&r - releves.data()] == key;
    });
    if (it == releves.end()) {
      VYXReleve r;
      r.series = series;
      r.numero = PToStd(op.releve);
      releves.push_back(r);
      keys.push_back(key);
      it = releves.end() - 1;
    }
    CPDate bank = op.GetDatePointe();
    if (it->count == 0 || CPCompareDates(bank, it->first) < 0) it->first = bank;
    if (it->count == 0 || CPCompareDates(bank, it->last) > 0) it->last = bank;
    ++it->count;
    double montant = op.montant;
    (montant < 0 ? it->debits : it->credits) += montant;
  }
  std::sort(releves.begin(), releves.end(), [](const VYXReleve& a, const VYXReleve& b) {
    if (a.series != b.series) return uint16_t(a.series) < uint16_t(b.series);
    return VYXCompareReleves(a.numero, b.numero) < 0;
  });
  return releves;
}
