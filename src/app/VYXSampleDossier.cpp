#include "app/VYXSampleDossier.h"

#include <cmath>
#include <map>
#include <stdexcept>
#include <string>

#include "accounts/VYXListMapping.h"
#include "accounts/VYXSDBCompte.h"
#include "app/VYXStarterLists.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace fs = std::filesystem;

namespace {

constexpr int kYear = 2024;

CPString Name(const char* utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

// The household's lists, kept in the dossier: the starter lists of every new
// dossier, and its payees. Accounts take their own copies of the items they
// use, by name.
class Lists {
 public:
  explicit Lists(VYXSDBUserPreferences& user) : user_(user) {}

  void AddTiers(const char* name, uint8_t kind) {
    UserTiers t;
    t.type = kind;
    CPResID id = user_.GetTiers().GetUniqueID();
    user_.GetTiers().AddResource(id, Name(name), t);
    tiers_[name] = id;
  }
  // The account's IDs of the dossier's items, copied into it as they are needed.
  CPResID CategorieOf(VYXCompte& c, const char* name) {
    return UserToCompteCategorie(user_.GetCategories(), c.GetCategories(),
                                 Known(user_.GetCategories(), name), true, false);
  }
  CPResID TiersOf(VYXCompte& c, const char* name) {
    return UserToCompteTiers(user_.GetTiers(), c.GetTiers(), tiers_.at(name), true, false);
  }
  CPResID ModeOf(VYXCompte& c, const char* name) {
    return UserToCompteMode(user_.GetModes(), c.GetModes(), Known(user_.GetModes(), name), true);
  }

 private:
  // The starter lists' item of that name, which the household uses.
  static CPResID Known(CPResourceSet& set, const char* name) {
    CPString text = Name(name);
    if (!set.ResourceExists(text)) throw std::logic_error(std::string("no item ") + name);
    return set.GetResourceID(text);
  }

  VYXSDBUserPreferences& user_;
  std::map<std::string, CPResID> tiers_;
};

// A generator of amounts that vary from week to week, the same at every build.
class Amounts {
 public:
  // Between low and high, in cents.
  double Between(double low, double high) {
    state_ = state_ * 1103515245u + 12345u;
    uint32_t r = (state_ >> 8) % 10000u;
    double cents = std::round(low * 100 + (high - low) * 100 * r / 9999.0);
    return cents / 100;
  }

 private:
  uint32_t state_ = 20240101u;
};

// Writes operations into one account, cleared on the month's statement
// until November, committed in December, planned after the year.
class Writer {
 public:
  Writer(VYXSDBCompte& compte, Lists& lists) : compte_(compte), lists_(lists) {}

  struct Line {
    const char* label;
    double montant;
    const char* categorie;
  };

  VYXDataRef Add(int day, int month, int year, const char* label, double montant,
                 const char* categorie, const char* mode, const char* tiers = nullptr,
                 const char* cheque = nullptr) {
    Operation op;
    op.date = CPGetDate(day, month, year);
    StdToP(Utf8ToMacRoman(label), op.libelle, 99);
    op.montant = montant;
    op.mois = CPMonth(month);
    if (categorie) op.categorie = lists_.CategorieOf(compte_, categorie);
    if (mode) op.mode = lists_.ModeOf(compte_, mode);
    if (tiers) op.tiers = lists_.TiersOf(compte_, tiers);
    if (cheque) StdToP(cheque, op.noCheque, 7);
    if (year > kYear) {
      op.status = kOpPrevue;
    } else if (month == 12) {
      op.status = kOpEngagee;
    } else {
      // Booked by the bank a day or two later, on that month's statement.
      op.status = kOpPointee;
      op.datePointe =
          CPAddDays(op.date, montant < 0 && mode && std::string(mode) == "Chèque" ? 3 : 1);
      StdToP(std::to_string(month), op.releve, 5);
    }
    VYXDataRef ref = 0;
    compte_.AddOperation(op, &ref);
    return ref;
  }

  // An operation whose amount is split between categories.
  void AddSplit(int day, int month, const char* label, const char* mode, const char* tiers,
                std::initializer_list<Line> lines) {
    double total = 0;
    for (const Line& l : lines) total += l.montant;
    total = std::round(total * 100) / 100;
    VYXDataRef ref = Add(day, month, kYear, label, total, nullptr, mode, tiers);
    for (const Line& l : lines) {
      SousOperation line;
      StdToP(Utf8ToMacRoman(l.label), line.libelle, 99);
      line.montant = l.montant;
      line.categorie = lists_.CategorieOf(compte_, l.categorie);
      line.mois = CPMonth(month);
      VYXDataRef sousRef = 0;
      compte_.AddSousOperation(ref, line, &sousRef);
    }
  }

  // A cheque of the account's book.
  void AddCheque(CPResID chequier, int day, int month, const char* label, double montant,
                 const char* categorie, const char* tiers) {
    Str255 number;
    compte_.GetNextNoCheque(chequier, number);
    std::string text = PToStd(number);
    Add(day, month, kYear, label, montant, categorie, "Chèque", tiers, text.c_str());
    compte_.MarkNoCheque(chequier, number);
  }

 private:
  VYXSDBCompte& compte_;
  Lists& lists_;
};

void FillLists(Lists& lists) {
  lists.AddTiers("Société Arcadie", kTiersAssocie);
  lists.AddTiers("CAF", 0);
  lists.AddTiers("Agence du Parc", kTiersFournisseur);
  lists.AddTiers("EDF", kTiersFournisseur);
  lists.AddTiers("Veolia Eau", kTiersFournisseur);
  lists.AddTiers("Orange", kTiersFournisseur);
  lists.AddTiers("MAIF", kTiersFournisseur);
  lists.AddTiers("Carrefour", kTiersFournisseur);
  lists.AddTiers("Station Total", kTiersFournisseur);
  lists.AddTiers("Pharmacie des Halles", kTiersFournisseur);
  lists.AddTiers("Dr Lefèvre", kTiersFournisseur);
  lists.AddTiers("CPAM", 0);
  lists.AddTiers("Trésor public", 0);
  lists.AddTiers("Conservatoire municipal", kTiersFournisseur);
  lists.AddTiers("SNCF", kTiersFournisseur);
}

void FillCourant(VYXSDBCompte& compte, Lists& lists) {
  MontantSet report;
  report.montant[kOpPointee] = 1842.37;
  compte.SetReportValues(report);
  Chequier book;
  book.first = 8412301;
  book.number = 40;
  CPResID chequier = compte.GetChequiers().GetUniqueID();
  compte.GetChequiers().AddResource(chequier, Name("Chéquier n° 1"), book);

  Writer w(compte, lists);
  Amounts amount;
  for (int m = 1; m <= 12; ++m) {
    w.Add(1, m, kYear, "Loyer", -780.00, "Loyer", "Prélèvement", "Agence du Parc");
    w.Add(5, m, kYear, "Allocations familiales", 139.00, "Allocations familiales", "Virement",
          "CAF");
    w.Add(5, m, kYear, "Virement vers le livret A", -150.00, "Épargne", "Virement");
    w.Add(8, m, kYear, "Prélèvement à la source", -112.00, "Impôts", "Prélèvement",
          "Trésor public");
    w.Add(10, m, kYear, "EDF électricité", m <= 3 || m >= 11 ? -94.00 : -58.00, "Électricité",
          "Prélèvement", "EDF");
    w.Add(12, m, kYear, "Box et mobiles", -39.99, "Téléphone et Internet", "Prélèvement", "Orange");
    w.AddSplit(15, m, "MAIF assurances", "Prélèvement", "MAIF",
               {{"Habitation", -24.30, "Assurances"}, {"Automobile", -37.20, "Transports"}});
    if (m % 3 == 0) {
      w.Add(18, m, kYear, "Eau", -45.20, "Eau", "Prélèvement", "Veolia Eau");
      w.Add(30, m, kYear, "Frais de tenue de compte", -8.90, "Frais bancaires", "Prélèvement");
    }
    double salaire = m == 12 ? 4960.00 : 2480.00;  // with the thirteenth month
    w.Add(27, m, kYear, m == 12 ? "Salaire et treizième mois" : "Salaire", salaire, "Salaire",
          "Virement", "Société Arcadie");
    // Shopping every week, some of it for the house.
    for (int day = 3; day <= 24; day += 7) {
      double food = -amount.Between(48, 135);
      if (day == 17) {
        w.AddSplit(day, m, "Courses Carrefour", "Carte bancaire", "Carrefour",
                   {{"Alimentation", food, "Alimentation"},
                    {"Produits d'entretien", -amount.Between(9, 32), "Maison"}});
      } else {
        w.Add(day, m, kYear, "Courses Carrefour", food, "Alimentation", "Carte bancaire",
              "Carrefour");
      }
    }
    w.Add(9, m, kYear, "Plein d'essence", -amount.Between(52, 71), "Carburant", "Carte bancaire",
          "Station Total");
    w.Add(23, m, kYear, "Plein d'essence", -amount.Between(52, 71), "Carburant", "Carte bancaire",
          "Station Total");
    w.Add(20, m, kYear, "Retrait distributeur", -60.00, "Retraits d'espèces", "Carte bancaire");
    if (m % 2 == 0) {
      w.Add(21, m, kYear, "Restaurant", -amount.Between(38, 86), "Restaurants", "Carte bancaire");
    }
  }
  // The year's particular days.
  w.AddCheque(chequier, 16, 1, "Consultation Dr Lefèvre", -26.50, "Santé", "Dr Lefèvre");
  w.Add(24, 1, kYear, "Remboursement consultation", 18.55, "Remboursements santé", "Virement",
        "CPAM");
  w.AddCheque(chequier, 11, 2, "Conservatoire, 1er trimestre", -120.00, "Enfants",
              "Conservatoire municipal");
  w.Add(14, 3, kYear, "Pharmacie", -18.40, "Santé", "Carte bancaire", "Pharmacie des Halles");
  w.Add(22, 3, kYear, "Remboursement pharmacie", 11.04, "Remboursements santé", "Virement", "CPAM");
  w.AddCheque(chequier, 6, 4, "Cadeau d'anniversaire", -45.00, "Cadeaux", nullptr);
  w.AddCheque(chequier, 13, 5, "Conservatoire, 2e trimestre", -120.00, "Enfants",
              "Conservatoire municipal");
  w.AddSplit(2, 6, "Soldes d'été", "Carte bancaire", nullptr,
             {{"Vêtements des enfants", -86.70, "Enfants"}, {"Chaussures", -64.90, "Vêtements"}});
  w.Add(4, 7, kYear, "Billets de train Bretagne", -184.00, "Voyages", "Carte bancaire", "SNCF");
  w.AddSplit(29, 7, "Location de vacances", "Virement", nullptr,
             {{"Gîte, deux semaines", -650.00, "Voyages"}, {"Taxe de séjour", -18.40, "Voyages"}});
  w.Add(12, 8, kYear, "Crêperie", -58.30, "Restaurants", "Carte bancaire");
  w.Add(14, 8, kYear, "Sortie en mer", -96.00, "Loisirs", "Carte bancaire");
  w.AddCheque(chequier, 3, 9, "Rentrée scolaire", -134.80, "Enfants", nullptr);
  w.AddCheque(chequier, 16, 9, "Conservatoire, 3e trimestre", -120.00, "Enfants",
              "Conservatoire municipal");
  w.Add(21, 10, kYear, "Cinéma", -34.00, "Loisirs", "Carte bancaire");
  w.AddCheque(chequier, 7, 11, "Consultation Dr Lefèvre", -26.50, "Santé", "Dr Lefèvre");
  w.Add(13, 11, kYear, "Remboursement consultation", 18.55, "Remboursements santé", "Virement",
        "CPAM");
  w.AddSplit(14, 12, "Cadeaux de Noël", "Carte bancaire", nullptr,
             {{"Jouets", -142.60, "Cadeaux"},
              {"Livres", -58.00, "Cadeaux"},
              {"Emballages", -6.90, "Maison"}});
  w.Add(24, 12, kYear, "Réveillon", -88.40, "Alimentation", "Carte bancaire", "Carrefour");
  // What is already known of January.
  w.Add(1, 1, kYear + 1, "Loyer", -780.00, "Loyer", "Prélèvement", "Agence du Parc");
  w.Add(5, 1, kYear + 1, "Virement vers le livret A", -150.00, "Épargne", "Virement");

  VYXCompteDefaultValues defaults = compte.GetDefaultValues();
  defaults.mode = lists.ModeOf(compte, "Carte bancaire");
  defaults.categorie = lists.CategorieOf(compte, "Alimentation");
  compte.SetDefaultValues(defaults);
  // The first quarter is closed.
  compte.SetLockDate(CPGetDate(31, 3, kYear));
}

void FillLivret(VYXSDBCompte& compte, Lists& lists) {
  MontantSet report;
  report.montant[kOpPointee] = 4500.00;
  compte.SetReportValues(report);
  compte.SetType(2);
  Writer w(compte, lists);
  for (int m = 1; m <= 12; ++m) {
    w.Add(5, m, kYear, "Virement du compte courant", 150.00, "Épargne", "Virement");
  }
  w.Add(31, 12, kYear, "Intérêts de l'année", 87.64, "Intérêts", "Virement");
  w.Add(5, 1, kYear + 1, "Virement du compte courant", 150.00, "Épargne", "Virement");
}

}  // namespace

void VYXMakeSampleDossier(const fs::path& folder) {
  fs::create_directories(folder);
  CPFileRef dossier(folder / kVYXSampleDossierName);
  CPFileRef courantFile = VYXCompteFileIn(CPFileRef(folder), kVYXSampleCourantName);
  CPFileRef livretFile = VYXCompteFileIn(CPFileRef(folder), kVYXSampleLivretName);
  for (const CPFileRef& f : {dossier, courantFile, livretFile}) fs::remove(f.Path());
  for (const CPFileRef& f : VYXCompanionFiles(dossier)) fs::remove(f.Path());

  VYXSDBUserPreferences user(dossier);
  user.IUserPreferences(true);
  VYXAddStarterLists(user);
  Lists lists(user);
  FillLists(lists);
  struct Account {
    const CPFileRef& file;
    void (*fill)(VYXSDBCompte&, Lists&);
  } accounts[] = {{courantFile, FillCourant}, {livretFile, FillLivret}};
  for (const Account& a : accounts) {
    VYXSDBCompte compte(user, a.file);
    compte.ICompte(true, false, false);
    user.AddCompte(a.file, true);
    user.CompteOpened(compte);
    a.fill(compte, lists);
    compte.Close();
  }
  user.Close();
}

void VYXPinSampleClock() {
  CPClock::PinDate(CPGetDate(2, 1, 2025) + 9 * 3600);
  CPClock::PinTicks(4242);
}
