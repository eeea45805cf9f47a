// `vyx auto`: an account's automatic operations (add, list, show, change,
// delete), and `vyx echeances`: what the schedule would make up to a date,
// made with --oui. An automatic operation's amount is a text kept as typed
// (a formula), its sense given by its sign: "-800" is a debit of 800.
#include <algorithm>
#include <ostream>
#include <sstream>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXMonthRule.h"
#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXOpeOptions.h"
#include "cli/VYXVirementCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr int kTexts = 30745;
enum : int {
  kHelpAuto = 1,
  kHelpAjouter,
  kHelpListe,
  kHelpVoir,
  kHelpModifier,
  kHelpSupprimer,
  kHelpEcheances,
  kHelpId,
  kHelpLibelle,
  kHelpMontant,
  kHelpProchaine,
  kHelpTous,
  kHelpJour,
  kHelpMois,
  kHelpJusqua,
  kHelpNombre,
  kHelpAvance,
  kHelpEcheancesJusqua,
  kBadPeriod,        // ^1 text
  kBadMonths,        // ^1 text
  kBadDay,           // ^1 text
  kBadNumber,        // ^1 text
  kNoSuchAuto,       // ^1 account, ^2 id
  kAdded,            // ^1 id, ^2 account
  kModified,         // ^1 id, ^2 account
  kDeleted,          // ^1 id, ^2 account
  kNone,             // ^1 account
  kColId,
  kColLibelle,
  kColMontant,
  kColProchaine,
  kColPeriode,
  kColFin,
  kColCompte,
  kColDate,
  kColNature,
  kUnitFirst,        // 8 items: seconds ... years, singular|plural
  kEvery = kUnitFirst + 8,  // ^1 count, ^2 unit
  kUntil,            // ^1 date
  kTimes,            // ^1 count made, ^2 limit
  kNothingDue,       // ^1 date
  kMade,             // ^1 count, ^2 account
  kNoMontant,
  kFieldNames,       // the labels of `auto voir`, 13 items
  kEach = kFieldNames + 13,  // ^1 unit
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kTexts, item, vars);
}

struct AutoArgs {
  std::optional<std::string> libelle, montant, prochaine, tous, jour, mois, jusqua, nombre, avance;
  VYXOpeArgs items;  // --categorie, --tiers, --affaire, --affectation, --mode, --tva, --virement
};

// "2 semaines", "mois", "1 an": a count (1 when left out) and a unit.
std::pair<int, TimeUnit> Period(const std::string& utf8) {
  std::istringstream in(utf8);
  int n = 1;
  std::string word;
  if (!(in >> word)) CPThrowList(paramErr, kTexts, kBadPeriod, {VYXArgText(utf8)});
  if (std::isdigit(static_cast<unsigned char>(word[0]))) {
    try {
      size_t used = 0;
      n = std::stoi(word, &used);
      if (used != word.size()) throw std::invalid_argument(word);
    } catch (const std::exception&) {
      CPThrowList(paramErr, kTexts, kBadPeriod, {VYXArgText(utf8)});
    }
    if (!(in >> word)) CPThrowList(paramErr, kTexts, kBadPeriod, {VYXArgText(utf8)});
  }
  std::string rest;
  if (in >> rest || n < 1 || n > 999) CPThrowList(paramErr, kTexts, kBadPeriod, {VYXArgText(utf8)});
  std::string unit = VYXArgText(word);
  for (int u = kTimeDays; u <= kTimeYears; ++u) {
    std::string names = CPGetListString(kTexts, kUnitFirst + u);
    size_t bar = names.find('|');
    for (const std::string& name : {names.substr(0, bar), names.substr(bar + 1)}) {
      if (CPEqualString(unit, name, false, false)) return {n, TimeUnit(u)};
    }
  }
  CPThrowList(paramErr, kTexts, kBadPeriod, {VYXArgText(utf8)});
}

int Whole(const std::string& utf8, int min, int max, int message) {
  try {
    size_t used = 0;
    int n = std::stoi(utf8, &used);
    if (used == utf8.size() && n >= min && n <= max) return n;
  } catch (const std::exception&) {
  }
  CPThrowList(paramErr, kTexts, message, {VYXArgText(utf8)});
}

