// The balance report and the cross table: their rows and columns, the cells
// from the totals, the display modes and objectives, the period's moves and
// the cells they announce when the totals change.
#include <gtest/gtest.h>

#include "analysis/TotauxTestSupport.h"
#include "analysis/VYXBilanCroise.h"
#include "analysis/VYXCompteBilan.h"

namespace {

class BilanListener : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    if (category != kVYXBilanMessage) return;
    if (code == kBilanTableChanged) ++tables;
    if (code == kBilanCellChanged) cells.push_back(*static_cast<VYXBilanCell*>(data));
  }
  int tables = 0;
  std::vector<VYXBilanCell> cells;
};

class BilanTest : public TotauxTest {
 protected:
  void SetUp() override {
    TotauxTest::SetUp();
    compte_ = &NewCompte("Courant");
    courses_ = Categorie(*compte_, "Courses", kCategorieDepense, 300);
    loisirs_ = Categorie(*compte_, "Loisirs", kCategorieDepense, 100);
    loyer_ = Categorie(*compte_, "Loyer", kCategorieDepense);
    salaire_ = Categorie(*compte_, "Salaire", kCategorieRecette, 2000);
  }
  std::vector<std::string> ColumnTitles(VYXBilan& bilan) {
    std::vector<std::string> titles;
    for (int c = 1; c < bilan.GetColumnCount(); ++c) {
      titles.push_back(MacRomanToUtf8(bilan.GetColumnTitle(c)));
    }
    return titles;
  }
  std::vector<std::string> RowTitles(VYXBilan& bilan) {
    std::vector<std::string> titles;
    for (int r = 0; r < bilan.GetRowCount(); ++r) {
      titles.push_back(MacRomanToUtf8(bilan.GetRowTitle(r)));
    }
    return titles;
  }
  // The column of a month.
  static int Column(VYXBilan& bilan, int month, int year) {
    for (int c = 0; c < bilan.GetColumnCount(); ++c) {
      VYXBilan::Column col = bilan.GetColumn(c);
      if (col.kind == VYXBilan::Column::kMonth && col.month == CPMonthYear{month, year}) return c;
    }
    return -1;
  }
  static int ColumnOf(VYXBilan& bilan, VYXBilan::Column::Kind kind) {
    for (int c = 0; c < bilan.GetColumnCount(); ++c) {
      if (bilan.GetColumn(c).kind == kind) return c;
    }
    return -1;
  }
  static int RowOf(VYXBilan& bilan, VYXBilan::Row::Kind kind) {
    for (int r = 0; r < bilan.GetRowCount(); ++r) {
      if (bilan.GetRow(r).kind == kind) return r;
    }
    return -1;
  }

  VYXSDBCompte* compte_ = nullptr;
  CPResID courses_ = 0, loisirs_ = 0, loyer_ = 0, salaire_ = 0;
};

TEST_F(BilanTest, FourteenMonthsFromNovemberLayOutTheirColumnsThenTotalsThenObjectives) {
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(11, 2004, 14));
  std::vector<std::string> titles = ColumnTitles(bilan);
  ASSERT_EQ(15u, titles.size());
  EXPECT_EQ("Novembre 04", titles.front());
  EXPECT_EQ("Décembre 04", titles[1]);
  EXPECT_EQ("Janvier 05", titles[2]);
  EXPECT_EQ("Décembre 05", titles[13]);
  EXPECT_EQ("Total", titles[14]);
  bilan.SetShowObjectifs(true);
  titles = ColumnTitles(bilan);
  ASSERT_EQ(18u, titles.size());
  EXPECT_EQ((std::vector<std::string>{"Total", "Objectif", "Écart", "Réalisé"}),
            std::vector<std::string>(titles.end() - 4, titles.end()));
}

TEST_F(BilanTest, RowsAreTheKindsCategoriesInDisplayOrderThenWithoutTotalAndCumul) {
  VYXCompteBilan depenses(*compte_, kCategorieDepense);
  EXPECT_EQ(
      (std::vector<std::string>{"Courses", "Loisirs", "Loyer", "Sans catégorie", "Total", "Cumul"}),
      RowTitles(depenses));
  VYXCompteBilan recettes(*compte_, kCategorieRecette, compte_->GetCategories(), false);
  EXPECT_EQ((std::vector<std::string>{"Salaire", "Total", "Cumul"}), RowTitles(recettes));
  // A category that changes kind changes report.
  ::Categorie c;
  compte_->GetCategories().GetResource(loyer_, &c);
  c.type = kCategorieRecette;
  compte_->GetCategories().SetResource(loyer_, c);
  EXPECT_EQ((std::vector<std::string>{"Loyer", "Salaire", "Total", "Cumul"}), RowTitles(recettes));
}

