// What an account raises when it refuses something, and the string lists its
// messages come from (res/strings.fr). A refusal carries its French text; the
// code tells callers what kind of refusal it was.
#ifndef VYX_ACCOUNTS_VYXCOMPTEERRORS_H_
#define VYX_ACCOUNTS_VYXCOMPTEERRORS_H_

#include <cstdint>
#include <string>

struct Operation;

enum : int16_t {
  kVYXErrCompteLocked = 3200,       // the lock date forbids the change
  kVYXErrCompteBadData = 3201,      // an amount, date or list item that is not valid
  kVYXErrCompteFull = 3202,         // every operation key is taken
  kVYXErrCompteVersion = 3203,      // an account file of an unknown version
  kVYXErrCompteNoOperation = 3204,  // a reference to an operation that is not there
  kVYXErrCompteDamaged = 3205,      // not an account file, or one without its information
  kVYXErrCompteNotMade = 2,         // the file or one of its objects could not be made
  kVYXErrNoDirectory = 3230,        // a transfer from an account outside any dossier
  kVYXErrTargetNotFound = 3231,     // the account a transfer goes to cannot be found
  kVYXErrVirementRefused = 3232,    // the other account of a transfer refuses the change
  kVYXErrVirementPending = 3233,    // a twin left to be written at the next opening
  kVYXErrFormule = 3234,            // an amount formula that cannot be evaluated
};

// String lists of the account.
constexpr int kVYXCompteErrorsList = 351;     // refusals
constexpr int kVYXCompteQuestionsList = 353;  // questions and progress
constexpr int kVYXPasswordList = 378;
constexpr int kVYXChequesList = 431;
constexpr int kVYXConversionList = 433;
constexpr int kVYXReportLinkList = 30505;  // opening balances linked to another account

// Items of list 351.
enum : int {
  kVYXUnknownVersionItem = 11,  // ^1 the account's name
  kVYXCannotAddItem = 35,       // ^1 the operation's label
  kVYXCannotModifyItem = 36,
  kVYXCannotDeleteItem = 37,
  kVYXBadAmountItem = 60,  // ^1 the label
  kVYXBadDateItem = 61,
  kVYXUnknownItemItem = 62,  // ^1 the label, ^2 the list's name
  kVYXCompteFullItem = 63,
  kVYXBadMonthItem = 64,
  kVYXBadStatusItem = 65,
  kVYXNoOperationItem = 66,
  kVYXTooManyLinesItem = 67,
  kVYXNotACompteItem = 68,      // ^1 the file's name
  kVYXListNamesFirstItem = 70,  // 70 + VYXCompteList: the lists' names
  kVYXNamedOperationItem = 90,  // how messages name an operation: by its label,
  kVYXUndatedLabelItem = 91,    // by its date when it has no label,
  kVYXUnlabelledItem = 92,      // or neither (a split line)
};

// Items of list 353.
enum : int {
  kVYXDeleteChequierItem = 5,  // ^1 the cheque book's name
  kVYXSumsDifferItem = 27,     // ^1 the account's name
  // Questions about a transfer's twin: ^1 the source's label, ^2 the other
  // account's name. 31 to 34 when that account is open, 35 to 38 when not.
  kVYXVirementCreateItem = 31,
  kVYXVirementUpdateItem = 32,
  kVYXVirementKillItem = 33,
  kVYXVirementValidateItem = 34,
  kVYXVirementCreateClosedItem = 35,
  kVYXVirementUpdateClosedItem = 36,
  kVYXVirementKillClosedItem = 37,
  kVYXVirementValidateClosedItem = 38,
  kVYXScanProgressItem = 76,   // ^1 the account's name
};

// Transfers (list 30700).
constexpr int kVYXVirementsList = 30700;
enum : int {
  kVYXNoDirectoryItem = 1,      // ^1 the account's name
  kVYXTargetNotFoundItem = 2,   // ^1 the target's name
  kVYXTargetNotListedItem = 3,  // ^1 the account's name
  kVYXTargetRefusesItem = 4,    // ^1 the other account's name, ^2 why
  kVYXTwinPendingItem = 5,      // ^1 the operation, ^2 the other account, ^3 why
  kVYXSelfTargetItem = 6,       // ^1 the account's name
  kVYXJournalNameItem = 7,      // ^1 the source account, ^2 the target account, ^3 the key
  kVYXRecoveredItem = 8,        // ^1 the source account, ^2 the target account
  kVYXNotRecoveredItem = 9,     // ^1 the source account, ^2 the target account, ^3 why
};

// Automatic operations: list 258, item 10 (^1 the formula).
constexpr int kVYXAutoErrorsList = 258;
constexpr int kVYXBadFormulaItem = 10;

// Items of list 378.
enum : int {
  kVYXAskPasswordItem = 1,  // ^1 the account's name
  kVYXAskAgainItem = 2,
  kVYXWrongPasswordItem = 3,
};

// Items of list 30505.
enum : int {
  kVYXLinkLostItem = 1,  // ^1 the account's name, ^2 the linked account's
  kVYXLinkSelfItem = 2,  // ^1 the account's name
  kVYXLinkLoopItem = 3,  // ^1 the linked account's name, ^2 the account's
};

constexpr int kVYXChequierEmptyItem = 40;  // list 431
constexpr int kVYXKeepConvertedItem = 5;   // list 433, ^1 the account's name

// How a message names an operation or a split line (MacRoman): « label »,
// else "du 15/02/24" for a date, else "sans libellé" — never an empty « ».
std::string VYXOperationTitle(const unsigned char* label, uint32_t date);
// Raises the lock-date refusal `item` (kVYXCannotAddItem...) for `op`.
[[noreturn]] void VYXRefuseLocked(int item, const Operation& op);

#endif  // VYX_ACCOUNTS_VYXCOMPTEERRORS_H_
