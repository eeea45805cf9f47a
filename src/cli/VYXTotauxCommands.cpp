// `vyx totaux categories|tiers|affaires|affectations|filtres [COMPTE]`: one
// line per item of the list with its debits, credits and balance over the
// months asked for (every month when none are), for one account or for the
// dossier, and a total line. Amounts are net of VAT, split lines counted
// under their own items; a saved filter's amounts are those of the
// operations it lets through, VAT included, as its list shows them. Only
// reads.
#include <cmath>
#include <ostream>

#include "analysis/VYXCompteBilan.h"
#include "analysis/VYXTotalizer.h"
#include "cli/VYXChart.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXReportArgs.h"
#include "cli/VYXReportOutput.h"
#include "cli/VYXReportScope.h"
#include "cli/VYXReportTexts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXUserPreferences.h"
#include "userfile/VYXUserSets.h"

namespace {

constexpr int kTotauxTexts = 30620;
enum : int {
  kHelpTotaux = 1,
  kHelpListe,
  kColDebits,
  kColCredits,
  kColSolde,
  kColNameFirst,         // 6 to 9: the lists' items as column headings
  kSansFirst = 10,       // 10 to 13: the line of amounts without an item
  kTitle = 14,           // ^1 the list, ^2 whose, ^3 the months, ^4 the currency
  kListTitleFirst = 15,  // 15 to 18: "par catégorie"...
  kMonthsAll = 19,
  kMonthsFrom = 20,     // ^1
  kMonthsTo = 21,       // ^1
  kMonthsBetween = 22,  // ^1 ^2
  kTotalLine = 23,
  kBadListe = 24,  // ^1
  kChartColors = 25,
  // The same for the saved filters, after those of the four lists.
  kColFiltre = 26,
  kSansFiltre = 27,
  kFiltresTitle = 28,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kTotauxTexts, item, vars);
}
std::string R(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kVYXReportTexts, item, vars);
}

enum Liste { kCategories = 0, kTiers, kAffaires, kAffectations, kFiltres, kListeCount };
const char* const kListeKeys[kListeCount] = {"categories", "tiers", "affaires", "affectations",
                                             "filtres"};
// Texts of the list: column heading, line without an item, title.
int ColText(int liste) { return liste == kFiltres ? kColFiltre : kColNameFirst + liste; }
int SansText(int liste) { return liste == kFiltres ? kSansFiltre : kSansFirst + liste; }
int TitleText(int liste) { return liste == kFiltres ? kFiltresTitle : kListTitleFirst + liste; }

struct Args {
  std::string liste, compte, du, au, statuts, devise, graphique;
  bool csv = false;
};

struct Line {
  CPResID id = 0;
  std::string name;  // UTF-8; empty for the line without an item
  double debits = 0, credits = 0;
  double Solde() const { return debits + credits; }
};

