// A sales document of the user file (`Facture`): a quote, then a delivery
// note, then an invoice, carried through the three stages by one record. It
// holds a header, the customer's and the delivery addresses, its lines and
// a few extra texts. These are the plain records with their defaults, their
// conversions to a file's encoding and the computation of lines and totals;
// the user file keeps them (VYXUserPreferences: AddFacture...).
//
// Every multi-byte field is packed at the offset the files fix: read and
// write them by value (see accounts/VYXRecordTypes.h).
#ifndef VYX_USERFILE_FACTURE_H_
#define VYX_USERFILE_FACTURE_H_

#include <cstddef>
#include <type_traits>
#include <vector>

#include "accounts/TauxTVA.h"
#include "resources/CPResourceSet_T.h"
#include "userfile/Article.h"
#include "userfile/UserDataHeader.h"

using Str8 = unsigned char[9];
using Str70 = unsigned char[71];

// The stage of a document.
using EtatFacture = uint8_t;
enum : EtatFacture {
  kEtatAucun = 0,
  kEtatDevis = 1,
  kEtatBL = 2,  // delivery note
  kEtatFacture = 3,
};

// The payment terms, from which the due date follows.
using ModaliteReglement = uint8_t;
enum : ModaliteReglement {
  kReglementReception = 1,     // on receipt: due on the invoice's date
  kReglement30Jours = 2,
  kReglement45JoursFDM = 3,    // 45 days, end of month
  kReglement60Jours = 4,
  kReglement30JoursFDM = 5,    // 30 days, end of month
  kReglementDateFixe = 6,      // the due date typed with the invoice
  kReglementLast = kReglementDateFixe,
};

// Where a quote stands with its customer.
using EtatDevis = uint8_t;
enum : EtatDevis {
  kDevisEnCours = 1,
  kDevisAccepte = 2,
  kDevisRefuse = 3,
  kDevisLast = kDevisRefuse,
};

// The kinds of special lines (LigneFacture::GetSpecialItem).
enum : int {
  kLigneAutreSpeciale = 0,  // a reference beginning with "=" that is none below
  kLigneTexte = 1,          // an empty reference
  kLigneZero = 2,           // "=ZERO": the sub-total starts again
  kLigneSousTotal = 3,      // "=SSTOT"
  kLigneTotal = 4,          // "=TOTAL"
};

#pragma pack(push, 1)

struct FactureAddress {
  Str31 societe = {};
  Str31 nom = {};
  Str31 prenom = {};
  Str70 adresse1 = {};
  uint8_t unused1 = 0;
  Str70 adresse2 = {};
  uint8_t unused2 = 0;
  Str8 cp = {};
  uint8_t unused3 = 0;
  Str30 ville = {};
  uint8_t unused4 = 0;
  Str30 pays = {};
  uint8_t unused5 = 0;

  bool IsEmpty() const;
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct FactureExtra {
  Str31 nii = {};  // the customer's intra-community VAT number
  Str63 commentaire1 = {};
  Str63 commentaire2 = {};
  Str63 commentaire3 = {};
  Str63 commentaire4 = {};

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

struct FactureHeader {
  UserDataHeader header{kUserDataFacture};
  CPDate date = 0;  // of the invoice
  Str12 numero = {};
  uint8_t unused1 = 0;
  Str99 libelle = {};
  Str12 reference = {};  // the customer's
  uint8_t unused2 = 0;
  CPResID client = 0;  // UserTiers of the user file
  Boolean hasLivraison = 0;
  EtatFacture etat = kEtatFacture;
  CPDate date_devis = 0;
  Str12 no_devis = {};
  uint8_t unused3 = 0;
  CPDate date_bl = 0;
  Str12 no_bl = {};
  uint8_t unused4 = 0;
  // Host value in memory ('EUR '); stored as its four characters in text
  // order. 0: the user file's reference currency.
  OSType devise = 0;
  double totalHT = 0;
  double totalTVA = 0;
  double totalTTC = 0;
  ModaliteReglement modalite = kReglementReception;
  uint8_t unused5 = 0;
  CPDate echeance = 0;
  double sold = 0;  // the amount settled so far
  Boolean soldee = 0;
  uint8_t unused6 = 0;
  int16_t relances = 0;
  CPDate relance1 = 0;
  CPDate relance2 = 0;
  CPDate relance3 = 0;
  CPResID compte = 0;     // the account of the (last) payment, in the user file's list
  int32_t operation = 0;  // its operation's key in that account
  CPResID mode = 0;
  Boolean prevu = 0;  // the payment is a planned operation
  uint8_t unused7 = 0;
  CPResID affaire = 0;
  int16_t mois = 1;
  CPResID note = 0;
  CPResID pj = 0;
  CPResID affectation = 0;
  EtatDevis etatDevis = kDevisEnCours;
  uint8_t unused8 = 0;

  FactureHeader() = default;

  // The number of the document's stage: the quote's, the delivery note's or
  // the invoice's; empty at stage 0. Cut at 12 characters.
  void GetNumero(StringPtr out) const;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);

 private:
  template <class F>
  void ConvertDates(F convert);
};

struct LigneFacture {
  UserDataHeader header{kUserDataLigneFacture};
  DataID facture = 0;    // data identifier of the invoice
  Str99 libelle = {};
  Str12 reference = {};  // the article's, or a special-line word
  uint8_t unused1 = 0;
  CPResID article = 0;   // 0 for a free line
  double quantity = 0;
  double prixUnitaire = 0;  // without VAT, eco-contribution included
  double remise = 0;        // percent, on the price without eco-contribution
  CPResID tauxTVA = 0;
  double ecoParticipation = 0;  // per unit

  LigneFacture() = default;

