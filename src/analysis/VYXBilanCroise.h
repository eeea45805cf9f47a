// The cross table: categories against allocations over a period. Rows are
// the categories in display order, then the amounts without a category, a
// total row and a cumulative row (the total row summed from the first
// column to each); columns likewise: the allocations, the amounts without
// one, a total column and a cumulative column (the total column summed from
// the first row to each). Its numbers come from a
// two-list totalizer that it owns, bound to the period and counting amounts
// net of VAT unless SetDisplayTTC; it announces changed cells like the
// balance report ('BILA'). VYXCompteBilanCroise covers one account
// (settings 'PREF' 1039 of the account), VYXUserBilanCroise the accounts of
// the dossier's balance sheet (1037 of the user file).
#ifndef VYX_ANALYSIS_VYXBILANCROISE_H_
#define VYX_ANALYSIS_VYXBILANCROISE_H_

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/VYXBilan.h"
#include "analysis/VYXTotalizer.h"
#include "analysis/VYXUserTotaux.h"

class VYXBilanCroise : public CPListener, public CPBroadcaster {
 public:
  struct Header {
    enum Kind { kItem, kUndefined, kTotal, kCumul } kind;
    CPResID id;
  };

  VYXBilanCroise(CPResourceSet_T<Categorie>& categories, CPResourceSet_T<Affectation>& affectations,
                 VYXUserMapping* mapping);
  ~VYXBilanCroise() override;

  const VYXCompteBilanCroisePrefs& GetPrefs() const { return prefs_; }
  void SetPrefs(const VYXCompteBilanCroisePrefs& prefs);
  // Changes are saved unless this is turned off (a report shown once).
  void SetSaving(bool saving) { saving_ = saving; }
  CPMonthPeriod GetPeriod() const;
  void SetPeriod(const CPMonthPeriod& period);
  void GoToNextPeriod(bool option = false, bool shift = false);
  void GoToPrevPeriod(bool option = false, bool shift = false);
  void SetShowStatus(bool prevu, bool engage, bool pointe);
  bool GetDisplayTTC() const { return prefs_.ttc != 0; }
  void SetDisplayTTC(bool ttc);
  DeviseCode GetDeviseCode() const { return prefs_.bilan.devise; }
  void SetDeviseCode(DeviseCode code);
  // The currency the amounts are shown in, never 0.
  DeviseCode GetShownDevise();

  int GetRowCount();
  int GetColumnCount();
  Header GetRow(int row);
  Header GetColumn(int column);
  std::string GetRowTitle(int row);
  std::string GetColumnTitle(int column);
  // In the shown currency.
  double GetAmount(int row, int column);
  const VYXOperation2ResTotalizer& GetTotalizer() const { return totalizer_; }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  virtual VYXCompteBilanCroisePrefs LoadPrefs() = 0;
  virtual void SavePrefs(const VYXCompteBilanCroisePrefs& prefs) = 0;
  // The currency of the totals the table reads, and the user file that
  // converts them (null: none).
  virtual DeviseCode GetSourceDevise() = 0;
  virtual VYXUserPreferences* GetUserPrefs() = 0;
  // Reads the settings and binds the totalizer; the subclasses call it once
  // they have given it its accounts.
  void Init();
  VYXOperation2ResTotalizer& Totalizer() { return totalizer_; }

 private:
  void TableChanged();
  void Rebuild();
  const VYXDeviseShown& Shown();
  static std::vector<Header> Axis(CPResourceSet& set);
  double Cell(const Header& row, const Header& column);

  CPResourceSet_T<Categorie>& categories_;
  CPResourceSet_T<Affectation>& affectations_;
  VYXOperation2ResTotalizer totalizer_;
  VYXCompteBilanCroisePrefs prefs_;
  VYXDeviseShown shown_;
  bool saving_ = true;
  bool built_ = false;
  std::vector<Header> rows_;
  std::vector<Header> columns_;
};

class VYXCompteBilanCroise : public VYXBilanCroise {
 public:
  explicit VYXCompteBilanCroise(VYXCompte& compte);

 protected:
  VYXCompteBilanCroisePrefs LoadPrefs() override;
  void SavePrefs(const VYXCompteBilanCroisePrefs& prefs) override;
  DeviseCode GetSourceDevise() override { return compte_.GetCompteDevise(); }
  VYXUserPreferences* GetUserPrefs() override;

 private:
  VYXCompte& compte_;
};

class VYXUserBilanCroise : public VYXBilanCroise {
 public:
  explicit VYXUserBilanCroise(VYXUserTotaux& totaux);
  ~VYXUserBilanCroise() override;
  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  VYXCompteBilanCroisePrefs LoadPrefs() override;
  void SavePrefs(const VYXCompteBilanCroisePrefs& prefs) override;
  DeviseCode GetSourceDevise() override;
  VYXUserPreferences* GetUserPrefs() override;

 private:
  // The totalizer covers the accounts of the balance sheet open now.
  void SyncComptes();

  VYXUserTotaux& totaux_;
};

#endif  // VYX_ANALYSIS_VYXBILANCROISE_H_
