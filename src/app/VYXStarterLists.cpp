#include "app/VYXStarterLists.h"

#include <map>
#include <utility>
#include <vector>

#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

namespace {

// res/strings.fr: the names of the starter items.
constexpr int kStarterTexts = 30310;

enum : int {
  kCheque = 1,
  kCarte,
  kVirement,
  kPrelevement,
  kEspeces,
  kRemise,
  kTauxNormal = 11,
  kTauxReduit,
  kTauxParticulier,
  kExonere,
  kLogement = 21,
  kVieCourante,
  kTransports,
  kSante,
  kFamille,
  kLoisirs,
  kFirstCategorie = 31,
};

// Kinds of modes, as the mode views read them: 1 draws on a cheque book,
// 3 is a card debited as it is used (2 would be a deferred one), 4 a
// transfer, 5 a mode with its own rule for credits.
enum : TypeOfMode {
  kModeCheque = 1,
  kModeCarte = 3,
  kModeVirement = 4,
  kModeCredit = 5,
};

Mode ModeOfKind(TypeOfMode kind) {
  Mode m;
  m.type = kind;
  return m;
}

// The payment modes. A cheque asks for the account's book, so that a new
// cheque operation takes the next number. A transfer names no account of
// its own: most go to or come from outside the dossier (salary, rent).
// Cheques paid in reach the account the next day.
std::vector<std::pair<int, Mode>> Modes() {
  Mode cheque = ModeOfKind(kModeCheque);
  cheque.askForChequier = 1;
  Mode remise = ModeOfKind(kModeCredit);
  remise.creditModeType.Enabled = 1;
  remise.creditModeType.ModeType = kModeTypeDelta;
  remise.creditModeType.DeltaDay = 1;
  return {{kCheque, cheque},
          {kCarte, ModeOfKind(kModeCarte)},
          {kVirement, ModeOfKind(kModeVirement)},
          {kPrelevement, Mode()},
          {kEspeces, Mode()},
          {kRemise, remise}};
}

struct Rate {
  int name;
  double taux;
};
constexpr Rate kRates[] = {
    {kTauxNormal, 19.6},
    {kTauxReduit, 5.5},
    {kTauxParticulier, 2.1},
    {kExonere, 0.0},
};

struct Cat {
  uint8_t kind;
  int family;  // 0: none
};
// Items kFirstCategorie onwards, in this order.
constexpr Cat kCategories[] = {
    {kCategorieRecette, 0},             // Salaire
    {kCategorieRecette, 0},             // Allocations familiales
    {kCategorieRecette, kSante},        // Remboursements santé
    {kCategorieRecette, 0},             // Intérêts
    {kCategorieDepense, kLogement},     // Loyer
    {kCategorieDepense, kLogement},     // Électricité
    {kCategorieDepense, kLogement},     // Eau
    {kCategorieDepense, kLogement},     // Maison
    {kCategorieDepense, kLogement},     // Téléphone et Internet
    {kCategorieDepense, kVieCourante},  // Alimentation
    {kCategorieDepense, kVieCourante},  // Restaurants
    {kCategorieDepense, kVieCourante},  // Vêtements
    {kCategorieDepense, kVieCourante},  // Retraits d'espèces
    {kCategorieDepense, kTransports},   // Carburant
    {kCategorieDepense, kTransports},   // Transports
    {kCategorieDepense, 0},             // Assurances
    {kCategorieDepense, kSante},        // Santé
    {kCategorieDepense, kFamille},      // Enfants
    {kCategorieDepense, kFamille},      // Cadeaux
    {kCategorieDepense, kLoisirs},      // Loisirs
    {kCategorieDepense, kLoisirs},      // Voyages
    {kCategorieDepense, 0},             // Impôts
    {kCategorieDepense, 0},             // Frais bancaires
    {kCategorieEpargne, 0},             // Épargne
};

CPString Name(int item) { return CPString::FromStd(CPGetListString(kStarterTexts, item)); }

// The item of that name: the one the list has, else a new one with `record`.
template <typename T>
CPResID Item(VYXUserPreferences& user, CPResourceSet& set, int item, const T& record) {
  CPString name = Name(item);
  if (set.ResourceExists(name)) return set.GetResourceID(name);
  return user.AddItem(set, name, &record, sizeof record);
}

}  // namespace

void VYXAddStarterLists(VYXUserPreferences& user) {
  // Other stations may work in the dossier already: its lists are read again
  // first, and the items added in one go.
  VYXUserPreferences::Exclusive hold(user);
  for (const auto& [name, mode] : Modes()) Item(user, user.GetModes(), name, mode);
  for (const Rate& r : kRates) {
    TauxTVA t;
    t.taux = r.taux;
    Item(user, user.GetTauxTVA(), r.name, t);
  }
  // The families first, so that they show in this order.
  std::map<int, CPResID> families;
  for (int f = kLogement; f <= kLoisirs; ++f) {
    families[f] = Item(user, user.GetCatFamilies(), f, UserCatFamily());
  }
  int item = kFirstCategorie;
  for (const Cat& c : kCategories) {
    CPString name = Name(item++);
    if (user.GetCategories().ResourceExists(name)) continue;
    Categorie categorie;
    categorie.type = c.kind;
    CPResID id = user.AddItem(user.GetCategories(), name, &categorie, sizeof categorie);
    if (c.family != 0) user.SetCategorieFamily(id, families[c.family]);
  }
}
