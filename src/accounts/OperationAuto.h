// Automatic operations of the account ("AUTO", 570 bytes): a recurring
// operation's schedule, limits and template; and GenerateAuto ("GNRT", 266
// bytes), one operation created in advance and awaiting confirmation. The
// schedule itself (next dates, generation) belongs to the account document.
#ifndef VYX_ACCOUNTS_OPERATIONAUTO_H_
#define VYX_ACCOUNTS_OPERATIONAUTO_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXMonthRule.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// Steps of a schedule. Stored as one byte followed by an unused byte.
using TimeUnit = uint8_t;
enum : TimeUnit {
  kTimeSeconds = 0,
  kTimeMinutes = 1,
  kTimeHours = 2,
  kTimeDays = 3,
  kTimeWeeks = 4,
  kTimeMonths = 5,
  kTimeQuarters = 6,
  kTimeYears = 7,
};

// `date` moved by `n` units: seconds to weeks add their length; months and
// quarters (three months) keep the day of the month, lowered to the last day
// of a shorter month, the year carried either way; years move the year (29
// February giving 28 in a common year). Another unit leaves the date as it is.
CPDate DateOffset(CPDate date, int n, TimeUnit unit);

#pragma pack(push, 1)

struct OperationAuto {
  CPDate next = 0;            // date of the next operation to create
  uint16_t nextDay = 0;       // day that monthly series keep; 0 = from `next`
  int16_t periode = 1;
  TimeUnit periodeUnit = kTimeMonths;
  uint8_t unused1 = 0;
  uint32_t monthFilter = 0xFFFFFFFF;  // bit m - 1 set: month m allowed
  Boolean hasDateLimit = 0;
  uint8_t unused2 = 0;
  CPDate dateLimit = 0;
  Boolean hasNbrLimit = 0;
  uint8_t unused3 = 0;
  int16_t numberLimit = 0;
  int16_t number = 0;         // operations created so far
  Boolean createBefore = 0;
  uint8_t unused4 = 0;
  int16_t before = 2;
  TimeUnit beforeUnit = kTimeWeeks;
  uint8_t unused5 = 0;
  Str255 libelle = {};
  MontantType debCred = kMontantDebit;
  uint8_t unused6 = 0;
  Str255 montant = {};        // the amount as text or formula
  CPResID tva = 0;
  CPResID mode = 0;
  CPResID categorie = 0;
  CPMonth mois = kVYXMoisCourant;  // month rule of the operations made
  CPResID sousOpsID = 0;      // split-line templates ("AUSO")
  CPResID placementEmpruntID = 0;
  Boolean fictive = 0;
  uint8_t unused7 = 0;
  CPResID tiers = 0;
  CPResID affaire = 0;
  CPResID virement = 0;       // transfer target
  CPResID affectation = 0;
  Boolean doNotConvert = 0;
  uint8_t unused8 = 0;

  // The argument is the month rule of the operations it will make.
  explicit OperationAuto(CPMonth moisRule = kVYXMoisCourant) : mois(moisRule) {}

  // Whether month `month` (1 to 12) passes the month filter.
  bool IsValidMonth(int month) const;
  void SetMonthFilter(int month, bool on);
  // False once the date limit is passed or the count limit reached.
  bool CanBeGenerated() const;
  // Moves `next` on by the period. Monthly, quarterly and yearly series keep
  // their day (`nextDay`, taken from `next` the first time): a series on the
  // 31st gives 31 January, 29 February in a leap year, then 31 March.
  void SetNextDate();
  // The date after `next` by `periode` `unit`s, kept on the series' day the same way.
  CPDate GetNextDate(int periode, TimeUnit unit) const;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct GenerateAuto {
  Boolean toBeDeleted = 0;
  uint8_t unused1 = 0;
  CPDate dateEngage = 0;      // date of the operation created
  Boolean confirmation = 0;
  uint8_t unused2 = 0;
  // Key of the operation created, kept in 16 bits: compare it as uint16_t
  // with the low 16 bits of the operation's key.
  int16_t dataID = 0;
  Str255 libelle = {};

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(OperationAuto) == 570);
static_assert(std::is_trivially_copyable_v<OperationAuto>);
static_assert(offsetof(OperationAuto, nextDay) == 4);
static_assert(offsetof(OperationAuto, periode) == 6);
static_assert(offsetof(OperationAuto, periodeUnit) == 8);
static_assert(offsetof(OperationAuto, monthFilter) == 10);
static_assert(offsetof(OperationAuto, hasDateLimit) == 14);
static_assert(offsetof(OperationAuto, dateLimit) == 16);
static_assert(offsetof(OperationAuto, hasNbrLimit) == 20);
static_assert(offsetof(OperationAuto, numberLimit) == 22);
static_assert(offsetof(OperationAuto, number) == 24);
static_assert(offsetof(OperationAuto, createBefore) == 26);
static_assert(offsetof(OperationAuto, before) == 28);
static_assert(offsetof(OperationAuto, beforeUnit) == 30);
static_assert(offsetof(OperationAuto, libelle) == 32);
static_assert(offsetof(OperationAuto, debCred) == 288);
static_assert(offsetof(OperationAuto, montant) == 290);
static_assert(offsetof(OperationAuto, tva) == 546);
static_assert(offsetof(OperationAuto, mode) == 548);
static_assert(offsetof(OperationAuto, categorie) == 550);
static_assert(offsetof(OperationAuto, mois) == 552);
static_assert(offsetof(OperationAuto, sousOpsID) == 554);
static_assert(offsetof(OperationAuto, placementEmpruntID) == 556);
static_assert(offsetof(OperationAuto, fictive) == 558);
static_assert(offsetof(OperationAuto, tiers) == 560);
static_assert(offsetof(OperationAuto, affaire) == 562);
static_assert(offsetof(OperationAuto, virement) == 564);
static_assert(offsetof(OperationAuto, affectation) == 566);
static_assert(offsetof(OperationAuto, doNotConvert) == 568);
static_assert(sizeof(GenerateAuto) == 266);
static_assert(std::is_trivially_copyable_v<GenerateAuto>);
static_assert(offsetof(GenerateAuto, dateEngage) == 2);
static_assert(offsetof(GenerateAuto, confirmation) == 6);
static_assert(offsetof(GenerateAuto, dataID) == 8);
static_assert(offsetof(GenerateAuto, libelle) == 10);

#endif  // VYX_ACCOUNTS_OPERATIONAUTO_H_