TEST_F(BilanTest, CellsTotalsAndTheCumulativeRow) {
  Add(*compte_, Op(-120, courses_, 5, 1, 2024, kOpPointee));
  Add(*compte_, Op(-80, courses_, 20, 2, 2024));
  Add(*compte_, Op(-45, loisirs_, 9, 2, 2024, kOpPrevue));
  Add(*compte_, Op(2500, salaire_, 28, 1, 2024));
  Add(*compte_, Op(-10, 0, 3, 1, 2024));  // without category: an expense
  Add(*compte_, Op(15, 0, 3, 1, 2024));   // and a receipt, left out of expenses
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 3));
  int jan = Column(bilan, 1, 2024), feb = Column(bilan, 2, 2024), mar = Column(bilan, 3, 2024);
  int total = ColumnOf(bilan, VYXBilan::Column::kTotal);
  int courses = bilan.FindRow(courses_), sans = bilan.FindRow(0);
  int totalRow = RowOf(bilan, VYXBilan::Row::kTotal), cumul = RowOf(bilan, VYXBilan::Row::kCumul);
  EXPECT_DOUBLE_EQ(-120, *bilan.GetAmount(courses, jan));
  EXPECT_DOUBLE_EQ(-200, *bilan.GetAmount(courses, total));
  EXPECT_DOUBLE_EQ(-10, *bilan.GetAmount(sans, jan));
  EXPECT_DOUBLE_EQ(-130, *bilan.GetAmount(totalRow, jan));
  EXPECT_DOUBLE_EQ(-125, *bilan.GetAmount(totalRow, feb));
  EXPECT_DOUBLE_EQ(-255, *bilan.GetAmount(totalRow, total));
  EXPECT_DOUBLE_EQ(-130, *bilan.GetAmount(cumul, jan));
  EXPECT_DOUBLE_EQ(-255, *bilan.GetAmount(cumul, mar));
  EXPECT_DOUBLE_EQ(0, *bilan.GetAmount(cumul, total));
  // Only the statuses asked for.
  bilan.SetShowStatus(false, true, true);
  EXPECT_DOUBLE_EQ(-210, *bilan.GetAmount(totalRow, total));
  bilan.SetShowStatus(false, false, true);
  EXPECT_DOUBLE_EQ(-120, *bilan.GetAmount(totalRow, total));
}

TEST_F(BilanTest, ObjectiveColumnsCompareWithTheMonthlyObjectiveOverThePeriod) {
  Add(*compte_, Op(-350, courses_, 5, 1, 2024));
  Add(*compte_, Op(-200, courses_, 5, 2, 2024));
  Add(*compte_, Op(-30, loisirs_, 5, 2, 2024));
  Add(*compte_, Op(-700, loyer_, 5, 2, 2024));  // no objective
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 2));
  bilan.SetShowObjectifs(true);
  int objectif = ColumnOf(bilan, VYXBilan::Column::kObjectif);
  int ecart = ColumnOf(bilan, VYXBilan::Column::kEcart);
  int realise = ColumnOf(bilan, VYXBilan::Column::kRealise);
  int courses = bilan.FindRow(courses_), loyer = bilan.FindRow(loyer_);
  int total = RowOf(bilan, VYXBilan::Row::kTotal);
  EXPECT_DOUBLE_EQ(-600, *bilan.GetAmount(courses, objectif));
  EXPECT_DOUBLE_EQ(50, *bilan.GetAmount(courses, ecart));  // 50 short of the budget
  EXPECT_NEAR(91.6667, *bilan.GetAmount(courses, realise), 1e-4);
  EXPECT_FALSE(bilan.GetAmount(loyer, objectif).has_value());
  // The total compares the rows that have an objective.
  EXPECT_DOUBLE_EQ(-800, *bilan.GetAmount(total, objectif));
  EXPECT_DOUBLE_EQ(220, *bilan.GetAmount(total, ecart));
  EXPECT_NEAR(72.5, *bilan.GetAmount(total, realise), 1e-9);
}

