// `vyx bilan [COMPTE]`: the balance report of one kind of category, a row
// per category and a column per month, with its totals, for one account or
// for the dossier. `vyx croise [COMPTE]`: the categories against the
// allocations over a period. Both only read: their options choose what is
// shown for this once and are not kept in the files.
#include <cmath>
#include <ostream>

#include "analysis/VYXBilanCroise.h"
#include "analysis/VYXCompteBilan.h"
#include "cli/VYXChart.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXReportArgs.h"
#include "cli/VYXReportOutput.h"
#include "cli/VYXReportScope.h"
#include "cli/VYXReportTexts.h"
#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

namespace {

constexpr int kBilanTexts = 30610;
enum : int {
  kHelpBilan = 1,
  kHelpType,
  kHelpAffichage,
  kHelpObjectifs,
  kHelpToutes,
  kHelpCroise,
  kHelpTtc,
  kColCategorie,
  kColRang,
  kTitleBilan,   // ^1 the kind, ^2 whose, ^3 the period, ^4 the currency
  kTitleCroise,  // ^1 whose, ^2 the period, ^3 the currency
  kRankFirst,    // 12 and 13: the marks of the first two rows of the ranked modes
  kChartOthers = 15,
  kColAffectation = 16,
  kHelpToutesCroise = 17,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kBilanTexts, item, vars);
}
std::string R(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kVYXReportTexts, item, vars);
}

// The options every report of a period shares.
struct PeriodArgs {
  std::string compte, du, mois, statuts, devise, graphique;
  bool csv = false;
};

void AddPeriodOptions(CLI::App* sub, PeriodArgs& a) {
  sub->add_option("COMPTE", a.compte, R(kReportHelpCompte));
  sub->add_option("--du", a.du, R(kReportHelpDu));
  sub->add_option("--mois", a.mois, R(kReportHelpMois));
  sub->add_option("--statuts", a.statuts, R(kReportHelpStatuts));
  sub->add_option("--devise", a.devise, R(kReportHelpDevise));
  sub->add_flag("--csv", a.csv, R(kReportHelpCsv));
}

// What can be checked before any file is opened.
void CheckOutput(VYXCliContext& ctx, const PeriodArgs& a) {
  if (ctx.json && a.csv) CPThrowList(paramErr, kVYXReportTexts, kReportCsvAndJson);
  if (!a.graphique.empty()) VYXCheckChartPath(a.graphique);
}

// The period asked for, from the report's own when not given.
CPMonthPeriod PeriodOf(const PeriodArgs& a, const CPMonthPeriod& saved) {
  CPMonthYear start = a.du.empty() ? saved.GetStart() : VYXArgMonth(a.du);
  int count = a.mois.empty() ? saved.GetCount() : VYXArgMonths(a.mois);
  return CPMonthPeriod(start.month, start.year, count);
}

std::string PeriodText(const CPMonthPeriod& p) {
  return R(kReportPeriodTitle, {VYXShortMonth(p.GetStart()), VYXShortMonth(p.GetEnd())});
}

nlohmann::json PeriodJson(const CPMonthPeriod& p) {
  return {{"debut", VYXIsoMonth(p.GetStart())},
          {"fin", VYXIsoMonth(p.GetEnd())},
          {"mois", p.GetCount()}};
}

nlohmann::json StatutsJson(bool prevu, bool engage, bool pointe) {
  nlohmann::json out = nlohmann::json::array();
  if (prevu) out.push_back("prevue");
  if (engage) out.push_back("engagee");
  if (pointe) out.push_back("pointee");
  return out;
}

nlohmann::json NumberJson(std::optional<double> value, VYXBilan::NumberStyle style) {
  if (!value) return nullptr;
  if (style == VYXBilan::kStylePourcentage) return std::round(*value * 100) / 100;
  return VYXAmountJson(*value);
}

// ---- bilan

struct BilanArgs : PeriodArgs {
  std::string type = "depenses", affichage;
  bool objectifs = false, toutes = false;
};

const char* const kModeKeys[] = {"montants", "pourcentages", "cumuls", "objectifs", "ecarts"};
const char* const kTypeKeys[] = {"autres", "depenses", "recettes", "epargne"};

