// An invoice turned into the operation that pays it. The invoice's lines are
// grouped by their article's category and their VAT rate, in the order the
// groups first appear, each group's VAT computed on its own sum; a payment
// covers the groups in that order, after what earlier payments covered, so
// that a deposit pays the first groups and the balance the others. One group
// paid makes a plain operation; several make an operation split into one
// line per group.
//
// The operation names the invoice (its `facture` field): the dossier, which
// follows its open accounts, then counts it in what the invoice has been
// paid (VYXUserPreferences::FactureOperationChanged). Failures raise the
// account's French messages; nothing is written before every check passed.
#ifndef VYX_BUSINESS_VYXFACTUREREGLEMENT_H_
#define VYX_BUSINESS_VYXFACTUREREGLEMENT_H_

#include <vector>

#include "accounts/VYXCompte.h"
#include "userfile/VYXUserPreferences.h"

struct VYXFactureGroupe {
  CPResID categorie = 0;  // in the dossier's list; 0 for lines without one
  CPResID tauxTVA = 0;    // in the dossier's list
  double taux = 0;        // the rate the lines count at
  double ht = 0;
  double tva = 0;
  double ttc = 0;
};

// The groups of a document; "=" lines and lines worth nothing are left out.
std::vector<VYXFactureGroupe> VYXFactureGroupes(VYXUserPreferences& user, const Facture& facture);

// What a payment pays of each group.
struct VYXReglementPart {
  size_t groupe = 0;  // index in the groups
  double montant = 0;
  double tva = 0;     // the VAT included in it
};
// `montant` spread over the groups in order, skipping what `dejaRegle`
// covered; a remainder (overpayment, or the cents by which the groups' VAT
// differs from the invoice's) goes to the last group paid.
std::vector<VYXReglementPart> VYXRepartirReglement(const std::vector<VYXFactureGroupe>& groupes,
                                                   double dejaRegle, double montant,
                                                   short decimals);

// Adds to `compte` the operation that pays `montant` of document `id` on
// `date` with `status`, and answers its key. Refuses a document that is not
// an invoice, a zero amount and a date in the account's locked period.
DataID VYXReglerFacture(VYXUserPreferences& user, int32_t id, VYXCompte& compte, double montant,
                        CPDate date, OpStatus status);

// Makes the operation at `ref` the payment of document `id`. Refuses an
// operation that already pays another document.
void VYXLierReglement(VYXUserPreferences& user, int32_t id, VYXCompte& compte, VYXDataRef ref);

// The amount settled and the link of every document computed again from the
// operations of `comptes` (every account of the dossier, open under it): a
// crash between the write of an operation and the update of the document it
// settles leaves the document behind, and this puts it right. The link is
// the latest operation (by date, then key). A document that no operation
// names and that is linked to no account keeps its amount (it may have been
// paid in an account since taken out of the dossier). Answers how many
// documents changed.
int VYXRecalculerReglements(VYXUserPreferences& user, const std::vector<VYXCompte*>& comptes);

#endif  // VYX_BUSINESS_VYXFACTUREREGLEMENT_H_
