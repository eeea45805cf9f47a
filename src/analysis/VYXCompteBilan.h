// The balance reports of one account (settings in the account, 'PREF' 1001)
// and of the dossier (settings in the user file, 'PREF' 1008; totals of the
// accounts of its balance sheet). See VYXBilan.h.
#ifndef VYX_ANALYSIS_VYXCOMPTEBILAN_H_
#define VYX_ANALYSIS_VYXCOMPTEBILAN_H_

#include "analysis/VYXBilan.h"
#include "analysis/VYXCompteTotaux.h"
#include "analysis/VYXUserTotaux.h"

class VYXCompteBilan : public VYXBilan {
 public:
  // `hasUndefined`: the report has a row for the amounts without a category.
  VYXCompteBilan(VYXCompte& compte, TypeOfBilan kind, CPResourceSet_T<Categorie>& categories,
                 bool hasUndefined);
  // The account's own totals and categories.
  VYXCompteBilan(VYXCompte& compte, TypeOfBilan kind);

  VYXCompte& GetCompte() const { return compte_; }

 protected:
  VYXCompteBilanPrefs LoadPrefs() override;
  void SavePrefs(const VYXCompteBilanPrefs& prefs) override;
  DeviseCode GetSourceDevise() override { return compte_.GetCompteDevise(); }
  VYXUserPreferences* GetUserPrefs() override;

 private:
  VYXCompte& compte_;
};

class VYXUserBilan : public VYXBilan {
 public:
  VYXUserBilan(VYXUserTotaux& totaux, TypeOfBilan kind, bool hasUndefined = true);

  VYXUserPreferences& GetUser() const { return user_; }

 protected:
  VYXCompteBilanPrefs LoadPrefs() override;
  void SavePrefs(const VYXCompteBilanPrefs& prefs) override;
  DeviseCode GetSourceDevise() override;
  VYXUserPreferences* GetUserPrefs() override { return &user_; }

 private:
  VYXUserPreferences& user_;
};

#endif  // VYX_ANALYSIS_VYXCOMPTEBILAN_H_
