// `vyx liste TYPE`: the lists the dossier's accounts share (categories,
// allocations, payees, cases, payment modes, VAT rates) and its currencies:
// shown, added to, renamed, deleted.
//
// Each account keeps its own copy of the shared lists, matched with the
// dossier's by name. A rename or a deletion therefore opens every account of
// the dossier first, so that the user file carries it to all of them: a
// rename to a name the list already has merges the two items everywhere; an
// item that an account still uses stays in that account (and comes back to
// the dossier when the account next opens), as in the graphical application.
// Names are matched as the system matches names, letter case and accents aside.
//
// Currencies belong to the dossier only; accounts name theirs by code (the
// currency's name, four characters at most), so a renamed currency's code is
// carried to the accounts that use it, and one an account uses is not deleted.
#include <algorithm>
#include <functional>
#include <cctype>
#include <cstdio>
#include <optional>
#include <ostream>

#include "accounts/VYXCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXListe.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

using namespace vyxliste;

// The categories under their families, then those of no family, each part
// in its display order.
void PrintCategories(VYXCliContext& ctx, VYXUserPreferences& dossier) {
  VYXUserCatFamiliesSet& families = dossier.GetCatFamilies();
  VYXUserCategoriesSet& categories = dossier.GetCategories();
  VYXTable table;
  table.AddColumn(T(kColNom));
  table.AddColumn(T(kColType));
  auto row = [&](CPResID id, const std::string& indent) {
    Categorie c;
    categories.GetResource(id, &c);
    table.AddRow({indent + VYXText(NameOf(categories, id)), KindWord(Liste::kCategories, c.type)});
  };
  for (CPResID family : CPResourceIDsInOrder(families)) {
    table.AddRow({VYXText(NameOf(families, family)), ""});
    int32_t count = families.GetSubResourcesCount(family);
    for (int32_t n = 1; n <= count; ++n) {
      CPResID id = families.GetNthSubResource(family, n);
      if (categories.ResourceExists(id)) row(id, "  ");
    }
  }
  for (CPResID id : CPResourceIDsInOrder(categories)) {
    if (dossier.GetCategorieFamily(id) == 0) row(id, "");
  }
  table.Print(*ctx.out);
}

void Lister(VYXCliContext& ctx, Liste liste) {
  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  std::vector<CPResID> ids = CPResourceIDsInOrder(set);
  if (ctx.json) {
    nlohmann::json out = nlohmann::json::array();
    for (CPResID id : ids) out.push_back(ItemJson(dossier, liste, id));
    VYXPrintJson(ctx, out);
  } else if (ids.empty()) {
    *ctx.out << VYXHelp(kListeTexts, kEmptyList, {VYXText(ListeName(liste))}) << '\n';
  } else if (liste == Liste::kCategories) {
    PrintCategories(ctx, dossier);
  } else {
    VYXTable table;
    table.AddColumn(T(kColNom));
    switch (liste) {
      case Liste::kTiers:
      case Liste::kModes:
        table.AddColumn(T(kColType));
        break;
      case Liste::kTVA:
        table.AddColumn(T(kColTaux), VYXTable::kRight);
        break;
      case Liste::kDevises:
        table.AddColumn(T(kColTaux), VYXTable::kRight);
        table.AddColumn(T(kColBase), VYXTable::kRight);
        table.AddColumn(T(kColMonnaie));
        table.AddColumn(T(kColSymbole));
        break;
      default:
        break;
    }
    for (CPResID id : ids) {
      nlohmann::json item = ItemJson(dossier, liste, id);
      std::vector<std::string> cells = {item["nom"].get<std::string>()};
      switch (liste) {
        case Liste::kTiers:
        case Liste::kModes:
          cells.push_back(KindWord(liste, item["type"].get<uint8_t>()));
          break;
        case Liste::kTVA:
          cells.push_back(RateText(item["taux"].get<double>()) + " %");
          break;
        case Liste::kDevises:
          if (id == 1) cells[0] += " " + T(kReference);
          cells.push_back(RateText(item["taux"].get<double>()));
          cells.push_back(RateText(item["base"].get<double>()));
          cells.push_back(item["monnaie"].get<std::string>());
          cells.push_back(item["symbole"].get<std::string>());
          break;
        default:
          break;
      }
      table.AddRow(cells);
    }
    table.Print(*ctx.out);
  }
  session.Close();
}

