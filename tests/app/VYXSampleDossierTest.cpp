// The sample dossier: made the same at every build, put beside vyx, and as
// rich as a real household's year.
#include <cmath>
#include <map>

#include "app/VYXContainer.h"
#include "app/VYXSampleDossier.h"
#include "foundation/CPDates.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace fs = std::filesystem;

namespace {

class SampleDossier : public ::testing::Test {
 protected:
  void SetUp() override {
    VYXPinSampleClock();
    VYXMakeSampleDossier(installed_);
    CPClock::PinDate(CPGetDate(10, 2, 2025) + 12 * 3600);  // reading it, later
  }

  // Opens the sample as vyx does the first time, every account with it.
  std::unique_ptr<VYXContainer> Start() {
    auto container = std::make_unique<VYXContainer>(VYXContainer::Folders{
        dir_.Path() / "preferences.json", installed_, dir_.Path() / "données"});
    container->Startup();
    EXPECT_TRUE(container->OpenAllComptes());
    return container;
  }

  VYXPinnedClock clock_{10, 2, 2025};  // unpins at the end
  VYXTempDir dir_;
  fs::path installed_ = dir_.Path() / "exemples";
  CPScriptedInteraction user_;
};

TEST_F(SampleDossier, TheBuildPutsItBesideVyx) {
  fs::path beside = fs::path(VYX_BINARY_PATH).parent_path() / "exemples";
  for (const char* name : {"Exemple.grp", "Exemple.evt", "Compte courant.cpt", "Livret A.cpt"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(VYXReadFile(installed_ / name), VYXReadFile(beside / name));
  }
  EXPECT_TRUE(VYXIsUserFile(CPFileRef(beside / "Exemple.grp")));
  EXPECT_FALSE(fs::exists(beside / "Exemple.shr"));
}

TEST_F(SampleDossier, AYearOfAHousehold) {
  std::unique_ptr<VYXContainer> container = Start();
  ASSERT_EQ(2, container->GetNbOfComptes());
  EXPECT_TRUE(user_.Questions().empty());
  EXPECT_TRUE(user_.Alerts().empty());
  int32_t categories = gUserPrefs->GetCategories().GetResourcesCount();

  VYXSDBCompte* courant = nullptr;
  VYXSDBCompte* livret = nullptr;
  CPFileRef folder(dir_.Path() / "données" / "Exemple");
  ASSERT_TRUE(container->GetCompte(VYXCompteFileIn(folder, "Compte courant"), &courant));
  ASSERT_TRUE(container->GetCompte(VYXCompteFileIn(folder, "Livret A"), &livret));

  std::map<OpStatus, int> statuses;
  int splits = 0, cheques = 0;
  double epargne2024 = 0;
  Operation op;
  VYXDataRef ref = 0;
  for (bool more = courant->GetFirstOperation(&op, &ref); more;
       more = courant->GetNextOperation(&op, &ref)) {
    ++statuses[op.status];
    if (op.status == kOpPrevue) {
      EXPECT_EQ(2025, [&] {
        CPDateTimeRec f;
        CPDateToFields(op.date, f);
        return int(f.year);
      }());
    }
    if (op.noCheque[0] != 0) {
      EXPECT_EQ(std::to_string(8412301 + cheques), PToStd(op.noCheque));
      ++cheques;
    }
    if (op.categorie != 0) {
      ASSERT_TRUE(courant->GetCategories().ResourceExists(op.categorie));
      Str255 name;
      courant->GetCategories().GetResourceName(op.categorie, name);
      if (PToStd(name) == Utf8ToMacRoman("Épargne") && op.status != kOpPrevue)
        epargne2024 += op.montant;
    }
    if (op.sousOpsNbr > 0) {
      ++splits;
      double sum = 0;
      SousOperation line;
      VYXDataRef sousRef = 0;
      for (bool l = courant->GetFirstSousOperation(op, &line, &sousRef); l;
           l = courant->GetNextSousOperation(op, &line, &sousRef)) {
        sum += line.montant;
        EXPECT_TRUE(courant->GetCategories().ResourceExists(line.categorie));
      }
      EXPECT_NEAR(double(op.montant), sum, 0.005);
    }
  }
  EXPECT_GT(courant->GetNbOfOperations(), 200u);
  EXPECT_GT(statuses[kOpPointee], 180);
  EXPECT_GE(statuses[kOpEngagee], 18);
  EXPECT_EQ(2, statuses[kOpPrevue]);
  EXPECT_GE(splits, 24);
  EXPECT_EQ(7, cheques);
  Chequier book;
  ASSERT_EQ(1, courant->GetChequiers().GetResourcesCount());
  courant->GetChequiers().GetResource(courant->GetChequiers().GetNthResource(1), &book);
  EXPECT_EQ(8, book.next);
  // The household lives within its means, and its savings add up.
  MontantSet soldes = courant->GetSoldesValues();
  EXPECT_GT(soldes[kOpPrevue], 0.0);
  MontantSet epargne = livret->GetSoldesValues();
  EXPECT_NEAR(6150.00, epargne[kOpPointee], 0.001);  // December is not on a statement yet
  EXPECT_NEAR(6387.64, epargne[kOpEngagee], 0.001);
  EXPECT_NEAR(6537.64, epargne[kOpPrevue], 0.001);
  EXPECT_NEAR(-1800.0, epargne2024, 0.001);

  // The first quarter is closed.
  EXPECT_EQ(CPGetDate(31, 3, 2024), courant->GetLockDate());
  Operation late;
  late.date = CPGetDate(15, 3, 2024);
  late.datePointe = late.date;
  late.montant = -10;
  EXPECT_FALSE(courant->CanAddOperation(late));
  // Its lists are the dossier's: opening it added nothing.
  EXPECT_EQ(categories, gUserPrefs->GetCategories().GetResourcesCount());
  EXPECT_NE(0, gUserPrefs->GetCategorieFamily(gUserPrefs->GetCategories().GetResourceID(
                   CPString::FromStd(Utf8ToMacRoman("Électricité")))));
}

}  // namespace
