#include "userfile/VYXUserIdentityPrefs.h"

#include "accounts/VYXRecordCodec.h"

void VYXUserAddressPrefs::Encode(const CPDataEncoding& e) {
  adresse.Encode(e);
  VYXEncodeText(telephone, e);
  VYXEncodeText(mail, e);
}

void VYXUserAddressPrefs::Decode(const CPDataEncoding& e) {
  adresse.Decode(e);
  VYXDecodeText(telephone, e);
  VYXDecodeText(mail, e);
}

void VYXDossierComptableInfos::Encode(const CPDataEncoding& e) {
  VYXEncodeText(formeJuridique, e);
  VYXEncodeText(capital, e);
  VYXEncodeText(siret, e);
  VYXEncodeText(naf, e);
  VYXEncodeText(tvaIntra, e);
  VYXEncodeText(rcs, e);
}

void VYXDossierComptableInfos::Decode(const CPDataEncoding& e) {
  VYXDecodeText(formeJuridique, e);
  VYXDecodeText(capital, e);
  VYXDecodeText(siret, e);
  VYXDecodeText(naf, e);
  VYXDecodeText(tvaIntra, e);
  VYXDecodeText(rcs, e);
}
