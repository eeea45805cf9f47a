// Opening balances that follow another account of the dossier: taken from
// its closing balances at each opening (from the account itself when it is
// open), found again when the dossier's folder moves or the user says where
// the file went, kept as they were when it cannot be found; the account
// itself and a loop are refused; unlinked, the balances stay.
#include <gtest/gtest.h>

#include <filesystem>

#include "accounts/VYXSDBCompte.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace {

namespace fs = std::filesystem;

class UserReportLink : public UserFileTest {
 protected:
  std::unique_ptr<VYXSDBCompte> Open(const std::string& name, bool create = false) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(dir_.Path()), name);
    auto compte = std::make_unique<VYXSDBCompte>(*user_, file);
    compte->ICompte(create, true, false);
    if (create) user_->AddCompte(file);
    user_->CompteOpened(*compte);
    return compte;
  }
  // "Epargne 2023": opening balances of 100 cleared, then -10 committed and
  // +50 cleared; closed again.
  void MakeLastYear() {
    auto last = Open("Epargne 2023", true);
    MontantSet report;
    report.montant[kOpPointee] = 100;
    last->SetReportValues(report);
    Operation a, b;
    a.montant = -10;
    b.montant = 50;
    b.status = kOpPointee;
    last->AddOperation(a, nullptr);
    last->AddOperation(b, nullptr);
  }
  static std::vector<double> Report(VYXCompte& c) {
    MontantSet r = c.GetReportValues();
    return {r.montant[0], r.montant[1], r.montant[2]};
  }

  CPScriptedInteraction answers_;
};

TEST_F(UserReportLink, OpeningBalancesTakeTheOtherAccountsClosingOnesAtEachOpening) {
  MakeLastYear();
  auto courant = Open("Courant", true);
  {
    auto last = Open("Epargne 2023");
    courant->SetReportLink(last.get());
    EXPECT_EQ((std::vector<double>{0, -10, 150}), Report(*courant));
    // While both are open, what the other holds now is what counts.
    Operation op;
    op.montant = 5;
    op.status = kOpPrevue;
    last->AddOperation(op, nullptr);
    courant->Close();
    courant = Open("Courant");
    EXPECT_EQ((std::vector<double>{5, -10, 150}), Report(*courant));
  }
  EXPECT_EQ("Epargne 2023", courant->GetReportLinkName());
  courant->Close();

  // Read from the closed file.
  courant = Open("Courant");
  EXPECT_EQ((std::vector<double>{5, -10, 150}), Report(*courant));
  EXPECT_TRUE(answers_.Alerts().empty());

  // Unlinked, the balances are the account's own again, as they were.
  courant->SetReportLink(nullptr);
  EXPECT_EQ("", courant->GetReportLinkName());
  courant->Close();
  {
    auto last = Open("Epargne 2023");
    Operation op;
    op.montant = 1000;
    last->AddOperation(op, nullptr);
  }
  courant = Open("Courant");
  EXPECT_EQ((std::vector<double>{5, -10, 150}), Report(*courant));
}

TEST_F(UserReportLink, ALostAccountIsAskedForAndOtherwiseTheBalancesStay) {
  MakeLastYear();
  auto courant = Open("Courant", true);
  {
    auto last = Open("Epargne 2023");
    courant->SetReportLink(last.get());
  }
  courant->Close();
  fs::path elsewhere = dir_.Path() / "archives";
  fs::create_directory(elsewhere);
  fs::rename(dir_.Path() / "Epargne 2023.cpt", elsewhere / "Epargne 2023.cpt");

  // Nobody says where it went: the user is told, the balances stay.
  courant = Open("Courant");
  EXPECT_EQ((std::vector<double>{0, -10, 150}), Report(*courant));
  ASSERT_EQ(1u, answers_.Alerts().size());
  EXPECT_NE(std::string::npos, MacRomanToUtf8(answers_.Alerts()[0]).find("introuvable"));
  courant->Close();

  // Told where it is, the account follows it again.
  for (int i = 0; i < 3; ++i) answers_.PushText((elsewhere / "Epargne 2023.cpt").string());
  courant = Open("Courant");
  EXPECT_EQ(1u, answers_.Alerts().size());
  EXPECT_EQ((std::vector<double>{0, -10, 150}), Report(*courant));
}

TEST_F(UserReportLink, TheAccountItselfAndALoopAreRefused) {
  MakeLastYear();
  auto courant = Open("Courant", true);
  auto last = Open("Epargne 2023");
  EXPECT_CP_CODE(paramErr, courant->SetReportLink(courant.get()));
  last->SetReportLink(courant.get());
  EXPECT_CP_CODE(paramErr, courant->SetReportLink(last.get()));
  EXPECT_EQ(0, courant->GetInformations().linked);
}

}  // namespace
