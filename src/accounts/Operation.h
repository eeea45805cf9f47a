// One bank transaction of an account, as stored: the 252-byte Operation
// record. The account document owns the rules that keep its split-line
// figures and sums right; this is the plain record with its defaults and its
// conversions to and from a file's encoding (stream form: VYXOperationStream.h).
#ifndef VYX_ACCOUNTS_OPERATION_H_
#define VYX_ACCOUNTS_OPERATION_H_

#include <cstddef>
#include <type_traits>

#include "accounts/CompteDataHeader.h"
#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

struct VYXCompteDefaultValues;

#pragma pack(push, 1)

struct Operation {
  CompteDataHeader header{kOperationData};
  CPDate date = 0;           // today for a new operation
  Str99 libelle = {};
  Boolean fictive = 0;
  uint8_t unused1 = 0;
  double montant = 0;        // negative = debit, in the account's currency
  CPResID tva = 0;           // VAT rate item
  double montantTva = 0;
  int16_t sousOpsNbr = 0;    // live split lines
  double montantSousOp = 0;  // total of the live split lines' amounts
  CPResID mode = 0;
  Str7 noCheque = {};
  CPResID categorie = 0;
  CPMonth mois = 1;          // month (1 to 12) the operation is attributed to
  OpStatus status = kOpEngagee;
  uint8_t unused2 = 0;
  CPDate datePointe = 0;     // when the bank books it; 0 = not known
  Str5 releve = {};          // statement on which it was cleared
  Boolean isATitre = 0;
  uint8_t unused3 = 0;
  CPResID titre = 0;
  double quantity = 1.0;
  CPResID virementId = 0;          // transfer target; 0 = no transfer
  VirementKey virementKey = 0;     // this half's transfer key
  VirementKey virementTargetKey = 0;  // on a twin: its source's key
  CPResID note = 0;
  CPResID pj = 0;                  // attached file
  double montantTvaSousOp = 0;     // total of the live split lines' VAT
  CPResID tiers = 0;
  CPResID affaire = 0;
  // Host value in memory ('USD '); Encode turns it into its four characters
  // in text order, which is how files hold it whatever their byte order.
  DeviseCode deviseOrigine = 0;
  double montantOrigine = 0;
  DataID facture = 0;              // invoice settled by this operation
  CPResID affectation = 0;
  CPResID automatique = 0;         // automatic operation that generated it
  Str12 noPiece = {};
  uint8_t unused4 = 0;
  uint16_t pourcentagePerso = 0;   // memory only: not in the stored stream

  // Dated today, committed, quantity 1, month 1, everything else empty.
  Operation();
  // A new operation for an account from its default values: their status,
  // mode, category and allocation, the VAT rate of receipts when `debCred`
  // says credit and of expenses otherwise, the month of their month rule.
  Operation(const VYXCompteDefaultValues& defaults, bool isATitre);

  // The bank date: `datePointe`, or `date` while that is not known.
  CPDate GetDatePointe() const { return datePointe != 0 ? datePointe : date; }
  // Credit when the amount is 0 or more.
  MontantType GetMontantType() const { return montant >= 0 ? kMontantCredit : kMontantDebit; }

  // The part of the amount its split lines leave to the operation's own
  // category: the whole amount without lines.
  double GetMontantNonVentile() const { return montant - montantSousOp; }
  // Whether the split lines go beyond the amount: what they leave is not
  // between 0 and the amount (a hundredth aside), as when -30, -200 and 0
  // split -100. Allowed, but worth a word to the user.
  bool VentilationDepasseMontant() const;

  // The cheque and statement numbers as lists show and compare them (see
  // FillNoCheque). `text` receives up to 255 bytes.
  void GetFilledNoCheque(StringPtr text) const;
  void GetFilledReleve(StringPtr text) const;
  // In place: a number made only of digits gets leading zeros up to the
  // field's width (7 for cheques, 5 for statements), as cheque books number
  // them, so that numbers of different lengths line up and order by value.
  // Other texts are left as they are. Filters apply these to typed criteria.
  static void FillNoCheque(StringPtr text);
  static void FillReleve(StringPtr text);

  // Order of two amounts: debits first, the largest first, then credits from
  // the smallest; that is increasing value. <0, 0, >0.
  static int sCompare(double a, double b);

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);

 private:
  void SwapFields();
};

#pragma pack(pop)

static_assert(sizeof(Operation) == 252);
static_assert(std::is_trivially_copyable_v<Operation>);
static_assert(offsetof(Operation, date) == 18);
static_assert(offsetof(Operation, libelle) == 22);
static_assert(offsetof(Operation, fictive) == 122);
static_assert(offsetof(Operation, montant) == 124);
static_assert(offsetof(Operation, tva) == 132);
static_assert(offsetof(Operation, montantTva) == 134);
static_assert(offsetof(Operation, sousOpsNbr) == 142);
static_assert(offsetof(Operation, montantSousOp) == 144);
static_assert(offsetof(Operation, mode) == 152);
static_assert(offsetof(Operation, noCheque) == 154);
static_assert(offsetof(Operation, categorie) == 162);
static_assert(offsetof(Operation, mois) == 164);
static_assert(offsetof(Operation, status) == 166);
static_assert(offsetof(Operation, datePointe) == 168);
static_assert(offsetof(Operation, releve) == 172);
static_assert(offsetof(Operation, isATitre) == 178);
static_assert(offsetof(Operation, titre) == 180);
static_assert(offsetof(Operation, quantity) == 182);
static_assert(offsetof(Operation, virementId) == 190);
static_assert(offsetof(Operation, virementKey) == 192);
static_assert(offsetof(Operation, virementTargetKey) == 196);
static_assert(offsetof(Operation, note) == 200);
static_assert(offsetof(Operation, pj) == 202);
static_assert(offsetof(Operation, montantTvaSousOp) == 204);
static_assert(offsetof(Operation, tiers) == 212);
static_assert(offsetof(Operation, affaire) == 214);
static_assert(offsetof(Operation, deviseOrigine) == 216);
static_assert(offsetof(Operation, montantOrigine) == 220);
static_assert(offsetof(Operation, facture) == 228);
static_assert(offsetof(Operation, affectation) == 232);
static_assert(offsetof(Operation, automatique) == 234);
static_assert(offsetof(Operation, noPiece) == 236);
static_assert(offsetof(Operation, pourcentagePerso) == 250);

#endif  // VYX_ACCOUNTS_OPERATION_H_
