// `vyx regle`: an account's label rules, which give the operations made from
// statement lines (vyx releve ajouter) their label, category, payee, payment
// mode... according to the bank's label. A rule's pattern is the start of
// the bank's label ("CARTE"), or a start and a rest found further on in the
// label or its second line ("PRLV\EDF"). Rules are tried in the order they
// were added; the first that matches gives its values.
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

constexpr int kRegleTexts = 30670;
enum : int {
  kHelpRegle = 1,
  kHelpAjouter,
  kHelpListe,
  kHelpSupprimer,
  kHelpCompte,
  kHelpMotif,
  kHelpLibelle,
  kColMotif = 20,
  kColLibelle,
  kColCategorie,
  kColTiers,
  kColMode,
  kColAutres,
  kAdded = 30,  // ^1: the pattern, ^2: the account
  kDeleted,     // ^1: the pattern, ^2: the account
  kNone,        // ^1: the account
  kNoSuchRule,  // ^1: the account, ^2: the pattern
  kExists,      // ^1: the account, ^2: the pattern
  kNoMotif,
  kMotifTooLong,  // ^1: the pattern
};

std::string T(int item) { return VYXHelp(kRegleTexts, item); }

struct AddArgs {
  std::string compte, motif;
  std::optional<std::string> libelle;
  VYXOpeArgs items;
};

// The lists a rule gives, and their IDs in a rule.
constexpr VYXCompteList kRuleLists[] = {kVYXListCategories, kVYXListTiers, kVYXListModes,
                                        kVYXListAffaires, kVYXListAffectations,
                                        kVYXListTauxTVA};

CPResID& RuleItem(LibelleTelematique& rule, VYXCompteList list) {
  switch (list) {
    case kVYXListCategories: return rule.categorie;
    case kVYXListTiers: return rule.tiers;
    case kVYXListModes: return rule.mode;
    case kVYXListAffaires: return rule.affaire;
    case kVYXListAffectations: return rule.affectation;
    default: return rule.tva;
  }
}

nlohmann::json RuleJson(VYXCompte& compte, ConstStringPtr pattern, LibelleTelematique& rule) {
  return {{"motif", VYXText(PToStd(pattern))},
          {"libelle", VYXText(PToStd(rule.libelle))},
          {"categorie", VYXItemName(compte, kVYXListCategories, rule.categorie)},
          {"tiers", VYXItemName(compte, kVYXListTiers, rule.tiers)},
          {"mode", VYXItemName(compte, kVYXListModes, rule.mode)},
          {"affaire", VYXItemName(compte, kVYXListAffaires, rule.affaire)},
          {"affectation", VYXItemName(compte, kVYXListAffectations, rule.affectation)},
          {"tva", VYXItemName(compte, kVYXListTauxTVA, rule.tva)},
          {"mois", rule.mois}};
}

void Ajouter(VYXCliContext& ctx, const AddArgs& args) {
  std::string motif = VYXArgText(args.motif);
  if (motif.empty()) CPThrowList(paramErr, kRegleTexts, kNoMotif);
  if (motif.size() > 255) CPThrowList(paramErr, kRegleTexts, kMotifTooLong, {motif});
  VYXOpeValues values = VYXReadOpeArgs(args.items);
  std::string libelle = args.libelle ? VYXArgText(*args.libelle) : std::string();
  if (libelle.size() > 99) {
    CPThrowList(paramErr, kVYXOpeTexts, kOpeTooLong,
                {CPGetListString(kVYXOpeTexts, kOpeFieldLibelle), libelle, "99"});
  }

  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(args.compte);
  CPResourceSet_T<LibelleTelematique>& rules = compte.GetLibelles();
  Str255 key;
  StdToP(motif, key);
  // Patterns differ by their letters: "CB" and "cb" are one rule.
  if (rules.ResourceExists(key)) {
    CPThrowList(kCPErrAlreadyExists, kRegleTexts, kExists, {compte.GetName(), motif});
  }
  VYXOpeItems items(session, compte);
  for (VYXCompteList list : kRuleLists) {
    if (values.items[list]) items.Find(list, *values.items[list]);
  }
  items.Make();
  LibelleTelematique rule;
  StdToP(libelle, rule.libelle);
  for (VYXCompteList list : kRuleLists) RuleItem(rule, list) = items.ID(list);
  if (values.mois) rule.mois = *values.mois;
  rules.AddResource(rules.GetUniqueID(), key, rule);
  if (ctx.json) {
    VYXPrintJson(ctx, RuleJson(compte, key, rule));
  } else {
    *ctx.out << VYXHelp(kRegleTexts, kAdded, {VYXText(motif), VYXText(compte.GetName())}) << '\n';
  }
  session.Close();
}

