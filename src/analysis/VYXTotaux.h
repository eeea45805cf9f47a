// The totals engine: monthly totals by category, budget post, third party
// and case (and by saved selection, cash flow and security), kept in sorted
// arrays and brought up to date by each operation or split line that is
// added, changed or removed, never recomputed for a query. VYXCompteTotaux
// holds those of one account, VYXUserTotaux those of every account of a user
// file, under the user file's items and in its reference currency.
//
// An operation counts its net amount (amount less VAT) under its own items,
// for its month of attribution in the year MonthDateToYear gives; each split
// line moves its own net part from the operation's items to its own. Third
// parties and cases may count amounts with VAT instead (SetTiersTTC,
// SetAffairesTTC). Queries on keys without an item answer cleared amounts.
//
// Modules are computed the first time they are asked for and kept current
// from then on. Changes are announced in category 'TOTO'
// (VYXTotauxModules.h). The engine owns its arrays; the accounts it reads
// belong to their container.
#ifndef VYX_ANALYSIS_VYXTOTAUX_H_
#define VYX_ANALYSIS_VYXTOTAUX_H_

#include "accounts/VYXCompte.h"
#include "analysis/VYXTotalArrays.h"
#include "analysis/VYXTotauxFiltres.h"
#include "analysis/VYXTotauxModules.h"
#include "analysis/VYXTotauxScan.h"
#include "analysis/VYXTresorCumul.h"
#include "foundation/CPBroadcaster.h"

// The three cash-flow accumulations.
enum VYXTresorKind : int { kTresorEnBanque = 0, kTresorReel, kTresorFinal, kTresorKindCount };

class VYXTotaux : public CPListener, public CPBroadcaster {
 public:
  VYXTotaux() = default;
  ~VYXTotaux() override = default;

  // The account messages that keep the modules current.
  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

  // ---- modules
  // Clears every module ('TOTO' 1); they are computed again when next asked for.
  virtual void Reset();
  virtual void ResetModule(TotauxModule module) { ResetModules(VYXTotauxModules::Only(module)); }
  virtual void ResetModules(const VYXTotauxModules& modules);
  // Computes every module not yet computed.
  virtual void Preload() { PreloadModules(VYXTotauxModules::All()); }
  virtual void PreloadModule(TotauxModule module) {
    PreloadModules(VYXTotauxModules::Only(module));
  }
  // Computes those of `modules` not yet computed, from every account the
  // totals cover; 'TOTO' 2 when done.
  virtual void PreloadModules(const VYXTotauxModules& modules);
  const VYXTotauxModules& GetLoadedModules() const { return loaded_; }
  bool IsLoaded(TotauxModule module) const { return loaded_[module]; }
  // The per-module loads, each from scratch.
  void LoadBilan() { Reload(kTotauxCategories); }
  void LoadBudget() { Reload(kTotauxPostes); }
  void LoadFiltres() { Reload(kTotauxFiltres); }
  void LoadTresor() { Reload(kTotauxTresor); }
  void LoadTitres() { Reload(kTotauxTitres); }
  void LoadTiers() { Reload(kTotauxTiers); }
  void LoadAffaires() { Reload(kTotauxAffaires); }

  // Adds a whole account to the modules given: each operation in table
  // order, then its split lines; 'TOTO' 3 with the account.
  virtual void LoadCompte(VYXCompte& compte, bool quiet) { LoadCompte(compte, loaded_, quiet); }
  virtual void LoadCompte(VYXCompte& compte, const VYXTotauxModules& modules, bool quiet);

  // ---- the lists the totals are keyed by (the account's, or the user file's)
  virtual CPResourceSet_T<Categorie>& GetCategories() = 0;
  virtual CPResourceSet_T<Affectation>& GetAffectations() = 0;
  virtual CPResourceSet_T<Mode>& GetModes() = 0;
  // The budget posts are the user file's; null without one.
  virtual CPResourceSet* GetPostes() = 0;
  // The saved filters ('SEL ') the filter totals are keyed by: the dossier's,
  // for an account too; null without a dossier.
  virtual CPResourceSet* GetFilters() = 0;
  virtual CPResourceSet* GetFiltersSets() = 0;
  virtual CPResourceSet* GetTitres() = 0;
  virtual CPResourceSet_T<UserTiers>& GetTiers() = 0;
  virtual CPResourceSet_T<UserAffaire>& GetAffaires() = 0;
  virtual CPResourceSet_T<TauxTVA>& GetTauxTVA() = 0;

  // The opening balances by status of what the totals cover; 'TOTO' 7.
  virtual void UpdateReportValues() = 0;
  const MontantSet& GetReportValues() const { return report_; }