  // (e + (p - e) x (100 - r) / 100) x q, rounded to `decimals`.
  double GetTotalHT(short decimals) const;
  // An empty reference, or one that begins with "=".
  bool IsSpecialItem() const;
  // The kind of a special line (kLigne...); only meaningful when IsSpecialItem.
  int GetSpecialItem() const;

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// One rate's part of a document's totals.
struct FactureTVATotal {
  double taux = 0;  // percent
  double baseHT = 0;
  double tva = 0;
};

#pragma pack(pop)

static_assert(sizeof(FactureAddress) == 314);
static_assert(offsetof(FactureAddress, nom) == 32);
static_assert(offsetof(FactureAddress, prenom) == 64);
static_assert(offsetof(FactureAddress, adresse1) == 96);
static_assert(offsetof(FactureAddress, adresse2) == 168);
static_assert(offsetof(FactureAddress, cp) == 240);
static_assert(offsetof(FactureAddress, ville) == 250);
static_assert(offsetof(FactureAddress, pays) == 282);
static_assert(sizeof(FactureExtra) == 288);
static_assert(sizeof(FactureHeader) == 270);
static_assert(offsetof(FactureHeader, date) == 18);
static_assert(offsetof(FactureHeader, numero) == 22);
static_assert(offsetof(FactureHeader, libelle) == 36);
static_assert(offsetof(FactureHeader, reference) == 136);
static_assert(offsetof(FactureHeader, client) == 150);
static_assert(offsetof(FactureHeader, hasLivraison) == 152);
static_assert(offsetof(FactureHeader, etat) == 153);
static_assert(offsetof(FactureHeader, date_devis) == 154);
static_assert(offsetof(FactureHeader, no_devis) == 158);
static_assert(offsetof(FactureHeader, date_bl) == 172);
static_assert(offsetof(FactureHeader, no_bl) == 176);
static_assert(offsetof(FactureHeader, devise) == 190);
static_assert(offsetof(FactureHeader, totalHT) == 194);
static_assert(offsetof(FactureHeader, totalTVA) == 202);
static_assert(offsetof(FactureHeader, totalTTC) == 210);
static_assert(offsetof(FactureHeader, modalite) == 218);
static_assert(offsetof(FactureHeader, echeance) == 220);
static_assert(offsetof(FactureHeader, sold) == 224);
static_assert(offsetof(FactureHeader, soldee) == 232);
static_assert(offsetof(FactureHeader, relances) == 234);
static_assert(offsetof(FactureHeader, relance1) == 236);
static_assert(offsetof(FactureHeader, relance3) == 244);
static_assert(offsetof(FactureHeader, compte) == 248);
static_assert(offsetof(FactureHeader, operation) == 250);
static_assert(offsetof(FactureHeader, mode) == 254);
static_assert(offsetof(FactureHeader, prevu) == 256);
static_assert(offsetof(FactureHeader, affaire) == 258);
static_assert(offsetof(FactureHeader, mois) == 260);
static_assert(offsetof(FactureHeader, note) == 262);
static_assert(offsetof(FactureHeader, pj) == 264);
static_assert(offsetof(FactureHeader, affectation) == 266);
static_assert(offsetof(FactureHeader, etatDevis) == 268);
static_assert(sizeof(LigneFacture) == 172);
static_assert(offsetof(LigneFacture, facture) == 18);
static_assert(offsetof(LigneFacture, libelle) == 22);
static_assert(offsetof(LigneFacture, reference) == 122);
static_assert(offsetof(LigneFacture, article) == 136);
static_assert(offsetof(LigneFacture, quantity) == 138);
static_assert(offsetof(LigneFacture, prixUnitaire) == 146);
static_assert(offsetof(LigneFacture, remise) == 154);
static_assert(offsetof(LigneFacture, tauxTVA) == 162);
static_assert(offsetof(LigneFacture, ecoParticipation) == 164);
static_assert(sizeof(FactureTVATotal) == 24);
static_assert(std::is_trivially_copyable_v<FactureHeader>);
static_assert(std::is_trivially_copyable_v<LigneFacture>);

// A complete document: the header, the customer's address, the delivery
// address, the lines in order and the extra texts.
struct Facture {
  FactureHeader header;
  FactureAddress client;
  FactureAddress livraison;
  std::vector<LigneFacture> lignes;
  FactureExtra extra;

  void GetNumero(StringPtr out) const { header.GetNumero(out); }
  // Whether any of the intra-community VAT number and the four comments is set.
  bool HasExtra() const;

  // The totals of the lines: without VAT, VAT and with VAT (returned too),
  // eco-contribution and cost (of the lines whose article exists), and one
  // entry per VAT rate in the order rates first appear. VAT is rounded once
  // per rate, not per line. A line whose rate is missing, or whose rate's use
  // puts it out of the VAT charged (2, 3, 5, 6, 7), counts at 0 %.
  double CalculateTotal(CPResourceSet_T<Article>& articles, CPResourceSet_T<TauxTVA>& rates,
                        std::vector<FactureTVATotal>* vatTotals, double* totalHT, double* totalTVA,
                        double* totalTTC, double* totalEco, double* totalCost,
                        short decimals) const;
  // The value a special line shows, for line `lineIndex` (from 1): the
  // sub-total for "=SSTOT", the running total for "=TOTAL", 0 otherwise and
  // beyond the list.
  double GetSpecialItemTotal(int lineIndex, short decimals) const;
};

// The VAT rate a line counts at: the rate's own, or 0 when it is missing or
// its use keeps it out of the VAT charged.
double VYXTauxOfLigne(CPResourceSet_T<TauxTVA>& rates, CPResID id);

#endif  // VYX_USERFILE_FACTURE_H_
