// The computation of a document's lines and totals. VAT is rounded once per
// rate over the sum of the lines at that rate, as a tax return computes it:
// rounding each line would lose or invent cents (ten lines of 0.02 at
// 19.6 % owe 0.04 of VAT, not 0).
#include "foundation/CPAmounts.h"
#include "userfile/Facture.h"

double LigneFacture::GetTotalHT(short decimals) const {
  double q = quantity, p = prixUnitaire, e = ecoParticipation, r = remise;
  // The discount leaves the eco-contribution whole: it is a levy passed on.
  return CPArrondi((e + (p - e) * (100 - r) / 100) * q, decimals);
}

double VYXTauxOfLigne(CPResourceSet_T<TauxTVA>& rates, CPResID id) {
  TauxTVA taux;
  if (id == 0 || !rates.ReadResource(id, &taux)) return 0;
  switch (taux.utilisation) {
    case 2:
    case 3:
    case 5:
    case 6:
    case 7:
      return 0;
    default:
      return taux.taux;
  }
}

double Facture::CalculateTotal(CPResourceSet_T<Article>& articles, CPResourceSet_T<TauxTVA>& rates,
                               std::vector<FactureTVATotal>* vatTotals, double* totalHT,
                               double* totalTVA, double* totalTTC, double* totalEco,
                               double* totalCost, short decimals) const {
  double ht = 0, tva = 0, eco = 0, cost = 0;
  std::vector<FactureTVATotal> totals;
  for (const LigneFacture& ligne : lignes) {
    double q = ligne.quantity;
    Article article;
    if (ligne.article != 0 && articles.ReadResource(ligne.article, &article)) {
      eco += CPArrondi(q * double(ligne.ecoParticipation), decimals);
      cost += CPArrondi(q * double(article.prixAchat), decimals);
    }
    double taux = VYXTauxOfLigne(rates, ligne.tauxTVA);
    double base = ligne.GetTotalHT(decimals);
    auto entry = std::find_if(totals.begin(), totals.end(),
                              [taux](const FactureTVATotal& t) { return t.taux == taux; });
    if (entry == totals.end()) {
      totals.push_back({taux, base, 0});
    } else {
      entry->baseHT += base;
    }
  }
  for (FactureTVATotal& t : totals) {
    t.tva = CPArrondi(t.baseHT * t.taux / 100, decimals);
    ht += t.baseHT;
    tva += t.tva;
  }
  // Sums of rounded values drift by a few units in the last place: the
  // totals are the cents they add up to.
  ht = CPArrondi(ht, decimals);
  tva = CPArrondi(tva, decimals);
  double ttc = CPArrondi(ht + tva, decimals);
  if (vatTotals) *vatTotals = std::move(totals);
  if (totalHT) *totalHT = ht;
  if (totalTVA) *totalTVA = tva;
  if (totalTTC) *totalTTC = ttc;
  if (totalEco) *totalEco = CPArrondi(eco, decimals);
  if (totalCost) *totalCost = CPArrondi(cost, decimals);
  return ttc;
}

// Every line that is not an "=" line adds its total to the running total and
// to the sub-total, whether it names an article or was typed freely: a
// sub-total that left out the typed lines would not add up to the document.
double Facture::GetSpecialItemTotal(int lineIndex, short decimals) const {
  if (lineIndex < 1 || size_t(lineIndex) > lignes.size()) return 0;
  double total = 0, sousTotal = 0;
  for (int n = 1; n <= lineIndex; ++n) {
    const LigneFacture& ligne = lignes[n - 1];
    bool last = n == lineIndex;
    if (!ligne.IsSpecialItem() || ligne.GetSpecialItem() == kLigneTexte) {
      double base = ligne.GetTotalHT(decimals);
      total += base;
      sousTotal += base;
      continue;
    }
    switch (ligne.GetSpecialItem()) {
      case kLigneZero:
        sousTotal = 0;
        break;
      case kLigneSousTotal:
        if (last) return CPArrondi(sousTotal, decimals);
        sousTotal = 0;
        break;
      case kLigneTotal:
        if (last) return CPArrondi(total, decimals);
        break;
      default:
        break;
    }
  }
  return 0;
}
