// What the business tests share: a dossier with VAT rates, a customer, a few
// articles of two categories, and an account of the dossier open under it.
#ifndef VYX_TESTS_BUSINESS_BUSINESSTESTSUPPORT_H_
#define VYX_TESTS_BUSINESS_BUSINESSTESTSUPPORT_H_

#include "accounts/VYXSDBCompte.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

class BusinessTest : public UserFileTest {
 protected:
  void SetUp() override {
    UserFileTest::SetUp();
    normal_ = Add(user_->GetTauxTVA(), "Taux normal", Taux(19.6));
    reduit_ = Add(user_->GetTauxTVA(), "Taux réduit", Taux(5.5));
    ventes_ = Add(user_->GetCategories(), "Ventes", Categorie());
    services_ = Add(user_->GetCategories(), "Prestations", Categorie());
    UserTiers client;
    client.type = kTiersClient;
    StdToP(Utf8ToMacRoman("Élagage & Fils"), client.facturation.societe, 31);
    dupont_ = Add(user_->GetTiers(), "Dupont", client);
  }
  template <class T>
  static CPResID Add(CPResourceSet_T<T>& set, const char* name, const T& record) {
    CPResID id = set.GetUniqueID();
    set.AddResource(id, N(name), record);
    return id;
  }
  // The name of an item, in UTF-8; empty for none.
  static std::string NameOf(CPResourceSet& set, CPResID id) {
    Str255 name = {0};
    if (id != 0) set.GetResourceName(id, name);
    return MacRomanToUtf8(PToStd(name));
  }
  static TauxTVA Taux(double taux) {
    TauxTVA t;
    t.taux = taux;
    return t;
  }
  CPResID AddArticle(const char* name, double prix, CPResID taux, CPResID categorie) {
    Article a;
    a.prixUnitaire = prix;
    a.tauxTVA = taux;
    a.categorie = categorie;
    return Add<Article>(user_->GetArticles(), name, a);
  }
  static LigneFacture Ligne(CPResID article, double q, double prix, CPResID taux,
                            const char* libelle = "Ligne") {
    LigneFacture l;
    l.article = article;
    l.quantity = q;
    l.prixUnitaire = prix;
    l.tauxTVA = taux;
    StdToP("REF", l.reference, 12);
    StdToP(Utf8ToMacRoman(libelle), l.libelle, 99);
    return l;
  }
  // An invoice of the customer, numbered, stored; answers its position.
  int32_t AddInvoice(std::vector<LigneFacture> lignes, EtatFacture etat = kEtatFacture) {
    Facture f;
    f.header.etat = etat;
    f.header.client = dupont_;
    f.header.date = CPClock::Now();
    StdToP("F2024-0007", f.header.numero, 12);
    f.lignes = std::move(lignes);
    int32_t id = 0;
    user_->AddFacture(f, &id);
    return id;
  }
  Facture Get(int32_t id) {
    Facture f;
    EXPECT_TRUE(user_->GetFacture(id, &f));
    return f;
  }
  std::unique_ptr<VYXSDBCompte> NewCompte(const std::string& name) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), name);
    auto compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(true, true, false);
    user_->AddCompte(file);
    user_->CompteOpened(*compte);
    return compte;
  }

  CPResID normal_ = 0, reduit_ = 0, ventes_ = 0, services_ = 0, dupont_ = 0;
  CPScriptedInteraction nobody_;
};

#endif  // VYX_TESTS_BUSINESS_BUSINESSTESTSUPPORT_H_
