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
#include <cctype>
#include <cstdio>
#include <optional>
#include <ostream>

#include "accounts/VYXCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr int kListeTexts = 30170;
enum : int {
  kHelpListe = 1,
  kHelpCategories,
  kHelpAffectations,
  kHelpTiers,
  kHelpAffaires,
  kHelpModes,
  kHelpDevises,
  kHelpTVA,
  kHelpAjouter,
  kHelpRenommer,
  kHelpSupprimer,
  kHelpNom,
  kHelpNouveau,
  kHelpTypeCategorie,
  kHelpTypeTiers,
  kHelpTypeMode,
  kHelpTypeTVA,
  kHelpTaux,
  kColNom = 20,
  kColType,
  kColTaux,
  kColBase,
  kColMonnaie,
  kColSymbole,
  kReference,
  kNameCategories = 30,  // the list's name in messages, in list order
  kCategorieKinds = 40,  // 40 + the kind, 0 to 3
  kTiersKinds = 45,      // 45 + the kind, 0 to 5; an empty text has no word
  kEmptyList = 60,       // ^1: the list
  kNoSuchItem,           // ^1: the list, ^2: the name
  kNoName,
  kBadType,          // ^1: the text typed
  kAdded,            // ^1: the name, ^2: the list
  kAddedUnique,      // ^1: the name given, ^2: the list, ^3: the item that had the name
  kRenamed,          // ^1, ^2: the names
  kConfirmMerge,     // ^1: the list, ^2: the name kept, ^3: the name merged
  kMerged,           // ^1: the name merged, ^2: the name kept
  kSameName,         // ^1: the name
  kConfirmDelete,    // ^1: the name, ^2: the account
  kDeleted,          // ^1: the name, ^2: the list
  kDeletedKept,      // ^1: the name, ^2: the list, ^3: the accounts
  kBadDeviseName,    // ^1: the name
  kReferenceDevise,  // ^1: the code
  kDeviseUsed,       // ^1: the code, ^2: the account
  kNameTooLong,
  kCannotDelete,  // ^1: the name, ^2: the list
  kDeviseExists,  // ^1: the code
};

std::string T(int item) { return VYXHelp(kListeTexts, item); }
std::string M(int item) { return CPGetListString(kListeTexts, item); }

enum class Liste { kCategories, kAffectations, kTiers, kAffaires, kModes, kDevises, kTVA };

struct ListeInfo {
  Liste liste;
  const char* command;
  int help;
  int typeHelp;  // the help of --type, 0 for a list whose records have no kind
};

constexpr ListeInfo kListes[] = {
    {Liste::kCategories, "categories", kHelpCategories, kHelpTypeCategorie},
    {Liste::kAffectations, "affectations", kHelpAffectations, 0},
    {Liste::kTiers, "tiers", kHelpTiers, kHelpTypeTiers},
    {Liste::kAffaires, "affaires", kHelpAffaires, 0},
    {Liste::kModes, "modes", kHelpModes, kHelpTypeMode},
    {Liste::kDevises, "devises", kHelpDevises, 0},
    {Liste::kTVA, "tva", kHelpTVA, kHelpTypeTVA},
};

// The list's name in messages (MacRoman): "catégories", "taux de TVA"...
std::string ListeName(Liste liste) { return M(kNameCategories + int(liste)); }

VYXSharedList SharedOf(Liste liste) {
  switch (liste) {
    case Liste::kCategories:
      return VYXSharedList::kCategorie;
    case Liste::kAffectations:
      return VYXSharedList::kAffectation;
    case Liste::kTiers:
      return VYXSharedList::kTiers;
    case Liste::kAffaires:
      return VYXSharedList::kAffaire;
    case Liste::kModes:
      return VYXSharedList::kMode;
    case Liste::kTVA:
      return VYXSharedList::kTauxTVA;
    case Liste::kDevises:
      break;
  }
  CPThrow(paramErr);
}

CPResourceSet& SetOf(VYXUserPreferences& dossier, Liste liste) {
  if (liste == Liste::kDevises) return dossier.GetDevises();
  return dossier.GetSharedList(SharedOf(liste));
}

std::string NameOf(CPResourceSet& set, CPResID id) {
  Str255 name;
  set.GetResourceName(id, name);
  return PToStd(name);
}

// A name typed for an item: MacRoman, not empty, and whole in a resource name.
std::string ItemName(const std::string& utf8) {
  std::string name = VYXArgText(utf8);
  if (name.empty()) CPThrowList(paramErr, kListeTexts, kNoName);
  if (name.size() > 255) CPThrowList(paramErr, kListeTexts, kNameTooLong);
  return name;
}

// A currency's name is its code: four characters at most, in capitals.
std::string DeviseName(const std::string& utf8) {
  std::string name = ItemName(utf8);
  if (name.size() > 4 || name.find(' ') != std::string::npos) {
    CPThrowList(paramErr, kListeTexts, kBadDeviseName, {name});
  }
  for (char& c : name) c = char(std::toupper(static_cast<unsigned char>(c)));
  return name;
}

CPString P(const std::string& macRoman) { return CPString::FromStd(macRoman); }