uint32_t MonthFilter(const std::string& utf8) {
  uint32_t filter = 0;
  std::istringstream in(utf8);
  std::string part;
  while (std::getline(in, part, ',')) {
    filter |= 1u << (Whole(part, 1, 12, kBadMonths) - 1);
  }
  if (filter == 0) CPThrowList(paramErr, kTexts, kBadMonths, {VYXArgText(utf8)});
  return filter;
}

// The options given, over `a`; items found by the caller.
void SetFields(OperationAuto& a, const AutoArgs& args) {
  if (args.libelle) StdToP(VYXArgText(*args.libelle), a.libelle);
  if (args.montant) {
    std::string text = VYXArgText(*args.montant);
    size_t start = text.find_first_not_of(' ');
    bool debit = start != std::string::npos && text[start] == '-';
    if (debit) text.erase(0, start + 1);
    if (text.find_first_not_of(' ') == std::string::npos) CPThrowList(paramErr, kTexts, kNoMontant);
    a.debCred = debit ? kMontantDebit : kMontantCredit;
    StdToP(text, a.montant);
  }
  if (args.prochaine) {
    CPDate next = VYXArgDate(*args.prochaine);
    if (next == 0) CPThrowList(kCPErrBadDate, kVYXOpeTexts, kOpeNoDate);
    a.next = next;
    if (!args.jour) a.nextDay = 0;
  }
  if (args.tous) {
    auto [n, unit] = Period(*args.tous);
    a.periode = int16_t(n);
    a.periodeUnit = unit;
  }
  if (args.jour) a.nextDay = uint16_t(Whole(*args.jour, 1, 31, kBadDay));
  if (args.mois) a.monthFilter = args.mois->empty() ? 0xFFFFFFFF : MonthFilter(*args.mois);
  if (args.jusqua) {
    a.hasDateLimit = !args.jusqua->empty();
    a.dateLimit = args.jusqua->empty() ? 0 : VYXArgDate(*args.jusqua);
    if (a.hasDateLimit) a.hasNbrLimit = 0;
  }
  if (args.nombre) {
    a.hasNbrLimit = !args.nombre->empty();
    a.numberLimit = args.nombre->empty() ? 0 : int16_t(Whole(*args.nombre, 1, 9999, kBadNumber));
    if (a.hasNbrLimit) a.hasDateLimit = 0;
  }
  if (args.avance) {
    a.createBefore = !args.avance->empty();
    if (a.createBefore) {
      auto [n, unit] = Period(*args.avance);
      a.before = int16_t(n);
      a.beforeUnit = unit;
    }
  }
  if (a.nextDay != 0 && a.next != 0 &&
      (a.periodeUnit == kTimeMonths || a.periodeUnit == kTimeQuarters || a.periodeUnit == kTimeYears)) {
    a.next = CPSetDayOfMonth(a.next, a.nextDay);
  }
}

CPResID AutoID(VYXCompte& compte, const std::string& utf8, OperationAuto* a) {
  int id = Whole(utf8, 1, 32767, kBadNumber);
  if (!compte.GetOpAutomatiques().ReadResource(CPResID(id), a)) {
    CPThrowList(kCPErrNotFound, kTexts, kNoSuchAuto, {compte.GetName(), utf8});
  }
  return CPResID(id);
}

std::string Unit(int n, TimeUnit unit) {
  std::string names = CPGetListString(kTexts, kUnitFirst + unit);
  size_t bar = names.find('|');
  return VYXText(n > 1 ? names.substr(bar + 1) : names.substr(0, bar));
}

std::string PeriodText(const OperationAuto& a) {
  if (a.periode == 1) return T(kEach, {Unit(1, a.periodeUnit)});
  return T(kEvery, {std::to_string(a.periode), Unit(a.periode, a.periodeUnit)});
}

std::string LimitText(const OperationAuto& a) {
  if (a.hasDateLimit) return T(kUntil, {VYXDateText(a.dateLimit)});
  if (a.hasNbrLimit) return T(kTimes, {std::to_string(a.number), std::to_string(a.numberLimit)});
  return {};
}

std::string MontantText(const OperationAuto& a) {
  return (a.debCred == kMontantDebit ? "-" : "") + VYXText(PToStd(a.montant));
}

