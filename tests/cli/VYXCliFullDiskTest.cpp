// A disk that fills up in the middle of a command: the real `vyx` run with a
// limit on the size of the files it may write (RLIMIT_FSIZE, SIGXFSZ
// ignored), so that its writes past the limit come back short and then fail,
// as they do on a full disk. Each command is cut at many points; after each
// cut every database file verifies and holds the state before the command
// (when vyx said it failed, every file is as it was, byte for byte) or the
// state after it (when vyx said it was done), and the files stay usable.
#include <algorithm>
#include <fstream>
#include <functional>
#include <set>

#include "VYXCliHomeTest.h"
#include "simpledb/CPSimpleDBVerifier.h"

namespace {

namespace fs = std::filesystem;
using Files = std::map<std::string, std::string>;

class FullDiskTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    MakeDossier({"Courant", "Livret"});
    Ok({"liste", "categories", "ajouter", "Jeux"});
    for (int i = 0; i < 12; ++i) {
      Ok({"ope", "ajouter", i % 2 ? "Courant" : "Livret", "--date", "02/01/24", "--montant",
          std::to_string(-10 - i), "--libelle", "Opération " + std::to_string(i), "--categorie",
          i % 3 ? "Jeux" : "Loisirs"});
    }
  }

  // The files of the dossier, its share file aside: that one tells which
  // station last changed the dossier and is no part of its data.
  Files Read() const {
    Files files;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      if (entry.path().extension() == ".shr") continue;
      files[entry.path().filename().string()] = VYXReadFile(entry.path());
    }
    return files;
  }
  void Write(const Files& files) const {
    std::vector<fs::path> extra;
    for (const auto& entry : fs::directory_iterator(Folder())) {
      if (entry.path().extension() == ".shr") continue;
      if (!files.count(entry.path().filename().string())) extra.push_back(entry.path());
    }
    for (const fs::path& path : extra) fs::remove(path);
    for (const auto& [name, bytes] : files) {
      std::ofstream(Folder() / name, std::ios::binary | std::ios::trunc) << bytes;
    }
  }
  // Every database file of the dossier, checked as `vyx db verifier` does.
  void ExpectSound(const std::string& when) const {
    for (const auto& entry : fs::directory_iterator(Folder())) {
      const std::string ext = entry.path().extension().string();
      if (ext != ".cpt" && ext != ".grp") continue;
      CPSimpleDBVerdict v = CPSimpleDBInspector(CPFileRef(entry.path())).Verify();
      EXPECT_FALSE(v.fault) << entry.path().filename() << " " << when << ": code " << v.fault.code
                            << " at block " << v.fault.refnum;
    }
  }

  // Runs `args` cut at each of many limits, from the same files each time.
  // `done` checks the state after the command; a refusal must leave every
  // file as it was. Some cuts must come before the command's end, and the
  // last limit lets it through.
  void CutEverywhere(const std::vector<std::string>& args, const std::function<void()>& done) {
    const Files before = Read();
    VYXRunResult whole = Ok(args);
    const Files after = Read();
    Write(before);
    std::vector<uint64_t> limits = Limits(before, after);
    int failed = 0, succeeded = 0;
    for (uint64_t limit : limits) {
      VYXRunOptions cut;
      cut.fileSizeLimit = limit;
      VYXRunResult r = VYXRunVyx(args, cut);
      const std::string when = Joined(args) + " cut at " + std::to_string(limit);
      ExpectSound(when);
      if (r.exitCode == 0) {
        ++succeeded;
        EXPECT_EQ(whole.out, r.out) << when;
        done();
      } else {
        ++failed;
        EXPECT_EQ(1, r.exitCode) << when << "\n" << r.err;
        EXPECT_EQ("", r.out) << when;
        EXPECT_NE(std::string::npos, r.err.find("n'a pas pu être écrit")) << when << "\n" << r.err;
        EXPECT_NE(std::string::npos, r.err.find(Folder().string())) << when << "\n" << r.err;
        EXPECT_NE(std::string::npos, r.err.find("La commande n'a rien modifié"))
            << when << "\n" << r.err;
        EXPECT_TRUE(before == Read()) << when << " left a file changed";
      }
      Write(before);
    }
    EXPECT_GT(failed, 0) << Joined(args) << " was never cut";
    EXPECT_GT(succeeded, 0) << Joined(args) << " never went through";
  }

  // Limits from below the first file the command changes to past the end of
  // the last one, through each changed file's growth.
  static std::vector<uint64_t> Limits(const Files& before, const Files& after) {
    std::set<uint64_t> limits;
    uint64_t top = 0;
    for (const auto& [name, bytes] : after) {
      auto was = before.find(name);
      if (was != before.end() && was->second == bytes) continue;
      // A file may grow (an addition) or shrink (a compaction): the writes
      // of a command that shrinks it go to offsets below its old end.
      const uint64_t old = was == before.end() ? 0 : was->second.size();
      const uint64_t from = std::min<uint64_t>(old, bytes.size());
      const uint64_t to = std::max<uint64_t>(old, bytes.size());
      top = std::max(top, to);
      for (uint64_t at : {from, from + 1, from + 45, from + 129, to - 1, to}) limits.insert(at);
      for (int k = 1; k < 6; ++k) limits.insert(from + (to - from) * k / 6);
    }
    limits.insert(top + 64 * 1024);
    limits.erase(0);
    return {limits.begin(), limits.end()};
  }

  nlohmann::json Operations(const char* compte) { return Json({"ope", "liste", compte}); }
  static int Count(const nlohmann::json& ops, const std::string& field, const std::string& value) {
    return int(std::count_if(ops.begin(), ops.end(),
                             [&](const nlohmann::json& op) { return op[field] == value; }));
  }
};

