// `vyx filtre`: the filters saved in the dossier (its 'SEL ' set), each a
// mask of criteria that `vyx ope liste --filtre` applies to any account. A
// filter names list items by the dossier's IDs: renaming an item keeps the
// filter working, merging two moves it to the one kept, deleting one takes it
// out of the filter (VYXUserPreferences::Change).
#include <ostream>

#include "analysis/VYXSelectionMask.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXCriteriaOptions.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"
#include "userfile/VYXUserFunctions.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXFiltreTexts, item); }

// The saved filter named `name` (MacRoman); raises naming it when the dossier has none.
CPResID Find(VYXSDBUserPreferences& user, const std::string& name, VYXSelectionMask* mask) {
  Str255 key;
  StdToP(name, key);
  CPResID id = 0;
  if (!VYXReadSavedMask(user, key, mask, &id)) {
    CPThrowList(kCPErrNotFound, kVYXFiltreTexts, kFiltreNoSuch, {name});
  }
  return id;
}

std::string NameOf(VYXSDBUserPreferences& user, CPResID id) {
  Str255 name;
  user.GetSelections().GetResourceName(id, name);
  return PToStd(name);
}

nlohmann::json Json(const std::string& name, const VYXSelectionMask& mask,
                    VYXSDBUserPreferences& user) {
  nlohmann::json criteria = nlohmann::json::array();
  for (const auto& [what, how] : VYXDescribeMask(mask, user)) {
    criteria.push_back({{"critere", what}, {"valeur", how}});
  }
  return {{"nom", VYXText(name)}, {"criteres", criteria}};
}

void Describe(VYXCliContext& ctx, const std::string& name, const VYXSelectionMask& mask,
              VYXSDBUserPreferences& user) {
  if (ctx.json) {
    VYXPrintJson(ctx, Json(name, mask, user));
    return;
  }
  auto lines = VYXDescribeMask(mask, user);
  if (lines.empty()) {
    *ctx.out << T(kFiltreEverything) << '\n';
    return;
  }
  VYXTable table;
  table.AddColumn("");
  table.AddColumn("");
  for (const auto& [what, how] : lines) table.AddRow({what, how});
  table.Print(*ctx.out, false);
}

void Ajouter(VYXCliContext& ctx, const std::string& nom, const VYXCriteriaArgs& args) {
  std::string name = VYXArgText(nom);
  VYXCriteria criteria = VYXReadCriteria(args);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  Str255 key;
  StdToP(name, key);
  if (user.GetSelections().ResourceExists(key)) {
    CPThrowList(kCPErrAlreadyExists, kVYXFiltreTexts, kFiltreExists, {name});
  }
  VYXSelectionMask mask = VYXCliMask();
  VYXUserFunctions functions(user);
  VYXApplyCriteria(criteria, user, &functions, &mask);
  VYXAddSavedMask(user, key, mask);
  if (ctx.json) {
    VYXPrintJson(ctx, Json(name, mask, user));
  } else {
    *ctx.out << VYXHelp(kVYXFiltreTexts, kFiltreAdded, {VYXText(name)}) << '\n';
  }
  session.Close();
}

void Modifier(VYXCliContext& ctx, const std::string& nom, const VYXCriteriaArgs& args) {
  std::string name = VYXArgText(nom);
  VYXCriteria criteria = VYXReadCriteria(args);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  VYXSelectionMask changed;
  CPResID id = 0;
  {
    VYXUserPreferences::Exclusive hold(user);
    VYXSelectionMask mask;
    id = Find(user, name, &mask);
    changed = mask;
    VYXUserFunctions functions(user);
    VYXApplyCriteria(criteria, user, &functions, &changed);
    // A change that changes nothing writes nothing.
    if (!(changed == mask)) VYXWriteSavedMask(user, id, changed);
  }
  std::string saved = NameOf(user, id);
  if (ctx.json) {
    VYXPrintJson(ctx, Json(saved, changed, user));
  } else {
    *ctx.out << VYXHelp(kVYXFiltreTexts, kFiltreModified, {VYXText(saved)}) << '\n';
  }
  session.Close();
}

void Voir(VYXCliContext& ctx, const std::string& nom) {
  std::string name = VYXArgText(nom);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  VYXSelectionMask mask;
  CPResID id = Find(user, name, &mask);
  Describe(ctx, NameOf(user, id), mask, user);
  session.Close();
}