// What a change did: in words, or with --json as data.
void Say(VYXCliContext& ctx, const std::string& text, const nlohmann::json& data) {
  if (ctx.json) {
    VYXPrintJson(ctx, data);
  } else {
    *ctx.out << text << '\n';
  }
}

nlohmann::json RenameJson(const std::string& old, const std::string& now, bool merge) {
  return {{"nom", VYXText(now)}, {"ancien", VYXText(old)}, {"fusion", merge}};
}

// ---- Adding

struct AddArgs {
  std::string nom;
  std::optional<std::string> type;
  std::optional<std::string> taux;
  std::optional<std::string> famille;  // "" for none
};

// The options of an item, read before anything is opened.
struct ItemValues {
  std::optional<uint8_t> kind;
  std::optional<double> taux;
  std::optional<std::string> famille;  // MacRoman; "" for none

  bool Empty() const { return !kind && !taux && !famille; }
};

ItemValues ReadItemValues(Liste liste, const AddArgs& args) {
  ItemValues v;
  if (args.type) v.kind = ParseKind(liste, *args.type);
  if (args.taux) {
    v.taux = VYXArgAmount(*args.taux);
    // A currency's rate divides amounts: it must be a positive number.
    if (liste == Liste::kDevises && !(*v.taux > 0)) {
      CPThrowList(paramErr, kListeMoreTexts, kBadDeviseRate, {VYXArgText(*args.taux)});
    }
  }
  if (args.famille) v.famille = args.famille->empty() ? "" : ItemName(*args.famille);
  return v;
}

// Puts the category under the family named (made when the dossier has none
// of that name), or under none for ""; answers whether a family was made.
bool FileCategorie(VYXUserPreferences& dossier, CPResID categorie, const std::string& famille) {
  if (famille.empty()) {
    dossier.SetCategorieFamily(categorie, 0);
    return false;
  }
  VYXUserCatFamiliesSet& families = dossier.GetCatFamilies();
  bool made = !families.ResourceExists(P(famille));
  UserCatFamily record;
  CPResID family = made ? dossier.AddItem(families, P(famille), &record, sizeof record)
                        : families.GetResourceID(P(famille));
  dossier.SetCategorieFamily(categorie, family);
  return made;
}

// The new item's record: the defaults of its constructor, with the kind and
// the rate given.
std::vector<unsigned char> NewRecord(Liste liste, const ItemValues& v) {
  const std::optional<uint8_t>& kind = v.kind;
  const std::optional<double>& taux = v.taux;
  auto bytes = [](const auto& record) {
    const auto* p = reinterpret_cast<const unsigned char*>(&record);
    return std::vector<unsigned char>(p, p + sizeof record);
  };
  switch (liste) {
    case Liste::kCategories: {
      Categorie c;
      if (kind) c.type = *kind;
      return bytes(c);
    }
    case Liste::kAffectations:
      return bytes(Affectation());
    case Liste::kAffaires:
      return bytes(UserAffaire());
    case Liste::kTiers: {
      UserTiers t;
      if (kind) t.type = *kind;
      return bytes(t);
    }
    case Liste::kModes: {
      Mode m;
      if (kind) m.type = *kind;
      return bytes(m);
    }
    case Liste::kTVA: {
      TauxTVA t;
      if (kind) t.utilisation = *kind;
      if (taux) t.taux = *taux;
      return bytes(t);
    }
    case Liste::kDevises: {
      Devise d;
      if (taux) d.taux = *taux;
      return bytes(d);
    }
  }
  return {};
}

