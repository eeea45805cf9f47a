// The string lists of the business features (res/strings.fr): the texts of
// printed documents and of settlement (30780), and the names of the
// properties of documents (636).
#ifndef VYX_BUSINESS_VYXBUSINESSTEXTS_H_
#define VYX_BUSINESS_VYXBUSINESSTEXTS_H_

constexpr int kVYXBusinessTexts = 30780;
enum : int {
  kBizTitreDevis = 1,      // titles of the three stages
  kBizTitreBL,
  kBizTitreFacture,
  kBizNumero,              // ^1: the number
  kBizDate,                // ^1: the date
  kBizEcheance,            // ^1: the date
  kBizClient,
  kBizLivraison,
  kBizReference,           // ^1: the customer's reference
  kBizColReference,
  kBizColDesignation,
  kBizColQuantite,
  kBizColPrixUnitaire,
  kBizColRemise,
  kBizColTVA,
  kBizColTotalHT,
  kBizSousTotal,
  kBizTotal,
  kBizTauxTVA,             // VAT summary: rate, base, VAT
  kBizBaseHT,
  kBizMontantTVA,
  kBizTotalHT,
  kBizTotalTVA,
  kBizTotalTTC,
  kBizDontEco,             // ^1: the eco-contribution
  kBizDejaRegle,
  kBizNetAPayer,
  kBizPenalites,           // ^1: the rate
  kBizPenalitesLegales,
  kBizPage,                // ^1: page, ^2: pages
  kBizSiret,               // ^1
  kBizNaf,                 // ^1
  kBizTvaIntra,            // ^1
  kBizCapital,             // ^1: legal form, ^2: capital
  kBizTelephone,           // ^1
  kBizNiiClient,           // ^1
  kBizDevisDate,           // ^1: quote's number, ^2: its date
  kBizBLDate,              // ^1, ^2: the delivery note's
  kBizModaliteFirst,       // 6 items: the terms of payment
  kBizReglementLibelle = kBizModaliteFirst + 6,  // ^1: the invoice's number, ^2: the customer
  kBizPasUneFacture,       // ^1: the document's number
  kBizReglementNul,
  kBizDejaLiee,            // ^1: the operation, ^2: the other document's number
  kBizSansNumero,
  kBizEtatDevisFirst,      // 3 items: pending, accepted, refused
  kBizEtatFirst = kBizEtatDevisFirst + 3,  // 3 items: quote, delivery note, invoice
  kBizTitreAvoir = kBizEtatFirst + 3,      // an invoice of a negative total
  kBizReglementSansClient,                 // ^1: the invoice's number
  kBizEcritureImpossible,                  // ^1: the file
  kBizNumeroPris,                          // ^1: the number
  kBizDontEcoTotal,                        // the totals' line of eco-contribution
};

constexpr int kVYXFacturePropertyNames = 636;

#endif  // VYX_BUSINESS_VYXBUSINESSTEXTS_H_
