#include "userfile/VYXUserPrefsRecords.h"

#include <array>
#include <cstring>

#include "userfile/VYXUserFacturesPrefs.h"

namespace {

constexpr std::array<VYXUserPrefsRecordInfo, 32> kRecords = {{
    {kPrefIdentite, "Identité", 406},
    {kPrefComptes, "Comptes", 6},
    {kPrefSoldesGlobaux, "Soldes globaux", 6},
    {kPrefBilanGlobal, "Bilan global", 20},
    {kPrefAffectationsGlobales, "Affectations globales", 22},
    {kPrefBilanCroiseGlobal, "BilanCroise global", 22},
    {kPrefFiltresGlobaux, "Filtres globaux", 22},
    {kPrefTresorerieGlobale, "Trésorerie globale", 28},
    {kPrefPortefeuilleGlobal, "Portefeuille global", 20},
    {kPrefBudget, "Budget", 20},
    {kPrefConvertisseurEuro, "Convertisseur Euro", 26},
    {kPrefEnvoiSoldes, "Envoi des soldes", 1294},
    {kPrefBackup, "Backup", 10},
    {kPrefEcheancier, "Echéancier", 2},
    {kPrefGraphView, "GrophView", 8},
    {kPrefCalculTVA, "Calcul de TVA", 20},
    {kPrefTiers, "Tiers", 22},
    {kPrefAffaires, "Affaires", 22},
    {kPrefPlanComptable, "Plan comptable", 2},
    {kPrefTableauDeBord, "Tableau de bord", 20},
    {kPrefAchats, "Achats", 108},
    {kPrefFactures, "Factures", 264},
    {kPrefVentesParArticles, "Ventes par articles", 16},
    {kPrefVentesParClients, "Ventes par clients", 16},
    {kPrefDossierComptable, "Dossier comptable", 108},
    {kPrefTotauxCategories, "Totaux par Catégories", 10},
    {kPrefTotauxTiers, "Totaux par Tiers", 10},
    {kPrefTotauxTVA, "Totaux par TVA", 10},
    {kPrefHonoraires, "Honoraires", 10},
    {kPrefImmobilisations, "Immobilisations", 8},
    {kPrefSynchronisation, "Synchronisation", 260},
    {kPrefSiteMarchand, "Site marchand", 524},
}};

}  // namespace

std::span<const VYXUserPrefsRecordInfo> VYXUserPrefsRecords() { return kRecords; }

const VYXUserPrefsRecordInfo* VYXFindUserPrefsRecord(CPResID id) {
  for (const VYXUserPrefsRecordInfo& r : kRecords) {
    if (r.id == id) return &r;
  }
  return nullptr;
}

namespace {

template <class R>
void CopyDefaults(void* body, uint32_t size) {
  R record;
  record.Encode(CPHostEncoding);
  std::memcpy(body, &record, std::min<size_t>(size, sizeof record));
}

}  // namespace

void VYXUserPrefsDefaults(CPResID id, void* body, uint32_t size) {
  std::memset(body, 0, size);
  if (id == kPrefFactures) CopyDefaults<VYXUserFacturesPrefs>(body, size);
  if (id == kPrefAchats) CopyDefaults<VYXUserAchatsPrefs>(body, size);
}
