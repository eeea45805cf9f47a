#include "analysis/VYXBilan.h"

#include <algorithm>
#include <cmath>

#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "userfile/VYXUserPreferences.h"

namespace {

// Questions of the period (list 353).
constexpr int kPeriodQuestionsList = 353;
constexpr int kPeriodLengthItem = 57;
constexpr int kPeriodBeginItem = 58;

// The longest period a report lays out: ten years of months.
constexpr int kMaxMonths = 120;

// Glyphs and user colours of the marks, for the first, second and other rows.
constexpr int kCumulGlyphs[3] = {63, 165, 195};
constexpr int kCumulColors[3] = {3, 4, 5};
constexpr int kObjectifGlyphs[3] = {78, 49, 50};
constexpr int kObjectifColors[3] = {8, 9, 10};

}  // namespace

VYXBilan::VYXBilan(VYXTotaux& totaux, CPResourceSet_T<Categorie>& categories, TypeOfBilan kind,
                   bool hasUndefined)
    : totaux_(totaux),
      categories_(categories),
      rowsSet_(categories, kind),
      kind_(kind),
      hasUndefined_(hasUndefined) {
  totaux_.AddListener(this);
  rowsSet_.AddListener(this);
}

VYXBilan::~VYXBilan() = default;

void VYXBilan::Init() {
  prefs_ = LoadPrefs();
  prefs_.Normalize();
  built_ = false;
  // New rates change every converted amount.
  if (VYXUserPreferences* user = GetUserPrefs()) user->GetDevises().AddListener(this);
}

const VYXDeviseShown& VYXBilan::Shown() {
  if (!shown_.IsKnown()) shown_.Set(GetUserPrefs(), GetSourceDevise(), prefs_.devise);
  return shown_;
}

DeviseCode VYXBilan::GetShownDevise() { return Shown().Shown(); }

// ---- settings

void VYXBilan::SetPrefs(const VYXCompteBilanPrefs& prefs) {
  prefs_ = prefs;
  prefs_.Normalize();
  if (saving_) SavePrefs(prefs_);
  TableChanged();
}

CPMonthPeriod VYXBilan::GetPeriod() const {
  CPMonthPeriod period = CPMonthPeriod::FromDates(prefs_.periodStart, prefs_.periodEnd);
  if (period.GetCount() > kMaxMonths) {
    CPMonthYear start = period.GetStart();
    period = CPMonthPeriod(start.month, start.year, kMaxMonths);
  }
  return period;
}

void VYXBilan::SetPeriod(const CPMonthPeriod& wanted) {
  CPMonthPeriod period = wanted;
  if (period.GetCount() > kMaxMonths) {
    period = CPMonthPeriod(period.GetStart().month, period.GetStart().year, kMaxMonths);
  }
  VYXCompteBilanPrefs prefs = prefs_;
  prefs.periodStart = period.GetStartDate();
  prefs.periodEnd = period.GetEndDate();
  if (prefs.periodStart == 0 || prefs.periodEnd == 0) return;  // beyond what dates hold
  SetPrefs(prefs);
}

void VYXBilan::GoToNextPeriod(bool option, bool shift) {
  CPMonthPeriod period = GetPeriod();
  if (shift) {
    SetPeriod(period.Lengthened(1));
  } else {
    SetPeriod(period.Moved(option ? 1 : period.GetCount()));
  }
}

void VYXBilan::GoToPrevPeriod(bool option, bool shift) {
  CPMonthPeriod period = GetPeriod();
  if (shift) {
    SetPeriod(period.Moved(-1).Lengthened(1));
  } else {
    SetPeriod(period.Moved(option ? -1 : -period.GetCount()));
  }
}

bool VYXBilan::DoCmdDefinePeriodLength() {
  std::string answer = std::to_string(GetPeriod().GetCount());
  if (!CPGetInteraction().AskText(CPGetListString(kPeriodQuestionsList, kPeriodLengthItem), &answer,
                                  false)) {
    return false;
  }
  double months = 0;
  if (!MacStrToNum(answer, months) || months < 1 || months > kMaxMonths ||
      months != std::floor(months)) {
    return false;
  }
  CPMonthPeriod period = GetPeriod();
  SetPeriod(CPMonthPeriod(period.GetStart().month, period.GetStart().year, int(months)));
  return true;
}

