#include "business/VYXFactureStages.h"

#include "business/VYXBusinessTexts.h"
#include "foundation/CPCompare.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

namespace {

// The last day of the month of `date`.
CPDate FinDeMois(CPDate date) {
  return CPSetDayOfMonth(date, CPDaysInMonth(CPGetMonth(date), CPGetYear(date)));
}

template <size_t N>
void CopyText(unsigned char (&to)[N], const unsigned char* from) {
  TruncPString(to, from, int(N - 1));
}

void FromTiers(FactureAddress& a, const TiersAdresse& t) {
  CopyText(a.societe, t.societe);
  CopyText(a.nom, t.nom);
  CopyText(a.prenom, t.prenom);
  CopyText(a.adresse1, t.adresse1);
  CopyText(a.adresse2, t.adresse2);
  CopyText(a.cp, t.codePostal);
  CopyText(a.ville, t.ville);
  CopyText(a.pays, t.pays);
}

// The number of stage `etat` of a document.
ConstStringPtr NumeroOf(const FactureHeader& h, EtatFacture etat) {
  return etat == kEtatDevis ? h.no_devis : etat == kEtatBL ? h.no_bl : h.numero;
}

// Whether another document has that number at that stage.
bool Taken(VYXUserPreferences& user, EtatFacture etat, ConstStringPtr number, DataID self) {
  if (number[0] == 0) return false;
  for (int32_t n = 1; n <= user.GetNbOfFactures(); ++n) {
    Facture other;
    if (!user.GetFacture(n, &other) || DataID(other.header.header.dataID) == self) continue;
    if (CPEqualString(NumeroOf(other.header, etat), number, false, true)) return true;
  }
  return false;
}

}  // namespace

CPDate VYXEcheance(ModaliteReglement modalite, CPDate date) {
  if (date == 0) return 0;
  switch (modalite) {
    case kReglement30Jours:
      return CPAddDays(date, 30);
    case kReglement45JoursFDM:
      return FinDeMois(CPAddDays(date, 45));
    case kReglement60Jours:
      return CPAddDays(date, 60);
    case kReglement30JoursFDM:
      return FinDeMois(CPAddDays(date, 30));
    default:
      return date;
  }
}

Facture VYXNouvelleFacture(VYXUserPreferences& user, CPResID client, EtatFacture etat,
                           CPDate date) {
  Facture f;
  FactureHeader& h = f.header;
  h.etat = etat;
  h.mois = int16_t(CPGetMonth(date));
  VYXUserFacturesPrefs prefs;
  user.GetPrefs(&prefs);
  if (prefs.modalite >= 1 && prefs.modalite <= kReglementLast) h.modalite = prefs.modalite;
  UserTiers tiers;
  if (client != 0 && user.GetTiers().ReadResource(client, &tiers)) {
    h.client = client;
    FromTiers(f.client, tiers.facturation);
    CopyText(f.extra.nii, tiers.nii);
    // A delivery address exists when its company is named.
    if (tiers.livraison.societe[0]) {
      h.hasLivraison = 1;
      FromTiers(f.livraison, tiers.livraison);
    }
  }
  return f;
}

void VYXNumeroterEtat(VYXUserPreferences& user, Facture& facture, EtatFacture etat, CPDate date,
                      const std::string& numero) {
  VYXUserPreferences::Exclusive hold(user);
  FactureHeader& h = facture.header;
  auto kind = etat == kEtatDevis ? VYXPieceKind::kDevis
              : etat == kEtatBL  ? VYXPieceKind::kBL
                                 : VYXPieceKind::kFacture;
  // Two documents of a stage never share a number: a number typed by hand
  // that another has is refused, and the counter passes over those that
  // numbers typed earlier took.
  Str255 number = {0};
  DataID self = h.header.dataID;
  if (numero.empty()) {
    for (int tries = 0; tries < 10000; ++tries) {
      user.GetNextNo(kind, nullptr, date, number, true);
      if (!Taken(user, etat, number, self)) break;
    }
  } else {
    StdToP(numero, number, 12);
    if (Taken(user, etat, number, self)) {
      CPThrowList(paramErr, kVYXBusinessTexts, kBizNumeroPris, {PToStd(number)});
    }
    user.ValidateNextNo(kind, number, date);
  }
  switch (etat) {
    case kEtatDevis:
      TruncPString(h.no_devis, number, 12);
      h.date_devis = date;
      break;
    case kEtatBL:
      TruncPString(h.no_bl, number, 12);
      h.date_bl = date;
      break;
    default:
      TruncPString(h.numero, number, 12);
      h.date = date;
      h.mois = int16_t(CPGetMonth(date));
      if (h.modalite != kReglementDateFixe || h.echeance == 0) {
        h.echeance = VYXEcheance(h.modalite, date);
      }
      break;
  }
  h.etat = etat;
}
