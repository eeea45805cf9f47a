#include "accounts/VYXListMapping.h"

#include "resources/CPResourceMapping.h"

CPResID UserToCompteCategorie(CPResourceSet_T<Categorie>& user, CPResourceSet_T<Categorie>& compte,
                              CPResID id, bool create, bool update) {
  return CPMapResourceByName(user, compte, id, create, update);
}

CPResID CompteToUserCategorie(CPResourceSet_T<Categorie>& compte, CPResourceSet_T<Categorie>& user,
                              CPResID id, bool create, bool update) {
  return CPMapResourceByName(compte, user, id, create, update);
}

CPResID UserToCompteAffectation(CPResourceSet_T<Affectation>& user,
                                CPResourceSet_T<Affectation>& compte, CPResID id, bool create,
                                bool update) {
  return CPMapResourceByName(user, compte, id, create, update);
}

CPResID CompteToUserAffectation(CPResourceSet_T<Affectation>& compte,
                                CPResourceSet_T<Affectation>& user, CPResID id, bool create,
                                bool update) {
  return CPMapResourceByName(compte, user, id, create, update);
}

CPResID UserToCompteTiers(CPResourceSet_T<UserTiers>& user, CPResourceSet_T<UserTiers>& compte,
                          CPResID id, bool create, bool update) {
  return CPMapResourceByName(user, compte, id, create, update);
}

CPResID UserToCompteAffaire(CPResourceSet_T<UserAffaire>& user,
                            CPResourceSet_T<UserAffaire>& compte, CPResID id, bool create,
                            bool update) {
  return CPMapResourceByName(user, compte, id, create, update);
}

CPResID UserToCompteTauxTVA(CPResourceSet_T<TauxTVA>& user, CPResourceSet_T<TauxTVA>& compte,
                            CPResID id, bool create, bool update) {
  return CPMapResourceByName(user, compte, id, create, update);
}

void VYXClearCompteFields(Mode& mode) {
  mode.chequierID = 0;          // offset 2
  mode.virementID = 0;          // offset 6
  mode.noCarte[0] = 0;          // offset 24
  mode.expirationCarte = 0;     // offset 46
  mode.titulaireCarte[0] = 0;   // offset 50
}

CPResID UserToCompteMode(CPResourceSet_T<Mode>& user, CPResourceSet_T<Mode>& compte, CPResID id,
                         bool create) {
  return CPMapResourceByName<Mode>(user, compte, id, create, false, VYXClearCompteFields);
}

CPResID CompteToUserMode(CPResourceSet_T<Mode>& compte, CPResourceSet_T<Mode>& user, CPResID id,
                         bool create) {
  return CPMapResourceByName<Mode>(compte, user, id, create, false, VYXClearCompteFields);
}
