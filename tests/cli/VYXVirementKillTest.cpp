// A transfer writes two accounts (and the dossier's journal): the real `vyx`
// is killed with SIGKILL just before each write it makes to them, in turn,
// while it adds, changes and deletes a transfer. After each kill, the next
// command finds both halves of the transfer or neither, and the two agree.
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "VYXCliHomeTest.h"

namespace fs = std::filesystem;

namespace {

// Runs vyx with the write-counting library loaded.
VYXRunResult RunShimmed(const std::vector<std::string>& args, long killAt, const fs::path& log) {
  ::setenv("LD_PRELOAD", VYX_KILL_SHIM_PATH, 1);
  ::setenv("VYX_KILL_AT", std::to_string(killAt).c_str(), 1);
  if (!log.empty()) ::setenv("VYX_WRITE_LOG", log.c_str(), 1);
  // A sanitized vyx wants its runtime first; the library is harmless before it.
  const char* asan = std::getenv("ASAN_OPTIONS");
  std::string saved = asan ? asan : "";
  ::setenv("ASAN_OPTIONS", (saved + (saved.empty() ? "" : ":") + "verify_asan_link_order=0").c_str(), 1);
  VYXRunResult r = VYXRunVyx(args);
  ::unsetenv("LD_PRELOAD");
  ::unsetenv("VYX_KILL_AT");
  ::unsetenv("VYX_WRITE_LOG");
  if (asan) {
    ::setenv("ASAN_OPTIONS", saved.c_str(), 1);
  } else {
    ::unsetenv("ASAN_OPTIONS");
  }
  return r;
}

class VirementKillTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    emptyLists_ = true;
    MakeDossier({"Courant", "Epargne"});
    template_ = home_.Path() / "modele";
    fs::rename(Folder(), template_);
  }

  // A fresh copy of the dossier as the setup left it, in its own folder.
  std::string Fresh(const std::string& name) {
    fs::path work = home_.Path() / name;
    fs::remove_all(work);
    fs::copy(template_, work, fs::copy_options::recursive);
    return (work / "Maison.grp").string();
  }

  // The planned balances of the two accounts, after the command that opens
  // the dossier next (the one that finishes an interrupted change).
  std::pair<double, double> Balances(const std::string& dossier) {
    VYXRunResult r = VYXRunVyx({"--oui", "--dossier", dossier, "soldes", "--json"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    std::pair<double, double> b{1e9, 1e9};
    try {
      for (const auto& c : nlohmann::json::parse(r.out)) {
        (c["nom"] == "Courant" ? b.first : b.second) = c["soldes"]["prevu"].get<double>();
      }
    } catch (const std::exception&) {
      ADD_FAILURE() << r.out;
    }
    return b;
  }

  // Every write from the opening of the twin's account (the second account
  // the command touches) to the last write the command makes to the dossier
  // before closing that account: the journal entry, the source, the twin,
  // the entry taken out. The closings that follow rewrite the files whole
  // and are the engine's to survive.
  std::vector<long> KillPoints(const std::vector<std::string>& command) {
    std::string dossier = Fresh("compte-rendu");
    fs::path log = home_.Path() / "writes.log";
    fs::remove(log);
    std::vector<std::string> args{"--dossier", dossier};
    args.insert(args.end(), command.begin(), command.end());
    VYXRunResult r = RunShimmed(args, 0, log);
    EXPECT_EQ(0, r.exitCode) << r.err;
    std::ifstream in(log);
    std::vector<std::pair<long, fs::path>> writes;
    long n;
    std::string path;
    while (in >> n >> path) writes.emplace_back(n, path);
    long first = 0, lastTwin = 0;
    for (const auto& [k, p] : writes) {
      if (p.filename() != "Epargne.cpt") continue;
      if (first == 0) first = k;
      lastTwin = k;
    }
    long last = first;
    for (const auto& [k, p] : writes) {
      if (p.extension() != ".cpt" && k < lastTwin) last = std::max(last, k);
    }
    std::vector<long> points;
    for (long k = first; k <= last && k != 0; ++k) points.push_back(k);
    EXPECT_GE(points.size(), 5u) << "the window was not found";
    return points;
  }

  // Kills `command` at each of its points; after each, the balances must be
  // those before the command or those after it, the same on both sides.
  void KillThroughout(const std::vector<std::string>& command, std::pair<double, double> before,
                      std::pair<double, double> after) {
    int killed = 0;
    for (long point : KillPoints(command)) {
      std::string dossier = Fresh("essai");
      std::vector<std::string> args{"--dossier", dossier};
      args.insert(args.end(), command.begin(), command.end());
      VYXRunResult r = RunShimmed(args, point, {});
      if (r.exitCode == -1) ++killed;
      std::pair<double, double> found = Balances(dossier);
      EXPECT_TRUE(found == before || found == after)
          << Joined(command) << " killed at write " << point << ": Courant " << found.first
          << ", Epargne " << found.second;
    }
    EXPECT_GT(killed, 0);
  }

  // Makes the template hold the transfer the later commands change.
  void WithTransfer() {
    std::string dossier = (template_ / "Maison.grp").string();
    Ok({"--dossier", dossier, "ope", "ajouter", "Courant", "--date", "10/03/24", "--montant",
        "-100", "--libelle", "Épargne", "--virement", "Epargne"});
  }

  fs::path template_;
};

TEST_F(VirementKillTest, AddingATransferLeavesBothHalvesOrNeither) {
  KillThroughout({"ope", "ajouter", "Courant", "--date", "10/03/24", "--montant", "-100",
                  "--libelle", "Épargne", "--virement", "Epargne"},
                 {0, 0}, {-100, 100});
}

TEST_F(VirementKillTest, ChangingATransferLeavesBothHalvesOldOrBothNew) {
  WithTransfer();
  std::string key = "1";
  KillThroughout({"ope", "modifier", "Courant", key, "--montant", "-150"}, {-100, 100},
                 {-150, 150});
}

TEST_F(VirementKillTest, DeletingATransferLeavesBothHalvesOrNeither) {
  WithTransfer();
  KillThroughout({"ope", "supprimer", "Courant", "1"}, {-100, 100}, {0, 0});
}

}  // namespace
