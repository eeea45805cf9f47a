// `vyx ventil`: the split lines of an operation. A new line starts as the
// account makes one for its operation (its category, payee, case,
// allocation, VAT rate and month), then takes the fields given; the account
// keeps the operation's count and totals of its lines, under the lock date.
#include <algorithm>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXCompteFunctions.h"
#include "accounts/VYXSDBCompte.h"
#include "accounts/VYXVirementChange.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeMoreTexts.h"
#include "cli/VYXOpeOptions.h"
#include "cli/VYXOpeTable.h"
#include "cli/VYXVirementCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXOpeTexts, item); }

// The lines of a twin are its source's: they change there.
void RefuseTwin(VYXCliSession& session, VYXCompte& compte, const Operation& op) {
  std::string source;
  if (!VYXFindTwinSource(session, compte, op, &source, nullptr)) return;
  CPThrowList(paramErr, kVYXVirementCliTexts, kVirTwinFields,
              {VYXOperationTitle(op.libelle, op.date), source});
}

void Print(VYXCliContext& ctx, VYXCompte& compte, VYXDataRef ref, int list, int message,
           DataID line) {
  Operation op;
  compte.GetOperation(ref, &op);
  VYXWarnIfSplitBeyond(compte, op);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXOperationJson(compte, op));
  } else {
    *ctx.out << VYXHelp(list, message,
                        {std::to_string(line), std::to_string(op.header.dataID),
                         VYXText(compte.GetName())})
             << '\n';
  }
}

// The line's VAT included in its amount at its rate; 0 without one.
double LineTva(const VYXOpeItems& items, double montant, int decimals) {
  TauxTVA taux;
  return items.GetTauxTVA(&taux) ? VYXTvaOf(montant, taux.taux, decimals) : 0.0;
}

void Ajouter(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
             const VYXOpeArgs& args) {
  VYXOpeValues v = VYXReadOpeArgs(args);
  DataID key = VYXArgKey(cle);
  VYXCliSession session(ctx);
  int decimals = session.Dossier().GetDecimals(kDecimalsMontants);
  VYXCheckOpeDecimals(args, v, decimals);
  VYXSDBCompte& compte = session.OpenCompte(nom);

  Operation op;
  VYXDataRef ref = VYXFindOperation(compte, key, &op);
  RefuseTwin(session, compte, op);
  SousOperation line(op);
  // RESTE() is what the operation has left to split.
  VYXCompteFunctions account(compte);
  VYXOperationFunctions opFunctions(&account, op);
  VYXSsOperationFunctions functions(&opFunctions, op, line);
  VYXEvaluateOpeFormulas(v, &functions, decimals);
  line.montant = CPArrondi(*v.montant, short(decimals)) + 0.0;
  if (v.libelle) StdToP(*v.libelle, line.libelle, sizeof(Str99) - 1);
  if (v.mois) line.mois = *v.mois;
  VYXOpeItems items(session, compte);
  items.Take(v, line);
  if (v.montantTva) {
    line.montantTva = CPArrondi(*v.montantTva, short(decimals)) + 0.0;
  } else {
    line.montantTva = LineTva(items, line.montant, decimals);
  }

  // The line moves the operation's split totals, which a lock date protects
  // like its amount: refused here before a list item is copied into the account.
  Operation next = op;
  next.sousOpsNbr = int16_t(op.sousOpsNbr + 1);
  next.montantSousOp = double(op.montantSousOp) + double(line.montant);
  next.montantTvaSousOp = double(op.montantTvaSousOp) + double(line.montantTva);
  if (!compte.CanModifyOperation(op, next)) VYXRefuseLocked(kVYXCannotModifyItem, op);
  // A transfer's twin takes the new line too.
  std::vector<SousOperation> lines = VYXLinesOf(compte, op);
  SousOperation probe = line;
  items.Put(probe);
  lines.push_back(probe);
  VYXVirementChange change(compte);
  change.Prepare(&op, &next, &lines);

  VYXDataRef sousRef = 0;
  change.Run([&](const VYXVirementChange::Half&) {
    items.Make();
    items.Put(line);
    compte.AddSousOperation(ref, line, &sousRef);
  });
  Print(ctx, compte, ref, kVYXOpeTexts, kOpeLineAdded, line.header.dataID);
  session.Close();
}

