// `vyx facture regler`, `document` and `vendeur`: an invoice settled in an
// account, a document written to print, and what documents say of the seller.
#include <memory>
#include <ostream>

#include "business/VYXBusinessTexts.h"
#include "business/VYXFactureDocument.h"
#include "business/VYXFactureHtml.h"
#include "business/VYXFacturePdf.h"
#include "business/VYXFactureReglement.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXCliSession.h"
#include "cli/VYXFactureCli.h"
#include "cli/VYXOpeOptions.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
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

// ---- regler

struct ReglerArgs {
  std::string document, compte, montant, date, operation, statut;
};

OpStatus ArgStatut(const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  for (int s = 0; s < kOpStatusCount; ++s) {
    if (CPEqualString(text, Utf8ToMacRoman(VYXStatusText(OpStatus(s))), false, false)) {
      return OpStatus(s);
    }
  }
  CPThrowList(paramErr, kVYXFactureTexts, kFacBadStatut, {text});
}

void Regler(VYXCliContext& ctx, const ReglerArgs& args) {
  std::optional<double> montant;
  if (!args.montant.empty()) montant = VYXArgAmount(args.montant);
  CPDate date = args.date.empty() ? 0 : VYXArgDate(args.date);
  OpStatus statut = args.statut.empty() ? OpStatus(kOpEngagee) : ArgStatut(args.statut);
  std::optional<DataID> key;
  if (!args.operation.empty()) key = VYXArgKey(args.operation);

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  int32_t id = VYXFindFacture(user, args.document);
  Facture f;
  user.GetFacture(id, &f);
  VYXSDBCompte& compte = session.OpenCompte(args.compte);
  short decimals = user.GetDecimals(kDecimalsMontants);
  DataID paid = 0;
  if (key) {
    Operation op;
    VYXDataRef ref = VYXFindOperation(compte, *key, &op);
    VYXLierReglement(user, id, compte, ref);
    paid = *key;
  } else {
    double rest = CPArrondi(double(f.header.totalTTC) - double(f.header.sold), decimals);
    if (!montant && f.header.etat >= kEtatFacture && rest == 0) {
      CPThrowList(paramErr, kVYXFactureTexts, kFacAlreadySettled, {Utf8ToMacRoman(Numero(f))});
    }
    if (date == 0) date = CPGetDate(CPGetCurrentDayOfMonth(), CPGetCurrentMonth(), CPGetCurrentYear());
    paid = VYXReglerFacture(user, id, compte, montant.value_or(rest), date, statut);
  }
  user.GetFacture(id, &f);
  Operation op;
  VYXDataRef ref = 0;
  compte.FindOperation(paid, &op, &ref);
  if (ctx.json) {
    nlohmann::json out = VYXFactureJson(user, f);
    out["reglement"] = VYXOperationJson(compte, op);
    VYXPrintJson(ctx, out);
  } else {
    if (key) {
      *ctx.out << T(kFacLinked, {std::to_string(paid), VYXText(compte.GetName()), Numero(f)})
               << '\n';
    } else {
      *ctx.out << T(kFacPaid, {VYXAmountText(op.montant), VYXText(compte.GetName()),
                               std::to_string(paid)})
               << '\n';
    }
    double rest = CPArrondi(double(f.header.totalTTC) - double(f.header.sold), decimals);
    *ctx.out << (f.header.soldee ? T(kFacNowSettled, {Numero(f)})
                                 : T(kFacStillOwed, {Numero(f), VYXAmountText(rest)}))
             << '\n';
  }
  session.Close();
}

// ---- verifier

void Verifier(VYXCliContext& ctx) {
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  session.OpenAllComptes();
  int changed = VYXRecalculerReglements(user, user.GetOpenComptes());
  if (ctx.json) {
    VYXPrintJson(ctx, {{"corriges", changed}});
  } else {
    *ctx.out << (changed == 0 ? T(kFacVerifieOk)
                              : T(kFacVerifieCorriges, {std::to_string(changed)}))
             << '\n';
  }
  session.Close();
}

// ---- document

struct DocumentArgs {
  std::string document, pdf, html;
};

