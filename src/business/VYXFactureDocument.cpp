#include "business/VYXFactureDocument.h"

#include <cstdio>

#include "business/VYXBusinessTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"

namespace {

const std::string kNoBreak = "\u00A0";
// Between the groups of a number's digits: a narrow space that never breaks.
const std::string kThinNoBreak = "\u202F";

std::string U(const std::string& macRoman) { return MacRomanToUtf8(macRoman); }
std::string U(ConstStringPtr p) { return MacRomanToUtf8(PToStd(p)); }

std::string Text(int item, std::initializer_list<std::string> vars = {}) {
  std::string text = CPGetListString(kVYXBusinessTexts, item);
  int n = 1;
  for (const std::string& v : vars) CPReplaceVar(text, n++, Utf8ToMacRoman(v));
  return U(text);
}

class Formatter {
 public:
  Formatter(VYXUserPreferences& user, OSType devise)
      : decimals_(user.GetDecimals(kDecimalsMontants)),
        thousands_(user.GetProPrefs().separateurMilliers != 0) {
    OSType code = devise != 0 ? devise : user.DeviseIdToCode(1);
    if (code == 'EUR ') {
      symbol_ = "€";
    } else {
      for (int i = 0; i < 4; ++i) {
        char c = char(code >> (24 - 8 * i));
        if (c != ' ' && c != 0) symbol_ += c;
      }
    }
  }
  std::string Number(double value, int decimals) const {
    std::string s = U(MacNumToStr(value, decimals, thousands_));
    for (size_t at = s.find(' '); at != std::string::npos; at = s.find(' ', at)) {
      s.replace(at, 1, kThinNoBreak);
    }
    return s;
  }
  std::string Amount(double value) const { return Number(value, decimals_); }
  std::string Money(double value) const {
    return symbol_.empty() ? Amount(value) : Amount(value) + kNoBreak + symbol_;
  }
  std::string Percent(double value) const { return Number(value, -1) + kNoBreak + "%"; }
  short Decimals() const { return decimals_; }

 private:
  short decimals_;
  bool thousands_;
  std::string symbol_;
};

// An address as lines: the company (or the person) first.
std::vector<std::string> AddressLines(const FactureAddress& a, const std::string& fallback) {
  std::vector<std::string> lines;
  auto add = [&](const std::string& s) {
    if (!s.empty()) lines.push_back(s);
  };
  std::string person = U(a.prenom);
  if (a.nom[0]) person += (person.empty() ? "" : " ") + U(a.nom);
  if (a.societe[0]) {
    add(U(a.societe));
    add(person);
  } else {
    add(person.empty() ? fallback : person);
  }
  add(U(a.adresse1));
  add(U(a.adresse2));
  std::string town = U(a.cp);
  if (a.ville[0]) town += (town.empty() ? "" : " ") + U(a.ville);
  add(town);
  add(U(a.pays));
  return lines;
}

std::string Join(const std::vector<std::string>& parts, const std::string& sep) {
  std::string out;
  for (const std::string& p : parts) {
    if (p.empty()) continue;
    if (!out.empty()) out += sep;
    out += p;
  }
  return out;
}

}  // namespace

std::string VYXDocumentDate(CPDate date) {
  if (date == 0) return std::string();
  char text[16];
  std::snprintf(text, sizeof text, "%02d/%02d/%04d", CPGetDayOfMonth(date), CPGetMonth(date),
                CPGetYear(date));
  return text;
}

