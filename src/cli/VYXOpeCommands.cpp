// `vyx ope`: an account's operations: add, list, modify, delete. Everything
// goes through the account's own operations, so that its rules hold as they
// do in the graphical application: the lock date, the sums by status, the
// cheque books.
//
// A new operation starts from the account's default values (status, mode,
// category, allocation, VAT rate, month rule); its bank date comes from its
// payment mode's rule for its sense, its VAT amount from its VAT rate. A
// modification changes only the fields given, and what follows from them: a
// new date, mode or amount moves a bank date that the mode gave (not one the
// user typed), a new amount or rate recomputes the VAT amount.
//
// Every argument is read before the dossier is opened, and every refusal the
// account would make is made before anything is written, so that a refused
// command leaves every file as it was.
#include <algorithm>
#include <map>
#include <memory>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXDatePointe.h"
#include "accounts/VYXMonthRule.h"
#include "accounts/VYXSDBCompte.h"
#include "accounts/VYXVirementChange.h"
#include "analysis/VYXOperationSelection.h"
#include "analysis/VYXSelectionMask.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeMoreTexts.h"
#include "cli/VYXCriteriaOptions.h"
#include "cli/VYXJsonWriter.h"
#include "cli/VYXOpeOptions.h"
#include "cli/VYXOpeTable.h"
#include "cli/VYXVirementCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserFunctions.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXOpeTexts, item); }

int Decimals(VYXCliSession& session) { return session.Dossier().GetDecimals(kDecimalsMontants); }

// ---- cheques

// The book the cheque `number` belongs to: the mode's own first, else any of the account's.
CPResID BookOfCheque(VYXCompte& compte, const Mode* mode, const std::string& number) {
  if (number.empty()) return 0;
  Str255 text;
  StdToP(number, text);
  if (mode && compte.GetNoChequeIndex(mode->chequierID, text, nullptr)) return mode->chequierID;
  CPResourceSet_T<Chequier>& books = compte.GetChequiers();
  for (int32_t n = 1, count = books.GetResourcesCount(); n <= count; ++n) {
    CPResID id = books.GetNthResource(n);
    if (compte.GetNoChequeIndex(id, text, nullptr)) return id;
  }
  return 0;
}

// The next cheque for a mode that takes them from a book, as the operation
// dialog proposes it. When no book of the account has one left, the user is
// told, and the operation goes without a number.
std::string NextCheque(VYXCompte& compte, const Mode& mode) {
  if (!mode.askForChequier && mode.chequierID == 0) return {};
  CPResID id = compte.GetChequierOfMode(mode);
  if (id == 0) {
    std::string text = CPGetListString(kVYXOpeMoreTexts, kOpeNoChequeLeft);
    CPReplaceVar(text, 1, compte.GetName());
    CPGetInteraction().Alert(text);
    return {};
  }
  Str255 text;
  compte.GetNextNoCheque(id, text);
  return PToStd(text);
}

// A cheque number another operation already has: the user says whether to
// keep it (the safe answer is no, which gives the change up).
void CheckChequeFree(VYXCompte& compte, const std::string& number, DataID self) {
  if (number.empty()) return;
  Str255 text;
  StdToP(number, text);
  DataID other = 0;
  if (!compte.NoChequeIsUsed(text, &other, self)) return;
  Operation op;
  VYXDataRef ref;
  std::string label = compte.FindOperation(other, &op, &ref) ? PToStd(op.libelle) : "";
  std::string question = CPGetListString(kVYXOpeTexts, kOpeChequeUsed);
  CPReplaceVar(question, 1, number);
  CPReplaceVar(question, 2, std::to_string(other));
  CPReplaceVar(question, 3, label);
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
}

void MarkCheque(VYXCompte& compte, const Mode* mode, const std::string& number) {
  CPResID book = BookOfCheque(compte, mode, number);
  if (book == 0) return;
  Str255 text;
  StdToP(number, text);
  compte.UpdateChequier(book, text);
}

void UnmarkCheque(VYXCompte& compte, const Mode* mode, const std::string& number) {
  CPResID book = BookOfCheque(compte, mode, number);
  if (book == 0) return;
  Str255 text;
  StdToP(number, text);
  compte.UnmarkNoCheque(book, text);
}

// ---- fields