bool VYXBilan::DoCmdDefinePeriodBegin() {
  CPMonthYear start = GetPeriod().GetStart();
  Str255 year;
  CPGetShortYear(start.year, year);
  std::string answer = (start.month < 10 ? "0" : "") + std::to_string(start.month) +
                       char(CPGetDateSepChar()) + PToStd(year);
  if (!CPGetInteraction().AskText(CPGetListString(kPeriodQuestionsList, kPeriodBeginItem), &answer,
                                  false)) {
    return false;
  }
  // The first of the month typed: "03/24" is read as a day, a month, a year.
  CPDate date = 0;
  if (!CPStrToDate("01" + std::string(1, char(CPGetDateSepChar())) + answer, date) || date == 0) {
    return false;
  }
  SetPeriod(CPMonthPeriod(CPGetMonth(date), CPGetYear(date), GetPeriod().GetCount()));
  return true;
}

void VYXBilan::SetDisplayMode(int16_t mode) {
  if (mode < 1 || mode > kBilanModeCount) return;
  VYXCompteBilanPrefs prefs = prefs_;
  prefs.displayMode = mode;
  SetPrefs(prefs);
}

void VYXBilan::SetShowObjectifs(bool show) {
  VYXCompteBilanPrefs prefs = prefs_;
  prefs.showObjectifs = show;
  SetPrefs(prefs);
}

void VYXBilan::SetShowStatus(bool prevu, bool engage, bool pointe) {
  VYXCompteBilanPrefs prefs = prefs_;
  prefs.showPrevu = prevu;
  prefs.showEngage = engage;
  prefs.showPointe = pointe;
  SetPrefs(prefs);
}

void VYXBilan::SetDeviseCode(DeviseCode code) {
  VYXCompteBilanPrefs prefs = prefs_;
  prefs.devise = code;
  SetPrefs(prefs);
}

// ---- rows and columns

void VYXBilan::TableChanged() {
  built_ = false;
  shown_.Forget();
  BroadcastMessage(kVYXBilanMessage, kBilanTableChanged, nullptr);
}

void VYXBilan::Rebuild() {
  if (built_) return;
  // A table laid out is about to be shown: its totals are computed now, so
  // that it hears of every change from here on.
  totaux_.PreloadModule(kTotauxCategories);
  rows_.clear();
  int32_t count = rowsSet_.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = rowsSet_.GetNthResource(n, true);
    if (id != 0) rows_.push_back(Row{Row::kCategorie, id});
  }
  if (HasUndefinedHeader()) rows_.push_back(Row{Row::kUndefined, 0});
  rows_.push_back(Row{Row::kTotal, 0});
  rows_.push_back(Row{Row::kCumul, 0});

  columns_.clear();
  columns_.push_back(Column{Column::kHeader, {}});
  CPMonthPeriod period = GetPeriod();
  period_ = period;
  for (int n = 0; n < period.GetCount(); ++n) {
    columns_.push_back(Column{Column::kMonth, period.GetMonth(n)});
  }
  columns_.push_back(Column{Column::kTotal, {}});
  if (GetShowObjectifs()) {
    columns_.push_back(Column{Column::kObjectif, {}});
    columns_.push_back(Column{Column::kEcart, {}});
    columns_.push_back(Column{Column::kRealise, {}});
  }
  ranking_.clear();
  amounts_.assign(rows_.size() * size_t(period.GetCount()), std::nan(""));
  titles_.assign(rows_.size(), std::nullopt);
  objectifs_.assign(rows_.size(), std::nullopt);
  built_ = true;
}

int VYXBilan::GetRowCount() {
  Rebuild();
  return int(rows_.size());
}

VYXBilan::Row VYXBilan::GetRow(int row) {
  Rebuild();
  return rows_.at(size_t(row));
}

int VYXBilan::GetColumnCount() {
  Rebuild();
  return int(columns_.size());
}

VYXBilan::Column VYXBilan::GetColumn(int column) {
  Rebuild();
  return columns_.at(size_t(column));
}

int VYXBilan::FindRow(CPResID categorie) {
  Rebuild();
  for (size_t r = 0; r < rows_.size(); ++r) {
    if (rows_[r].kind == Row::kCategorie && rows_[r].id == categorie) return int(r);
    if (categorie == 0 && rows_[r].kind == Row::kUndefined) return int(r);
  }
  return -1;
}