VYXFactureDocument VYXMakeFactureDocument(VYXUserPreferences& user, const Facture& facture) {
  const FactureHeader& h = facture.header;
  Formatter fmt(user, h.devise);
  VYXFactureDocument doc;

  // ---- Title, number, dates
  bool invoice = h.etat >= kEtatFacture;
  doc.titre = Text(h.etat == kEtatDevis ? kBizTitreDevis
                   : h.etat == kEtatBL  ? kBizTitreBL
                   : double(h.totalTTC) < 0 ? kBizTitreAvoir
                                            : kBizTitreFacture);
  Str255 numero;
  facture.GetNumero(numero);
  if (numero[0]) doc.numero = Text(kBizNumero, {U(numero)});
  CPDate date = h.etat == kEtatDevis ? CPDate(h.date_devis)
                : h.etat == kEtatBL  ? CPDate(h.date_bl)
                                     : CPDate(h.date);
  if (date) doc.infos.push_back(Text(kBizDate, {VYXDocumentDate(date)}));
  if (invoice && h.echeance) doc.infos.push_back(Text(kBizEcheance, {VYXDocumentDate(h.echeance)}));
  if (h.reference[0]) doc.infos.push_back(Text(kBizReference, {U(h.reference)}));
  if (h.etat >= kEtatBL && h.no_devis[0]) {
    doc.infos.push_back(Text(kBizDevisDate, {U(h.no_devis), VYXDocumentDate(h.date_devis)}));
  }
  if (invoice && h.no_bl[0]) {
    doc.infos.push_back(Text(kBizBLDate, {U(h.no_bl), VYXDocumentDate(h.date_bl)}));
  }
  doc.libelle = U(h.libelle);

  // ---- The seller
  VYXUserAddressPrefs identite;
  VYXDossierComptableInfos legal;
  user.GetPrefs(&identite);
  user.GetPrefs(&legal);
  doc.vendeur = AddressLines(identite.adresse, std::string());
  if (identite.telephone[0]) doc.vendeur.push_back(Text(kBizTelephone, {U(identite.telephone)}));
  if (identite.mail[0]) doc.vendeur.push_back(U(identite.mail));
  std::vector<std::string> foot;
  if (legal.formeJuridique[0] && legal.capital[0]) {
    foot.push_back(Text(kBizCapital, {U(legal.formeJuridique), U(legal.capital)}));
  } else {
    foot.push_back(U(legal.formeJuridique));
  }
  if (legal.siret[0]) foot.push_back(Text(kBizSiret, {U(legal.siret)}));
  foot.push_back(U(legal.rcs));
  if (legal.naf[0]) foot.push_back(Text(kBizNaf, {U(legal.naf)}));
  if (legal.tvaIntra[0]) foot.push_back(Text(kBizTvaIntra, {U(legal.tvaIntra)}));
  doc.pied = Join(foot, " – ");

  // ---- The customer
  Str255 clientName = {0};
  if (h.client != 0 && user.GetTiers().ResourceExists(h.client)) {
    user.GetTiers().GetResourceName(h.client, clientName);
  }
  doc.client = AddressLines(facture.client, U(clientName));
  if (facture.extra.nii[0]) doc.client.push_back(Text(kBizNiiClient, {U(facture.extra.nii)}));
  if (h.hasLivraison && !facture.livraison.IsEmpty()) {
    doc.livraison = AddressLines(facture.livraison, std::string());
  }

  // ---- Lines
  short decimals = fmt.Decimals();
  for (size_t i = 0; i < facture.lignes.size(); ++i) {
    const LigneFacture& l = facture.lignes[i];
    VYXDocumentLigne line;
    line.designation = U(l.libelle);
    if (l.IsSpecialItem() && l.GetSpecialItem() != kLigneTexte) {
      switch (l.GetSpecialItem()) {
        case kLigneSousTotal:
        case kLigneTotal:
          line.kind = l.GetSpecialItem() == kLigneTotal ? VYXDocumentLigne::kTotal
                                                        : VYXDocumentLigne::kSousTotal;
          if (line.designation.empty()) {
            line.designation = Text(line.kind == VYXDocumentLigne::kTotal ? kBizTotal : kBizSousTotal);
          }
          line.totalHT = fmt.Amount(facture.GetSpecialItemTotal(int(i) + 1, decimals));
          doc.lignes.push_back(line);
          break;
        case kLigneZero:
          break;  // it only starts the sub-total again
        default:
          if (!line.designation.empty()) {
            line.kind = VYXDocumentLigne::kTexte;
            doc.lignes.push_back(line);
          }
          break;
      }
      continue;
    }
    double q = l.quantity, p = l.prixUnitaire, r = l.remise, e = l.ecoParticipation;
    if (l.reference[0] == 0 && q == 0 && p == 0) {
      line.kind = VYXDocumentLigne::kTexte;
      doc.lignes.push_back(line);
      continue;
    }
    Article article;
    int qdec = -1;
    if (l.article != 0 && user.GetArticles().ReadResource(l.article, &article)) {
      qdec = article.decimalesQuantite;
    }
    line.reference = U(l.reference);
    line.quantite = fmt.Number(q, qdec);
    line.prixUnitaire = fmt.Amount(p);
    if (r != 0) {
      line.remise = fmt.Percent(r);
      doc.avecRemise = true;
    }
    line.tva = fmt.Percent(VYXTauxOfLigne(user.GetTauxTVA(), l.tauxTVA));
    line.totalHT = fmt.Amount(l.GetTotalHT(decimals));
    if (e != 0) line.designation += "\n" + Text(kBizDontEco, {fmt.Money(e)});
    doc.lignes.push_back(line);
  }

  // ---- VAT per rate and totals
  std::vector<FactureTVATotal> rates;
  double eco = 0;
  user.CalculateFacture(facture, &rates, &eco, nullptr);
  for (const FactureTVATotal& t : rates) {
    if (t.baseHT == 0) continue;
    doc.tva.push_back({fmt.Percent(t.taux), fmt.Amount(t.baseHT), fmt.Amount(t.tva)});
  }
  doc.totaux.push_back({Text(kBizTotalHT), fmt.Money(h.totalHT)});
  doc.totaux.push_back({Text(kBizTotalTVA), fmt.Money(h.totalTVA)});
  doc.totaux.push_back({Text(kBizTotalTTC), fmt.Money(h.totalTTC)});
  if (eco != 0) doc.totaux.push_back({Text(kBizDontEcoTotal), fmt.Money(eco)});
  if (invoice && double(h.sold) != 0) {
    doc.totaux.push_back({Text(kBizDejaRegle), fmt.Money(h.sold)});
    doc.totaux.push_back(
        {Text(kBizNetAPayer), fmt.Money(CPArrondi(double(h.totalTTC) - double(h.sold), decimals))});
  }

  // ---- Mentions
  for (ConstStringPtr c : {facture.extra.commentaire1, facture.extra.commentaire2,
                           facture.extra.commentaire3, facture.extra.commentaire4}) {
    if (c[0]) doc.mentions.push_back(U(c));
  }
  if (invoice) {
    std::string terms;
    if (h.modalite >= 1 && h.modalite <= kReglementLast) {
      terms = Text(kBizModaliteFirst + h.modalite - 1);
    }
    Str255 mode = {0};
    if (h.mode != 0 && user.GetModes().ResourceExists(h.mode)) {
      user.GetModes().GetResourceName(h.mode, mode);
    }
    std::string line = Join({terms, U(mode)}, " – ");
    if (!line.empty()) doc.mentions.push_back(line);
    VYXUserFacturesPrefs prefs;
    user.GetPrefs(&prefs);
    double taux = prefs.tauxPenalites;
    doc.mentions.push_back(taux > 0 ? Text(kBizPenalites, {fmt.Number(taux, -1)})
                                    : Text(kBizPenalitesLegales));
    if (prefs.mentions[0]) doc.mentions.push_back(U(prefs.mentions));
  }
  return doc;
}
