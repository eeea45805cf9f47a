#include "business/VYXFactureReglement.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXListMapping.h"
#include "accounts/VYXMonthRule.h"
#include "business/VYXBusinessTexts.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

// The VAT included in `montant` at `taux` percent.
double TvaIncluse(double montant, double taux, short decimals) {
  double net = CPArrondi(montant * 100.0 / (100.0 + taux), decimals);
  return CPArrondi(montant - net, decimals) + 0.0;
}

std::string NumeroOf(const Facture& f) {
  Str255 numero;
  f.GetNumero(numero);
  if (numero[0] == 0) return CPGetListString(kVYXBusinessTexts, kBizSansNumero);
  return PToStd(numero);
}

}  // namespace

std::vector<VYXFactureGroupe> VYXFactureGroupes(VYXUserPreferences& user, const Facture& facture) {
  short decimals = user.GetDecimals(kDecimalsMontants);
  std::vector<VYXFactureGroupe> groupes;
  for (const LigneFacture& ligne : facture.lignes) {
    if (ligne.IsSpecialItem() && ligne.GetSpecialItem() != kLigneTexte) continue;
    double ht = ligne.GetTotalHT(decimals);
    if (ht == 0) continue;
    Article article;
    CPResID categorie = 0;
    if (ligne.article != 0 && user.GetArticles().ReadResource(ligne.article, &article)) {
      categorie = article.categorie;
    }
    CPResID taux = ligne.tauxTVA;
    auto g = std::find_if(groupes.begin(), groupes.end(), [&](const VYXFactureGroupe& g) {
      return g.categorie == categorie && g.tauxTVA == taux;
    });
    if (g == groupes.end()) {
      groupes.push_back({categorie, taux, VYXTauxOfLigne(user.GetTauxTVA(), taux), 0, 0, 0});
      g = groupes.end() - 1;
    }
    g->ht += ht;
  }
  for (VYXFactureGroupe& g : groupes) {
    g.ht = CPArrondi(g.ht, decimals);
    g.tva = CPArrondi(g.ht * g.taux / 100, decimals);
    g.ttc = CPArrondi(g.ht + g.tva, decimals);
  }
  return groupes;
}

// Worked on magnitudes, so that a credit note's refund spreads as a
// payment does.
std::vector<VYXReglementPart> VYXRepartirReglement(const std::vector<VYXFactureGroupe>& groupes,
                                                   double dejaRegle, double montant,
                                                   short decimals) {
  std::vector<VYXReglementPart> parts;
  if (groupes.empty() || montant == 0) return parts;
  double sign = montant < 0 ? -1 : 1;
  double covered = std::max(0.0, dejaRegle * sign), left = montant * sign;
  for (size_t i = 0; i < groupes.size() && left > 0; ++i) {
    double cap = std::fabs(groupes[i].ttc);
    double before = std::min(covered, cap);
    covered -= before;
    double room = CPArrondi(cap - before, decimals);
    if (room <= 0) continue;
    double take = std::min(left, room);
    left = CPArrondi(left - take, decimals);
    parts.push_back({i, take, 0});
  }
  if (left > 0) {
    if (parts.empty()) parts.push_back({groupes.size() - 1, 0, 0});
    parts.back().montant += left;
  }
  for (VYXReglementPart& p : parts) {
    const VYXFactureGroupe& g = groupes[p.groupe];
    p.montant = CPArrondi(p.montant, decimals) * sign;
    // A group paid whole pays its own VAT, to the cent.
    p.tva = p.montant == g.ttc ? g.tva : TvaIncluse(p.montant, g.taux, decimals);
  }
  return parts;
}

