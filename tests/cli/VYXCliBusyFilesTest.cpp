// Files that another process has: readers beside readers, a writer behind
// readers, a reader behind a writer, the dossier behind a station changing it,
// and files the user may not write. Real processes: `vyx` itself, and holders
// forked from the test that open a file as another command would and keep it
// until the test lets them go.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "VYXCliHomeTest.h"
#include "simpledb/CPSimpleDBFile.h"

namespace {

namespace fs = std::filesystem;

// A process holding a file until Release. `hold` opens it and calls `wait`
// while it has it.
class Holder {
 public:
  using Hold = std::function<void(const std::function<void()>& wait)>;
  explicit Holder(const Hold& hold) {
    int ready[2], release[2];
    if (::pipe(ready) != 0 || ::pipe(release) != 0) throw std::runtime_error("pipe");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(release[1]);
      try {
        hold([&] {
          char c = 1;
          if (::write(ready[1], &c, 1) != 1) ::_exit(2);
          if (::read(release[0], &c, 1) != 1) ::_exit(2);
        });
      } catch (...) {
        ::_exit(3);
      }
      ::_exit(0);
    }
    ::close(ready[1]);
    ::close(release[0]);
    release_ = release[1];
    char c;
    held_ = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
  }
  ~Holder() { Release(); }
  bool Held() const { return held_; }
  // Lets the file go; true when the holder ended well.
  bool Release() {
    if (pid_ <= 0) return true;
    char c = 1;
    if (::write(release_, &c, 1) != 1) ::kill(pid_, SIGKILL);
    ::close(release_);
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool held_ = false;
};

class BusyFilesTest : public VYXCliHomeTest {
 protected:
  void SetUp() override {
    VYXCliHomeTest::SetUp();
    dossier_ = MakeDossier({"Courant"});
    Ok({"ope", "ajouter", "Courant", "--date", "02/01/24", "--montant", "-10"});
    compte_ = (Folder() / "Courant.cpt").string();
  }
  // vyx, waiting at most `seconds` for a busy file.
  static VYXRunOptions Waiting(const char* seconds) {
    VYXRunOptions options;
    options.env = {{"VYX_ATTENTE", seconds}};
    return options;
  }
  // Holds the account as a command that writes it does.
  Holder AccountWriter() {
    return Holder([this](const std::function<void()>& wait) {
      CPSimpleDBFile f{CPFileRef(compte_)};
      f.Open(1, false, false);
      wait();
    });
  }
  // Opens a file for reading as a command that only reads does.
  Holder Reader(const std::string& path, bool shared) {
    return Holder([path, shared](const std::function<void()>& wait) {
      CPSimpleDBFile f{CPFileRef(path)};
      f.OpenForReading(1, shared);
      wait();
    });
  }
  static bool Says(const VYXRunResult& r, const std::string& text) {
    return r.err.find(text) != std::string::npos;
  }
  std::string Busy(const std::string& path) const {
    return "Le fichier « " + path + " » est occupé par un autre programme";
  }

