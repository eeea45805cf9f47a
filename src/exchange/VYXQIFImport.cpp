#include "exchange/VYXQIFImport.h"

#include <algorithm>
#include <cmath>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXListMapping.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXQIFStream.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "userfile/VYXUserPreferences.h"

namespace {

// Account types that "!Type:" headers give the account.
constexpr uint8_t kTypeCash = 5;
constexpr uint8_t kTypeOtherAsset = 2;
constexpr uint8_t kTypeTitres = 3;

void SetText(StringPtr field, const std::string& text, size_t capacity) {
  StdToP(text, field, int(std::min(capacity, text.size())));
}

// "[Livret bleu]": a transfer with the account of that name.
bool IsTransfer(const std::string& category, std::string* account) {
  if (category.size() < 2 || category.front() != '[' || category.back() != ']') return false;
  *account = category.substr(1, category.size() - 2);
  return true;
}

std::string Text(int list, int item, std::initializer_list<std::string> vars) {
  std::string text = CPGetListString(list, item);
  int n = 1;
  for (const std::string& v : vars) CPReplaceVar(text, n++, v);
  return text;
}

bool Listed(const std::vector<std::string>& names, const std::string& name) {
  for (const std::string& n : names)
    if (CPEqualString(n, name, false, false)) return true;
  return false;
}

bool IsList(QIF_AccountType type) {
  return type == kQIFTypeCat || type == kQIFTypeClass || type == kQIFTypeMemorized;
}

}  // namespace

VYXQIFImportPlan VYXCompteListImportAction::Plan(CPTabCrStream& stream,
                                                 const VYXQIFImportOptions& options) {
  VYXQIFImportPlan plan;
  QIF_FormatType format;
  QIF_Encoding encoding;
  bool monthFirst = false, investments = false;
  if (!VYXQIFStream::IsQIFStream(stream, nullptr, &format, &encoding, &monthFirst, &investments)) {
    CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExNotQIF, {""});
  }
  if (options.monthFirst) monthFirst = *options.monthFirst;
  if (options.encoding) encoding = *options.encoding;
  VYXQIFStream qif(&stream, format, encoding, monthFirst);
  plan.titres = investments;

  QIF_AccountType current = kQIFTypeUnknown;
  QIF_DataType kind;
  while (qif.GetNextDataType(&kind)) {
    if (kind == kQIFHeaderLine) {
      Str255 argument;
      int header = qif.GetHeader(argument);
      if (header == 2) {
        current = VYXQIFStream::GetAccountType(argument);
        if (current == kQIFTypeCash) plan.compteType = kTypeCash;
        if (current == kQIFTypeOthA) plan.compteType = kTypeOtherAsset;
        if (current == kQIFTypeInvst) {
          plan.compteType = kTypeTitres;
          plan.titres = true;
        }
      } else if (header == 3) {
        QIFAccount account;
        qif.GetAccount(&account);
        if (account.hasBalance) {
          plan.hasBalance = true;
          plan.balance = account.balance;
        }
      }
      continue;
    }
    if (kind == kQIFOptionLine) {
      Str255 argument;
      qif.GetOption(argument);
      continue;
    }
    if (current == kQIFTypeUnknown) {
      qif.SkipLine();
      continue;
    }
    if (IsList(current)) {
      std::string name;
      bool income;
      qif.GetListItem(&name, &income);
      if (current == kQIFTypeCat && !name.empty() && !Listed(plan.categories, name)) {
        plan.categories.push_back(name);
      } else {
        ++plan.ignored;
      }
      continue;
    }
    QIFTransaction t;
    bool hasSplits, isOpening;
    if (!qif.GetTransaction(current, &t, &hasSplits, &isOpening)) break;
    VYXQIFImportPlan::Op op;
    QIFSplit split;
    bool more = hasSplits;
    while (more && qif.GetSplit(&split, &more)) {
      op.splits.push_back({PToStd(split.memo), PToStd(split.category), split.amount});
    }
    if (t.date == 0) VYXThrowAtLine(kVYXExchangeTexts, kExQIFNoDate, t.line);
    if (isOpening) {
      plan.hasOpening = true;
      plan.opening = t.amount;
      continue;
    }
    Operation& o = op.op;
    o.date = o.datePointe = t.date;
    o.mois = CPMonth(CPGetMonth(t.date));
    o.status = kOpPointee;
    o.montant = t.amount;
    TruncPString(o.noCheque, t.number, sizeof(Str7) - 1);
    std::string memo = PToStd(t.memo);
    SetText(o.libelle, memo, sizeof(Str99) - 1);
    op.payee = PToStd(t.payee);
    op.category = PToStd(t.category);
    if (t.investment) {
      op.security = PToStd(t.security);
      o.isATitre = 1;
      o.quantity = t.quantity;
      o.noCheque[0] = 0;
      if (t.action == kQIFActionSell || t.action == kQIFActionDiv ||
          t.action == kQIFActionMiscInc) {
        o.montant = -o.montant;
      }
      if (std::fabs(t.amount) < 0.0001) o.fictive = 1;
      if (memo.empty()) {
        int item = t.action == kQIFActionBuy    ? kVYXInvestBuyItem
                   : t.action == kQIFActionSell ? kVYXInvestSellItem
                   : (std::fabs(t.amount) < 0.0001 && t.quantity > 0) ? kVYXInvestZeroAmountItem
                   : (t.action == kQIFActionDiv || t.quantity == 0) ? kVYXInvestDividendItem
                                                                    : 0;
        if (item != 0) {
          std::string quantity = MacNumToStr(t.quantity, -1, true);
          SetText(o.libelle, Text(kVYXInvestLabelsList, item, {quantity, op.security}),
                  sizeof(Str99) - 1);
        }
      }
    }
    // A transfer keeps the other account's name when it has no label.
    std::string account;
    if (IsTransfer(op.category, &account) && o.libelle[0] == 0) {
      SetText(o.libelle, Text(kVYXExchangeTexts, kExTransfer, {account}), sizeof(Str99) - 1);
    }
    plan.ops.push_back(std::move(op));
  }
  plan.replacedTexts = qif.ReplacedLines();
  return plan;
}

