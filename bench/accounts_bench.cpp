// Accounts against SQLite doing the same work on the same rows, in one run:
// an account of 30,000 operations (one in ten split in three lines) and a
// dossier of four such accounts. Measured: making them operation by
// operation; opening one (and the four) in a fresh process, which for vyx is
// loading the file and checking its sums (every operation read), for SQLite
// opening the database and summing the operations by status; adding one
// more operation to an open account; and the memory an open account takes
// (resident memory of the fresh process after the opening, less before). An
// opening reports its elapsed time and, as cpu_ms, the processor time it took.
//
// vyx writes every change through at once, as the application does; SQLite
// runs in autocommit with WAL and synchronous=NORMAL, one row per operation
// and per split line in two tables.
//
// Run: build/bench/accounts_bench (a Release build gives the README's figures).
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "accounts/VYXSDBCompte.h"
#include "foundation/CPStrings.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;

constexpr int kOperations = 30000;
constexpr int kSplitEvery = 10;
constexpr int kLinesPerSplit = 3;
constexpr int kAccounts = 4;

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("vyx-accounts-bench-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

struct RemoveFolder {
  bool owner = true;
  ~RemoveFolder() {
    if (!owner) return;
    std::error_code ec;
    fs::remove_all(Folder(), ec);
  }
} gRemoveFolder;

class BenchSupervisor : public VYXCompteSupervisor {
 public:
  DeviseCode GetReferenceDevise() override { return 'EUR '; }
  std::string GetLastPassword() override { return {}; }
  void SetLastPassword(const std::string&) override {}
  void CheckCompte(VYXCompte&) override {}
  void CompteBeingClosed(VYXCompte&) override {}
} gSupervisor;

// The same rows for both engines: operation i.
struct Row {
  CPDate date;
  std::string libelle;
  double montant;
  int status;
  int categorie;
  int tiers;
  int mode;
};

Row RowOf(int i) {
  static const char* const kLabels[] = {"Boulangerie", "Supermarche", "Salaire", "Loyer",
                                        "Electricite", "Pharmacie",   "Essence", "Cinema"};
  Row r;
  r.date = CPDate(3'600'000'000u + uint32_t(i) * 3600u);
  r.libelle = std::string(kLabels[i % 8]) + " " + std::to_string(i);
  r.montant = (i % 8 == 2) ? 2100.0 : -double((i * 37) % 20000) / 100.0;
  r.status = i % 3;
  r.categorie = 1 + i % 20;
  r.tiers = 1 + i % 10;
  r.mode = 1 + i % 3;
  return r;
}

double LineAmount(int i, int line) { return -double((i + line) % 500) / 10.0; }

// ---- vyx

void FillLists(VYXCompte& c) {
  for (int id = 1; id <= 20; ++id) {
    c.GetCategories().AddResource(CPResID(id), CPString::FromStd("Categorie " + std::to_string(id)),
                                  Categorie());
  }
  for (int id = 1; id <= 10; ++id) {
    c.GetTiers().AddResource(CPResID(id), CPString::FromStd("Tiers " + std::to_string(id)),
                             UserTiers());
  }
  for (int id = 1; id <= 3; ++id) {
    c.GetModes().AddResource(CPResID(id), CPString::FromStd("Mode " + std::to_string(id)), Mode());
  }
}

Operation OperationOf(int i) {
  Row r = RowOf(i);
  Operation op;
  op.date = r.date;
  StdToP(r.libelle, op.libelle, 99);
  op.montant = r.montant;
  op.status = OpStatus(r.status);
  op.categorie = CPResID(r.categorie);
  op.tiers = CPResID(r.tiers);
  op.mode = CPResID(r.mode);
  return op;
}

void AddOperationRows(VYXCompte& c, int from, int to) {
  for (int i = from; i < to; ++i) {
    Operation op = OperationOf(i);
    VYXDataRef ref;
    c.AddOperation(op, &ref);
    if (i % kSplitEvery != 0) continue;
    for (int l = 0; l < kLinesPerSplit; ++l) {
      SousOperation line(op);
      line.montant = LineAmount(i, l);
      c.AddSousOperation(ref, line, nullptr);
      c.GetOperation(ref, &op);
    }
  }
}

void MakeVyx(const fs::path& path) {
  fs::remove(path);
  VYXSDBCompte c(gSupervisor, CPFileRef(path));
  c.ICompte(true, true, false);
  FillLists(c);
  AddOperationRows(c, 0, kOperations);
  c.Close();
}

// ---- SQLite

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message);
  }
}

sqlite3* OpenSqlite(const fs::path& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  Exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
  return db;
}

