// A statement as the readers of bank files find it, before its lines are
// recorded in the account's statement data file (VYXCompteTel.h decides which
// are new). Every reader gives this form, and so can a bank script: it is
// the one way lines reach the data file.
#ifndef VYX_EXCHANGE_VYXSTATEMENT_H_
#define VYX_EXCHANGE_VYXSTATEMENT_H_

#include <string>
#include <vector>

#include "exchange/VYXInternetDataItem.h"
#include "platform/CPHugePages.h"

struct VYXStatementEntry {
  OSType kind = kVYXLineOperation;  // a statement line, a card line or a balance
  CPDate date = 0;
  double montant = 0;
  // MacRoman; the recorder cuts them to the widths of the data file.
  std::string libelle;
  std::string reference;
  std::string complement;
  std::string fitid;    // the bank's own identifier of the transaction
  std::string account;  // the bank account or card it belongs to, when said
  long line = 0;        // where the reader found it
};

// Formats of statement files, in the order they are tried.
enum class VYXStatementFormat { kAuto, kCFONB, kQIF, kOFX, kCSV };

struct VYXParsedStatement {
  VYXStatementFormat format = VYXStatementFormat::kAuto;
  std::vector<VYXStatementEntry> entries;
  // Texts in which a character MacRoman lacks became '?'.
  long replacedTexts = 0;
  // Lines a reader read but does not give: investment lines, list records,
  // rows that are no statement lines (totals of a spreadsheet).
  long ignored = 0;
  // The bank accounts whose statements the file holds (OFX), in order.
  std::vector<std::string> bankAccounts;
};

// The room reserved for a statement's lines, not filled yet, asked for in
// huge pages: a hundred thousand lines fill some twenty megabytes.
inline void VYXAdviseHugePages(std::vector<VYXStatementEntry>* entries) {
  CPAdviseHugePages(entries->data() + entries->size(),
                    (entries->capacity() - entries->size()) * sizeof(VYXStatementEntry));
}

#endif  // VYX_EXCHANGE_VYXSTATEMENT_H_