void RunBilan(VYXCliContext& ctx, const BilanArgs& a) {
  CheckOutput(ctx, a);
  uint8_t kind = VYXArgTypeBilan(a.type);
  int16_t mode = a.affichage.empty() ? 0 : VYXArgModeBilan(a.affichage);
  bool prevu = true, engage = true, pointe = true;
  if (!a.statuts.empty()) VYXArgStatuts(a.statuts, &prevu, &engage, &pointe);
  if (!a.du.empty()) VYXArgMonth(a.du);
  if (!a.mois.empty()) VYXArgMonths(a.mois);

  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXReportScope scope(session, a.compte, kModuleBilan);
  DeviseCode devise = VYXArgDevise(a.devise, scope.GetDossier());
  std::unique_ptr<VYXBilan> bilan;
  if (VYXSDBCompte* compte = scope.GetCompte()) {
    bilan = std::make_unique<VYXCompteBilan>(*compte, kind);
  } else {
    bilan = std::make_unique<VYXUserBilan>(*scope.GetUserTotaux(), kind);
  }
  // Shown once: nothing of this goes back to the files.
  bilan->SetSaving(false);
  VYXCompteBilanPrefs prefs = bilan->GetPrefs();
  CPMonthPeriod period = PeriodOf(a, bilan->GetPeriod());
  prefs.periodStart = period.GetStartDate();
  prefs.periodEnd = period.GetEndDate();
  if (!a.statuts.empty()) {
    prefs.showPrevu = prevu;
    prefs.showEngage = engage;
    prefs.showPointe = pointe;
  }
  if (!a.devise.empty()) prefs.devise = devise;
  if (mode) prefs.displayMode = mode;
  if (a.objectifs) prefs.showObjectifs = 1;
  bilan->SetPrefs(prefs);
  period = bilan->GetPeriod();
  mode = bilan->GetDisplayMode();
  std::string shown = VYXCodeText(bilan->GetShownDevise());

  // Which rows to show: the categories with an amount (or an objective when
  // the objectives are shown), every one with --toutes; the row without a
  // category when it has something.
  int columns = bilan->GetColumnCount();
  auto isEmpty = [&](int row) {
    for (int c = 1; c < columns; ++c) {
      std::optional<double> v = bilan->GetAmount(row, c);
      if (v && std::fabs(*v) >= 0.005) return false;
    }
    return true;
  };
  std::vector<int> rows;
  for (int r = 0; r < bilan->GetRowCount(); ++r) {
    VYXBilan::Row row = bilan->GetRow(r);
    if (row.kind == VYXBilan::Row::kCategorie && !a.toutes && isEmpty(r)) continue;
    if (row.kind == VYXBilan::Row::kUndefined && isEmpty(r)) continue;
    rows.push_back(r);
  }
  bool ranked = mode >= kBilanCumuls;
  auto style = [&](int column) {
    VYXBilan::Column::Kind k = bilan->GetColumn(column).kind;
    if (k == VYXBilan::Column::kObjectif) return VYXReport::kMontant;
    if (k == VYXBilan::Column::kEcart) return VYXReport::kEcart;
    if (k == VYXBilan::Column::kRealise) return VYXReport::kPourcentage;
    return VYXReport::Style(bilan->GetNumberStyle());
  };

  if (!a.graphique.empty()) {
    // The months' bars, split among the five largest categories and the rest.
    std::vector<int> months;
    std::vector<std::string> labels;
    for (int c = 1; c < columns; ++c) {
      if (bilan->GetColumn(c).kind != VYXBilan::Column::kMonth) continue;
      months.push_back(c);
      labels.push_back(VYXShortMonth(bilan->GetColumn(c).month));
    }
    // Amounts in the report's direction: what leaves the account counts up.
    double sign = kind == kCategorieDepense || kind == kCategorieEpargne ? -1 : 1;
    int total = -1;
    std::vector<std::pair<double, int>> bySize;
    for (int r : rows) {
      VYXBilan::Row row = bilan->GetRow(r);
      if (row.kind == VYXBilan::Row::kTotal) total = r;
      if (row.kind != VYXBilan::Row::kCategorie && row.kind != VYXBilan::Row::kUndefined) continue;
      double sum = 0;
      for (int c : months) sum += sign * bilan->GetAmount(r, c).value_or(0);
      bySize.emplace_back(sum, r);
    }
    std::stable_sort(bySize.begin(), bySize.end(),
                     [](const auto& x, const auto& y) { return x.first > y.first; });
    std::vector<VYXChartSeries> series;
    VYXChartSeries rest{T(kChartOthers), std::vector<double>(months.size(), 0)};
    for (size_t i = 0; i < bySize.size(); ++i) {
      VYXChartSeries s{VYXText(bilan->GetRowTitle(bySize[i].second)), {}};
      for (int c : months)
        s.values.push_back(sign * bilan->GetAmount(bySize[i].second, c).value_or(0));
      if (i < 6 || bySize.size() == 7) {
        series.push_back(s);
      } else {
        for (size_t m = 0; m < months.size(); ++m) rest.values[m] += s.values[m];
      }
    }
    if (bySize.size() > 7) series.push_back(rest);
    std::vector<double> totals;
    for (int c : months) totals.push_back(sign * bilan->GetAmount(total, c).value_or(0));
    VYXChartTexts texts{
        T(kTitleBilan, {VYXTypeBilanName(kind), scope.Whose(), PeriodText(period), shown}),
        {},
        scope.Symbol(bilan->GetShownDevise())};
    VYXDrawMonthlyBars(a.graphique, texts, labels, series, totals);
  }

  if (ctx.json) {
    nlohmann::json out;
    out["compte"] = scope.JsonName();
    out["type"] = kTypeKeys[kind];
    out["devise"] = shown;
    out["periode"] = PeriodJson(period);
    out["affichage"] = kModeKeys[mode - 1];
    out["statuts"] = StatutsJson(bilan->ShowPrevu(), bilan->ShowEngage(), bilan->ShowPointe());
    nlohmann::json months = nlohmann::json::array();
    for (int c = 1; c < columns; ++c) {
      if (bilan->GetColumn(c).kind == VYXBilan::Column::kMonth) {
        months.push_back(VYXIsoMonth(bilan->GetColumn(c).month));
      }
    }
    out["mois"] = months;
    nlohmann::json lines = nlohmann::json::array();
    for (int r : rows) {
      VYXBilan::Row row = bilan->GetRow(r);
      nlohmann::json line;
      nlohmann::json values = nlohmann::json::array();
      for (int c = 1; c < columns; ++c) {
        VYXBilan::Column col = bilan->GetColumn(c);
        std::optional<double> v =
            row.kind == VYXBilan::Row::kCumul ? bilan->GetAmount(r, c) : bilan->GetValue(r, c);
        auto s = row.kind == VYXBilan::Row::kCumul ? VYXBilan::kStyleMontant
                                                   : VYXBilan::NumberStyle(style(c));
        switch (col.kind) {
          case VYXBilan::Column::kMonth:
            values.push_back(NumberJson(v, s));
            break;
          case VYXBilan::Column::kTotal:
            if (row.kind != VYXBilan::Row::kCumul) line["total"] = NumberJson(v, s);
            break;
          case VYXBilan::Column::kObjectif:
            line["objectif"] = NumberJson(v, s);
            break;
          case VYXBilan::Column::kEcart:
            line["ecart"] = NumberJson(v, s);
            break;
          case VYXBilan::Column::kRealise:
            line["realise"] = NumberJson(v, s);
            break;
          default:
            break;
        }
      }
      line["valeurs"] = values;
      if (row.kind == VYXBilan::Row::kTotal) {
        out["total"] = line;
      } else if (row.kind == VYXBilan::Row::kCumul) {
        out["cumul"] = values;
      } else {
        line["categorie"] = row.kind == VYXBilan::Row::kCategorie
                                ? nlohmann::json(VYXText(bilan->GetRowTitle(r)))
                                : nlohmann::json(nullptr);
        if (ranked) line["rang"] = bilan->GetRowMark(r).rank;
        lines.push_back(line);
      }
    }
    out["lignes"] = lines;
    VYXPrintJson(ctx, out);
  } else {
    VYXReport report;
    if (ranked) report.AddColumn(T(kColRang), false);
    report.AddColumn(T(kColCategorie), false);
    for (int c = 1; c < columns; ++c) {
      VYXBilan::Column col = bilan->GetColumn(c);
      std::string heading = col.kind == VYXBilan::Column::kMonth
                                ? VYXShortMonth(col.month)
                                : VYXText(bilan->GetColumnTitle(c));
      report.AddColumn(heading, true);
    }
    for (int r : rows) {
      VYXBilan::Row row = bilan->GetRow(r);
      std::vector<VYXReport::Cell> cells;
      if (ranked) {
        int rank = bilan->GetRowMark(r).rank;
        cells.push_back(VYXReport::Text(rank == 1 || rank == 2 ? T(kRankFirst + rank - 1) : ""));
      }
      cells.push_back(VYXReport::Text(VYXText(bilan->GetRowTitle(r))));
      for (int c = 1; c < columns; ++c) {
        if (row.kind == VYXBilan::Row::kCumul) {
          bool month = bilan->GetColumn(c).kind == VYXBilan::Column::kMonth;
          cells.push_back(VYXReport::Number(month ? bilan->GetAmount(r, c) : std::nullopt,
                                            VYXReport::kMontant, true));
        } else {
          // A month without anything reads faster left blank.
          cells.push_back(VYXReport::Number(bilan->GetValue(r, c), style(c), true));
        }
      }
      report.AddRow(cells);
    }
    if (a.csv) {
      report.PrintCsv(*ctx.out);
    } else {
      *ctx.out << T(kTitleBilan, {VYXTypeBilanName(kind), scope.Whose(), PeriodText(period), shown})
               << "\n\n";
      report.PrintTable(*ctx.out);
    }
  }
  // The report's view of the categories goes before the sets it views.
  bilan.reset();
  session.Close();
}

