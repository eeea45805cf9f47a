// Views of a categories set (user file's or account's, CPSubResourceSet.h):
// the categories of one kind, for the pop-up menus of expenses, income and
// savings and for the balance reports; and a view whose kind can be chosen.
#ifndef VYX_ACCOUNTS_VYXCATEGORIESVIEWS_H_
#define VYX_ACCOUNTS_VYXCATEGORIESVIEWS_H_

#include "accounts/Categorie.h"
#include "resources/CPSubResourceSet.h"

// The categories whose kind is the one given.
class VYXCategoriesOfKind : public CPSubResourceSet_T<Categorie> {
 public:
  VYXCategoriesOfKind(CPResourceSet_T<Categorie>& categories, uint8_t kind)
      : CPSubResourceSet_T(categories), kind_(kind) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Categorie& c) override { return c.type == kind_; }
  uint8_t GetKind() const { return kind_; }

 private:
  uint8_t kind_;
};

// The categories of the chosen kind, or all of them for kind 0.
class VYXTypeOfCategorieFilter : public CPSubResourceSet_T<Categorie> {
 public:
  explicit VYXTypeOfCategorieFilter(CPResourceSet_T<Categorie>& categories, uint8_t kind = 0)
      : CPSubResourceSet_T(categories), kind_(kind) {}
  using CPSubResourceSet_T::IsConcerned;
  bool IsConcerned(ConstStringPtr, const Categorie& c) override {
    return kind_ == 0 || c.type == kind_;
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

class VYXCompteDepensesCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXCompteDepensesCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieDepense) {}
};

class VYXCompteRecettesCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXCompteRecettesCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieRecette) {}
};

class VYXCompteEpargneCategoriesSet : public VYXCategoriesOfKind {
 public:
  explicit VYXCompteEpargneCategoriesSet(CPResourceSet_T<Categorie>& categories)
      : VYXCategoriesOfKind(categories, kCategorieEpargne) {}
};

// The categories of the kind of the balance report that owns the view.
class VYXCompteSubBilan : public VYXCategoriesOfKind {
 public:
  VYXCompteSubBilan(CPResourceSet_T<Categorie>& categories, uint8_t bilanKind)
      : VYXCategoriesOfKind(categories, bilanKind) {}
};

class VYXCompteTypeOfCategorieFilterAddOn : public VYXTypeOfCategorieFilter {
 public:
  using VYXTypeOfCategorieFilter::VYXTypeOfCategorieFilter;
};

#endif  // VYX_ACCOUNTS_VYXCATEGORIESVIEWS_H_