void Liste(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  CPResourceSet_T<LibelleTelematique>& rules = compte.GetLibelles();
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  for (int c : {kColMotif, kColLibelle, kColCategorie, kColTiers, kColMode, kColAutres})
    table.AddColumn(T(c));
  std::vector<CPResID> ids = CPResourceIDsInOrder(rules);
  for (CPResID id : ids) {
    Str255 pattern;
    rules.GetResourceName(id, pattern);
    LibelleTelematique rule;
    rules.ReadResource(id, &rule);
    out.push_back(RuleJson(compte, pattern, rule));
    std::string others;
    for (VYXCompteList list : {kVYXListAffaires, kVYXListAffectations, kVYXListTauxTVA}) {
      std::string n = VYXItemName(compte, list, RuleItem(rule, list));
      if (!n.empty()) others += (others.empty() ? "" : ", ") + n;
    }
    table.AddRow({VYXText(PToStd(pattern)), VYXText(PToStd(rule.libelle)),
                  VYXItemName(compte, kVYXListCategories, rule.categorie),
                  VYXItemName(compte, kVYXListTiers, rule.tiers),
                  VYXItemName(compte, kVYXListModes, rule.mode), others});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (ids.empty()) {
    *ctx.out << VYXHelp(kRegleTexts, kNone, {VYXText(compte.GetName())}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom, const std::string& motifUtf8) {
  std::string motif = VYXArgText(motifUtf8);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  CPResourceSet_T<LibelleTelematique>& rules = compte.GetLibelles();
  Str255 key;
  StdToP(motif, key);
  if (!rules.ResourceExists(key)) {
    CPThrowList(kCPErrNotFound, kRegleTexts, kNoSuchRule, {compte.GetName(), motif});
  }
  CPResID id = rules.GetResourceID(key);
  Str255 pattern;
  rules.GetResourceName(id, pattern);
  rules.RemoveResource(id);
  if (ctx.json) {
    VYXPrintJson(ctx, {{"motif", VYXText(PToStd(pattern))}});
  } else {
    *ctx.out << VYXHelp(kRegleTexts, kDeleted, {VYXText(PToStd(pattern)), VYXText(compte.GetName())})
             << '\n';
  }
  session.Close();
}

}  // namespace

void VYXAddRegleCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* regle = VYXAddSubcommand(&app, "regle", T(kHelpRegle));
  regle->require_subcommand(1);

  CLI::App* ajouter = VYXAddSubcommand(regle, "ajouter", T(kHelpAjouter));
  auto args = std::make_shared<AddArgs>();
  ajouter->add_option("COMPTE", args->compte, T(kHelpCompte))->required();
  ajouter->add_option("MOTIF", args->motif, T(kHelpMotif))->required();
  ajouter->add_option("--libelle", args->libelle, T(kHelpLibelle));
  auto h = [](int item) { return VYXHelp(kVYXOpeTexts, item); };
  ajouter->add_option("--categorie", args->items.categorie, h(kOpeHelpCategorie));
  ajouter->add_option("--tiers", args->items.tiers, h(kOpeHelpTiers));
  ajouter->add_option("--mode", args->items.mode, h(kOpeHelpMode));
  ajouter->add_option("--affaire", args->items.affaire, h(kOpeHelpAffaire));
  ajouter->add_option("--affectation", args->items.affectation, h(kOpeHelpAffectation));
  ajouter->add_option("--tva", args->items.tva, h(kOpeHelpTva));
  ajouter->add_option("--mois", args->items.mois, h(kOpeHelpMois));
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, args] { Ajouter(ctx, *args); });

  CLI::App* liste = VYXAddSubcommand(regle, "liste", T(kHelpListe));
  auto nom = std::make_shared<std::string>();
  liste->add_option("COMPTE", *nom, T(kHelpCompte))->required();
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, nom] { Liste(ctx, *nom); });

  CLI::App* supprimer = VYXAddSubcommand(regle, "supprimer", T(kHelpSupprimer));
  auto sc = std::make_shared<std::string>();
  auto sm = std::make_shared<std::string>();
  supprimer->add_option("COMPTE", *sc, T(kHelpCompte))->required();
  supprimer->add_option("MOTIF", *sm, T(kHelpMotif))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, sc, sm] { Supprimer(ctx, *sc, *sm); });
}
