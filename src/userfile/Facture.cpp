#include "userfile/Facture.h"

#include <algorithm>

#include "accounts/VYXRecordCodec.h"
#include "foundation/CPCompare.h"
#include "foundation/CPStrings.h"

// ---- Addresses and extra texts

bool FactureAddress::IsEmpty() const {
  return societe[0] == 0 && nom[0] == 0 && prenom[0] == 0 && adresse1[0] == 0 &&
         adresse2[0] == 0 && cp[0] == 0 && ville[0] == 0 && pays[0] == 0;
}

void FactureAddress::Encode(const CPDataEncoding& e) {
  VYXEncodeText(societe, e);
  VYXEncodeText(nom, e);
  VYXEncodeText(prenom, e);
  VYXEncodeText(adresse1, e);
  VYXEncodeText(adresse2, e);
  VYXEncodeText(cp, e);
  VYXEncodeText(ville, e);
  VYXEncodeText(pays, e);
}

void FactureAddress::Decode(const CPDataEncoding& e) {
  VYXDecodeText(societe, e);
  VYXDecodeText(nom, e);
  VYXDecodeText(prenom, e);
  VYXDecodeText(adresse1, e);
  VYXDecodeText(adresse2, e);
  VYXDecodeText(cp, e);
  VYXDecodeText(ville, e);
  VYXDecodeText(pays, e);
}

void FactureExtra::Encode(const CPDataEncoding& e) {
  VYXEncodeText(nii, e);
  VYXEncodeText(commentaire1, e);
  VYXEncodeText(commentaire2, e);
  VYXEncodeText(commentaire3, e);
  VYXEncodeText(commentaire4, e);
}

void FactureExtra::Decode(const CPDataEncoding& e) {
  VYXDecodeText(nii, e);
  VYXDecodeText(commentaire1, e);
  VYXDecodeText(commentaire2, e);
  VYXDecodeText(commentaire3, e);
  VYXDecodeText(commentaire4, e);
}

// ---- Header

void FactureHeader::GetNumero(StringPtr out) const {
  const unsigned char* numero = nullptr;
  switch (etat) {
    case kEtatAucun:
      out[0] = 0;
      return;
    case kEtatDevis:
      numero = no_devis;
      break;
    case kEtatBL:
      numero = no_bl;
      break;
    default:
      numero = this->numero;
      break;
  }
  TruncPString(out, numero, 12);
}

template <class F>
void FactureHeader::ConvertDates(F convert) {
  date = convert(date);
  date_devis = convert(date_devis);
  date_bl = convert(date_bl);
  echeance = convert(echeance);
  relance1 = convert(relance1);
  relance2 = convert(relance2);
  relance3 = convert(relance3);
}

void FactureHeader::ByteSwap() {
  date = VYXSwapped(date);
  client = VYXSwapped(client);
  date_devis = VYXSwapped(date_devis);
  date_bl = VYXSwapped(date_bl);
  totalHT = VYXSwapped(totalHT);
  totalTVA = VYXSwapped(totalTVA);
  totalTTC = VYXSwapped(totalTTC);
  echeance = VYXSwapped(echeance);
  sold = VYXSwapped(sold);
  relances = VYXSwapped(relances);
  relance1 = VYXSwapped(relance1);
  relance2 = VYXSwapped(relance2);
  relance3 = VYXSwapped(relance3);
  compte = VYXSwapped(compte);
  operation = VYXSwapped(operation);
  mode = VYXSwapped(mode);
  affaire = VYXSwapped(affaire);
  mois = VYXSwapped(mois);
  note = VYXSwapped(note);
  pj = VYXSwapped(pj);
  affectation = VYXSwapped(affectation);
}

void FactureHeader::Encode(const CPDataEncoding& e) {
  header.Encode(e);
  ConvertDates([&e](CPDate d) { return CPEncodeDate(d, e); });
  VYXEncodeText(numero, e);
  VYXEncodeText(libelle, e);
  VYXEncodeText(reference, e);
  VYXEncodeText(no_devis, e);
  VYXEncodeText(no_bl, e);
  devise = CPCodeToStored(devise);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void FactureHeader::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  devise = CPCodeFromStored(devise);
  ConvertDates([&e](CPDate d) { return CPDecodeDate(d, e); });
  VYXDecodeText(numero, e);
  VYXDecodeText(libelle, e);
  VYXDecodeText(reference, e);
  VYXDecodeText(no_devis, e);
  VYXDecodeText(no_bl, e);
  header.Decode(e);
}

// ---- Lines

bool LigneFacture::IsSpecialItem() const { return reference[0] == 0 || reference[1] == '='; }

int LigneFacture::GetSpecialItem() const {
  if (reference[0] == 0) return kLigneTexte;
  std::string_view ref(reinterpret_cast<const char*>(reference + 1), reference[0]);
  auto is = [&](std::string_view word) { return CPEqualString(ref, word, false, true); };
  if (is("=ZERO")) return kLigneZero;
  if (is("=SSTOT")) return kLigneSousTotal;
  if (is("=TOTAL")) return kLigneTotal;
  return kLigneAutreSpeciale;
}

void LigneFacture::ByteSwap() {
  facture = VYXSwapped(facture);
  article = VYXSwapped(article);
  quantity = VYXSwapped(quantity);
  prixUnitaire = VYXSwapped(prixUnitaire);
  remise = VYXSwapped(remise);
  tauxTVA = VYXSwapped(tauxTVA);
  ecoParticipation = VYXSwapped(ecoParticipation);
}

void LigneFacture::Encode(const CPDataEncoding& e) {
  header.Encode(e);
  VYXEncodeText(libelle, e);
  VYXEncodeText(reference, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void LigneFacture::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  VYXDecodeText(libelle, e);
  VYXDecodeText(reference, e);
  header.Decode(e);
}

// ---- The document

bool Facture::HasExtra() const {
  return extra.nii[0] != 0 || extra.commentaire1[0] != 0 || extra.commentaire2[0] != 0 ||
         extra.commentaire3[0] != 0 || extra.commentaire4[0] != 0;
}