// The fields given that are plain values; list items, bank date, VAT amount
// and cheque number are the callers'.
void SetValues(Operation& op, const VYXOpeValues& v, int decimals) {
  if (v.date) op.date = *v.date;
  if (v.montant) op.montant = CPArrondi(*v.montant, short(decimals)) + 0.0;
  if (v.libelle) StdToP(*v.libelle, op.libelle, sizeof(Str99) - 1);
  if (v.piece) StdToP(*v.piece, op.noPiece, sizeof(Str12) - 1);
  if (v.releve) StdToP(*v.releve, op.releve, sizeof(Str5) - 1);
  if (v.status) op.status = *v.status;
  if (v.mois) op.mois = *v.mois;
}

// The bank date the payment mode gives, the operation's date without one.
CPDate BankDate(const Operation& op, const Mode* mode) {
  return mode ? DateToDatePointe(op.date, *mode, op.GetMontantType()) : CPDate(op.date);
}

// The VAT included in the operation's amount at its rate; 0 without one.
double TvaOf(const VYXOpeItems& items, double montant, int decimals) {
  TauxTVA taux;
  return items.GetTauxTVA(&taux) ? VYXTvaOf(montant, taux.taux, decimals) : 0.0;
}

void PrintDone(VYXCliContext& ctx, VYXCompte& compte, const Operation& op, int message) {
  if (ctx.json) {
    VYXPrintJson(ctx, VYXOperationJson(compte, op));
  } else {
    *ctx.out << VYXHelp(kVYXOpeTexts, message,
                        {std::to_string(op.header.dataID), VYXText(compte.GetName())})
             << '\n';
  }
}

// A twin takes every field from its source but those of its own statement
// and cheque: changed here, the others would go at the source's next change.
void RefuseTwinFields(VYXCliSession& session, VYXCompte& compte, const Operation& op,
                      const VYXOpeValues& v) {
  if (!VYXIsTwin(op)) return;
  bool own = !v.date && !v.montant && !v.montantTva && !v.libelle && !v.piece && !v.mois &&
             !v.virement;
  for (int i = 0; own && i < kVYXCompteListCount; ++i) own = !v.items[i];
  if (own) return;
  std::string source;
  if (!VYXFindTwinSource(session, compte, op, &source, nullptr)) return;  // a twin alone is free
  CPThrowList(paramErr, kVYXVirementCliTexts, kVirTwinFields,
              {VYXOperationTitle(op.libelle, op.date), source});
}

// ---- commands

void Ajouter(VYXCliContext& ctx, const std::string& nom, const VYXOpeArgs& args) {
  VYXOpeValues v = VYXReadOpeArgs(args);
  VYXCliSession session(ctx);
  int decimals = Decimals(session);
  VYXCheckOpeDecimals(args, v, decimals);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  VYXCompteFunctions functions(compte);
  VYXEvaluateOpeFormulas(v, &functions, decimals);

  const VYXCompteDefaultValues& defaults = compte.GetDefaultValues();
  Operation op(defaults, false);
  SetValues(op, v, decimals);
  if (!v.mois) op.mois = VYXMonthFromRule(defaults.mois, op.date);
  // The defaults keep a VAT rate for each sense; the amount says which.
  op.tva = op.GetMontantType() == kMontantCredit ? defaults.tvaRec : defaults.tvaDep;

  VYXOpeItems items(session, compte);
  items.Take(v, op);
  Mode mode;
  bool hasMode = items.GetMode(&mode);
  op.datePointe = v.datePointe ? *v.datePointe : BankDate(op, hasMode ? &mode : nullptr);
  op.montantTva = v.montantTva ? CPArrondi(*v.montantTva, short(decimals)) + 0.0
                               : TvaOf(items, op.montant, decimals);
  std::string cheque = v.cheque ? *v.cheque : hasMode ? NextCheque(compte, mode) : "";
  StdToP(cheque, op.noCheque, sizeof(Str7) - 1);

  Operation probe = op;
  items.Put(probe);
  if (!compte.CanAddOperation(probe)) VYXRefuseLocked(kVYXCannotAddItem, op);
  CPFileRef target;
  if (v.virement && !v.virement->empty()) target = VYXVirementFile(session, *v.virement);
  // The other account's rules are asked too before anything is written.
  VYXVirementChange change(compte);
  std::vector<SousOperation> noLines;
  change.Prepare(nullptr, &probe, &noLines, target.Empty() ? nullptr : &target);
  CheckChequeFree(compte, cheque, 0);

  VYXDataRef ref = 0;
  change.Run([&](const VYXVirementChange::Half& half) {
    items.Make();
    items.Put(op);
    op.virementId = half.target;
    op.virementKey = half.key;
    compte.AddOperation(op, &ref);
    MarkCheque(compte, hasMode ? &mode : nullptr, cheque);
  });
  // A purchase piece typed as its numbering's next one moves that counter on.
  if (v.piece) session.Dossier().ValidateNextNoPiece(op.noPiece, op.date);
  PrintDone(ctx, compte, op, kOpeAdded);
  session.Close();
}

