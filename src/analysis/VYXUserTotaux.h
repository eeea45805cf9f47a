// The totals of a user file: those of its open accounts, each account's
// items re-keyed to the user file's items of the same name and its amounts
// converted to the reference currency. Each module covers the accounts whose
// flag for its global view is set (UserCompte): the balance sheet's ('gBil')
// for categories, third parties and cases, the budget's for posts, the
// filters', the cash flow's and the portfolio's for theirs.
//
// The totals follow the user file: an account that opens is added, one that
// closes, or whose flag changes, makes the modules it took part in be
// computed again when next asked for. The object listens to the user file
// and to the accounts; it owns neither.
#ifndef VYX_ANALYSIS_VYXUSERTOTAUX_H_
#define VYX_ANALYSIS_VYXUSERTOTAUX_H_

#include <unordered_map>
#include <vector>

#include "analysis/VYXTotaux.h"
#include "analysis/VYXUserMapping.h"
#include "userfile/UserCompte.h"

class VYXUserPreferences;

class VYXUserTotaux : public VYXTotaux {
 public:
  // Follows the accounts of the user file open now, and those opened later.
  explicit VYXUserTotaux(VYXUserPreferences& user);
  ~VYXUserTotaux() override;

  VYXUserPreferences& GetUser() const { return user_; }
  VYXUserMapping& GetMapping() { return mapping_; }
  // The global view whose flag decides which accounts a module covers.
  static ModuleGlobal GlobalOf(TotauxModule module);

  // An account of the user file: followed from now on, and added to the
  // modules computed ('TOTO' 20 and 3). Nothing for one already followed.
  void AddCompte(VYXCompte& compte);
  // No longer followed; the modules it took part in are computed again when
  // next asked for ('TOTO' 20).
  void RemoveCompte(VYXCompte& compte);
  const std::vector<VYXCompte*>& GetComptes() const { return comptes_; }
  // The modules the account takes part in.
  VYXTotauxModules IncludedModules(VYXCompte& compte);

  CPResourceSet_T<Categorie>& GetCategories() override;
  CPResourceSet_T<Affectation>& GetAffectations() override;
  CPResourceSet_T<Mode>& GetModes() override;
  CPResourceSet* GetPostes() override;
  CPResourceSet* GetFilters() override;
  CPResourceSet* GetFiltersSets() override;
  CPResourceSet* GetTitres() override { return nullptr; }
  CPResourceSet_T<UserTiers>& GetTiers() override;
  CPResourceSet_T<UserAffaire>& GetAffaires() override;
  CPResourceSet_T<TauxTVA>& GetTauxTVA() override;
  // The opening balances of the accounts of the global balances ('gSol'),
  // in the reference currency.
  void UpdateReportValues() override;

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

  // The month modules an account's own engine holds already are summed from
  // its items, re-keyed, rather than counted again from its operations
  // (the others are); 'TOTO' 3 unless quiet.
  using VYXTotaux::LoadCompte;
  void LoadCompte(VYXCompte& compte, const VYXTotauxModules& modules, bool quiet) override;

 protected:
  void LoadModules(const VYXTotauxModules& modules) override;
  VYXCompte* CompteOf(CPBroadcaster* from) override;
  VYXTotauxModules ModulesOf(VYXCompte& compte) override;
  CPResID KeyOf(VYXCompte& compte, VYXCompteList list, CPResID id) override;
  CPResID PosteOf(VYXCompte& compte, CPResID categorie) override;
  double AmountOf(VYXCompte& compte, double amount) override;
  VYXUserPreferences* GetFiltersUser() override { return &user_; }

 private:
  // The modules keyed by a list's items.
  static VYXTotauxModules ModulesKeyedBy(VYXCompteList list);
  void ForgetInclusions() { included_.clear(); }
  // Adds to `modules` what the account's engine holds; the modules so done.
  VYXTotauxModules SumCompte(VYXCompte& compte, const VYXTotauxModules& modules);

  VYXUserPreferences& user_;
  VYXUserMapping mapping_;
  std::vector<VYXCompte*> comptes_;
  std::unordered_map<VYXCompte*, VYXTotauxModules> included_;
};

#endif  // VYX_ANALYSIS_VYXUSERTOTAUX_H_
