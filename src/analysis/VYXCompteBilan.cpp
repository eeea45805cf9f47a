#include "analysis/VYXCompteBilan.h"

#include <cstring>

#include "userfile/VYXUserPreferences.h"

double VYXConvertMontant(VYXUserPreferences* user, DeviseCode from, DeviseCode to, double amount) {
  if (!user || from == to) return amount;
  return user->MontantToDevise(to, user->DeviseToMontant(from, amount));
}

namespace {

VYXUserPreferences* UserOf(VYXCompte& compte) {
  return dynamic_cast<VYXUserPreferences*>(&compte.GetSupervisor());
}

}  // namespace

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

DeviseCode VYXCompteBilan::GetShownDevise() {
  return GetDeviseCode() != 0 ? GetDeviseCode() : compte_.GetCompteDevise();
}

double VYXCompteBilan::ToShown(double amount) {
  return VYXConvertMontant(UserOf(compte_), compte_.GetCompteDevise(), GetShownDevise(), amount);
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

DeviseCode VYXUserBilan::GetShownDevise() {
  return GetDeviseCode() != 0 ? GetDeviseCode() : user_.GetReferenceDevise();
}

double VYXUserBilan::ToShown(double amount) {
  return VYXConvertMontant(&user_, user_.GetReferenceDevise(), GetShownDevise(), amount);
}