void Document(VYXCliContext& ctx, const DocumentArgs& args) {
  if (args.pdf.empty() && args.html.empty()) {
    CPThrowList(paramErr, kVYXFactureTexts, kFacWhichFile);
  }
  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  int32_t id = VYXFindFacture(user, args.document);
  Facture f;
  user.GetFacture(id, &f);
  VYXFactureDocument doc = VYXMakeFactureDocument(user, f);
  nlohmann::json out = nlohmann::json::object();
  if (!args.pdf.empty()) {
    int pages = VYXWriteFacturePdf(doc, args.pdf);
    out["pdf"] = {{"fichier", args.pdf}, {"pages", pages}};
    if (!ctx.json) {
      *ctx.out << T(kFacWrittenPages, {Numero(f), args.pdf, std::to_string(pages)}) << '\n';
    }
  }
  if (!args.html.empty()) {
    VYXWriteFactureHtml(doc, args.html);
    out["html"] = {{"fichier", args.html}};
    if (!ctx.json) *ctx.out << T(kFacWritten, {Numero(f), args.html}) << '\n';
  }
  if (ctx.json) VYXPrintJson(ctx, out);
  session.Close();
}

// ---- vendeur

// One detail of the seller: its option, its name (item of 30770) and its field.
struct Detail {
  const char* option;
  int name;
  unsigned char* field;
  int capacity;
};

enum : int {
  kVenSociete = 40,
  kVenNom,
  kVenPrenom,
  kVenAdresse,
  kVenComplement,
  kVenCP,
  kVenVille,
  kVenPays,
  kVenTelephone,
  kVenMail,
  kVenForme,
  kVenCapital,
  kVenSiret,
  kVenNaf,
  kVenTvaIntra,
  kVenRcs,
  kVenMentions,
  kVenPenalites,
  kVenModalite,
  kVenHelpFirst = 60,  // the help of each option, in the same order
  kVenNothing = 80,
  kVenChanged,
  kVenBadTaux,  // ^1: the text typed
  kVenTooLong,  // ^1: the detail, ^2: the text, ^3: its width
  kVenLegal,    // the rate when none is set
};

template <size_t N>
Detail D(const char* option, int name, unsigned char (&field)[N]) {
  return {option, name, field, int(N)};
}

std::vector<Detail> Details(VYXUserAddressPrefs& id, VYXDossierComptableInfos& legal,
                            VYXUserFacturesPrefs& prefs) {
  FactureAddress& a = id.adresse;
  return {D("--societe", kVenSociete, a.societe),    D("--nom", kVenNom, a.nom),
          D("--prenom", kVenPrenom, a.prenom),       D("--adresse", kVenAdresse, a.adresse1),
          D("--complement", kVenComplement, a.adresse2), D("--cp", kVenCP, a.cp),
          D("--ville", kVenVille, a.ville),          D("--pays", kVenPays, a.pays),
          D("--telephone", kVenTelephone, id.telephone), D("--mail", kVenMail, id.mail),
          D("--forme", kVenForme, legal.formeJuridique), D("--capital", kVenCapital, legal.capital),
          D("--siret", kVenSiret, legal.siret),      D("--naf", kVenNaf, legal.naf),
          D("--tva-intra", kVenTvaIntra, legal.tvaIntra), D("--rcs", kVenRcs, legal.rcs),
          D("--mentions", kVenMentions, prefs.mentions)};
}

struct VendeurArgs {
  std::map<std::string, std::optional<std::string>> texts;
  std::string penalites, modalite;
};