nlohmann::json AutoJson(VYXCompte& compte, CPResID id, const OperationAuto& a) {
  nlohmann::json months = nlohmann::json::array();
  for (int m = 1; m <= 12; ++m) {
    if (a.IsValidMonth(m)) months.push_back(m);
  }
  return {{"id", id},
          {"libelle", VYXText(PToStd(a.libelle))},
          {"montant", MontantText(a)},
          {"prochaine", VYXDateJson(a.next)},
          {"jour", a.nextDay},
          {"periode", a.periode},
          {"unite", Unit(2, a.periodeUnit)},
          {"mois", months},
          {"jusqua", a.hasDateLimit ? VYXDateJson(a.dateLimit) : nlohmann::json(nullptr)},
          {"nombre", a.hasNbrLimit ? nlohmann::json(a.numberLimit) : nlohmann::json(nullptr)},
          {"faites", a.number},
          {"avance", a.createBefore ? nlohmann::json(std::to_string(a.before) + " " +
                                                     Unit(a.before, a.beforeUnit))
                                    : nlohmann::json(nullptr)},
          {"categorie", VYXItemName(compte, kVYXListCategories, a.categorie)},
          {"tiers", VYXItemName(compte, kVYXListTiers, a.tiers)},
          {"mode", VYXItemName(compte, kVYXListModes, a.mode)},
          {"virement", VYXItemName(compte, kVYXListTargets, a.virement)}};
}

// Finds and makes the list items and the transfer target the options name:
// everything is refused before the account changes.
void TakeItems(VYXCliSession& session, VYXSDBCompte& compte, OperationAuto& a,
               const AutoArgs& args, std::optional<CPFileRef>* target) {
  VYXOpeValues v = VYXReadOpeArgs(args.items);
  VYXOpeItems items(session, compte);
  items.Take(v, a);
  if (v.virement && !v.virement->empty()) {
    CPFileRef file = VYXVirementFile(session, *v.virement);
    if (file.SameFile(compte.GetCompteFile())) {
      CPThrowList(kVYXErrTargetNotFound, kVYXVirementsList, kVYXSelfTargetItem, {compte.GetName()});
    }
    *target = file;
  }
  items.Make();
  items.Put(a);
  if (v.virement) a.virement = v.virement->empty() ? 0 : compte.GetVirementTarget(**target);
}

void Ajouter(VYXCliContext& ctx, const std::string& nom, const AutoArgs& args) {
  OperationAuto a(kVYXMoisCourant);
  SetFields(a, args);
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompteQuietly(nom);
  std::optional<CPFileRef> target;
  TakeItems(session, compte, a, args, &target);
  CPResourceSet_T<OperationAuto>& autos = compte.GetOpAutomatiques();
  // Numbered from 1 as the user reads them in `auto liste`.
  CPResID id = 1;
  while (autos.ResourceExists(id)) ++id;
  Str255 name;
  StdToP(PToStd(a.libelle), name);
  autos.MakeUniqueName(name);
  autos.AddResource(id, name, a);
  if (ctx.json) {
    VYXPrintJson(ctx, AutoJson(compte, id, a));
  } else {
    *ctx.out << T(kAdded, {std::to_string(id), VYXText(compte.GetName())}) << '\n';
  }
  session.Close();
}

void Modifier(VYXCliContext& ctx, const std::string& nom, const std::string& cle,
              const AutoArgs& args) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompteQuietly(nom);
  OperationAuto a;
  CPResID id = AutoID(compte, cle, &a);
  SetFields(a, args);
  std::optional<CPFileRef> target;
  TakeItems(session, compte, a, args, &target);
  compte.GetOpAutomatiques().SetResource(id, a);
  if (args.libelle) {
    Str255 name;
    StdToP(PToStd(a.libelle), name);
    compte.GetOpAutomatiques().SetResourceName(id, name);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, AutoJson(compte, id, a));
  } else {
    *ctx.out << T(kModified, {std::to_string(id), VYXText(compte.GetName())}) << '\n';
  }
  session.Close();
}

void Supprimer(VYXCliContext& ctx, const std::string& nom, const std::string& cle) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompteQuietly(nom);
  OperationAuto a;
  CPResID id = AutoID(compte, cle, &a);
  nlohmann::json was = AutoJson(compte, id, a);
  CPResID templates = a.sousOpsID;
  compte.SetOpAutoSousOpsArray(&templates, {});
  compte.GetOpAutomatiques().RemoveResource(id);
  if (ctx.json) {
    VYXPrintJson(ctx, was);
  } else {
    *ctx.out << T(kDeleted, {std::to_string(id), VYXText(compte.GetName())}) << '\n';
  }
  session.Close();
}

