// Reading bank statements: a QIF and an OFX file of 10,000 and 100,000
// transactions generated from a seed, read whole into statement lines by
// vyx's readers (the work of `vyx releve charger` before anything is
// recorded), and the QIF file read into the operations of a direct import
// (`vyx importer`'s plan) and, for the smaller one (an account holds at
// most 65,535 operations), imported into a new account.
//
// The peers read the same files in bench/import.sh, which runs them side by
// side with this program in one run (hyperfine, a fresh process each time):
// libofx's ofxdump, the Finance::QIF Perl module, and the sqlite3 shell's
// `.import` of the same transactions as CSV. Two modes serve the script:
//   import_bench --ecrire DOSSIER   writes releve-N.qif, .ofx and .csv there
//   import_bench --lire FICHIER     reads one file with vyx's reader, in a
//                                   fresh process as the peers are
// Without them, the Google Benchmark measures of this process.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>

#include "accounts/VYXSDBCompte.h"
#include "exchange/VYXQIFImport.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPStream.h"
#include "foundation/CPFormattedStream.h"
#include "platform/CPFileRef.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

namespace fs = std::filesystem;

constexpr uint32_t kSeed = 20241231;
constexpr int kSizes[] = {10000, 100000};

// ---- the transactions

struct Transaction {
  int day, month, year;
  long cents;
  std::string payee, memo, category;
  int cheque;  // 0 for none
};

const char* const kPayees[] = {
    "Carrefour Market", "Boulangerie Paul", "SNCF Voyageurs", "EDF Particuliers",
    "Orange SA",        "Pharmacie du Marché", "Total Énergies", "Leroy Merlin",
    "Fnac Darty",       "Crédit Agricole",  "Loyer Résidence Les Tilleuls", "Amazon EU",
    "Décathlon",        "La Poste",         "URSSAF",           "Salaire Dupont & Fils",
    "Café de la Gare",  "Mutuelle Générale", "Picard Surgelés", "Free Mobile",
};
const char* const kCategories[] = {
    "Alimentation", "Transports", "Énergie", "Téléphone", "Santé", "Maison",
    "Loisirs",      "Banque",     "Impôts",  "Salaire",   "Vêtements", "Cadeaux",
};

std::vector<Transaction> Generate(int count) {
  std::mt19937 random(kSeed);
  auto pick = [&](int n) { return int(random() % unsigned(n)); };
  std::vector<Transaction> out;
  out.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    Transaction t;
    // In date order over five years, as a bank gives them.
    int dayOfSpan = int(int64_t(i) * 5 * 365 / count);
    t.year = 2020 + dayOfSpan / 365;
    int dayOfYear = dayOfSpan % 365;
    t.month = 1 + dayOfYear / 31 % 12;
    t.day = 1 + dayOfYear % 28;
    bool credit = pick(8) == 0;
    t.cents = credit ? 1000 + pick(300000) : -(100 + pick(40000));
    t.payee = kPayees[pick(20)];
    t.memo = pick(3) == 0 ? "" : "CB " + std::to_string(1000 + pick(9000)) + " ref " +
                                      std::to_string(pick(1000000));
    t.category = kCategories[pick(12)];
    t.cheque = pick(10) == 0 ? 1000000 + i : 0;
    out.push_back(t);
  }
  return out;
}

std::string Amount(long cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%ld.%02ld", cents < 0 ? "-" : "", std::labs(cents) / 100,
                std::labs(cents) % 100);
  return text;
}

std::string Date(const Transaction& t, const char* format) {
  char text[16];
  if (std::strcmp(format, "ofx") == 0) {
    std::snprintf(text, sizeof text, "%04d%02d%02d", t.year, t.month, t.day);
  } else if (std::strcmp(format, "csv") == 0) {
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", t.year, t.month, t.day);
  } else {
    std::snprintf(text, sizeof text, "%02d/%02d/%04d", t.day, t.month, t.year);
  }
  return text;
}

// UTF-8, as most banks now write them.
void WriteQIF(const fs::path& path, const std::vector<Transaction>& ts) {
  std::ofstream out(path, std::ios::binary);
  out << "!Type:Bank\n";
  for (const Transaction& t : ts) {
    out << 'D' << Date(t, "qif") << "\nT" << Amount(t.cents) << "\nP" << t.payee << '\n';
    if (!t.memo.empty()) out << 'M' << t.memo << '\n';
    if (t.cheque) out << 'N' << t.cheque << '\n';
    out << 'L' << t.category << "\n^\n";
  }
}