  // ---- contributions. Each updates the modules of `modules` that are
  // loaded; `quiet` sends no message. Removing adds the same negated.
  virtual void AddOperation(VYXCompte& compte, const Operation& op, const VYXTotauxModules& modules,
                            bool quiet);
  // The old version's contributions out, the new one's in, split lines
  // included (they are counted against their operation's items).
  virtual void ModifyOperation(VYXCompte& compte, const Operation& oldOp, const Operation& newOp,
                               const VYXTotauxModules& modules, bool quiet);
  virtual void RemoveOperation(VYXCompte& compte, const Operation& op,
                               const VYXTotauxModules& modules, bool quiet);
  virtual void AddSousOperation(VYXCompte& compte, const Operation& op, const SousOperation& line,
                                const VYXTotauxModules& modules, bool quiet);
  virtual void ModifySousOperation(VYXCompte& compte, const Operation& op,
                                   const SousOperation& oldLine, const SousOperation& newLine,
                                   const VYXTotauxModules& modules, bool quiet);
  virtual void RemoveSousOperation(VYXCompte& compte, const Operation& op,
                                   const SousOperation& line, const VYXTotauxModules& modules,
                                   bool quiet);

  // Adds `amount` (signed) to the item of the list for the month `month`
  // (1 to 12) of the year MonthDateToYear gives with `date`, in the half
  // `credit` chooses and the entry of `status`. An amount of exactly 0 is
  // ignored. The ID is the account's; the engine keys it as it keys its list.
  virtual void AddToCategoriesTotaux(VYXCompte& compte, OpStatus status, CPResID categorie,
                                     CPDate date, int month, bool credit, double amount,
                                     bool quiet);
  // The post that holds the category; nothing for a category under none.
  virtual void AddToPostesTotaux(VYXCompte& compte, OpStatus status, CPResID categorie, CPDate date,
                                 int month, bool credit, double amount, bool quiet);
  virtual void AddToTiersTotaux(VYXCompte& compte, OpStatus status, CPResID tiers, CPDate date,
                                int month, bool credit, double amount, bool quiet);
  virtual void AddToAffaireTotaux(VYXCompte& compte, OpStatus status, CPResID affaire, CPDate date,
                                  int month, bool credit, double amount, bool quiet);
  // A securities operation (or its removal, `sign` -1).
  virtual void AddToTitreTotaux(VYXCompte& compte, const Operation& op, int sign, bool quiet);
  virtual void AddToTitreTotaux(CPResID titre, double quantity, OpStatus status, double amount,
                                bool quiet);
  // Nothing is known of a security's value before its operations.
  virtual void LoadTitreInitialValues() {}

  // Items whose list entry no longer exists are dropped.
  virtual void CheckCategoriesItems();
  virtual void CheckPostesItems();
  virtual void CheckTiersItems();
  virtual void CheckAffairesItems();
  // The selections changed: their totals are computed again when asked for.
  virtual void UpdateFilterItems() {
    if (loaded_[kTotauxFiltres]) ResetModule(kTotauxFiltres);
  }

  // ---- third parties and cases with VAT or without; a change recomputes.
  void SetTiersTTC(bool ttc);
  void SetAffairesTTC(bool ttc);
  bool GetTiersTTC() const { return tiersTTC_; }
  bool GetAffairesTTC() const { return affairesTTC_; }