void Modifier(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
              const std::string& ligne, const VYXOpeArgs& args) {
  VYXOpeValues v = VYXReadOpeArgs(args);
  DataID key = VYXArgKey(cle);
  DataID number = VYXArgLine(ligne);
  if (v.Empty()) CPThrowList(paramErr, kVYXOpeMoreTexts, kOpeNothingToChangeInLine);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  int decimals = session.Dossier().GetDecimals(kDecimalsMontants);

  Operation op;
  VYXDataRef ref = VYXFindOperation(compte, key, &op);
  SousOperation old;
  VYXDataRef sousRef = 0;
  if (!compte.FindSousOperation(ref, number, &old, &sousRef)) {
    CPThrowList(kVYXErrCompteNoOperation, kVYXOpeTexts, kOpeNoSuchLine,
                {std::to_string(key), std::to_string(number)});
  }
  RefuseTwin(session, compte, op);
  SousOperation line = old;
  if (v.montant) line.montant = CPArrondi(*v.montant, short(decimals)) + 0.0;
  if (v.libelle) StdToP(*v.libelle, line.libelle, sizeof(Str99) - 1);
  if (v.mois) line.mois = *v.mois;
  VYXOpeItems items(session, compte);
  items.Take(v, line);
  // As for an operation: a new amount or rate gives the VAT its rate says,
  // unless the VAT amount is given.
  if (v.montantTva) {
    line.montantTva = CPArrondi(*v.montantTva, short(decimals)) + 0.0;
  } else if (v.montant || v.items[kVYXListTauxTVA]) {
    line.montantTva = LineTva(items, line.montant, decimals);
  }

  // Refused under the lock date before a list item is copied into the account.
  Operation next = op;
  next.montantSousOp = double(op.montantSousOp) - double(old.montant) + double(line.montant);
  next.montantTvaSousOp =
      double(op.montantTvaSousOp) - double(old.montantTva) + double(line.montantTva);
  if (!compte.CanModifyOperation(op, next)) VYXRefuseLocked(kVYXCannotModifyItem, op);
  // A transfer's twin takes the changed line too.
  std::vector<SousOperation> lines;
  SousOperation probe = line;
  items.Put(probe);
  for (const SousOperation& l : VYXLinesOf(compte, op)) {
    lines.push_back(l.header.dataID == old.header.dataID ? probe : l);
  }
  VYXVirementChange change(compte);
  change.Prepare(&op, &next, &lines);
  change.Run([&](const VYXVirementChange::Half&) {
    items.Make();
    items.Put(line);
    compte.ModifySousOperation(ref, line, sousRef);
  });
  Print(ctx, compte, ref, kVYXOpeMoreTexts, kOpeLineModified, number);
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
               const std::string& ligne) {
  DataID key = VYXArgKey(cle);
  DataID number = VYXArgLine(ligne);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  Operation op;
  VYXDataRef ref = VYXFindOperation(compte, key, &op);
  SousOperation line;
  VYXDataRef sousRef = 0;
  if (!compte.FindSousOperation(ref, number, &line, &sousRef)) {
    CPThrowList(kVYXErrCompteNoOperation, kVYXOpeTexts, kOpeNoSuchLine,
                {std::to_string(key), std::to_string(number)});
  }
  RefuseTwin(session, compte, op);
  Operation next = op;
  next.sousOpsNbr = int16_t(std::max(0, op.sousOpsNbr - 1));
  next.montantSousOp = double(op.montantSousOp) - double(line.montant);
  next.montantTvaSousOp = double(op.montantTvaSousOp) - double(line.montantTva);
  std::vector<SousOperation> lines;
  for (const SousOperation& l : VYXLinesOf(compte, op)) {
    if (l.header.dataID != line.header.dataID) lines.push_back(l);
  }
  VYXVirementChange change(compte);
  change.Prepare(&op, &next, &lines);
  change.Run([&](const VYXVirementChange::Half&) { compte.DeleteSousOperation(ref, sousRef); });
  Print(ctx, compte, ref, kVYXOpeTexts, kOpeLineDeleted, number);
  session.Close();
}

}  // namespace

void VYXAddVentilCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* ventil = VYXAddSubcommand(&app, "ventil", T(kOpeHelpVentil));
  ventil->require_subcommand(1);
  auto compte = std::make_shared<std::string>();
  auto cle = std::make_shared<std::string>();

  CLI::App* ajouter = VYXAddSubcommand(ventil, "ajouter", T(kOpeHelpVentilAjouter));
  auto args = std::make_shared<VYXOpeArgs>();
  ajouter->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  ajouter->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  VYXAddOpeOptions(ajouter, *args, VYXOpeOptionSet::kLine);
  ajouter->get_option("--montant")->required();
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, compte, cle, args] { Ajouter(ctx, *compte, *cle, *args); });

  auto ligne = std::make_shared<std::string>();
  CLI::App* modifier =
      VYXAddSubcommand(ventil, "modifier", VYXHelp(kVYXOpeMoreTexts, kOpeHelpVentilModifier));
  auto changed = std::make_shared<VYXOpeArgs>();
  modifier->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  modifier->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  modifier->add_option("LIGNE", *ligne, T(kOpeHelpLigne))->required();
  VYXAddOpeOptions(modifier, *changed, VYXOpeOptionSet::kLine);
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, compte, cle, ligne, changed] {
    Modifier(ctx, *compte, *cle, *ligne, *changed);
  });

  CLI::App* supprimer = VYXAddSubcommand(ventil, "supprimer", T(kOpeHelpVentilSupprimer));
  supprimer->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  supprimer->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  supprimer->add_option("LIGNE", *ligne, T(kOpeHelpLigne))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, compte, cle, ligne] { Supprimer(ctx, *compte, *cle, *ligne); });
}