// The item of that name, letter case and accents aside; refused when none.
CPResID FindItem(CPResourceSet& set, Liste liste, const std::string& name) {
  CPString p = P(name);
  if (!set.ResourceExists(p)) {
    CPThrowList(kCPErrNotFound, kListeTexts, kNoSuchItem, {ListeName(liste), name});
  }
  return set.GetResourceID(p);
}

// Codes compared as they are typed: "usd" names 'USD '.
bool SameCode(OSType a, OSType b) {
  for (int shift = 0; shift < 32; shift += 8) {
    int ca = std::toupper(int((a >> shift) & 0xFF)), cb = std::toupper(int((b >> shift) & 0xFF));
    if (ca != cb) return false;
  }
  return true;
}

// A rate as the user reads it: up to six decimals, no trailing zeros.
std::string RateText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value);
  std::string s = text;
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  std::replace(s.begin(), s.end(), '.', ',');
  return s;
}

// ---- Kinds of items (the `type` of categories, payees and modes, the use
// of VAT rates): a number, or for categories and payees their French word.

std::string KindWord(Liste liste, uint8_t kind) {
  if (liste == Liste::kCategories && kind <= kCategorieEpargne) {
    return T(kCategorieKinds + int(kind));
  }
  if (liste == Liste::kTiers && kind <= kTiersAssocie) {
    std::string word = T(kTiersKinds + int(kind));
    if (!word.empty() || kind == 0) return word;
  }
  return std::to_string(kind);
}

uint8_t ParseKind(Liste liste, const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (!text.empty() && text.size() <= 3 &&
      std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    int value = std::stoi(text);
    if (value <= 255) return uint8_t(value);
  }
  int first = liste == Liste::kCategories ? kCategorieKinds : kTiersKinds;
  int last =
      liste == Liste::kCategories ? first + int(kCategorieEpargne) : first + int(kTiersAssocie);
  if (liste == Liste::kCategories || liste == Liste::kTiers) {
    for (int item = first; item <= last; ++item) {
      std::string word = M(item);
      if (!word.empty() && CPEqualString(word, text, false, false)) return uint8_t(item - first);
    }
  }
  CPThrowList(paramErr, kListeTexts, kBadType, {text});
}

// ---- Showing a list

nlohmann::json ItemJson(VYXUserPreferences& dossier, Liste liste, CPResID id) {
  CPResourceSet& set = SetOf(dossier, liste);
  nlohmann::json item = {{"id", id}, {"nom", VYXText(NameOf(set, id))}};
  switch (liste) {
    case Liste::kCategories: {
      Categorie c;
      dossier.GetCategories().GetResource(id, &c);
      CPResID family = dossier.GetCategorieFamily(id);
      item["type"] = c.type;
      item["objectif"] = VYXAmountJson(c.objectif);
      item["famille"] =
          family ? nlohmann::json(VYXText(NameOf(dossier.GetCatFamilies(), family))) : nullptr;
      break;
    }
    case Liste::kAffectations: {
      Affectation a;
      dossier.GetAffectations().GetResource(id, &a);
      item["objectif"] = VYXAmountJson(a.objectif);
      break;
    }
    case Liste::kAffaires: {
      UserAffaire a;
      dossier.GetAffaires().GetResource(id, &a);
      item["objectif"] = VYXAmountJson(a.objectif);
      break;
    }
    case Liste::kTiers: {
      UserTiers t;
      dossier.GetTiers().GetResource(id, &t);
      item["type"] = t.type;
      break;
    }
    case Liste::kModes: {
      Mode m;
      dossier.GetModes().GetResource(id, &m);
      item["type"] = m.type;
      break;
    }
    case Liste::kTVA: {
      TauxTVA t;
      dossier.GetTauxTVA().GetResource(id, &t);
      item["taux"] = double(t.taux);
      item["utilisation"] = t.utilisation;
      break;
    }
    case Liste::kDevises: {
      Devise d;
      dossier.GetDevises().GetResource(id, &d);
      item["taux"] = double(d.taux);
      item["base"] = double(d.base);
      item["monnaie"] = VYXText(PToStd(d.monnaie));
      item["symbole"] = VYXText(PToStd(d.symbole));
      item["reference"] = id == 1;
      break;
    }
  }
  return item;
}

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
  VYXCliSession session(ctx);
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
};

// The new item's record: the defaults of its constructor, with the kind and
// the rate given.
std::vector<unsigned char> NewRecord(Liste liste, std::optional<uint8_t> kind,
                                     std::optional<double> taux) {
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
    case Liste::kDevises:
      return bytes(Devise());
  }
  return {};
}

void Ajouter(VYXCliContext& ctx, Liste liste, const AddArgs& args) {
  std::string name = liste == Liste::kDevises ? DeviseName(args.nom) : ItemName(args.nom);
  std::optional<uint8_t> kind;
  if (args.type) kind = ParseKind(liste, *args.type);
  std::optional<double> taux;
  if (args.taux) taux = VYXArgAmount(*args.taux);
  std::vector<unsigned char> record = NewRecord(liste, kind, taux);

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
    if (info.typeHelp) ajouter->add_option("--type", args->type, T(info.typeHelp));
    if (which == Liste::kTVA) ajouter->add_option("--taux", args->taux, T(kHelpTaux));
    VYXAddJsonFlag(ajouter, ctx);
    VYXSetCommand(ajouter, [&ctx, which, args] { Ajouter(ctx, which, *args); });

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
  }
}
