// The totals against SQLite and ledger, side by side in one run, on the same
// generated rows: a dossier of 100,000 operations over five years (2020 to
// 2024) in four accounts, 40 categories, one operation in ten split in two or
// three lines, generated from a seed; the same postings written as a ledger
// journal and as one SQLite table (an operation with split lines gives one
// row per line and one for what its lines leave to its own category).
//
// Measured from a fresh process each time: `vyx bilan` printing the 2024
// expense balance by category and month of the dossier (opening the dossier
// and its four accounts, counting the totals); the `sqlite3` program running
// the GROUP BY by category and month on the same rows; `ledger balance
// --monthly` and `ledger register --monthly` on the journal. Then, in this
// process, one operation added to an open account and the balance laid out
// again, against one row inserted in SQLite and its GROUP BY run again.
//
// Run: build-release/bench/totaux_bench (scripts/bench.sh); with
// VYX_TOTAUX_BENCH_DIR set to a new folder, the files stay there. ledger comes from
// Debian's package, which scripts/bench.sh installs; without it, its lines
// are skipped.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "accounts/VYXListMapping.h"
#include "accounts/VYXSDBCompte.h"
#include "analysis/VYXCompteBilan.h"
#include "analysis/VYXCompteTotaux.h"
#include "analysis/VYXUserTotaux.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSeed = 20240101;
constexpr int kOperations = 100000;
constexpr int kAccounts = 4;
constexpr int kExpenses = 32;  // categories 0..31 are expenses, 32..39 income
constexpr int kCategories = 40;

