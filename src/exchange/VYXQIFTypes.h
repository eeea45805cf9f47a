// The kinds and records of the QIF reader (VYXQIFStream.h). Texts are
// MacRoman, cut silently to the width of their field.
#ifndef VYX_EXCHANGE_VYXQIFTYPES_H_
#define VYX_EXCHANGE_VYXQIFTYPES_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

using Str127 = unsigned char[128];

// The kind of the next line.
enum QIF_DataType : uint8_t {
  kQIFEndOfStream = 0,
  kQIFHeaderLine = 1,  // starts with "!"
  kQIFOptionLine = 2,  // starts with "!Option:"
  kQIFDataLine = 3,
};

// From the argument of a "!Type:" header. Any type but 0 is one under which
// data lines are transactions.
enum QIF_AccountType : uint8_t {
  kQIFTypeUnknown = 0,
  kQIFTypeBank = 1,  // "Bank" or "Banque"
  kQIFTypeCash = 2,
  kQIFTypeCCard = 3,
  kQIFTypeInvst = 4,
  kQIFTypeOthA = 5,
  kQIFTypeOthL = 6,
  kQIFTypeCat = 7,
  kQIFTypeClass = 8,
  kQIFTypeMemorized = 9,
};

// Where the bank that wrote the file puts its fields.
enum QIF_FormatType : uint8_t {
  kQIFFormatStandard0 = 0,
  kQIFFormatStandard = 1,  // payee in P, memo in M, cheque number in N
  kQIFFormatModeInM = 2,   // payment mode in M (ignored), label in N
  kQIFFormatModeInN = 3,   // payment mode in N (no cheque number), label in P
};

// The text encoding of the file's lines. 3 is vyx's own addition, for files
// written on a Mac in its own set.
enum QIF_Encoding : uint8_t {
  kQIFWindows = 1,  // and every value other than 2 and 3
  kQIFUTF8 = 2,
  kQIFMacRoman = 3,
};

// Actions of investment lines, from N.
enum : uint8_t {
  kQIFActionNone = 0,
  kQIFActionBuy,
  kQIFActionSell,
  kQIFActionDiv,
  kQIFActionStkSplit,
  kQIFActionRtrnCap,
  kQIFActionShrsIn,
  kQIFActionShrsOut,
  kQIFActionMiscInc,
  kQIFActionMiscExp,
};

struct QIFTransaction {
  CPDate date = 0;
  Str127 payee = {};
  Str127 memo = {};
  double amount = 0;
  Str7 number = {};
  Str127 address = {};
  Str127 category = {};
  bool investment = false;
  uint8_t action = kQIFActionNone;
  Str127 security = {};
  double quantity = 0;
  double price = 0;
  double commission = 0;
  // Where the record starts in the file, for messages.
  long line = 0;
};

struct QIFSplit {
  Str127 memo = {};
  double amount = 0;
  Str127 category = {};
};

struct QIFAccount {
  Str127 name = {};
  Str127 description = {};
  CPDate balanceDate = 0;
  bool hasOpeningBalance = false;  // filled by the import
  double openingBalance = 0;
  bool hasBalance = false;
  double balance = 0;
};

#endif  // VYX_EXCHANGE_VYXQIFTYPES_H_
