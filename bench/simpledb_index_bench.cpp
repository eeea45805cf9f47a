// A secondary index of the SimpleDB engine against SQLite with an index on the
// same key, in one run: 100,000 records of 112 bytes, each with a distinct
// 32-bit key. Measured: opening the file and finding one record when the saved
// index is current (it is loaded) and when it is not (it is rebuilt from the
// records), against SQLite opening its database and finding one row by the
// key (its index lives in the file) and rebuilding its index (REINDEX); then
// finding by key, the ID alone and the whole record, against SELECT by the
// indexed key. SQLite as in simpledb_bench.cpp: WAL, synchronous=NORMAL.
//
// Run: build/bench/simpledb_index_bench (a Release build gives the figures of
// the README).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "simpledb/CPSimpleDBDataHandler_T.h"
#include "simpledb/CPSimpleDBFastAdd.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBIndex_T.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 100000;
constexpr OSType kType = CPFourCC("CTRY");

struct Country {
  double area = 0;
  int32_t number = 0;
  char code[8] = {};
  char name[92] = {};
};
static_assert(sizeof(Country) == 112);

using Countries = CPSimpleDBDataHandler_T<Country>;

class ByNumber : public CPSimpleDBIndex_T<Country> {
 public:
  ByNumber(CPSimpleDBDataHandler* h, bool save)
      : CPSimpleDBIndex_T<Country>(h, 'nomb', kSDBKeyLong, 4, true, save) {}
  using CPSimpleDBIndex_T<Country>::DataToKey;
  CPSimpleDBIndexKeyValue DataToKey(const Country& c) override {
    CPSimpleDBIndexKeyValue k{};
    k.l = c.number;
    return k;
  }
};

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("vyx-index-bench-" + std::to_string(::getpid()));
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

// Distinct keys, in the order the records are added; the same for both.
const std::vector<int32_t>& Keys() {
  static const std::vector<int32_t> keys = [] {
    std::vector<int32_t> k(kRecords);
    std::iota(k.begin(), k.end(), 1);
    for (int32_t& v : k) v = v * 7919 - 400000000;  // spread over the signed range
    std::shuffle(k.begin(), k.end(), std::mt19937(11));
    return k;
  }();
  return keys;
}

// The keys looked for, in an order of their own.
std::vector<int32_t> Lookups(int n) {
  std::vector<int32_t> k(Keys().begin(), Keys().begin() + n);
  std::shuffle(k.begin(), k.end(), std::mt19937(12));
  return k;
}

Country Record(int i) {
  Country c;
  c.number = Keys()[i];
  c.area = i * 0.5;
  std::snprintf(c.name, sizeof c.name, "pays %d", i);
  return c;
}

// ---- vyx

const fs::path& VyxFile(bool current) {
  static const fs::path paths[2] = {Folder() / "stale.cpt", Folder() / "current.cpt"};
  static bool made[2] = {false, false};
  const fs::path& path = paths[current];
  if (made[current]) return path;
  CPSimpleDBFile f{CPFileRef(path)};
  Str255 signature = "\x08vyx_cpt1";
  f.Create('VyxP', 'CPT5', signature, 1, false);
  {
    Countries table(&f, kType);
    {
      CPSimpleDBFastAdd batch(&table, kType);
      for (int i = 0; i < kRecords; ++i) {
        Country c = Record(i);
        CPSimpleDBDataInfo info = table.NewInfo();
        CPSimpleDBRefnum r;
        batch.AddData(&info, CPHostEncoding, &c, sizeof c, &r);
      }
    }
    ByNumber index(&table, true);
    index.GetCount();  // built from the records, saved when it goes
  }
  if (!current) {
    // Any change after the index was saved makes it stale.
    CPSimpleDBSession s(&f);
    CPSimpleDBDataInfo info('ELSE', 'bina', 0);
    CPSimpleDBRefnum r;
    s.AddData(&info, CPHostEncoding, "x", 1, &r);
  }
  f.Close();
  made[current] = true;
  return path;
}

void VyxOpenAndFind(benchmark::State& state, bool current) {
  const fs::path& path = VyxFile(current);
  bool fromFile = false;
  for (auto _ : state) {
    CPSimpleDBFile f{CPFileRef(path)};
    f.Open(10, false, false);
    Countries table(&f, kType);
    ByNumber index(&table, false);  // the stale one stays stale
    Country wanted;
    wanted.number = Keys()[kRecords / 2];
    CPSimpleDBDataID id = 0;
    bool found = false;
    if (!index.Find(wanted, &id, &found) || !found) state.SkipWithError("not found");
    fromFile = index.LoadedFromFile();
    benchmark::DoNotOptimize(id);
  }
  if (fromFile != current) state.SkipWithError("the saved index was not used as expected");
}

