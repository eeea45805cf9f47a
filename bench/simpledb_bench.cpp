// The SimpleDB engine against SQLite doing the same work on the same data, in
// one run: 100,000 records of 200 bytes added one by one, all read back by ID
// (in a shuffled order), 10,000 modified, 10,000 deleted, and a cleanly closed
// file reopened to read one record. vyx writes every change through at once,
// as the application does; SQLite runs in autocommit with WAL and
// synchronous=NORMAL. Files live in a temporary folder on the same disk.
//
// Run: build/bench/simpledb_bench (a Release build gives the figures of the README).
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

#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "simpledb/CPSimpleDBSession.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRecords = 100000;
constexpr int kSize = 200;
constexpr int kChanges = 10000;

// Never destroyed, so that the remover below can still name it at exit.
const fs::path& Folder() {
  static const fs::path* folder = [] {
    auto* p = new fs::path(fs::temp_directory_path() / ("vyx-bench-" + std::to_string(::getpid())));
    fs::create_directories(*p);
    return p;
  }();
  return *folder;
}

struct RemoveFolder {
  ~RemoveFolder() {
    std::error_code ec;
    fs::remove_all(Folder(), ec);
  }
} gRemoveFolder;

std::vector<unsigned char> Payload(uint32_t seed) {
  std::vector<unsigned char> b(kSize);
  uint32_t x = seed * 2654435761u + 1;
  for (auto& c : b) c = static_cast<unsigned char>((x = x * 1103515245u + 12345u) >> 16);
  return b;
}

// IDs 1..n in an order that is the same for both engines.
std::vector<uint32_t> Shuffled(int n, uint32_t seed) {
  std::vector<uint32_t> ids(n);
  std::iota(ids.begin(), ids.end(), 1u);
  std::shuffle(ids.begin(), ids.end(), std::mt19937(seed));
  return ids;
}

// ---- vyx

template <typename File>
void AddAll(File& f, int n) {
  CPSimpleDBSession s(&f);
  for (int i = 1; i <= n; ++i) {
    std::vector<unsigned char> data = Payload(i);
    CPSimpleDBDataInfo info('OPER', 'bina', 0);
    CPSimpleDBRefnum r;
    s.AddData(&info, CPHostEncoding, data.data(), kSize, &r);
  }
}

template <typename File>
std::unique_ptr<File> Make(const fs::path& path) {
  fs::remove(path);
  auto f = std::make_unique<File>(CPFileRef(path));
  Str255 signature = "\x08vyx_cpt1";
  f->Create('VyxP', 'CPT5', signature, 1, false);
  return f;
}

// A closed file of kRecords records, made once and copied for each run.
const fs::path& VyxModel() {
  static const fs::path path = [] {
    fs::path p = Folder() / "model.cpt";
    auto f = Make<CPSimpleDBFile>(p);
    AddAll(*f, kRecords);
    f->Close();
    return p;
  }();
  return path;
}

template <typename File>
std::unique_ptr<File> OpenCopy(const char* name) {
  fs::path path = Folder() / name;
  fs::copy_file(VyxModel(), path, fs::copy_options::overwrite_existing);
  auto f = std::make_unique<File>(CPFileRef(path));
  f->Open(10, false, false);
  return f;
}