CPResID VYXCompteListImportAction::Item(VYXCompteList list, const std::string& name, bool dryRun,
                                        std::vector<std::string>* made) {
  std::string account;
  if (name.empty() || IsTransfer(name, &account)) return 0;
  Str255 key;
  StdToP(name, key);
  CPResourceSet& set = compte_.GetListSet(list);
  if (set.ResourceExists(key)) return set.GetResourceID(key);
  if (Listed(*made, name)) {
    // Made already (or, in a preview, counted already).
    return dryRun ? 0 : set.GetResourceID(key);
  }
  // The dossier's item, copied with its settings.
  CPResID id = 0;
  if (user_) {
    if (list == kVYXListCategories && user_->GetCategories().ResourceExists(key)) {
      if (dryRun) return 0;
      return UserToCompteCategorie(user_->GetCategories(), compte_.GetCategories(),
                                   user_->GetCategories().GetResourceID(key), true, false);
    }
    if (list == kVYXListTiers && user_->GetTiers().ResourceExists(key)) {
      if (dryRun) return 0;
      return UserToCompteTiers(user_->GetTiers(), compte_.GetTiers(),
                               user_->GetTiers().GetResourceID(key), true, false);
    }
  }
  made->push_back(name);
  if (dryRun) return 0;
  id = set.GetUniqueID();
  std::vector<unsigned char> body(set.GetResourceSize() == kCPVariableSize ? 0
                                                                           : set.GetResourceSize());
  if (!body.empty()) set.GetDefaultResource(body.data(), uint32_t(body.size()));
  set.AddResource(id, key, body.data(), uint32_t(body.size()));
  return id;
}

VYXQIFImportReport VYXCompteListImportAction::Preview(const VYXQIFImportPlan& plan) {
  VYXQIFImportReport report;
  for (const std::string& c : plan.categories) Item(kVYXListCategories, c, true, &report.newCategories);
  for (const VYXQIFImportPlan::Op& op : plan.ops) {
    Item(kVYXListTiers, op.payee, true, &report.newPayees);
    Item(kVYXListCategories, op.category, true, &report.newCategories);
    if (op.op.isATitre) Item(kVYXListTitres, op.security, true, &report.newTitres);
    for (const VYXQIFImportPlan::Split& s : op.splits) {
      Item(kVYXListCategories, s.category, true, &report.newCategories);
    }
    ++report.operations;
    report.splits += long(op.splits.size());
  }
  report.compteType = plan.titres ? kTypeTitres : plan.compteType;
  report.ignored = plan.ignored;
  report.replacedTexts = plan.replacedTexts;
  if (plan.hasBalance || plan.hasOpening) {
    report.hasOpening = true;
    double cleared = 0;
    for (const VYXQIFImportPlan::Op& op : plan.ops) {
      cleared += CPArrondi(op.op.montant, short(decimals_));
    }
    report.opening = plan.hasBalance
                         ? plan.balance - (compte_.GetTotauxValues()[kOpPointee] + cleared -
                                           compte_.GetReportValues()[kOpPointee])
                         : plan.opening;
    report.opening = CPArrondi(report.opening, short(decimals_)) + 0.0;
  }
  return report;
}