DataID VYXReglerFacture(VYXUserPreferences& user, int32_t id, VYXCompte& compte, double montant,
                        CPDate date, OpStatus status) {
  Facture facture;
  if (!user.GetFacture(id, &facture)) CPThrow(kCPErrNotFound);
  if (facture.header.etat < kEtatFacture) {
    CPThrowList(paramErr, kVYXBusinessTexts, kBizPasUneFacture, {NumeroOf(facture)});
  }
  short decimals = user.GetDecimals(kDecimalsMontants);
  montant = CPArrondi(montant, decimals);
  if (montant == 0) CPThrowList(paramErr, kVYXBusinessTexts, kBizReglementNul);

  std::vector<VYXFactureGroupe> groupes = VYXFactureGroupes(user, facture);
  std::vector<VYXReglementPart> parts =
      VYXRepartirReglement(groupes, facture.header.sold, montant, decimals);

  Operation op(compte.GetDefaultValues(), false);
  op.date = date;
  op.mois = VYXMonthFromRule(compte.GetDefaultValues().mois, date);
  op.montant = montant;
  op.status = status;
  op.facture = facture.header.header.dataID;
  Str255 client = {0};
  if (facture.header.client != 0) {
    try {
      user.GetTiers().GetResourceName(facture.header.client, client);
    } catch (const CPException&) {
    }
  }
  std::string label = CPGetListString(
      kVYXBusinessTexts, client[0] ? kBizReglementLibelle : kBizReglementSansClient);
  CPReplaceVar(label, 1, NumeroOf(facture));
  CPReplaceVar(label, 2, PToStd(client));
  StdToP(label, op.libelle, 99);
  if (!compte.CanAddOperation(op)) VYXRefuseLocked(kVYXCannotAddItem, op);

  // The dossier's items the operation names, made the account's own.
  auto categorie = [&](CPResID id) {
    return id ? UserToCompteCategorie(user.GetCategories(), compte.GetCategories(), id, true, false)
              : CPResID(0);
  };
  auto taux = [&](CPResID id) {
    return id ? UserToCompteTauxTVA(user.GetTauxTVA(), compte.GetTVAs(), id, true, false)
              : CPResID(0);
  };
  if (facture.header.client != 0) {
    op.tiers = UserToCompteTiers(user.GetTiers(), compte.GetTiers(), facture.header.client, true,
                                 false);
  }
  if (facture.header.mode != 0) {
    op.mode = UserToCompteMode(user.GetModes(), compte.GetModes(), facture.header.mode, true);
  }
  if (facture.header.affaire != 0) {
    op.affaire = UserToCompteAffaire(user.GetAffaires(), compte.GetAffaires(),
                                     facture.header.affaire, true, false);
  }
  if (facture.header.affectation != 0) {
    op.affectation = UserToCompteAffectation(user.GetAffectations(), compte.GetAffectations(),
                                             facture.header.affectation, true, false);
  }
  if (parts.size() == 1) {
    const VYXFactureGroupe& g = groupes[parts[0].groupe];
    op.categorie = categorie(g.categorie);
    op.tva = taux(g.tauxTVA);
    op.montantTva = parts[0].tva;
  } else if (parts.size() > 1) {
    op.categorie = 0;
    op.tva = 0;
    op.montantTva = 0;
  }
  VYXDataRef ref = 0;
  compte.AddOperation(op, &ref);
  if (parts.size() > 1) {
    for (const VYXReglementPart& p : parts) {
      const VYXFactureGroupe& g = groupes[p.groupe];
      SousOperation line(op);
      line.montant = p.montant;
      line.categorie = categorie(g.categorie);
      line.tva = taux(g.tauxTVA);
      line.montantTva = p.tva;
      VYXDataRef sousRef = 0;
      compte.AddSousOperation(ref, line, &sousRef);
    }
  }
  return op.header.dataID;
}

void VYXLierReglement(VYXUserPreferences& user, int32_t id, VYXCompte& compte, VYXDataRef ref) {
  Facture facture;
  if (!user.GetFacture(id, &facture)) CPThrow(kCPErrNotFound);
  if (facture.header.etat < kEtatFacture) {
    CPThrowList(paramErr, kVYXBusinessTexts, kBizPasUneFacture, {NumeroOf(facture)});
  }
  Operation op;
  compte.GetOperation(ref, &op);
  DataID dataID = facture.header.header.dataID;
  if (op.facture == dataID) return;
  if (op.facture != 0) {
    int32_t other = 0;
    Facture autre;
    if (user.FindFacture(op.facture, &other) && user.GetFacture(other, &autre)) {
      CPThrowList(paramErr, kVYXBusinessTexts, kBizDejaLiee,
                  {VYXOperationTitle(op.libelle, op.date), NumeroOf(autre)});
    }
  }
  op.facture = dataID;
  compte.ModifyOperation(ref, op);
}

int VYXRecalculerReglements(VYXUserPreferences& user, const std::vector<VYXCompte*>& comptes) {
  struct Paid {
    double sold = 0;
    CPResID compte = 0;
    int32_t operation = 0;
    CPDate date = 0;
    bool prevu = false;
  };
  VYXUserPreferences::Exclusive hold(user);
  std::map<DataID, Paid> paid;
  for (VYXCompte* compte : comptes) {
    CPResID compteID = 0;
    int32_t position = user.GetCompteIndex(*compte);
    if (position == 0 || !user.GetNthCompte(position, &compteID)) continue;
    Operation op;
    VYXDataRef ref = 0;
    for (bool more = compte->GetFirstOperation(&op, &ref); more;
         more = compte->GetNextOperation(&op, &ref)) {
      if (op.facture == 0 || op.header.deleted) continue;
      Paid& p = paid[op.facture];
      p.sold += op.montant;
      if (p.compte == 0 || CPDate(op.date) > p.date ||
          (CPDate(op.date) == p.date && int32_t(op.header.dataID) > p.operation)) {
        p = {p.sold, compteID, int32_t(op.header.dataID), op.date, op.status == kOpPrevue};
      }
    }
  }
  short decimals = user.GetDecimals(kDecimalsMontants);
  int changed = 0;
  for (int32_t n = 1; n <= user.GetNbOfFactures(); ++n) {
    Facture f;
    if (!user.GetFacture(n, &f)) continue;
    FactureHeader& h = f.header;
    auto it = paid.find(DataID(h.header.dataID));
    // What a document received in an account since taken out of the dossier
    // is nowhere to be counted again: a document no operation names and
    // linked to none keeps its amount.
    if (it == paid.end() && h.compte == 0) continue;
    Paid p = it == paid.end() ? Paid() : it->second;
    double sold = CPArrondi(p.sold, decimals);
    if (double(h.sold) == sold && h.compte == p.compte && h.operation == p.operation) continue;
    Facture old = f;
    h.sold = sold;
    h.compte = p.compte;
    h.operation = p.operation;
    h.prevu = p.prevu;
    user.ModifyFacture(n, old, f);
    ++changed;
  }
  return changed;
}
