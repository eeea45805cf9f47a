// The table of `vyx ope liste`: one row per operation, its split lines under
// it and, when its lines do not share out its whole amount, a row for what
// they leave to the operation's own category. Each column is one definition
// (heading, alignment, the cell of a row), so that a new field is one more
// entry of VYXOpeColumns.
#ifndef VYX_CLI_VYXOPETABLE_H_
#define VYX_CLI_VYXOPETABLE_H_

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "accounts/VYXCompte.h"
#include "cli/VYXCliFormat.h"

// One row of the table.
struct VYXOpeRow {
  enum Kind {
    kOperation,
    kLine,  // one of its split lines
    kRest,  // what its lines leave unsplit
  };
  Kind kind = kOperation;
  VYXCompte* compte = nullptr;           // the operation's account
  const Operation* op = nullptr;         // the operation, for every kind of row
  const SousOperation* line = nullptr;   // kLine
  double solde = 0;                      // kOperation: the account's balance after it
};

struct VYXOpeColumn {
  std::string heading;  // UTF-8
  VYXTable::Align align = VYXTable::kLeft;
  // The cell of a row, in UTF-8; empty for a row the column says nothing of.
  std::function<std::string(VYXCompte&, const VYXOpeRow&)> cell;
};

// The columns of the list, in their order; for CSV, amounts carry the
// dossier's decimals and no thousands separator.
std::vector<VYXOpeColumn> VYXOpeColumns(bool csv = false, int decimals = 2);

// An operation to list, with its account and that account's balance after it.
struct VYXOpeListed {
  VYXCompte* compte;
  const Operation* op;
  double solde;
};

// The operations of a list, handed in their order to `each`; each one needs
// to last only as long as the call, so that a list of any length is printed
// with the memory of one operation.
using VYXOpeSource = std::function<void(const std::function<void(const VYXOpeListed&)>& each)>;

// The rows of one operation: its own, its lines', and what its lines leave.
void VYXForEachOpeRow(const VYXOpeListed& listed, const std::function<void(const VYXOpeRow&)>& row);

// Tells the user (an alert) when the operation's split lines go beyond its
// amount: the account allows it, but it is seldom meant.
void VYXWarnIfSplitBeyond(VYXCompte& compte, const Operation& op);

// The table, in two walks of the source: the columns' widths, then the rows.
void VYXPrintOpeTable(std::ostream& out, const VYXOpeSource& source,
                      const std::vector<VYXOpeColumn>& columns);

// The same rows as CSV for a French spreadsheet: ";" between fields, CRLF
// line ends, fields quoted when they need it.
void VYXPrintOpeCsv(std::ostream& out, const VYXOpeSource& source,
                    const std::vector<VYXOpeColumn>& columns);

#endif  // VYX_CLI_VYXOPETABLE_H_