std::string VYXBilan::GetRowTitle(int row) {
  Row r = GetRow(row);
  switch (r.kind) {
    case Row::kCategorie: {
      std::optional<std::string>& title = titles_.at(size_t(row));
      if (!title) {
        Str255 name = {0};
        if (categories_.ResourceExists(r.id)) categories_.GetResourceName(r.id, name);
        title = PToStd(name);
      }
      return *title;
    }
    case Row::kUndefined:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanSansCategorieItem);
    case Row::kTotal:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanTotalItem);
    case Row::kCumul:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanCumulItem);
  }
  return {};
}

std::string VYXBilan::GetColumnTitle(int column) {
  Column c = GetColumn(column);
  switch (c.kind) {
    case Column::kHeader:
      return {};
    case Column::kMonth: {
      Str255 name, year;
      CPGetMonthName(c.month.month, name);
      CPGetShortYear(c.month.year, year);
      return PToStd(name) + ' ' + PToStd(year);
    }
    case Column::kTotal:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanTotalItem);
    case Column::kObjectif:
    case Column::kEcart:
    case Column::kRealise:
      return CPGetListString(kVYXBilanObjectifsList,
                             kVYXBilanObjectifItem + int(c.kind) - int(Column::kObjectif));
  }
  return {};
}

// ---- numbers

double VYXBilan::MonthAmount(const Row& row, CPMonthYear month) {
  // Rows of the table are read through the cache, by their place.
  size_t months = size_t(period_.GetCount());
  size_t r = size_t(&row - rows_.data());
  int m = period_.IndexOf(month);
  double* cached = nullptr;
  if (built_ && r < rows_.size() && m >= 0 && amounts_.size() == rows_.size() * months) {
    cached = &amounts_[r * months + size_t(m)];
    if (!std::isnan(*cached)) return *cached;
  }
  double amount = ReadMonthAmount(row, month);
  if (cached) *cached = amount;
  return amount;
}

double VYXBilan::ReadMonthAmount(const Row& row, CPMonthYear month) {
  ExtMontantSet set;
  totaux_.GetCategorieTotaux(row.kind == Row::kCategorie ? row.id : 0, month.month, month.year,
                             &set);
  if (row.kind == Row::kUndefined) {
    // Amounts without a category are of every kind: an expense report takes
    // their debits, an income report their credits, the others both.
    if (kind_ == kCategorieDepense) set.credits = MontantSet();
    if (kind_ == kCategorieRecette) set.debits = MontantSet();
  }
  set.Filter(ShowPrevu(), ShowEngage(), ShowPointe());
  return ToShown(set.Total());
}

double VYXBilan::RowTotal(const Row& row) {
  double sum = 0;
  for (const Column& c : columns_) {
    if (c.kind == Column::kMonth) sum += MonthAmount(row, c.month);
  }
  return sum;
}

double VYXBilan::ColumnTotal(CPMonthYear month) {
  double sum = 0;
  for (const Row& r : rows_) {
    if (r.kind == Row::kCategorie || r.kind == Row::kUndefined) sum += MonthAmount(r, month);
  }
  return sum;
}

std::optional<double> VYXBilan::MonthlyObjectif(const Row& row) {
  if (row.kind != Row::kCategorie) return std::nullopt;
  size_t r = size_t(&row - rows_.data());
  if (r < rows_.size() && r < objectifs_.size()) {
    if (!objectifs_[r]) objectifs_[r] = ReadMonthlyObjectif(row);
    return *objectifs_[r];
  }
  return ReadMonthlyObjectif(row);
}

std::optional<double> VYXBilan::ReadMonthlyObjectif(const Row& row) {
  Categorie c;
  if (!categories_.ReadResource(row.id, &c, sizeof(c))) return std::nullopt;
  double objectif = c.objectif;
  if (objectif == 0) return std::nullopt;
  // Typed as a size; expenses and savings leave the account, as debits.
  double magnitude = std::fabs(objectif);
  bool outgoing = kind_ == kCategorieDepense || kind_ == kCategorieEpargne;
  return ToShown(outgoing ? -magnitude : magnitude);
}

std::optional<double> VYXBilan::GetObjectif(CPResID categorie) {
  Rebuild();
  int row = FindRow(categorie);
  std::optional<double> monthly = row >= 0 && categorie != 0
                                      ? MonthlyObjectif(rows_[size_t(row)])
                                      : MonthlyObjectif(Row{Row::kCategorie, categorie});
  if (!monthly) return std::nullopt;
  return *monthly * GetPeriod().GetCount();
}