void Liste(VYXCliContext& ctx, const std::string& nom) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompteQuietly(nom);
  CPResourceSet_T<OperationAuto>& autos = compte.GetOpAutomatiques();
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColId), VYXTable::kRight);
  table.AddColumn(T(kColLibelle));
  table.AddColumn(T(kColMontant), VYXTable::kRight);
  table.AddColumn(T(kColProchaine));
  table.AddColumn(T(kColPeriode));
  table.AddColumn(T(kColFin));
  int count = 0;
  for (int32_t n = 1, total = autos.GetResourcesCount(); n <= total; ++n) {
    CPResID id = autos.GetNthResource(n);
    OperationAuto a;
    if (id == 0 || !autos.ReadResource(id, &a)) continue;
    ++count;
    out.push_back(AutoJson(compte, id, a));
    table.AddRow({std::to_string(id), VYXText(PToStd(a.libelle)), MontantText(a),
                  a.CanBeGenerated() ? VYXDateText(a.next) : "", PeriodText(a), LimitText(a)});
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (count == 0) {
    *ctx.out << T(kNone, {VYXText(compte.GetName())}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void Voir(VYXCliContext& ctx, const std::string& nom, const std::string& cle) {
  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompteQuietly(nom);
  OperationAuto a;
  CPResID id = AutoID(compte, cle, &a);
  nlohmann::json j = AutoJson(compte, id, a);
  if (ctx.json) {
    VYXPrintJson(ctx, j);
  } else {
    std::string months;
    for (const auto& m : j["mois"]) months += (months.empty() ? "" : ",") + std::to_string(int(m));
    const std::string values[] = {
        std::to_string(id), VYXText(PToStd(a.libelle)), MontantText(a),
        a.CanBeGenerated() ? VYXDateText(a.next) : "", PeriodText(a),
        a.nextDay ? std::to_string(a.nextDay) : "", months, LimitText(a),
        a.createBefore ? j["avance"].get<std::string>() : "", j["categorie"], j["tiers"],
        j["mode"], j["virement"]};
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("");
    for (int i = 0; i < 13; ++i) table.AddRow({T(kFieldNames + i), values[i]});
    table.Print(*ctx.out, false);
  }
  session.Close();
}

void Echeances(VYXCliContext& ctx, const std::string& nom, const std::string& jusqua) {
  CPDate date = jusqua.empty() ? CPClock::Now() : VYXArgDate(jusqua);
  VYXCliSession session(ctx);
  std::vector<VYXCliSession::Compte> comptes;
  if (nom.empty()) {
    comptes = session.Comptes();
  } else {
    comptes.push_back(session.FindCompte(nom));
  }
  nlohmann::json out = nlohmann::json::array();
  VYXTable table;
  table.AddColumn(T(kColCompte));
  table.AddColumn(T(kColDate));
  table.AddColumn(T(kColLibelle));
  table.AddColumn(T(kColMontant), VYXTable::kRight);
  table.AddColumn(T(kColNature));
  int rows = 0;
  for (const VYXCliSession::Compte& c : comptes) {
    VYXSDBCompte& compte = session.OpenCompteQuietly(c);
    std::vector<VYXOpenEvent> events;
    compte.BuildOpenEventsArray(false, date, &events);
    std::string name = VYXText(compte.GetName());
    for (const VYXOpenEvent& e : events) {
      std::string nature = VYXHelp(30720, 10 + int(e.kind));
      bool amount = e.kind <= VYXOpenEvent::kConfirm;
      out.push_back({{"compte", name},
                     {"date", VYXDateJson(e.date)},
                     {"libelle", VYXText(e.libelle)},
                     {"montant", amount ? VYXAmountJson(e.montant) : nlohmann::json(nullptr)},
                     {"nature", int(e.kind)}});
      table.AddRow({name, VYXDateText(e.date), VYXText(e.libelle),
                    amount ? VYXAmountText(e.montant) : "", nature});
      ++rows;
    }
    if (ctx.yes && !events.empty()) {
      int done = compte.ApplyOpenEventsArray(&events);
      if (!ctx.json) *ctx.err << T(kMade, {std::to_string(done), name}) << '\n';
    }
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (rows == 0) {
    *ctx.out << T(kNothingDue, {VYXDateText(date)}) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

void AddAutoOptions(CLI::App* sub, AutoArgs& a) {
  sub->add_option("--libelle", a.libelle, T(kHelpLibelle));
  sub->add_option("--montant", a.montant, T(kHelpMontant));
  sub->add_option("--prochaine", a.prochaine, T(kHelpProchaine));
  sub->add_option("--tous", a.tous, T(kHelpTous));
  sub->add_option("--jour", a.jour, T(kHelpJour));
  sub->add_option("--mois", a.mois, T(kHelpMois));
  auto* jusqua = sub->add_option("--jusqua", a.jusqua, T(kHelpJusqua));
  auto* nombre = sub->add_option("--nombre", a.nombre, T(kHelpNombre));
  jusqua->excludes(nombre);
  sub->add_option("--avance", a.avance, T(kHelpAvance));
  sub->add_option("--categorie", a.items.categorie, VYXHelp(kVYXOpeTexts, kOpeHelpCategorie));
  sub->add_option("--tiers", a.items.tiers, VYXHelp(kVYXOpeTexts, kOpeHelpTiers));
  sub->add_option("--affaire", a.items.affaire, VYXHelp(kVYXOpeTexts, kOpeHelpAffaire));
  sub->add_option("--affectation", a.items.affectation, VYXHelp(kVYXOpeTexts, kOpeHelpAffectation));
  sub->add_option("--mode", a.items.mode, VYXHelp(kVYXOpeTexts, kOpeHelpMode));
  sub->add_option("--tva", a.items.tva, VYXHelp(kVYXOpeTexts, kOpeHelpTva));
  sub->add_option("--virement", a.items.virement, VYXHelp(kVYXVirementCliTexts, kVirHelpVirement));
}

}  // namespace

void VYXAddAutoCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* autoCmd = VYXAddSubcommand(&app, "auto", T(kHelpAuto));
  autoCmd->require_subcommand(1);
  auto compte = std::make_shared<std::string>();
  auto cle = std::make_shared<std::string>();
  std::string compteHelp = VYXHelp(kVYXOpeTexts, kOpeHelpCompte);

  CLI::App* ajouter = VYXAddSubcommand(autoCmd, "ajouter", T(kHelpAjouter));
  auto added = std::make_shared<AutoArgs>();
  ajouter->add_option("COMPTE", *compte, compteHelp)->required();
  AddAutoOptions(ajouter, *added);
  ajouter->get_option("--libelle")->required();
  ajouter->get_option("--montant")->required();
  ajouter->get_option("--prochaine")->required();
  ajouter->get_option("--tous")->required();
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, compte, added] { Ajouter(ctx, *compte, *added); });

  CLI::App* liste = VYXAddSubcommand(autoCmd, "liste", T(kHelpListe));
  liste->add_option("COMPTE", *compte, compteHelp)->required();
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, compte] { Liste(ctx, *compte); });

  CLI::App* voir = VYXAddSubcommand(autoCmd, "voir", T(kHelpVoir));
  voir->add_option("COMPTE", *compte, compteHelp)->required();
  voir->add_option("ID", *cle, T(kHelpId))->required();
  VYXAddJsonFlag(voir, ctx);
  VYXSetCommand(voir, [&ctx, compte, cle] { Voir(ctx, *compte, *cle); });

  CLI::App* modifier = VYXAddSubcommand(autoCmd, "modifier", T(kHelpModifier));
  auto changed = std::make_shared<AutoArgs>();
  modifier->add_option("COMPTE", *compte, compteHelp)->required();
  modifier->add_option("ID", *cle, T(kHelpId))->required();
  AddAutoOptions(modifier, *changed);
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, compte, cle, changed] { Modifier(ctx, *compte, *cle, *changed); });

  CLI::App* supprimer = VYXAddSubcommand(autoCmd, "supprimer", T(kHelpSupprimer));
  supprimer->add_option("COMPTE", *compte, compteHelp)->required();
  supprimer->add_option("ID", *cle, T(kHelpId))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, compte, cle] { Supprimer(ctx, *compte, *cle); });

  CLI::App* echeances = VYXAddSubcommand(&app, "echeances", T(kHelpEcheances));
  auto nom = std::make_shared<std::string>();
  auto jusqua = std::make_shared<std::string>();
  echeances->add_option("COMPTE", *nom, compteHelp);
  echeances->add_option("--jusqua", *jusqua, T(kHelpEcheancesJusqua));
  VYXAddJsonFlag(echeances, ctx);
  VYXSetCommand(echeances, [&ctx, nom, jusqua] { Echeances(ctx, *nom, *jusqua); });
}
