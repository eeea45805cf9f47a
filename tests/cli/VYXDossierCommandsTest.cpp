// `vyx dossier` refusals that name what the user typed.
#include "VYXCliHomeTest.h"

namespace {

class DossierCommandsTest : public VYXCliHomeTest {};

TEST_F(DossierCommandsTest, AMissingFileOrFolderIsNamedAndNothingIsMade) {
  std::string absent = (Folder() / "nulle-part" / "Maison.grp").string();
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"dossier", "ouvrir", absent}, "vyx : Le dossier « " + absent + " » est introuvable.\n"},
      {{"dossier", "creer", absent},
       "vyx : Le dossier « " + absent + " » ne peut pas être créé : le répertoire « " +
           (Folder() / "nulle-part").string() + " » n'existe pas.\n"},
  };
  for (const Case& c : cases) {
    auto before = Snapshot();
    VYXRunResult r = Refused(c.args);
    EXPECT_EQ(c.message, r.err) << Joined(c.args);
    EXPECT_EQ(before, Snapshot()) << Joined(c.args);
  }
}

}  // namespace