void Modifier(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
              const VYXOpeArgs& args) {
  VYXOpeValues v = VYXReadOpeArgs(args);
  DataID key = VYXArgKey(cle);
  if (v.Empty()) CPThrowList(paramErr, kVYXOpeTexts, kOpeNothingToChange);
  VYXCliSession session(ctx);
  int decimals = Decimals(session);
  VYXCheckOpeDecimals(args, v, decimals);
  VYXSDBCompte& compte = session.OpenCompte(nom);

  Operation old;
  VYXDataRef ref = VYXFindOperation(compte, key, &old);
  // MONTANT(), RESTE()... are those of the operation as it is.
  VYXCompteFunctions account(compte);
  VYXOperationFunctions functions(&account, old);
  VYXEvaluateOpeFormulas(v, &functions, decimals);
  RefuseTwinFields(session, compte, old, v);
  Mode oldMode;
  bool hadMode = compte.GetModes().ReadResource(CPResID(old.mode), &oldMode);

  Operation op = old;
  SetValues(op, v, decimals);
  VYXOpeItems items(session, compte);
  items.Take(v, op);
  Mode mode;
  bool hasMode = items.GetMode(&mode);

  if (v.datePointe) {
    op.datePointe = *v.datePointe;
  } else if (v.date || v.montant || v.items[kVYXListModes]) {
    // A bank date the mode gave follows the date, the sense and the mode;
    // one the user typed (or the bank gave) stays.
    CPDate given = BankDate(old, hadMode ? &oldMode : nullptr);
    if (old.datePointe == 0 || old.datePointe == given) {
      op.datePointe = BankDate(op, hasMode ? &mode : nullptr);
    }
  }
  if (v.montantTva) {
    op.montantTva = CPArrondi(*v.montantTva, short(decimals)) + 0.0;
  } else if (v.montant || v.items[kVYXListTauxTVA]) {
    op.montantTva = TvaOf(items, op.montant, decimals);
  }
  std::string oldCheque = PToStd(old.noCheque);
  std::string cheque = v.cheque ? *v.cheque : oldCheque;
  StdToP(cheque, op.noCheque, sizeof(Str7) - 1);

  Operation probe = op;
  items.Put(probe);
  if (!compte.CanModifyOperation(old, probe)) VYXRefuseLocked(kVYXCannotModifyItem, op);
  CPFileRef target;
  if (v.virement) {
    if (v.virement->empty()) {
      probe.virementId = 0;
      probe.virementKey = 0;
    } else {
      target = VYXVirementFile(session, *v.virement);
    }
  }
  VYXVirementChange change(compte);
  std::vector<SousOperation> lines = VYXLinesOf(compte, old);
  change.Prepare(&old, &probe, &lines, target.Empty() ? nullptr : &target);
  if (cheque != oldCheque) CheckChequeFree(compte, cheque, key);

  change.Run([&](const VYXVirementChange::Half& half) {
    items.Make();
    items.Put(op);
    op.virementId = half.target;
    op.virementKey = half.key;
    compte.ModifyOperation(ref, op);
    if (cheque != oldCheque) {
      UnmarkCheque(compte, hadMode ? &oldMode : nullptr, oldCheque);
      MarkCheque(compte, hasMode ? &mode : nullptr, cheque);
    }
  });
  if (v.piece && !CPStrEqual(old.noPiece, op.noPiece)) {
    session.Dossier().ValidateNextNoPiece(op.noPiece, op.date);
  }
  compte.GetOperation(ref, &op);
  VYXWarnIfSplitBeyond(compte, op);
  PrintDone(ctx, compte, op, kOpeModified);
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom, const std::string& cle) {
  DataID key = VYXArgKey(cle);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  Operation op;
  VYXDataRef ref = VYXFindOperation(compte, key, &op);
  // Printed as it was, lines included.
  nlohmann::json was = VYXOperationJson(compte, op);
  Mode mode;
  bool hasMode = compte.GetModes().ReadResource(CPResID(op.mode), &mode);
  // A twin goes with its source: both halves are deleted from the source's account.
  std::string sourceName;
  CPFileRef sourceFile;
  if (VYXFindTwinSource(session, compte, op, &sourceName, &sourceFile)) {
    VYXSDBCompte& source = session.OpenCompteFile(sourceFile);
    Operation sourceOp;
    VYXDataRef sourceRef = 0;
    source.FindSourceOperation(op.virementTargetKey, &sourceRef, &sourceOp);
    VYXVirementChange change(source);
    change.Prepare(&sourceOp, nullptr, nullptr);
    change.Run([&](const VYXVirementChange::Half&) { source.DeleteOperation(sourceRef); });
    if (ctx.json) {
      VYXPrintJson(ctx, was);
    } else {
      *ctx.out << VYXHelp(kVYXVirementCliTexts, kVirDeletedBoth,
                          {std::to_string(key), VYXText(compte.GetName()), VYXText(sourceName)})
               << '\n';
    }
    session.Close();
    return;
  }
  VYXVirementChange change(compte);
  change.Prepare(&op, nullptr, nullptr);
  change.Run([&](const VYXVirementChange::Half&) {
    compte.DeleteOperation(ref);
    // A cheque not written after all goes back to its book when it was the last one taken.
    UnmarkCheque(compte, hasMode ? &mode : nullptr, PToStd(op.noCheque));
  });
  if (ctx.json) {
    VYXPrintJson(ctx, was);
  } else {
    PrintDone(ctx, compte, op, kOpeDeleted);
  }
  session.Close();
}