void BM_VyxOpenWithCurrentIndex(benchmark::State& state) { VyxOpenAndFind(state, true); }
void BM_VyxOpenRebuildingIndex(benchmark::State& state) { VyxOpenAndFind(state, false); }

void VyxFind(benchmark::State& state, bool readRecord) {
  CPSimpleDBFile f{CPFileRef(VyxFile(true))};
  f.Open(10, false, true);
  Countries table(&f, kType);
  ByNumber index(&table, false);
  index.GetCount();
  const std::vector<int32_t> lookups = Lookups(10000);
  for (auto _ : state) {
    for (int32_t key : lookups) {
      Country c;
      c.number = key;
      CPSimpleDBDataID id = 0;
      bool found = false;
      if (!index.Find(c, &id, &found) || !found) state.SkipWithError("not found");
      if (readRecord) {
        CPSimpleDBRefnum r = 0;
        table.GetDataRefnum(id, &r);
        table.GetData(r, nullptr, &c);
      }
      benchmark::DoNotOptimize(c);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lookups.size()));
}

void BM_VyxFindID(benchmark::State& state) { VyxFind(state, false); }
void BM_VyxFindRecord(benchmark::State& state) { VyxFind(state, true); }

// ---- SQLite

sqlite3* OpenSQLite(const fs::path& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
               nullptr);
  return db;
}

const fs::path& SQLiteFile() {
  static const fs::path path = [] {
    fs::path p = Folder() / "countries.sqlite";
    sqlite3* db = OpenSQLite(p);
    sqlite3_exec(db,
                 "CREATE TABLE country (id INTEGER PRIMARY KEY, number INTEGER, body BLOB);"
                 "CREATE INDEX country_number ON country(number);",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert;
    sqlite3_prepare_v2(db, "INSERT INTO country VALUES (?, ?, ?)", -1, &insert, nullptr);
    for (int i = 0; i < kRecords; ++i) {
      Country c = Record(i);
      sqlite3_bind_int(insert, 1, i + 1);
      sqlite3_bind_int(insert, 2, c.number);
      sqlite3_bind_blob(insert, 3, &c, sizeof c, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return p;
  }();
  return path;
}

void SQLiteOpenAndFind(benchmark::State& state, bool reindex) {
  const fs::path& path = SQLiteFile();
  for (auto _ : state) {
    sqlite3* db = OpenSQLite(path);
    if (reindex) sqlite3_exec(db, "REINDEX country_number", nullptr, nullptr, nullptr);
    sqlite3_stmt* select;
    sqlite3_prepare_v2(db, "SELECT id FROM country WHERE number = ?", -1, &select, nullptr);
    sqlite3_bind_int(select, 1, Keys()[kRecords / 2]);
    if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("missing row");
    benchmark::DoNotOptimize(sqlite3_column_int(select, 0));
    sqlite3_finalize(select);
    sqlite3_close(db);
  }
}

void BM_SQLiteOpenWithIndex(benchmark::State& state) { SQLiteOpenAndFind(state, false); }
void BM_SQLiteOpenReindexing(benchmark::State& state) { SQLiteOpenAndFind(state, true); }

void SQLiteFind(benchmark::State& state, bool readRecord) {
  sqlite3* db = OpenSQLite(SQLiteFile());
  sqlite3_stmt* select;
  sqlite3_prepare_v2(db,
                     readRecord ? "SELECT body FROM country WHERE number = ?"
                                : "SELECT id FROM country WHERE number = ?",
                     -1, &select, nullptr);
  const std::vector<int32_t> lookups = Lookups(10000);
  for (auto _ : state) {
    for (int32_t key : lookups) {
      sqlite3_bind_int(select, 1, key);
      if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("missing row");
      Country c;
      if (readRecord) {
        std::memcpy(&c, sqlite3_column_blob(select, 0), sizeof c);
      } else {
        c.number = sqlite3_column_int(select, 0);
      }
      benchmark::DoNotOptimize(c);
      sqlite3_reset(select);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lookups.size()));
  sqlite3_finalize(select);
  sqlite3_close(db);
}

void BM_SQLiteFindID(benchmark::State& state) { SQLiteFind(state, false); }
void BM_SQLiteFindRecord(benchmark::State& state) { SQLiteFind(state, true); }

}  // namespace

BENCHMARK(BM_VyxOpenWithCurrentIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VyxOpenRebuildingIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteOpenWithIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteOpenReindexing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VyxFindID)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteFindID)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VyxFindRecord)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SQLiteFindRecord)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
