// The account's information record (382 bytes), the one record of the
// account's "CPTI" table: versions, password, opening balances and running
// sums, the key counter, the account's settings and its lock date. The
// account's storage owns the one copy of an open account.
#ifndef VYX_ACCOUNTS_COMPTEINFOS_H_
#define VYX_ACCOUNTS_COMPTEINFOS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/CompteDataHeader.h"
#include "accounts/MontantSet.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

#pragma pack(push, 1)

struct CompteInfos {
  CompteDataHeader header{kCompteInfosData};
  uint8_t fileVersion = 0;             // content version; readers know only 0
  uint8_t creatorAppVersion = 9;
  uint8_t modificationAppVersion = 9;
  uint8_t crypt = 1;                   // CPCryptString version of passWord
  // Scrambled bytes, not text: Encode and Decode leave them as they are.
  Str255 passWord = {};
  MontantSet report;                   // opening balances per status
  MontantSet total;                    // sums of the live operations per status
  TvaMontant tvaTotaux;
  uint16_t autoIncrement = 0;          // operation keys are drawn from it
  uint16_t nbOfOperations = 0;         // live operations
  Boolean autoGenerate = 1;            // generate due automatic operations at opening
  Boolean linked = 0;
  CPResID linkID = 0;
  Boolean compteTVA = 1;
  Boolean compteTitres = 0;
  CPDate historiqueDate = 0;
  uint32_t historiqueOffset = 0;
  DeviseCode devise = 0;               // host value; 0 = the user file's currency
  Boolean reload = 0;
  uint8_t unused1 = 0;
  CPDate lastReloadDate = 0;
  CPDate reserved = 0;
  Boolean converted = 0;
  uint8_t typeOfCompte = 0;            // VYXTypeOfCompte; 0 reads as 1
  CPDate lockDate = 0;                 // 0 = no lock
  Boolean compteNoPiece = 1;
  uint8_t unused2 = 0;

  CompteInfos() = default;

  // Stores `password` (MacRoman) scrambled with the current version; an
  // empty password means none.
  void SetPassWord(ConstStringPtr password);
  // The password in clear into `password` (Str255); false, with `password`
  // untouched, when the record's scrambling version is unknown.
  bool GetPassWord(StringPtr password) const;
  bool HasPassWord() const { return passWord[0] != 0; }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);

 private:
  void SwapFields();
};

#pragma pack(pop)

static_assert(sizeof(CompteInfos) == 382);
static_assert(std::is_trivially_copyable_v<CompteInfos>);
static_assert(offsetof(CompteInfos, fileVersion) == 18);
static_assert(offsetof(CompteInfos, crypt) == 21);
static_assert(offsetof(CompteInfos, passWord) == 22);
static_assert(offsetof(CompteInfos, report) == 278);
static_assert(offsetof(CompteInfos, total) == 302);
static_assert(offsetof(CompteInfos, tvaTotaux) == 326);
static_assert(offsetof(CompteInfos, autoIncrement) == 342);
static_assert(offsetof(CompteInfos, nbOfOperations) == 344);
static_assert(offsetof(CompteInfos, autoGenerate) == 346);
static_assert(offsetof(CompteInfos, linked) == 347);
static_assert(offsetof(CompteInfos, linkID) == 348);
static_assert(offsetof(CompteInfos, compteTVA) == 350);
static_assert(offsetof(CompteInfos, compteTitres) == 351);
static_assert(offsetof(CompteInfos, historiqueDate) == 352);
static_assert(offsetof(CompteInfos, historiqueOffset) == 356);
static_assert(offsetof(CompteInfos, devise) == 360);
static_assert(offsetof(CompteInfos, reload) == 364);
static_assert(offsetof(CompteInfos, lastReloadDate) == 366);
static_assert(offsetof(CompteInfos, reserved) == 370);
static_assert(offsetof(CompteInfos, converted) == 374);
static_assert(offsetof(CompteInfos, typeOfCompte) == 375);
static_assert(offsetof(CompteInfos, lockDate) == 376);
static_assert(offsetof(CompteInfos, compteNoPiece) == 380);

#endif  // VYX_ACCOUNTS_COMPTEINFOS_H_
