// One split line of an operation, as stored: the 168-byte SousOperation
// record. A line is tied to its operation by `operation` (the operation's key)
// and numbered from 1 in `header.dataID`.
#ifndef VYX_ACCOUNTS_SOUSOPERATION_H_
#define VYX_ACCOUNTS_SOUSOPERATION_H_

#include <cstddef>
#include <type_traits>

#include "accounts/CompteDataHeader.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

struct Operation;

#pragma pack(push, 1)

struct SousOperation {
  CompteDataHeader header{kSousOperationData};
  uint16_t operation = 0;  // key of the owning operation (low 16 bits)
  Str99 libelle = {};
  double montant = 0;
  CPResID tva = 0;
  double montantTva = 0;
  CPResID categorie = 0;
  CPMonth mois = 1;
  Boolean pieceJointe = 0;
  uint8_t unused1 = 0;
  CPResID tiers = 0;
  CPResID affaire = 0;
  DeviseCode deviseOrigine = 0;  // host value in memory, as in Operation
  double montantOrigine = 0;
  CPResID affectation = 0;
  CPResID note = 0;
  CPResID pj = 0;
  uint16_t pourcentagePerso = 0;  // memory only: not in the stored stream

  // A free-standing line: empty, month 1.
  SousOperation() = default;
  // The next line of `op`: numbered after its live lines, tied to its key,
  // and taking its VAT rate, category, month, payee, case and allocation.
  explicit SousOperation(const Operation& op);

  MontantType GetMontantType() const { return montant >= 0 ? kMontantCredit : kMontantDebit; }

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);

 private:
  void SwapFields();
};

#pragma pack(pop)

static_assert(sizeof(SousOperation) == 168);
static_assert(std::is_trivially_copyable_v<SousOperation>);
static_assert(offsetof(SousOperation, operation) == 18);
static_assert(offsetof(SousOperation, libelle) == 20);
static_assert(offsetof(SousOperation, montant) == 120);
static_assert(offsetof(SousOperation, tva) == 128);
static_assert(offsetof(SousOperation, montantTva) == 130);
static_assert(offsetof(SousOperation, categorie) == 138);
static_assert(offsetof(SousOperation, mois) == 140);
static_assert(offsetof(SousOperation, pieceJointe) == 142);
static_assert(offsetof(SousOperation, tiers) == 144);
static_assert(offsetof(SousOperation, affaire) == 146);
static_assert(offsetof(SousOperation, deviseOrigine) == 148);
static_assert(offsetof(SousOperation, montantOrigine) == 152);
static_assert(offsetof(SousOperation, affectation) == 160);
static_assert(offsetof(SousOperation, note) == 162);
static_assert(offsetof(SousOperation, pj) == 164);
static_assert(offsetof(SousOperation, pourcentagePerso) == 166);

#endif  // VYX_ACCOUNTS_SOUSOPERATION_H_