TEST_F(BilanTest, DisplayModesTurnAmountsIntoWhatIsShown) {
  Add(*compte_, Op(-350, courses_, 5, 1, 2024));
  Add(*compte_, Op(-50, loisirs_, 5, 1, 2024));
  Add(*compte_, Op(-200, courses_, 5, 2, 2024));
  Add(*compte_, Op(-150, loisirs_, 5, 2, 2024));
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 2));
  int jan = Column(bilan, 1, 2024), feb = Column(bilan, 2, 2024);
  int total = ColumnOf(bilan, VYXBilan::Column::kTotal);
  int courses = bilan.FindRow(courses_), loisirs = bilan.FindRow(loisirs_);
  int loyer = bilan.FindRow(loyer_), totalRow = RowOf(bilan, VYXBilan::Row::kTotal);

  struct Case {
    int16_t mode;
    VYXBilan::NumberStyle style;
    int row, column;
    std::optional<double> value;
  } cases[] = {
      {kBilanMontants, VYXBilan::kStyleMontant, courses, jan, -350},
      {kBilanPourcentages, VYXBilan::kStylePourcentage, courses, jan, 87.5},
      {kBilanPourcentages, VYXBilan::kStylePourcentage, loisirs, total, 200.0 / 750 * 100},
      {kBilanPourcentages, VYXBilan::kStylePourcentage, totalRow, feb, 100},
      {kBilanCumuls, VYXBilan::kStyleEcart, courses, feb, -550},
      {kBilanCumuls, VYXBilan::kStyleEcart, totalRow, feb, -750},
      {kBilanObjectifs, VYXBilan::kStylePourcentage, courses, jan, 350.0 / 300 * 100},
      {kBilanObjectifs, VYXBilan::kStylePourcentage, loisirs, total, 100},
      {kBilanObjectifs, VYXBilan::kStylePourcentage, loyer, jan, std::nullopt},
      {kBilanEcarts, VYXBilan::kStyleEcart, courses, jan, -50},
      {kBilanEcarts, VYXBilan::kStyleEcart, courses, total, 50},
      {kBilanEcarts, VYXBilan::kStyleEcart, totalRow, feb, 50},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + " row " + std::to_string(c.row));
    bilan.SetDisplayMode(c.mode);
    EXPECT_EQ(c.style, bilan.GetNumberStyle());
    std::optional<double> value = bilan.GetValue(c.row, c.column);
    ASSERT_EQ(c.value.has_value(), value.has_value());
    if (c.value) {
      EXPECT_NEAR(*c.value, *value, 1e-9);
    }
  }

  // Ranked modes mark the first and second rows, in their own glyphs.
  bilan.SetDisplayMode(kBilanCumuls);
  EXPECT_EQ(1, bilan.GetRowMark(courses).rank);
  EXPECT_EQ(63, bilan.GetRowMark(courses).glyph);
  EXPECT_EQ(2, bilan.GetRowMark(loisirs).rank);
  EXPECT_EQ(165, bilan.GetRowMark(loisirs).glyph);
  EXPECT_EQ(0, bilan.GetRowMark(loyer).rank);  // nothing spent, no place
  bilan.SetDisplayMode(kBilanEcarts);
  // Loisirs went 0 past its 200; Courses stayed 50 under its 600.
  EXPECT_EQ(1, bilan.GetRowMark(loisirs).rank);
  EXPECT_EQ(78, bilan.GetRowMark(loisirs).glyph);
  EXPECT_EQ(2, bilan.GetRowMark(courses).rank);
  EXPECT_EQ(9, bilan.GetRowMark(courses).color);
  bilan.SetDisplayMode(kBilanMontants);
  EXPECT_EQ(0, bilan.GetRowMark(courses).rank);
}

