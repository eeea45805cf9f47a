// `vyx facture`: the dossier's quotes, delivery notes and invoices, made,
// given lines, listed, shown, moved on a stage and deleted. Settlement and
// printed documents are in VYXFactureReglementCommands.cpp.
#include <algorithm>
#include <optional>
#include <memory>
#include <ostream>

#include "accounts/VYXCompteErrors.h"
#include "business/VYXBusinessTexts.h"
#include "business/VYXFactureProperties.h"
#include "business/VYXFactureStages.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXFactureCli.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

std::string T(int item, std::initializer_list<std::string> vars = {}) {
  return VYXHelp(kVYXFactureTexts, item, vars);
}

std::string Numero(const Facture& f) {
  Str255 numero;
  f.GetNumero(numero);
  return numero[0] ? VYXText(PToStd(numero)) : VYXHelp(kVYXBusinessTexts, kBizSansNumero);
}

// The document as a sentence names it: "la facture F2024-0007".
std::string Named(const Facture& f) {
  EtatFacture etat = std::clamp<EtatFacture>(f.header.etat, kEtatDevis, kEtatFacture);
  return T(kFacStageNameFirst + etat - 1, {Numero(f)});
}

std::string ListName(VYXCompteList list) {
  return CPGetListString(kVYXCompteErrorsList, kVYXListNamesFirstItem + int(list));
}

// ---- creer

struct CreerArgs {
  std::string client, date, libelle, reference, numero, mode, modalite, echeance;
  bool devis = false, bl = false;
};

ModaliteReglement ArgModalite(const std::string& text) {
  return ModaliteReglement(
      VYXArgLong(text, 1, kReglementLast, kVYXFactureTexts, kFacBadModalite));
}

void Creer(VYXCliContext& ctx, const CreerArgs& args) {
  EtatFacture etat = args.devis ? kEtatDevis : args.bl ? kEtatBL : kEtatFacture;
  CPDate date = args.date.empty() ? 0 : VYXArgDate(args.date);
  std::string libelle = VYXArgText(args.libelle), reference = VYXArgText(args.reference),
              numero = VYXArgText(args.numero), client = VYXArgText(args.client),
              mode = VYXArgText(args.mode);
  std::optional<ModaliteReglement> modalite;
  if (!args.modalite.empty()) modalite = ArgModalite(args.modalite);
  CPDate echeance = args.echeance.empty() ? 0 : VYXArgDate(args.echeance);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  if (date == 0) date = CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear());
  CPResID clientID = VYXFindUserItem(user.GetTiers(), ListName(kVYXListTiers), client);
  if (clientID == 0) CPThrowList(paramErr, kVYXFactureTexts, kFacNoClient);
  CPResID modeID = VYXFindUserItem(user.GetModes(), ListName(kVYXListModes), mode);
  Facture f = VYXNouvelleFacture(user, clientID, etat, date);
  StdToP(libelle, f.header.libelle, 99);
  StdToP(reference, f.header.reference, 12);
  f.header.mode = modeID;
  if (modalite) f.header.modalite = *modalite;
  if (echeance) {
    f.header.modalite = kReglementDateFixe;
    f.header.echeance = echeance;
  }
  int32_t id = 0;
  {
    VYXUserPreferences::Exclusive hold(user);
    VYXNumeroterEtat(user, f, etat, date, numero);
    user.AddFacture(f, &id);
  }
  user.GetFacture(id, &f);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXFactureJson(user, f));
  } else {
    *ctx.out << T(kFacCreatedFirst + etat - 1,
                  {Numero(f), std::to_string(DataID(f.header.header.dataID))})
             << '\n';
  }
  session.Close();
}

// ---- ligne

struct LigneArgs {
  std::string document, article, libelle, prix, tva, quantite, remise, reference, eco;
  std::string mot;    // special
  std::string ligne;  // supprimer
};

double ArgRemise(const std::string& text) {
  double r = VYXArgAmount(text);
  if (r < 0 || r > 100) CPThrowList(paramErr, kVYXFactureTexts, kFacBadRemise, {VYXArgText(text)});
  return r;
}

void Store(VYXCliContext& ctx, VYXCliSession& session, int32_t id, const Facture& old,
           Facture& f, int message, size_t line) {
  VYXSDBUserPreferences& user = session.Dossier();
  user.ModifyFacture(id, old, f);
  user.GetFacture(id, &f);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXFactureJson(user, f));
  } else {
    *ctx.out << T(message, {std::to_string(line), Numero(f)}) << '\n';
  }
}

