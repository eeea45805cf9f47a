// The resource sets of a user file, one class per list (the file's order and
// index IDs are in VYXSDBUserPreferences.cpp). Most only fix a type, a record
// and an index kind; the categories and the third parties add their display
// order, and two plain sets follow the list their resources belong to.
#ifndef VYX_USERFILE_VYXUSERSETS_H_
#define VYX_USERFILE_VYXUSERSETS_H_

#include "accounts/Affectation.h"
#include "accounts/Categorie.h"
#include "accounts/Mode.h"
#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"
#include "foundation/CPBroadcaster.h"
#include "resources/CPHierarchicResourceSet.h"
#include "resources/CPResourceSetArray_T.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPSortedResourceSet.h"
#include "userfile/Article.h"
#include "userfile/Devise.h"
#include "userfile/Poste.h"
#include "userfile/UserCatFamily.h"
#include "userfile/UserCompte.h"

// The display orders of the other sets, saved under their index IDs.
class VYXUserResIndexesSet : public CPResourceSet {
 public:
  explicit VYXUserResIndexesSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'HIER', kCPVariableSize) {}
};

// The preference records (VYXUserPrefsRecords.h).
class VYXUserPreferencesSet : public CPResourceSet {
 public:
  explicit VYXUserPreferencesSet(CPResourceStorage& storage)
      : CPResourceSet(storage, 'PREF', kCPVariableSize) {}
};

class VYXUserComptesSet : public CPHierResourceSet_T<UserCompte> {
 public:
  VYXUserComptesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPHierResourceSet_T(storage, 'CPTE', indexes, 1000) {}
};

// A plain set whose resources each belong to the resource of the same ID in
// another set: when that one goes, so does this one.
class VYXFollowerSet : public CPResourceSet, public CPListener {
 public:
  VYXFollowerSet(CPResourceStorage& storage, ResType type, uint32_t recordSize,
                 CPResourceSet& owner)
      : CPResourceSet(storage, type, recordSize), owner_(owner) {
    owner_.AddListener(this);
  }
  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override;

 private:
  CPResourceSet& owner_;
};

// What happened to each account of the list (40 bytes per account).
class VYXUserComptesEventsSet : public VYXFollowerSet {
 public:
  VYXUserComptesEventsSet(CPResourceStorage& storage, CPResourceSet& comptes)
      : VYXFollowerSet(storage, 'CEVT', 40, comptes) {}
};

class VYXUserDevisesSet : public CPSortableResourceSet_T<Devise> {
 public:
  VYXUserDevisesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'DEVI', indexes, 1005) {}
};

class VYXUserModesSet : public CPSortableResourceSet_T<Mode> {
 public:
  VYXUserModesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'MODE', indexes, 1002) {}
};

// Sorted by kind (income, expenses, savings, none, then any other kind first)
// and by name within a kind.
class VYXUserCategoriesSet : public CPSortableResourceSet_T<Categorie> {
 public:
  VYXUserCategoriesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'CATE', indexes, 1001) {}
  using CPSortableResourceSet_T::CompareResources;
  int CompareResources(ConstStringPtr name1, const Categorie& c1, ConstStringPtr name2,
                       const Categorie& c2) override;
  static int KindRank(uint8_t kind);
};

class VYXUserAffectationsSet : public CPSortableResourceSet_T<Affectation> {
 public:
  VYXUserAffectationsSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'AFFE', indexes, 1023) {}
};

// Budget posts; the categories of each are filed under it.
class VYXUserPostesSet : public CPHierResourceSetArray_T<Poste, BudgetItem> {
 public:
  VYXUserPostesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPHierResourceSetArray_T(storage, 'PBDG', indexes, 1003) {}
};

class VYXUserPostesExtraSet : public VYXFollowerSet {
 public:
  VYXUserPostesExtraSet(CPResourceStorage& storage, CPResourceSet& postes)
      : VYXFollowerSet(storage, 'PBDX', 20, postes) {}
};

class VYXUserFiltersSet : public CPSortedResourceSet {
 public:
  explicit VYXUserFiltersSet(CPResourceStorage& storage)
      : CPSortedResourceSet(storage, 'FLTR', kCPVariableSize) {}
};

// Sheets of filters; the filters of each are filed under it.
class VYXUserFiltersSetsSet : public CPHierarchicResourceSet {
 public:
  VYXUserFiltersSetsSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPHierarchicResourceSet(storage, 'FLTS', kCPVariableSize, indexes, 1015) {}
};

// Payees' names, offered as the user types (names only).
class VYXUserDicoSet : public CPSortableResourceSet {
 public:
  VYXUserDicoSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet(storage, 'TIER', 0, indexes, 1013) {}
};

// Saved selections of operations (their masks belong to the filters).
class VYXUserOpSelectionsSet : public CPSortableResourceSet {
 public:
  VYXUserOpSelectionsSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet(storage, 'SEL ', kCPVariableSize, indexes, 1012) {}
};

class VYXUserColumnsSet : public CPSortedResourceSet {
 public:
  explicit VYXUserColumnsSet(CPResourceStorage& storage)
      : CPSortedResourceSet(storage, 'UCOL', kCPVariableSize) {}
};

class VYXUserListColumnsSet : public CPSortedResourceSet {
 public:
  explicit VYXUserListColumnsSet(CPResourceStorage& storage)
      : CPSortedResourceSet(storage, 'LCOL', kCPVariableSize) {}
};

class VYXDialogPosSet : public CPResourceSet {
 public:
  explicit VYXDialogPosSet(CPResourceStorage& storage) : CPResourceSet(storage, 'DPOS', 4) {}
};

// Sorted by kind (customers, suppliers, partners, kind 4, kind 0, any other
// kind first) and by name within a kind.
class VYXUserTiersSet : public CPSortableResourceSet_T<UserTiers> {
 public:
  VYXUserTiersSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'CLFO', indexes, 1016) {}
  using CPSortableResourceSet_T::CompareResources;
  int CompareResources(ConstStringPtr name1, const UserTiers& t1, ConstStringPtr name2,
                       const UserTiers& t2) override;
  static int KindRank(uint8_t kind);
};

class VYXUserAffairesSet : public CPSortableResourceSet_T<UserAffaire> {
 public:
  VYXUserAffairesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'AFFA', indexes, 1018) {}
};

class VYXUserTauxTVASet : public CPSortableResourceSet_T<TauxTVA> {
 public:
  VYXUserTauxTVASet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'TVA ', indexes, 1004) {}
};

// Families of categories; the categories of each are filed under it.
class VYXUserCatFamiliesSet : public CPHierResourceSet_T<UserCatFamily> {
 public:
  VYXUserCatFamiliesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPHierResourceSet_T(storage, 'CFAM', indexes, 1019) {}
};

// The catalogue of articles that invoice lines name.
class VYXUserArticlesSet : public CPSortableResourceSet_T<Article> {
 public:
  VYXUserArticlesSet(CPResourceStorage& storage, CPResourceSet& indexes)
      : CPSortableResourceSet_T(storage, 'ARTI', indexes, 1021) {}
};

#endif  // VYX_USERFILE_VYXUSERSETS_H_
