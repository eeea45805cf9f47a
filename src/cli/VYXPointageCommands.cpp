// `vyx pointer`, `vyx depointer`, `vyx releves`, `vyx rapprocher`: an
// account's reconciliation against its bank statements. Clearing goes through
// the account's own action, so that its lock date holds operation by
// operation (one it refuses is said and the others are cleared) and a
// transfer's twin follows its source.
#include <algorithm>
#include <cmath>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXPointage.h"
#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr int kTexts = 30740;
enum : int {
  kHelpPointer = 1,
  kHelpDepointer,
  kHelpReleves,
  kHelpRapprocher,
  kHelpCles,
  kHelpReleve,
  kHelpDate,
  kHelpMontant,
  kHelpSolde,
  kHelpAjuster,
  kPointed,          // ^1 count, ^2 account, ^3 statement, ^4 total
  kPointedNoNumber,  // ^1 count, ^2 account, ^3 total
  kNothingToPoint,   // ^1 account
  kUnpointed,        // ^1 count, ^2 account
  kNothingToUnpoint, // ^1 account
  kRefused,          // ^1 key, ^2 why
  kOneAmountOnly,
  kColSerie,
  kColReleve,
  kColDu,
  kColAu,
  kColOperations,
  kColDebits,
  kColCredits,
  kSerieCompte,
  kSansNumero,
  kNoReleve,         // ^1 account
  kRapTitle,         // ^1 statement, ^2 date
  kRapSoldeReleve,
  kRapSoldePointe,
  kRapEcart,
  kRapOk,            // ^1 statement
  kRapPending,       // ^1 date
  kRapDatesNotInOrder,
  kRapAdjusted,      // ^1 count
  kRapUnknownReleve, // ^1 account, ^2 statement
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kTexts, item, vars);
}

std::vector<DataID> Keys(VYXCompte& compte, const std::vector<std::string>& typed) {
  std::vector<DataID> keys;
  for (const std::string& t : typed) {
    DataID key = VYXArgKey(t);
    Operation op;
    VYXFindOperation(compte, key, &op);  // raises for a key the account lacks
    if (std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
  }
  return keys;
}

std::string StatementNumber(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (text.size() > sizeof(Str5) - 1) {
    CPThrowList(paramErr, kVYXOpeTexts, kOpeTooLong,
                {CPGetListString(kVYXOpeTexts, kOpeFieldReleve), text, "5"});
  }
  return text;
}

// Refusals of single operations are said; the command fails only when
// nothing could be done.
void ReportRefused(VYXCliContext& ctx, const VYXPointageActionBase& action) {
  for (const auto& [key, why] : action.Refused()) {
    *ctx.err << "vyx : " << T(kRefused, {std::to_string(key), VYXText(why)}) << '\n';
  }
  if (action.Changed().empty() && !action.Refused().empty()) ctx.exitCode = 1;
}

nlohmann::json KeysJson(const std::vector<DataID>& keys) {
  nlohmann::json a = nlohmann::json::array();
  for (DataID k : keys) a.push_back(k);
  return a;
}

void Pointer(VYXCliContext& ctx, const std::string& nom, const std::vector<std::string>& cles,
             const std::string& releve, const std::string& date, const std::string& montant) {
  PointageInfos infos;
  StdToP(releve.empty() ? std::string() : StatementNumber(releve), infos.releve);
  infos.date = date.empty() ? 0 : VYXArgDate(date);
  std::optional<double> typed;
  if (!montant.empty()) typed = VYXArgAmount(montant);
  if (typed && cles.size() != 1) CPThrowList(paramErr, kTexts, kOneAmountOnly);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  std::vector<DataID> keys = Keys(compte, cles);
  VYXPointageSelection selection = VYXSummarizePointage(compte, keys);
  std::string name = VYXText(compte.GetName());
  if (selection.count == 0) {
    if (!ctx.json) *ctx.out << T(kNothingToPoint, {name}) << '\n';
  } else {
    VYXCompteListPointerAction action(compte, keys, infos, typed,
                                      session.Dossier().GetDecimals(kDecimalsMontants));
    action.DoAction();
    ReportRefused(ctx, action);
    double total = 0;
    for (DataID key : action.Changed()) {
      Operation op;
      VYXDataRef ref;
      if (compte.FindOperation(key, &op, &ref)) total += double(op.montant);
    }
    if (ctx.json) {
      VYXPrintJson(ctx, {{"pointees", KeysJson(action.Changed())},
                         {"releve", VYXText(PToStd(infos.releve))},
                         {"total", VYXAmountJson(total)}});
    } else if (!action.Changed().empty()) {
      std::string count = std::to_string(action.Changed().size());
      *ctx.out << (infos.releve[0] ? T(kPointed, {count, name, VYXText(PToStd(infos.releve)),
                                                  VYXAmountText(total)})
                                   : T(kPointedNoNumber, {count, name, VYXAmountText(total)}))
               << '\n';
    }
  }
  session.Close();
}

void Depointer(VYXCliContext& ctx, const std::string& nom, const std::vector<std::string>& cles) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  std::vector<DataID> keys = Keys(compte, cles);
  VYXCompteListDepointerAction action(compte, keys);
  action.DoAction();
  ReportRefused(ctx, action);
  std::string name = VYXText(compte.GetName());
  if (ctx.json) {
    VYXPrintJson(ctx, {{"depointees", KeysJson(action.Changed())}});
  } else if (action.Changed().empty() && action.Refused().empty()) {
    *ctx.out << T(kNothingToUnpoint, {name}) << '\n';
  } else if (!action.Changed().empty()) {
    *ctx.out << T(kUnpointed, {std::to_string(action.Changed().size()), name}) << '\n';
  }
  session.Close();
}

