// What can be read inside a bank's label: the number of a cheque or of a
// deposit slip ("CHEQUE N 1234567", "REMISE CHQ 0012345"), and the day an
// operation was made when the bank books it later ("CB CARREFOUR 12/03").
// Labels are MacRoman; nothing here fails.
#ifndef VYX_EXCHANGE_VYXLABELREADING_H_
#define VYX_EXCHANGE_VYXLABELREADING_H_

#include <string>

#include "platform/CPMacTypes.h"

// The piece number a label gives after a word that announces one (CHEQUE,
// CHQ, CH., REMISE, N°...); empty when it gives none. Digits only, 3 to 20.
std::string FindNoPiece(const std::string& label);

// A day written in the label as dd/mm, dd.mm or dd-mm, with or without its
// year (2 or 4 digits), standing apart from other digits. Without a year,
// the day is taken in the twelve months up to `lineDate`. 0 when the label
// gives none, or gives one after `lineDate`.
CPDate FindDate(const std::string& label, CPDate lineDate);

#endif  // VYX_EXCHANGE_VYXLABELREADING_H_