// Refuses the options a list's records have no field for.
void CheckOptions(Liste liste, const ItemValues& v) {
  std::string name = ListeName(liste);
  if (v.famille && liste != Liste::kCategories) {
    CPThrowList(paramErr, kListeMoreTexts, kNoFamilyHere, {name});
  }
  if (v.taux && liste != Liste::kTVA && liste != Liste::kDevises) {
    CPThrowList(paramErr, kListeMoreTexts, kNoRateHere, {name});
  }
  if (v.kind && (liste == Liste::kAffectations || liste == Liste::kAffaires ||
                 liste == Liste::kDevises)) {
    CPThrowList(paramErr, kListeMoreTexts, kNoKindHere, {name});
  }
}

void Ajouter(VYXCliContext& ctx, Liste liste, const AddArgs& args) {
  std::string name = liste == Liste::kDevises ? DeviseName(args.nom) : ItemName(args.nom);
  ItemValues values = ReadItemValues(liste, args);
  CheckOptions(liste, values);
  std::vector<unsigned char> record = NewRecord(liste, values);

  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPResID id;
  std::string existing;  // the item that had the name
  {
    VYXUserPreferences::Exclusive hold(dossier);
    if (set.ResourceExists(P(name))) existing = NameOf(set, set.GetResourceID(P(name)));
    // A currency is known by its code: another one under the code with a
    // number after it would name nothing.
    if (liste == Liste::kDevises && !existing.empty()) {
      CPThrowList(kCPErrAlreadyExists, kListeTexts, kDeviseExists, {existing});
    }
    // Like every list of the system, a name already taken gets a number.
    id = dossier.AddItem(set, P(name), record.data(), uint32_t(record.size()));
    if (values.famille && FileCategorie(dossier, id, *values.famille) && !ctx.json) {
      *ctx.out << VYXHelp(kListeMoreTexts, kFamilleAdded, {VYXText(*values.famille)}) << '\n';
    }
  }
  std::string given = NameOf(set, id);
  if (ctx.json) {
    VYXPrintJson(ctx, ItemJson(dossier, liste, id));
  } else if (existing.empty()) {
    *ctx.out << VYXHelp(kListeTexts, kAdded, {VYXText(given), VYXText(ListeName(liste))}) << '\n';
  } else {
    *ctx.out << VYXHelp(kListeTexts, kAddedUnique,
                        {VYXText(given), VYXText(ListeName(liste)), VYXText(existing)})
             << '\n';
  }
  session.Close();
}

// ---- Modifying

// Writes the values given into an item's record.
template <class R>
void Change(CPResourceSet& set, CPResID id, const std::function<void(R&)>& change) {
  R record;
  set.GetResource(id, &record, sizeof record);
  change(record);
  set.SetResource(id, &record, sizeof record);
}

void ChangeRecord(Liste liste, CPResourceSet& set, CPResID id, const ItemValues& v) {
  switch (liste) {
    case Liste::kCategories:
      if (v.kind) Change<Categorie>(set, id, [&](Categorie& c) { c.type = *v.kind; });
      break;
    case Liste::kTiers:
      if (v.kind) Change<UserTiers>(set, id, [&](UserTiers& t) { t.type = *v.kind; });
      break;
    case Liste::kModes:
      if (v.kind) Change<Mode>(set, id, [&](Mode& m) { m.type = *v.kind; });
      break;
    case Liste::kTVA:
      Change<TauxTVA>(set, id, [&](TauxTVA& t) {
        if (v.kind) t.utilisation = *v.kind;
        if (v.taux) t.taux = *v.taux;
      });
      break;
    case Liste::kDevises:
      if (v.taux) Change<Devise>(set, id, [&](Devise& d) { d.taux = *v.taux; });
      break;
    case Liste::kAffectations:
    case Liste::kAffaires:
      break;
  }
}

