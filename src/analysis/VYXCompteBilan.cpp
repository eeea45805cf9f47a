#include "analysis/VYXCompteBilan.h"

#include <cstring>

#include "userfile/VYXUserPreferences.h"

// ---- one account

VYXCompteBilan::VYXCompteBilan(VYXCompte& compte, TypeOfBilan kind,
                               CPResourceSet_T<Categorie>& categories, bool hasUndefined)
    : VYXBilan(VYXCompteTotaux::Of(compte), categories, kind, hasUndefined), compte_(compte) {
  Init();
}

VYXCompteBilan::VYXCompteBilan(VYXCompte& compte, TypeOfBilan kind)
    : VYXCompteBilan(compte, kind, compte.GetCategories(), true) {}

VYXCompteBilanPrefs VYXCompteBilan::LoadPrefs() {
  CPDataEncoding encoding;
  const std::vector<unsigned char>& bytes =
      compte_.GetPrefs().GetRecord(kVYXCompteBilanPrefsID, &encoding);
  VYXCompteBilanPrefs prefs;
  if (bytes.size() < sizeof(prefs)) return prefs;
  std::memcpy(&prefs, bytes.data(), sizeof(prefs));
  prefs.Decode(encoding);
  return prefs;
}

void VYXCompteBilan::SavePrefs(const VYXCompteBilanPrefs& prefs) {
  compte_.SetPrefRecord(kVYXCompteBilanPrefsID, &prefs, sizeof(prefs));
}

VYXUserPreferences* VYXCompteBilan::GetUserPrefs() {
  return dynamic_cast<VYXUserPreferences*>(&compte_.GetSupervisor());
}

// ---- the dossier

VYXUserBilan::VYXUserBilan(VYXUserTotaux& totaux, TypeOfBilan kind, bool hasUndefined)
    : VYXBilan(totaux, totaux.GetCategories(), kind, hasUndefined), user_(totaux.GetUser()) {
  Init();
}

VYXCompteBilanPrefs VYXUserBilan::LoadPrefs() {
  VYXCompteBilanPrefs prefs;
  VYXCompteBilanPrefs stored;
  if (user_.GetPreferenceRecord(kVYXUserBilanPrefsID, &stored, sizeof(stored))) prefs = stored;
  return prefs;
}

void VYXUserBilan::SavePrefs(const VYXCompteBilanPrefs& prefs) {
  user_.SetPreferenceRecord(kVYXUserBilanPrefsID, &prefs, sizeof(prefs));
}

DeviseCode VYXUserBilan::GetSourceDevise() { return user_.GetReferenceDevise(); }