void Run(VYXCliContext& ctx, const Args& a) {
  int liste = -1;
  std::string typed = VYXArgText(a.liste);
  for (int l = 0; l < kListeCount; ++l) {
    if (CPEqualString(typed, kListeKeys[l], false, false)) liste = l;
  }
  if (liste < 0) CPThrowList(paramErr, kTotauxTexts, kBadListe, {VYXArgText(a.liste)});
  if (ctx.json && a.csv) CPThrowList(paramErr, kVYXReportTexts, kReportCsvAndJson);
  if (!a.graphique.empty()) VYXCheckChartPath(a.graphique);
  bool prevu = true, engage = true, pointe = true;
  if (!a.statuts.empty()) VYXArgStatuts(a.statuts, &prevu, &engage, &pointe);
  std::optional<CPMonthYear> du, au;
  if (!a.du.empty()) du = VYXArgMonth(a.du);
  if (!a.au.empty()) au = VYXArgMonth(a.au);
  if (du && au && au->Serial() < du->Serial()) {
    CPThrowList(paramErr, kVYXReportTexts, kReportNotOrdered, {a.du, a.au});
  }

  VYXCliSession session(ctx, VYXCliSession::Start::kReading);
  VYXReportScope scope(session, a.compte, liste == kFiltres ? kModuleFiltres : kModuleBilan);
  VYXDeviseShown devise;
  devise.Set(&scope.GetDossier(), scope.GetDevise(), VYXArgDevise(a.devise, scope.GetDossier()));
  DeviseCode shown = devise.Shown();
  auto convert = [&](double amount) { return devise.Convert(amount); };

  // The months of every item from the engine, or from a totalizer for the
  // allocations, which the engine does not keep.
  VYXTotaux& totaux = scope.GetTotaux();
  std::unique_ptr<VYXOperationResTimeTotalizer> totalizer;
  const VYXMonthTotalArray* array = nullptr;
  CPResourceSet* set = nullptr;
  switch (liste) {
    case kCategories:
      array = &totaux.GetCategoriesArray();
      set = &totaux.GetCategories();
      break;
    case kTiers:
      array = &totaux.GetTiersArray();
      set = &totaux.GetTiers();
      break;
    case kAffaires:
      array = &totaux.GetAffairesArray();
      set = &totaux.GetAffaires();
      break;
    case kFiltres:
      array = &totaux.GetFiltresArray();
      set = &scope.GetDossier().GetSelections();
      break;
    default: {
      VYXUserTotaux* user = scope.GetUserTotaux();
      totalizer = std::make_unique<VYXOperationResTimeTotalizer>(
          kVYXListAffectations, user ? &user->GetMapping() : nullptr);
      std::vector<VYXCompte*> comptes;
      if (user) {
        for (VYXCompte* c : user->GetComptes()) comptes.push_back(c);
      } else {
        comptes.push_back(scope.GetCompte());
      }
      totalizer->SetComptes(comptes);
      array = &totalizer->GetArray();
      set = &totaux.GetAffectations();
      break;
    }
  }

  CPMonthYear from = du.value_or(CPMonthYear{1, 0});
  CPMonthYear to = au.value_or(CPMonthYear{12, 65535});
  auto lineOf = [&](CPResID id) {
    ExtMontantSet sum = array->Sum(id, from, to);
    sum.Filter(prevu, engage, pointe);
    Line line;
    line.id = id;
    line.debits = convert(sum.debits.Total());
    line.credits = convert(sum.credits.Total());
    return line;
  };
  auto counts = [](const Line& l) {
    return std::fabs(l.debits) >= 0.005 || std::fabs(l.credits) >= 0.005;
  };
  // In the list's order; items no longer in the list (an account's, kept
  // by its operations) after them, then the amounts without an item.
  // Every saved filter is shown, even one that lets nothing through.
  bool all = liste == kFiltres;
  std::vector<Line> lines;
  std::vector<CPResID> ids = array->GetIDs();
  int32_t count = set->GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = set->GetNthResource(n);
    if (id == 0 || (!all && std::find(ids.begin(), ids.end(), id) == ids.end())) continue;
    Line line = lineOf(id);
    Str255 name;
    set->GetResourceName(id, name);
    line.name = VYXText(PToStd(name));
    if (all || counts(line)) lines.push_back(line);
  }
  for (CPResID id : ids) {
    if (id == 0 || set->ResourceExists(id)) continue;
    Line line = lineOf(id);
    line.name = "#" + std::to_string(id);
    if (counts(line)) lines.push_back(line);
  }
  Line sans = lineOf(0);
  if (counts(sans)) lines.push_back(sans);
  Line total;
  for (const Line& l : lines) {
    total.debits += l.debits;
    total.credits += l.credits;
  }
  auto nameOf = [&](const Line& l) { return l.id == 0 ? T(SansText(liste)) : l.name; };
  std::string months = du && au ? T(kMonthsBetween, {VYXShortMonth(*du), VYXShortMonth(*au)})
                       : du     ? T(kMonthsFrom, {VYXShortMonth(*du)})
                       : au     ? T(kMonthsTo, {VYXShortMonth(*au)})
                                : T(kMonthsAll);
  std::string title = T(kTitle, {T(TitleText(liste)), scope.Whose(), months, VYXCodeText(shown)});

  if (!a.graphique.empty()) {
    std::vector<Line> bySize = lines;
    std::stable_sort(bySize.begin(), bySize.end(), [](const Line& x, const Line& y) {
      return std::fabs(x.Solde()) > std::fabs(y.Solde());
    });
    constexpr size_t kShown = 15;
    std::vector<VYXChartItem> items;
    for (size_t i = 0; i < bySize.size() && i < kShown; ++i) {
      items.push_back(VYXChartItem{nameOf(bySize[i]), bySize[i].Solde()});
    }
    size_t others = bySize.size() > kShown ? bySize.size() - kShown : 0;
    VYXDrawItemBars(a.graphique, VYXChartTexts{title, T(kChartColors), scope.Symbol(shown)}, items,
                    others);
  }

  if (ctx.json) {
    auto json = [&](const Line& l) {
      return nlohmann::json{{"debits", VYXAmountJson(l.debits)},
                            {"credits", VYXAmountJson(l.credits)},
                            {"solde", VYXAmountJson(l.Solde())}};
    };
    nlohmann::json out;
    out["compte"] = scope.JsonName();
    out["liste"] = kListeKeys[liste];
    out["devise"] = VYXCodeText(shown);
    out["du"] = du ? nlohmann::json(VYXIsoMonth(*du)) : nlohmann::json(nullptr);
    out["au"] = au ? nlohmann::json(VYXIsoMonth(*au)) : nlohmann::json(nullptr);
    nlohmann::json statuts = nlohmann::json::array();
    if (prevu) statuts.push_back("prevue");
    if (engage) statuts.push_back("engagee");
    if (pointe) statuts.push_back("pointee");
    out["statuts"] = statuts;
    nlohmann::json items = nlohmann::json::array();
    for (const Line& l : lines) {
      nlohmann::json item = json(l);
      item["nom"] = l.id == 0 ? nlohmann::json(nullptr) : nlohmann::json(l.name);
      items.push_back(item);
    }
    out["lignes"] = items;
    // Filters overlap: their amounts do not add up.
    out["total"] = all ? nlohmann::json(nullptr) : json(total);
    VYXPrintJson(ctx, out);
  } else {
    VYXReport report;
    report.AddColumn(T(ColText(liste)), false);
    report.AddColumn(T(kColDebits), true);
    report.AddColumn(T(kColCredits), true);
    report.AddColumn(T(kColSolde), true);
    for (const Line& l : lines) {
      report.AddRow({VYXReport::Text(nameOf(l)), VYXReport::Number(l.debits),
                     VYXReport::Number(l.credits), VYXReport::Number(l.Solde())});
    }
    if (!all) {
      report.AddRow({VYXReport::Text(T(kTotalLine)), VYXReport::Number(total.debits),
                     VYXReport::Number(total.credits), VYXReport::Number(total.Solde())});
    }
    if (a.csv) {
      report.PrintCsv(*ctx.out);
    } else {
      *ctx.out << title << "\n\n";
      report.PrintTable(*ctx.out);
    }
  }
  totalizer.reset();
  session.Close();
}

}  // namespace

void VYXAddTotauxCommands(CLI::App& app, VYXCliContext& ctx) {
  auto a = std::make_shared<Args>();
  CLI::App* totaux = VYXAddSubcommand(&app, "totaux", T(kHelpTotaux));
  totaux->add_option("LISTE", a->liste, T(kHelpListe))->required();
  totaux->add_option("COMPTE", a->compte, R(kReportHelpCompte));
  totaux->add_option("--du", a->du, R(kReportHelpDuTotaux));
  totaux->add_option("--au", a->au, R(kReportHelpAu));
  totaux->add_option("--statuts", a->statuts, R(kReportHelpStatuts));
  totaux->add_option("--devise", a->devise, R(kReportHelpDevise));
  totaux->add_flag("--csv", a->csv, R(kReportHelpCsv));
  totaux->add_option("--graphique", a->graphique, R(kReportHelpGraphique));
  VYXAddJsonFlag(totaux, ctx);
  VYXSetCommand(totaux, [&ctx, a] { Run(ctx, *a); });
}