std::optional<double> VYXBilan::GetAmount(int row, int column) {
  Rebuild();
  const Row& r = rows_.at(size_t(row));
  const Column& c = columns_.at(size_t(column));
  if (c.kind == Column::kHeader) return std::nullopt;

  if (r.kind == Row::kCumul) {
    if (c.kind != Column::kMonth) return 0.0;  // nothing accumulates past the months
    double sum = 0;
    for (const Column& m : columns_) {
      if (m.kind != Column::kMonth) continue;
      sum += ColumnTotal(m.month);
      if (m.month == c.month) break;
    }
    return sum;
  }

  // The objective of a row: its own, or for the total row those of its rows.
  auto objectif = [&]() -> std::optional<double> {
    if (r.kind == Row::kCategorie) return GetObjectif(r.id);
    if (r.kind != Row::kTotal) return std::nullopt;
    std::optional<double> sum;
    for (const Row& each : rows_) {
      if (each.kind != Row::kCategorie) continue;
      if (auto o = GetObjectif(each.id)) sum = sum.value_or(0) + *o;
    }
    return sum;
  };
  // The amount of a row over the period (for the total row, of the rows
  // that have an objective when it is compared with theirs).
  auto periodAmount = [&](bool withObjectifOnly) {
    if (r.kind != Row::kTotal) return RowTotal(r);
    double sum = 0;
    for (const Row& each : rows_) {
      if (each.kind != Row::kCategorie && each.kind != Row::kUndefined) continue;
      if (withObjectifOnly && !(each.kind == Row::kCategorie && GetObjectif(each.id))) continue;
      sum += RowTotal(each);
    }
    return sum;
  };

  switch (c.kind) {
    case Column::kMonth:
      return r.kind == Row::kTotal ? ColumnTotal(c.month) : MonthAmount(r, c.month);
    case Column::kTotal:
      return periodAmount(false);
    case Column::kObjectif:
      return objectif();
    case Column::kEcart: {
      std::optional<double> o = objectif();
      if (!o) return std::nullopt;
      return periodAmount(true) - *o;
    }
    case Column::kRealise: {
      std::optional<double> o = objectif();
      if (!o || *o == 0) return std::nullopt;
      return periodAmount(true) / *o * 100;
    }
    default:
      return std::nullopt;
  }
}

std::optional<double> VYXBilan::GetValue(int row, int column) {
  std::optional<double> amount = GetAmount(row, column);
  Rebuild();
  const Row& r = rows_.at(size_t(row));
  const Column& c = columns_.at(size_t(column));
  int16_t mode = GetDisplayMode();
  if (!amount || mode == kBilanMontants || c.kind == Column::kObjectif ||
      c.kind == Column::kEcart || c.kind == Column::kRealise) {
    return amount;
  }
  // The cumulative row keeps its running sums whatever the mode.
  if (r.kind == Row::kCumul) return amount;
  switch (mode) {
    case kBilanPourcentages: {
      double whole = c.kind == Column::kMonth ? ColumnTotal(c.month) : [&] {
        double sum = 0;
        for (const Column& m : columns_) {
          if (m.kind == Column::kMonth) sum += ColumnTotal(m.month);
        }
        return sum;
      }();
      if (std::fabs(whole) < 0.0001) return std::nullopt;
      return *amount / whole * 100;
    }
    case kBilanCumuls: {
      if (c.kind != Column::kMonth) return amount;
      double sum = 0;
      for (const Column& m : columns_) {
        if (m.kind != Column::kMonth) continue;
        sum += r.kind == Row::kTotal ? ColumnTotal(m.month) : MonthAmount(r, m.month);
        if (m.month == c.month) break;
      }
      return sum;
    }
    case kBilanObjectifs:
    case kBilanEcarts: {
      // A row against its objective; the total row, the rows that have one
      // against the sum of theirs.
      bool month = c.kind == Column::kMonth;
      auto objectifOf = [&](const Row& each) -> std::optional<double> {
        if (each.kind != Row::kCategorie) return std::nullopt;
        return month ? MonthlyObjectif(each) : GetObjectif(each.id);
      };
      auto amountOf = [&](const Row& each) {
        return month ? MonthAmount(each, c.month) : RowTotal(each);
      };
      std::optional<double> o;
      double compared = 0;
      if (r.kind == Row::kTotal) {
        for (const Row& each : rows_) {
          if (auto mine = objectifOf(each)) {
            o = o.value_or(0) + *mine;
            compared += amountOf(each);
          }
        }
      } else {
        o = objectifOf(r);
        compared = *amount;
      }
      if (!o) return std::nullopt;
      if (mode == kBilanEcarts) return compared - *o;
      if (*o == 0) return std::nullopt;
      return compared / *o * 100;
    }
    default:
      return amount;
  }
}

