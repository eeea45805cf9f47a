// An invoice turned into the operation that pays it, in a real account of
// the dossier: groups of lines, a payment spread over them, and the invoice
// settled, then unsettled when the operation goes.
#include <gtest/gtest.h>

#include "business/BusinessTestSupport.h"
#include "business/VYXFactureReglement.h"
#include "accounts/VYXCompteErrors.h"
#include "foundation/CPDates.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"

namespace {

class Reglement : public BusinessTest {};

TEST_F(Reglement, LinesAreGroupedByCategoryAndRateEachWithItsOwnVAT) {
  CPResID pot = AddArticle("Pot", 10, normal_, ventes_);
  CPResID taille = AddArticle("Taille", 40, normal_, services_);
  CPResID graines = AddArticle("Graines", 3, reduit_, ventes_);
  Facture f;
  f.lignes = {Ligne(pot, 3, 10, normal_), Ligne(taille, 1, 40, normal_),
              Ligne(graines, 2, 3, reduit_), Ligne(pot, 1, 10.05, normal_),
              Ligne(0, 1, 5, normal_, "Déplacement")};
  LigneFacture sstot;
  StdToP("=SSTOT", sstot.reference, 12);
  f.lignes.push_back(sstot);
  std::vector<VYXFactureGroupe> g = VYXFactureGroupes(*user_, f);
  ASSERT_EQ(4u, g.size());
  EXPECT_EQ(ventes_, g[0].categorie);
  EXPECT_DOUBLE_EQ(40.05, g[0].ht);
  EXPECT_DOUBLE_EQ(7.85, g[0].tva);  // 7.8498 once, not 5.88 + 1.97
  EXPECT_DOUBLE_EQ(47.90, g[0].ttc);
  EXPECT_EQ(services_, g[1].categorie);
  EXPECT_DOUBLE_EQ(47.84, g[1].ttc);
  EXPECT_EQ(reduit_, g[2].tauxTVA);
  EXPECT_DOUBLE_EQ(6.33, g[2].ttc);
  EXPECT_EQ(0, g[3].categorie);  // a line without article
  EXPECT_DOUBLE_EQ(5.98, g[3].ttc);
}

TEST(RepartirReglement, APaymentCoversTheGroupsInOrderAfterEarlierOnes) {
  std::vector<VYXFactureGroupe> g = {{1, 1, 19.6, 100, 19.6, 119.6},
                                     {2, 1, 19.6, 50, 9.8, 59.8},
                                     {3, 2, 5.5, 10, 0.55, 10.55}};
  struct Case {
    double deja, montant;
    std::vector<std::pair<size_t, double>> parts;
  } cases[] = {
      {0, 189.95, {{0, 119.6}, {1, 59.8}, {2, 10.55}}},  // all of it
      {0, 100, {{0, 100}}},                               // a deposit
      {100, 89.95, {{0, 19.6}, {1, 59.8}, {2, 10.55}}},  // the balance after it
      {119.6, 30, {{1, 30}}},
      {0, 200, {{0, 119.6}, {1, 59.8}, {2, 20.6}}},  // overpaid: the last takes the rest
      {189.95, 5, {{2, 5}}},                          // nothing left to cover
  };
  for (const Case& c : cases) {
    std::vector<VYXReglementPart> parts = VYXRepartirReglement(g, c.deja, c.montant, 2);
    ASSERT_EQ(c.parts.size(), parts.size()) << c.deja << " + " << c.montant;
    for (size_t i = 0; i < parts.size(); ++i) {
      EXPECT_EQ(c.parts[i].first, parts[i].groupe) << c.deja << " + " << c.montant;
      EXPECT_DOUBLE_EQ(c.parts[i].second, parts[i].montant) << c.deja << " + " << c.montant;
    }
  }
  // A group paid whole pays its VAT to the cent; a part, the VAT it holds.
  std::vector<VYXReglementPart> parts = VYXRepartirReglement(g, 0, 129.6, 2);
  EXPECT_DOUBLE_EQ(19.6, parts[0].tva);
  EXPECT_DOUBLE_EQ(1.64, parts[1].tva);  // 10 - 10 / 1.196
  // A credit note's refund spreads the same way, negative.
  for (VYXFactureGroupe& x : g) x.ttc = -x.ttc;
  parts = VYXRepartirReglement(g, 0, -130, 2);
  ASSERT_EQ(2u, parts.size());
  EXPECT_DOUBLE_EQ(-119.6, parts[0].montant);
  EXPECT_DOUBLE_EQ(-10.4, parts[1].montant);
}

TEST_F(Reglement, ThePaymentSettlesTheInvoiceUntilItIsDeleted) {
  auto compte = NewCompte("Banque");
  CPResID pot = AddArticle("Pot", 10, normal_, ventes_);
  CPResID taille = AddArticle("Taille", 40, normal_, services_);
  int32_t id = AddInvoice({Ligne(pot, 3, 10, normal_), Ligne(taille, 1, 40, normal_)});
  EXPECT_DOUBLE_EQ(83.72, double(Get(id).header.totalTTC));

  // A deposit pays the first group alone: a plain operation.
  CPDate date = CPGetDate(20, 7, 2024);
  DataID acompte = VYXReglerFacture(*user_, id, *compte, 30, date, kOpEngagee);
  Operation op;
  VYXDataRef ref1 = 0;
  ASSERT_TRUE(compte->FindOperation(acompte, &op, &ref1));
  EXPECT_DOUBLE_EQ(30.0, double(op.montant));
  EXPECT_EQ(0, op.sousOpsNbr);
  EXPECT_EQ(date, CPDate(op.date));
  EXPECT_EQ(7, CPMonth(op.mois));
  EXPECT_EQ("Facture F2024-0007 – Dupont", MacRomanToUtf8(PToStd(op.libelle)));
  EXPECT_EQ("Ventes", NameOf(compte->GetCategories(), op.categorie));
  EXPECT_EQ("Dupont", NameOf(compte->GetTiers(), op.tiers));
  EXPECT_EQ("Taux normal", NameOf(compte->GetTVAs(), op.tva));
  EXPECT_DOUBLE_EQ(4.92, double(op.montantTva));  // 30 - 30 / 1.196
  EXPECT_DOUBLE_EQ(30.0, double(Get(id).header.sold));
  EXPECT_FALSE(Get(id).header.soldee);

  // The balance pays what the deposit left of the first group and the second: split.
  DataID solde = VYXReglerFacture(*user_, id, *compte, 53.72, date, kOpEngagee);
  VYXDataRef ref2 = 0;
  ASSERT_TRUE(compte->FindOperation(solde, &op, &ref2));
  EXPECT_EQ(2, op.sousOpsNbr);
  SousOperation line;
  VYXDataRef sousRef = 0;
  ASSERT_TRUE(compte->GetFirstSousOperation(op, &line, &sousRef));
  EXPECT_DOUBLE_EQ(5.88, double(line.montant));
  EXPECT_EQ("Ventes", NameOf(compte->GetCategories(), line.categorie));
  ASSERT_TRUE(compte->GetNextSousOperation(op, &line, &sousRef));
  EXPECT_DOUBLE_EQ(47.84, double(line.montant));
  EXPECT_DOUBLE_EQ(7.84, double(line.montantTva));
  EXPECT_EQ("Prestations", NameOf(compte->GetCategories(), line.categorie));
  Facture paid = Get(id);
  EXPECT_TRUE(paid.header.soldee);
  EXPECT_DOUBLE_EQ(83.72, double(paid.header.sold));
  EXPECT_EQ(int32_t(solde), int32_t(paid.header.operation));

  // Deleting the operation shows the invoice unsettled again.
  compte->DeleteOperation(ref2);
  EXPECT_FALSE(Get(id).header.soldee);
  EXPECT_DOUBLE_EQ(30.0, double(Get(id).header.sold));
  // Linking an operation typed in the account settles it again.
  Operation cheque(compte->GetDefaultValues(), false);
  cheque.montant = 53.72;
  VYXDataRef ref3 = 0;
  compte->AddOperation(cheque, &ref3);
  VYXLierReglement(*user_, id, *compte, ref3);
  EXPECT_TRUE(Get(id).header.soldee);
  // An operation that pays one invoice is not taken for another.
  int32_t other = AddInvoice({Ligne(pot, 1, 10, normal_)});
  EXPECT_CP_CODE(paramErr, VYXLierReglement(*user_, other, *compte, ref3));
}

TEST_F(Reglement, OnlyInvoicesAreSettledAndNeverOutsideTheAccountsRules) {
  auto compte = NewCompte("Banque");
  int32_t devis = AddInvoice({Ligne(0, 1, 10, normal_)}, kEtatDevis);
  EXPECT_CP_CODE(paramErr, VYXReglerFacture(*user_, devis, *compte, 10, CPClock::Now(), 1));
  int32_t id = AddInvoice({Ligne(0, 1, 10, normal_)});
  EXPECT_CP_CODE(paramErr, VYXReglerFacture(*user_, id, *compte, 0.001, CPClock::Now(), 1));
  compte->SetLockDate(CPGetDate(31, 12, 2024));
  EXPECT_CP_CODE(kVYXErrCompteLocked,
                 VYXReglerFacture(*user_, id, *compte, 11.96, CPGetDate(1, 7, 2024), 1));
  EXPECT_EQ(0u, compte->GetNbOfOperations());
  EXPECT_DOUBLE_EQ(0.0, double(Get(id).header.sold));
}

// An operation written while the dossier did not follow its account (a crash
// between the two writes leaves the same): recounting puts the invoice right.
TEST_F(Reglement, SettlementsAreRecountedFromTheAccounts) {
  auto compte = NewCompte("Banque");
  int32_t id = AddInvoice({Ligne(0, 1, 100, normal_)});
  int32_t other = AddInvoice({Ligne(0, 1, 10, normal_)});
  Facture f = Get(id);
  user_->CompteBeingClosed(*compte);  // no longer followed
  Operation op(compte->GetDefaultValues(), false);
  op.montant = 119.6;
  op.facture = f.header.header.dataID;
  VYXDataRef ref = 0;
  compte->AddOperation(op, &ref);
  EXPECT_FALSE(Get(id).header.soldee);

  user_->CompteOpened(*compte);
  EXPECT_EQ(1, VYXRecalculerReglements(*user_, user_->GetOpenComptes()));
  Facture paid = Get(id);
  EXPECT_TRUE(paid.header.soldee);
  EXPECT_EQ(int32_t(op.header.dataID), int32_t(paid.header.operation));
  EXPECT_NE(0, CPResID(paid.header.compte));
  // Nothing more to put right; an invoice nothing names keeps what it has.
  Facture o = Get(other);
  Facture before = o;
  o.header.sold = 5;
  user_->ModifyFacture(other, before, o);
  EXPECT_EQ(0, VYXRecalculerReglements(*user_, user_->GetOpenComptes()));
  EXPECT_DOUBLE_EQ(5.0, double(Get(other).header.sold));
}

}  // namespace