// Changes the fields given of an item of the dossier and of every account's
// copy of it, so that an account's reports and new operations follow (a
// category that becomes income, a new VAT rate). Families and currencies
// belong to the dossier only.
void Modifier(VYXCliContext& ctx, Liste liste, const AddArgs& args) {
  std::string name = ItemName(args.nom);
  ItemValues v = ReadItemValues(liste, args);
  CheckOptions(liste, v);
  if (v.Empty()) CPThrowList(paramErr, kListeMoreTexts, kNothingToModify, {ListeName(liste)});
  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPResID id = FindItem(set, liste, name);
  name = NameOf(set, id);
  if (liste == Liste::kDevises && id == 1) {
    CPThrowList(paramErr, kListeMoreTexts, kReferenceRate, {name});
  }
  bool inAccounts = liste != Liste::kDevises && (v.kind || v.taux);
  if (inAccounts) session.OpenAllComptes();
  bool madeFamily = false;
  {
    VYXUserPreferences::Exclusive hold(dossier);
    ChangeRecord(liste, set, id, v);
    if (inAccounts) {
      VYXCompteList kind = VYXCompteListOf(SharedOf(liste));
      for (VYXCompte* compte : dossier.GetOpenComptes()) {
        CPResourceSet& theirs = compte->GetListSet(kind);
        if (theirs.ResourceExists(P(name))) {
          ChangeRecord(liste, theirs, theirs.GetResourceID(P(name)), v);
        }
      }
    }
    if (v.famille) madeFamily = FileCategorie(dossier, id, *v.famille);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, ItemJson(dossier, liste, id));
  } else {
    if (madeFamily) {
      *ctx.out << VYXHelp(kListeMoreTexts, kFamilleAdded, {VYXText(*v.famille)}) << '\n';
    }
    *ctx.out << VYXHelp(kListeMoreTexts, kModified, {VYXText(name), VYXText(ListeName(liste))})
             << '\n';
  }
  session.Close();
}

// ---- Renaming

void AskMerge(Liste liste, const std::string& kept, const std::string& merged) {
  std::string question = M(kConfirmMerge);
  CPReplaceVar(question, 1, ListeName(liste));
  CPReplaceVar(question, 2, kept);
  CPReplaceVar(question, 3, merged);
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
}

// The accounts name a currency by its code: those that named the old one name
// the new one (or, after a merge, the one kept).
void RenommerDevise(VYXCliContext& ctx, VYXCliSession& session, CPResID id,
                    const std::string& newName) {
  VYXUserPreferences& dossier = session.Dossier();
  VYXUserDevisesSet& devises = dossier.GetDevises();
  std::string old = NameOf(devises, id);
  if (id == 1) CPThrowList(paramErr, kListeTexts, kReferenceDevise, {old});
  if (old == newName) {
    Say(ctx, VYXHelp(kListeTexts, kSameName, {VYXText(old)}), RenameJson(old, old, false));
    return;
  }
  session.OpenAllComptes();
  CPResID other = devises.ResourceExists(P(newName)) ? devises.GetResourceID(P(newName)) : 0;
  bool merge = other != 0 && other != id;
  if (merge) AskMerge(Liste::kDevises, NameOf(devises, other), old);
  VYXUserPreferences::Exclusive hold(dossier);
  OSType oldCode = dossier.DeviseIdToCode(id);
  if (!merge) devises.SetResourceName(id, P(newName));
  OSType newCode = dossier.DeviseIdToCode(merge ? other : id);
  for (VYXCompte* compte : std::vector<VYXCompte*>(dossier.GetOpenComptes())) {
    if (SameCode(compte->GetInformations().devise, oldCode)) compte->SetCompteDevise(newCode);
  }
  std::string now = NameOf(devises, merge ? other : id);
  if (merge) devises.RemoveResource(id);
  Say(ctx, VYXHelp(kListeTexts, merge ? kMerged : kRenamed, {VYXText(old), VYXText(now)}),
      RenameJson(old, now, merge));
}