// ---- the list

struct ListeArgs {
  std::string compte;
  bool tous = false;
  std::string filtre;
  bool csv = false;
  VYXCriteriaArgs criteria;
};

// One operation that passed, with its account: what orders it and where to
// read it again when it is printed, so that a long list stays small.
struct Listed {
  VYXSDBCompte* compte;
  int32_t position;  // of the account in the dossier
  CPDate date;
  uint32_t dataID;
  VYXDataRef ref;
  double montant;
  double solde;     // the account's balance after it
  bool pass;        // selected by every filter
  bool transfer;    // a transfer half
};

// The selections an operation must all pass: the saved filter's, then the
// options'.
std::vector<CPOwnedHandle> Selections(VYXCliSession& session, const std::string& filtre,
                                      const VYXCriteria& criteria, VYXSDBCompte* single) {
  VYXSDBUserPreferences& user = session.Dossier();
  std::vector<CPOwnedHandle> selections;
  std::vector<VYXSelectionMask> masks;
  if (!filtre.empty()) {
    Str255 key;
    StdToP(filtre, key);
    VYXSelectionMask mask;
    if (!VYXReadSavedMask(user, key, &mask)) {
      CPThrowList(kCPErrNotFound, kVYXFiltreTexts, kFiltreNoSuch, {filtre});
    }
    masks.push_back(mask);
  }
  if (!criteria.Empty()) {
    // Amounts typed as formulas are in the account's currency when there is one.
    std::unique_ptr<CPFunctionsProvider> functions;
    if (single) {
      functions = std::make_unique<VYXCompteFunctions>(*single);
    } else {
      functions = std::make_unique<VYXUserFunctions>(user);
    }
    VYXSelectionMask mask = VYXCliMask();
    VYXApplyCriteria(criteria, user, functions.get(), &mask);
    masks.push_back(mask);
  }
  for (const VYXSelectionMask& mask : masks) {
    CPOwnedHandle selection;
    if (!ConvertMaskToSelection(mask, selection, CPHostEncoding, user)) CPThrow(memFullErr);
    selections.push_back(std::move(selection));
  }
  return selections;
}

