// One account of the user file's "CPTE" list (454 bytes): where its file is
// (the ID of an alias resource, VYXFileAlias.h), whether it takes part in each
// global view, and its currency. The resource name is the account's name, its
// file's name without the ".cpt" extension. Bytes not named here are kept as
// read and written 0 in a new record.
#ifndef VYX_USERFILE_USERCOMPTE_H_
#define VYX_USERFILE_USERCOMPTE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// The global views an account may take part in (ModuleIsChecked).
using ModuleGlobal = uint8_t;
enum : ModuleGlobal {
  kModuleAll = 0,           // needs every flag but the schedule's
  kModuleSoldes = 3,        // global balances
  kModuleTresorerie = 4,    // global cash flow
  kModuleBilan = 5,         // global balance sheet
  kModuleFiltres = 6,       // global filters
  kModulePortefeuille = 7,  // global portfolio
  kModuleBudget = 8,
  kModuleEcheancier = 9,  // global schedule
  kModuleLast = 25,       // modules above answer false
};

#pragma pack(push, 1)

struct UserCompte {
  uint8_t unused1[4] = {};
  CPResID aliasID = 0;    // the alias resource that finds the account's file
  Boolean included = 1;   // byte 6: module 11
  Boolean gSol = 1;       // 'gSol' global balances
  Boolean gBil = 1;       // 'gBil' global balance sheet
  Boolean gFil = 1;       // 'gFil' global filters
  Boolean gBud = 1;       // 'gBud' budget
  Boolean gTre = 1;       // 'gTre' global cash flow
  Boolean gPor = 1;       // 'gPor' global portfolio
  Boolean gPro = 1;       // 'gPro'
  double values[9] = {};  // 14-85
  CPResID deviseID = 0;   // the account's currency in the user file's list
  uint8_t flag88 = 0;
  uint8_t flag89 = 1;
  uint8_t flag90 = 0;
  uint8_t unused2[255] = {};
  double value346 = 0;
  Boolean gEch = 1;  // 'gEch' global schedule
  uint8_t flag355 = 1;
  uint8_t unused3[90] = {};  // 356-445; bytes 356, 390 and 442 are 0
  double value446 = 0;

  UserCompte() = default;

  // Whether the account takes part in the global view `module`.
  bool ModuleIsChecked(ModuleGlobal module) const;
  // Sets the flag `module` follows; false when the module follows none (it
  // always includes every account, or it is unknown). Module 0 sets them all.
  bool CheckModule(ModuleGlobal module, bool checked);

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(UserCompte) == 454);
static_assert(std::is_trivially_copyable_v<UserCompte>);
static_assert(offsetof(UserCompte, aliasID) == 4);
static_assert(offsetof(UserCompte, included) == 6);
static_assert(offsetof(UserCompte, gSol) == 7);
static_assert(offsetof(UserCompte, gPro) == 13);
static_assert(offsetof(UserCompte, values) == 14);
static_assert(offsetof(UserCompte, deviseID) == 86);
static_assert(offsetof(UserCompte, flag88) == 88);
static_assert(offsetof(UserCompte, value346) == 346);
static_assert(offsetof(UserCompte, gEch) == 354);
static_assert(offsetof(UserCompte, flag355) == 355);
static_assert(offsetof(UserCompte, value446) == 446);

#endif  // VYX_USERFILE_USERCOMPTE_H_
