// An account's statement window, without its window: the bank's view of the
// account. It holds the lines and balances of the account's statement data
// file (VYXReleveFile.h), records the lines of statement files and bank
// scripts there, keeps the last loaded date (in the account's statement
// settings, VYXCompteInternetPrefs.h), and lists the lines that still need
// a decision. Matching, validating and adding lines are the actions of
// VYXInternetActions.h.
//
// Loading reads a whole file before it records anything: a file that no
// reader recognises, or that is wrong at some line, raises CPException and
// leaves the data file and the account as they were. What is recorded is
// written at once (data file first, then the last loaded date).
#ifndef VYX_EXCHANGE_VYXCOMPTETEL_H_
#define VYX_EXCHANGE_VYXCOMPTETEL_H_

#include <string>
#include <vector>

#include "exchange/VYXCompteInternetPrefs.h"
#include "exchange/VYXReleveFile.h"
#include "exchange/VYXStatement.h"
#include "exchange/VYXStatementReaders.h"

class VYXCompte;

struct VYXLoadOptions {
  VYXStatementFormat format = VYXStatementFormat::kAuto;
  std::vector<VYXCSVColumn> columns;  // a CSV file's columns, when it has no header
  // Only the statements of this bank account (its identifier in the file);
  // kept in the account's settings for the loads that follow.
  std::string accountId;
};

// What a load did.
struct VYXLoadReport {
  VYXStatementFormat format = VYXStatementFormat::kAuto;
  long read = 0;          // statement and card lines in the file
  long added = 0;         // recorded as new lines
  long held = 0;          // already in the data file
  long otherAccount = 0;  // of another bank account than the account's
  long otherCard = 0;     // of a card that is not one of the account's
  long cardsCleared = 0;  // outstanding card lines replaced by the new statement
  long balances = 0;      // bank balances recorded
  long ignored = 0;       // lines of the file that are no statement lines
  long replacedTexts = 0;
  CPDate lastDate = 0;    // the last loaded date after the load
};

class VYXCompteTel {
 public:
  // `compteFile` is the account's file, beside which its data file lies.
  VYXCompteTel(VYXCompte& compte, const CPFileRef& compteFile, VYXReleveFile::Format format);

  VYXCompte& GetCompte() const { return compte_; }
  VYXReleveFile& GetReleveFile() { return file_; }

  // Reads the data file.
  void ReadData();
  // Writes it again (the lines' states as they are now).
  void SaveData();

  // Reads a statement file (the formats in order, or the one asked for) and
  // records its new lines.
  VYXLoadReport LoadBanqueFile(const CPFileRef& statement, const VYXLoadOptions& options);
  // Records the new lines of a statement read by a reader or received from a
  // bank script. A line dated after the last loaded date is new; one dated
  // on or before it is new when the data file does not hold it yet (same
  // FITID, or else same date, amount and label), so that a line the bank
  // posted late is loaded once.
  VYXLoadReport Load(const VYXParsedStatement& statement, const VYXLoadOptions& options);

  // The lines that still need a decision: statement lines, or in the card
  // view the card lines not yet charged (of the card `card`, when given).
  std::vector<VYXInternetDataItem*> LoadData(bool cardView, const std::string& card = {});
  // Every line, in the data file's order.
  std::vector<VYXInternetDataItem>& Items() { return file_.Items(); }
  // The line numbered `number` in the data file, or null.
  VYXInternetDataItem* FindLine(long number);

  // Bank balances, in the order received; the last one is the latest known.
  const std::vector<VYXReleveFile::Balance>& GetSoldes() const { return file_.Balances(); }
  void SetSolde(CPDate date, double montant);

  CPDate GetLastDate() const;
  // Forgets the last loaded date, or moves it back one day, so that lines
  // can be loaded again.
  void DoUserInitLastDate();
  void DoUserLastDateBackOneDay();

 private:
  void SetLastDate(CPDate date);
  VYXLoadReport Record(const VYXParsedStatement& statement, const VYXLoadOptions& options,
                       VYXLoadReport report);
  // Whether a card line's card is one of the account's (any card when the
  // account names none).
  bool CanLoadEncoursCarte(const std::string& card);

  VYXCompte& compte_;
  VYXReleveFile file_;
};

// Whether two identifiers name the same account or card: equal once blanks
// and dashes are gone, one ending with the other when masked ("XXXX XXXX
// XXXX 1234" and "4970 1012 3456 1234"), or one the start of the other when
// cut to a field's width.
bool VYXSameIdentifier(const std::string& a, const std::string& b);

#endif  // VYX_EXCHANGE_VYXCOMPTETEL_H_