void Liste(VYXCliContext& ctx, const ListeArgs& a) {
  if (a.compte.empty() != a.tous) CPThrowList(paramErr, kVYXFiltreTexts, kCritNoCompte);
  VYXCriteria criteria = VYXReadCriteria(a.criteria);
  std::string filtre = a.filtre.empty() ? std::string() : VYXArgText(a.filtre);
  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXSDBUserPreferences& user = session.Dossier();

  std::vector<std::pair<VYXSDBCompte*, int32_t>> comptes;
  if (a.tous) {
    for (const VYXCliSession::Compte& c : session.Comptes()) {
      comptes.emplace_back(&session.OpenCompte(c), c.position);
    }
  } else {
    comptes.emplace_back(&session.OpenCompte(a.compte), 0);
  }
  std::vector<CPOwnedHandle> selections =
      Selections(session, filtre, criteria, a.tous ? nullptr : comptes.front().first);

  std::vector<Listed> listed;
  int decimals = Decimals(session);
  for (auto [compte, position] : comptes) {
    std::vector<std::unique_ptr<VYXOperationFilter>> filters;
    for (const CPOwnedHandle& s : selections) {
      filters.push_back(std::make_unique<VYXOperationFilter>(*compte, s.get(), CPHostEncoding));
    }
    std::vector<Listed> all;
    Operation op;
    VYXDataRef ref;
    for (bool more = compte->GetFirstOperation(&op, &ref); more;
         more = compte->GetNextOperation(&op, &ref)) {
      bool pass = std::all_of(filters.begin(), filters.end(),
                              [&](const auto& f) { return f->IsSelected(op); });
      all.push_back({compte, position, op.date, DataID(op.header.dataID), ref, op.montant, 0, pass,
                     op.virementId != 0 || VYXIsTwin(op)});
    }
    std::sort(all.begin(), all.end(), [](const Listed& x, const Listed& y) {
      int days = CPCompareDates(x.date, y.date);
      return days != 0 ? days < 0 : x.dataID < y.dataID;
    });
    // The balance runs over every operation, shown or not, from the opening
    // balances, so that the last one is the account's forecast balance.
    double solde = MontantSet_Total(compte->GetReportValues()) +
                   MontantSet_Total(compte->GetPlusValues());
    for (Listed& o : all) {
      solde = CPArrondi(solde + o.montant, short(decimals)) + 0.0;
      o.solde = solde;
      if (o.pass) listed.push_back(o);
    }
  }
  // By day, then by account, then in the order they were entered.
  std::stable_sort(listed.begin(), listed.end(), [](const Listed& x, const Listed& y) {
    int days = CPCompareDates(x.date, y.date);
    if (days != 0) return days < 0;
    if (x.position != y.position) return x.position < y.position;
    return x.dataID < y.dataID;
  });

  // The total, in the accounts' currency, or in the dossier's when they differ.
  DeviseCode devise = comptes.front().first->GetCompteDevise();
  bool mixed = std::any_of(comptes.begin(), comptes.end(),
                           [&](const auto& c) { return c.first->GetCompteDevise() != devise; });
  if (mixed) devise = user.GetReferenceDevise();
  double total = 0;
  for (const Listed& l : listed) {
    double montant = l.montant;
    total += mixed ? user.DeviseToMontant(l.compte->GetCompteDevise(), montant) : montant;
  }
  total = CPArrondi(total, short(decimals)) + 0.0;

  // The other account of each transfer half, looked up once per account.
  std::map<VYXCompte*, std::unique_ptr<VYXVirementNames>> virements;
  for (auto [compte, position] : comptes) {
    virements[compte] = std::make_unique<VYXVirementNames>(session, *compte);
  }

  // Each operation is read again as it is printed.
  VYXOpeSource source = [&listed](const std::function<void(const VYXOpeListed&)>& each) {
    Operation op;
    for (const Listed& l : listed) {
      l.compte->GetOperation(l.ref, &op);
      each({l.compte, &op, l.solde});
    }
  };

  bool filtered = !filtre.empty() || !criteria.Empty();
  if (ctx.json) {
    VYXJsonWriter w(*ctx.out);
    w.BeginArray();
    source([&](const VYXOpeListed& l) {
      VYXOperationJsonExtras extras;
      extras.solde = &l.solde;
      std::string name;
      if (a.tous) {
        name = VYXText(l.compte->GetName());
        extras.compte = &name;
      }
      VYXOperationJsonExtras::Virement virement;
      virement.compte = virements[l.compte]->Other(*l.op, &virement.source);
      if (!virement.compte.empty()) extras.virement = &virement;
      VYXWriteOperationJson(w, *l.compte, *l.op, extras);
    });
    w.EndArray();
    w.Finish();
  } else if (listed.empty() && !a.csv) {
    if (filtered || a.tous) {
      *ctx.out << VYXHelp(kVYXFiltreTexts, kCritNothing) << '\n';
    } else {
      *ctx.out << VYXHelp(kVYXOpeTexts, kOpeNone, {VYXText(comptes.front().first->GetName())})
               << '\n';
    }
  } else {
    std::vector<VYXOpeColumn> columns = VYXOpeColumns(a.csv, decimals);
    if (a.tous) {
      columns.insert(columns.begin(),
                     {VYXHelp(kVYXFiltreTexts, kColCompte), VYXTable::kLeft,
                      [](VYXCompte& compte, const VYXOpeRow& row) {
                        return row.kind == VYXOpeRow::kOperation ? VYXText(compte.GetName())
                                                                 : std::string();
                      }});
    }
    // The other account of a transfer, in a column of its own when there is one.
    bool transfers =
        std::any_of(listed.begin(), listed.end(), [](const Listed& l) { return l.transfer; });
    if (transfers) {
      columns.push_back({VYXHelp(kVYXVirementCliTexts, kVirColVirement), VYXTable::kLeft,
                         [&virements](VYXCompte& compte, const VYXOpeRow& row) {
                           return row.kind == VYXOpeRow::kOperation
                                      ? virements[&compte]->Text(*row.op)
                                      : std::string();
                         }});
    }
    if (a.csv) {
      VYXPrintOpeCsv(*ctx.out, source, columns);
    } else {
      VYXPrintOpeTable(*ctx.out, source, columns);
      *ctx.out << VYXHelp(kVYXFiltreTexts, listed.size() == 1 ? kCritTotalOne : kCritTotalMany,
                          {std::to_string(listed.size()), VYXAmountText(total), VYXCodeText(devise)})
               << '\n';
    }
  }
  session.Close();
}

}  // namespace

void VYXAddOpeCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* ope = VYXAddSubcommand(&app, "ope", T(kOpeHelpOpe));
  ope->require_subcommand(1);
  auto compte = std::make_shared<std::string>();
  auto cle = std::make_shared<std::string>();

  CLI::App* ajouter = VYXAddSubcommand(ope, "ajouter", T(kOpeHelpAjouter));
  auto added = std::make_shared<VYXOpeArgs>();
  ajouter->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  VYXAddOpeOptions(ajouter, *added, VYXOpeOptionSet::kOperation);
  ajouter->get_option("--date")->required();
  ajouter->get_option("--montant")->required();
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, compte, added] { Ajouter(ctx, *compte, *added); });

  CLI::App* liste = VYXAddSubcommand(ope, "liste", T(kOpeHelpListe));
  auto listed = std::make_shared<ListeArgs>();
  liste->add_option("COMPTE", listed->compte, T(kOpeHelpCompte));
  liste->add_flag("--tous", listed->tous, VYXHelp(kVYXFiltreTexts, kCritHelpTous));
  liste->add_option("--filtre", listed->filtre, VYXHelp(kVYXFiltreTexts, kCritHelpFiltre));
  VYXAddCriteriaOptions(liste, listed->criteria, VYXCriteriaUse::kSelect);
  liste->add_flag("--csv", listed->csv, VYXHelp(kVYXFiltreTexts, kCritHelpCsv));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, listed] { Liste(ctx, *listed); });

  CLI::App* modifier = VYXAddSubcommand(ope, "modifier", T(kOpeHelpModifier));
  auto changed = std::make_shared<VYXOpeArgs>();
  modifier->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  modifier->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  VYXAddOpeOptions(modifier, *changed, VYXOpeOptionSet::kOperation);
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, compte, cle, changed] { Modifier(ctx, *compte, *cle, *changed); });

  CLI::App* supprimer = VYXAddSubcommand(ope, "supprimer", T(kOpeHelpSupprimer));
  supprimer->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  supprimer->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, compte, cle] { Supprimer(ctx, *compte, *cle); });
}