void LigneAjouter(VYXCliContext& ctx, const LigneArgs& args) {
  std::string libelle = VYXArgText(args.libelle), reference = VYXArgText(args.reference),
              article = VYXArgText(args.article), tva = VYXArgText(args.tva);
  std::optional<double> prix, eco;
  if (!args.prix.empty()) prix = VYXArgAmount(args.prix);
  if (!args.eco.empty()) eco = VYXArgAmount(args.eco);
  double quantite = args.quantite.empty() ? 1 : VYXArgAmount(args.quantite);
  double remise = args.remise.empty() ? 0 : ArgRemise(args.remise);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  int32_t id = VYXFindFacture(user, args.document);
  CPResID articleID = VYXFindUserItem(user.GetArticles(), T(kFacListArticles), article);
  CPResID tauxID = VYXFindUserItem(user.GetTauxTVA(), ListName(kVYXListTauxTVA), tva);
  LigneFacture l;
  if (articleID != 0) {
    Article a;
    user.GetArticles().GetResource(articleID, &a);
    Str255 name;
    user.GetArticles().GetResourceName(articleID, name);
    l.article = articleID;
    TruncPString(l.libelle, name, 99);
    TruncPString(l.reference, a.reference, 12);
    l.prixUnitaire = a.prixUnitaire;
    l.tauxTVA = a.tauxTVA;
    l.ecoParticipation = a.ecoParticipation;
    l.quantity = quantite;
  } else if (prix || tauxID != 0) {
    // A line typed freely: its price and its rate say what it costs.
    if (!prix || tauxID == 0) CPThrowList(paramErr, kVYXFactureTexts, kFacFreeLineNeeds);
    l.quantity = quantite;
  }
  // Otherwise a line of text alone: no quantity, no price.
  if (!libelle.empty()) StdToP(libelle, l.libelle, 99);
  if (!reference.empty()) StdToP(reference, l.reference, 12);
  if (prix) l.prixUnitaire = *prix;
  if (tauxID != 0) l.tauxTVA = tauxID;
  if (eco) l.ecoParticipation = *eco;
  l.remise = remise;

  Facture f;
  user.GetFacture(id, &f);
  Facture old = f;
  f.lignes.push_back(l);
  Store(ctx, session, id, old, f, kFacLigneAdded, f.lignes.size());
  hold.reset();
  session.Close();
}

void LigneSpecial(VYXCliContext& ctx, const LigneArgs& args) {
  std::string mot = VYXArgText(args.mot), libelle = VYXArgText(args.libelle);
  LigneFacture l;
  StdToP(mot, l.reference, 12);
  int kind = l.IsSpecialItem() ? l.GetSpecialItem() : -1;
  if (kind != kLigneZero && kind != kLigneSousTotal && kind != kLigneTotal) {
    CPThrowList(paramErr, kVYXFactureTexts, kFacBadSpecial, {mot});
  }
  // Written as the system spells them, whatever the case typed.
  StdToP(kind == kLigneZero ? "=ZERO" : kind == kLigneSousTotal ? "=SSTOT" : "=TOTAL", l.reference,
         12);
  StdToP(libelle, l.libelle, 99);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  int32_t id = VYXFindFacture(user, args.document);
  Facture f;
  user.GetFacture(id, &f);
  Facture old = f;
  f.lignes.push_back(l);
  Store(ctx, session, id, old, f, kFacLigneAdded, f.lignes.size());
  hold.reset();
  session.Close();
}

void LigneSupprimer(VYXCliContext& ctx, const LigneArgs& args) {
  long n = VYXArgLong(args.ligne, 1, 100000, kVYXFactureTexts, kFacBadLigne);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  int32_t id = VYXFindFacture(user, args.document);
  Facture f;
  user.GetFacture(id, &f);
  if (size_t(n) > f.lignes.size()) {
    CPThrowList(kCPErrNotFound, kVYXFactureTexts, kFacNoSuchLigne,
                {Utf8ToMacRoman(Numero(f)), std::to_string(n)});
  }
  Facture old = f;
  f.lignes.erase(f.lignes.begin() + (n - 1));
  Store(ctx, session, id, old, f, kFacLigneDeleted, size_t(n));
  hold.reset();
  session.Close();
}

