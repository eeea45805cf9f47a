// Texts of `ope` and `ventil` beyond those of VYXOpeOptions.h, in a list of
// their own (res/strings.fr): the columns and rows of the operation list,
// the split-line warning and `ventil modifier`.
#ifndef VYX_CLI_VYXOPEMORETEXTS_H_
#define VYX_CLI_VYXOPEMORETEXTS_H_

constexpr int kVYXOpeMoreTexts = 30500;
enum VYXOpeMoreText : int {
  kOpeNoChequeLeft = 1,  // ^1: the account
  kOpeColValeur,
  kOpeColReleve,
  kOpeColSolde,
  kOpeRestLabel,
  kOpeSplitBeyond,  // ^1: the key, ^2: the lines' total, ^3: the amount, ^4: the rest
  kOpeHelpVentilModifier,
  kOpeLineModified,  // ^1: the line, ^2: the key, ^3: the account
  kOpeNothingToChangeInLine,
};

#endif  // VYX_CLI_VYXOPEMORETEXTS_H_
