// Who the user is, as invoices show the seller: the name and address of the
// "Identité" record (1014) and the legal identity of the business in the
// "Dossier comptable" record (1029): legal form, capital, registration
// numbers. Texts only; nothing here is checked beyond fitting its field.
#ifndef VYX_USERFILE_VYXUSERIDENTITYPREFS_H_
#define VYX_USERFILE_VYXUSERIDENTITYPREFS_H_

#include <cstddef>
#include <type_traits>

#include "userfile/Facture.h"

using Str23 = unsigned char[24];
using Str29 = unsigned char[30];

#pragma pack(push, 1)

struct VYXUserAddressPrefs {
  FactureAddress adresse;  // laid out as an invoice's address
  Str20 telephone = {};
  Str63 mail = {};
  uint8_t unused[7] = {};

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct VYXDossierComptableInfos {
  Str23 formeJuridique = {};  // "SARL", "EURL", "Entreprise individuelle"...
  Str15 capital = {};         // as it is printed: "10 000 €"
  Str14 siret = {};
  Str6 naf = {};              // activity code (APE)
  Str15 tvaIntra = {};        // intra-community VAT number
  Str29 rcs = {};             // registration: "RCS Paris B 123 456 789"

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXUserAddressPrefs) == 406);
static_assert(offsetof(VYXUserAddressPrefs, telephone) == 314);
static_assert(offsetof(VYXUserAddressPrefs, mail) == 335);
static_assert(sizeof(VYXDossierComptableInfos) == 108);
static_assert(offsetof(VYXDossierComptableInfos, siret) == 40);
static_assert(offsetof(VYXDossierComptableInfos, rcs) == 78);
static_assert(std::is_trivially_copyable_v<VYXUserAddressPrefs>);

#endif  // VYX_USERFILE_VYXUSERIDENTITYPREFS_H_