// ---- croise

struct CroiseArgs : PeriodArgs {
  bool ttc = false, toutes = false;
};

void RunCroise(VYXCliContext& ctx, const CroiseArgs& a) {
  CheckOutput(ctx, a);
  bool prevu = true, engage = true, pointe = true;
  if (!a.statuts.empty()) VYXArgStatuts(a.statuts, &prevu, &engage, &pointe);
  if (!a.du.empty()) VYXArgMonth(a.du);
  if (!a.mois.empty()) VYXArgMonths(a.mois);

  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXReportScope scope(session, a.compte, kModuleBilan);
  DeviseCode devise = VYXArgDevise(a.devise, scope.GetDossier());
  std::unique_ptr<VYXBilanCroise> croise;
  if (VYXSDBCompte* compte = scope.GetCompte()) {
    croise = std::make_unique<VYXCompteBilanCroise>(*compte);
  } else {
    croise = std::make_unique<VYXUserBilanCroise>(*scope.GetUserTotaux());
  }
  croise->SetSaving(false);
  VYXCompteBilanCroisePrefs prefs = croise->GetPrefs();
  CPMonthPeriod period = PeriodOf(a, croise->GetPeriod());
  prefs.bilan.periodStart = period.GetStartDate();
  prefs.bilan.periodEnd = period.GetEndDate();
  if (!a.statuts.empty()) {
    prefs.bilan.showPrevu = prevu;
    prefs.bilan.showEngage = engage;
    prefs.bilan.showPointe = pointe;
  }
  if (!a.devise.empty()) prefs.bilan.devise = devise;
  if (a.ttc) prefs.ttc = 1;
  croise->SetPrefs(prefs);
  period = croise->GetPeriod();
  std::string shown = VYXCodeText(croise->GetShownDevise());

  // The rows and columns with an amount (every category and allocation with
  // --toutes), then the totals; the cumulative ones are left to the reader.
  using H = VYXBilanCroise::Header;
  int rowCount = croise->GetRowCount(), columnCount = croise->GetColumnCount();
  auto plain = [](const H& h) { return h.kind == H::kItem || h.kind == H::kUndefined; };
  auto nonZero = [&](int r, int c) { return std::fabs(croise->GetAmount(r, c)) >= 0.005; };
  std::vector<int> rows, columns;
  for (int r = 0; r < rowCount; ++r) {
    H h = croise->GetRow(r);
    if (h.kind == H::kCumul) continue;
    bool keep = !plain(h) || (a.toutes && h.kind == H::kItem);
    for (int c = 1; c < columnCount && !keep; ++c)
      keep = plain(croise->GetColumn(c)) && nonZero(r, c);
    if (keep) rows.push_back(r);
  }
  for (int c = 1; c < columnCount; ++c) {
    H h = croise->GetColumn(c);
    if (h.kind == H::kCumul) continue;
    bool keep = !plain(h) || (a.toutes && h.kind == H::kItem);
    for (int r = 0; r < rowCount && !keep; ++r) keep = plain(croise->GetRow(r)) && nonZero(r, c);
    if (keep) columns.push_back(c);
  }

  if (ctx.json) {
    nlohmann::json out;
    out["compte"] = scope.JsonName();
    out["devise"] = shown;
    out["periode"] = PeriodJson(period);
    out["ttc"] = croise->GetDisplayTTC();
    out["statuts"] =
        StatutsJson(prefs.bilan.showPrevu, prefs.bilan.showEngage, prefs.bilan.showPointe);
    nlohmann::json affectations = nlohmann::json::array();
    for (int c : columns) {
      H h = croise->GetColumn(c);
      if (h.kind == H::kItem) affectations.push_back(VYXText(croise->GetColumnTitle(c)));
      if (h.kind == H::kUndefined) affectations.push_back(nullptr);
    }
    out["affectations"] = affectations;
    nlohmann::json lines = nlohmann::json::array();
    for (int r : rows) {
      H h = croise->GetRow(r);
      nlohmann::json values = nlohmann::json::array();
      nlohmann::json line;
      for (int c : columns) {
        H col = croise->GetColumn(c);
        if (col.kind == H::kTotal) {
          line["total"] = VYXAmountJson(croise->GetAmount(r, c));
        } else {
          values.push_back(VYXAmountJson(croise->GetAmount(r, c)));
        }
      }
      line["valeurs"] = values;
      if (h.kind == H::kTotal) {
        out["total"] = line;
      } else {
        line["categorie"] = h.kind == H::kItem ? nlohmann::json(VYXText(croise->GetRowTitle(r)))
                                               : nlohmann::json(nullptr);
        lines.push_back(line);
      }
    }
    out["lignes"] = lines;
    VYXPrintJson(ctx, out);
  } else {
    VYXReport report;
    report.AddColumn(T(kColCategorie), false);
    for (int c : columns) report.AddColumn(VYXText(croise->GetColumnTitle(c)), true);
    for (int r : rows) {
      std::vector<VYXReport::Cell> cells{VYXReport::Text(VYXText(croise->GetRowTitle(r)))};
      for (int c : columns) {
        cells.push_back(VYXReport::Number(croise->GetAmount(r, c), VYXReport::kMontant, true));
      }
      report.AddRow(cells);
    }
    if (a.csv) {
      report.PrintCsv(*ctx.out);
    } else {
      *ctx.out << T(kTitleCroise, {scope.Whose(), PeriodText(period), shown}) << "\n\n";
      report.PrintTable(*ctx.out);
    }
  }
  croise.reset();
  session.Close();
}

}  // namespace

