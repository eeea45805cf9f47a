#include "cli/VYXOpeTable.h"

#include <algorithm>
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

void VYXForEachOpeRow(const VYXOpeListed& listed,
                      const std::function<void(const VYXOpeRow&)>& row) {
  const Operation& op = *listed.op;
  row({VYXOpeRow::kOperation, listed.compte, &op, nullptr, listed.solde});
  SousOperation line;
  VYXDataRef sousRef;
  bool split = false;
  for (bool more = listed.compte->GetFirstSousOperation(op, &line, &sousRef); more;
       more = listed.compte->GetNextSousOperation(op, &line, &sousRef)) {
    row({VYXOpeRow::kLine, listed.compte, &op, &line, 0});
    split = true;
  }
  // What the lines leave, shown when it is a cent at least.
  if (split && std::fabs(op.GetMontantNonVentile()) >= 0.005) {
    row({VYXOpeRow::kRest, listed.compte, &op, nullptr, 0});
  }
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

void VYXPrintOpeTable(std::ostream& out, const VYXOpeSource& source,
                      const std::vector<VYXOpeColumn>& columns) {
  std::vector<std::string> headings;
  std::vector<VYXTable::Align> aligns;
  std::vector<size_t> widths;
  for (const VYXOpeColumn& column : columns) {
    headings.push_back(column.heading);
    aligns.push_back(column.align);
    widths.push_back(VYXTextWidth(column.heading));
  }
  // The cells are made twice rather than kept: a long list stays small.
  source([&](const VYXOpeListed& listed) {
    VYXForEachOpeRow(listed, [&](const VYXOpeRow& row) {
      for (size_t c = 0; c < columns.size(); ++c) {
        widths[c] = std::max(widths[c], VYXTextWidth(columns[c].cell(*row.compte, row)));
      }
    });
  });
  std::string text = VYXTable::Line(headings, widths, aligns);
  std::vector<std::string> cells(columns.size());
  source([&](const VYXOpeListed& listed) {
    VYXForEachOpeRow(listed, [&](const VYXOpeRow& row) {
      for (size_t c = 0; c < columns.size(); ++c) cells[c] = columns[c].cell(*row.compte, row);
      text += VYXTable::Line(cells, widths, aligns);
      if (text.size() >= 64 * 1024) {
        out << text;
        text.clear();
      }
    });
  });
  out << text;
}

void VYXPrintOpeCsv(std::ostream& out, const VYXOpeSource& source,
                    const std::vector<VYXOpeColumn>& columns) {
  std::string text;
  for (size_t i = 0; i < columns.size(); ++i) text += (i ? ";" : "") + CsvField(columns[i].heading);
  text += "\r\n";
  source([&](const VYXOpeListed& listed) {
    VYXForEachOpeRow(listed, [&](const VYXOpeRow& row) {
      for (size_t i = 0; i < columns.size(); ++i) {
        if (i) text += ';';
        text += CsvField(columns[i].cell(*row.compte, row));
      }
      text += "\r\n";
      if (text.size() >= 64 * 1024) {
        out << text;
        text.clear();
      }
    });
  });
  out << text;
}
