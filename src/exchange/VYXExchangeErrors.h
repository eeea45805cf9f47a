// What the readers of statement files and the statement import raise, and
// the string lists their texts come from (res/strings.fr). Readers of files
// from outside say where the file is wrong: the line, and the field or value
// at fault.
#ifndef VYX_EXCHANGE_VYXEXCHANGEERRORS_H_
#define VYX_EXCHANGE_VYXEXCHANGEERRORS_H_

#include <cstdint>
#include <initializer_list>
#include <string>

enum : int16_t {
  kVYXErrNotAStatement = 3300,    // no reader recognises the file
  kVYXErrStatementSyntax = 3301,  // a statement file wrong at some line
  kVYXErrReleveFile = 3302,       // the account's statement data file cannot be used
  kVYXErrNoSuchLine = 3303,       // a statement line that is not there
  kVYXErrValidation = 3304,       // a validation whose totals differ, refused
};

// The QIF reader's errors: item 9, a date that does not read (^1 the line,
// ^2 the text); item 11, an amount or a quantity that does not (^1, ^2).
constexpr int kVYXQIFErrorsList = 258;
enum : int { kVYXQIFBadDateItem = 9, kVYXQIFBadAmountItem = 11 };

// Labels that the import gives investment lines without a memo (^1 the
// quantity, ^2 the security).
constexpr int kVYXInvestLabelsList = 375;
enum : int {
  kVYXInvestBuyItem = 12,
  kVYXInvestSellItem = 13,
  kVYXInvestZeroAmountItem = 78,
  kVYXInvestDividendItem = 79,
};

// Validation of statement lines (list 353): refusals 17 and 18, confirmations
// 19 and 20, and 21, whether the operation takes the line's reference.
enum : int {
  kVYXValidateManyManyItem = 17,
  kVYXValidateOneManyItem = 18,
  kVYXValidateManyOneItem = 19,
  kVYXValidateOneOneItem = 20,
  kVYXValidateTakeReferenceItem = 21,
};
// Between a statement line's label and its second line, in a new operation.
constexpr int kVYXComplementSeparatorList = 442;
constexpr int kVYXComplementSeparatorItem = 2;

// vyx's own texts of the readers and of loading (items in VYXExchangeTexts.h).
constexpr int kVYXExchangeTexts = 30680;

// Raises kVYXErrStatementSyntax with item `item` of string list `list`, the
// line number as ^1 and the other values after it (MacRoman).
[[noreturn]] void VYXThrowAtLine(int list, int item, long line,
                                 std::initializer_list<std::string> vars = {});

// Item `item` of the readers' texts with ^1, ^2... replaced by `vars` (MacRoman).
std::string VYXExchangeText(int item, std::initializer_list<std::string> vars = {});

#endif  // VYX_EXCHANGE_VYXEXCHANGEERRORS_H_
