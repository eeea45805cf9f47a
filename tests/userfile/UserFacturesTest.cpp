// The user file's documents on disk: their records, their messages, what
// follows a change of the lists they name, and their settlement by the
// operations of open accounts.
#include <gtest/gtest.h>

#include "accounts/VYXSDBCompte.h"
#include "foundation/CPDates.h"
#include "platform/CPInteraction.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFile.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBFacturesTable.h"

namespace {

class FactureMessages : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    if (category != 'USER' || code < kUserFactureAdded || code > kUserFactureDeleted) return;
    const auto* m = static_cast<const VYXFactureMessage*>(data);
    heard.push_back({code, m->id, m->facture ? double(m->facture->header.totalTTC) : -1,
                     m->oldFacture ? double(m->oldFacture->header.totalTTC) : -1});
  }
  struct Heard {
    uint32_t code;
    int32_t id;
    double ttc, oldTtc;
    bool operator==(const Heard&) const = default;
  };
  std::vector<Heard> heard;
};

class UserFactures : public UserFileTest {
 protected:
  void SetUp() override {
    UserFileTest::SetUp();
    normal_ = AddTaux("Normal", 19.6);
  }
  CPResID AddTaux(const char* name, double taux) {
    TauxTVA t;
    t.taux = taux;
    CPResID id = user_->GetTauxTVA().GetUniqueID();
    user_->GetTauxTVA().AddResource(id, N(name), t);
    return id;
  }
  CPResID AddClient(const char* name) {
    UserTiers t;
    t.type = kTiersClient;
    CPResID id = user_->GetTiers().GetUniqueID();
    user_->GetTiers().AddResource(id, N(name), t);
    return id;
  }
  Facture Invoice(CPResID client, std::initializer_list<std::pair<double, double>> lines) {
    Facture f;
    f.header.client = client;
    StdToP("F-0001", f.header.numero, 12);
    StdToP(Utf8ToMacRoman("Réfection de la façade"), f.header.libelle, 99);
    StdToP(Utf8ToMacRoman("Société Générale d'Élagage"), f.client.societe, 31);
    for (auto [q, p] : lines) {
      LigneFacture l;
      l.quantity = q;
      l.prixUnitaire = p;
      l.tauxTVA = normal_;
      StdToP("REF", l.reference, 12);
      f.lignes.push_back(l);
    }
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

  CPResID normal_ = 0;
  CPScriptedInteraction nobody_;
};

TEST_F(UserFactures, DocumentsAreStoredWholeAndAnnounced) {
  FactureMessages messages;
  user_->AddListener(&messages);
  CPResID dupont = AddClient("Dupont");
  Facture f = Invoice(dupont, {{2, 10}, {1, 0.5}});
  int32_t id = 0;
  user_->AddFacture(f, &id);
  EXPECT_EQ(1, id);
  EXPECT_EQ(1, user_->GetNbOfFactures());
  // Totals are the lines'; the data identifier is the record's, and each
  // line carries it with its number.
  DataID dataID = user_->GetFactureDataID(1);
  EXPECT_NE(0u, dataID);
  EXPECT_EQ(dataID, DataID(f.header.header.dataID));
  Facture g = Invoice(dupont, {{1, 100}});
  user_->AddFacture(g, &id);
  EXPECT_EQ(2, id);

  Reopen();
  user_->AddListener(&messages);
  Facture read;
  ASSERT_TRUE(user_->GetFacture(1, &read));
  EXPECT_DOUBLE_EQ(20.5, double(read.header.totalHT));
  EXPECT_DOUBLE_EQ(4.02, double(read.header.totalTVA));
  EXPECT_DOUBLE_EQ(24.52, double(read.header.totalTTC));
  EXPECT_EQ("Réfection de la façade", MacRomanToUtf8(PToStd(read.header.libelle)));
  EXPECT_EQ("Société Générale d'Élagage", MacRomanToUtf8(PToStd(read.client.societe)));
  ASSERT_EQ(2u, read.lignes.size());
  EXPECT_EQ(dataID, DataID(read.lignes[1].facture));
  EXPECT_EQ(2u, DataID(read.lignes[1].header.dataID));
  int32_t found = 0;
  EXPECT_TRUE(user_->FindFacture(dataID, &found));
  EXPECT_EQ(1, found);
  EXPECT_FALSE(user_->FindFacture(dataID + 1000, &found));
  EXPECT_FALSE(user_->GetFacture(3, &read));

  Facture changed = read;
  changed.lignes.pop_back();
  user_->ModifyFacture(1, changed);
  user_->DeleteFacture(2);
  EXPECT_EQ(1, user_->GetNbOfFactures());
  Reopen();
  ASSERT_TRUE(user_->GetFacture(1, &read));
  EXPECT_EQ(1u, read.lignes.size());
  EXPECT_DOUBLE_EQ(23.92, double(read.header.totalTTC));
  using H = FactureMessages::Heard;
  EXPECT_EQ((std::vector<H>{{kUserFactureAdded, 1, 24.52, -1},
                            {kUserFactureAdded, 2, 119.6, -1},
                            {kUserFactureModified, 1, 23.92, 24.52},
                            {kUserFactureDeleted, 2, 119.6, -1}}),
            messages.heard);
}

// The record of a document as another machine wrote it (big-endian numbers,
// Windows characters, dates from 1970) reads as the same document.
TEST(FactureRecord, ReadsInEveryEncoding) {
  VYXPinnedClock clock(14, 7, 2024);
  Facture f;
  f.header.date = CPGetDate(14, 7, 2024);
  f.header.devise = 'EUR ';
  f.header.totalTTC = 1234.56;
  f.header.operation = 70000;
  StdToP(Utf8ToMacRoman("Désherbage"), f.header.libelle, 99);
  StdToP(Utf8ToMacRoman("Noël"), f.livraison.ville, 30);
  StdToP(Utf8ToMacRoman("Été"), f.extra.commentaire4, 63);
  LigneFacture l;
  l.quantity = 2.5;
  l.tauxTVA = 3;
  StdToP(Utf8ToMacRoman("Pelouse à tondre"), l.libelle, 99);
  f.lignes = {l, l};
  std::vector<unsigned char> host = VYXFactureToLayout(f);

  VYXTempDir dir;
  CPSimpleDBFile db(dir.Ref("f.db"));
  db.Create('VyxP', 'TEST', reinterpret_cast<const unsigned char*>("\x04test"), 1, false);
  VYXSDBFacturesHandler table(&db);
  const CPDataEncoding foreign{kCPBigEndian, kCPWindowsLatin1, kCPDates1970};
  std::vector<unsigned char> stored = host;
  table.EncodeData(table.NewInfo(), stored.data(), stored.size(), foreign);
  EXPECT_NE(host, stored);
  // The code keeps its text order in every encoding.
  EXPECT_EQ(0, std::memcmp(stored.data() + 190, "EUR ", 4));
  table.DecodeData(table.NewInfo(), stored.data(), stored.size(), foreign);
  EXPECT_EQ(host, stored);
  std::vector<unsigned char> cut(host.begin(), host.end() - 1);
  EXPECT_CP_CODE(kSDBErrBadSize, table.DecodeData(table.NewInfo(), cut.data(), cut.size(), foreign));
  db.Close();
}

TEST_F(UserFactures, ChangingOrDeletingAListItemReachesTheDocuments) {
  CPResID dupont = AddClient("Dupont"), durand = AddClient("Durand");
  Facture f = Invoice(dupont, {{1, 10}});
  user_->AddFacture(f, nullptr);
  Str255 user;
  EXPECT_TRUE(user_->TiersIsUsed(dupont, user));
  EXPECT_EQ("F-0001", PToStd(user));
  EXPECT_TRUE(user_->TauxTVAIsUsed(normal_, user));
  // Merging Dupont into Durand moves the document to Durand.
  user_->RenameTiers(dupont, N("Durand"));
  Facture read;
  user_->GetFacture(1, &read);
  EXPECT_EQ(durand, CPResID(read.header.client));
  EXPECT_FALSE(user_->GetTiers().ResourceExists(dupont));
  // A rate deleted: the lines keep no rate, and count at 0 %.
  user_->TauxTVAToBeDeleted(normal_);
  user_->GetFacture(1, &read);
  EXPECT_EQ(0, CPResID(read.lignes[0].tauxTVA));
  EXPECT_DOUBLE_EQ(10.0, double(read.header.totalTTC));
}

TEST_F(UserFactures, ArticlesAreRenamedMergedAndFollowTheirLists) {
  VYXUserArticlesSet& articles = user_->GetArticles();
  Categorie travaux;
  CPResID cat = user_->GetCategories().GetUniqueID();
  user_->GetCategories().AddResource(cat, N("Travaux"), travaux);
  Article a;
  a.categorie = cat;
  a.tauxTVA = normal_;
  CPResID taille = articles.GetUniqueID();
  articles.AddResource(taille, N("Taille de haie"), a);
  CPResID elagage = articles.GetUniqueID();
  articles.AddResource(elagage, N("Élagage"), a);
  Str255 user;
  EXPECT_TRUE(user_->CategorieIsUsed(cat, user));
  EXPECT_EQ("Taille de haie", MacRomanToUtf8(PToStd(user)));
  EXPECT_FALSE(user_->ArticleIsUsed(taille, user));

  Facture f = Invoice(AddClient("Dupont"), {{1, 10}});
  f.lignes[0].article = taille;
  user_->AddFacture(f, nullptr);
  EXPECT_TRUE(user_->ArticleIsUsed(taille, user));
  EXPECT_EQ("F-0001", PToStd(user));
  user_->RenameArticle(taille, N("élagage"));  // another's name: the two merge
  EXPECT_FALSE(articles.ResourceExists(taille));
  Facture read;
  user_->GetFacture(1, &read);
  EXPECT_EQ(elagage, CPResID(read.lignes[0].article));
  user_->RenameArticle(elagage, N("Élagage"));  // its own name: nothing
  EXPECT_EQ((std::vector<std::string>{"Élagage"}), Names(articles));

  user_->CategorieToBeDeleted(cat);
  articles.GetResource(elagage, &a);
  EXPECT_EQ(0, CPResID(a.categorie));
  user_->ArticleToBeDeleted(elagage);
  user_->GetFacture(1, &read);
  EXPECT_EQ(0, CPResID(read.lignes[0].article));
}

TEST_F(UserFactures, AnOperationThatSettlesADocumentSettlesIt) {
  auto compte = NewCompte("Courant");
  Facture f = Invoice(AddClient("Dupont"), {{1, 100}});  // 119,60 with VAT
  int32_t id = 0;
  user_->AddFacture(f, &id);
  auto header = [&] {
    Facture read;
    user_->GetFacture(id, &read);
    return read.header;
  };

  Operation acompte;
  acompte.montant = 50;
  acompte.facture = f.header.header.dataID;
  VYXDataRef ref1 = 0;
  compte->AddOperation(acompte, &ref1);
  EXPECT_DOUBLE_EQ(50.0, double(header().sold));
  EXPECT_FALSE(header().soldee);
  CPResID compteID = 0;
  user_->GetNthCompte(1, &compteID);
  EXPECT_EQ(compteID, CPResID(header().compte));
  EXPECT_EQ(int32_t(acompte.header.dataID), int32_t(header().operation));

  Operation solde;
  solde.montant = 69.6;
  solde.status = kOpPrevue;
  solde.facture = f.header.header.dataID;
  VYXDataRef ref2 = 0;
  compte->AddOperation(solde, &ref2);
  EXPECT_DOUBLE_EQ(119.6, double(header().sold));
  EXPECT_TRUE(header().soldee);
  EXPECT_TRUE(header().prevu);
  EXPECT_EQ(int32_t(solde.header.dataID), int32_t(header().operation));
  EXPECT_FALSE(user_->CanDeleteCompte(compteID));

  // Deleting the payment shows the document unsettled, its link gone.
  compte->DeleteOperation(ref2);
  EXPECT_DOUBLE_EQ(50.0, double(header().sold));
  EXPECT_FALSE(header().soldee);
  EXPECT_EQ(0, int32_t(header().operation));
  // A changed amount counts for what it now is.
  Operation op;
  compte->GetOperation(ref1, &op);
  op.montant = 119.6;
  compte->ModifyOperation(ref1, op);
  EXPECT_TRUE(header().soldee);
  EXPECT_EQ(int32_t(acompte.header.dataID), int32_t(header().operation));

  // The account leaves the dossier: the document keeps what was paid, not the link.
  compte->Close();
  user_->RemoveCompte(compteID, true);
  EXPECT_EQ(0, CPResID(header().compte));
  EXPECT_EQ(0, int32_t(header().operation));
  EXPECT_DOUBLE_EQ(119.6, double(header().sold));
}

TEST_F(UserFactures, NumberingRecordsReadAsTheirDefaultsUntilWritten) {
  VYXUserFacturesPrefs prefs;
  user_->GetPrefs(&prefs);
  EXPECT_EQ(1, int32_t(prefs.facture.prochain));
  EXPECT_EQ("F\xC7" "aaaa\xC8-\xC7num4\xC8", PToStd(prefs.facture.format));
  prefs.facture.prochain = 7;
  prefs.tauxPenalites = 12.5;
  user_->SetPrefs(prefs);
  Reopen();
  VYXUserFacturesPrefs read;
  user_->GetPrefs(&read);
  EXPECT_EQ(7, int32_t(read.facture.prochain));
  EXPECT_DOUBLE_EQ(12.5, double(read.tauxPenalites));
  // Closing writes the records a file lacks: with their defaults.
  VYXUserAchatsPrefs achats;
  user_->GetPrefs(&achats);
  EXPECT_EQ("AC\xC7" "aaaa\xC8\xC7num4\xC8", PToStd(achats.pieces[0].format));
  EXPECT_TRUE(user_->GetPreferences().ResourceExists(kPrefAchats));
}

}  // namespace