// VYX_TOTAUX_BENCH_DIR names a folder to make the files in and leave them,
// so that a profiler can be run on them afterwards.
const char* KeptFolder() { return std::getenv("VYX_TOTAUX_BENCH_DIR"); }

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = KeptFolder() ? fs::path(KeptFolder())
                              : fs::temp_directory_path() /
                                    ("vyx-totaux-bench-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

struct RemoveFolder {
  ~RemoveFolder() {
    std::error_code ec;
    if (!KeptFolder()) fs::remove_all(Folder(), ec);
  }
} gRemoveFolder;

// ---- the rows

struct Line {
  int categorie;
  double montant;
};
struct Op {
  int compte;
  int year, month, day;
  int categorie;
  double montant;
  std::vector<Line> lines;  // split lines, each with its own category
};

std::string CategoryName(int c) {
  static const char* const kNames[] = {"Loyer",        "Électricité",     "Eau",
                                       "Gaz",          "Internet",        "Téléphone",
                                       "Alimentation", "Boulangerie",     "Restaurants",
                                       "Cantine",      "Vêtements",       "Chaussures",
                                       "Carburant",    "Péage",           "Parking",
                                       "Transports",   "Assurance auto",  "Assurance maison",
                                       "Mutuelle",     "Pharmacie",       "Médecin",
                                       "Dentiste",     "Enfants",         "École",
                                       "Loisirs",      "Sport",           "Livres",
                                       "Cinéma",       "Voyages",         "Cadeaux",
                                       "Impôts",       "Frais bancaires", "Salaire",
                                       "Prime",        "Allocations",     "Remboursements",
                                       "Intérêts",     "Ventes",          "Loyers perçus",
                                       "Dividendes"};
  return kNames[c];
}

std::vector<Op> Generate() {
  std::mt19937 random(kSeed);
  auto uniform = [&](int low, int high) { return low + int(random() % uint32_t(high - low + 1)); };
  std::vector<Op> ops;
  ops.reserve(kOperations);
  for (int i = 0; i < kOperations; ++i) {
    Op op;
    op.compte = i % kAccounts;
    op.year = 2020 + uniform(0, 4);
    op.month = uniform(1, 12);
    op.day = uniform(1, CPDaysInMonth(op.month, op.year));
    bool income = uniform(0, 9) == 0;
    op.categorie = income ? uniform(kExpenses, kCategories - 1) : uniform(0, kExpenses - 1);
    op.montant = income ? uniform(5000, 300000) / 100.0 : -uniform(100, 50000) / 100.0;
    if (!income && uniform(0, 9) == 0) {
      int lines = uniform(2, 3);
      for (int l = 0; l < lines; ++l) {
        op.lines.push_back(Line{uniform(0, kExpenses - 1), -uniform(100, 5000) / 100.0});
      }
    }
    ops.push_back(op);
  }
  return ops;
}

const std::vector<Op>& Ops() {
  static const std::vector<Op> ops = Generate();
  return ops;
}

fs::path Dossier() { return Folder() / "Bench.grp"; }
fs::path Journal() { return Folder() / "bench.ledger"; }
fs::path Database() { return Folder() / "bench.sqlite"; }

// ---- vyx

CPString Name(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

void MakeDossier() {
  VYXSDBUserPreferences user{CPFileRef(Dossier())};
  user.IUserPreferences(true);
  std::vector<CPResID> userIDs;
  for (int c = 0; c < kCategories; ++c) {
    Categorie record;
    record.type = c < kExpenses ? kCategorieDepense : kCategorieRecette;
    CPResID id = user.GetCategories().GetUniqueID();
    user.GetCategories().AddResource(id, Name(CategoryName(c)), record);
    userIDs.push_back(id);
  }
  for (int a = 0; a < kAccounts; ++a) {
    CPFileRef file = VYXCompteFileIn(CPFileRef(Folder()), "Compte " + std::to_string(a + 1));
    VYXSDBCompte compte(user, file);
    compte.ICompte(true, true, false);
    user.AddCompte(file);
    user.CompteOpened(compte);
    std::vector<CPResID> ids;
    for (CPResID id : userIDs) {
      ids.push_back(
          UserToCompteCategorie(user.GetCategories(), compte.GetCategories(), id, true, false));
    }
    VYXCompteBulk bulk(compte);
    for (const Op& o : Ops()) {
      if (o.compte != a) continue;
      Operation op;
      op.date = CPGetDate(o.day, o.month, o.year);
      op.mois = CPMonth(o.month);
      op.montant = o.montant;
      op.categorie = ids[size_t(o.categorie)];
      op.status = kOpPointee;
      VYXDataRef ref = 0;
      compte.AddOperation(op, &ref);
      for (const Line& l : o.lines) {
        SousOperation line(op);
        line.montant = l.montant;
        line.categorie = ids[size_t(l.categorie)];
        compte.AddSousOperation(ref, line, nullptr);
        compte.GetOperation(ref, &op);
      }
    }
    compte.Close();
  }
  user.Close();
}

// ---- ledger and SQLite: the postings of each operation

// What an operation posts: each line to its category, the rest to its own.
std::vector<Line> Postings(const Op& o) {
  std::vector<Line> postings = o.lines;
  double rest = o.montant;
  for (const Line& l : o.lines) rest -= l.montant;
  if (std::fabs(rest) >= 0.005) postings.push_back(Line{o.categorie, rest});
  return postings;
}

std::string Cents(double amount) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", amount);
  return text;
}

void MakeJournal() {
  std::ofstream out(Journal());
  for (const Op& o : Ops()) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d/%02d/%02d", o.year, o.month, o.day);
    out << date << " * Opération\n";
    for (const Line& p : Postings(o)) {
      bool expense = p.categorie < kExpenses;
      // Expenses are debits of the account: positive in their expense account.
      out << "    " << (expense ? "Dépenses:" : "Revenus:") << CategoryName(p.categorie) << "  "
          << Cents(-p.montant) << " EUR\n";
    }
    out << "    Actifs:Compte " << (o.compte + 1) << "\n\n";
  }
}

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message);
  }
}