// ---- liste

struct ListeArgs {
  std::string etat, client;
  bool nonSoldees = false;
};

EtatFacture ArgEtat(const std::string& text) {
  std::string typed = VYXArgText(text);
  for (EtatFacture e : {kEtatDevis, kEtatBL, kEtatFacture}) {
    if (CPEqualString(typed, Utf8ToMacRoman(VYXEtatText(e)), false, false)) return e;
  }
  if (CPEqualString(typed, "bl", false, false)) return kEtatBL;
  CPThrowList(paramErr, kVYXFactureTexts, kFacBadStage, {typed});
}

void Liste(VYXCliContext& ctx, const ListeArgs& args) {
  std::optional<EtatFacture> etat;
  if (!args.etat.empty()) etat = ArgEtat(args.etat);
  std::string client = VYXArgText(args.client);
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  CPResID clientID = VYXFindUserItem(user.GetTiers(), ListName(kVYXListTiers), client);
  VYXTable table;
  for (int col : {kFacColCle, kFacColEtat, kFacColNumero, kFacColDate, kFacColClient,
                  kFacColLibelle}) {
    table.AddColumn(T(col));
  }
  table.AddColumn(T(kFacColTotalTTC), VYXTable::kRight);
  table.AddColumn(T(kFacColRegle), VYXTable::kRight);
  table.AddColumn(T(kFacColEcheance));
  nlohmann::json out = nlohmann::json::array();
  int32_t count = user.GetNbOfFactures();
  for (int32_t n = 1; n <= count; ++n) {
    Facture f;
    if (!user.GetFacture(n, &f)) continue;
    const FactureHeader& h = f.header;
    if (etat && h.etat != *etat) continue;
    if (clientID != 0 && h.client != clientID) continue;
    if (args.nonSoldees && (h.etat < kEtatFacture || h.soldee)) continue;
    CPDate date = h.etat == kEtatDevis ? CPDate(h.date_devis)
                  : h.etat == kEtatBL  ? CPDate(h.date_bl)
                                       : CPDate(h.date);
    std::string due = h.etat >= kEtatFacture
                          ? (h.soldee ? T(kFacSoldee) : VYXDateText(h.echeance))
                          : std::string();
    table.AddRow({std::to_string(DataID(h.header.dataID)), VYXEtatText(h.etat), Numero(f),
                  VYXDateText(date), VYXUserItemName(user.GetTiers(), h.client),
                  VYXText(PToStd(h.libelle)), VYXAmountText(h.totalTTC),
                  h.etat >= kEtatFacture ? VYXAmountText(h.sold) : std::string(), due});
    out.push_back(VYXFactureJson(user, f));
  }
  if (ctx.json) {
    VYXPrintJson(ctx, out);
  } else if (out.empty()) {
    *ctx.out << T(count == 0 ? kFacNone : kFacNoneMatching) << '\n';
  } else {
    table.Print(*ctx.out);
  }
  session.Close();
}

// ---- voir

