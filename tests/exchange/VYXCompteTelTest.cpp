// Recording statement lines in the account's statement data file: which
// lines are new, the last loaded date, the file's lines and markers.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "VYXTelTestSupport.h"
#include "foundation/CPDates.h"

namespace {

using Tel = TelFixture;

const std::string kMarch = OFXStatement({{"20240301", "-45.30", "EDF", "F1"},
                                         {"20240305", "-12.00", "BOULANGERIE", "F2"},
                                         {"20240305", "1500.00", "SALAIRE", "F3"}});

TEST_F(Tel, LoadingTheSameStatementTwiceAddsNothing) {
  VYXLoadReport first = LoadText("mars.ofx", kMarch);
  EXPECT_EQ(3, first.read);
  EXPECT_EQ(3, first.added);
  EXPECT_EQ(CPGetDate(5, 3, 2024), first.lastDate);
  EXPECT_EQ(CPGetDate(5, 3, 2024), tel_->GetLastDate());
  const std::string before = DataFile();
  const std::string account = FileBytes();
  VYXLoadReport again = LoadText("mars.ofx", kMarch);
  EXPECT_EQ(0, again.added);
  EXPECT_EQ(3, again.held);
  EXPECT_EQ(before, DataFile());
  EXPECT_EQ(account, FileBytes());
  EXPECT_EQ(3u, tel_->LoadData(false).size());
}

TEST_F(Tel, ALinePostedLateIsLoadedOnce) {
  LoadText("mars.ofx", kMarch);
  // The bank's next file repeats two lines and brings one dated before the
  // last loaded date, which it had not given yet.
  std::string next = OFXStatement({{"20240305", "-12.00", "BOULANGERIE", "F2"},
                                   {"20240304", "-9.90", "PHARMACIE", "F4"},
                                   {"20240308", "-30.00", "ESSENCE", "F5"}});
  VYXLoadReport r = LoadText("suite.ofx", next);
  EXPECT_EQ(1, r.held);
  EXPECT_EQ(2, r.added);
  EXPECT_EQ(CPGetDate(8, 3, 2024), r.lastDate);
  EXPECT_EQ(0, LoadText("suite.ofx", next).added);
  EXPECT_EQ(5u, tel_->Items().size());
}

TEST_F(Tel, LinesWithoutIdentifierAreToldApartByDateAmountAndLabel) {
  const std::string qif =
      "!Type:Bank\nD05/03/2024\nT-2.10\nPCAFE\n^\nD05/03/2024\nT-2.10\nPCAFE\n^\n";
  EXPECT_EQ(2, LoadText("a.qif", qif).added);  // two coffees of one day
  // The same day again, with a third coffee the bank had not posted.
  VYXLoadReport r = LoadText(
      "b.qif", qif + "D05/03/2024\nT-2.10\nPCAFE\n^\nD05/03/2024\nT-2.20\nPCAFE\n^\n");
  EXPECT_EQ(2, r.held);
  EXPECT_EQ(2, r.added);
}

TEST_F(Tel, MovingTheLastDateBackLoadsTheLastDayAgain) {
  LoadText("mars.ofx", kMarch);
  tel_->DoUserLastDateBackOneDay();
  EXPECT_EQ(CPGetDate(4, 3, 2024), tel_->GetLastDate());
  VYXLoadReport r = LoadText("mars.ofx", kMarch);
  EXPECT_EQ(1, r.held);
  EXPECT_EQ(2, r.added);
  tel_->DoUserInitLastDate();
  EXPECT_EQ(0u, tel_->GetLastDate());
  EXPECT_EQ(3, LoadText("mars.ofx", kMarch).added);
}

TEST_F(Tel, TheDataFileKeepsLinesTheirStatesAndOtherLines) {
  LoadText("mars.ofx", kMarch);
  std::vector<VYXInternetDataItem>& items = tel_->Items();
  items[0].setAside = items[0].done = true;
  items[1].done = true;
  tel_->SaveData();
  EXPECT_EQ(
      "OPER\t01/03/24\t(EDF)\t-45,30\t\t\tF1\r"
      "OPER\t05/03/24\t{BOULANGERIE}\t-12,00\t\t\tF2\r"
      "OPER\t05/03/24\tSALAIRE\t1 500,00\t\t\tF3\r",
      DataFile());

  // A file written elsewhere: codes backwards, a line vyx does not know,
  // a card line charged two months ago and another charged yesterday.
  std::filesystem::path path = VYXReleveFile::ForCompte(fileRef_).Path();
  std::ofstream(path, std::ios::binary)
      << "REPO\t01/03/24\tEDF\t-45,30\t\t\r"
      << "NOTE\tgarder cette ligne\r"
      << "DLOS\t10/03/24\t1 234,56\r"
      << "BCCE\t12/01/24\tFNAC\t-23,40\t[4970101234561234]\t\r"
      << "ECCB\t14/03/24\tFNAC\t-10,00\t[4970101234561234]\t\r"
      << "ECCB\t14/03/24\t{AMAZON}\t-5,00\t4970101234561234\t\r";
  tel_->ReadData();
  ASSERT_EQ(4u, tel_->Items().size());
  EXPECT_EQ(kVYXLineOperation, tel_->Items()[0].kind);
  EXPECT_EQ(1, tel_->Items()[0].number);
  EXPECT_EQ(4, tel_->Items()[1].number);
  EXPECT_TRUE(tel_->Items()[1].done);      // charged 62 days ago
  EXPECT_FALSE(tel_->Items()[2].done);     // charged, but recent
  EXPECT_TRUE(tel_->Items()[3].validated);
  ASSERT_EQ(1u, tel_->GetSoldes().size());
  EXPECT_DOUBLE_EQ(1234.56, tel_->GetSoldes()[0].montant);
  EXPECT_TRUE(tel_->LoadData(true).empty());  // not charged and not decided: none
  EXPECT_EQ(1u, tel_->LoadData(false).size());
  tel_->SaveData();
  EXPECT_EQ(
      "OPER\t01/03/24\tEDF\t-45,30\t\t\r"
      "NOTE\tgarder cette ligne\r"
      "SOLD\t10/03/24\t1 234,56\r"
      "ECCB\t12/01/24\tFNAC\t-23,40\t[4970101234561234]\t\r"
      "ECCB\t14/03/24\tFNAC\t-10,00\t[4970101234561234]\t\r"
      "ECCB\t14/03/24\t{AMAZON}\t-5,00\t4970101234561234\t\r",
      DataFile());
}

TEST_F(Tel, ALineOfTheDataFileThatDoesNotReadIsNamed) {
  std::filesystem::path path = VYXReleveFile::ForCompte(fileRef_).Path();
  std::ofstream(path, std::ios::binary) << "OPER\t01/03/24\tEDF\t-45,30\r"
                                        << "OPER\t31/02/24\tEDF\t-45,30\r";
  std::string message;
  try {
    tel_->ReadData();
  } catch (const CPException& e) {
    message = e.what();
  }
  EXPECT_EQ("Ligne 2 du fichier des relevés « Courant.releves » : « 31/02/24 » n'est pas une date.",
            message);
}

TEST_F(Tel, AFailedWriteLeavesTheDataFileAsItWas) {
  LoadText("mars.ofx", kMarch);
  const std::string before = DataFile();
  // Where the new file would be written, a folder stands.
  std::filesystem::path temp = VYXReleveFile::ForCompte(fileRef_).Path();
  temp += ".tmp";
  std::filesystem::create_directory(temp);
  tel_->Items()[0].setAside = true;
  EXPECT_THROW(tel_->SaveData(), CPException);
  EXPECT_EQ(before, DataFile());
  std::filesystem::remove(temp);
  std::string more = OFXStatement({{"20240310", "-1.00", "X", "F9"}});
  CPFileRef file = dir_.Ref("more.ofx");
  std::ofstream(file.Path(), std::ios::binary) << more;
  std::filesystem::create_directory(temp);
  EXPECT_THROW(tel_->LoadBanqueFile(file, {}), CPException);
  EXPECT_EQ(before, DataFile());
  EXPECT_EQ(CPGetDate(5, 3, 2024), tel_->GetLastDate());  // not moved on
}

TEST_F(Tel, StatementsOfSeveralAccountsNeedTheAccountsNumber) {
  std::string two = OFXStatement({{"20240301", "-1", "A", "1"}}, "111");
  two.insert(two.find("</BANKMSGSRSV1>"),
             "<STMTTRNRS>\n<STMTRS>\n<BANKACCTFROM>\n<ACCTID>222\n</BANKACCTFROM>\n"
             "<BANKTRANLIST>\n<STMTTRN>\n<DTPOSTED>20240302\n<TRNAMT>-2\n<FITID>2\n<NAME>B\n"
             "</STMTTRN>\n</BANKTRANLIST>\n</STMTRS>\n</STMTTRNRS>\n");
  std::string message;
  try {
    LoadText("deux.ofx", two);
  } catch (const CPException& e) {
    message = e.what();
  }
  EXPECT_EQ("Ce fichier contient les relevés de plusieurs comptes (111, 222) : dites lequel est "
            "celui de ce compte avec --identifiant.",
            message);
  EXPECT_EQ("", DataFile());
  VYXLoadOptions options;
  options.accountId = "222";
  VYXLoadReport r = LoadText("deux.ofx", two, options);
  EXPECT_EQ(1, r.added);
  EXPECT_EQ(1, r.otherAccount);
  // The number stays with the account.
  tel_->DoUserInitLastDate();
  r = LoadText("deux.ofx", two);
  EXPECT_EQ(1, r.added);
  EXPECT_EQ(1, r.otherAccount);
}

TEST_F(Tel, FilesThatAreNoStatementAreRefused) {
  struct Case {
    const char* name;
    std::string text;
    std::string message;
  } cases[] = {
      {"vide.qif", "", "Le fichier « vide.qif » est vide."},
      {"lettre.txt", "Cher client,\nvoici votre relevé.\n",
       "Le fichier « lettre.txt » n'est pas un relevé que vyx sait lire (QIF, OFX, CFONB 120 ou CSV)."},
  };
  for (const Case& c : cases) {
    std::string message;
    try {
      LoadText(c.name, c.text);
    } catch (const CPException& e) {
      message = e.what();
    }
    EXPECT_EQ(c.message, message) << c.name;
  }
  EXPECT_FALSE(std::filesystem::exists(VYXReleveFile::ForCompte(fileRef_).Path()));
}

}  // namespace
