// Every resource set of an account file, made in this order over the
// account's resource storage. The lists the user file also keeps are
// sortable sets whose display orders are saved in the "HIER" set under the
// same IDs as the user file's; the account's own lists are plain sets of
// their records; lists whose records other features lay out (securities,
// filters, notes, window settings...) are untyped sets that keep their
// records as they are, those the user file has too in the same form
// (VYXPrefsSets.h). The storage must outlive the sets.
#ifndef VYX_ACCOUNTS_VYXSDBCOMPTESETS_H_
#define VYX_ACCOUNTS_VYXSDBCOMPTESETS_H_

#include "accounts/Affectation.h"
#include "accounts/Categorie.h"
#include "accounts/Chequier.h"
#include "accounts/LibelleTelematique.h"
#include "accounts/Mode.h"
#include "accounts/OpPredefinie.h"
#include "accounts/OperationAuto.h"
#include "accounts/TauxTVA.h"
#include "accounts/UserTiers.h"
#include "accounts/VYXPrefsSets.h"
#include "resources/CPSortableResourceSet.h"

// The IDs under which the sortable sets keep their orders in "HIER".
enum : CPResID {
  kVYXCategoriesIndexID = 1001,
  kVYXModesIndexID = 1002,
  kVYXTauxTVAIndexID = 1004,
  kVYXDicoIndexID = 1013,
  kVYXTiersIndexID = 1016,
  kVYXAffairesIndexID = 1018,
  kVYXAffectationsIndexID = 1023,
};

struct VYXCompteSets {
  explicit VYXCompteSets(CPResourceStorage& storage);
  VYXCompteSets(const VYXCompteSets&) = delete;
  VYXCompteSets& operator=(const VYXCompteSets&) = delete;

  // Writes the display orders of the sortable sets.
  void SaveIndexes();

  CPResourceSet indexes;      // "HIER"
  CPResourceSet preferences;  // "PREF"
  CPSortableResourceSet_T<Categorie> categories;
  CPSortableResourceSet_T<Affectation> affectations;
  CPSortableResourceSet_T<UserTiers> tiers;
  CPSortableResourceSet_T<UserAffaire> affaires;
  CPSortableResourceSet_T<TauxTVA> tvas;
  CPSortableResourceSet_T<Mode> modes;
  CPResourceSet_T<CompteTarget> targets;
  CPResourceSet_T<Chequier> chequiers;
  CPResourceSet_T<OperationAuto> opAutos;
  CPResourceSet autoSousOps;  // "AUSO"
  CPResourceSet_T<GenerateAuto> opGenerates;
  CPResourceSet_T<OpPredefinie> opPreds;
  CPResourceSet predSousOps;  // "PDSO"
  CPResourceSet_T<SousOpPredefinie> sousOpPreds;
  CPSortableResourceSet dico;  // "TIER": names only
  CPResourceSet titres;
  CPResourceSet_T<LibelleTelematique> libelles;
  CPResourceSet filters;
  CPResourceSet filtersSets;
  CPResourceSet selections;
  CPResourceSet virementEvts;
  CPResourceSet simulations;
  CPResourceSet placementEmprunts;
  CPResourceSet listColumns;
  VYXModuleDisplayPrefsSet moduleDisplayPrefs;
  VYXTablePrefsSet tablePrefs;
  VYXWindowPosSet windowPos;
  VYXPageSetupSet pageSetup;
  CPResourceSet notesText;
  CPResourceSet notesStyle;
  VYXSmallNotesTextSet smallNotesText;
  VYXSmallNotesStyleSet smallNotesStyle;
  VYXSmallNotesInfosSet smallNotesInfos;
};

#endif  // VYX_ACCOUNTS_VYXSDBCOMPTESETS_H_
