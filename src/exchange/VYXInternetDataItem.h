// One statement line: what the bank says about one operation of the account
// (or of one of its cards), as kept in the account's statement data file
// (VYXReleveFile.h) until the user matches it with operations, adds it as an
// operation or sets it aside. Texts are MacRoman.
#ifndef VYX_EXCHANGE_VYXINTERNETDATAITEM_H_
#define VYX_EXCHANGE_VYXINTERNETDATAITEM_H_

#include <cstdint>

#include "accounts/VYXRecordTypes.h"
#include "exchange/VYXQIFTypes.h"

using Str64 = unsigned char[65];

// Kinds of lines of the statement data file.
constexpr OSType kVYXLineOperation = 'OPER';
constexpr OSType kVYXLineCard = 'ECCB';  // of the outstanding card statement
constexpr OSType kVYXLineBalance = 'SOLD';

struct VYXInternetDataItem {
  // State; all clear for a new line.
  bool done = false;       // no decision left: validated, added or set aside
  bool charged = false;    // a card line already charged to the account
  bool unused = false;
  bool setAside = false;   // ignored by the user
  bool validated = false;  // a card line validated
  uint32_t id = 0;         // byte position of the line in the data file
  OSType kind = kVYXLineOperation;
  CPDate date = 0;
  double montant = 0;
  Str20 reference = {};  // cheque or piece number; the card's number for card lines
  Str64 libelle = {};
  Str255 complement = {};  // a second label line some banks give
  // vyx's additions: the bank's own identifier of the transaction (an OFX
  // FITID), which tells a line loaded twice, and the line's number in the
  // data file, from 1, by which the user names it.
  Str63 fitid = {};
  long number = 0;
  // Set on lines loaded from a file since the data file was read.
  bool isNew = false;
  // The reference was read in the label (FindNoPiece), not given by the
  // bank: the data file keeps the bank's empty reference.
  bool pieceFromLabel = false;

  // Done with, or set aside: nothing left to decide.
  bool NeedsDecision() const { return !done && !setAside; }
};

#endif  // VYX_EXCHANGE_VYXINTERNETDATAITEM_H_
