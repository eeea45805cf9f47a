#include "exchange/VYXInternetActions.h"

#include <algorithm>
#include <cmath>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXDatePointe.h"
#include "accounts/VYXMonthRule.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXLabelReading.h"
#include "exchange/VYXLabelRules.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

namespace {

// A day the label gives is the operation's only when it is less than a year
// before the bank's date.
constexpr CPDate kYear = 31535999;

void SetText(StringPtr field, const std::string& text, size_t capacity) {
  StdToP(text, field, int(std::min(capacity, text.size())));
}

// The cheque book that holds cheque `number`, or 0.
CPResID BookOf(VYXCompte& compte, ConstStringPtr number) {
  if (number[0] == 0) return 0;
  CPResourceSet_T<Chequier>& books = compte.GetChequiers();
  for (int32_t n = 1, count = books.GetResourcesCount(); n <= count; ++n) {
    CPResID id = books.GetNthResource(n);
    if (id != 0 && compte.GetNoChequeIndex(id, number, nullptr)) return id;
  }
  return 0;
}

// The payment mode that takes its cheques from `book`, or 0.
CPResID ModeOfBook(VYXCompte& compte, CPResID book) {
  CPResourceSet_T<Mode>& modes = compte.GetModes();
  for (int32_t n = 1, count = modes.GetResourcesCount(); n <= count; ++n) {
    CPResID id = modes.GetNthResource(n);
    Mode mode;
    if (modes.ReadResource(id, &mode) && mode.chequierID == book) return id;
  }
  return 0;
}

// The book's next cheque is `number`.
bool IsNextCheque(VYXCompte& compte, CPResID book, ConstStringPtr number) {
  Chequier chequier;
  int16_t index = 0;
  return compte.GetChequiers().ReadResource(book, &chequier) &&
         compte.GetNoChequeIndex(book, number, &index) && index == chequier.next;
}

std::string Amount(double v, int decimals) { return MacNumToStr(v, decimals, true); }

std::string Ask(int item, std::initializer_list<std::string> vars) {
  std::string text = CPGetListString(kVYXCompteQuestionsList, item);
  int n = 1;
  for (const std::string& v : vars) CPReplaceVar(text, n++, v);
  return text;
}

}  // namespace

double VYXTvaIncluded(double montant, double rate, int decimals) {
  double net = CPArrondi(montant * 100 / (100 + rate), short(decimals));
  return CPArrondi(montant - net, short(decimals)) + 0.0;
}

void DataToOperation(VYXCompteTel& tel, const VYXInternetDataItem& item, const VYXTelContext& ctx,
                     Operation* op) {
  VYXCompte& compte = tel.GetCompte();
  *op = Operation();
  std::string label = PToStd(item.libelle);
  std::string complement = PToStd(item.complement);
  std::string text = label;
  if (!complement.empty()) {
    text += CPGetListString(kVYXComplementSeparatorList, kVYXComplementSeparatorItem) + complement;
  }
  SetText(op->libelle, text, sizeof(Str99) - 1);

  std::string reference = PToStd(item.reference);
  if (ctx.cardView && reference.size() > 7) reference = reference.substr(reference.size() - 7);
  SetText(op->noCheque, reference, sizeof(Str7) - 1);

  op->montant = CPArrondi(item.montant, short(ctx.decimals)) + 0.0;
  VYXCompteInternetPrefs prefs = VYXCompteInternetPrefs::Get(compte);
  bool committed = prefs.ajoutsEngages != 0;
  if (ctx.cardView) committed = !compte.IsCarteDiffere(ctx.cardMode);
  op->status = committed ? kOpEngagee : kOpPointee;
  if (op->status == kOpPointee) StdToP("@", op->releve);

  CPDate date = FindDate(label, item.date);
  if (date == 0) date = FindDate(complement, item.date);
  if (date == 0 || item.date - date > kYear) date = item.date;
  op->date = date;
  op->mois = CPMonth(CPGetMonth(date));
  op->datePointe = item.date;

  if (ctx.cardView) {
    op->mode = ctx.cardMode;
    Mode mode;
    if (compte.GetModes().ReadResource(ctx.cardMode, &mode)) {
      op->datePointe = DateToDatePointe(op->date, mode, kMontantDebit);
    }
  } else if (CPResID book = BookOf(compte, op->noCheque)) {
    op->mode = ModeOfBook(compte, book);
  }

  LibelleTelematique rule;
  if (VYXFindLabelRule(compte, label, complement, &rule)) {
    if (rule.libelle[0] != 0) TruncPString(op->libelle, rule.libelle, sizeof(Str99) - 1);
    if (rule.mode != 0) op->mode = rule.mode;
    if (rule.categorie != 0) op->categorie = rule.categorie;
    if (rule.mois != 0) op->mois = VYXMonthFromRule(rule.mois, op->date);
    if (rule.tiers != 0) op->tiers = rule.tiers;
    if (rule.affaire != 0) op->affaire = rule.affaire;
    if (rule.affectation != 0) op->affectation = rule.affectation;
    TauxTVA taux;
    if (rule.tva != 0 && compte.GetTVAs().ReadResource(rule.tva, &taux)) {
      op->tva = rule.tva;
      op->montantTva = VYXTvaIncluded(op->montant, taux.taux, ctx.decimals);
    }
  }
}

