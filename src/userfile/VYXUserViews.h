// Views of the user file's lists (CPSubResourceSet.h): the categories of one
// kind, the third parties of one kind (customers, suppliers, employees,
// partners), the VAT rates used for sales, and the currencies.
#ifndef VYX_USERFILE_VYXUSERVIEWS_H_
#define VYX_USERFILE_VYXUSERVIEWS_H_

#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"
#include "accounts/VYXCategoriesViews.h"
#include "resources/CPSubResourceSet.h"
#include "userfile/Devise.h"

class VYXUserDepensesCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXUserDepensesCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieDepense) {}
};

class VYXUserRecettesCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXUserRecettesCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieRecette) {}
};

class VYXUserEpargneCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXUserEpargneCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieEpargne) {}
};

// The categories of the kind of the balance report that owns the view.
class VYXUserSubBilan : public VYXCategoriesOfKind {
 public:
  VYXUserSubBilan(CPResourceSet_T<Categorie>& categories, uint8_t bilanKind)
      : VYXCategoriesOfKind(categories, bilanKind) {}
};

class VYXUserTypeOfCategorieFilterAddOn : public VYXTypeOfCategorieFilter {
 public:
  using VYXTypeOfCategorieFilter::VYXTypeOfCategorieFilter;
};

// The third parties of the kind given at construction.
class VYXUserSubTiersResourceSet : public CPSubResourceSet_T<UserTiers> {
 public:
  VYXUserSubTiersResourceSet(CPResourceSet_T<UserTiers>& tiers, uint8_t kind)
      : CPSubResourceSet_T(tiers), kind_(kind) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const UserTiers& t) override { return t.type == kind_; }

 private:
  uint8_t kind_;
};

class VYXUserClientsSet : public VYXUserSubTiersResourceSet {
 public:
  explicit VYXUserClientsSet(CPResourceSet_T<UserTiers>& tiers)
      : VYXUserSubTiersResourceSet(tiers, kTiersClient) {}
};

class VYXUserFournisseursSet : public VYXUserSubTiersResourceSet {
 public:
  explicit VYXUserFournisseursSet(CPResourceSet_T<UserTiers>& tiers)
      : VYXUserSubTiersResourceSet(tiers, kTiersFournisseur) {}
};

class VYXUserEmployesSet : public VYXUserSubTiersResourceSet {
 public:
  explicit VYXUserEmployesSet(CPResourceSet_T<UserTiers>& tiers)
      : VYXUserSubTiersResourceSet(tiers, kTiersEmploye) {}
};

class VYXUserAssociesSet : public VYXUserSubTiersResourceSet {
 public:
  explicit VYXUserAssociesSet(CPResourceSet_T<UserTiers>& tiers)
      : VYXUserSubTiersResourceSet(tiers, kTiersAssocie) {}
};

// The third parties of the chosen kind, or all of them for kind 0.
class VYXUserTypeOfTiersFilterAddOn : public CPSubResourceSet_T<UserTiers> {
 public:
  explicit VYXUserTypeOfTiersFilterAddOn(CPResourceSet_T<UserTiers>& tiers, uint8_t kind = 0)
      : CPSubResourceSet_T(tiers), kind_(kind) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const UserTiers& t) override {
    return kind_ == 0 || t.type == kind_;
  }
  uint8_t GetKind() const { return kind_; }
  // Listeners hear 'RSRC' 1: the whole view may have changed.
  void SetKind(uint8_t kind) {
    if (kind == kind_) return;
    kind_ = kind;
    FilterChanged();
  }

 private:
  uint8_t kind_;
};

class VYXVenteTauxTVASubResourceSet : public CPSubResourceSet_T<TauxTVA> {
 public:
  explicit VYXVenteTauxTVASubResourceSet(CPResourceSet_T<TauxTVA>& rates) : CPSubResourceSet_T(rates) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const TauxTVA& t) override { return t.IsVente(); }
};

// Every currency: views that pop-up menus of currencies bind to.
class VYXUserMonnaiesSet : public CPSubResourceSet_T<Devise> {
 public:
  explicit VYXUserMonnaiesSet(CPResourceSet_T<Devise>& devises) : CPSubResourceSet_T(devises) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Devise&) override { return true; }
};

class VYXDevisesCustomResourceSet : public CPSubResourceSet_T<Devise> {
 public:
  explicit VYXDevisesCustomResourceSet(CPResourceSet_T<Devise>& devises) : CPSubResourceSet_T(devises) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Devise&) override { return true; }
};

#endif  // VYX_USERFILE_VYXUSERVIEWS_H_
