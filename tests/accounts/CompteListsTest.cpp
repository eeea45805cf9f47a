// Cheque books and the list items operations refer to: in use, replaced,
// cleared before a deletion, renamed and merged.
#include "VYXCompteTestSupport.h"

namespace {

class CompteLists : public CompteFixture {
 protected:
  void SetUp() override { compte_ = Create(); }
  VYXDataRef Add(Operation op) {
    VYXDataRef ref = 0;
    compte_->AddOperation(op, &ref);
    return ref;
  }
  std::string NextCheque(CPResID book) {
    Str255 text;
    EXPECT_TRUE(compte_->GetNextNoCheque(book, text));
    return MacRomanToUtf8(Text(text));
  }

  std::unique_ptr<VYXSDBCompte> compte_;
};

// ---- cheque books

TEST_F(CompteLists, ChequeBookProposesNumbersAndAsksWhenExhausted) {
  Chequier book;  // first 1000000, 50 cheques, next 1
  compte_->GetChequiers().AddResource(1, P("Chéquier"), book);
  EXPECT_EQ("1000000", NextCheque(1));
  SetText(book.prefix, "A");
  compte_->GetChequiers().AddResource(2, P("Chéquier A"), book);
  EXPECT_EQ("A000000", NextCheque(2));
  Str255 unused;
  EXPECT_FALSE(compte_->GetNextNoCheque(0, unused));
  EXPECT_FALSE(compte_->GetNextNoCheque(3, unused));

  struct Case {
    CPResID book;
    const char* text;
    int16_t index;  // 0: not a cheque of the book
  };
  const Case cases[] = {
      {1, "1000000", 1}, {1, "1000049", 50}, {1, "1000050", 0},
      {1, "0999999", 0}, {1, "10000a1", 0},  {2, "A000049", 50},
      {2, "A000050", 0}, {2, "B000001", 0},  {2, "A", 0},
  };
  for (const Case& c : cases) {
    Str255 text;
    StdToP(c.text, text);
    int16_t index = 0;
    EXPECT_EQ(c.index != 0, compte_->GetNoChequeIndex(c.book, text, &index)) << c.text;
    if (c.index) {
      EXPECT_EQ(c.index, index) << c.text;
    }
  }

  // The last cheque used: the user keeps the book, then deletes it.
  Str255 last;
  StdToP("A000049", last);
  user_.PushNo();
  compte_->MarkNoCheque(2, last);
  ASSERT_TRUE(compte_->GetChequiers().ReadResource(2, &book));
  EXPECT_EQ(51, V(book.next));
  // The prefix marks numbers, not the message that stands for none.
  EXPECT_EQ("Épuisé", NextCheque(2));
  ASSERT_EQ(1u, user_.Questions().size());
  EXPECT_NE(std::string::npos,
            MacRomanToUtf8(user_.Questions()[0]).find("« Chéquier A » est épuisé"));

  Mode cheque;
  cheque.chequierID = 2;
  compte_->GetModes().AddResource(5, P("Chèque"), cheque);
  EXPECT_TRUE(compte_->ChequierIsUsed(2));
  user_.PushYes();
  compte_->MarkNoCheque(2, last);
  EXPECT_FALSE(compte_->GetChequiers().ResourceExists(2));
  ASSERT_TRUE(compte_->GetModes().ReadResource(5, &cheque));
  EXPECT_EQ(0, V(cheque.chequierID));

  // A cheque given back is proposed again when it was the last one taken.
  Str255 sixth;
  StdToP("1000005", sixth);
  compte_->MarkNoCheque(1, sixth);
  EXPECT_EQ("1000006", NextCheque(1));
  compte_->UnmarkNoCheque(1, sixth);
  EXPECT_EQ("1000005", NextCheque(1));
}

TEST_F(CompteLists, ExhaustedBookProposesItsMessage) {
  Chequier book;
  book.next = 51;
  compte_->GetChequiers().AddResource(1, P("Vieux"), book);
  EXPECT_EQ("Épuisé", NextCheque(1));
}

TEST_F(CompteLists, ChequeNumberInUseIsFoundExactly) {
  Operation op = MakeOp("Plombier", -150);
  SetText(op.noCheque, "1000012");
  Add(op);
  Str255 text;
  StdToP("1000012", text);
  DataID key = 0;
  EXPECT_TRUE(compte_->NoChequeIsUsed(text, &key, 0));
  EXPECT_EQ(1u, key);
  EXPECT_FALSE(compte_->NoChequeIsUsed(text, &key, 1));  // the operation itself
  StdToP("100012", text);
  EXPECT_FALSE(compte_->NoChequeIsUsed(text, &key, 0));
}

// ---- list items

TEST_F(CompteLists, RenamingToAnExistingNameMergesTheItems) {
  CPResourceSet_T<Categorie>& cats = compte_->GetCategories();
  cats.AddResource(10, P("Loisirs"), Categorie());
  cats.AddResource(20, P("Sport"), Categorie());
  cats.AddResource(30, P("Santé"), Categorie());
  Operation op = MakeOp("Cinéma", -10);
  op.categorie = 10;
  VYXDataRef cinema = Add(op);
  op = MakeOp("Piscine", -4);
  op.categorie = 20;
  Add(op);
  op = MakeOp("Sortie", -60);
  op.categorie = 30;
  VYXDataRef sortie = Add(op);
  compte_->GetOperation(sortie, &op);
  SousOperation line(op);
  line.categorie = 10;
  line.montant = -25;
  compte_->AddSousOperation(sortie, line, nullptr);
  VYXCompteDefaultValues defaults;
  defaults.categorie = 10;
  compte_->SetDefaultValues(defaults);
  OpPredefinie pred;
  pred.categorie = 10;
  compte_->GetOpPredefinies().AddResource(1, P("Cinéma"), pred);
  OperationAuto autoOp;
  autoOp.categorie = 10;
  compte_->GetOpAutomatiques().AddResource(1, P("Abonnement"), autoOp);
  LibelleTelematique rule;
  rule.categorie = 10;
  compte_->GetLibelles().AddResource(1, P("UGC"), rule);

  EXPECT_TRUE(compte_->CategorieIsUsed(10));
  CompteSpy spy;
  compte_->AddListener(&spy);
  compte_->RenameCategorie(10, P("sport"));  // letter case aside, the name of 20

  EXPECT_FALSE(cats.ResourceExists(10));
  EXPECT_FALSE(compte_->CategorieIsUsed(10));
  compte_->GetOperation(cinema, &op);
  EXPECT_EQ(20, V(op.categorie));
  compte_->GetOperation(sortie, &op);
  EXPECT_EQ(30, V(op.categorie));
  VYXDataRef sousRef;
  ASSERT_TRUE(compte_->GetFirstSousOperation(op, &line, &sousRef));
  EXPECT_EQ(20, V(line.categorie));
  EXPECT_EQ(20, V(compte_->GetDefaultValues().categorie));
  ASSERT_TRUE(compte_->GetOpPredefinies().ReadResource(1, &pred));
  EXPECT_EQ(20, V(pred.categorie));
  ASSERT_TRUE(compte_->GetOpAutomatiques().ReadResource(1, &autoOp));
  EXPECT_EQ(20, V(autoOp.categorie));
  ASSERT_TRUE(compte_->GetLibelles().ReadResource(1, &rule));
  EXPECT_EQ(20, V(rule.categorie));
  // One bulk change for listeners; the sums did not move.
  ASSERT_FALSE(spy.codes.empty());
  EXPECT_EQ(kVYXCompteStartBulk, spy.codes.front());
  EXPECT_EQ(kVYXCompteEndBulk, spy.codes.back());
  EXPECT_DOUBLE_EQ(-74, V(compte_->GetSumsValues().montant[kOpEngagee]));

  // A free name renames; the item's own name changes nothing.
  compte_->RenameCategorie(20, P("Sports"));
  Str255 name;
  cats.GetResourceName(20, name);
  EXPECT_EQ("Sports", Text(name));
  size_t heard = spy.codes.size();
  compte_->RenameCategorie(20, P("Sports"));
  EXPECT_EQ(heard, spy.codes.size());

  compte_->Close();
  compte_ = Open();
  compte_->GetOperation(cinema, &op);
  EXPECT_EQ(20, V(op.categorie));
}

TEST_F(CompteLists, ItemsAboutToGoLoseEveryReference) {
  compte_->GetTVAs().AddResource(3, P("Normal"), TauxTVA());
  compte_->GetModes().AddResource(4, P("Virement"), Mode());
  compte_->GetTargets().AddResource(5, P("Livret A"), CompteTarget());
  Operation op = MakeOp("Achat", -119.6);
  op.tva = 3;
  op.mode = 4;
  op.virementId = 5;
  VYXDataRef ref = Add(op);
  VYXCompteDefaultValues defaults;
  defaults.tvaDep = 3;
  defaults.tvaRec = 3;
  defaults.mode = 4;
  compte_->SetDefaultValues(defaults);
  Mode transfer;
  transfer.virementID = 5;
  compte_->GetModes().AddResource(6, P("Transfert"), transfer);

  struct Case {
    VYXCompteList list;
    CPResID id;
  };
  for (const Case& c :
       {Case{kVYXListTauxTVA, 3}, Case{kVYXListModes, 4}, Case{kVYXListTargets, 5}}) {
    EXPECT_TRUE(compte_->ListItemIsUsed(c.list, c.id)) << c.list;
    compte_->ListItemToBeDeleted(c.list, c.id);
    EXPECT_FALSE(compte_->ListItemIsUsed(c.list, c.id)) << c.list;
  }
  compte_->GetOperation(ref, &op);
  EXPECT_EQ(0, V(op.tva));
  EXPECT_EQ(0, V(op.mode));
  EXPECT_EQ(0, V(op.virementId));
  EXPECT_EQ(0, V(compte_->GetDefaultValues().tvaDep));
  EXPECT_EQ(0, V(compte_->GetDefaultValues().tvaRec));
  EXPECT_EQ(0, V(compte_->GetDefaultValues().mode));
  ASSERT_TRUE(compte_->GetModes().ReadResource(6, &transfer));
  EXPECT_EQ(0, V(transfer.virementID));
  // The amount and VAT weigh as before: only references moved.
  EXPECT_DOUBLE_EQ(-119.6, V(compte_->GetSumsValues().montant[kOpEngagee]));
}

TEST_F(CompteLists, AdditionsToSharedListsAreAnnounced) {
  CompteSpy spy;
  compte_->AddListener(&spy);
  compte_->GetAffectations().AddResource(1, P("Pro"), Affectation());
  compte_->GetModes().AddResource(1, P("Carte"), Mode());
  compte_->GetTVAs().AddResource(1, P("Réduit"), TauxTVA());
  compte_->GetTiers().AddResource(1, P("EDF"), UserTiers());
  compte_->GetAffaires().AddResource(1, P("Travaux"), UserAffaire());
  compte_->GetChequiers().AddResource(1, P("Chéquier"), Chequier());  // not shared
  EXPECT_EQ(
      (std::vector<uint32_t>{kVYXCompteAffectationAdded, kVYXCompteModeAdded,
                             kVYXCompteTauxTVAAdded, kVYXCompteTiersAdded, kVYXCompteAffaireAdded}),
      spy.codes);
}

}  // namespace
