#include "cli/VYXListe.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace vyxliste {

std::string T(int item) { return VYXHelp(kListeTexts, item); }
std::string M(int item) { return CPGetListString(kListeTexts, item); }
std::string T2(int item) { return VYXHelp(kListeMoreTexts, item); }
std::string M2(int item) { return CPGetListString(kListeMoreTexts, item); }

const ListeInfo kListes[7] = {
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

ResType TypeOf(Liste liste) {
  constexpr ResType kTypes[] = {'CATE', 'AFFE', 'CLFO', 'AFFA', 'MODE', 'DEVI', 'TVA '};
  return kTypes[int(liste)];
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
// of VAT rates): a number, or for categories, payees and modes their word.

namespace {

constexpr uint8_t kModeKindLast = 5;

// The words of a list's kinds: the list of texts, the item of kind 0 and the
// last kind that has one; false for a list whose kinds are numbers only.
bool KindWords(Liste liste, int* list, int* first, uint8_t* last) {
  switch (liste) {
    case Liste::kCategories:
      *list = kListeTexts, *first = kCategorieKinds, *last = kCategorieEpargne;
      return true;
    case Liste::kTiers:
      *list = kListeTexts, *first = kTiersKinds, *last = kTiersAssocie;
      return true;
    case Liste::kModes:
      *list = kListeMoreTexts, *first = kModeKinds, *last = kModeKindLast;
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string KindWord(Liste liste, uint8_t kind) {
  int list = 0, first = 0;
  uint8_t last = 0;
  if (KindWords(liste, &list, &first, &last) && kind <= last) {
    std::string word = VYXHelp(list, first + int(kind));
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
  int list = 0, first = 0;
  uint8_t last = 0;
  if (KindWords(liste, &list, &first, &last)) {
    for (int kind = 0; kind <= last; ++kind) {
      std::string word = CPGetListString(list, first + kind);
      if (!word.empty() && CPEqualString(word, text, false, false)) return uint8_t(kind);
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

}  // namespace vyxliste
