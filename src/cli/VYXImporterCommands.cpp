// `vyx importer`: a QIF file imported straight into an account's operations
// (cleared, with their split lines; payees, categories and securities found
// by name or made). The file is read whole before the dossier is opened: a
// file that is not QIF, or that is wrong at some line, is refused with the
// line at fault and every file of the dossier is left as it was.
// --simuler says what the import would make and writes nothing.
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXQIFImport.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPException.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr int kImporterTexts = 30650;
enum : int {
  kHelpImporter = 1,
  kHelpCompte,
  kHelpFichier,
  kHelpSimuler,
  kHelpDates,
  kHelpEncodage,
  kBadDates,     // ^1: the text typed
  kBadEncodage,  // ^1: the text typed
  kDone,         // ^1: the file, ^2: the account
  kSimulated,    // ^1: the file, ^2: the account
  kRowOperations,
  kRowSplits,
  kRowCategories,
  kRowTiers,
  kRowTitres,
  kRowOpening,
  kRowType,
  kRowIgnored,
  kRowReplaced,
  kNothing,
  kNone,
  kNoFile,  // ^1: the file
};

std::string T(int item) { return VYXHelp(kImporterTexts, item); }

struct Args {
  std::string compte, fichier, dates, encodage;
  bool simuler = false;
};

std::string Names(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ", ") + VYXText(n);
  return s;
}

nlohmann::json NamesJson(const std::vector<std::string>& names) {
  nlohmann::json out = nlohmann::json::array();
  for (const std::string& n : names) out.push_back(VYXText(n));
  return out;
}

void Importer(VYXCliContext& ctx, const Args& args) {
  VYXQIFImportOptions options;
  if (args.dates == "jma") {
    options.monthFirst = false;
  } else if (args.dates == "mja") {
    options.monthFirst = true;
  } else if (!args.dates.empty()) {
    CPThrowList(paramErr, kImporterTexts, kBadDates, {VYXArgText(args.dates)});
  }
  if (args.encodage == "utf-8") {
    options.encoding = kQIFUTF8;
  } else if (args.encodage == "windows-1252") {
    options.encoding = kQIFWindows;
  } else if (args.encodage == "macroman") {
    options.encoding = kQIFMacRoman;
  } else if (!args.encodage.empty()) {
    CPThrowList(paramErr, kImporterTexts, kBadEncodage, {VYXArgText(args.encodage)});
  }
  CPFileRef file(args.fichier);
  std::string name = VYXFileName(file);
  if (!file.Exists()) CPThrowList(fnfErr, kImporterTexts, kNoFile, {name});
  std::string bytes = VYXReadForeignFile(file);
  CPPtrStream memory(bytes.data(), uint32_t(bytes.size()));
  CPTabCrStream stream(&memory, false);
  VYXQIFImportPlan plan;
  try {
    plan = VYXCompteListImportAction::Plan(stream, options);
  } catch (const CPException& e) {
    if (e.Code() != kVYXErrNotAStatement) throw;
    CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExNotQIF, {name});
  }

  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(args.compte);
  int decimals = session.Dossier().GetDecimals(kDecimalsMontants);
  VYXCompteListImportAction import(compte, &session.Dossier(), decimals);
  VYXQIFImportReport report = args.simuler ? import.Preview(plan) : import.Apply(plan, false);

  if (ctx.json) {
    nlohmann::json out = {{"fichier", VYXText(name)},
                          {"compte", VYXText(compte.GetName())},
                          {"simulation", args.simuler},
                          {"operations", report.operations},
                          {"ventilations", report.splits},
                          {"categories", NamesJson(report.newCategories)},
                          {"tiers", NamesJson(report.newPayees)},
                          {"titres", NamesJson(report.newTitres)},
                          {"soldeDepart", report.hasOpening ? VYXAmountJson(report.opening)
                                                            : nlohmann::json(nullptr)},
                          {"type", report.compteType},
                          {"ignores", report.ignored},
                          {"textesRemplaces", report.replacedTexts}};
    VYXPrintJson(ctx, out);
  } else {
    *ctx.out << VYXHelp(kImporterTexts, args.simuler ? kSimulated : kDone,
                        {VYXText(name), VYXText(compte.GetName())})
             << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("");
    auto count = [](long n, const std::vector<std::string>& names) {
      return std::to_string(n) + (names.empty() ? "" : " (" + Names(names) + ")");
    };
    table.AddRow({T(kRowOperations), std::to_string(report.operations)});
    table.AddRow({T(kRowSplits), std::to_string(report.splits)});
    table.AddRow({T(kRowCategories), count(long(report.newCategories.size()), report.newCategories)});
    table.AddRow({T(kRowTiers), count(long(report.newPayees.size()), report.newPayees)});
    if (!report.newTitres.empty()) {
      table.AddRow({T(kRowTitres), count(long(report.newTitres.size()), report.newTitres)});
    }
    if (report.hasOpening) table.AddRow({T(kRowOpening), VYXAmountText(report.opening)});
    if (report.ignored) table.AddRow({T(kRowIgnored), std::to_string(report.ignored)});
    if (report.replacedTexts) table.AddRow({T(kRowReplaced), std::to_string(report.replacedTexts)});
    table.Print(*ctx.out, false);
    if (report.operations == 0) *ctx.out << T(kNothing) << '\n';
  }
  session.Close();
}

}  // namespace

void VYXAddImporterCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* importer = VYXAddSubcommand(&app, "importer", T(kHelpImporter));
  auto args = std::make_shared<Args>();
  importer->add_option("COMPTE", args->compte, T(kHelpCompte))->required();
  importer->add_option("FICHIER", args->fichier, T(kHelpFichier))->required();
  importer->add_flag("--simuler", args->simuler, T(kHelpSimuler));
  importer->add_option("--dates", args->dates, T(kHelpDates));
  importer->add_option("--encodage", args->encodage, T(kHelpEncodage));
  VYXAddJsonFlag(importer, ctx);
  VYXSetCommand(importer, [&ctx, args] { Importer(ctx, *args); });
}
