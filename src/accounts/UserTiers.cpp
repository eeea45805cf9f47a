#include "accounts/UserTiers.h"

#include "accounts/VYXRecordCodec.h"

namespace {

template <typename F>
void EachText(TiersAdresse& a, F&& f) {
  f(a.societe);
  f(a.nom);
  f(a.prenom);
  f(a.adresse1);
  f(a.adresse2);
  f(a.codePostal);
  f(a.ville);
  f(a.pays);
}

template <typename F>
void EachText(UserTiers& t, F&& f) {
  f(t.noCompte);
  f(t.nii);
  EachText(t.facturation, f);
  EachText(t.livraison, f);
  f(t.siret);
  f(t.etablissement);
  f(t.code);
  f(t.conditions);
  f(t.kind);
  f(t.contactNom);
  f(t.contactPrenom);
  f(t.telephone);
  f(t.mobile);
  f(t.fax);
  f(t.email);
  f(t.web);
  f(t.banqueNom);
  f(t.bic);
  f(t.iban);
  f(t.banqueEtablissement);
  f(t.banqueGuichet);
  f(t.banqueCompte);
  f(t.banqueCle);
}

}  // namespace

void UserTiers::ByteSwap() {
  objectif = VYXSwapped(objectif);
  colorID = VYXSwapped(colorID);
  remise = VYXSwapped(remise);
}

void UserTiers::Encode(const CPDataEncoding& e) {
  EachText(*this, [&e](auto& text) { VYXEncodeText(text, e); });
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void UserTiers::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  EachText(*this, [&e](auto& text) { VYXDecodeText(text, e); });
}