struct SqliteAccount {
  explicit SqliteAccount(const fs::path& path) : db(OpenSqlite(path)) {
    Exec(db,
         "CREATE TABLE IF NOT EXISTS ops(id INTEGER PRIMARY KEY, date INTEGER, libelle TEXT, "
         "montant REAL, status INTEGER, categorie INTEGER, tiers INTEGER, mode INTEGER, "
         "nlines INTEGER, montant_lines REAL);"
         "CREATE TABLE IF NOT EXISTS lines(id INTEGER PRIMARY KEY, op INTEGER, number INTEGER, "
         "montant REAL, categorie INTEGER);");
    sqlite3_prepare_v2(db, "INSERT INTO ops VALUES(NULL,?,?,?,?,?,?,?,0,0)", -1, &addOp, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO lines VALUES(NULL,?,?,?,?)", -1, &addLine, nullptr);
    sqlite3_prepare_v2(db,
                       "UPDATE ops SET nlines=nlines+1, montant_lines=montant_lines+? WHERE id=?",
                       -1, &updateOp, nullptr);
  }
  ~SqliteAccount() {
    sqlite3_finalize(addOp);
    sqlite3_finalize(addLine);
    sqlite3_finalize(updateOp);
    sqlite3_close(db);
  }
  void Add(int i) {
    Row r = RowOf(i);
    sqlite3_bind_int64(addOp, 1, r.date);
    sqlite3_bind_text(addOp, 2, r.libelle.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(addOp, 3, r.montant);
    sqlite3_bind_int(addOp, 4, r.status);
    sqlite3_bind_int(addOp, 5, r.categorie);
    sqlite3_bind_int(addOp, 6, r.tiers);
    sqlite3_bind_int(addOp, 7, r.mode);
    sqlite3_step(addOp);
    sqlite3_reset(addOp);
    sqlite3_int64 id = sqlite3_last_insert_rowid(db);
    if (i % kSplitEvery != 0) return;
    for (int l = 0; l < kLinesPerSplit; ++l) {
      sqlite3_bind_int64(addLine, 1, id);
      sqlite3_bind_int(addLine, 2, l + 1);
      sqlite3_bind_double(addLine, 3, LineAmount(i, l));
      sqlite3_bind_int(addLine, 4, r.categorie);
      sqlite3_step(addLine);
      sqlite3_reset(addLine);
      sqlite3_bind_double(updateOp, 1, LineAmount(i, l));
      sqlite3_bind_int64(updateOp, 2, id);
      sqlite3_step(updateOp);
      sqlite3_reset(updateOp);
    }
  }
  sqlite3* db;
  sqlite3_stmt* addOp = nullptr;
  sqlite3_stmt* addLine = nullptr;
  sqlite3_stmt* updateOp = nullptr;
};

void RemoveSqlite(const fs::path& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path.string() + suffix);
}

void MakeSqlite(const fs::path& path) {
  RemoveSqlite(path);
  SqliteAccount a(path);
  for (int i = 0; i < kOperations; ++i) a.Add(i);
}

// ---- models made once, copied for each run

fs::path Model(bool vyx) {
  static fs::path vyxModel, sqliteModel;
  fs::path& model = vyx ? vyxModel : sqliteModel;
  if (model.empty()) {
    model = Folder() / (vyx ? "model.cpt" : "model.sqlite");
    vyx ? MakeVyx(model) : MakeSqlite(model);
    if (!vyx) {
      // Fold the WAL into the database so that copies are whole.
      sqlite3* db = OpenSqlite(model);
      Exec(db, "PRAGMA wal_checkpoint(TRUNCATE);");
      sqlite3_close(db);
    }
  }
  return model;
}

fs::path Copy(bool vyx, const std::string& name) {
  fs::path path = Folder() / name;
  if (!vyx) RemoveSqlite(path);
  fs::copy_file(Model(vyx), path, fs::copy_options::overwrite_existing);
  return path;
}

// ---- the fresh process that opens

long ResidentKiB() {
  std::ifstream statm("/proc/self/statm");
  long size = 0, resident = 0;
  statm >> size >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

long long ProcessCpuMicroseconds() {
  timespec t;
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<long long>(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

// Opens the files named after the flag, keeps them open, and prints the time
// taken (microseconds), the resident memory they added (KiB), the check sum
// and the processor time the opening took (microseconds, the kernel's share
// included): on a loaded machine the elapsed time also counts the turns the
// process waited for a processor.
int ChildOpen(bool vyx, int argc, char** argv) {
  long before = ResidentKiB();
  long long cpuStart = ProcessCpuMicroseconds();
  auto start = std::chrono::steady_clock::now();
  std::vector<std::unique_ptr<VYXSDBCompte>> accounts;
  std::vector<sqlite3*> dbs;
  double check = 0;
  for (int i = 0; i < argc; ++i) {
    if (vyx) {
      auto c = std::make_unique<VYXSDBCompte>(gSupervisor, CPFileRef(argv[i]));
      c->ICompte(false, true, false);
      check += MontantSet_Total(c->GetSumsValues());
      accounts.push_back(std::move(c));
    } else {
      sqlite3* db = OpenSqlite(argv[i]);
      sqlite3_stmt* sums = nullptr;
      sqlite3_prepare_v2(db, "SELECT status, SUM(montant), COUNT(*) FROM ops GROUP BY status", -1,
                         &sums, nullptr);
      while (sqlite3_step(sums) == SQLITE_ROW) check += sqlite3_column_double(sums, 1);
      sqlite3_finalize(sums);
      dbs.push_back(db);
    }
  }
  auto us = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                  start)
                .count();
  long long cpu = ProcessCpuMicroseconds() - cpuStart;
  long after = ResidentKiB();
  std::printf("%lld %ld %.2f %lld\n", static_cast<long long>(us), after - before, check, cpu);
  std::fflush(stdout);
  for (sqlite3* db : dbs) sqlite3_close(db);
  return 0;
}

struct ChildResult {
  double seconds = 0;
  double cpuSeconds = 0;
  long kib = 0;
};

ChildResult RunChild(bool vyx, const std::vector<fs::path>& files) {
  std::string self = fs::read_symlink("/proc/self/exe");
  std::vector<std::string> args = {self, vyx ? "--open-vyx" : "--open-sqlite"};
  for (const fs::path& f : files) args.push_back(f.string());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid;
  if (posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("spawn");
  }
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string text;
  char buffer[256];
  ssize_t n;
  while ((n = read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, size_t(n));
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  long long us = 0, cpu = 0;
  double check = 0;
  ChildResult r;
  if (std::sscanf(text.c_str(), "%lld %ld %lf %lld", &us, &r.kib, &check, &cpu) != 4) {
    throw std::runtime_error(text);
  }
  r.seconds = double(us) / 1e6;
  r.cpuSeconds = double(cpu) / 1e6;
  return r;
}

// ---- benchmarks

void CreateVyx(benchmark::State& state) {
  int accounts = int(state.range(0));
  for (auto _ : state) {
    for (int a = 0; a < accounts; ++a) MakeVyx(Folder() / ("create" + std::to_string(a) + ".cpt"));
  }
  state.SetItemsProcessed(state.iterations() * accounts * kOperations);
}

void CreateSqlite(benchmark::State& state) {
  int accounts = int(state.range(0));
  for (auto _ : state) {
    for (int a = 0; a < accounts; ++a) {
      MakeSqlite(Folder() / ("create" + std::to_string(a) + ".sqlite"));
    }
  }
  state.SetItemsProcessed(state.iterations() * accounts * kOperations);
}

void OpenCold(benchmark::State& state, bool vyx) {
  int accounts = int(state.range(0));
  std::vector<fs::path> files;
  for (int a = 0; a < accounts; ++a) {
    files.push_back(Copy(vyx, "open" + std::to_string(a) + (vyx ? ".cpt" : ".sqlite")));
  }
  long kib = 0;
  double cpuSeconds = 0;
  for (auto _ : state) {
    ChildResult r = RunChild(vyx, files);
    state.SetIterationTime(r.seconds);
    cpuSeconds += r.cpuSeconds;
    kib = r.kib;
  }
  state.counters["resident_MiB"] = double(kib) / 1024.0;
  state.counters["cpu_ms"] = cpuSeconds * 1000.0 / double(state.iterations());
  state.counters["files"] = accounts;
}

void OpenColdVyx(benchmark::State& state) { OpenCold(state, true); }
void OpenColdSqlite(benchmark::State& state) { OpenCold(state, false); }

void AddOneVyx(benchmark::State& state) {
  VYXSDBCompte c(gSupervisor, CPFileRef(Copy(true, "addone.cpt")));
  c.ICompte(false, true, false);
  int i = kOperations;
  for (auto _ : state) AddOperationRows(c, i, i + 1), ++i;
  c.Close();
}

void AddOneSqlite(benchmark::State& state) {
  SqliteAccount a(Copy(false, "addone.sqlite"));
  int i = kOperations;
  for (auto _ : state) a.Add(i++);
}

BENCHMARK(CreateVyx)
    ->Name("Create/vyx")
    ->Arg(1)
    ->Arg(kAccounts)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(CreateSqlite)
    ->Name("Create/sqlite")
    ->Arg(1)
    ->Arg(kAccounts)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK(OpenColdVyx)
    ->Name("OpenCold/vyx")
    ->Arg(1)
    ->Arg(kAccounts)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(OpenColdSqlite)
    ->Name("OpenCold/sqlite")
    ->Arg(1)
    ->Arg(kAccounts)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
// A fixed count keeps the account within the 65,535 operations it holds.
BENCHMARK(AddOneVyx)->Name("AddOne/vyx")->Unit(benchmark::kMicrosecond)->Iterations(3000);
BENCHMARK(AddOneSqlite)->Name("AddOne/sqlite")->Unit(benchmark::kMicrosecond)->Iterations(3000);

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 &&
      (std::strcmp(argv[1], "--open-vyx") == 0 || std::strcmp(argv[1], "--open-sqlite") == 0)) {
    gRemoveFolder.owner = false;
    return ChildOpen(std::strcmp(argv[1], "--open-vyx") == 0, argc - 2, argv + 2);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
