// A document's stages: made as a quote, a delivery note or an invoice, then
// moved on from quote to delivery note to invoice. Each stage takes its own
// number and date and keeps those of the stages before, so that an invoice
// still says which quote and which delivery note it comes from. A number is
// the next of its kind (its counter moves on), or one typed by hand (the
// counter moves on only when it is the one it would have given).
#ifndef VYX_BUSINESS_VYXFACTURESTAGES_H_
#define VYX_BUSINESS_VYXFACTURESTAGES_H_

#include <string>

#include "userfile/VYXUserPreferences.h"

// A new document of `client` (0 for none), its addresses taken from the
// customer's card, its terms from the dossier's preferences, at stage
// `etat` dated `date`. Not numbered yet, nor stored.
Facture VYXNouvelleFacture(VYXUserPreferences& user, CPResID client, EtatFacture etat,
                           CPDate date);

// Gives the document the number and the date of stage `etat` and moves it
// there: `numero` (MacRoman) typed by hand, or the next one when empty. An
// invoice also gets its due date from its terms (unless they say the date
// is typed). Not stored: the caller stores the document, after this.
void VYXNumeroterEtat(VYXUserPreferences& user, Facture& facture, EtatFacture etat, CPDate date,
                      const std::string& numero);

// The due date that terms give an invoice of `date`.
CPDate VYXEcheance(ModaliteReglement modalite, CPDate date);

#endif  // VYX_BUSINESS_VYXFACTURESTAGES_H_