void Voir(VYXCliContext& ctx, const std::string& document) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  int32_t id = VYXFindFacture(user, document);
  Facture f;
  user.GetFacture(id, &f);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXFactureJson(user, f));
    session.Close();
    return;
  }
  // The document's properties that say something, by their names.
  VYXTable head;
  head.AddColumn("");
  head.AddColumn("");
  head.AddRow({T(kFacColCle), std::to_string(DataID(f.header.header.dataID))});
  for (const VYXFactureProperty& p : VYXFactureProperties()) {
    if (VYXIsLineProperty(p.code) || p.code == 'nlig' || p.code == 'ttht' || p.code == 'ttva' ||
        p.code == 'tttc' || p.code == 'moda' || p.code == 'livr' || p.code == 'mois' ||
        p.code == 'cpte' || p.code == 'rela' || p.code == 'slde' || p.code == 'etaD') {
      continue;
    }
    std::string value;
    if (!VYXGetFactureProperty(user, f, p.code, 0, &value) || value.empty() || value == "0") {
      continue;
    }
    std::string shown = VYXText(value);
    // Amounts as every command writes them.
    if (p.code == 'sold') shown = VYXAmountText(f.header.sold);
    if (p.code == 'tep ') {
      double eco = 0;
      user.CalculateFacture(f, nullptr, &eco, nullptr);
      shown = VYXAmountText(eco);
    }
    head.AddRow({VYXText(VYXFacturePropertyName(p)), shown});
  }
  head.Print(*ctx.out, false);
  *ctx.out << '\n';
  short decimals = user.GetDecimals(kDecimalsMontants);
  VYXTable lines;
  lines.AddColumn(T(kFacColLigne), VYXTable::kRight);
  lines.AddColumn(T(kFacColReference));
  lines.AddColumn(T(kFacColDesignation));
  for (int col : {kFacColQuantite, kFacColPrix, kFacColRemise, kFacColTva, kFacColTotalHT}) {
    lines.AddColumn(T(col), VYXTable::kRight);
  }
  for (size_t i = 0; i < f.lignes.size(); ++i) {
    const LigneFacture& l = f.lignes[i];
    std::string no = std::to_string(i + 1);
    std::string ref = VYXText(PToStd(l.reference)), label = VYXText(PToStd(l.libelle));
    if (l.IsSpecialItem() && l.GetSpecialItem() != kLigneTexte) {
      std::string value = l.GetSpecialItem() == kLigneZero
                              ? std::string()
                              : VYXAmountText(f.GetSpecialItemTotal(int(i) + 1, decimals));
      lines.AddRow({no, ref, label, "", "", "", "", value});
      continue;
    }
    bool texte = l.reference[0] == 0 && double(l.quantity) == 0 && double(l.prixUnitaire) == 0;
    if (texte) {
      lines.AddRow({no, "", label, "", "", "", "", ""});
      continue;
    }
    std::string remise =
        double(l.remise) != 0 ? MacRomanToUtf8(MacNumToStr(l.remise, -1, false)) + " %" : "";
    std::string taux =
        MacRomanToUtf8(MacNumToStr(VYXTauxOfLigne(user.GetTauxTVA(), l.tauxTVA), -1, false)) +
        " %";
    lines.AddRow({no, ref, label, MacRomanToUtf8(MacNumToStr(l.quantity, -1, false)),
                  VYXAmountText(l.prixUnitaire), remise, taux,
                  VYXAmountText(l.GetTotalHT(decimals))});
  }
  if (!f.lignes.empty()) {
    lines.Print(*ctx.out);
    *ctx.out << '\n';
  }
  std::vector<FactureTVATotal> rates;
  user.CalculateFacture(f, &rates, nullptr, nullptr);
  VYXTable vat;
  vat.AddColumn(T(kFacColTaux), VYXTable::kRight);
  vat.AddColumn(T(kFacColBase), VYXTable::kRight);
  vat.AddColumn(T(kFacColMontantTva), VYXTable::kRight);
  bool any = false;
  for (const FactureTVATotal& t : rates) {
    if (t.baseHT == 0) continue;
    any = true;
    vat.AddRow({MacRomanToUtf8(MacNumToStr(t.taux, -1, false)) + " %", VYXAmountText(t.baseHT),
                VYXAmountText(t.tva)});
  }
  if (any) {
    vat.Print(*ctx.out);
    *ctx.out << '\n';
  }
  VYXTable totals;
  totals.AddColumn("");
  totals.AddColumn("", VYXTable::kRight);
  totals.AddRow({VYXHelp(kVYXBusinessTexts, kBizTotalHT), VYXAmountText(f.header.totalHT)});
  totals.AddRow({VYXHelp(kVYXBusinessTexts, kBizTotalTVA), VYXAmountText(f.header.totalTVA)});
  totals.AddRow({VYXHelp(kVYXBusinessTexts, kBizTotalTTC), VYXAmountText(f.header.totalTTC)});
  if (f.header.etat >= kEtatFacture) {
    totals.AddRow({VYXHelp(kVYXBusinessTexts, kBizDejaRegle), VYXAmountText(f.header.sold)});
  }
  totals.Print(*ctx.out, false);
  session.Close();
}

// ---- etat

struct EtatArgs {
  std::string document, etape, date, numero;
};