std::string SeriesName(VYXCompte& compte, CPResID series) {
  return series == 0 ? T(kSerieCompte) : VYXItemName(compte, kVYXListModes, series);
}

void Releves(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  std::vector<VYXReleve> releves = VYXGetReleves(compte);
  if (ctx.json) {
    nlohmann::json out = nlohmann::json::array();
    for (const VYXReleve& r : releves) {
      out.push_back({{"serie", r.series == 0 ? nlohmann::json(nullptr)
                                             : nlohmann::json(SeriesName(compte, r.series))},
                     {"releve", VYXText(r.numero)},
                     {"du", VYXDateJson(r.first)},
                     {"au", VYXDateJson(r.last)},
                     {"operations", r.count},
                     {"debits", VYXAmountJson(r.debits)},
                     {"credits", VYXAmountJson(r.credits)}});
    }
    VYXPrintJson(ctx, out);
  } else if (releves.empty()) {
    *ctx.out << T(kNoReleve, {VYXText(compte.GetName())}) << '\n';
  } else {
    bool series = std::any_of(releves.begin(), releves.end(),
                              [](const VYXReleve& r) { return r.series != 0; });
    VYXTable table;
    if (series) table.AddColumn(T(kColSerie));
    table.AddColumn(T(kColReleve));
    table.AddColumn(T(kColDu));
    table.AddColumn(T(kColAu));
    table.AddColumn(T(kColOperations), VYXTable::kRight);
    table.AddColumn(T(kColDebits), VYXTable::kRight);
    table.AddColumn(T(kColCredits), VYXTable::kRight);
    for (const VYXReleve& r : releves) {
      std::vector<std::string> row;
      if (series) row.push_back(SeriesName(compte, r.series));
      row.push_back(r.numero.empty() ? T(kSansNumero) : VYXText(r.numero));
      row.push_back(VYXDateText(r.first));
      row.push_back(VYXDateText(r.last));
      row.push_back(std::to_string(r.count));
      row.push_back(VYXAmountText(r.debits));
      row.push_back(VYXAmountText(r.credits));
      table.AddRow(row);
    }
    table.Print(*ctx.out);
  }
  session.Close();
}

void Rapprocher(VYXCliContext& ctx, const std::string& nom, const std::string& releveArg,
                const std::string& soldeArg, const std::string& dateArg, bool ajuster) {
  std::string numero = StatementNumber(releveArg);
  double solde = VYXArgAmount(soldeArg);
  CPDate date = dateArg.empty() ? 0 : VYXArgDate(dateArg);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  std::string name = VYXText(compte.GetName());

  std::vector<VYXReleve> releves = VYXGetReleves(compte);
  bool known = std::any_of(releves.begin(), releves.end(), [&](const VYXReleve& r) {
    return VYXCompareReleves(r.numero, numero) == 0;
  });
  if (!known) {
    CPThrowList(kVYXErrCompteNoOperation, kTexts, kRapUnknownReleve, {compte.GetName(), numero});
  }
  if (date == 0) {
    for (const VYXReleve& r : releves) {
      if (VYXCompareReleves(r.numero, numero) == 0 && CPCompareDates(r.last, date) > 0) date = r.last;
    }
  }

  int adjusted = 0;
  if (ajuster) {
    VYXCompteAdjustDatesPointageAction action(compte, false);
    action.DoAction();
    ReportRefused(ctx, action);
    adjusted = int(action.Changed().size());
  }

  // The cleared balance up to this statement: the cleared opening balance and
  // every cleared operation whose statement is not a later one.
  double pointe = double(compte.GetReportValues().montant[kOpPointee]);
  std::vector<Operation> pending;
  Operation op;
  VYXDataRef ref;
  for (bool more = compte.GetFirstOperation(&op, &ref); more;
       more = compte.GetNextOperation(&op, &ref)) {
    if (op.status == kOpPointee) {
      if (op.releve[0] == 0 || VYXCompareReleves(PToStd(op.releve), numero) <= 0) {
        pointe += double(op.montant);
      }
    } else if (CPCompareDates(op.GetDatePointe(), date) <= 0 && !op.fictive) {
      pending.push_back(op);
    }
  }
  pointe = CPArrondi(pointe, short(session.Dossier().GetDecimals(kDecimalsMontants))) + 0.0;
  double ecart = CPArrondi(solde - pointe, short(session.Dossier().GetDecimals(kDecimalsMontants))) + 0.0;
  bool ordered = compte.DatesPointageAjustees();
  std::sort(pending.begin(), pending.end(), [](const Operation& a, const Operation& b) {
    return CPCompareDates(a.GetDatePointe(), b.GetDatePointe()) < 0;
  });

  if (ctx.json) {
    nlohmann::json p = nlohmann::json::array();
    for (const Operation& o : pending) p.push_back(VYXOperationJson(compte, o));
    VYXPrintJson(ctx, {{"releve", VYXText(numero)},
                       {"date", VYXDateJson(date)},
                       {"soldeReleve", VYXAmountJson(solde)},
                       {"soldePointe", VYXAmountJson(pointe)},
                       {"ecart", VYXAmountJson(ecart)},
                       {"datesAjustees", ordered},
                       {"ajustees", adjusted},
                       {"nonPointees", p}});
  } else {
    *ctx.out << T(kRapTitle, {VYXText(numero), VYXDateText(date)}) << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("", VYXTable::kRight);
    table.AddRow({T(kRapSoldeReleve), VYXAmountText(solde)});
    table.AddRow({T(kRapSoldePointe), VYXAmountText(pointe)});
    table.AddRow({T(kRapEcart), VYXAmountText(ecart)});
    table.Print(*ctx.out, false);
    if (ajuster) *ctx.out << T(kRapAdjusted, {std::to_string(adjusted)}) << '\n';
    if (ecart == 0) {
      *ctx.out << T(kRapOk, {VYXText(numero)}) << '\n';
    } else if (!pending.empty()) {
      *ctx.out << T(kRapPending, {VYXDateText(date)}) << '\n';
      VYXTable list;
      list.AddColumn("");
      list.AddColumn("");
      list.AddColumn("");
      list.AddColumn("", VYXTable::kRight);
      for (const Operation& o : pending) {
        list.AddRow({std::to_string(o.header.dataID), VYXDateText(o.GetDatePointe()),
                     VYXText(PToStd(o.libelle)), VYXAmountText(o.montant)});
      }
      list.Print(*ctx.out, false);
    }
    if (!ordered) *ctx.out << T(kRapDatesNotInOrder) << '\n';
  }
  session.Close();
}

}  // namespace

