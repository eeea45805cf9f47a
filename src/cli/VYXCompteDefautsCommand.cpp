// `vyx compte defauts COMPTE [options]`: the values a new operation of the
// account starts from (its sense, status, payment mode, category,
// allocation, the VAT rates of expenses and receipts, its month rule),
// shown, or changed field by field. List items are named as for `ope`: found
// in the account, else in the dossier (and then copied into the account),
// never made up.
#include <optional>
#include <ostream>

#include "accounts/VYXSDBCompte.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXCompteMoreTexts.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "platform/CPOSErr.h"

namespace {

std::string T(int item) { return VYXHelp(kVYXCompteMoreTexts, item); }
std::string M(int item) { return CPGetListString(kVYXCompteMoreTexts, item); }

struct DefautsArgs {
  std::optional<std::string> sens, statut, mode, categorie, affectation, tvaDep, tvaRec, mois;
};

bool Is(const std::string& macRoman, int item) {
  return CPEqualString(macRoman, M(item), false, false);
}

MontantType SensOf(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (Is(text, kSensDebit)) return kMontantDebit;
  if (Is(text, kSensCredit)) return kMontantCredit;
  CPThrowList(paramErr, kVYXCompteMoreTexts, kBadSens, {text});
}

// A month 1 to 12, or one of the three rules relative to the operation's date.
CPMonth MoisOf(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  if (Is(text, kMoisCourant)) return kVYXMoisCourant;
  if (Is(text, kMoisSuivant)) return kVYXMoisSuivant;
  if (Is(text, kMoisPrecedent)) return kVYXMoisPrecedent;
  if (!text.empty() && text.size() <= 2 &&
      text.find_first_not_of("0123456789") == std::string::npos) {
    int month = std::stoi(text);
    if (month >= 1 && month <= 12) return CPMonth(month);
  }
  CPThrowList(paramErr, kVYXCompteMoreTexts, kBadMois, {text});
}

std::string MoisText(CPMonth mois) {
  switch (mois) {
    case kVYXMoisCourant: return T(kMoisCourant);
    case kVYXMoisSuivant: return T(kMoisSuivant);
    case kVYXMoisPrecedent: return T(kMoisPrecedent);
    default: return std::to_string(mois);
  }
}

// The account's item `id` of `list` for a new operation; the given one, found
// and made the account's own, when `name` is set.
void TakeItem(VYXCliSession& session, VYXCompte& compte, VYXCompteList list,
              const std::optional<std::string>& name, CPResID* id) {
  if (!name) return;
  VYXOpeItems items(session, compte);
  items.Find(list, *name);
  items.Make();
  *id = items.ID(list);
}

void Defauts(VYXCliContext& ctx, const std::string& nom, const DefautsArgs& args) {
  std::optional<MontantType> sens;
  if (args.sens) sens = SensOf(*args.sens);
  VYXOpeArgs typed;
  typed.statut = args.statut;
  VYXOpeValues values = VYXReadOpeArgs(typed);
  std::optional<CPMonth> mois;
  if (args.mois) mois = MoisOf(*args.mois);
  std::optional<std::string> names[] = {args.mode, args.categorie, args.affectation, args.tvaDep,
                                        args.tvaRec};
  for (auto& name : names) {
    if (name) name = VYXArgText(*name);
  }

  VYXCliSession session(ctx);
  VYXSDBCompte& compte = session.OpenCompte(nom);
  VYXCompteDefaultValues d = compte.GetDefaultValues();
  // Every name is looked for before the first is copied into the account,
  // so that an unknown one leaves the account as it was.
  for (auto [list, name] : {std::pair{kVYXListModes, &names[0]},
                            {kVYXListCategories, &names[1]},
                            {kVYXListAffectations, &names[2]},
                            {kVYXListTauxTVA, &names[3]},
                            {kVYXListTauxTVA, &names[4]}}) {
    if (*name) VYXOpeItems(session, compte).Find(list, **name);
  }
  TakeItem(session, compte, kVYXListModes, names[0], &d.mode);
  TakeItem(session, compte, kVYXListCategories, names[1], &d.categorie);
  TakeItem(session, compte, kVYXListAffectations, names[2], &d.affectation);
  TakeItem(session, compte, kVYXListTauxTVA, names[3], &d.tvaDep);
  TakeItem(session, compte, kVYXListTauxTVA, names[4], &d.tvaRec);
  if (sens) d.debCred = *sens;
  if (values.status) d.status = *values.status;
  if (mois) d.mois = *mois;
  bool changed = sens || values.status || mois;
  for (const auto& name : names) changed = changed || name.has_value();
  if (changed) compte.SetDefaultValues(d);

  d = compte.GetDefaultValues();
  auto item = [&](VYXCompteList list, CPResID id) { return VYXItemName(compte, list, id); };
  std::string sensText = T(d.debCred == kMontantCredit ? kSensCredit : kSensDebit);
  if (ctx.json) {
    auto name = [&](VYXCompteList list, CPResID id) {
      std::string n = item(list, id);
      return n.empty() ? nlohmann::json(nullptr) : nlohmann::json(n);
    };
    nlohmann::json moisJson = d.mois >= 1 && d.mois <= 12 ? nlohmann::json(int(d.mois))
                                                          : nlohmann::json(MoisText(d.mois));
    VYXPrintJson(ctx, {{"nom", VYXText(compte.GetName())},
                       {"defauts",
                        {{"sens", d.debCred == kMontantCredit ? "credit" : "debit"},
                         {"status", int(d.status)},
                         {"mode", name(kVYXListModes, d.mode)},
                         {"categorie", name(kVYXListCategories, d.categorie)},
                         {"affectation", name(kVYXListAffectations, d.affectation)},
                         {"tvaDepense", name(kVYXListTauxTVA, d.tvaDep)},
                         {"tvaRecette", name(kVYXListTauxTVA, d.tvaRec)},
                         {"mois", moisJson}}}});
  } else {
    auto shown = [&](const std::string& text) { return text.empty() ? T(kNone) : text; };
    *ctx.out << VYXHelp(kVYXCompteMoreTexts, kDefautsOf, {VYXText(compte.GetName())}) << '\n';
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("");
    table.AddRow({T(kDefautsSens), sensText});
    table.AddRow({T(kDefautsStatut), VYXStatusText(d.status)});
    table.AddRow({T(kDefautsMode), shown(item(kVYXListModes, d.mode))});
    table.AddRow({T(kDefautsCategorie), shown(item(kVYXListCategories, d.categorie))});
    table.AddRow({T(kDefautsAffectation), shown(item(kVYXListAffectations, d.affectation))});
    table.AddRow({T(kDefautsTvaDepense), shown(item(kVYXListTauxTVA, d.tvaDep))});
    table.AddRow({T(kDefautsTvaRecette), shown(item(kVYXListTauxTVA, d.tvaRec))});
    table.AddRow({T(kDefautsMois), MoisText(d.mois)});
    table.Print(*ctx.out, false);
  }
  session.Close();
}

}  // namespace

void VYXAddCompteDefautsCommand(CLI::App* compte, VYXCliContext& ctx) {
  CLI::App* defauts = VYXAddSubcommand(compte, "defauts", T(kHelpDefauts));
  auto nom = std::make_shared<std::string>();
  auto args = std::make_shared<DefautsArgs>();
  defauts->add_option("NOM", *nom, T(kHelpNomCompte))->required();
  defauts->add_option("--sens", args->sens, T(kHelpDefautsSens));
  defauts->add_option("--statut", args->statut, T(kHelpDefautsStatut));
  defauts->add_option("--mode", args->mode, T(kHelpDefautsMode));
  defauts->add_option("--categorie", args->categorie, T(kHelpDefautsCategorie));
  defauts->add_option("--affectation", args->affectation, T(kHelpDefautsAffectation));
  defauts->add_option("--tva-depense", args->tvaDep, T(kHelpDefautsTvaDepense));
  defauts->add_option("--tva-recette", args->tvaRec, T(kHelpDefautsTvaRecette));
  defauts->add_option("--mois", args->mois, T(kHelpDefautsMois));
  VYXAddJsonFlag(defauts, ctx);
  VYXSetCommand(defauts, [&ctx, nom, args] { Defauts(ctx, *nom, *args); });
}
