// `vyx ventil`: the split lines of an operation. A new line starts as the
// account makes one for its operation (its category, payee, case,
// allocation, VAT rate and month), then takes the fields given; the account
// keeps the operation's count and totals of its lines, under the lock date.
#include <algorithm>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXSDBCompte.h"
#include "accounts/VYXVirementChange.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
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

void Print(VYXCliContext& ctx, VYXCompte& compte, VYXDataRef ref, int message, DataID line) {
  Operation op;
  compte.GetOperation(ref, &op);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXOperationJson(compte, op));
  } else {
    *ctx.out << VYXHelp(kVYXOpeTexts, message,
                        {std::to_string(line), std::to_string(op.header.dataID),
                         VYXText(compte.GetName())})
             << '\n';
  }
}

void Ajouter(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
             const VYXOpeArgs& args) {
  VYXOpeValues v = VYXReadOpeArgs(args);
  DataID key = VYXArgKey(cle);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  int decimals = session.Dossier().GetDecimals(kDecimalsMontants);

  Operation op;
  VYXDataRef ref = VYXFindOperation(compte, key, &op);
  RefuseTwin(session, compte, op);
  SousOperation line(op);
  line.montant = CPArrondi(*v.montant, short(decimals)) + 0.0;
  if (v.libelle) StdToP(*v.libelle, line.libelle, sizeof(Str99) - 1);
  if (v.mois) line.mois = *v.mois;
  VYXOpeItems items(session, compte);
  items.Take(v, line);
  if (v.montantTva) {
    line.montantTva = CPArrondi(*v.montantTva, short(decimals)) + 0.0;
  } else {
    TauxTVA taux;
    line.montantTva = items.GetTauxTVA(&taux) ? VYXTvaOf(line.montant, taux.taux, decimals) : 0.0;
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
  Print(ctx, compte, ref, kOpeLineAdded, line.header.dataID);
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
  Print(ctx, compte, ref, kOpeLineDeleted, number);
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

  CLI::App* supprimer = VYXAddSubcommand(ventil, "supprimer", T(kOpeHelpVentilSupprimer));
  auto ligne = std::make_shared<std::string>();
  supprimer->add_option("COMPTE", *compte, T(kOpeHelpCompte))->required();
  supprimer->add_option("CLE", *cle, T(kOpeHelpCle))->required();
  supprimer->add_option("LIGNE", *ligne, T(kOpeHelpLigne))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, compte, cle, ligne] { Supprimer(ctx, *compte, *cle, *ligne); });
}