void Renommer(VYXCliContext& ctx, Liste liste, const std::string& nom, const std::string& nouveau) {
  std::string oldName = ItemName(nom);
  std::string newName = liste == Liste::kDevises ? DeviseName(nouveau) : ItemName(nouveau);
  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPResID id = FindItem(set, liste, oldName);
  if (liste == Liste::kDevises) {
    RenommerDevise(ctx, session, id, newName);
    session.Close();
    return;
  }
  // Every account, so that the rename reaches them all; as they open, the
  // dossier takes in the items it lacked, the new name's perhaps among them.
  session.OpenAllComptes();
  std::string old = NameOf(set, id);
  if (old == newName) {
    Say(ctx, VYXHelp(kListeTexts, kSameName, {VYXText(old)}), RenameJson(old, old, false));
    session.Close();
    return;
  }
  CPResID other = set.ResourceExists(P(newName)) ? set.GetResourceID(P(newName)) : 0;
  bool merge = other != 0 && other != id;
  std::string kept = merge ? NameOf(set, other) : newName;
  if (merge) AskMerge(liste, kept, old);
  // Merged, the item takes the spelling of the one kept, in the accounts too.
  dossier.Rename(SharedOf(liste), id, P(kept));
  std::string now = merge ? kept : NameOf(set, id);
  Say(ctx, VYXHelp(kListeTexts, merge ? kMerged : kRenamed, {VYXText(old), VYXText(now)}),
      RenameJson(old, now, merge));
  session.Close();
}

// ---- Deleting

void SupprimerDevise(VYXCliContext& ctx, VYXCliSession& session, CPResID id) {
  VYXUserPreferences& dossier = session.Dossier();
  VYXUserDevisesSet& devises = dossier.GetDevises();
  std::string name = NameOf(devises, id);
  if (id == 1) CPThrowList(paramErr, kListeTexts, kReferenceDevise, {name});
  session.OpenAllComptes();
  OSType code = dossier.DeviseIdToCode(id);
  for (VYXCompte* compte : dossier.GetOpenComptes()) {
    if (SameCode(compte->GetInformations().devise, code)) {
      CPThrowList(paramErr, kListeTexts, kDeviseUsed, {name, compte->GetName()});
    }
  }
  devises.RemoveResource(id);
  Say(ctx, VYXHelp(kListeTexts, kDeleted, {VYXText(name), VYXText(ListeName(Liste::kDevises))}),
      {{"nom", VYXText(name)}, {"supprime", true}, {"gardePar", nlohmann::json::array()}});
}

void Supprimer(VYXCliContext& ctx, Liste liste, const std::string& nom) {
  std::string name = ItemName(nom);
  VYXCliSession session(ctx);
  VYXUserPreferences& dossier = session.Dossier();
  CPResourceSet& set = SetOf(dossier, liste);
  CPResID id = FindItem(set, liste, name);
  if (liste == Liste::kDevises) {
    SupprimerDevise(ctx, session, id);
    session.Close();
    return;
  }
  session.OpenAllComptes();
  VYXSharedList shared = SharedOf(liste);
  VYXCompteList kind = VYXCompteListOf(shared);
  name = NameOf(set, id);
  if (!set.CanRemoveResource(id)) {
    CPThrowList(paramErr, kListeTexts, kCannotDelete, {name, ListeName(liste)});
  }
  // The accounts that still use the item keep their copy.
  std::string keepers;  // UTF-8, for the report
  nlohmann::json keptBy = nlohmann::json::array();
  for (VYXCompte* compte : dossier.GetOpenComptes()) {
    CPResourceSet& theirs = compte->GetListSet(kind);
    if (theirs.ResourceExists(P(name)) &&
        compte->ListItemIsUsed(kind, theirs.GetResourceID(P(name)))) {
      keepers += (keepers.empty() ? "« " : ", « ") + VYXText(compte->GetName()) + " »";
      keptBy.push_back(VYXText(compte->GetName()));
    }
  }
  Str255 user;
  if (dossier.IsUsed(shared, id, user)) {
    std::string question = M(kConfirmDelete);
    CPReplaceVar(question, 1, name);
    CPReplaceVar(question, 2, PToStd(user));
    if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
  }
  {
    VYXUserPreferences::Exclusive hold(dossier);
    dossier.ToBeDeleted(shared, id);
    set.RemoveResource(id);
  }
  std::string list = VYXText(ListeName(liste));
  Say(ctx,
      keepers.empty() ? VYXHelp(kListeTexts, kDeleted, {VYXText(name), list})
                      : VYXHelp(kListeTexts, kDeletedKept, {VYXText(name), list, keepers}),
      {{"nom", VYXText(name)}, {"supprime", true}, {"gardePar", keptBy}});
  session.Close();
}