TEST_F(FullDiskTest, AnAdditionIsWholeOrNotAtAll) {
  CutEverywhere({"ope", "ajouter", "Courant", "--date", "05/01/24", "--montant", "-12,34",
                 "--libelle", "Essai"},
                [&] { EXPECT_EQ(1, Count(Operations("Courant"), "libelle", "Essai")); });
  // Space is back: the account takes more and compacts.
  Ok({"ope", "ajouter", "Courant", "--date", "06/01/24", "--montant", "-1"});
  Ok({"db", "compacter", (Folder() / "Courant.cpt").string()});
  EXPECT_EQ(7u, Operations("Courant").size());
}

TEST_F(FullDiskTest, ACreationLeavesNoHalfMadeFile) {
  CutEverywhere({"compte", "creer", "Epargne"}, [&] {
    EXPECT_TRUE(fs::exists(Folder() / "Epargne.cpt"));
    EXPECT_EQ(3u, Json({"compte", "liste"}).size());
  });
  EXPECT_FALSE(fs::exists(Folder() / "Epargne.cpt"));
  Ok({"compte", "creer", "Epargne"});
  Ok({"ope", "ajouter", "Epargne", "--date", "06/01/24", "--montant", "100"});
}

TEST_F(FullDiskTest, AMergeOfTwoItemsIsWholeOrNotAtAll) {
  CutEverywhere({"--oui", "liste", "categories", "renommer", "Loisirs", "Jeux"}, [&] {
    for (const char* compte : {"Courant", "Livret"}) {
      EXPECT_EQ(0, Count(Operations(compte), "categorie", "Loisirs")) << compte;
    }
  });
  nlohmann::json livret = Operations("Livret");
  EXPECT_EQ(2, Count(livret, "categorie", "Loisirs"));
  Ok({"--oui", "liste", "categories", "renommer", "Loisirs", "Jeux"});
  EXPECT_EQ(6, Count(Operations("Livret"), "categorie", "Jeux"));
}

TEST_F(FullDiskTest, ACompactionIsWholeOrNotAtAll) {
  for (const nlohmann::json& op : Operations("Livret")) {
    if (op["montant"].get<double>() > -16) {
      Ok({"ope", "supprimer", "Livret", std::to_string(op["dataID"].get<uint32_t>())});
    }
  }
  const nlohmann::json kept = Operations("Livret");
  CutEverywhere({"db", "compacter", (Folder() / "Livret.cpt").string()},
                [&] { EXPECT_EQ(kept, Operations("Livret")); });
  EXPECT_EQ(kept, Operations("Livret"));
  Ok({"ope", "ajouter", "Livret", "--date", "06/01/24", "--montant", "5"});
}

}  // namespace