// The Latin letters of a UTF-8 text in Windows-1252 (those of the tables above
// are all in its Latin-1 part).
std::string Latin(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    auto c = static_cast<unsigned char>(utf8[i]);
    if ((c == 0xC2 || c == 0xC3) && i + 1 < utf8.size()) {
      out += char((c == 0xC3 ? 0x40 : 0) + static_cast<unsigned char>(utf8[++i]));
    } else {
      out += char(c);
    }
  }
  return out;
}

// Text for an SGML element: "&" and "<" as entities.
std::string Sgml(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
  return out;
}

// OFX 1.02 (SGML) in Windows-1252, the form French banks give.
void WriteOFX(const fs::path& path, const std::vector<Transaction>& ts) {
  std::ofstream out(path, std::ios::binary);
  out << "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\nSECURITY:NONE\nENCODING:USASCII\n"
         "CHARSET:1252\nCOMPRESSION:NONE\nOLDFILEUID:NONE\nNEWFILEUID:NONE\n\n"
         "<OFX>\n<SIGNONMSGSRSV1>\n<SONRS>\n<STATUS>\n<CODE>0\n<SEVERITY>INFO\n</STATUS>\n"
         "<DTSERVER>20241231120000\n<LANGUAGE>FRA\n</SONRS>\n</SIGNONMSGSRSV1>\n"
         "<BANKMSGSRSV1>\n<STMTTRNRS>\n<TRNUID>1\n<STATUS>\n<CODE>0\n<SEVERITY>INFO\n</STATUS>\n"
         "<STMTRS>\n<CURDEF>EUR\n<BANKACCTFROM>\n<BANKID>30004\n<BRANCHID>00001\n"
         "<ACCTID>00012345678\n<ACCTTYPE>CHECKING\n</BANKACCTFROM>\n<BANKTRANLIST>\n"
         "<DTSTART>20200101000000\n<DTEND>20241231000000\n";
  long balance = 0;
  long n = 0;
  for (const Transaction& t : ts) {
    balance += t.cents;
    out << "<STMTTRN>\n<TRNTYPE>" << (t.cheque ? "CHECK" : t.cents < 0 ? "DEBIT" : "CREDIT")
        << "\n<DTPOSTED>" << Date(t, "ofx") << "120000\n<TRNAMT>" << Amount(t.cents) << "\n<FITID>"
        << Date(t, "ofx") << ++n << '\n';
    if (t.cheque) out << "<CHECKNUM>" << t.cheque << '\n';
    out << "<NAME>" << Sgml(Latin(t.payee)) << '\n';
    if (!t.memo.empty()) out << "<MEMO>" << t.memo << '\n';
    out << "</STMTTRN>\n";
  }
  out << "</BANKTRANLIST>\n<LEDGERBAL>\n<BALAMT>" << Amount(balance)
      << "\n<DTASOF>20241231000000\n</LEDGERBAL>\n</STMTRS>\n</STMTTRNRS>\n</BANKMSGSRSV1>\n</OFX>\n";
}

std::string Csv(const std::string& text) {
  if (text.find_first_of(",\"") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + '"';
}

void WriteCSV(const fs::path& path, const std::vector<Transaction>& ts) {
  std::ofstream out(path, std::ios::binary);
  out << "date,montant,tiers,memo,categorie,cheque\n";
  for (const Transaction& t : ts) {
    out << Date(t, "csv") << ',' << Amount(t.cents) << ',' << Csv(t.payee) << ',' << Csv(t.memo)
        << ',' << Csv(t.category) << ',' << (t.cheque ? std::to_string(t.cheque) : "") << '\n';
  }
}

void WriteFiles(const fs::path& folder) {
  fs::create_directories(folder);
  for (int size : kSizes) {
    std::vector<Transaction> ts = Generate(size);
    std::string base = "releve-" + std::to_string(size);
    WriteQIF(folder / (base + ".qif"), ts);
    WriteOFX(folder / (base + ".ofx"), ts);
    WriteCSV(folder / (base + ".csv"), ts);
  }
}

// ---- this process's measures

const fs::path& Folder() {
  static const fs::path folder = [] {
    fs::path p = fs::temp_directory_path() / ("vyx-import-bench-" + std::to_string(::getpid()));
    WriteFiles(p);
    return p;
  }();
  return folder;
}

struct RemoveFolder {
  ~RemoveFolder() {
    std::error_code ec;
    fs::remove_all(fs::temp_directory_path() / ("vyx-import-bench-" + std::to_string(::getpid())),
                   ec);
  }
} gRemoveFolder;

fs::path FileOf(int size, const char* extension) {
  return Folder() / ("releve-" + std::to_string(size) + extension);
}

void Read(benchmark::State& state, const char* extension, VYXStatementFormat format) {
  CPFileRef file(FileOf(int(state.range(0)), extension).string());
  size_t lines = 0;
  for (auto _ : state) {
    VYXParsedStatement statement = VYXReadStatementFile(file, format);
    lines = statement.entries.size();
    benchmark::DoNotOptimize(statement.entries.data());
  }
  state.counters["lignes"] = double(lines);
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(fs::file_size(file.Path())));
}

