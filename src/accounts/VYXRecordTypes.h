// The small value types that the account's records share: statuses, senses of
// amounts, the record kinds of an account file, months and the string widths
// that only account records use. Every record of this folder is a packed,
// trivially copyable structure whose bytes are its stored image.
//
// Packing: fields sit at the offsets the files fix, so many numbers are not
// aligned in memory. Read and write them by value (`double m = op.montant;`,
// `op.montant += x;`); never bind a reference or pointer to one (that includes
// `const double&` parameters such as std::max or gtest's EXPECT_EQ: copy
// first, e.g. `EXPECT_EQ(double(op.montant), 2.0)`); UBSan reports the
// misaligned access.
#ifndef VYX_ACCOUNTS_VYXRECORDTYPES_H_
#define VYX_ACCOUNTS_VYXRECORDTYPES_H_

#include <cstdint>

#include "platform/CPMacTypes.h"

// A month value of an operation: 1 to 12, or one of the relative rules of
// VYXMonthRule.h in the records that give defaults.
using CPMonth = uint16_t;
// A currency code ('EUR '); 0 means the account's own currency.
using DeviseCode = OSType;
// A stored yes/no byte. Kept as a byte rather than bool: a damaged file may
// hold any value there, and loading such a byte as bool is undefined.
using Boolean = uint8_t;
// Key of a record in a database file.
using DataID = uint32_t;
// Key shared by the two halves of a transfer.
using VirementKey = uint32_t;

// Length-prefixed strings of the widths only account records use.
using Str6 = unsigned char[7];
using Str14 = unsigned char[15];
using Str20 = unsigned char[21];
using Str30 = unsigned char[31];

// The status of an operation; MontantSet entries are indexed by it.
using OpStatus = uint8_t;
enum : OpStatus {
  kOpPrevue = 0,   // planned
  kOpEngagee = 1,  // committed
  kOpPointee = 2,  // cleared against a bank statement
};
constexpr int kOpStatusCount = 3;

// The sense of an amount typed as text (`debCred`).
using MontantType = uint8_t;
enum : MontantType { kMontantDebit = 0, kMontantCredit = 1 };

// The `type` byte of CompteDataHeader.
using CompteFileDataType = uint8_t;
enum : CompteFileDataType {
  kCompteInfosData = 1,
  kOperationData = 2,
  kSousOperationData = 3,
};

#endif  // VYX_ACCOUNTS_VYXRECORDTYPES_H_
