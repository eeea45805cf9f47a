// The computation of a document's lines and totals, special lines included,
// against the VAT rates and articles of a real user file.
#include <gtest/gtest.h>

#include "userfile/Facture.h"
#include "userfile/UserFileTestSupport.h"

namespace {

class FactureTotals : public UserFileTest {
 protected:
  CPResID AddTaux(double taux, uint8_t utilisation = 1) {
    TauxTVA t;
    t.taux = taux;
    t.utilisation = utilisation;
    CPResID id = user_->GetTauxTVA().GetUniqueID();
    user_->GetTauxTVA().AddResource(id, N("Taux " + std::to_string(id)), t);
    return id;
  }
  CPResID AddArticle(const char* name, double prixAchat) {
    Article a;
    a.prixAchat = prixAchat;
    CPResID id = user_->GetArticles().GetUniqueID();
    user_->GetArticles().AddResource(id, N(name), a);
    return id;
  }
  static LigneFacture Ligne(double q, double prix, CPResID taux, CPResID article = 0,
                            const char* reference = "REF") {
    LigneFacture l;
    l.quantity = q;
    l.prixUnitaire = prix;
    l.tauxTVA = taux;
    l.article = article;
    StdToP(reference, l.reference, 12);
    return l;
  }
  static LigneFacture Special(const char* word) {
    LigneFacture l;
    StdToP(word, l.reference, 12);
    return l;
  }
  double Total(const Facture& f, std::vector<FactureTVATotal>* totals, double* ht = nullptr,
               double* tva = nullptr, double* eco = nullptr, double* cost = nullptr) {
    return f.CalculateTotal(user_->GetArticles(), user_->GetTauxTVA(), totals, ht, tva, nullptr,
                            eco, cost, 2);
  }
};

TEST(LigneFacture, TotalWithoutVATLeavesTheEcoContributionOutOfTheDiscount) {
  struct Case {
    double q, p, e, r, expected;
  } cases[] = {
      {2, 12, 2, 10, 22},         // (2 + 10 x 0.9) x 2
      {3, 10, 0, 0, 30},
      {1, 9.99, 0, 33.3, 6.66},   // 6.66333 rounded
      {1, 0.125, 0, 0, 0.13},     // halves away from zero
      {-1, 50, 0, 0, -50},        // a line taken back
      {1.5, 3.333, 0.333, 100, 0.5},  // all discounted but the eco-contribution
  };
  for (const Case& c : cases) {
    LigneFacture l;
    l.quantity = c.q;
    l.prixUnitaire = c.p;
    l.ecoParticipation = c.e;
    l.remise = c.r;
    EXPECT_DOUBLE_EQ(c.expected, l.GetTotalHT(2)) << c.q << " x " << c.p;
  }
}

TEST(LigneFacture, SpecialLinesAreToldByTheirReference) {
  struct Case {
    const char* reference;
    bool special;
    int kind;
  } cases[] = {
      {"", true, kLigneTexte},        {"=ZERO", true, kLigneZero},
      {"=sstot", true, kLigneSousTotal}, {"=Total", true, kLigneTotal},
      {"=REMISE", true, kLigneAutreSpeciale}, {"ART-12", false, -1},
      {"X=SSTOT", false, -1},
  };
  for (const Case& c : cases) {
    LigneFacture l;
    StdToP(c.reference, l.reference, 12);
    EXPECT_EQ(c.special, l.IsSpecialItem()) << c.reference;
    if (c.special) {
      EXPECT_EQ(c.kind, l.GetSpecialItem()) << c.reference;
    }
  }
}

TEST_F(FactureTotals, VATIsRoundedOncePerRate) {
  CPResID normal = AddTaux(19.6);
  Facture two;
  two.lignes = {Ligne(1, 10, normal), Ligne(1, 10, normal)};
  std::vector<FactureTVATotal> totals;
  double ht = 0, tva = 0;
  EXPECT_DOUBLE_EQ(23.92, Total(two, &totals, &ht, &tva));
  ASSERT_EQ(1u, totals.size());
  EXPECT_DOUBLE_EQ(19.6, totals[0].taux);
  EXPECT_DOUBLE_EQ(20.0, totals[0].baseHT);
  EXPECT_DOUBLE_EQ(3.92, totals[0].tva);
  EXPECT_DOUBLE_EQ(20.0, ht);
  EXPECT_DOUBLE_EQ(3.92, tva);

  // Per line, 0.02 x 19.6 % rounds to 0: ten of them owe 0.04 all the same.
  Facture ten;
  for (int i = 0; i < 10; ++i) ten.lignes.push_back(Ligne(1, 0.02, normal));
  EXPECT_DOUBLE_EQ(0.24, Total(ten, &totals));
  ASSERT_EQ(1u, totals.size());
  EXPECT_DOUBLE_EQ(0.20, totals[0].baseHT);
  EXPECT_DOUBLE_EQ(0.04, totals[0].tva);
}

TEST_F(FactureTotals, RatesKeptOutOfTheVATChargedCountAtZero) {
  CPResID normal = AddTaux(19.6), reduit = AddTaux(5.5);
  Facture f;
  f.lignes = {Ligne(1, 100, normal), Ligne(1, 100, reduit)};
  for (uint8_t use : {2, 3, 5, 6, 7}) f.lignes.push_back(Ligne(1, 10, AddTaux(19.6, use)));
  f.lignes.push_back(Ligne(1, 1, 999));  // a rate since deleted
  f.lignes.push_back(Ligne(1, 7, AddTaux(19.6, 4)));
  std::vector<FactureTVATotal> totals;
  double ht = 0, tva = 0;
  double ttc = Total(f, &totals, &ht, &tva);
  // In the order rates first appear; the 0 % entry gathers six lines.
  ASSERT_EQ(3u, totals.size());
  EXPECT_DOUBLE_EQ(19.6, totals[0].taux);
  EXPECT_DOUBLE_EQ(107.0, totals[0].baseHT);  // use 4 is charged
  EXPECT_DOUBLE_EQ(20.97, totals[0].tva);
  EXPECT_DOUBLE_EQ(5.5, totals[1].taux);
  EXPECT_DOUBLE_EQ(5.5, totals[1].tva);
  EXPECT_DOUBLE_EQ(0.0, totals[2].taux);
  EXPECT_DOUBLE_EQ(51.0, totals[2].baseHT);
  EXPECT_DOUBLE_EQ(0.0, totals[2].tva);
  EXPECT_DOUBLE_EQ(258.0, ht);
  EXPECT_DOUBLE_EQ(26.47, tva);
  EXPECT_DOUBLE_EQ(284.47, ttc);
}

TEST_F(FactureTotals, EcoContributionAndCostCountOnlyForArticlesThatExist) {
  CPResID normal = AddTaux(19.6);
  CPResID frigo = AddArticle("Réfrigérateur", 300);
  Facture f;
  LigneFacture l = Ligne(2, 12, normal, frigo);
  l.ecoParticipation = 2;
  l.remise = 10;
  f.lignes = {l};
  LigneFacture libre = Ligne(1, 5, normal);
  libre.ecoParticipation = 1;  // a free line: no article, no eco total
  f.lignes.push_back(libre);
  LigneFacture gone = Ligne(1, 5, normal, 999);
  f.lignes.push_back(gone);
  std::vector<FactureTVATotal> totals;
  double ht = 0, eco = 0, cost = 0;
  Total(f, &totals, &ht, nullptr, &eco, &cost);
  EXPECT_DOUBLE_EQ(32.0, ht);  // 22 + 5 + 5
  EXPECT_DOUBLE_EQ(4.0, eco);
  EXPECT_DOUBLE_EQ(600.0, cost);
}

TEST_F(FactureTotals, SubTotalsAndTotals) {
  CPResID normal = AddTaux(19.6);
  CPResID a = AddArticle("A", 0);
  Facture f;
  f.lignes = {Ligne(1, 10, normal, a), Ligne(1, 20, normal, a), Special("=SSTOT"),
              Ligne(1, 5, normal, a),  Special("=SSTOT"),        Special("=TOTAL")};
  EXPECT_DOUBLE_EQ(30.0, f.GetSpecialItemTotal(3, 2));
  EXPECT_DOUBLE_EQ(5.0, f.GetSpecialItemTotal(5, 2));
  EXPECT_DOUBLE_EQ(35.0, f.GetSpecialItemTotal(6, 2));
  EXPECT_DOUBLE_EQ(0.0, f.GetSpecialItemTotal(1, 2));  // not a special line
  EXPECT_DOUBLE_EQ(0.0, f.GetSpecialItemTotal(7, 2));
  EXPECT_DOUBLE_EQ(0.0, f.GetSpecialItemTotal(0, 2));

  // "=ZERO" starts the sub-total again, not the total; a free line (no
  // article, no reference) counts as an article's does; a text line adds 0.
  Facture g;
  g.lignes = {Ligne(1, 10, normal, a), Special("=ZERO"), Ligne(2, 4, normal, 0, ""),
              Special(""),             Special("=SSTOT"), Special("=TOTAL")};
  EXPECT_DOUBLE_EQ(8.0, g.GetSpecialItemTotal(5, 2));
  EXPECT_DOUBLE_EQ(18.0, g.GetSpecialItemTotal(6, 2));
  // Special lines weigh nothing in the document's total.
  std::vector<FactureTVATotal> totals;
  double ht = 0;
  Total(g, &totals, &ht);
  EXPECT_DOUBLE_EQ(18.0, ht);
}

TEST(FactureHeader, TheNumberIsTheStageOnes) {
  FactureHeader h;
  StdToP("D-0001", h.no_devis, 12);
  StdToP("L-0002", h.no_bl, 12);
  StdToP("F-0003", h.numero, 12);
  Str255 out;
  const std::pair<EtatFacture, const char*> cases[] = {
      {kEtatAucun, ""}, {kEtatDevis, "D-0001"}, {kEtatBL, "L-0002"}, {kEtatFacture, "F-0003"},
      {7, "F-0003"}};
  for (auto [etat, expected] : cases) {
    h.etat = etat;
    h.GetNumero(out);
    EXPECT_EQ(expected, PToStd(out)) << int(etat);
  }
}

TEST(FactureHeader, ANewRecordHasItsDefaults) {
  VYXPinnedClock clock(3, 2, 2024);
  Facture f;
  EXPECT_EQ(kUserDataMarker, uint32_t(f.header.header.marker));
  EXPECT_EQ(kUserDataFacture, f.header.header.type);
  EXPECT_NE(0u, uint32_t(f.header.header.creation));
  EXPECT_EQ(0u, uint32_t(f.header.date));
  EXPECT_EQ(kEtatFacture, f.header.etat);
  EXPECT_EQ(kReglementReception, f.header.modalite);
  EXPECT_EQ(kDevisEnCours, f.header.etatDevis);
  EXPECT_EQ(1, int16_t(f.header.mois));
  EXPECT_FALSE(f.HasExtra());
  StdToP("FR12345678901", f.extra.nii, 31);
  EXPECT_TRUE(f.HasExtra());
  LigneFacture l;
  EXPECT_EQ(kUserDataLigneFacture, l.header.type);
  EXPECT_EQ(0.0, double(l.quantity));
}

}  // namespace
