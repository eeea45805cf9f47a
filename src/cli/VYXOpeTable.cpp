#include "cli/VYXOpeTable.h"

#include <cmath>
#include <ostream>

#include "cli/VYXCli.h"
#include "cli/VYXOpeMoreTexts.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXOpeTexts, item); }
std::string M(int item) { return VYXHelp(kVYXOpeMoreTexts, item); }

std::string Key(const VYXOpeRow& row) {
  std::string key = std::to_string(row.op->header.dataID);
  switch (row.kind) {
    case VYXOpeRow::kOperation: return key;
    case VYXOpeRow::kLine: return key + "." + std::to_string(row.line->header.dataID);
    case VYXOpeRow::kRest: return {};
  }
  return {};
}

// A cell of the operation's row only.
template <class F>
std::function<std::string(VYXCompte&, const VYXOpeRow&)> OfOperation(F f) {
  return [f](VYXCompte& compte, const VYXOpeRow& row) {
    return row.kind == VYXOpeRow::kOperation ? f(compte, *row.op) : std::string();
  };
}

// A list item the operation and its lines both carry; the rest keeps the
// operation's own, which is where it is counted.
std::function<std::string(VYXCompte&, const VYXOpeRow&)> Item(VYXCompteList list) {
  return [list](VYXCompte& compte, const VYXOpeRow& row) {
    CPResID id = row.kind == VYXOpeRow::kLine ? VYXItemOf(*row.line, list) : VYXItemOf(*row.op, list);
    if (row.kind == VYXOpeRow::kRest && list != kVYXListCategories) id = 0;
    return VYXItemName(compte, list, id);
  };
}

// A field of a CSV line: quoted when it holds the separator, a quote or a line end.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(";\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

}  // namespace

std::vector<VYXOpeColumn> VYXOpeColumns(bool csv, int decimals) {
  using R = VYXOpeRow;
  auto amount = [csv, decimals](double m) {
    return csv ? VYXAmountText(m, decimals, false) : VYXAmountText(m);
  };
  return {
      {T(kOpeColCle), VYXTable::kLeft, [](VYXCompte&, const R& row) { return Key(row); }},
      {T(kOpeColDate), VYXTable::kLeft,
       OfOperation([](VYXCompte&, const Operation& op) { return VYXDateText(op.date); })},
      {M(kOpeColValeur), VYXTable::kLeft,
       OfOperation([](VYXCompte&, const Operation& op) { return VYXDateText(op.datePointe); })},
      {T(kOpeColLibelle), VYXTable::kLeft,
       [](VYXCompte&, const R& row) {
         switch (row.kind) {
           case R::kOperation: return VYXText(PToStd(row.op->libelle));
           case R::kLine: return VYXText(PToStd(row.line->libelle));
           case R::kRest: return M(kOpeRestLabel);
         }
         return std::string();
       }},
      {T(kOpeColCategorie), VYXTable::kLeft, Item(kVYXListCategories)},
      {T(kOpeColTiers), VYXTable::kLeft, Item(kVYXListTiers)},
      {T(kOpeColMode), VYXTable::kLeft, OfOperation([](VYXCompte& compte, const Operation& op) {
         return VYXItemName(compte, kVYXListModes, op.mode);
       })},
      {T(kOpeColCheque), VYXTable::kLeft,
       OfOperation([](VYXCompte&, const Operation& op) { return VYXText(PToStd(op.noCheque)); })},
      {T(kOpeColMontant), VYXTable::kRight,
       [amount](VYXCompte&, const R& row) {
         switch (row.kind) {
           case R::kOperation: return amount(row.op->montant);
           case R::kLine: return amount(row.line->montant);
           case R::kRest: return amount(row.op->GetMontantNonVentile());
         }
         return std::string();
       }},
      {T(kOpeColStatut), VYXTable::kLeft,
       OfOperation([](VYXCompte&, const Operation& op) { return VYXStatusText(op.status); })},
      {M(kOpeColReleve), VYXTable::kLeft, OfOperation([](VYXCompte&, const Operation& op) {
         Str255 text;
         op.GetFilledReleve(text);
         return VYXText(PToStd(text));
       })},
      {M(kOpeColSolde), VYXTable::kRight,
       [amount](VYXCompte&, const R& row) {
         return row.kind == R::kOperation ? amount(row.solde) : std::string();
       }},
  };
}

std::vector<VYXOpeRow> VYXOpeRows(const std::vector<VYXOpeListed>& ops,
                                  std::vector<std::vector<SousOperation>>& lines) {
  lines.assign(ops.size(), {});
  for (size_t i = 0; i < ops.size(); ++i) {
    SousOperation line;
    VYXDataRef sousRef;
    VYXCompte& compte = *ops[i].compte;
    for (bool more = compte.GetFirstSousOperation(*ops[i].op, &line, &sousRef); more;
         more = compte.GetNextSousOperation(*ops[i].op, &line, &sousRef)) {
      lines[i].push_back(line);
    }
  }
  std::vector<VYXOpeRow> rows;
  for (size_t i = 0; i < ops.size(); ++i) {
    const Operation& op = *ops[i].op;
    VYXCompte* compte = ops[i].compte;
    rows.push_back({VYXOpeRow::kOperation, compte, &op, nullptr, ops[i].solde});
    for (const SousOperation& line : lines[i]) {
      rows.push_back({VYXOpeRow::kLine, compte, &op, &line, 0});
    }
    // What the lines leave, shown when it is a cent at least.
    if (!lines[i].empty() && std::fabs(op.GetMontantNonVentile()) >= 0.005) {
      rows.push_back({VYXOpeRow::kRest, compte, &op, nullptr, 0});
    }
  }
  return rows;
}

void VYXWarnIfSplitBeyond(VYXCompte&, const Operation& op) {
  if (!op.VentilationDepasseMontant()) return;
  std::string text = CPGetListString(kVYXOpeMoreTexts, kOpeSplitBeyond);
  CPReplaceVar(text, 1, std::to_string(op.header.dataID));
  CPReplaceVar(text, 2, Utf8ToMacRoman(VYXAmountText(op.montantSousOp)));
  CPReplaceVar(text, 3, Utf8ToMacRoman(VYXAmountText(op.montant)));
  CPReplaceVar(text, 4, Utf8ToMacRoman(VYXAmountText(op.GetMontantNonVentile())));
  CPGetInteraction().Alert(text);
}

void VYXPrintOpeTable(std::ostream& out, const std::vector<VYXOpeRow>& rows,
                      const std::vector<VYXOpeColumn>& columns) {
  VYXTable table;
  for (const VYXOpeColumn& column : columns) table.AddColumn(column.heading, column.align);
  for (const VYXOpeRow& row : rows) {
    std::vector<std::string> cells;
    for (const VYXOpeColumn& column : columns) cells.push_back(column.cell(*row.compte, row));
    table.AddRow(std::move(cells));
  }
  table.Print(out);
}

void VYXPrintOpeCsv(std::ostream& out, const std::vector<VYXOpeRow>& rows,
                    const std::vector<VYXOpeColumn>& columns) {
  for (size_t i = 0; i < columns.size(); ++i) out << (i ? ";" : "") << CsvField(columns[i].heading);
  out << "\r\n";
  for (const VYXOpeRow& row : rows) {
    for (size_t i = 0; i < columns.size(); ++i) {
      out << (i ? ";" : "") << CsvField(columns[i].cell(*row.compte, row));
    }
    out << "\r\n";
  }
}