// The options that give an item's fields, those its list has.
void AddItemOptions(CLI::App* sub, const ListeInfo& info, AddArgs& args) {
  if (info.liste == Liste::kModes) {
    sub->add_option("--type", args.type, T2(kHelpTypeModeWords));
  } else if (info.typeHelp) {
    sub->add_option("--type", args.type, T(info.typeHelp));
  }
  if (info.liste == Liste::kTVA) sub->add_option("--taux", args.taux, T(kHelpTaux));
  if (info.liste == Liste::kDevises) sub->add_option("--taux", args.taux, T2(kHelpTauxDevise));
  if (info.liste == Liste::kCategories) sub->add_option("--famille", args.famille, T2(kHelpFamille));
}

}  // namespace

void VYXAddListeCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* liste = VYXAddSubcommand(&app, "liste", T(kHelpListe));
  liste->require_subcommand(1);
  for (const ListeInfo& info : kListes) {
    Liste which = info.liste;
    // `liste TYPE` alone shows the list; its subcommands change it.
    CLI::App* type = VYXAddSubcommand(liste, info.command, T(info.help));
    type->require_subcommand(0, 1);
    VYXAddJsonFlag(type, ctx);
    VYXSetCommand(type, [&ctx, which] { Lister(ctx, which); });

    CLI::App* ajouter = VYXAddSubcommand(type, "ajouter", T(kHelpAjouter));
    auto args = std::make_shared<AddArgs>();
    ajouter->add_option("NOM", args->nom, T(kHelpNom))->required();
    AddItemOptions(ajouter, info, *args);
    VYXAddJsonFlag(ajouter, ctx);
    VYXSetCommand(ajouter, [&ctx, which, args] { Ajouter(ctx, which, *args); });

    CLI::App* modifier = VYXAddSubcommand(type, "modifier", T2(kHelpModifier));
    auto changed = std::make_shared<AddArgs>();
    modifier->add_option("NOM", changed->nom, T(kHelpNom))->required();
    AddItemOptions(modifier, info, *changed);
    VYXAddJsonFlag(modifier, ctx);
    VYXSetCommand(modifier, [&ctx, which, changed] { Modifier(ctx, which, *changed); });

    auto nom = std::make_shared<std::string>();
    auto nouveau = std::make_shared<std::string>();
    CLI::App* renommer = VYXAddSubcommand(type, "renommer", T(kHelpRenommer));
    renommer->add_option("NOM", *nom, T(kHelpNom))->required();
    renommer->add_option("NOUVEAU", *nouveau, T(kHelpNouveau))->required();
    VYXAddJsonFlag(renommer, ctx);
    VYXSetCommand(renommer, [&ctx, which, nom, nouveau] { Renommer(ctx, which, *nom, *nouveau); });

    CLI::App* supprimer = VYXAddSubcommand(type, "supprimer", T(kHelpSupprimer));
    supprimer->add_option("NOM", *nom, T(kHelpNom))->required();
    VYXAddJsonFlag(supprimer, ctx);
    VYXSetCommand(supprimer, [&ctx, which, nom] { Supprimer(ctx, which, *nom); });

    AddImExCommands(type, which, ctx);
  }
}