void Liste(VYXCliContext& ctx) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  VYXUserOpSelectionsSet& set = user.GetSelections();
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColFiltre));
  table.AddColumn(T(kColCriteres));
  int count = 0;
  for (CPResID id : CPResourceIDsInOrder(set)) {
    std::string name = NameOf(user, id);
    Str255 key;
    StdToP(name, key);
    VYXSelectionMask mask;
    if (!VYXReadSavedMask(user, key, &mask)) continue;
    ++count;
    out.push_back(Json(name, mask, user));
    std::string words;
    for (const auto& [what, how] : VYXDescribeMask(mask, user)) {
      if (!words.empty()) words += " ; ";
      words += what + " " + how;
    }
    table.AddRow({VYXText(name), words.empty() ? T(kFiltreEverything) : words});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (count == 0) {
    *ctx.out << T(kFiltreNone) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void Renommer(VYXCliContext& ctx, const std::string& nom, const std::string& nouveau) {
  std::string name = VYXArgText(nom), newName = VYXArgText(nouveau);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  std::string old;
  {
    VYXUserPreferences::Exclusive hold(user);
    VYXSelectionMask mask;
    CPResID id = Find(user, name, &mask);
    Str255 key;
    StdToP(newName, key);
    VYXUserOpSelectionsSet& set = user.GetSelections();
    if (set.ResourceExists(key) && set.GetResourceID(key) != id) {
      CPThrowList(kCPErrAlreadyExists, kVYXFiltreTexts, kFiltreExists, {newName});
    }
    old = NameOf(user, id);
    set.SetResourceName(id, key);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, {{"nom", VYXText(newName)}, {"ancien", VYXText(old)}});
  } else {
    *ctx.out << VYXHelp(kVYXFiltreTexts, kFiltreRenamed, {VYXText(old), VYXText(newName)}) << '\n';
  }
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom) {
  std::string name = VYXArgText(nom);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  std::string old;
  nlohmann::json was;
  {
    VYXUserPreferences::Exclusive hold(user);
    VYXSelectionMask mask;
    CPResID id = Find(user, name, &mask);
    old = NameOf(user, id);
    was = Json(old, mask, user);
    user.GetSelections().RemoveResource(id);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, was);
  } else {
    *ctx.out << VYXHelp(kVYXFiltreTexts, kFiltreDeleted, {VYXText(old)}) << '\n';
  }
  session.Close();
}

}  // namespace

void VYXAddFiltreCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* filtre = VYXAddSubcommand(&app, "filtre", T(kFiltreHelp));
  filtre->require_subcommand(1);
  auto nom = std::make_shared<std::string>();
  auto nouveau = std::make_shared<std::string>();

  CLI::App* ajouter = VYXAddSubcommand(filtre, "ajouter", T(kFiltreHelpAjouter));
  auto added = std::make_shared<VYXCriteriaArgs>();
  ajouter->add_option("NOM", *nom, T(kFiltreHelpNom))->required();
  VYXAddCriteriaOptions(ajouter, *added, VYXCriteriaUse::kSelect);
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, nom, added] { Ajouter(ctx, *nom, *added); });

  CLI::App* liste = VYXAddSubcommand(filtre, "liste", T(kFiltreHelpListe));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx] { Liste(ctx); });

  CLI::App* voir = VYXAddSubcommand(filtre, "voir", T(kFiltreHelpVoir));
  voir->add_option("NOM", *nom, T(kFiltreHelpNom))->required();
  VYXAddJsonFlag(voir, ctx);
  VYXSetCommand(voir, [&ctx, nom] { Voir(ctx, *nom); });

  CLI::App* modifier = VYXAddSubcommand(filtre, "modifier", T(kFiltreHelpModifier));
  auto changed = std::make_shared<VYXCriteriaArgs>();
  modifier->add_option("NOM", *nom, T(kFiltreHelpNom))->required();
  VYXAddCriteriaOptions(modifier, *changed, VYXCriteriaUse::kEdit);
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, nom, changed] { Modifier(ctx, *nom, *changed); });

  CLI::App* renommer = VYXAddSubcommand(filtre, "renommer", T(kFiltreHelpRenommer));
  renommer->add_option("NOM", *nom, T(kFiltreHelpNom))->required();
  renommer->add_option("NOUVEAU", *nouveau, T(kFiltreHelpNouveau))->required();
  VYXAddJsonFlag(renommer, ctx);
  VYXSetCommand(renommer, [&ctx, nom, nouveau] { Renommer(ctx, *nom, *nouveau); });

  CLI::App* supprimer = VYXAddSubcommand(filtre, "supprimer", T(kFiltreHelpSupprimer));
  supprimer->add_option("NOM", *nom, T(kFiltreHelpNom))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, nom] { Supprimer(ctx, *nom); });
}
