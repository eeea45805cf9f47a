// The preference records of a user file's "PREF" set: each a fixed-size
// record under a fixed ID and name. Their layouts belong to the views and
// reports that use them; the user file keeps their bytes, their defaults
// until they are written (zeros for most; VYXUserFacturesPrefs.h gives those
// of the numbering records), and gives them back as they were stored.
#ifndef VYX_USERFILE_VYXUSERPREFSRECORDS_H_
#define VYX_USERFILE_VYXUSERPREFSRECORDS_H_

#include <cstdint>
#include <span>

#include "platform/CPMacTypes.h"

enum VYXUserPrefsID : CPResID {
  kPrefIdentite = 1014,              // VYXUserAddressPrefs
  kPrefComptes = 1042,               // VYXUserComptesPrefs
  kPrefSoldesGlobaux = 1003,         // VYXUserSoldesPrefs
  kPrefBilanGlobal = 1008,           // VYXCompteBilanPrefs
  kPrefAffectationsGlobales = 1036,  // VYXCompteAffectationsPrefs
  kPrefBilanCroiseGlobal = 1037,     // VYXCompteBilanCroisePrefs
  kPrefFiltresGlobaux = 1013,        // VYXCompteFiltresPrefs
  kPrefTresorerieGlobale = 1016,     // VYXCompteTresorPrefs
  kPrefPortefeuilleGlobal = 1017,    // VYXCompteTitresPrefs
  kPrefBudget = 1010,                // VYXUserBudgetPrefs
  kPrefConvertisseurEuro = 1025,     // VYXEuroConverterPrefs
  kPrefEnvoiSoldes = 1035,           // VYXUserSendSoldesPrefs
  kPrefBackup = 1040,                // VYXUserBackupPrefs
  kPrefEcheancier = 1045,            // VYXUserEcheancierPrefs
  kPrefGraphView = 1041,             // VYXGraphViewPrefs
  kPrefCalculTVA = 1021,             // VYXUserCalculTVAPrefs
  kPrefTiers = 1022,                 // VYXUserTiersPrefs
  kPrefAffaires = 1023,              // VYXUserAffairesPrefs
  kPrefPlanComptable = 1024,         // VYXUserPlanPrefs
  kPrefTableauDeBord = 1026,         // VYXUserTdBPrefs
  kPrefAchats = 1059,                // VYXUserAchatsPrefs
  kPrefFactures = 1027,              // VYXUserFacturesPrefs
  kPrefVentesParArticles = 1028,     // VYXUserVentesParArticlesPrefs
  kPrefVentesParClients = 1086,      // VYXUserVentesParClientsPrefs
  kPrefDossierComptable = 1029,      // VYXDossierComptableInfos
  kPrefTotauxCategories = 1032,      // VYXCategoriesReportInfos
  kPrefTotauxTiers = 1033,           // VYXTiersReportInfos
  kPrefTotauxTVA = 1034,             // VYXTVAReportInfos
  kPrefHonoraires = 1030,            // VYXHonorairesReportInfos
  kPrefImmobilisations = 1031,       // VYXUserImmosPrefs
  kPrefSynchronisation = 1092,       // VYXUserSynchroPrefs
  kPrefSiteMarchand = 1093,          // VYXUserSiteMarchandPrefs
};

struct VYXUserPrefsRecordInfo {
  CPResID id;
  const char* name;  // the resource name, UTF-8
  uint32_t size;
};

// Every record, in the order they are saved.
std::span<const VYXUserPrefsRecordInfo> VYXUserPrefsRecords();
// The entry of `id`, or null when the user file has no such record.
const VYXUserPrefsRecordInfo* VYXFindUserPrefsRecord(CPResID id);
// The bytes of record `id` before anything is written, as stored.
void VYXUserPrefsDefaults(CPResID id, void* body, uint32_t size);

// The dialog positions of the "DPOS" set (4 bytes each: top, left).
enum VYXDialogPosID : CPResID {
  kDialogPosOperation = 2010,
  kDialogPosSousOperation = 2011,
  kDialogPosEnumeration = 2012,
  kDialogPosPreferences = 2013,
};

#endif  // VYX_USERFILE_VYXUSERPREFSRECORDS_H_
