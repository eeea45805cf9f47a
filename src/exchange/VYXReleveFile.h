// The account's statement data file, "NOM.releves" beside "NOM.cpt": the
// bank's lines and balances as they arrived (from statement files or bank
// scripts), with the user's decisions about them. A text file of lines ended
// by CR, fields separated by tabs, MacRoman; docs/statement-file.md gives its
// format. The first field is a kind: "OPER" a statement line, "ECCB" a line
// of the outstanding card statement, "SOLD" a bank balance; the kind written
// backwards ("REPO", "BCCE", "DLOS") reads the same. Other lines are kept as
// they stand.
//
// The object holds the whole file in memory: Read loads it (a missing file
// is an empty one), changes are made to the lines held, and Save writes the
// whole file again, into a new file that then takes the old one's place, so
// that a failed or interrupted write leaves the old file whole. A line of a
// known kind that does not read raises kVYXErrReleveFile naming the line.
// Whoever writes the file holds the account open (its lock keeps a second
// writer out).
#ifndef VYX_EXCHANGE_VYXRELEVEFILE_H_
#define VYX_EXCHANGE_VYXRELEVEFILE_H_

#include <functional>
#include <string>
#include <vector>

#include "exchange/VYXInternetDataItem.h"
#include "platform/CPFileRef.h"

class VYXReleveFile {
 public:
  // How amounts are written: the dossier's decimals and thousands setting.
  struct Format {
    int decimals = 2;
    bool thousands = true;
  };
  // A bank balance at a date.
  struct Balance {
    CPDate date = 0;
    double montant = 0;
  };

  VYXReleveFile(const CPFileRef& file, Format format);
  // The data file of the account kept in `compteFile`.
  static CPFileRef ForCompte(const CPFileRef& compteFile);

  const CPFileRef& File() const { return file_; }
  void Read();
  // Statement and card lines, in the file's order.
  std::vector<VYXInternetDataItem>& Items() { return items_; }
  const std::vector<VYXInternetDataItem>& Items() const { return items_; }
  // Balances, in the file's order.
  const std::vector<Balance>& Balances() const { return balances_; }

  // Adds a line at the end (numbered after the last line of the file).
  VYXInternetDataItem& AddItem(const VYXInternetDataItem& item);
  void AddBalance(CPDate date, double montant);
  // Removes the lines `drop` accepts; the lines after them are numbered again.
  void RemoveItems(const std::function<bool(const VYXInternetDataItem&)>& drop);

  // Writes the file again from what is held (see the top).
  void Save();

  // The text of a line, without its line end (MacRoman).
  std::string LineText(const VYXInternetDataItem& item) const;

 private:
  enum class Kind { kItem, kBalance, kOther };
  struct Record {
    Kind kind;
    size_t index = 0;  // into items_ or balances_
    std::string raw;   // the line as read, for other lines
  };

  void ParseLine(const std::string& line, long number);
  // Numbers and positions of every line from the start.
  void Renumber();
  std::string BalanceText(const Balance& b) const;

  CPFileRef file_;
  Format format_;
  std::vector<Record> records_;
  std::vector<VYXInternetDataItem> items_;
  std::vector<Balance> balances_;
  uint32_t length_ = 0;  // of the file as the lines held would write it
};

#endif  // VYX_EXCHANGE_VYXRELEVEFILE_H_
