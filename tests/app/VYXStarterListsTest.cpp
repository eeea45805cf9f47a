// The lists a new dossier starts with, added to a user file that may already
// have some of their names.
#include "app/VYXStarterLists.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

CPString N(const char* utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

TEST(StarterLists, NamesTheListHasAreLeftAsTheyAre) {
  VYXPinnedClock clock{14, 7, 2024};
  VYXTempDir dir;
  VYXSDBUserPreferences user(dir.Ref("Dossier.grp"));
  user.IUserPreferences(true);
  Categorie income;
  income.type = kCategorieRecette;
  CPResID loyer = user.AddItem(user.GetCategories(), N("Loyer"), &income, sizeof income);
  Mode mine;
  CPResID cheque = user.AddItem(user.GetModes(), N("CHÈQUE"), &mine, sizeof mine);

  VYXAddStarterLists(user);
  VYXAddStarterLists(user);  // a second time adds nothing

  // The user's own "Loyer" keeps its kind and stays out of the families; the
  // names are matched as the lists match them, whatever their case.
  EXPECT_EQ(24, user.GetCategories().GetResourcesCount());
  EXPECT_EQ(loyer, user.GetCategories().GetResourceID(N("Loyer")));
  Categorie read;
  user.GetCategories().GetResource(loyer, &read);
  EXPECT_EQ(kCategorieRecette, read.type);
  EXPECT_EQ(0, user.GetCategorieFamily(loyer));
  EXPECT_NE(0, user.GetCategorieFamily(user.GetCategories().GetResourceID(N("Électricité"))));
  EXPECT_EQ(6, user.GetCatFamilies().GetResourcesCount());

  EXPECT_EQ(6, user.GetModes().GetResourcesCount());
  EXPECT_EQ(cheque, user.GetModes().GetResourceID(N("Chèque")));
  EXPECT_EQ(4, user.GetTauxTVA().GetResourcesCount());
  EXPECT_EQ(1, user.GetDevises().GetResourcesCount());
  user.Close();
}

}  // namespace