void Etat(VYXCliContext& ctx, const EtatArgs& args) {
  std::string etape = VYXArgText(args.etape);
  CPDate date = args.date.empty() ? 0 : VYXArgDate(args.date);
  std::string numero = VYXArgText(args.numero);
  // A quote's answer, or a stage.
  std::optional<EtatDevis> reponse;
  const std::pair<const char*, EtatDevis> answers[] = {
      {"accepte", kDevisAccepte}, {"refuse", kDevisRefuse}, {"en-cours", kDevisEnCours}};
  for (auto [word, state] : answers) {
    if (CPEqualString(etape, word, false, false)) reponse = state;
  }
  std::optional<EtatFacture> etat;
  if (!reponse) etat = ArgEtat(args.etape);
  if (etat == kEtatDevis) CPThrowList(paramErr, kVYXFactureTexts, kFacBadStage, {etape});

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  int32_t id = VYXFindFacture(user, args.document);
  Facture f;
  user.GetFacture(id, &f);
  Facture old = f;
  std::string before = Named(f);
  if (reponse) {
    if (f.header.etat != kEtatDevis) {
      CPThrowList(paramErr, kVYXFactureTexts, kFacNotAQuote, {Utf8ToMacRoman(before)});
    }
    f.header.etatDevis = *reponse;
    user.ModifyFacture(id, old, f);
    if (ctx.json) {
      VYXPrintJson(ctx, VYXFactureJson(user, f));
    } else {
      *ctx.out << T(kFacQuoteState,
                    {Numero(f), VYXHelp(kVYXBusinessTexts, kBizEtatDevisFirst + *reponse - 1)})
               << '\n';
    }
    hold.reset();
  session.Close();
    return;
  }
  if (f.header.etat >= *etat) {
    CPThrowList(paramErr, kVYXFactureTexts, kFacNoGoingBack,
                {Utf8ToMacRoman(before), Utf8ToMacRoman(VYXEtatText(f.header.etat))});
  }
  if (date == 0) date = CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear());
  VYXNumeroterEtat(user, f, *etat, date, numero);
  user.ModifyFacture(id, old, f);
  user.GetFacture(id, &f);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXFactureJson(user, f));
  } else {
    std::string after = Named(f);
    *ctx.out << T(kFacBecomes, {std::string(1, char(std::toupper(before[0]))) + before.substr(1), after}) << '\n';
  }
  hold.reset();
  session.Close();
}

// ---- supprimer

void Supprimer(VYXCliContext& ctx, const std::string& document) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  int32_t id = VYXFindFacture(user, document);
  Facture f;
  user.GetFacture(id, &f);
  std::string name = Utf8ToMacRoman(Named(f));
  std::string question = CPGetListString(kVYXFactureTexts, double(f.header.sold) != 0
                                                               ? kFacConfirmDeletePaid
                                                               : kFacConfirmDelete);
  CPReplaceVar(question, 1, name);
  CPReplaceVar(question, 2, Utf8ToMacRoman(VYXAmountText(f.header.sold)));
  if (!CPGetInteraction().AskYesNo(question, false)) CPThrowCancel();
  user.DeleteFacture(id);
  if (ctx.json) {
    VYXPrintJson(ctx, VYXFactureJson(user, f));
  } else {
    *ctx.out << T(kFacDeleted, {Numero(f)}) << '\n';
  }
  hold.reset();
  session.Close();
}

}  // namespace

