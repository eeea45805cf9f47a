// A payment mode of the account's "MODE" set (98 bytes): whether it asks for
// a cheque book or a transfer target, its card details, and for debits and
// credits the rule that gives the bank date from the operation's date
// (ModeTypeInfo; VYXDatePointe.h applies it).
#ifndef VYX_ACCOUNTS_MODE_H_
#define VYX_ACCOUNTS_MODE_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// Kinds of ModeTypeInfo rules.
enum : uint8_t {
  kModeTypeNone = 0,
  kModeTypeDelta = 1,     // the bank date is the date shifted by DeltaDay days
  kModeTypeDeferred = 2,  // deferred card debit: MonthDay of a later month
};

// The kind of a mode. SetDefaultTypeOfMode gives 1 to modes with a cheque
// book, 4 to transfer modes, 2 to deferred-debit cards and 5 to modes with a
// credit rule; 0 is not yet known.
using TypeOfMode = uint8_t;

#pragma pack(push, 1)

struct ModeTypeInfo {
  Boolean Enabled = 0;
  uint8_t ModeType = kModeTypeNone;
  union {
    int16_t DeltaDay;  // kind 1: days, may be negative
    int16_t MonthDay;  // kind 2: day of the month of the debit
  };
  int16_t StopDay = 0;  // kind 2: closing day of the card's period

  ModeTypeInfo() : DeltaDay(0) {}

  void ByteSwap();
};

struct Mode {
  Boolean askForChequier = 0;
  uint8_t unused1 = 0;
  CPResID chequierID = 0;
  Boolean askForVirement = 0;
  uint8_t unused2 = 0;
  CPResID virementID = 0;
  CPResID colorID = 0;
  ModeTypeInfo debitModeType;
  ModeTypeInfo creditModeType;
  TypeOfMode type = 0;
  Boolean releveSepare = 0;  // cleared on a statement series of its own
  Str20 noCarte = {};
  uint8_t unused3 = 0;
  CPDate expirationCarte = 0;
  Str30 titulaireCarte = {};
  uint8_t unused4 = 0;
  Str14 noAppelCarte = {};
  uint8_t unused5 = 0;

  Mode() = default;

  // When `type` is still 0, sets it from the mode's settings (see TypeOfMode).
  void SetDefaultTypeOfMode();

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(ModeTypeInfo) == 6);
static_assert(offsetof(ModeTypeInfo, DeltaDay) == 2);
static_assert(offsetof(ModeTypeInfo, StopDay) == 4);
static_assert(sizeof(Mode) == 98);
static_assert(std::is_trivially_copyable_v<Mode>);
static_assert(offsetof(Mode, chequierID) == 2);
static_assert(offsetof(Mode, askForVirement) == 4);
static_assert(offsetof(Mode, virementID) == 6);
static_assert(offsetof(Mode, colorID) == 8);
static_assert(offsetof(Mode, debitModeType) == 10);
static_assert(offsetof(Mode, creditModeType) == 16);
static_assert(offsetof(Mode, type) == 22);
static_assert(offsetof(Mode, releveSepare) == 23);
static_assert(offsetof(Mode, noCarte) == 24);
static_assert(offsetof(Mode, expirationCarte) == 46);
static_assert(offsetof(Mode, titulaireCarte) == 50);
static_assert(offsetof(Mode, noAppelCarte) == 82);

#endif  // VYX_ACCOUNTS_MODE_H_