VYXBilan::NumberStyle VYXBilan::GetNumberStyle() const {
  switch (GetDisplayMode()) {
    case kBilanPourcentages:
    case kBilanObjectifs:
      return kStylePourcentage;
    case kBilanCumuls:
    case kBilanEcarts:
      return kStyleEcart;
    default:
      return kStyleMontant;
  }
}

std::vector<int> VYXBilan::Ranking() {
  Rebuild();
  if (!ranking_.empty()) return ranking_;
  int16_t mode = GetDisplayMode();
  std::vector<std::pair<double, int>> order;  // larger first
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Row& row = rows_[r];
    if (row.kind != Row::kCategorie && row.kind != Row::kUndefined) continue;
    if (mode == kBilanCumuls) {
      double total = RowTotal(row);
      if (std::fabs(total) >= 0.005) order.emplace_back(std::fabs(total), int(r));
    } else if (row.kind == Row::kCategorie) {
      // The gap (amount less objective) is negative when it goes the wrong
      // way: spent beyond the objective, or earned short of it.
      if (std::optional<double> o = GetObjectif(row.id))
        order.emplace_back(*o - RowTotal(row), int(r));
    }
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  ranking_.assign(rows_.size(), 0);
  for (size_t n = 0; n < order.size(); ++n) {
    ranking_[size_t(order[n].second)] = int(std::min<size_t>(n, 2)) + 1;
  }
  return ranking_;
}

VYXBilan::Mark VYXBilan::GetRowMark(int row) {
  int16_t mode = GetDisplayMode();
  if (mode < kBilanCumuls) return {};
  std::vector<int> ranking = Ranking();
  int rank = ranking.at(size_t(row));
  if (rank == 0) return {};
  const int* glyphs = mode == kBilanCumuls ? kCumulGlyphs : kObjectifGlyphs;
  const int* colors = mode == kBilanCumuls ? kCumulColors : kObjectifColors;
  return Mark{rank, glyphs[rank - 1], colors[rank - 1]};
}

// ---- changes

void VYXBilan::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (from == static_cast<CPBroadcaster*>(&rowsSet_)) {
    if (category == kCPResourceMessage) TableChanged();
    return;
  }
  if (category == kCPResourceMessage) {  // the currencies
    if (code != kCPResStartMoving && code != kCPResEndMoving && code != kCPResMoved) {
      TableChanged();
    }
    return;
  }
  if (category != kVYXTotauxMessage) return;
  switch (code) {
    case kTotauxCategorieChanged: {
      if (!built_) return;
      ranking_.clear();
      std::fill(amounts_.begin(), amounts_.end(), std::nan(""));
      auto* key = static_cast<VYXTotauxKey*>(data);
      int column = -1;
      for (size_t c = 0; c < columns_.size(); ++c) {
        if (columns_[c].kind == Column::kMonth &&
            columns_[c].month == CPMonthYear{key->month, key->year}) {
          column = int(c);
        }
      }
      int row = FindRow(key->id);
      if (column < 0 || row < 0) return;
      // The cell, and what sums it: the row's total and objective columns,
      // the month's total and cumulative rows.
      std::vector<VYXBilanCell> cells{{row, column}};
      for (size_t c = size_t(column) + 1; c < columns_.size(); ++c) {
        if (columns_[c].kind != Column::kMonth) cells.push_back({row, int(c)});
      }
      for (size_t r = 0; r < rows_.size(); ++r) {
        if (rows_[r].kind == Row::kTotal || rows_[r].kind == Row::kCumul) {
          cells.push_back({int(r), column});
        }
      }
      for (VYXBilanCell& cell : cells) BroadcastMessage(kVYXBilanMessage, kBilanCellChanged, &cell);
      break;
    }
    case kTotauxReset:
    case kTotauxPreloaded:
    case kTotauxCompteLoaded:
      TableChanged();
      break;
    default:
      break;
  }
}
