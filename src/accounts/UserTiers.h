// A third party of the "CLFO" lists (1,464 bytes): customer, supplier,
// employee or partner card with its billing and delivery addresses, contact
// and bank details. The user file and each account keep such lists side by
// side and match them by name.
#ifndef VYX_ACCOUNTS_USERTIERS_H_
#define VYX_ACCOUNTS_USERTIERS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

// The kind of a third party ('type'); 0 and 4 are the remaining kinds.
enum : uint8_t {
  kTiersClient = 1,
  kTiersFournisseur = 2,
  kTiersEmploye = 3,
  kTiersAssocie = 5,
};

// Length-prefixed widths that only third parties use.
using Str2 = unsigned char[3];
using Str4 = unsigned char[5];
using Str8 = unsigned char[9];
using Str9 = unsigned char[10];
using Str11 = unsigned char[12];
using Str50 = unsigned char[51];
using Str71 = unsigned char[72];
using Str100 = unsigned char[101];

#pragma pack(push, 1)

// An address block; the delivery one lies 316 bytes after the billing one.
struct TiersAdresse {
  Str31 societe;   // 'fSoc' / 'lSoc'
  Str31 nom;       // 'fNom' / 'lNom'
  Str31 prenom;    // 'fPre' / 'lPre'
  Str71 adresse1;  // 'fAd1' / 'lAd1'
  Str71 adresse2;  // 'fAd2' / 'lAd2'
  Str8 codePostal; // 'fCP ' / 'lCP '
  uint8_t unused1;
  Str31 ville;     // 'fVil' / 'lVil'
  Str31 pays;      // 'fPay' / 'lPay'
};

struct UserTiers {
  uint8_t type = 0;               // 'type'
  uint8_t unused1 = 0;
  Str14 noCompte = {};            // 'ncpt'
  uint8_t unused2 = 0;
  double objectif = 0;            // 'objt'
  CPResID colorID = 0;            // 'colr'
  int16_t remise = 0;             // 'remi'
  Str31 nii = {};                 // 'nii '
  TiersAdresse facturation = {};  // from 62
  uint8_t unused3[2] = {};
  TiersAdresse livraison = {};    // from 378; 'livr' is true when its company is not empty
  Boolean honoraires = 0;         // 'hono'
  uint8_t unused4 = 0;
  Str9 siret = {};                // 'sire'
  Str11 etablissement = {};       // 'etab'
  Str9 code = {};                 // 'code'
  uint8_t unused5[2] = {};
  Str255 conditions = {};         // 'cond'
  Str15 kind = {};                // 'kind'
  Str31 contactNom = {};          // 'lnam'
  Str31 contactPrenom = {};       // 'fnam'
  Str31 telephone = {};           // 'tel '
  Str31 mobile = {};              // 'mob '
  Str31 fax = {};                 // 'fax '
  Str100 email = {};              // 'mail'
  uint8_t unused6 = 0;
  Str100 web = {};                // 'web '
  uint8_t unused7 = 0;
  Str50 banqueNom = {};           // 'bnam'
  uint8_t unused8 = 0;
  Str11 bic = {};                 // 'bic '
  Str4 iban = {};                 // 'iban'
  uint8_t unused9 = 0;
  Str5 banqueEtablissement = {};  // 'beta'
  Str5 banqueGuichet = {};        // 'bgui'
  Str11 banqueCompte = {};        // 'bnum'
  Str2 banqueCle = {};            // 'bcle'
  Boolean option = 0;             // the flag at 1461
  uint8_t unused10[2] = {};

  UserTiers() = default;

  bool HasLivraison() const { return livraison.societe[0] != 0; }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(TiersAdresse) == 314);
static_assert(sizeof(UserTiers) == 1464);
static_assert(std::is_trivially_copyable_v<UserTiers>);
static_assert(offsetof(UserTiers, noCompte) == 2);
static_assert(offsetof(UserTiers, objectif) == 18);
static_assert(offsetof(UserTiers, colorID) == 26);
static_assert(offsetof(UserTiers, remise) == 28);
static_assert(offsetof(UserTiers, nii) == 30);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, societe) == 62);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, adresse1) == 158);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, adresse2) == 230);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, codePostal) == 302);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, ville) == 312);
static_assert(offsetof(UserTiers, facturation) + offsetof(TiersAdresse, pays) == 344);
static_assert(offsetof(UserTiers, livraison) == 62 + 316);
static_assert(offsetof(UserTiers, livraison) + offsetof(TiersAdresse, pays) == 660);
static_assert(offsetof(UserTiers, honoraires) == 692);
static_assert(offsetof(UserTiers, siret) == 694);
static_assert(offsetof(UserTiers, etablissement) == 704);
static_assert(offsetof(UserTiers, code) == 716);
static_assert(offsetof(UserTiers, conditions) == 728);
static_assert(offsetof(UserTiers, kind) == 984);
static_assert(offsetof(UserTiers, contactNom) == 1000);
static_assert(offsetof(UserTiers, contactPrenom) == 1032);
static_assert(offsetof(UserTiers, telephone) == 1064);
static_assert(offsetof(UserTiers, mobile) == 1096);
static_assert(offsetof(UserTiers, fax) == 1128);
static_assert(offsetof(UserTiers, email) == 1160);
static_assert(offsetof(UserTiers, web) == 1262);
static_assert(offsetof(UserTiers, banqueNom) == 1364);
static_assert(offsetof(UserTiers, bic) == 1416);
static_assert(offsetof(UserTiers, iban) == 1428);
static_assert(offsetof(UserTiers, banqueEtablissement) == 1434);
static_assert(offsetof(UserTiers, banqueGuichet) == 1440);
static_assert(offsetof(UserTiers, banqueCompte) == 1446);
static_assert(offsetof(UserTiers, banqueCle) == 1458);
static_assert(offsetof(UserTiers, option) == 1461);

#endif  // VYX_ACCOUNTS_USERTIERS_H_
