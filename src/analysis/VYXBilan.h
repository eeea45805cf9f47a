// A balance report: for one kind of category, one row per category (in the
// categories' display order), the row of amounts without a category, a
// total row and a cumulative row; one column per month of a CPMonthPeriod,
// a total column and, when asked, three objective columns (objective, gap,
// share achieved). Its numbers come from a totals engine and it announces
// which cells changed when the engine does ('BILA' messages below).
//
// VYXCompteBilan reads one account's totals in the account's currency,
// VYXUserBilan those of the dossier (the accounts of its balance sheet) in
// the reference currency; each keeps its settings where its owner keeps
// them (VYXBilanPrefs.h). The report does not own the engine or the sets it
// reads; they must outlive it.
//
// The display modes turn each amount into what is shown (docs/reports.md):
// 1 the amount; 2 its share of the month's total; 3 the running total since
// the period's start; 4 its share of the category's objective; 5 the amount
// less the objective. Modes 3 to 5 mark the first and second rows of a
// ranking (largest totals, or furthest beyond their objective).
#ifndef VYX_ANALYSIS_VYXBILAN_H_
#define VYX_ANALYSIS_VYXBILAN_H_

#include <optional>
#include <string>
#include <vector>

#include "accounts/VYXCategoriesViews.h"
#include "analysis/VYXBilanPrefs.h"
#include "analysis/VYXDeviseShown.h"
#include "analysis/VYXTotaux.h"
#include "foundation/CPMonthPeriod.h"

// The kind of category a report shows (the category's 'dep ' byte).
using TypeOfBilan = uint8_t;

constexpr OSType kVYXBilanMessage = 'BILA';
enum : uint32_t {
  kBilanTableChanged = 1,  // rows, columns or every cell; no data
  kBilanCellChanged = 2,   // data: VYXBilanCell
};

struct VYXBilanCell {
  int row = 0;     // from 0
  int column = 0;  // from 0: the row-header column
};

// Texts of the reports: the total column (list 275, 1), the cumulative row
// (275, 2), the rows of amounts without a category or an allocation (275, 3
// and 4), the objective columns (list 375, 71 to 73).
constexpr int kVYXBilanTextsList = 275;
constexpr int kVYXBilanTotalItem = 1;
constexpr int kVYXBilanCumulItem = 2;
constexpr int kVYXBilanSansCategorieItem = 3;
constexpr int kVYXBilanSansAffectationItem = 4;
constexpr int kVYXBilanObjectifsList = 375;
constexpr int kVYXBilanObjectifItem = 71;

class VYXBilan : public CPListener, public CPBroadcaster {
 public:
  struct Row {
    enum Kind { kCategorie, kUndefined, kTotal, kCumul } kind;
    CPResID id;  // the category's; 0 for the others
  };
  struct Column {
    enum Kind { kHeader, kMonth, kTotal, kObjectif, kEcart, kRealise } kind;
    CPMonthYear month;  // month columns
  };
  // A row's mark in the ranked modes: which place (1, 2, 3 for the others),
  // the glyph and the user colour that show it.
  struct Mark {
    int rank = 0;  // 0: no mark
    int glyph = 0;
    int color = 0;
  };
  // The numbers' form: 1 an amount, 2 a percentage, 3 a signed amount.
  enum NumberStyle { kStyleMontant = 1, kStylePourcentage = 2, kStyleEcart = 3 };

  VYXBilan(VYXTotaux& totaux, CPResourceSet_T<Categorie>& categories, TypeOfBilan kind,
           bool hasUndefined);
  ~VYXBilan() override;

  TypeOfBilan GetKind() const { return kind_; }
  VYXTotaux& GetTotaux() const { return totaux_; }