  std::string dossier_, compte_;
};

constexpr const char* kSoldes =
    "Compte    Prévu  Engagé  Pointé  Devise\n"
    "Courant  -10,00  -10,00    0,00  EUR\n";

TEST_F(BusyFilesTest, ReadersShareAFileAndAWriterWaitsForThem) {
  Holder reader = Reader(compte_, false);
  ASSERT_TRUE(reader.Held());
  EXPECT_EQ(kSoldes, Ok({"soldes"}).out);
  EXPECT_EQ(0, VYXRunVyx({"ope", "liste", "Courant"}).exitCode);

  // A writer gives up after the wait it was given, naming the file, and
  // changes nothing.
  const auto before = Snapshot();
  VYXRunResult refused =
      VYXRunVyx({"ope", "ajouter", "Courant", "--date", "03/01/24", "--montant", "-5"},
                Waiting("0,3"));
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_EQ("", refused.out);
  EXPECT_TRUE(Says(refused, Busy(compte_))) << refused.err;
  EXPECT_TRUE(before == Snapshot());

  // Given time, it goes on as soon as the reader is done.
  VYXRunningProgram writer = VYXStartVyx(
      {"ope", "ajouter", "Courant", "--date", "03/01/24", "--montant", "-5"}, Waiting("60"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(VYXProgramEnded(writer));
  EXPECT_TRUE(reader.Release());
  VYXRunResult done = VYXFinishProgram(writer);
  EXPECT_EQ(0, done.exitCode) << done.err;
  EXPECT_EQ(2u, Json({"ope", "liste", "Courant"}).size());
}

TEST_F(BusyFilesTest, AReaderWaitsForAWriter) {
  Holder writer = AccountWriter();
  ASSERT_TRUE(writer.Held());
  VYXRunResult refused = VYXRunVyx({"ope", "liste", "Courant"}, Waiting("0.2"));
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_TRUE(Says(refused, Busy(compte_))) << refused.err;

  VYXRunningProgram reader = VYXStartVyx({"soldes"}, Waiting("60"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_FALSE(VYXProgramEnded(reader));
  EXPECT_TRUE(writer.Release());
  VYXRunResult done = VYXFinishProgram(reader);
  EXPECT_EQ(0, done.exitCode) << done.err;
  EXPECT_EQ(kSoldes, done.out);
}

// The dossier is shared by its stations: a reader waits while one of them
// changes it (it holds the access lock), and keeps them from changing it
// while it reads, without keeping other readers out.
TEST_F(BusyFilesTest, TheDossierIsWaitedForWhileAStationChangesIt) {
  {
    Holder station([this](const std::function<void()>& wait) {
      CPSimpleDBFile f{CPFileRef(dossier_)};
      f.Open(1, true, false);
      CPSimpleDBAccessLocker changing(&f);
      wait();
    });
    ASSERT_TRUE(station.Held());
    VYXRunResult refused = VYXRunVyx({"soldes"}, Waiting("0.2"));
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_TRUE(Says(refused, Busy(dossier_))) << refused.err;
  }
  Holder reader = Reader(dossier_, true);
  ASSERT_TRUE(reader.Held());
  EXPECT_EQ(kSoldes, Ok({"soldes"}).out);
  const auto before = Snapshot();
  VYXRunResult refused =
      VYXRunVyx({"ope", "ajouter", "Courant", "--date", "03/01/24", "--montant", "-5"},
                Waiting("0.2"));
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_TRUE(Says(refused, Busy(dossier_))) << refused.err;
  EXPECT_TRUE(before == Snapshot());
}

// Run as a user who may not write them (as "nobody" when the tests run as
// root, who may write anything), the dossier and its account are read.
TEST_F(BusyFilesTest, FilesTheUserMayNotWriteAreRead) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(Folder())) files.push_back(entry.path());
  for (const fs::path& file : files) fs::permissions(file, fs::perms(0444));
  fs::path config = home_.Path() / "config-lecteur";
  fs::create_directories(config);
  fs::permissions(config, fs::perms::all);
  const auto before = Snapshot();
  VYXRunOptions reader;
  reader.env = {{"XDG_CONFIG_HOME", config.string()}};
  reader.asNobody = true;
  VYXRunResult soldes = VYXRunVyx({"--dossier", dossier_, "soldes"}, reader);
  EXPECT_EQ(0, soldes.exitCode) << soldes.err;
  EXPECT_EQ(kSoldes, soldes.out);
  VYXRunResult liste = VYXRunVyx({"--dossier", dossier_, "ope", "liste", "Courant"}, reader);
  EXPECT_EQ(0, liste.exitCode) << liste.err;
  for (const fs::path& file : files) fs::permissions(file, fs::perms(0644));
  auto after = Snapshot();
  for (auto it = after.begin(); it != after.end();) {
    it = it->first.starts_with(config.string()) ? after.erase(it) : std::next(it);
  }
  EXPECT_TRUE(before == after);
}

}  // namespace
