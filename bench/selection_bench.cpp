// Selections against SQLite on the same rows, in one run: which of 100,000
// operations pass a filter of six criteria, as a list, a report or a saved
// filter's total asks. The criteria: the status is not "planned"; the amount
// lies from -500 to -10; the date falls in 2023 from March on; the category
// is Alimentation or Loisirs, by name; the payment mode is "Carte bancaire",
// by name; the label contains "carte", letter case aside.
//
// vyx: the selection a mask of those conditions converts to, applied to each
// operation with OperationIsSelected (which finds, at each call, the program
// it decoded from the same bytes at the first), and with a
// VYXOperationFilter (its program held), the operations held in memory as an
// account's list walk gives them. SQLite: the same rows in a table without an index on the
// filtered columns, `SELECT count(*) ... WHERE` the same conditions, the
// names looked up in the lists' tables once, by subqueries.
//
// Run: build/bench/selection_bench (a Release build gives the README's figures).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "accounts/VYXSDBCompte.h"
#include "analysis/VYXOperationSelection.h"
#include "analysis/VYXSelectionMask.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOperations = 100000;
const char* const kCategories[] = {"Alimentation", "Loisirs",    "Loyer",   "Salaire",
                                   "Santé",        "Transports", "Voyages", "Impôts"};
const char* const kModes[] = {"Chèque", "Carte bancaire", "Virement", "Prélèvement"};
const char* const kLabels[] = {"Carte Carrefour", "Prélèvement EDF",  "Chèque 1000123",
                               "CARTE cinéma",    "Virement salaire", "Retrait carte"};

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("vyx-selection-bench-" + std::to_string(::getpid()));
    fs::create_directories(p);
    return p;
  }();
  return folder;
}

struct RemoveFolder {
  ~RemoveFolder() {
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

// Operation i, for both engines.
struct Row {
  CPDate date;
  std::string libelle;
  double montant;
  int status, categorie, mode;  // IDs from 1
};

Row RowOf(int i) {
  Row r;
  r.date = CPGetDate(1, 1, 2022) + CPDate(i % 1100) * 86400u;
  r.libelle = std::string(kLabels[i % 6]) + " " + std::to_string(i);
  r.montant = (i % 7 == 0) ? 1500.0 : -double((i * 37) % 60000) / 100.0;
  r.status = i % 3;
  r.categorie = 1 + i % 8;
  r.mode = 1 + (i / 3) % 4;
  return r;
}

// ---- vyx

struct VyxData {
  std::unique_ptr<VYXSDBCompte> compte;
  std::vector<Operation> ops;
  CPOwnedHandle selection;
};

VyxData& Vyx() {
  static VyxData data = [] {
    VyxData d;
    d.compte = std::make_unique<VYXSDBCompte>(gSupervisor, CPFileRef(Folder() / "Courant.cpt"));
    d.compte->ICompte(true, false, false);
    auto name = [](const char* utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); };
    for (int id = 1; id <= 8; ++id) {
      d.compte->GetCategories().AddResource(CPResID(id), name(kCategories[id - 1]), Categorie());
    }
    for (int id = 1; id <= 4; ++id) {
      d.compte->GetModes().AddResource(CPResID(id), name(kModes[id - 1]), Mode());
    }
    for (int i = 0; i < kOperations; ++i) {
      Row r = RowOf(i);
      Operation op;
      op.date = r.date;
      StdToP(Utf8ToMacRoman(r.libelle), op.libelle, 99);
      op.montant = r.montant;
      op.status = OpStatus(r.status);
      op.categorie = CPResID(r.categorie);
      op.mode = CPResID(r.mode);
      d.ops.push_back(op);
    }
    VYXSelectionMask mask;
    mask.sousOperations = false;
    mask.status[kOpPrevue] = false;
    mask.montantKind = kRangeBetween;
    mask.montant1 = -500;
    mask.montant2 = -10;
    mask.dateKind = kRangeBetween;
    StdToP("01/03/23", mask.date1);
    StdToP("31/12/23", mask.date2);
    mask.categories = {1, 2};
    mask.modes = {2};
    StdToP("carte", mask.libelle);
    ConvertMaskToSelection(mask, d.selection, CPHostEncoding, *d.compte);
    return d;
  }();
  return data;
}

int64_t CountVyx(bool cached) {
  VyxData& d = Vyx();
  int64_t n = 0;
  if (cached) {
    VYXOperationFilter filter(*d.compte, d.selection.get(), CPHostEncoding);
    for (const Operation& op : d.ops) n += filter.IsSelected(op);
  } else {
    for (const Operation& op : d.ops) {
      n += OperationIsSelected(*d.compte, op, d.selection.get(), CPHostEncoding);
    }
  }
  return n;
}

// ---- SQLite

void Exec(sqlite3* db, const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message);
  }
}