std::vector<VYXInternetDataItem*> VYXCompteTelAction::Lines(bool undecidedOnly) {
  std::vector<VYXInternetDataItem*> lines;
  OSType kind = ctx_.cardView ? kVYXLineCard : kVYXLineOperation;
  for (long number : lines_) {
    VYXInternetDataItem* item = tel_.FindLine(number);
    if (!item || item->kind != kind) {
      CPThrowList(kVYXErrNoSuchLine, kVYXExchangeTexts, kExNoSuchLine,
                  {tel_.GetCompte().GetName(), std::to_string(number)});
    }
    if (undecidedOnly && !item->NeedsDecision()) {
      CPThrowList(kVYXErrNoSuchLine, kVYXExchangeTexts, kExLineDecided, {std::to_string(number)});
    }
    if (std::find(lines.begin(), lines.end(), item) == lines.end()) lines.push_back(item);
  }
  return lines;
}

bool VYXInternetValidateAction::DoAction() {
  VYXCompte& compte = tel_.GetCompte();
  std::vector<VYXInternetDataItem*> lines = Lines(true);
  refs_.clear();
  before_.clear();
  for (DataID key : keys_) {
    Operation op;
    VYXDataRef ref = 0;
    if (!compte.FindOperation(key, &op, &ref)) {
      CPThrowList(kVYXErrCompteNoOperation, kVYXExchangeTexts, kExNoSuchOperation,
                  {compte.GetName(), std::to_string(key)});
    }
    if (op.status == kOpPointee) {
      CPThrowList(kVYXErrValidation, kVYXExchangeTexts, kExAlreadyCleared,
                  {VYXOperationTitle(op.libelle, op.date)});
    }
    if (std::find(refs_.begin(), refs_.end(), ref) != refs_.end()) continue;
    refs_.push_back(ref);
    before_.push_back(op);
  }
  const short decimals = short(ctx_.decimals);
  double linesTotal = 0, opsTotal = 0;
  CPDate bankDate = 0;
  for (const VYXInternetDataItem* l : lines) {
    linesTotal += CPArrondi(l->montant, decimals);
    bankDate = std::max(bankDate, l->date);
  }
  for (const Operation& op : before_) opsTotal += CPArrondi(op.montant, decimals);
  linesTotal = CPArrondi(linesTotal, decimals) + 0.0;
  opsTotal = CPArrondi(opsTotal, decimals) + 0.0;

  bool takeAmount = false, takeReference = false;
  if (std::fabs(linesTotal - opsTotal) >= 0.0001) {
    std::string l = Amount(linesTotal, decimals), o = Amount(opsTotal, decimals);
    if (lines.size() > 1 && before_.size() > 1) {
      CPThrowMessage(kVYXErrValidation, Ask(kVYXValidateManyManyItem, {l, o}));
    }
    if (before_.size() > 1) CPThrowMessage(kVYXErrValidation, Ask(kVYXValidateOneManyItem, {l, o}));
    std::string title = VYXOperationTitle(before_[0].libelle, before_[0].date);
    int item = lines.size() > 1 ? kVYXValidateManyOneItem : kVYXValidateOneOneItem;
    if (!CPGetInteraction().AskYesNo(Ask(item, {l, o, title}), false)) CPThrowCancel();
    takeAmount = true;
    const VYXInternetDataItem& line = *lines[0];
    if (lines.size() == 1 && !ctx_.cardView && line.reference[0] != 0 &&
        !CPStrEqual(before_[0].noCheque, line.reference)) {
      takeReference = CPGetInteraction().AskYesNo(
          Ask(kVYXValidateTakeReferenceItem,
              {PToStd(line.reference), PToStd(before_[0].noCheque)}),
          false);
    }
  }

  std::vector<Operation> after;
  Mode cardMode;
  bool hasCardMode = ctx_.cardView && compte.GetModes().ReadResource(ctx_.cardMode, &cardMode);
  for (const Operation& old : before_) {
    Operation op = old;
    op.status = kOpPointee;
    op.datePointe = hasCardMode ? DateToDatePointe(op.date, cardMode, kMontantDebit) : bankDate;
    if (takeAmount) {
      op.montant = linesTotal;
      TauxTVA taux;
      if (op.tva != 0 && compte.GetTVAs().ReadResource(op.tva, &taux)) {
        op.montantTva = VYXTvaIncluded(op.montant, taux.taux, decimals);
      }
    }
    if (takeReference) SetText(op.noCheque, PToStd(lines[0]->reference), sizeof(Str7) - 1);
    StdToP("@", op.releve);
    if (!compte.CanModifyOperation(old, op)) VYXRefuseLocked(kVYXCannotModifyItem, op);
    after.push_back(op);
  }
  size_t done = 0;
  try {
    for (; done < after.size(); ++done) compte.ModifyOperation(refs_[done], after[done]);
    for (VYXInternetDataItem* l : lines) {
      l->done = true;
      if (l->kind == kVYXLineCard) l->validated = true;
    }
    tel_.SaveData();
  } catch (...) {
    // The operations go back as they were, as far as the account lets them.
    for (VYXInternetDataItem* l : lines) l->done = l->validated = false;
    try {
      for (size_t i = 0; i < done; ++i) compte.ModifyOperation(refs_[i], before_[i]);
    } catch (...) {
    }
    throw;
  }
  return true;
}

