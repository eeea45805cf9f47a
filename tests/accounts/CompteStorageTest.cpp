// The account file: what a new one holds, what comes back after closing,
// files written big-endian, the checks of opening (version, password, sums,
// conversion flag) and that a refused opening leaves the file untouched.
#include <fstream>
#include <set>

#include "VYXCompteTestSupport.h"
#include "accounts/VYXCompteErrors.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBFastAdd.h"

namespace {

using CompteStorage = CompteFixture;

TEST_F(CompteStorage, NewFileHoldsOneInformationRecordAndEmptyTables) {
  Create()->Close();
  CPSimpleDBFile file(fileRef_);
  file.Open(1, false, true);
  EXPECT_EQ(kVYXCompteFileType, file.GetHeader().type);
  EXPECT_EQ("vyx_cpt1", file.GetHeader().Signature());
  EXPECT_EQ(1u, file.GetHeader().contentVersion);
  {
    VYXSDBCompteInfosHandler infos(&file);
    VYXSDBOperationHandler ops(&file);
    VYXSDBSousOperationHandler lines(&file);
    CompteInfos stored;
    ASSERT_TRUE(infos.Read(&stored));
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum refnum;
    ASSERT_TRUE(infos.GetFirstData(&info, &refnum));
    EXPECT_EQ(OSType('bina'), info.format);
    EXPECT_FALSE(infos.GetNextData(&info, &refnum));
    EXPECT_EQ(0, stored.fileVersion);
    EXPECT_EQ(OSType('EUR '), V(stored.devise));
    EXPECT_TRUE(stored.autoGenerate && stored.compteTVA && stored.compteNoPiece);
    EXPECT_FALSE(stored.reload);  // the opening that followed the creation did the reload
    EXPECT_EQ(CPClock::Now(), V(stored.lastReloadDate));
    EXPECT_FALSE(ops.GetFirstData(&info, &refnum));
    EXPECT_FALSE(lines.GetFirstData(&info, &refnum));
  }
  file.Close();
  EXPECT_EQ(1, supervisor_.checks);
  EXPECT_CP_CODE(dupFNErr, Create());
}

TEST_F(CompteStorage, ClosingAndReopeningGivesBackEverything) {
  auto compte = Create();
  compte->GetCategories().AddResource(11, P("Loisirs"), Categorie());
  compte->GetTiers().AddResource(12, P("Cinéma Rex"), UserTiers());
  Chequier book;
  book.next = 7;
  compte->GetChequiers().AddResource(13, P("Chéquier 1"), book);
  VYXCompteDefaultValues defaults;
  defaults.categorie = 11;
  defaults.status = kOpPrevue;
  compte->SetDefaultValues(defaults);
  std::vector<unsigned char> banque(650, 0);
  banque[0] = 5;
  std::memcpy(banque.data() + 1, "CCP75", 5);
  compte->SetBanqueInfos(banque.data(), uint32_t(banque.size()));
  compte->SetPassword(M("Secret"));
  supervisor_.lastPassword = M("Secret");

  struct Want {
    std::string label;
    double montant;
    OpStatus status;
    std::vector<double> lines;
  };
  const std::vector<Want> wants = {
      {"Séance", -9.5, kOpPointee, {}},
      {"Salaire", 2100, kOpEngagee, {}},
      {"Courses", -80, kOpPrevue, {-50, -30}},
  };
  for (const Want& w : wants) {
    Operation op = MakeOp(w.label, w.montant, w.status);
    op.categorie = 11;
    op.tiers = 12;
    SetText(op.noCheque, "1000006");
    VYXDataRef ref;
    compte->AddOperation(op, &ref);
    for (double amount : w.lines) {
      SousOperation line(op);
      line.montant = amount;
      SetText(line.libelle, M("Part"));
      compte->AddSousOperation(ref, line, nullptr);
      compte->GetOperation(ref, &op);
    }
  }
  compte->SetLockDate(CPGetDate(31, 12, 2023));
  MontantSet sums = compte->GetSumsValues();
  compte->Close();

  compte = Open();
  EXPECT_EQ(0u, user_.Questions().size());
  EXPECT_EQ(3u, compte->GetNbOfOperations());
  for (int s = 0; s < kOpStatusCount; ++s) {
    EXPECT_DOUBLE_EQ(V(sums.montant[s]), V(compte->GetSumsValues().montant[s]));
  }
  Operation op;
  VYXDataRef ref;
  size_t i = 0;
  for (bool more = compte->GetFirstOperation(&op, &ref); more;
       more = compte->GetNextOperation(&op, &ref), ++i) {
    ASSERT_LT(i, wants.size());
    EXPECT_EQ(wants[i].label, MacRomanToUtf8(Text(op.libelle)));
    EXPECT_EQ(wants[i].montant, V(op.montant));
    EXPECT_EQ(wants[i].status, op.status);
    EXPECT_EQ(11, V(op.categorie));
    EXPECT_EQ(12, V(op.tiers));
    EXPECT_EQ("1000006", Text(op.noCheque));
    EXPECT_EQ(DataID(2 * i + 1), V(op.header.dataID));  // keys two apart
    std::vector<double> lines;
    SousOperation line;
    VYXDataRef sousRef;
    for (bool l = compte->GetFirstSousOperation(op, &line, &sousRef); l;
         l = compte->GetNextSousOperation(op, &line, &sousRef)) {
      lines.push_back(V(line.montant));
      EXPECT_EQ("Part", Text(line.libelle));
    }
    EXPECT_EQ(wants[i].lines, lines);
    EXPECT_EQ(int(lines.size()), V(op.sousOpsNbr));
  }
  EXPECT_EQ(3u, i);
  Operation found;
  ASSERT_TRUE(compte->FindOperation(3, &found, &ref));
  EXPECT_EQ("Salaire", Text(found.libelle));
  ASSERT_TRUE(compte->GetNthOperation(3, &found, &ref));
  EXPECT_EQ("Courses", Text(found.libelle));

  Str255 name;
  compte->GetCategories().GetResourceName(11, name);
  EXPECT_EQ("Loisirs", Text(name));
  compte->GetTiers().GetResourceName(12, name);
  EXPECT_EQ("Cinéma Rex", MacRomanToUtf8(Text(name)));
  ASSERT_TRUE(compte->GetChequiers().ReadResource(13, &book));
  EXPECT_EQ(7, V(book.next));
  EXPECT_EQ(11, V(compte->GetDefaultValues().categorie));
  EXPECT_EQ(kOpPrevue, compte->GetDefaultValues().status);
  EXPECT_EQ(banque, compte->GetPrefs().GetRecord(kVYXBanqueInfosID));
  EXPECT_EQ(CPGetDate(31, 12, 2023), compte->GetLockDate());
  EXPECT_EQ(M("Secret"), compte->GetPassword());
  EXPECT_EQ("Courant", compte->GetName());
}

// A file written by a big-endian machine: every record in that byte order.
TEST_F(CompteStorage, BigEndianFileReadsTheSame) {
  CompteInfos infos;
  infos.devise = 'CHF ';
  infos.total.montant[kOpEngagee] = -123.25;
  infos.nbOfOperations = 1;
  infos.autoIncrement = 8;
  infos.lockDate = CPGetDate(1, 1, 2020);
  Operation op = MakeOp("Facture électricité", -123.25, kOpEngagee, CPGetDate(3, 2, 2024));
  op.header.dataID = 7;
  op.sousOpsNbr = 1;
  op.montantSousOp = -100;
  op.categorie = 21;
  op.deviseOrigine = 'CHF ';
  SousOperation line(op);
  line.header.dataID = 1;
  line.montant = -100;
  SetText(line.libelle, M("Abonnement"));
  Categorie energie;
  energie.objectif = 1200;
  energie.type = kCategorieDepense;
  VYXCompteDefaultValues defaults;
  defaults.categorie = 21;
  defaults.mois = 3;
  {
    CPSimpleDBFullMemoryFile file(fileRef_);
    Str255 signature;
    StdToP("vyx_cpt1", signature);
    file.Create('VyxP', 'CPT5', signature, 1, false);
    {
      VYXSDBCompteInfosHandler infosTable(&file);
      VYXSDBOperationHandler ops(&file);
      VYXSDBSousOperationHandler lines(&file);
      CPSimpleDBDataInfo info = infosTable.NewInfo();
      CPSimpleDBRefnum refnum;
      infosTable.AddData(&info, CPMacPowerPCEncoding, infos, &refnum);
      info = ops.NewInfo();
      ops.AddData(&info, CPMacPowerPCEncoding, op, &refnum);
      info = lines.NewInfo();
      lines.AddData(&info, CPMacPowerPCEncoding, line, &refnum);
      CPSimpleDBResourceStorage storage(&file, kVYXCompteStorageID);
      CPResourceSet_T<Categorie> categories(storage, 'CATE');
      energie.Encode(CPMacPowerPCEncoding);
      categories.AddResource(21, CPMacPowerPCEncoding, P("Énergie"), &energie, sizeof energie);
      CPResourceSet prefs(storage, 'PREF', kCPVariableSize);
      defaults.Encode(CPMacPowerPCEncoding);
      prefs.AddResource(kVYXCompteDefaultValuesID, CPMacPowerPCEncoding, P("Valeurs"), &defaults,
                        sizeof defaults);
    }
    file.Close();
  }
  auto compte = Open();
  EXPECT_EQ(0u, user_.Questions().size());
  EXPECT_EQ(OSType('CHF '), compte->GetCompteDevise());
  EXPECT_EQ(CPGetDate(1, 1, 2020), compte->GetLockDate());
  Operation read;
  VYXDataRef ref;
  ASSERT_TRUE(compte->FindOperation(7, &read, &ref));
  EXPECT_EQ("Facture électricité", MacRomanToUtf8(Text(read.libelle)));
  EXPECT_EQ(-123.25, V(read.montant));
  EXPECT_EQ(CPGetDate(3, 2, 2024), V(read.date));
  EXPECT_EQ(OSType('CHF '), V(read.deviseOrigine));
  EXPECT_EQ(21, V(read.categorie));
  SousOperation readLine;
  VYXDataRef sousRef;
  ASSERT_TRUE(compte->GetFirstSousOperation(read, &readLine, &sousRef));
  EXPECT_EQ(-100.0, V(readLine.montant));
  EXPECT_EQ("Abonnement", Text(readLine.libelle));
  Categorie c;
  ASSERT_TRUE(compte->GetCategories().ReadResource(21, &c));
  EXPECT_EQ(1200.0, V(c.objectif));
  EXPECT_EQ(21, V(compte->GetDefaultValues().categorie));
  EXPECT_EQ(3, V(compte->GetDefaultValues().mois));
  EXPECT_DOUBLE_EQ(-123.25, V(compte->GetSumsValues().montant[kOpEngagee]));

  // The next key comes after the file's counter, whatever order wrote it.
  Operation next = MakeOp("Suite", -1);
  next.datePointe = next.date;  // the file has a lock date
  compte->AddOperation(next, nullptr);
  EXPECT_EQ(9u, V(next.header.dataID));
}

// ---- checks of opening

TEST_F(CompteStorage, SumsSlightlyOffAreMendedSilentlyOthersAsk) {
  auto compte = Create();
  for (Operation op : {MakeOp("Salaire", 1500, kOpPointee), MakeOp("Loyer", -600)}) {
    compte->AddOperation(op, nullptr);
  }
  compte->Close();

  struct Case {
    const char* what;
    double drift;
    int countDrift;
    bool asked;
  };
  const Case cases[] = {
      {"off by 0.05", 0.05, 0, false},
      {"off by 0.2", 0.2, 0, true},
      {"count off by one", 0, 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditInfos([&](CompteInfos& i) {
      i.total.montant[kOpPointee] = double(i.total.montant[kOpPointee]) + c.drift;
      i.nbOfOperations = uint16_t(i.nbOfOperations + c.countDrift);
    });
    std::string before = FileBytes();
    if (c.asked) {
      user_.PushNo();
      EXPECT_CP_CODE(0, Open());
      EXPECT_EQ(before, FileBytes());
      EXPECT_NE(std::string::npos, MacRomanToUtf8(user_.Questions().back()).find("« Courant »"));
      user_.PushYes();
    }
    size_t asked = user_.Questions().size();
    compte = Open();
    EXPECT_EQ(asked + (c.asked ? 1 : 0), user_.Questions().size());
    EXPECT_DOUBLE_EQ(1500, V(compte->GetSumsValues().montant[kOpPointee]));
    EXPECT_EQ(2u, compte->GetNbOfOperations());
    compte->Close();
    EXPECT_DOUBLE_EQ(1500, V(StoredInfos().total.montant[kOpPointee]));
    EXPECT_EQ(2, V(StoredInfos().nbOfOperations));
  }
  EXPECT_TRUE(user_.Unexpected().empty());
  EXPECT_GT(user_.ProgressRuns(), 0);
}

TEST_F(CompteStorage, RefusedOpeningsLeaveTheFileUntouched) {
  Create()->Close();
  struct Case {
    const char* what;
    std::function<void(CompteInfos&)> edit;
    std::function<void()> script;
    int16_t code;
    const char* says;
  };
  const Case cases[] = {
      {"unknown version", [](CompteInfos& i) { i.fileVersion = 1; }, [] {}, kVYXErrCompteVersion,
       "version du format"},
      {"password cancelled",
       [](CompteInfos& i) {
         i.fileVersion = 0;
         Str255 p;
         StdToP("Secret", p);
         i.SetPassWord(p);
       },
       [&] { user_.PushCancel(); }, 0, ""},
      {"password wrong twice", [](CompteInfos&) {},
       [&] {
         user_.PushText("secrte");
         user_.PushText("sesame");
       },
       0, ""},
      {"password scrambled by an unknown version", [](CompteInfos& i) { i.crypt = 9; }, [] {}, 0,
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EditInfos(c.edit);
    c.script();
    std::string before = FileBytes();
    auto compte = std::make_unique<VYXSDBCompte>(supervisor_, fileRef_);
    try {
      compte->ICompte(false, true, false);
      ADD_FAILURE() << "opened";
    } catch (const CPException& e) {
      EXPECT_EQ(c.code, e.Code());
      EXPECT_NE(std::string::npos, MacRomanToUtf8(e.Message()).find(c.says));
    }
    EXPECT_FALSE(compte->IsOpen());
    compte.reset();
    EXPECT_EQ(before, FileBytes());
  }
  EXPECT_EQ(1, supervisor_.checks);  // only the creation got as far
  EXPECT_EQ(3u, user_.Questions().size());
  ASSERT_FALSE(user_.Alerts().empty());
  EXPECT_NE(std::string::npos, MacRomanToUtf8(user_.Alerts().back()).find("incorrect"));
}

TEST_F(CompteStorage, PasswordIsAskedOnceAndRememberedForTheSession) {
  auto compte = Create();
  compte->SetPassword(M("Été"));
  compte->Close();

  user_.PushText(M("ete"));  // case and accents do not count
  compte = Open();
  EXPECT_EQ(1u, user_.Questions().size());
  EXPECT_NE(std::string::npos, MacRomanToUtf8(user_.Questions()[0]).find("« Courant »"));
  EXPECT_EQ(M("ete"), supervisor_.lastPassword);
  compte->Close();
  compte = Open();  // the session's last password opens it without a question
  EXPECT_EQ(1u, user_.Questions().size());
}

TEST_F(CompteStorage, ConvertedFlagIsKeptOrClearedAsTheUserSays) {
  Create()->Close();
  for (bool keep : {true, false}) {
    EditInfos([](CompteInfos& i) { i.converted = 1; });
    keep ? user_.PushYes() : user_.PushNo();
    Open()->Close();
    EXPECT_EQ(keep, StoredInfos().converted != 0);
  }
  EXPECT_NE(std::string::npos, MacRomanToUtf8(user_.Questions().back()).find("converti"));
}

TEST_F(CompteStorage, OtherFilesAreNotAccounts) {
  {
    CPSimpleDBFile file(fileRef_);
    Str255 signature;
    StdToP("vyx_grp1", signature);
    file.Create('VyxP', 'USR5', signature, 1, false);
    file.Close();
  }
  std::string before = FileBytes();
  EXPECT_CP_CODE(kVYXErrCompteDamaged, Open());
  EXPECT_EQ(before, FileBytes());
  EXPECT_CP_CODE(fnfErr,
                 (VYXSDBCompte(supervisor_, dir_.Ref("Absent.cpt")).ICompte(false, true, false)));
}

// The file as a writer that died left it: still marked open. The checks
// are made again once the writer's opening has repaired it.
TEST_F(CompteStorage, FileOfAWriterThatDiedOpensWithItsOperations) {
  auto compte = Create();
  Operation op = MakeOp("Salaire", 1800, kOpPointee);
  compte->AddOperation(op, nullptr);
  std::string whileOpen = FileBytes();
  compte->Close();
  {
    std::ofstream out(fileRef_.Path(), std::ios::binary | std::ios::trunc);
    out << whileOpen;
  }
  compte = Open();
  EXPECT_EQ(1u, compte->GetNbOfOperations());
  EXPECT_DOUBLE_EQ(1800, V(compte->GetSumsValues().montant[kOpPointee]));
  EXPECT_TRUE(compte->FindOperation(1, &op, nullptr));
  EXPECT_TRUE(user_.Questions().empty());
}

// ---- keys

// The counter is 16-bit and keys are drawn two apart: near its end the
// account takes the smallest key no operation has, never one in use.
TEST_F(CompteStorage, KeyCounterNearItsEndNeverReusesAKey) {
  auto compte = Create();
  std::vector<DataID> keys;
  for (const char* label : {"Un", "Deux", "Trois"}) {
    Operation op = MakeOp(label, -1);
    compte->AddOperation(op, nullptr);
    keys.push_back(V(op.header.dataID));
  }
  EXPECT_EQ((std::vector<DataID>{1, 3, 5}), keys);
  compte->Close();
  EditInfos([](CompteInfos& i) { i.autoIncrement = 65531; });

  compte = Open();
  for (int i = 0; i < 4; ++i) {
    Operation op = MakeOp("Suite", -1);
    compte->AddOperation(op, nullptr);
    keys.push_back(V(op.header.dataID));
  }
  EXPECT_EQ((std::vector<DataID>{1, 3, 5, 65532, 65534, 2, 4}), keys);
  EXPECT_EQ(65535, compte->GetInformations().autoIncrement);

  // A key freed by a deletion is the next one given.
  VYXDataRef ref;
  Operation op;
  ASSERT_TRUE(compte->FindOperation(3, &op, &ref));
  compte->DeleteOperation(ref);
  op = MakeOp("Encore", -1);
  compte->AddOperation(op, nullptr);
  EXPECT_EQ(3u, V(op.header.dataID));
  // One kept on purpose must be free: a key in use is replaced.
  op = MakeOp("Copie", -1);
  op.header.dataID = 65532;
  compte->AddOperation(op, nullptr, true);
  EXPECT_EQ(6u, V(op.header.dataID));
  compte->Close();

  compte = Open();
  std::set<DataID> seen;
  for (bool more = compte->GetFirstOperation(&op, &ref); more;
       more = compte->GetNextOperation(&op, &ref)) {
    EXPECT_TRUE(seen.insert(V(op.header.dataID)).second) << op.header.dataID;
  }
  EXPECT_EQ(8u, seen.size());
}

// Every key taken: the new operation is refused with a clear message. The
// operations are written straight into the file, as a full account would
// hold them.
TEST_F(CompteStorage, FullAccountRefusesANewOperation) {
  Create()->Close();
  {
    CPSimpleDBFullMemoryFile file(fileRef_);
    file.Open(1, false, false);
    {
      VYXSDBOperationHandler ops(&file);
      CPSimpleDBFastAdd batch(&ops, kVYXOperationsTable);
      Operation op = MakeOp("", 0);
      for (DataID key = 1; key <= kVYXMaxOperationKey; ++key) {
        op.header.dataID = key;
        CPSimpleDBDataInfo info = ops.NewInfo();
        CPSimpleDBRefnum refnum;
        batch.AddData(&info, CPHostEncoding, &op, sizeof op, &refnum);
      }
    }
    file.Close();
  }
  EditInfos([](CompteInfos& i) {
    i.nbOfOperations = uint16_t(kVYXMaxOperationKey);
    i.autoIncrement = uint16_t(kVYXMaxOperationKey);
  });
  auto compte = Open();
  EXPECT_EQ(65535u, compte->GetNbOfOperations());
  Operation op = MakeOp("De trop", -1);
  try {
    compte->AddOperation(op, nullptr);
    ADD_FAILURE() << "added";
  } catch (const CPException& e) {
    EXPECT_EQ(kVYXErrCompteFull, e.Code());
    EXPECT_NE(std::string::npos, MacRomanToUtf8(e.Message()).find("65 535"));
  }
  EXPECT_EQ(65535u, compte->GetNbOfOperations());
}

}  // namespace
