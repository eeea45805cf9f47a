// The totals of one account, keyed by the account's own list items, in its
// own currency. Owned by the account (VYXCompteTotauxHook.h): built while it
// opens, listening to it from then on, dropped when it closes. Budget posts
// are the user file's, reached through the account's supervisor.
//
// The computed arrays can be written to a stream and read back (PutTo,
// GetFrom), a saved form of the account's totals; a stream of another
// version or with a wrong marker raises and leaves the totals to be computed
// again from the operations.
//
// The saved filters are the dossier's: their totals follow its set of masks
// and the names of the items the masks and the operations name, on both
// sides (a rename may make an operation pass a filter or fail it).
#ifndef VYX_ANALYSIS_VYXCOMPTETOTAUX_H_
#define VYX_ANALYSIS_VYXCOMPTETOTAUX_H_

#include <memory>
#include <unordered_map>

#include "accounts/VYXCompteTotauxHook.h"
#include "analysis/VYXTotaux.h"
#include "foundation/CPArray.h"
#include "foundation/CPStream.h"

class VYXUserPreferences;

class VYXCompteTotaux : public VYXTotaux, public VYXCompteTotauxBase, public CPPersistent {
 public:
  explicit VYXCompteTotaux(VYXCompte& compte);
  ~VYXCompteTotaux() override;

  // The account's engine: the one it was given when it opened, or one made
  // now when none was.
  static VYXCompteTotaux& Of(VYXCompte& compte);
  // Makes every account opened from now on build its engine as it opens;
  // with `countAtOpening`, the engine's totals are counted during the
  // opening's own reading of the records, and otherwise by the engine from
  // the records when first asked (the same figures, a second reading).
  static void Install(bool countAtOpening = true);

  VYXCompte& GetCompte() const { return compte_; }

  // The account has been loaded: nothing computed before holds.
  void Refresh() override { Reset(); }
  // The modules its account's scan counted, loaded without reading it again.
  void TakeCount(std::unique_ptr<VYXCompteTotauxCount> count) override;

  CPResourceSet_T<Categorie>& GetCategories() override { return compte_.GetCategories(); }
  CPResourceSet_T<Affectation>& GetAffectations() override { return compte_.GetAffectations(); }
  CPResourceSet_T<Mode>& GetModes() override { return compte_.GetModes(); }
  CPResourceSet* GetPostes() override;
  CPResourceSet* GetFilters() override;
  CPResourceSet* GetFiltersSets() override;
  CPResourceSet* GetTitres() override { return &compte_.GetTitres(); }
  CPResourceSet_T<UserTiers>& GetTiers() override { return compte_.GetTiers(); }
  CPResourceSet_T<UserAffaire>& GetAffaires() override { return compte_.GetAffaires(); }
  CPResourceSet_T<TauxTVA>& GetTauxTVA() override { return compte_.GetTVAs(); }
  void UpdateReportValues() override;

  // The saved form (docs/totaux.md). Reading replaces the computed modules
  // and marks them computed; the saved operation-list data is kept for one
  // GetPreloadListArray.
  void PutTo(CPStream& stream, const CPDataEncoding& encoding) const override;
  void GetFrom(CPStream& stream, const CPDataEncoding& encoding) override;
  // The operation-list data read by GetFrom, handed out once: false on any
  // later call.
  bool GetPreloadListArray(CPArray* array);
  void SetPreloadListArray(const CPArray& array) { preloadList_ = array; }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 protected:
  void LoadModules(const VYXTotauxModules& modules) override;
  VYXCompte* CompteOf(CPBroadcaster* from) override;
  CPResID PosteOf(VYXCompte& compte, CPResID categorie) override;
  VYXUserPreferences* GetFiltersUser() override { return User(); }

 private:
  VYXUserPreferences* User() const;

  VYXCompte& compte_;
  CPArray preloadList_{1};
  bool preloadGiven_ = true;
  // The account's categories and the posts that hold them, as last found.
  std::unordered_map<CPResID, CPResID> postes_;
};

#endif  // VYX_ANALYSIS_VYXCOMPTETOTAUX_H_
