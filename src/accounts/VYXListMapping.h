// An account keeps its own copies of the lists the user file shares
// (categories, cost allocations, third parties, cases, VAT rates, payment
// modes) under its own IDs; these find, and may create or refresh, the item of
// the same name on the other side (CPResourceMapping.h gives the rule). The
// account document offers them with the user file's sets as the other side.
#ifndef VYX_ACCOUNTS_VYXLISTMAPPING_H_
#define VYX_ACCOUNTS_VYXLISTMAPPING_H_

#include "accounts/Affectation.h"
#include "accounts/Categorie.h"
#include "accounts/Mode.h"
#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"
#include "resources/CPResourceSet_T.h"

CPResID UserToCompteCategorie(CPResourceSet_T<Categorie>& user, CPResourceSet_T<Categorie>& compte,
                              CPResID id, bool create, bool update);
CPResID CompteToUserCategorie(CPResourceSet_T<Categorie>& compte, CPResourceSet_T<Categorie>& user,
                              CPResID id, bool create, bool update);
CPResID UserToCompteAffectation(CPResourceSet_T<Affectation>& user,
                                CPResourceSet_T<Affectation>& compte, CPResID id, bool create,
                                bool update);
CPResID CompteToUserAffectation(CPResourceSet_T<Affectation>& compte,
                                CPResourceSet_T<Affectation>& user, CPResID id, bool create,
                                bool update);
CPResID UserToCompteTiers(CPResourceSet_T<UserTiers>& user, CPResourceSet_T<UserTiers>& compte,
                          CPResID id, bool create, bool update);
CPResID UserToCompteAffaire(CPResourceSet_T<UserAffaire>& user,
                            CPResourceSet_T<UserAffaire>& compte, CPResID id, bool create,
                            bool update);
CPResID UserToCompteTauxTVA(CPResourceSet_T<TauxTVA>& user, CPResourceSet_T<TauxTVA>& compte,
                            CPResID id, bool create, bool update);

// Payment modes are never overwritten; a copy made here loses what belongs to
// one account only (its cheque book, its transfer target, its card).
CPResID UserToCompteMode(CPResourceSet_T<Mode>& user, CPResourceSet_T<Mode>& compte, CPResID id,
                         bool create);
CPResID CompteToUserMode(CPResourceSet_T<Mode>& compte, CPResourceSet_T<Mode>& user, CPResID id,
                         bool create);
// Clears the fields of a mode that name things of one account.
void VYXClearCompteFields(Mode& mode);

#endif  // VYX_ACCOUNTS_VYXLISTMAPPING_H_