void Vendeur(VYXCliContext& ctx, const VendeurArgs& args) {
  VYXUserAddressPrefs identite;
  VYXDossierComptableInfos legal;
  VYXUserFacturesPrefs prefs;
  // The details typed, read before the dossier opens.
  std::map<std::string, std::string> typed;
  for (const auto& [option, value] : args.texts) {
    if (value) typed[option] = VYXArgText(*value);
  }
  std::optional<double> taux;
  if (!args.penalites.empty()) {
    taux = VYXArgAmount(args.penalites);
    if (*taux < 0 || *taux > 100) {
      CPThrowList(paramErr, kVYXNumerotationTexts, kVenBadTaux, {VYXArgText(args.penalites)});
    }
  }
  std::optional<long> modalite;
  if (!args.modalite.empty()) {
    modalite = VYXArgLong(args.modalite, 1, kReglementLast, kVYXFactureTexts, kFacBadModalite);
  }

  VYXCliSession session(ctx);
  VYXSDBUserPreferences& user = session.Dossier();
  auto hold = std::make_unique<VYXUserPreferences::Exclusive>(user);
  user.GetPrefs(&identite);
  user.GetPrefs(&legal);
  user.GetPrefs(&prefs);
  VYXUserAddressPrefs identite0 = identite;
  VYXDossierComptableInfos legal0 = legal;
  VYXUserFacturesPrefs prefs0 = prefs;
  std::vector<Detail> details = Details(identite, legal, prefs);
  for (const Detail& d : details) {
    auto it = typed.find(d.option);
    if (it == typed.end()) continue;
    if (it->second.size() > size_t(d.capacity - 1)) {
      CPThrowList(paramErr, kVYXNumerotationTexts, kVenTooLong,
                  {CPGetListString(kVYXNumerotationTexts, d.name), it->second,
                   std::to_string(d.capacity - 1)});
    }
    StdToP(it->second, d.field, d.capacity - 1);
  }
  if (taux) prefs.tauxPenalites = *taux;
  if (modalite) prefs.modalite = uint8_t(*modalite);
  // Only what changed is written: a command that changes nothing writes nothing.
  if (std::memcmp(&identite, &identite0, sizeof identite) != 0) user.SetPrefs(identite);
  if (std::memcmp(&legal, &legal0, sizeof legal) != 0) user.SetPrefs(legal);
  if (std::memcmp(&prefs, &prefs0, sizeof prefs) != 0) user.SetPrefs(prefs);

  auto N = [](int item) { return VYXHelp(kVYXNumerotationTexts, item); };
  std::string tauxText = double(prefs.tauxPenalites) > 0
                             ? MacRomanToUtf8(MacNumToStr(prefs.tauxPenalites, -1, false)) + " %"
                             : N(kVenLegal);
  std::string modaliteText =
      prefs.modalite >= 1 && prefs.modalite <= kReglementLast
          ? VYXHelp(kVYXBusinessTexts, kBizModaliteFirst + prefs.modalite - 1)
          : std::string();
  if (ctx.json) {
    nlohmann::json out = nlohmann::json::object();
    for (const Detail& d : details) out[d.option + 2] = VYXText(PToStd(d.field));
    out["penalites"] = double(prefs.tauxPenalites);
    out["modalite"] = int(prefs.modalite);
    VYXPrintJson(ctx, out);
  } else {
    VYXTable table;
    table.AddColumn("");
    table.AddColumn("");
    for (const Detail& d : details) table.AddRow({N(d.name), VYXText(PToStd(d.field))});
    table.AddRow({N(kVenPenalites), tauxText});
    table.AddRow({N(kVenModalite), modaliteText});
    table.Print(*ctx.out, false);
  }
  hold.reset();
  session.Close();
}

}  // namespace

void VYXAddFactureReglementCommands(CLI::App& facture, VYXCliContext& ctx) {
  CLI::App* regler = VYXAddSubcommand(&facture, "regler", T(kFacHelpRegler));
  auto r = std::make_shared<ReglerArgs>();
  regler->add_option("DOCUMENT", r->document, T(kFacArgDocument))->required();
  regler->add_option("COMPTE", r->compte, T(kFacArgCompte))->required();
  regler->add_option("--montant", r->montant, T(kFacArgMontant));
  regler->add_option("--date", r->date, T(kFacArgDateReglement));
  auto* operation = regler->add_option("--operation", r->operation, T(kFacArgOperation));
  regler->add_option("--statut", r->statut, T(kFacArgStatut))->excludes(operation);
  VYXAddJsonFlag(regler, ctx);
  VYXSetCommand(regler, [&ctx, r] { Regler(ctx, *r); });

  CLI::App* verifier = VYXAddSubcommand(&facture, "verifier", T(kFacHelpVerifier));
  VYXAddJsonFlag(verifier, ctx);
  VYXSetCommand(verifier, [&ctx] { Verifier(ctx); });

  CLI::App* document = VYXAddSubcommand(&facture, "document", T(kFacHelpDocument));
  auto d = std::make_shared<DocumentArgs>();
  document->add_option("DOCUMENT", d->document, T(kFacArgDocument))->required();
  document->add_option("--pdf", d->pdf, T(kFacArgPdf));
  document->add_option("--html", d->html, T(kFacArgHtml));
  VYXAddJsonFlag(document, ctx);
  VYXSetCommand(document, [&ctx, d] { Document(ctx, *d); });

  CLI::App* vendeur = VYXAddSubcommand(&facture, "vendeur", T(kFacHelpVendeur));
  auto v = std::make_shared<VendeurArgs>();
  VYXUserAddressPrefs a;
  VYXDossierComptableInfos l;
  VYXUserFacturesPrefs p;
  int help = kVenHelpFirst;
  for (const Detail& detail : Details(a, l, p)) {
    auto& slot = v->texts[detail.option];
    vendeur->add_option_function<std::string>(
        detail.option, [&slot](const std::string& s) { slot = s; },
        VYXHelp(kVYXNumerotationTexts, help++));
  }
  vendeur->add_option("--penalites", v->penalites, VYXHelp(kVYXNumerotationTexts, help++));
  vendeur->add_option("--modalite", v->modalite, VYXHelp(kVYXNumerotationTexts, help++));
  VYXAddJsonFlag(vendeur, ctx);
  VYXSetCommand(vendeur, [&ctx, v] { Vendeur(ctx, *v); });
}
