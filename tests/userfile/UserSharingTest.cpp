// A dossier shared by stations: real processes that have it open at the same
// time, each adding, renaming and setting while the other does.
#include <gtest/gtest.h>

#include <set>

#include "userfile/DossierStation.h"
#include "userfile/UserFileTestSupport.h"
#include "userfile/VYXCompteFiles.h"

namespace {

TEST_F(UserFileTest, TwoStationsAtOnceLoseNothing) {
  user_->Close();
  user_.reset();
  DossierStation a, b;
  ASSERT_EQ("ok", a.Ask("ouvrir " + fileRef_.Path().string()));
  ASSERT_EQ("ok", b.Ask("ouvrir " + fileRef_.Path().string()));

  // The two work at the same time; each answers when it is done.
  auto both = [&](const std::string& forA, const std::string& forB) {
    a.Send(forA);
    b.Send(forB);
    EXPECT_EQ("ok", a.ReadLine()) << forA;
    EXPECT_EQ("ok", b.ReadLine()) << forB;
  };
  both("ajouter A 400", "ajouter B 400");
  both("commun Commun", "commun Commun");
  both("compte " + (dir_.Path() / "A1.cpt").string(),
       "compte " + (dir_.Path() / "B1.cpt").string());
  both("compte " + (dir_.Path() / "A2.cpt").string(),
       "compte " + (dir_.Path() / "B2.cpt").string());
  both("renommer A-1 Loisirs", "renommer B-1 Voyages");
  both("decimales 3", "milliers 0");
  // Each sees everything, the other's work included.
  EXPECT_EQ("802 4", a.Ask("voir"));
  EXPECT_EQ("802 4", b.Ask("voir"));
  both("fermer", "fermer");
  EXPECT_EQ(0, a.Quit());
  EXPECT_EQ(0, b.Quit());

  Reopen();
  std::vector<std::string> names = Names(user_->GetCategories());
  std::set<std::string> unique(names.begin(), names.end());
  EXPECT_EQ(802u, names.size());
  EXPECT_EQ(names.size(), unique.size());
  for (const char* name :
       {"Loisirs", "Voyages", "Commun", "Commun 1", "A-2", "A-400", "B-2", "B-400"}) {
    EXPECT_TRUE(unique.count(name)) << name;
  }
  EXPECT_FALSE(unique.count("A-1"));
  ASSERT_EQ(4, user_->GetNbOfComptes());
  std::set<std::string> comptes;
  for (int32_t n = 1; n <= 4; ++n) {
    CPFileRef file;
    ASSERT_TRUE(user_->GetNthCompte(n, &file, false));
    comptes.insert(file.Name());
  }
  EXPECT_EQ((std::set<std::string>{"A1.cpt", "A2.cpt", "B1.cpt", "B2.cpt"}), comptes);
  EXPECT_EQ(4, user_->GetAliases().GetResourcesCount());
  EXPECT_EQ(3, user_->GetDecimals(kDecimalsMontants));
  EXPECT_FALSE(user_->GetProPrefs().separateurMilliers);
  EXPECT_EQ(1, user_->GetDevises().GetResourcesCount());
}

}  // namespace