void VYXAddPointageCommands(CLI::App& app, VYXCliContext& ctx) {
  auto compte = std::make_shared<std::string>();
  auto cles = std::make_shared<std::vector<std::string>>();
  auto releve = std::make_shared<std::string>();
  auto date = std::make_shared<std::string>();
  auto montant = std::make_shared<std::string>();
  auto solde = std::make_shared<std::string>();
  auto ajuster = std::make_shared<bool>(false);

  CLI::App* pointer = VYXAddSubcommand(&app, "pointer", T(kHelpPointer));
  pointer->add_option("COMPTE", *compte, VYXHelp(kVYXOpeTexts, kOpeHelpCompte))->required();
  pointer->add_option("CLE", *cles, T(kHelpCles))->required();
  pointer->add_option("--releve", *releve, T(kHelpReleve));
  pointer->add_option("--date", *date, T(kHelpDate));
  pointer->add_option("--montant", *montant, T(kHelpMontant));
  VYXAddJsonFlag(pointer, ctx);
  VYXSetCommand(pointer, [&ctx, compte, cles, releve, date, montant] {
    Pointer(ctx, *compte, *cles, *releve, *date, *montant);
  });

  CLI::App* depointer = VYXAddSubcommand(&app, "depointer", T(kHelpDepointer));
  depointer->add_option("COMPTE", *compte, VYXHelp(kVYXOpeTexts, kOpeHelpCompte))->required();
  depointer->add_option("CLE", *cles, T(kHelpCles))->required();
  VYXAddJsonFlag(depointer, ctx);
  VYXSetCommand(depointer, [&ctx, compte, cles] { Depointer(ctx, *compte, *cles); });

  CLI::App* releves = VYXAddSubcommand(&app, "releves", T(kHelpReleves));
  releves->add_option("COMPTE", *compte, VYXHelp(kVYXOpeTexts, kOpeHelpCompte))->required();
  VYXAddJsonFlag(releves, ctx);
  VYXSetCommand(releves, [&ctx, compte] { Releves(ctx, *compte); });

  CLI::App* rapprocher = VYXAddSubcommand(&app, "rapprocher", T(kHelpRapprocher));
  rapprocher->add_option("COMPTE", *compte, VYXHelp(kVYXOpeTexts, kOpeHelpCompte))->required();
  rapprocher->add_option("--releve", *releve, T(kHelpReleve))->required();
  rapprocher->add_option("--solde", *solde, T(kHelpSolde))->required();
  rapprocher->add_option("--date", *date, T(kHelpDate));
  rapprocher->add_flag("--ajuster", *ajuster, T(kHelpAjuster));
  VYXAddJsonFlag(rapprocher, ctx);
  VYXSetCommand(rapprocher, [&ctx, compte, releve, solde, date, ajuster] {
    Rapprocher(ctx, *compte, *releve, *solde, *date, *ajuster);
  });
}