TEST_F(BilanTest, PeriodMovesByItsLengthOrByOneMonthOrGrows) {
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 3));
  bilan.GoToNextPeriod();
  EXPECT_EQ(CPMonthPeriod(4, 2024, 3), bilan.GetPeriod());
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 3));
  bilan.GoToNextPeriod(true);
  EXPECT_EQ(CPMonthPeriod(2, 2024, 3), bilan.GetPeriod());
  bilan.GoToNextPeriod(false, true);
  EXPECT_EQ(CPMonthPeriod(2, 2024, 4), bilan.GetPeriod());
  bilan.GoToPrevPeriod();
  EXPECT_EQ(CPMonthPeriod(10, 2023, 4), bilan.GetPeriod());
  bilan.GoToPrevPeriod(true);
  EXPECT_EQ(CPMonthPeriod(9, 2023, 4), bilan.GetPeriod());
  bilan.GoToPrevPeriod(false, true);
  EXPECT_EQ(CPMonthPeriod(8, 2023, 5), bilan.GetPeriod());
  EXPECT_EQ(1 + 5 + 1, bilan.GetColumnCount());  // row titles, five months, the total

  // Asked of the user: a length, then a first month.
  interaction_.PushText("6");
  EXPECT_TRUE(bilan.DoCmdDefinePeriodLength());
  EXPECT_EQ(CPMonthPeriod(8, 2023, 6), bilan.GetPeriod());
  interaction_.PushText("11/04");
  EXPECT_TRUE(bilan.DoCmdDefinePeriodBegin());
  EXPECT_EQ(CPMonthPeriod(11, 2004, 6), bilan.GetPeriod());
  interaction_.PushText("0");
  EXPECT_FALSE(bilan.DoCmdDefinePeriodLength());
  interaction_.PushCancel();
  EXPECT_FALSE(bilan.DoCmdDefinePeriodBegin());
  EXPECT_EQ(CPMonthPeriod(11, 2004, 6), bilan.GetPeriod());
}

TEST_F(BilanTest, SettingsAreKeptByTheAccountAndReadBack) {
  {
    VYXCompteBilan bilan(*compte_, kCategorieDepense);
    // A new account has none: this year, every status, mode 1.
    EXPECT_EQ(CPMonthPeriod(1, 2024, 12), bilan.GetPeriod());
    EXPECT_TRUE(bilan.ShowPrevu() && bilan.ShowEngage() && bilan.ShowPointe());
    EXPECT_EQ(kBilanMontants, bilan.GetDisplayMode());
    bilan.SetPeriod(CPMonthPeriod(11, 2004, 14));
    bilan.SetDisplayMode(kBilanEcarts);
    bilan.SetShowStatus(true, false, true);
  }
  VYXSDBCompte& again = Reopen(*compte_);
  VYXCompteBilan bilan(again, kCategorieDepense);
  EXPECT_EQ(CPMonthPeriod(11, 2004, 14), bilan.GetPeriod());
  EXPECT_EQ(kBilanEcarts, bilan.GetDisplayMode());
  EXPECT_FALSE(bilan.ShowEngage());
  EXPECT_TRUE(bilan.ShowPointe());
}

TEST_F(BilanTest, AChangedTotalAnnouncesItsCellAndWhatSumsIt) {
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 12));
  bilan.GetRowCount();  // laid out
  BilanListener listener;
  bilan.AddListener(&listener);
  Add(*compte_, Op(-20, loisirs_, 5, 3, 2024));
  ASSERT_FALSE(listener.cells.empty());
  EXPECT_EQ(bilan.FindRow(loisirs_), listener.cells[0].row);
  EXPECT_EQ(Column(bilan, 3, 2024), listener.cells[0].column);
  bool total = false, cumul = false;
  for (const VYXBilanCell& cell : listener.cells) {
    total |= cell.row == bilan.FindRow(loisirs_) &&
             cell.column == ColumnOf(bilan, VYXBilan::Column::kTotal);
    cumul |=
        cell.row == RowOf(bilan, VYXBilan::Row::kCumul) && cell.column == Column(bilan, 3, 2024);
  }
  EXPECT_TRUE(total);
  EXPECT_TRUE(cumul);
  // An operation outside the period touches no cell; a new category relays out.
  listener.cells.clear();
  Add(*compte_, Op(-20, loisirs_, 5, 3, 2025));
  EXPECT_TRUE(listener.cells.empty());
  Categorie(*compte_, "Voyages");
  EXPECT_GE(listener.tables, 1);
  EXPECT_EQ(4 + 3, bilan.GetRowCount());  // four expenses, then without, total, cumul
  bilan.RemoveListener(&listener);
}