  // ---- settings; each change is saved and makes the table change.
  const VYXCompteBilanPrefs& GetPrefs() const { return prefs_; }
  void SetPrefs(const VYXCompteBilanPrefs& prefs);
  // Changes are saved unless this is turned off (a report shown once).
  void SetSaving(bool saving) { saving_ = saving; }
  CPMonthPeriod GetPeriod() const;
  void SetPeriod(const CPMonthPeriod& period);
  // Moves by the period's length; with `option` by one month; with `shift`
  // the period grows by one month (at its end going forward, at its start
  // going back).
  void GoToNextPeriod(bool option = false, bool shift = false);
  void GoToPrevPeriod(bool option = false, bool shift = false);
  // Ask the user for the number of months (list 353, 57) and for the first
  // month (353, 58); false when cancelled or not understood.
  bool DoCmdDefinePeriodLength();
  bool DoCmdDefinePeriodBegin();
  int16_t GetDisplayMode() const { return prefs_.displayMode; }
  void SetDisplayMode(int16_t mode);
  bool GetShowObjectifs() const { return prefs_.showObjectifs != 0; }
  void SetShowObjectifs(bool show);
  bool ShowPrevu() const { return prefs_.showPrevu != 0; }
  bool ShowEngage() const { return prefs_.showEngage != 0; }
  bool ShowPointe() const { return prefs_.showPointe != 0; }
  void SetShowStatus(bool prevu, bool engage, bool pointe);
  // The currency amounts are shown in; 0 for the amounts' own.
  DeviseCode GetDeviseCode() const { return prefs_.devise; }
  void SetDeviseCode(DeviseCode code);
  // The currency the amounts are shown in, never 0.
  DeviseCode GetShownDevise();
  bool HasUndefinedHeader() const { return hasUndefined_ && prefs_.showUndefined != 0; }
  bool HasTotalHeader() const { return true; }
  bool HasCumulHeader() const { return true; }

  // ---- the table
  int GetRowCount();
  Row GetRow(int row);
  int GetColumnCount();
  Column GetColumn(int column);
  // MacRoman titles.
  std::string GetRowTitle(int row);
  std::string GetColumnTitle(int column);
  // The amount of a cell, in the shown currency (what mode 1 shows); the
  // objective columns hold the objective, the gap and the share achieved.
  // Empty where the cell has nothing to show (no objective).
  std::optional<double> GetAmount(int row, int column);
  // The number the display mode shows.
  std::optional<double> GetValue(int row, int column);
  NumberStyle GetNumberStyle() const;
  Mark GetRowMark(int row);
  // The category's objective for the period, signed like its amounts.
  std::optional<double> GetObjectif(CPResID categorie);
  // The row of a category, or -1.
  int FindRow(CPResID categorie);

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  // Where the settings are kept.
  virtual VYXCompteBilanPrefs LoadPrefs() = 0;
  virtual void SavePrefs(const VYXCompteBilanPrefs& prefs) = 0;
  // The currency of the totals the report reads, and the user file that
  // converts them (null: none).
  virtual DeviseCode GetSourceDevise() = 0;
  virtual VYXUserPreferences* GetUserPrefs() = 0;
  // Reads the settings; the subclasses call it once built.
  void Init();

 private:
  void TableChanged();
  void Rebuild();
  // An amount of the totals in the shown currency.
  double ToShown(double amount) { return Shown().Convert(amount); }
  const VYXDeviseShown& Shown();
  // The amount of one category (or of none, `undefined`) for one month:
  // from the cache for a row of the table, else from the totals.
  double MonthAmount(const Row& row, CPMonthYear month);
  double ReadMonthAmount(const Row& row, CPMonthYear month);
  double RowTotal(const Row& row);
  double ColumnTotal(CPMonthYear month);
  // The monthly objective of a category row, signed like its amounts.
  std::optional<double> MonthlyObjectif(const Row& row);
  std::optional<double> ReadMonthlyObjectif(const Row& row);
  std::vector<int> Ranking();

  VYXTotaux& totaux_;
  CPResourceSet_T<Categorie>& categories_;
  VYXCompteSubBilan rowsSet_;
  TypeOfBilan kind_;
  bool hasUndefined_;
  VYXCompteBilanPrefs prefs_;
  VYXDeviseShown shown_;
  bool saving_ = true;
  bool built_ = false;
  std::vector<Row> rows_;
  std::vector<Column> columns_;
  std::vector<int> ranking_;  // rank of each row, 0 when none; empty until asked
  // What the cells read, kept until the totals or the table change: the
  // amounts of each row by month (NaN until read), the rows' titles and
  // monthly objectives (read from the categories, which may be the dossier's
  // and then cost a trip to its file).
  CPMonthPeriod period_;  // of the columns laid out
  std::vector<double> amounts_;
  std::vector<std::optional<std::string>> titles_;
  std::vector<std::optional<std::optional<double>>> objectifs_;
};

#endif  // VYX_ANALYSIS_VYXBILAN_H_