template <typename File>
void VyxAdd(benchmark::State& state) {
  for (auto _ : state) {
    auto f = Make<File>(Folder() / "add.cpt");
    AddAll(*f, kRecords);
    f->Close();
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

template <typename File>
void VyxRead(benchmark::State& state) {
  auto f = OpenCopy<File>("read.cpt");
  CPSimpleDBSession s(f.get());
  std::vector<uint32_t> ids = Shuffled(kRecords, 1);
  unsigned char data[kSize];
  for (auto _ : state) {
    for (uint32_t id : ids) {
      CPSimpleDBRefnum r;
      if (!s.GetDataRefnum(id, &r)) state.SkipWithError("missing record");
      s.GetData(r, nullptr, nullptr, data, kSize);
      benchmark::DoNotOptimize(data);
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

template <typename File>
void VyxModify(benchmark::State& state) {
  std::vector<uint32_t> ids = Shuffled(kRecords, 2);
  for (auto _ : state) {
    state.PauseTiming();
    auto f = OpenCopy<File>("modify.cpt");
    state.ResumeTiming();
    {
      CPSimpleDBSession s(f.get());
      for (int i = 0; i < kChanges; ++i) {
        std::vector<unsigned char> data = Payload(ids[i] + kRecords);
        CPSimpleDBRefnum r;
        CPSimpleDBDataInfo info;
        s.GetDataRefnum(ids[i], &info, &r);
        s.ModifyData(r, &info, CPHostEncoding, data.data(), kSize, &r);
      }
    }
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kChanges);
}

template <typename File>
void VyxDelete(benchmark::State& state) {
  std::vector<uint32_t> ids = Shuffled(kRecords, 3);
  for (auto _ : state) {
    state.PauseTiming();
    auto f = OpenCopy<File>("delete.cpt");
    state.ResumeTiming();
    {
      CPSimpleDBSession s(f.get());
      for (int i = 0; i < kChanges; ++i) {
        CPSimpleDBRefnum r;
        s.GetDataRefnum(ids[i], &r);
        s.DeleteData(r, CPSimpleDBDataInfo());
      }
    }
    state.PauseTiming();
    f.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kChanges);
}

template <typename File>
void VyxReopen(benchmark::State& state) {
  fs::path path = Folder() / "reopen.cpt";
  fs::copy_file(VyxModel(), path, fs::copy_options::overwrite_existing);
  unsigned char data[kSize];
  for (auto _ : state) {
    File f{CPFileRef(path)};
    f.Open(10, false, false);
    CPSimpleDBSession s(&f);
    CPSimpleDBRefnum r;
    s.GetDataRefnum(kRecords / 2, &r);
    s.GetData(r, nullptr, nullptr, data, kSize);
    benchmark::DoNotOptimize(data);
  }
}

// ---- SQLite

sqlite3* SqliteOpen(const fs::path& path) {
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr,
               nullptr);
  return db;
}

void SqliteRemove(const fs::path& path) {
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path.string() + suffix);
}

void SqliteAddAll(sqlite3* db, int n) {
  sqlite3_exec(db, "CREATE TABLE data (id INTEGER PRIMARY KEY, type INTEGER, body BLOB)", nullptr,
               nullptr, nullptr);
  sqlite3_stmt* insert;
  sqlite3_prepare_v2(db, "INSERT INTO data VALUES (?, ?, ?)", -1, &insert, nullptr);
  for (int i = 1; i <= n; ++i) {
    std::vector<unsigned char> data = Payload(i);
    sqlite3_bind_int(insert, 1, i);
    sqlite3_bind_int(insert, 2, 'OPER');
    sqlite3_bind_blob(insert, 3, data.data(), kSize, SQLITE_TRANSIENT);
    sqlite3_step(insert);
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
}

const fs::path& SqliteModel() {
  static const fs::path path = [] {
    fs::path p = Folder() / "model.db";
    SqliteRemove(p);
    sqlite3* db = SqliteOpen(p);
    SqliteAddAll(db, kRecords);
    sqlite3_close(db);
    return p;
  }();
  return path;
}

sqlite3* SqliteOpenCopy(const char* name) {
  fs::path path = Folder() / name;
  SqliteRemove(path);
  fs::copy_file(SqliteModel(), path);
  return SqliteOpen(path);
}

void SqliteAdd(benchmark::State& state) {
  fs::path path = Folder() / "add.db";
  for (auto _ : state) {
    state.PauseTiming();
    SqliteRemove(path);
    state.ResumeTiming();
    sqlite3* db = SqliteOpen(path);
    SqliteAddAll(db, kRecords);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void SqliteRead(benchmark::State& state) {
  sqlite3* db = SqliteOpenCopy("read.db");
  sqlite3_stmt* select;
  sqlite3_prepare_v2(db, "SELECT body FROM data WHERE id = ?", -1, &select, nullptr);
  std::vector<uint32_t> ids = Shuffled(kRecords, 1);
  unsigned char data[kSize];
  for (auto _ : state) {
    for (uint32_t id : ids) {
      sqlite3_bind_int(select, 1, static_cast<int>(id));
      if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("missing row");
      std::memcpy(data, sqlite3_column_blob(select, 0), kSize);
      benchmark::DoNotOptimize(data);
      sqlite3_reset(select);
    }
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void SqliteModify(benchmark::State& state) {
  std::vector<uint32_t> ids = Shuffled(kRecords, 2);
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = SqliteOpenCopy("modify.db");
    sqlite3_stmt* update;
    sqlite3_prepare_v2(db, "UPDATE data SET body = ? WHERE id = ?", -1, &update, nullptr);
    state.ResumeTiming();
    for (int i = 0; i < kChanges; ++i) {
      std::vector<unsigned char> data = Payload(ids[i] + kRecords);
      sqlite3_bind_blob(update, 1, data.data(), kSize, SQLITE_TRANSIENT);
      sqlite3_bind_int(update, 2, static_cast<int>(ids[i]));
      sqlite3_step(update);
      sqlite3_reset(update);
    }
    state.PauseTiming();
    sqlite3_finalize(update);
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kChanges);
}

void SqliteDelete(benchmark::State& state) {
  std::vector<uint32_t> ids = Shuffled(kRecords, 3);
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = SqliteOpenCopy("delete.db");
    sqlite3_stmt* remove;
    sqlite3_prepare_v2(db, "DELETE FROM data WHERE id = ?", -1, &remove, nullptr);
    state.ResumeTiming();
    for (int i = 0; i < kChanges; ++i) {
      sqlite3_bind_int(remove, 1, static_cast<int>(ids[i]));
      sqlite3_step(remove);
      sqlite3_reset(remove);
    }
    state.PauseTiming();
    sqlite3_finalize(remove);
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kChanges);
}

void SqliteReopen(benchmark::State& state) {
  fs::path path = Folder() / "reopen.db";
  SqliteRemove(path);
  fs::copy_file(SqliteModel(), path);
  unsigned char data[kSize];
  for (auto _ : state) {
    sqlite3* db = SqliteOpen(path);
    sqlite3_stmt* select;
    sqlite3_prepare_v2(db, "SELECT body FROM data WHERE id = ?", -1, &select, nullptr);
    sqlite3_bind_int(select, 1, kRecords / 2);
    if (sqlite3_step(select) != SQLITE_ROW) state.SkipWithError("missing row");
    std::memcpy(data, sqlite3_column_blob(select, 0), kSize);
    benchmark::DoNotOptimize(data);
    sqlite3_finalize(select);
    sqlite3_close(db);
  }
}

using File = CPSimpleDBFile;
using Memory = CPSimpleDBFullMemoryFile;

BENCHMARK(VyxAdd<File>)->Name("Add100k/vyx")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(VyxAdd<Memory>)->Name("Add100k/vyx_memory")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(SqliteAdd)->Name("Add100k/sqlite")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(VyxRead<File>)->Name("ReadAllByID/vyx")->Unit(benchmark::kMillisecond);
BENCHMARK(VyxRead<Memory>)->Name("ReadAllByID/vyx_memory")->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteRead)->Name("ReadAllByID/sqlite")->Unit(benchmark::kMillisecond);
BENCHMARK(VyxModify<File>)->Name("Modify10k/vyx")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VyxModify<Memory>)
    ->Name("Modify10k/vyx_memory")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(SqliteModify)->Name("Modify10k/sqlite")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VyxDelete<File>)->Name("Delete10k/vyx")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VyxDelete<Memory>)
    ->Name("Delete10k/vyx_memory")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(SqliteDelete)->Name("Delete10k/sqlite")->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(VyxReopen<File>)->Name("Reopen/vyx")->Unit(benchmark::kMicrosecond);
BENCHMARK(VyxReopen<Memory>)->Name("Reopen/vyx_memory")->Unit(benchmark::kMicrosecond);
BENCHMARK(SqliteReopen)->Name("Reopen/sqlite")->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
