// Makes the dossier bench/cli.sh times, through the library: one account of N
// operations (one in ten split in two or three lines) drawn from a seed, and
// the same operations as rows of a SQLite database, so that the `vyx`
// commands and the sqlite3 program work on the same data.
//
//   vyx_bench_dossier FOLDER [OPERATIONS [SEED]]
//
// Writes FOLDER/Bench.grp (the dossier), its account "Courant" and
// FOLDER/bench.sqlite (tables operations and lignes).
#include <sqlite3.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "accounts/VYXListMapping.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCategories = 20;
constexpr int kTiers = 12;
const char* const kCategorieNames[kCategories] = {
    "Loyer",     "Électricité", "Eau",        "Internet", "Téléphone", "Alimentation", "Boulangerie",
    "Restaurant", "Vêtements",  "Carburant",  "Péage",    "Assurance", "Mutuelle",     "Pharmacie",
    "Médecin",   "Loisirs",     "Livres",     "Cadeaux",  "Impôts",    "Salaire"};
const char* const kTiersNames[kTiers] = {"Boulangerie Martin", "Supermarché", "EDF",   "Orange",
                                         "Total",              "Pharmacie",   "SNCF",  "Fnac",
                                         "Amazon",             "Employeur",   "Mairie", "Garage"};
const char* const kModeNames[] = {"Carte", "Chèque", "Virement", "Prélèvement"};
const char* const kLabels[] = {"Courses", "Plein d'essence", "Facture", "Abonnement",
                               "Achat",   "Remboursement",   "Paie",    "Divers"};

struct Line {
  int categorie;
  double montant;
};
struct Op {
  int year, month, day;
  std::string libelle;
  double montant;
  int categorie, tiers, mode, status;
  std::vector<Line> lines;
};

std::vector<Op> Generate(int count, uint32_t seed) {
  std::mt19937 random(seed);
  auto uniform = [&](int low, int high) { return low + int(random() % uint32_t(high - low + 1)); };
  std::vector<Op> ops;
  ops.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    Op op;
    op.year = 2015 + uniform(0, 9);
    op.month = uniform(1, 12);
    op.day = uniform(1, CPDaysInMonth(op.month, op.year));
    bool income = uniform(0, 9) == 0;
    op.libelle = std::string(kLabels[uniform(0, 7)]) + " " + std::to_string(i + 1);
    op.categorie = income ? kCategories - 1 : uniform(0, kCategories - 2);
    op.tiers = uniform(0, kTiers - 1);
    op.mode = uniform(0, 3);
    op.status = uniform(0, 2);
    op.montant = income ? uniform(5000, 300000) / 100.0 : -uniform(100, 50000) / 100.0;
    if (!income && uniform(0, 9) == 0) {
      int lines = uniform(2, 3);
      for (int l = 0; l < lines; ++l) {
        op.lines.push_back(Line{uniform(0, kCategories - 2), -uniform(100, 5000) / 100.0});
      }
    }
    ops.push_back(std::move(op));
  }
  return ops;
}