void VYXAddFactureCommands(CLI::App& app, VYXCliContext& ctx) {
  CLI::App* facture = VYXAddSubcommand(&app, "facture", T(kFacHelp));
  facture->require_subcommand(1);

  CLI::App* creer = VYXAddSubcommand(facture, "creer", T(kFacHelpCreer));
  auto c = std::make_shared<CreerArgs>();
  creer->add_option("--client", c->client, T(kFacArgClient))->required();
  auto* devis = creer->add_flag("--devis", c->devis, T(kFacArgDevis));
  auto* bl = creer->add_flag("--bl", c->bl, T(kFacArgBL))->excludes(devis);
  auto fac = std::make_shared<bool>(false);
  creer->add_flag("--facture", *fac, T(kFacArgFacture))->excludes(devis)->excludes(bl);
  creer->add_option("--date", c->date, T(kFacArgDate));
  creer->add_option("--libelle", c->libelle, T(kFacArgLibelle));
  creer->add_option("--reference", c->reference, T(kFacArgReference));
  creer->add_option("--numero", c->numero, T(kFacArgNumero));
  creer->add_option("--mode", c->mode, T(kFacArgMode));
  creer->add_option("--modalite", c->modalite, T(kFacArgModalite));
  creer->add_option("--echeance", c->echeance, T(kFacArgEcheance));
  VYXAddJsonFlag(creer, ctx);
  VYXSetCommand(creer, [&ctx, c] { Creer(ctx, *c); });

  CLI::App* ligne = VYXAddSubcommand(facture, "ligne", T(kFacHelpLigne));
  ligne->require_subcommand(1);
  auto l = std::make_shared<LigneArgs>();
  CLI::App* ajouter = VYXAddSubcommand(ligne, "ajouter", T(kFacHelpLigneAjouter));
  ajouter->add_option("DOCUMENT", l->document, T(kFacArgDocument))->required();
  ajouter->add_option("--article", l->article, T(kFacArgArticle));
  ajouter->add_option("--libelle", l->libelle, T(kFacArgLigneLibelle));
  ajouter->add_option("--prix", l->prix, T(kFacArgPrix));
  ajouter->add_option("--tva", l->tva, T(kFacArgTva));
  ajouter->add_option("--quantite", l->quantite, T(kFacArgQuantite));
  ajouter->add_option("--remise", l->remise, T(kFacArgRemise));
  ajouter->add_option("--reference", l->reference, T(kFacArgLigneReference));
  ajouter->add_option("--eco", l->eco, T(kFacArgEco));
  VYXAddJsonFlag(ajouter, ctx);
  VYXSetCommand(ajouter, [&ctx, l] { LigneAjouter(ctx, *l); });
  CLI::App* special = VYXAddSubcommand(ligne, "special", T(kFacHelpLigneSpecial));
  special->add_option("DOCUMENT", l->document, T(kFacArgDocument))->required();
  special->add_option("MOT", l->mot, T(kFacArgMot))->required();
  special->add_option("--libelle", l->libelle, T(kFacArgLigneLibelle));
  VYXAddJsonFlag(special, ctx);
  VYXSetCommand(special, [&ctx, l] { LigneSpecial(ctx, *l); });
  CLI::App* enlever = VYXAddSubcommand(ligne, "supprimer", T(kFacHelpLigneSupprimer));
  enlever->add_option("DOCUMENT", l->document, T(kFacArgDocument))->required();
  enlever->add_option("LIGNE", l->ligne, T(kFacArgLigne))->required();
  VYXAddJsonFlag(enlever, ctx);
  VYXSetCommand(enlever, [&ctx, l] { LigneSupprimer(ctx, *l); });

  CLI::App* liste = VYXAddSubcommand(facture, "liste", T(kFacHelpListe));
  auto la = std::make_shared<ListeArgs>();
  liste->add_option("--etat", la->etat, T(kFacArgFiltreEtat));
  liste->add_option("--client", la->client, T(kFacArgFiltreClient));
  liste->add_flag("--non-soldees", la->nonSoldees, T(kFacArgNonSoldees));
  VYXAddJsonFlag(liste, ctx);
  VYXSetCommand(liste, [&ctx, la] { Liste(ctx, *la); });

  CLI::App* voir = VYXAddSubcommand(facture, "voir", T(kFacHelpVoir));
  auto doc = std::make_shared<std::string>();
  voir->add_option("DOCUMENT", *doc, T(kFacArgDocument))->required();
  VYXAddJsonFlag(voir, ctx);
  VYXSetCommand(voir, [&ctx, doc] { Voir(ctx, *doc); });

  CLI::App* etat = VYXAddSubcommand(facture, "etat", T(kFacHelpEtat));
  auto e = std::make_shared<EtatArgs>();
  etat->add_option("DOCUMENT", e->document, T(kFacArgDocument))->required();
  etat->add_option("ETAPE", e->etape, T(kFacArgEtape))->required();
  etat->add_option("--date", e->date, T(kFacArgDate));
  etat->add_option("--numero", e->numero, T(kFacArgNumero));
  VYXAddJsonFlag(etat, ctx);
  VYXSetCommand(etat, [&ctx, e] { Etat(ctx, *e); });

  CLI::App* supprimer = VYXAddSubcommand(facture, "supprimer", T(kFacHelpSupprimer));
  supprimer->add_option("DOCUMENT", *doc, T(kFacArgDocument))->required();
  VYXAddJsonFlag(supprimer, ctx);
  VYXSetCommand(supprimer, [&ctx, doc] { Supprimer(ctx, *doc); });

  VYXAddFactureReglementCommands(*facture, ctx);
}
