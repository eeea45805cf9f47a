// What the totals engine computes, module by module, and the messages it
// sends (category 'TOTO'). A module is computed the first time a view needs
// it and kept current from then on; VYXTotauxModules names a set of modules.
#ifndef VYX_ANALYSIS_VYXTOTAUXMODULES_H_
#define VYX_ANALYSIS_VYXTOTAUXMODULES_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

enum TotauxModule : uint8_t {
  kTotauxCategories = 0,  // by category and month
  kTotauxFiltres,         // by saved selection and month
  kTotauxTresor,          // cash flow by day: in bank, real, final
  kTotauxTitres,          // by security
  kTotauxPostes,          // by budget post and month
  kTotauxTiers,           // by third party and month
  kTotauxAffaires,        // by case and month
  kTotauxVentes,          // sales by article and customer (user file; invoices)
  kTotauxTableauDeBord,   // dashboard (user file; invoices)
  kTotauxModuleCount
};

// Nine switches, one per module.
struct VYXTotauxModules {
  bool on[kTotauxModuleCount] = {};

  static VYXTotauxModules None() { return {}; }
  static VYXTotauxModules All() {
    VYXTotauxModules m;
    for (bool& b : m.on) b = true;
    return m;
  }
  static VYXTotauxModules Only(TotauxModule module) {
    VYXTotauxModules m;
    m.on[module] = true;
    return m;
  }
  bool operator[](TotauxModule module) const { return on[module]; }
  bool Any() const {
    for (bool b : on) {
      if (b) return true;
    }
    return false;
  }
  VYXTotauxModules operator&(const VYXTotauxModules& o) const {
    VYXTotauxModules m;
    for (int i = 0; i < kTotauxModuleCount; ++i) m.on[i] = on[i] && o.on[i];
    return m;
  }
  VYXTotauxModules operator|(const VYXTotauxModules& o) const {
    VYXTotauxModules m;
    for (int i = 0; i < kTotauxModuleCount; ++i) m.on[i] = on[i] || o.on[i];
    return m;
  }
  // The modules of this set that `o` lacks.
  VYXTotauxModules Minus(const VYXTotauxModules& o) const {
    VYXTotauxModules m;
    for (int i = 0; i < kTotauxModuleCount; ++i) m.on[i] = on[i] && !o.on[i];
    return m;
  }
};

constexpr OSType kVYXTotauxMessage = 'TOTO';
enum : uint32_t {
  kTotauxReset = 1,             // modules cleared; no data
  kTotauxPreloaded = 2,         // modules computed; no data
  kTotauxCompteLoaded = 3,      // data: the VYXCompte
  kTotauxCategorieChanged = 4,  // data: VYXTotauxKey, for 4, 5, 9 and 10
  kTotauxPosteChanged = 5,
  kTotauxFiltreChanged = 6,     // no data
  kTotauxOperationChanged = 7,  // an operation added, changed or removed; report values set
  kTotauxTitresChanged = 8,
  kTotauxTiersChanged = 9,
  kTotauxAffaireChanged = 10,
  kTotauxVentesChanged = 11,
  kTotauxTableauDeBordChanged = 12,
  kTotauxTotalizerComptes = 20,  // an account added to or removed from a totalizer
  kTotauxTotalizerChanged = 21,  // data: the VYX2ResTotalItem or VYXMonthTotalItem key
};

// The item whose total changed.
struct VYXTotauxKey {
  int month = 0;
  int year = 0;
  CPResID id = 0;
};

#endif  // VYX_ANALYSIS_VYXTOTAUXMODULES_H_