CPString Name(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

void MakeDossier(const fs::path& folder, const std::vector<Op>& ops) {
  VYXSDBUserPreferences user{CPFileRef(folder / "Bench.grp")};
  user.IUserPreferences(true);
  CPFileRef file = VYXCompteFileIn(CPFileRef(folder), "Courant");
  VYXSDBCompte compte(user, file);
  compte.ICompte(true, true, false);
  user.AddCompte(file);
  user.CompteOpened(compte);
  std::vector<CPResID> categories, tiers, modes;
  for (const char* name : kCategorieNames) {
    Categorie record;
    record.type = std::string(name) == "Salaire" ? kCategorieRecette : kCategorieDepense;
    CPResID id = compte.GetCategories().GetUniqueID();
    compte.GetCategories().AddResource(id, Name(name), record);
    categories.push_back(id);
  }
  for (const char* name : kTiersNames) {
    CPResID id = compte.GetTiers().GetUniqueID();
    compte.GetTiers().AddResource(id, Name(name), UserTiers());
    tiers.push_back(id);
  }
  for (const char* name : kModeNames) {
    CPResID id = compte.GetModes().GetUniqueID();
    compte.GetModes().AddResource(id, Name(name), Mode());
    modes.push_back(id);
  }
  VYXCompteBulk bulk(compte);
  for (const Op& o : ops) {
    Operation op;
    op.date = CPGetDate(o.day, o.month, o.year);
    op.mois = CPMonth(o.month);
    StdToP(Utf8ToMacRoman(o.libelle), op.libelle, 99);
    op.montant = o.montant;
    op.categorie = categories[size_t(o.categorie)];
    op.tiers = tiers[size_t(o.tiers)];
    op.mode = modes[size_t(o.mode)];
    op.status = OpStatus(o.status);
    VYXDataRef ref = 0;
    compte.AddOperation(op, &ref);
    for (const Line& l : o.lines) {
      SousOperation line(op);
      line.montant = l.montant;
      line.categorie = categories[size_t(l.categorie)];
      compte.AddSousOperation(ref, line, nullptr);
      compte.GetOperation(ref, &op);
    }
  }
  compte.Close();
  user.Close();
}

void Exec(sqlite3* db, const char* sql) {
  char* error = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
    std::string message = error ? error : "?";
    sqlite3_free(error);
    throw std::runtime_error(message);
  }
}

void MakeDatabase(const fs::path& path, const std::vector<Op>& ops) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) throw std::runtime_error("sqlite3_open");
  Exec(db,
       "PRAGMA journal_mode=WAL;"
       "CREATE TABLE operations (id INTEGER PRIMARY KEY, date TEXT, libelle TEXT, montant REAL,"
       " categorie TEXT, tiers TEXT, mode TEXT, status INTEGER);"
       "CREATE TABLE lignes (id INTEGER PRIMARY KEY, operation INTEGER, categorie TEXT,"
       " montant REAL);"
       "CREATE INDEX operations_date ON operations(date);"
       "BEGIN");
  sqlite3_stmt* op = nullptr;
  sqlite3_stmt* line = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO operations VALUES (?, ?, ?, ?, ?, ?, ?, ?)", -1, &op, nullptr);
  sqlite3_prepare_v2(db, "INSERT INTO lignes VALUES (NULL, ?, ?, ?)", -1, &line, nullptr);
  int id = 0;
  for (const Op& o : ops) {
    char date[16];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", o.year, o.month, o.day);
    sqlite3_bind_int(op, 1, ++id);
    sqlite3_bind_text(op, 2, date, -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(op, 3, o.libelle.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_double(op, 4, o.montant);
    sqlite3_bind_text(op, 5, kCategorieNames[o.categorie], -1, SQLITE_STATIC);
    sqlite3_bind_text(op, 6, kTiersNames[o.tiers], -1, SQLITE_STATIC);
    sqlite3_bind_text(op, 7, kModeNames[o.mode], -1, SQLITE_STATIC);
    sqlite3_bind_int(op, 8, o.status);
    sqlite3_step(op);
    sqlite3_reset(op);
    for (const Line& l : o.lines) {
      sqlite3_bind_int(line, 1, id);
      sqlite3_bind_text(line, 2, kCategorieNames[l.categorie], -1, SQLITE_STATIC);
      sqlite3_bind_double(line, 3, l.montant);
      sqlite3_step(line);
      sqlite3_reset(line);
    }
  }
  sqlite3_finalize(op);
  sqlite3_finalize(line);
  Exec(db, "COMMIT");
  sqlite3_close(db);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage : vyx_bench_dossier DOSSIER [OPERATIONS [GRAINE]]\n";
    return 2;
  }
  try {
    fs::path folder = argv[1];
    int count = argc > 2 ? std::stoi(argv[2]) : 30000;
    uint32_t seed = argc > 3 ? uint32_t(std::stoul(argv[3])) : 20261211u;
    fs::create_directories(folder);
    std::vector<Op> ops = Generate(count, seed);
    MakeDossier(folder, ops);
    MakeDatabase(folder / "bench.sqlite", ops);
    return 0;
  } catch (const std::exception& e) {
    std::cerr << "vyx_bench_dossier : " << e.what() << '\n';
    return 1;
  }
}