void VYXAddBilanCommands(CLI::App& app, VYXCliContext& ctx) {
  auto b = std::make_shared<BilanArgs>();
  CLI::App* bilan = VYXAddSubcommand(&app, "bilan", T(kHelpBilan));
  AddPeriodOptions(bilan, *b);
  bilan->add_option("--type", b->type, T(kHelpType));
  bilan->add_option("--affichage", b->affichage, T(kHelpAffichage));
  bilan->add_flag("--objectifs", b->objectifs, T(kHelpObjectifs));
  bilan->add_flag("--toutes", b->toutes, T(kHelpToutes));
  bilan->add_option("--graphique", b->graphique, R(kReportHelpGraphique));
  VYXAddJsonFlag(bilan, ctx);
  VYXSetCommand(bilan, [&ctx, b] { RunBilan(ctx, *b); });

  auto x = std::make_shared<CroiseArgs>();
  CLI::App* croise = VYXAddSubcommand(&app, "croise", T(kHelpCroise));
  AddPeriodOptions(croise, *x);
  croise->add_flag("--ttc", x->ttc, T(kHelpTtc));
  croise->add_flag("--toutes", x->toutes, T(kHelpToutesCroise));
  VYXAddJsonFlag(croise, ctx);
  VYXSetCommand(croise, [&ctx, x] { RunCroise(ctx, *x); });
}
