// What a printed sales document shows, gathered from the dossier in UTF-8:
// the seller (the dossier's identity and legal details), the customer and
// delivery addresses, the title and dates of the stage, the lines, the VAT
// summary per rate, the totals and the mentions the law asks of an invoice.
// The PDF and HTML writers (VYXFacturePdf.h, VYXFactureHtml.h) lay this
// out; nothing here knows about pages.
#ifndef VYX_BUSINESS_VYXFACTUREDOCUMENT_H_
#define VYX_BUSINESS_VYXFACTUREDOCUMENT_H_

#include <string>
#include <utility>
#include <vector>

#include "userfile/VYXUserPreferences.h"

struct VYXDocumentLigne {
  enum Kind {
    kArticle,    // every column
    kTexte,      // a label across the table
    kSousTotal,  // a label and an amount
    kTotal,
  };
  Kind kind = kArticle;
  std::string reference, designation, quantite, prixUnitaire, remise, tva, totalHT;
};

struct VYXDocumentTVA {
  std::string taux, base, tva;
};

struct VYXFactureDocument {
  std::string titre;                 // "FACTURE", "DEVIS"...
  std::string numero;                // "N° F2024-0007"
  std::vector<std::string> infos;    // dates, due date, references
  std::vector<std::string> vendeur;  // the seller's block; its first line is the name
  std::vector<std::string> client;   // the customer's block; the same
  std::vector<std::string> livraison;  // the delivery address, empty when none
  std::string libelle;               // what the document is about
  bool avecRemise = false;           // a line has a discount: the column shows
  std::vector<VYXDocumentLigne> lignes;
  std::vector<VYXDocumentTVA> tva;   // one entry per rate that has a base
  std::vector<std::pair<std::string, std::string>> totaux;  // the last one stands out
  std::vector<std::string> mentions;
  std::string pied;  // the seller's legal identity, at the foot of every page
};

VYXFactureDocument VYXMakeFactureDocument(VYXUserPreferences& user, const Facture& facture);

// A date as documents print it: 14/07/2024.
std::string VYXDocumentDate(CPDate date);

#endif  // VYX_BUSINESS_VYXFACTUREDOCUMENT_H_
