// `vyx numerotation`: the counters and formats that number quotes, delivery
// notes, invoices and purchase pieces, shown with the number each would
// give today, and changed.
#include <memory>
#include <ostream>

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXFactureCli.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXNumeroVariables.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

enum : int {
  kHelpNumerotation = 1,
  kHelpVoir,
  kHelpModifier,
  kHelpType,
  kHelpProchain,
  kHelpFormat,
  kColPiece = 10,
  kColProchain,
  kColFormat,
  kColExemple,
  kNameFirst = 20,  // 6 items: devis, bl, facture, piece1 to piece3
  kBadType = 30,    // ^1: the text typed
  kBadProchain,     // ^1: the text typed
  kFormatTooLong,   // ^1: the format, ^2: its width
  kChanged,         // ^1: the numbering
  kNothingToChange,
};

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kVYXNumerotationTexts, item, vars);
}

// The words typed for each numbering, and where its counter is.
constexpr const char* kTypes[] = {"devis", "bl", "facture", "piece1", "piece2", "piece3"};

VYXNumerotation& Of(int type, VYXUserFacturesPrefs& ventes, VYXUserAchatsPrefs& achats) {
  return type < 3 ? ventes.Of(VYXPieceKind(type + 1)) : achats.pieces[type - 3];
}

CPDate Today() { return CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear()); }

nlohmann::json Row(int type, const VYXNumerotation& n, std::vector<std::string>* cells) {
  Str255 example;
  VYXFormatNumero(n.format, std::max<int32_t>(1, n.prochain), Today(), example);
  std::string format = VYXText(PToStd(n.format)), exemple = VYXText(PToStd(example));
  *cells = {T(kNameFirst + type), std::to_string(std::max<int32_t>(1, n.prochain)), format, exemple};
  return {{"type", kTypes[type]},
          {"nom", T(kNameFirst + type)},
          {"prochain", std::max<int32_t>(1, n.prochain)},
          {"format", format},
          {"exemple", exemple}};
}

void Print(VYXCliContext& ctx, VYXUserFacturesPrefs& ventes, VYXUserAchatsPrefs& achats,
           std::optional<int> only) {
  VYXTable table;
  table.AddColumn(T(kColPiece));
  table.AddColumn(T(kColProchain), VYXTable::kRight);
  table.AddColumn(T(kColFormat));
  table.AddColumn(T(kColExemple));
  nlohmann::json out = nlohmann::json::array();
  for (int type = 0; type < 6; ++type) {
    if (only && *only != type) continue;
    std::vector<std::string> cells;
    out.push_back(Row(type, Of(type, ventes, achats), &cells));
    table.AddRow(cells);
  }
  if (ctx.json) {
    VYXPrintJson(ctx, only ? out[0] : out);
  } else {
    table.Print(*ctx.out);
  }
}

void Voir(VYXCliContext& ctx) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  VYXUserFacturesPrefs ventes;
  VYXUserAchatsPrefs achats;
  user.GetPrefs(&ventes);
  user.GetPrefs(&achats);
  Print(ctx, ventes, achats, std::nullopt);
  session.Close();
}

struct ModifierArgs {
  std::string type, prochain;
  std::optional<std::string> format;
};

void Modifier(VYXCliContext& ctx, const ModifierArgs& args) {
  std::string typed = VYXArgText(args.type);
  int type = -1;
  for (int i = 0; i < 6; ++i) {
    if (CPEqualString(typed, kTypes[i], false, false)) type = i;
  }
  if (type < 0) CPThrowList(paramErr, kVYXNumerotationTexts, kBadType, {typed});
  std::optional<long> prochain;
  if (!args.prochain.empty()) {
    prochain = VYXArgLong(args.prochain, 1, 999999999, kVYXNumerotationTexts, kBadProchain);
  }
  std::optional<std::string> format;
  if (args.format) {
    format = VYXArgText(*args.format);
    if (format->size() > 31) {
      CPThrowList(paramErr, kVYXNumerotationTexts, kFormatTooLong, {*format, "31"});
    }
  }
  if (!prochain && !format) CPThrowList(paramErr, kVYXNumerotationTexts, kNothingToChange);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  VYXUserFacturesPrefs ventes;
  VYXUserAchatsPrefs achats;
  user.GetPrefs(&ventes);
  user.GetPrefs(&achats);
  VYXNumerotation& n = Of(type, ventes, achats);
  VYXNumerotation before = n;
  if (prochain) n.prochain = int32_t(*prochain);
  if (format) StdToP(*format, n.format, 31);
  if (std::memcmp(&before, &n, sizeof n) != 0) {
    if (type < 3) {
      user.SetPrefs(ventes);
    } else {
      user.SetPrefs(achats);
    }
  }
  if (!ctx.json) *ctx.out << T(kChanged, {T(kNameFirst + type)}) << '\n';
  Print(ctx, ventes, achats, type);
  hold.reset();
  session.Close();
}

}  // namespace

void VYXAddNumerotationCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* numerotation = VYXAddSubcommand(&app, "numerotation", T(kHelpNumerotation));
  numerotation->require_subcommand(1);
  CLI::App* voir = VYXAddSubcommand(numerotation, "voir", T(kHelpVoir));
  VYXAddJsonFlag(voir, ctx);
  VYXSetCommand(voir, [&ctx] { Voir(ctx); });

  CLI::App* modifier = VYXAddSubcommand(numerotation, "modifier", T(kHelpModifier));
  auto m = std::make_shared<ModifierArgs>();
  modifier->add_option("TYPE", m->type, T(kHelpType))->required();
  modifier->add_option("--prochain", m->prochain, T(kHelpProchain));
  modifier->add_option_function<std::string>(
      "--format", [m](const std::string& s) { m->format = s; }, T(kHelpFormat));
  VYXAddJsonFlag(modifier, ctx);
  VYXSetCommand(modifier, [&ctx, m] { Modifier(ctx, *m); });
}