bool VYXInternetValidateAction::UndoAction() {
  VYXCompte& compte = tel_.GetCompte();
  for (size_t i = 0; i < refs_.size(); ++i) compte.ModifyOperation(refs_[i], before_[i]);
  for (VYXInternetDataItem* l : Lines(false)) l->done = l->validated = false;
  tel_.SaveData();
  return true;
}

bool VYXInternetAddDataAction::DoAction() {
  VYXCompte& compte = tel_.GetCompte();
  std::vector<VYXInternetDataItem*> lines = Lines(true);
  std::vector<Operation> ops;
  for (const VYXInternetDataItem* l : lines) {
    Operation op;
    DataToOperation(tel_, *l, ctx_, &op);
    if (!compte.CanAddOperation(op)) VYXRefuseLocked(kVYXCannotAddItem, op);
    ops.push_back(op);
  }
  added_.clear();
  try {
    for (Operation& op : ops) {
      CPResID book = BookOf(compte, op.noCheque);
      bool next = book != 0 && IsNextCheque(compte, book, op.noCheque);
      VYXDataRef ref = 0;
      compte.AddOperation(op, &ref);
      added_.push_back(DataID(op.header.dataID));
      if (next) compte.MarkNoCheque(book, op.noCheque);
    }
    for (VYXInternetDataItem* l : lines) {
      l->done = true;
      if (l->kind == kVYXLineCard) l->validated = true;
    }
    tel_.SaveData();
  } catch (...) {
    for (VYXInternetDataItem* l : lines) l->done = l->validated = false;
    try {
      UndoAction();
    } catch (...) {
    }
    throw;
  }
  return true;
}

bool VYXInternetAddDataAction::UndoAction() {
  VYXCompte& compte = tel_.GetCompte();
  for (DataID key : added_) {
    Operation op;
    VYXDataRef ref = 0;
    if (!compte.FindOperation(key, &op, &ref)) continue;
    compte.DeleteOperation(ref);
    if (CPResID book = BookOf(compte, op.noCheque)) compte.UnmarkNoCheque(book, op.noCheque);
  }
  added_.clear();
  for (VYXInternetDataItem* l : Lines(false)) l->done = l->validated = false;
  tel_.SaveData();
  return true;
}

bool VYXInternetDeleteDataAction::DoAction() {
  std::vector<VYXInternetDataItem*> lines = Lines(true);
  for (VYXInternetDataItem* l : lines) l->setAside = l->done = true;
  try {
    tel_.SaveData();
  } catch (...) {
    for (VYXInternetDataItem* l : lines) l->setAside = l->done = false;
    throw;
  }
  return true;
}

bool VYXInternetDeleteDataAction::UndoAction() {
  for (VYXInternetDataItem* l : Lines(false)) l->setAside = l->done = false;
  tel_.SaveData();
  return true;
}