void MakeDatabase() {
  sqlite3* db = nullptr;
  sqlite3_open(Database().c_str(), &db);
  Exec(db,
       "CREATE TABLE postings (compte INTEGER, annee INTEGER, mois INTEGER, jour INTEGER, "
       "categorie TEXT, depense INTEGER, montant REAL)");
  Exec(db, "BEGIN");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO postings VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
  for (const Op& o : Ops()) {
    for (const Line& p : Postings(o)) {
      std::string name = CategoryName(p.categorie);
      sqlite3_bind_int(insert, 1, o.compte + 1);
      sqlite3_bind_int(insert, 2, o.year);
      sqlite3_bind_int(insert, 3, o.month);
      sqlite3_bind_int(insert, 4, o.day);
      sqlite3_bind_text(insert, 5, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(insert, 6, p.categorie < kExpenses);
      sqlite3_bind_double(insert, 7, p.montant);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
  }
  sqlite3_finalize(insert);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

const char* const kQuery =
    "SELECT categorie, mois, printf('%.2f', SUM(montant)) FROM postings "
    "WHERE depense = 1 AND annee = 2024 GROUP BY categorie, mois ORDER BY categorie, mois;";

void Prepare() {
  static bool made = false;
  if (made) return;
  MakeDossier();
  MakeJournal();
  MakeDatabase();
  made = true;
}

// ---- fresh processes

struct Run {
  double seconds = 0;
  double cpuSeconds = 0;
  size_t outputBytes = 0;
};

// Runs `args` with its output read and thrown away, in a home of its own.
Run Spawn(const std::vector<std::string>& args) {
  static const fs::path home = Folder() / "home";
  fs::create_directories(home);
  std::vector<std::string> env = {"HOME=" + home.string(),
                                  "XDG_CONFIG_HOME=" + (home / "config").string(),
                                  "XDG_DATA_HOME=" + (home / "data").string(),
                                  "TZ=Europe/Paris",
                                  "LANG=C.UTF-8",
                                  "PATH=/usr/bin:/bin"};
  std::vector<char*> argv, envp;
  std::vector<std::string> copy = args;
  for (std::string& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  auto start = std::chrono::steady_clock::now();
  pid_t pid;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) {
    throw std::runtime_error("cannot run " + args[0]);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  Run run;
  char buffer[65536];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) run.outputBytes += size_t(n);
  close(out[0]);
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || run.outputBytes == 0) {
    throw std::runtime_error(args[0] + " failed");
  }
  return run;
}

void Cold(benchmark::State& state, const std::vector<std::string>& args) {
  Prepare();
  double cpu = 0;
  size_t bytes = 0;
  for (auto _ : state) {
    Run r = Spawn(args);
    state.SetIterationTime(r.seconds);
    cpu += r.cpuSeconds;
    bytes = r.outputBytes;
  }
  state.counters["cpu_ms"] = cpu * 1000.0 / double(state.iterations());
  state.counters["output_bytes"] = double(bytes);
}

bool Has(const std::string& program) { return fs::exists(program); }

void BilanVyx(benchmark::State& state) {
  Cold(state, {VYX_BINARY_PATH, "--dossier", Dossier().string(), "bilan", "--du", "01/24", "--mois",
               "12"});
}

void BilanSqlite(benchmark::State& state) {
  if (!Has(SQLITE3_PROGRAM)) return state.SkipWithError("sqlite3 is not installed");
  Cold(state, {SQLITE3_PROGRAM, Database().string(), kQuery});
}

void BalanceLedger(benchmark::State& state) {
  if (!Has("/usr/bin/ledger")) return state.SkipWithError("ledger is not installed");
  Cold(state, {"/usr/bin/ledger", "-f", Journal().string(), "balance", "--monthly", "-b",
               "2024/01/01", "-e", "2025/01/01", "^Dépenses"});
}

void RegisterLedger(benchmark::State& state) {
  if (!Has("/usr/bin/ledger")) return state.SkipWithError("ledger is not installed");
  Cold(state, {"/usr/bin/ledger", "-f", Journal().string(), "register", "--monthly", "-b",
               "2024/01/01", "-e", "2025/01/01", "^Dépenses"});
}

// ---- one more operation, in this process

// The balance laid out as text, as `vyx bilan` prints it.
size_t PrintBilan(VYXBilan& bilan) {
  std::string text;
  Str255 number;
  for (int r = 0; r < bilan.GetRowCount(); ++r) {
    text += bilan.GetRowTitle(r);
    for (int c = 1; c < bilan.GetColumnCount(); ++c) {
      std::optional<double> v = bilan.GetValue(r, c);
      MacNumToStr(v.value_or(0), number, 2, true);
      text += ' ';
      text += PToStd(number);
    }
    text += '\n';
  }
  return text.size();
}

void AddAndBilanVyx(benchmark::State& state) {
  Prepare();
  fs::path copy = Folder() / "incremental";
  fs::remove_all(copy);
  fs::create_directories(copy);
  // The dossier goes with its event log and share file.
  for (const auto& entry : fs::directory_iterator(Folder())) {
    std::string ext = entry.path().extension().string();
    if (ext == ".grp" || ext == ".evt" || ext == ".shr" || ext == ".cpt") {
      fs::copy_file(entry.path(), copy / entry.path().filename());
    }
  }
  VYXCompteTotaux::Install();
  {
    VYXSDBUserPreferences user{CPFileRef(copy / "Bench.grp")};
    user.IUserPreferences(false);
    std::vector<std::unique_ptr<VYXSDBCompte>> comptes;
    for (int32_t n = 1; n <= user.GetNbOfComptes(); ++n) {
      CPFileRef file;
      user.GetNthCompte(n, &file, false);
      comptes.push_back(std::make_unique<VYXSDBCompte>(user, file));
      comptes.back()->ICompte(false, true, false);
      user.CompteOpened(*comptes.back());
    }
    {
      VYXUserTotaux totaux(user);
      VYXUserBilan bilan(totaux, kCategorieDepense);
      bilan.SetSaving(false);
      bilan.SetPeriod(CPMonthPeriod(1, 2024, 12));
      PrintBilan(bilan);
      VYXCompte& compte = *comptes.front();
      CPResID categorie = compte.GetCategories().GetResourceID(Name("Alimentation"));
      int i = 0;
      for (auto _ : state) {
        Operation op;
        op.date = CPGetDate(1 + i % 28, 1 + i % 12, 2024);
        op.mois = CPMonth(1 + i % 12);
        op.montant = -12.34;
        op.categorie = categorie;
        VYXDataRef ref = 0;
        compte.AddOperation(op, &ref);
        benchmark::DoNotOptimize(PrintBilan(bilan));
        ++i;
      }
    }
    for (auto& c : comptes) c->Close();
    user.Close();
  }
  VYXSetCompteTotauxMaker(nullptr);
}

void AddAndBilanSqlite(benchmark::State& state) {
  Prepare();
  fs::path copy = Folder() / "incremental.sqlite";
  fs::copy_file(Database(), copy, fs::copy_options::overwrite_existing);
  sqlite3* db = nullptr;
  sqlite3_open(copy.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=WAL");
  Exec(db, "PRAGMA synchronous=NORMAL");
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO postings VALUES (1, 2024, ?, ?, 'Alimentation', 1, -12.34)",
                     -1, &insert, nullptr);
  sqlite3_stmt* query = nullptr;
  sqlite3_prepare_v2(db, kQuery, -1, &query, nullptr);
  int i = 0;
  for (auto _ : state) {
    sqlite3_bind_int(insert, 1, 1 + i % 12);
    sqlite3_bind_int(insert, 2, 1 + i % 28);
    sqlite3_step(insert);
    sqlite3_reset(insert);
    std::string text;
    while (sqlite3_step(query) == SQLITE_ROW) {
      text += reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
      text += reinterpret_cast<const char*>(sqlite3_column_text(query, 2));
    }
    sqlite3_reset(query);
    benchmark::DoNotOptimize(text.size());
    ++i;
  }
  sqlite3_finalize(insert);
  sqlite3_finalize(query);
  sqlite3_close(db);
}

BENCHMARK(BilanVyx)
    ->Name("Bilan12Mois/vyx")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BilanSqlite)
    ->Name("Bilan12Mois/sqlite3")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BalanceLedger)
    ->Name("Bilan12Mois/ledger-balance")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(RegisterLedger)
    ->Name("Bilan12Mois/ledger-register")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(AddAndBilanVyx)
    ->Name("AjoutEtBilan/vyx")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1000);
BENCHMARK(AddAndBilanSqlite)
    ->Name("AjoutEtBilan/sqlite")
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1000);

}  // namespace

BENCHMARK_MAIN();