void BM_LireQIF(benchmark::State& state) { Read(state, ".qif", VYXStatementFormat::kQIF); }
void BM_LireOFX(benchmark::State& state) { Read(state, ".ofx", VYXStatementFormat::kOFX); }

// The QIF file read into the operations of a direct import, nothing written.
void BM_PlanImportQIF(benchmark::State& state) {
  CPFileRef file(FileOf(int(state.range(0)), ".qif").string());
  size_t ops = 0;
  for (auto _ : state) {
    std::string bytes = VYXReadForeignFile(file);
    CPPtrStream memory(bytes.data(), uint32_t(bytes.size()));
    CPTabCrStream stream(&memory, false);
    VYXQIFImportPlan plan = VYXCompteListImportAction::Plan(stream, VYXQIFImportOptions());
    ops = plan.ops.size();
    benchmark::DoNotOptimize(plan.ops.data());
  }
  state.counters["operations"] = double(ops);
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

// The same imported into a new account of a new dossier: its operations,
// payees and categories written to the account's file.
void BM_ImporterQIF(benchmark::State& state) {
  CPFileRef file(FileOf(int(state.range(0)), ".qif").string());
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    fs::path dir = Folder() / ("dossier-" + std::to_string(round++));
    fs::create_directories(dir);
    auto user = std::make_unique<VYXSDBUserPreferences>(CPFileRef((dir / "Dossier.grp").string()));
    user->IUserPreferences(true);
    CPFileRef compteFile = VYXCompteFileIn(CPFileRef(dir.string()), "Courant");
    auto compte = std::make_unique<VYXSDBCompte>(*user, compteFile);
    compte->ICompte(true, true, false);
    state.ResumeTiming();

    std::string bytes = VYXReadForeignFile(file);
    CPPtrStream memory(bytes.data(), uint32_t(bytes.size()));
    CPTabCrStream stream(&memory, false);
    VYXQIFImportPlan plan = VYXCompteListImportAction::Plan(stream, VYXQIFImportOptions());
    VYXCompteListImportAction action(*compte, user.get(), 2);
    VYXQIFImportReport report = action.Apply(plan, false);
    benchmark::DoNotOptimize(report.operations);

    state.PauseTiming();
    compte->Close();
    compte.reset();
    user->Close();
    user.reset();
    fs::remove_all(dir);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(int64_t(state.iterations()) * state.range(0));
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int size : kSizes) b->Arg(size);
  b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_LireQIF)->Apply(Sizes);
BENCHMARK(BM_LireOFX)->Apply(Sizes);
BENCHMARK(BM_PlanImportQIF)->Apply(Sizes);
// An account holds at most 65,535 operations: the smaller file only.
BENCHMARK(BM_ImporterQIF)->Arg(kSizes[0])->Unit(benchmark::kMillisecond)->Iterations(3);

// `--lire FICHIER`: the file read by the reader its extension names; the
// number of lines printed, so that the work cannot be skipped.
int ReadOne(const char* path) {
  try {
    std::string name = path;
    VYXStatementFormat format = name.size() > 4 && name.substr(name.size() - 4) == ".ofx"
                                    ? VYXStatementFormat::kOFX
                                    : VYXStatementFormat::kQIF;
    VYXParsedStatement statement = VYXReadStatementFile(CPFileRef(name), format);
    std::cout << statement.entries.size() << '\n';
    return 0;
  } catch (const std::exception& e) {
    std::cerr << e.what() << '\n';
    return 1;
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::strcmp(argv[1], "--ecrire") == 0) {
    WriteFiles(argv[2]);
    return 0;
  }
  if (argc == 3 && std::strcmp(argv[1], "--lire") == 0) return ReadOne(argv[2]);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
