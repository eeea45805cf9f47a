#include "cli/VYXFactureCli.h"

#include "business/VYXBusinessTexts.h"
#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"

int32_t VYXFindFacture(VYXUserPreferences& user, const std::string& utf8) {
  std::string text = VYXArgText(utf8);
  int32_t count = user.GetNbOfFactures();
  if (!text.empty()) {
    // A number of any stage; the current stage's first.
    for (int pass = 0; pass < 2; ++pass) {
      for (int32_t n = 1; n <= count; ++n) {
        Facture f;
        if (!user.GetFacture(n, &f)) continue;
        Str255 current;
        f.GetNumero(current);
        bool match = pass == 0 ? CPEqualString(PToStd(current), text, false, true)
                               : CPEqualString(PToStd(f.header.numero), text, false, true) ||
                                     CPEqualString(PToStd(f.header.no_bl), text, false, true) ||
                                     CPEqualString(PToStd(f.header.no_devis), text, false, true);
        if (match) return n;
      }
    }
    // A key.
    if (text.find_first_not_of("0123456789") == std::string::npos && text.size() <= 9) {
      int32_t id = 0;
      if (user.FindFacture(DataID(std::stoul(text)), &id)) return id;
    }
  }
  CPThrowList(kCPErrNotFound, kVYXFactureTexts, kFacNoSuchDocument, {text});
}

CPResID VYXFindUserItem(CPResourceSet& set, const std::string& listName,
                        const std::string& macRoman) {
  if (macRoman.empty()) return 0;
  CPString name = CPString::FromStd(macRoman);
  if (!set.ResourceExists(name)) {
    CPThrowList(kCPErrNotFound, kVYXFactureTexts, kFacUnknownItem, {listName, macRoman});
  }
  return set.GetResourceID(name);
}

std::string VYXUserItemName(CPResourceSet& set, CPResID id) {
  Str255 name = {0};
  if (id != 0 && set.ResourceExists(id)) set.GetResourceName(id, name);
  return VYXText(PToStd(name));
}

long VYXArgLong(const std::string& utf8, long min, long max, int list, int item) {
  std::string text = VYXArgText(utf8);
  bool ok = !text.empty() && text.size() <= 10;
  size_t i = ok && text[0] == '-' ? 1 : 0;
  ok = ok && i < text.size();
  long n = 0;
  for (; ok && i < text.size(); ++i) {
    ok = text[i] >= '0' && text[i] <= '9';
    n = n * 10 + (text[i] - '0');
  }
  if (ok && text[0] == '-') n = -n;
  if (!ok || n < min || n > max) CPThrowList(paramErr, list, item, {text});
  return n;
}

std::string VYXEtatText(EtatFacture etat) {
  if (etat < kEtatDevis || etat > kEtatFacture) return std::string();
  return VYXHelp(kVYXBusinessTexts, kBizEtatFirst + etat - 1);
}

namespace {

nlohmann::json Text(ConstStringPtr p) { return VYXText(PToStd(p)); }

nlohmann::json Address(const FactureAddress& a) {
  return {{"societe", Text(a.societe)},   {"nom", Text(a.nom)},
          {"prenom", Text(a.prenom)},     {"adresse1", Text(a.adresse1)},
          {"adresse2", Text(a.adresse2)}, {"cp", Text(a.cp)},
          {"ville", Text(a.ville)},       {"pays", Text(a.pays)}};
}

}  // namespace

nlohmann::json VYXFactureJson(VYXUserPreferences& user, const Facture& f) {
  const FactureHeader& h = f.header;
  short decimals = user.GetDecimals(kDecimalsMontants);
  nlohmann::json lignes = nlohmann::json::array();
  for (size_t i = 0; i < f.lignes.size(); ++i) {
    const LigneFacture& l = f.lignes[i];
    nlohmann::json line = {{"numero", i + 1},
                           {"reference", Text(l.reference)},
                           {"libelle", Text(l.libelle)},
                           {"article", VYXUserItemName(user.GetArticles(), l.article)},
                           {"quantite", double(l.quantity)},
                           {"prixUnitaire", VYXAmountJson(l.prixUnitaire)},
                           {"remise", double(l.remise)},
                           {"tva", VYXUserItemName(user.GetTauxTVA(), l.tauxTVA)},
                           {"ecoParticipation", VYXAmountJson(l.ecoParticipation)},
                           {"totalHT", VYXAmountJson(l.GetTotalHT(decimals))}};
    if (l.IsSpecialItem() && l.GetSpecialItem() != kLigneTexte) {
      line["totalHT"] = VYXAmountJson(f.GetSpecialItemTotal(int(i) + 1, decimals));
    }
    lignes.push_back(line);
  }
  std::vector<FactureTVATotal> rates;
  double eco = 0;
  user.CalculateFacture(f, &rates, &eco, nullptr);
  nlohmann::json tva = nlohmann::json::array();
  for (const FactureTVATotal& t : rates) {
    if (t.baseHT == 0) continue;  // special lines weigh nothing
    tva.push_back({{"taux", t.taux}, {"baseHT", VYXAmountJson(t.baseHT)},
                   {"tva", VYXAmountJson(t.tva)}});
  }
  Str255 numero;
  f.GetNumero(numero);
  std::string compte;
  if (h.compte != 0) compte = VYXUserItemName(user.GetComptes(), h.compte);
  return {{"cle", DataID(h.header.dataID)},
          {"etat", VYXEtatText(h.etat)},
          {"numero", Text(numero)},
          {"date", VYXDateJson(h.date)},
          {"numeroFacture", Text(h.numero)},
          {"devis", {{"numero", Text(h.no_devis)}, {"date", VYXDateJson(h.date_devis)}}},
          {"bl", {{"numero", Text(h.no_bl)}, {"date", VYXDateJson(h.date_bl)}}},
          {"etatDevis", int(h.etatDevis)},
          {"client", VYXUserItemName(user.GetTiers(), h.client)},
          {"adresse", Address(f.client)},
          {"livraison", h.hasLivraison ? Address(f.livraison) : nlohmann::json(nullptr)},
          {"libelle", Text(h.libelle)},
          {"reference", Text(h.reference)},
          {"modalite", int(h.modalite)},
          {"echeance", VYXDateJson(h.echeance)},
          {"mode", VYXUserItemName(user.GetModes(), h.mode)},
          {"totalHT", VYXAmountJson(h.totalHT)},
          {"totalTVA", VYXAmountJson(h.totalTVA)},
          {"totalTTC", VYXAmountJson(h.totalTTC)},
          {"totalEco", VYXAmountJson(eco)},
          {"regle", VYXAmountJson(h.sold)},
          {"soldee", h.soldee != 0},
          {"compte", compte},
          {"operation", int32_t(h.operation)},
          {"lignes", lignes},
          {"tva", tva}};
}