VYXQIFImportReport VYXCompteListImportAction::Apply(const VYXQIFImportPlan& plan,
                                                    bool updatePrices) {
  (void)updatePrices;  // securities keep no prices in this build's records
  for (const VYXQIFImportPlan::Op& op : plan.ops) {
    if (!compte_.CanAddOperation(op.op)) VYXRefuseLocked(kVYXCannotAddItem, op.op);
  }
  VYXQIFImportReport report;
  report.ignored = plan.ignored;
  report.replacedTexts = plan.replacedTexts;
  VYXCompteBulk bulk(compte_);
  CPProgress progress(CPGetListString(kVYXExchangeTexts, kExImportProgress), long(plan.ops.size()));
  std::vector<DataID> added;
  try {
    if (plan.titres) {
      compte_.SetType(kTypeTitres);
      compte_.SetHasTitres(true);
    } else if (plan.compteType != 0) {
      compte_.SetType(plan.compteType);
    }
    report.compteType = plan.titres ? kTypeTitres : plan.compteType;
    for (const std::string& c : plan.categories) Item(kVYXListCategories, c, false, &report.newCategories);
    for (const VYXQIFImportPlan::Op& planned : plan.ops) {
      Operation op = planned.op;
      op.montant = CPArrondi(op.montant, short(decimals_)) + 0.0;
      op.tiers = Item(kVYXListTiers, planned.payee, false, &report.newPayees);
      op.categorie = Item(kVYXListCategories, planned.category, false, &report.newCategories);
      if (op.isATitre) op.titre = Item(kVYXListTitres, planned.security, false, &report.newTitres);
      VYXDataRef ref = 0;
      compte_.AddOperation(op, &ref);
      added.push_back(DataID(op.header.dataID));
      for (const VYXQIFImportPlan::Split& s : planned.splits) {
        SousOperation line(op);
        SetText(line.libelle, s.memo, sizeof(Str99) - 1);
        std::string account;
        if (line.libelle[0] == 0 && IsTransfer(s.category, &account)) {
          SetText(line.libelle, Text(kVYXExchangeTexts, kExTransfer, {account}), sizeof(Str99) - 1);
        }
        line.montant = CPArrondi(s.amount, short(decimals_)) + 0.0;
        line.categorie = Item(kVYXListCategories, s.category, false, &report.newCategories);
        VYXDataRef lineRef = 0;
        compte_.AddSousOperation(ref, line, &lineRef);
        ++report.splits;
      }
      ++report.operations;
      progress.Update(report.operations);
    }
    if (plan.hasBalance) {
      MontantSet reports = compte_.GetReportValues();
      reports.montant[kOpPointee] = 0;
      compte_.SetReportValues(reports);
      MontantSet totals = compte_.GetTotauxValues();
      reports.montant[kOpPointee] = CPArrondi(plan.balance - totals[kOpPointee], short(decimals_)) + 0.0;
      compte_.SetReportValues(reports);
      report.hasOpening = true;
      report.opening = reports[kOpPointee];
    } else if (plan.hasOpening) {
      MontantSet reports;
      reports.montant[kOpPointee] = CPArrondi(plan.opening, short(decimals_)) + 0.0;
      compte_.SetReportValues(reports);
      report.hasOpening = true;
      report.opening = reports[kOpPointee];
    }
  } catch (...) {
    // What was added goes out again, as far as the account lets it.
    try {
      for (DataID key : added) {
        Operation op;
        VYXDataRef ref = 0;
        if (compte_.FindOperation(key, &op, &ref)) compte_.DeleteOperation(ref);
      }
    } catch (...) {
    }
    throw;
  }
  return report;
}

bool VYXCompteListImportAction::ImportQifStream(CPTabCrStream* stream, bool updatePrices) {
  VYXQIFImportOptions options;
  options.updatePrices = updatePrices;
  VYXQIFImportPlan plan = Plan(*stream, options);
  return Apply(plan, updatePrices).operations > 0;
}
