// Predefined operations of the account ("PDEF", 542 bytes) and predefined
// split lines ("SPDF", 534 bytes): templates the user picks to fill a new
// operation, the amount kept as text so that it may be a formula.
#ifndef VYX_ACCOUNTS_OPPREDEFINIE_H_
#define VYX_ACCOUNTS_OPPREDEFINIE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXMonthRule.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct OpPredefinie {
  Str255 libelle = {};
  MontantType debCred = kMontantDebit;
  Boolean askForMontant = 1;
  Str255 montant = {};
  Boolean fictive = 0;
  uint8_t unused1 = 0;
  CPResID tva = 0;
  Boolean askForDate = 1;
  uint8_t unused2 = 0;
  CPDate date = 0;
  OpStatus status = kOpEngagee;
  uint8_t unused3 = 0;
  CPResID mode = 0;
  CPResID categorie = 0;
  CPMonth mois = kVYXMoisCourant;  // month rule of the operation made
  CPResID sousOpsID = 0;           // its split lines ("PDSO")
  CPResID tiers = 0;
  CPResID affaire = 0;
  CPResID virement = 0;
  CPResID affectation = 0;

  // The argument is the month rule of the operation it will make.
  explicit OpPredefinie(CPMonth moisRule = kVYXMoisCourant) : mois(moisRule) {}

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// A set flag among opCategorie, opTiers, opAffaire, opTva and opAffectation
// means that the line takes that value from its operation.
struct SousOpPredefinie {
  Str255 libelle = {};
  MontantType debCred = kMontantDebit;
  Boolean askForMontant = 0;
  Str255 montant = {};
  CPResID tva = 0;
  Boolean opCategorie = 0;
  uint8_t unused1 = 0;
  CPResID categorie = 0;
  CPMonth mois = 0;
  Boolean opTiers = 0;
  uint8_t unused2 = 0;
  CPResID tiers = 0;
  Boolean opAffaire = 0;
  uint8_t unused3 = 0;
  CPResID affaire = 0;
  Boolean opTva = 0;
  Boolean opAffectation = 0;
  CPResID affectation = 0;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(OpPredefinie) == 542);
static_assert(std::is_trivially_copyable_v<OpPredefinie>);
static_assert(offsetof(OpPredefinie, debCred) == 256);
static_assert(offsetof(OpPredefinie, askForMontant) == 257);
static_assert(offsetof(OpPredefinie, montant) == 258);
static_assert(offsetof(OpPredefinie, fictive) == 514);
static_assert(offsetof(OpPredefinie, tva) == 516);
static_assert(offsetof(OpPredefinie, askForDate) == 518);
static_assert(offsetof(OpPredefinie, date) == 520);
static_assert(offsetof(OpPredefinie, status) == 524);
static_assert(offsetof(OpPredefinie, mode) == 526);
static_assert(offsetof(OpPredefinie, categorie) == 528);
static_assert(offsetof(OpPredefinie, mois) == 530);
static_assert(offsetof(OpPredefinie, sousOpsID) == 532);
static_assert(offsetof(OpPredefinie, tiers) == 534);
static_assert(offsetof(OpPredefinie, affaire) == 536);
static_assert(offsetof(OpPredefinie, virement) == 538);
static_assert(offsetof(OpPredefinie, affectation) == 540);
static_assert(sizeof(SousOpPredefinie) == 534);
static_assert(std::is_trivially_copyable_v<SousOpPredefinie>);
static_assert(offsetof(SousOpPredefinie, debCred) == 256);
static_assert(offsetof(SousOpPredefinie, askForMontant) == 257);
static_assert(offsetof(SousOpPredefinie, montant) == 258);
static_assert(offsetof(SousOpPredefinie, tva) == 514);
static_assert(offsetof(SousOpPredefinie, opCategorie) == 516);
static_assert(offsetof(SousOpPredefinie, categorie) == 518);
static_assert(offsetof(SousOpPredefinie, mois) == 520);
static_assert(offsetof(SousOpPredefinie, opTiers) == 522);
static_assert(offsetof(SousOpPredefinie, tiers) == 524);
static_assert(offsetof(SousOpPredefinie, opAffaire) == 526);
static_assert(offsetof(SousOpPredefinie, affaire) == 528);
static_assert(offsetof(SousOpPredefinie, opTva) == 530);
static_assert(offsetof(SousOpPredefinie, opAffectation) == 531);
static_assert(offsetof(SousOpPredefinie, affectation) == 532);

#endif  // VYX_ACCOUNTS_OPPREDEFINIE_H_