  // ---- queries; each computes its module first when it is not.
  // One month of an item; cleared when it has none.
  void GetCategorieTotaux(CPResID id, int month, int year, ExtMontantSet* set);
  void GetPosteTotaux(CPResID id, int month, int year, ExtMontantSet* set);
  void GetTiersTotaux(CPResID id, int month, int year, ExtMontantSet* set);
  void GetAffaireTotaux(CPResID id, int month, int year, ExtMontantSet* set);
  // One entry per month from (fromMonth, fromYear) to (toMonth, toYear)
  // inclusive, empty months included, and their sum.
  void CategoriesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                               CPArray_T<CatTotalItem>& array, ExtMontantSet* sum);
  void PostesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                           CPArray_T<PosteTotalItem>& array, ExtMontantSet* sum);
  void TiersTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                          CPArray_T<TiersTotalItem>& array, ExtMontantSet* sum);
  void AffairesTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                             CPArray_T<AffaireTotalItem>& array, ExtMontantSet* sum);
  // The whole arrays, for reports that walk them.
  const VYXMonthTotalArray& GetCategoriesArray();
  const VYXMonthTotalArray& GetPostesArray();
  const VYXMonthTotalArray& GetTiersArray();
  const VYXMonthTotalArray& GetAffairesArray();
  // Everything ever added to a module's items.
  const ExtMontantSet& GetCategoriesTotal();
  const ExtMontantSet& GetTiersTotal();
  const ExtMontantSet& GetAffairesTotal();
  // Saved filters: one month of a filter (by its ID in GetFilters()), one
  // entry per month of a period, the whole array; and the filters that have
  // amounts, one after the other (`cursor` starts at 0), with their sums.
  void GetFiltreMonthTotaux(CPResID id, int month, int year, ExtMontantSet* set);
  void FiltreTotauxToArray(CPResID id, int fromMonth, int fromYear, int toMonth, int toYear,
                           CPArray_T<VYXMonthTotalItem>& array, ExtMontantSet* sum);
  const VYXMonthTotalArray& GetFiltresArray();
  bool GetFirstFiltreTotaux(size_t* cursor, CPResID* id, ExtMontantSet* sum);
  bool GetNextFiltreTotaux(size_t* cursor, CPResID* id, ExtMontantSet* sum);
  const VYXTresorCumul& GetTresorCumul(VYXTresorKind kind);
  const VYXTitresArray& GetTitresArray();

 protected:
  // Computes `modules` (already cleared and marked loaded) from every
  // account the totals cover.
  virtual void LoadModules(const VYXTotauxModules& modules) = 0;
  // The account of a 'CPTE' message, or null for one the totals do not follow.
  virtual VYXCompte* CompteOf(CPBroadcaster* from) = 0;
  // The loaded modules an account's changes reach.
  virtual VYXTotauxModules ModulesOf(VYXCompte& /*compte*/) { return loaded_; }
  // The engine's ID for the account's item of a list.
  virtual CPResID KeyOf(VYXCompte& /*compte*/, VYXCompteList /*list*/, CPResID id) { return id; }
  // The budget post that holds the account's category; 0 for none.
  virtual CPResID PosteOf(VYXCompte& compte, CPResID categorie) = 0;
  // The dossier whose saved filters the filter totals count; null for none.
  virtual VYXUserPreferences* GetFiltersUser() = 0;
  // The account's amount in the engine's currency.
  virtual double AmountOf(VYXCompte& /*compte*/, double amount) { return amount; }
  // Called for 'CPTE' messages other than the operation messages.
  virtual void CompteMessage(VYXCompte& compte, uint32_t code, void* data);
  // Clears a module's arrays.
  void ClearModule(TotauxModule module);
  // Takes the modules a scan of the one account these totals cover counted
  // (those not loaded yet, without VAT where these totals count without),
  // and marks them loaded. Quiet: nothing listens yet.
  void TakeScan(VYXTotauxScan& scan);
  // Adds items of a month array (in its order) and their sum to a loaded
  // module's; `total` null for a module that keeps none.
  void AddItems(TotauxModule module, const std::vector<VYXMonthTotalItem>& items,
                const ExtMontantSet* total);
  void Reload(TotauxModule module);

  MontantSet report_;

 private:
  // The operation's own contribution, `sign` 1 or -1.
  void ApplyOperation(VYXCompte& compte, const Operation& op, const VYXTotauxModules& m, int sign,
                      bool quiet);
  // The split line's move from its operation's items to its own.
  void ApplySousOperation(VYXCompte& compte, const Operation& op, const SousOperation& line,
                          const VYXTotauxModules& m, int sign, bool quiet);
  // The split lines of an operation as the account holds them now.
  void ApplyLines(VYXCompte& compte, const Operation& op, const VYXTotauxModules& m, int sign,
                  bool quiet);
  // The filters' part of an operation, and of a split line.
  void ApplyFiltres(VYXCompte& compte, const Operation& op, int sign, bool quiet);
  void ApplyFiltres(VYXCompte& compte, const Operation& op, const SousOperation& line, int sign,
                    bool quiet);
  void AddToFiltre(VYXCompte& compte, CPResID id, OpStatus status, CPDate date, int month,
                   bool credit, double amount);
  void AddToMonthArray(VYXMonthTotalArray& array, ExtMontantSet* total, uint32_t message,
                       CPResID key, OpStatus status, CPDate date, int month, bool credit,
                       double amount, bool quiet);
  void Changed(bool quiet) {
    if (!quiet) BroadcastMessage(kVYXTotauxMessage, kTotauxOperationChanged, nullptr);
  }
  const VYXMonthTotalArray& Loaded(TotauxModule module, const VYXMonthTotalArray& array) {
    PreloadModule(module);
    return array;
  }

  bool tiersTTC_ = false;
  bool affairesTTC_ = false;
  VYXTotauxModules loaded_;
  VYXMonthTotalArray categories_;
  ExtMontantSet categoriesTotal_;
  VYXMonthTotalArray postes_;
  VYXMonthTotalArray tiers_;
  ExtMontantSet tiersTotal_;
  VYXMonthTotalArray affaires_;
  ExtMontantSet affairesTotal_;
  VYXMonthTotalArray filtresTotaux_;
  VYXTotauxFiltres filtres_;  // compiled while the module is loaded
  VYXTresorCumul tresor_[kTresorKindCount];
  VYXTitresArray titres_;

  friend class VYXCompteTotaux;  // its saved form reads and writes the arrays
};

#endif  // VYX_ANALYSIS_VYXTOTAUX_H_