TEST_F(BilanTest, DisplayCurrencyConvertsEveryAmount) {
  Devise dollar;
  dollar.taux = 0.8;
  user_->GetDevises().AddResource(user_->GetDevises().GetUniqueID(), N("USD"), dollar);
  Add(*compte_, Op(-100, courses_, 5, 1, 2024));
  VYXCompteBilan bilan(*compte_, kCategorieDepense);
  bilan.SetPeriod(CPMonthPeriod(1, 2024, 1));
  EXPECT_EQ(DeviseCode('EUR '), bilan.GetShownDevise());
  bilan.SetDeviseCode('USD ');
  EXPECT_DOUBLE_EQ(-125, *bilan.GetAmount(bilan.FindRow(courses_), 1));
}

TEST_F(BilanTest, CrossTableOfCategoriesAndAllocations) {
  CPResID maison = Affectation(*compte_, "Maison"), auto_ = Affectation(*compte_, "Voiture");
  auto add = [&](double montant, CPResID cate, CPResID affe, int month, double tva = 0) {
    Operation op = Op(montant, cate, 5, month, 2024, kOpEngagee, tva);
    op.affectation = affe;
    return Add(*compte_, op);
  };
  add(-100, courses_, maison, 1, -10);
  add(-40, loisirs_, auto_, 2);
  add(-25, courses_, 0, 2);
  add(-999, courses_, maison, 6);  // after the period
  VYXCompteBilanCroise croise(*compte_);
  croise.SetPeriod(CPMonthPeriod(1, 2024, 3));
  auto row = [&](CPResID id) {
    for (int r = 0; r < croise.GetRowCount(); ++r) {
      VYXBilanCroise::Header h = croise.GetRow(r);
      if ((h.kind == VYXBilanCroise::Header::kItem && h.id == id)) return r;
    }
    return -1;
  };
  auto find = [&](auto kind, bool rows) {
    int n = rows ? croise.GetRowCount() : croise.GetColumnCount();
    for (int i = rows ? 0 : 1; i < n; ++i) {
      if ((rows ? croise.GetRow(i) : croise.GetColumn(i)).kind == kind) return i;
    }
    return -1;
  };
  int cMaison = 0, cAuto = 0;
  for (int c = 1; c < croise.GetColumnCount(); ++c) {
    if (croise.GetColumn(c).kind != VYXBilanCroise::Header::kItem) continue;
    if (croise.GetColumn(c).id == maison) cMaison = c;
    if (croise.GetColumn(c).id == auto_) cAuto = c;
  }
  int cSans = find(VYXBilanCroise::Header::kUndefined, false);
  int cTotal = find(VYXBilanCroise::Header::kTotal, false);
  int cCumul = find(VYXBilanCroise::Header::kCumul, false);
  int rTotal = find(VYXBilanCroise::Header::kTotal, true);
  int rCumul = find(VYXBilanCroise::Header::kCumul, true);
  EXPECT_EQ("Maison", MacRomanToUtf8(croise.GetColumnTitle(cMaison)));
  EXPECT_DOUBLE_EQ(-90, croise.GetAmount(row(courses_), cMaison));
  EXPECT_DOUBLE_EQ(-25, croise.GetAmount(row(courses_), cSans));
  EXPECT_DOUBLE_EQ(-115, croise.GetAmount(row(courses_), cTotal));
  EXPECT_DOUBLE_EQ(-40, croise.GetAmount(row(loisirs_), cAuto));
  EXPECT_DOUBLE_EQ(-155, croise.GetAmount(rTotal, cTotal));
  // Cumulative: across the columns, down the rows.
  EXPECT_DOUBLE_EQ(cMaison < cAuto ? -90 : -130, croise.GetAmount(rCumul, cMaison));
  EXPECT_DOUBLE_EQ(-155, croise.GetAmount(rCumul, cSans));
  EXPECT_DOUBLE_EQ(-115, croise.GetAmount(row(courses_), cCumul));
  EXPECT_DOUBLE_EQ(0, croise.GetAmount(rCumul, cCumul));
  croise.SetDisplayTTC(true);
  EXPECT_DOUBLE_EQ(-100, croise.GetAmount(row(courses_), cMaison));
  // Kept current.
  add(-5, loisirs_, auto_, 3);
  EXPECT_DOUBLE_EQ(-45, croise.GetAmount(row(loisirs_), cAuto));
}

}  // namespace