sqlite3* Sqlite() {
  static sqlite3* db = [] {
    sqlite3* d = nullptr;
    sqlite3_open((Folder() / "courant.sqlite").c_str(), &d);
    Exec(d, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    Exec(d,
         "CREATE TABLE categories (id INTEGER PRIMARY KEY, name TEXT);"
         "CREATE TABLE modes (id INTEGER PRIMARY KEY, name TEXT);"
         "CREATE TABLE ops (id INTEGER PRIMARY KEY, date INTEGER, libelle TEXT, montant REAL,"
         " status INTEGER, categorie INTEGER, mode INTEGER)");
    Exec(d, "BEGIN");
    for (int id = 1; id <= 8; ++id) {
      Exec(d, "INSERT INTO categories VALUES (" + std::to_string(id) + ", '" + kCategories[id - 1] +
                  "')");
    }
    for (int id = 1; id <= 4; ++id) {
      Exec(d, "INSERT INTO modes VALUES (" + std::to_string(id) + ", '" + kModes[id - 1] + "')");
    }
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(d, "INSERT INTO ops VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    for (int i = 0; i < kOperations; ++i) {
      Row r = RowOf(i);
      sqlite3_bind_int(insert, 1, i + 1);
      sqlite3_bind_int64(insert, 2, r.date);
      sqlite3_bind_text(insert, 3, r.libelle.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 4, r.montant);
      sqlite3_bind_int(insert, 5, r.status);
      sqlite3_bind_int(insert, 6, r.categorie);
      sqlite3_bind_int(insert, 7, r.mode);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    Exec(d, "COMMIT");
    return d;
  }();
  return db;
}

int64_t CountSqlite() {
  static const std::string sql =
      "SELECT count(*) FROM ops WHERE status <> 0"
      " AND montant BETWEEN -500 AND -10"
      " AND date BETWEEN " +
      std::to_string(CPGetDate(1, 3, 2023)) + " AND " + std::to_string(CPGetDate(31, 12, 2023)) +
      " AND categorie IN (SELECT id FROM categories WHERE name IN ('Alimentation', 'Loisirs'))"
      " AND mode IN (SELECT id FROM modes WHERE name = 'Carte bancaire')"
      " AND libelle LIKE '%carte%'";
  sqlite3_stmt* stmt = nullptr;
  sqlite3_prepare_v2(Sqlite(), sql.c_str(), -1, &stmt, nullptr);
  sqlite3_step(stmt);
  int64_t n = sqlite3_column_int64(stmt, 0);
  sqlite3_finalize(stmt);
  return n;
}

void BM_Vyx_OperationIsSelected(benchmark::State& state) {
  Vyx();
  int64_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = CountVyx(false));
  state.counters["selected"] = double(n);
  state.SetItemsProcessed(state.iterations() * kOperations);
}

void BM_Vyx_OperationFilter(benchmark::State& state) {
  Vyx();
  int64_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = CountVyx(true));
  state.counters["selected"] = double(n);
  state.SetItemsProcessed(state.iterations() * kOperations);
}

void BM_SQLite_Where(benchmark::State& state) {
  Sqlite();
  int64_t n = 0;
  for (auto _ : state) benchmark::DoNotOptimize(n = CountSqlite());
  state.counters["selected"] = double(n);
  state.SetItemsProcessed(state.iterations() * kOperations);
}

}  // namespace

BENCHMARK(BM_Vyx_OperationIsSelected)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Vyx_OperationFilter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLite_Where)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
