// What the commands of sales documents share (`vyx facture`, `vyx article`,
// `vyx numerotation`): their texts, the document a command names, the items
// of the dossier's lists found by name, and the JSON form of a document.
//
// A document is named by its number at any of its stages ("F2024-0007",
// letter case aside), or by its key (the `Clé` column of `facture liste`),
// which never changes.
#ifndef VYX_CLI_VYXFACTURECLI_H_
#define VYX_CLI_VYXFACTURECLI_H_

#include <nlohmann/json.hpp>
#include <string>

#include "userfile/VYXUserPreferences.h"

// Texts of `article` (30750), `facture` (30760) and `numerotation` with the
// seller's details (30770), in res/strings.fr.
constexpr int kVYXArticleTexts = 30750;
constexpr int kVYXFactureTexts = 30760;
constexpr int kVYXNumerotationTexts = 30770;

enum VYXFactureText : int {
  kFacHelp = 1,
  kFacHelpCreer,
  kFacHelpLigne,
  kFacHelpLigneAjouter,
  kFacHelpLigneSpecial,
  kFacHelpLigneSupprimer,
  kFacHelpListe,
  kFacHelpVoir,
  kFacHelpEtat,
  kFacHelpRegler,
  kFacHelpSupprimer,
  kFacHelpDocument,
  kFacHelpVendeur,
  kFacArgDocument,
  kFacArgClient,
  kFacArgDevis,
  kFacArgBL,
  kFacArgFacture,
  kFacArgDate,
  kFacArgLibelle,
  kFacArgReference,
  kFacArgNumero,
  kFacArgMode,
  kFacArgModalite,
  kFacArgEcheance,
  kFacArgArticle,
  kFacArgLigneLibelle,
  kFacArgPrix,
  kFacArgTva,
  kFacArgQuantite,
  kFacArgRemise,
  kFacArgLigneReference,
  kFacArgEco,
  kFacArgMot,
  kFacArgLigne,
  kFacArgFiltreEtat,
  kFacArgFiltreClient,
  kFacArgNonSoldees,
  kFacArgEtape,
  kFacArgCompte,
  kFacArgMontant,
  kFacArgDateReglement,
  kFacArgOperation,
  kFacArgStatut,
  kFacArgPdf,
  kFacArgHtml,
  kFacColCle = 50,
  kFacColEtat,
  kFacColNumero,
  kFacColDate,
  kFacColClient,
  kFacColLibelle,
  kFacColTotalTTC,
  kFacColRegle,
  kFacColEcheance,
  kFacColLigne,
  kFacColReference,
  kFacColDesignation,
  kFacColQuantite,
  kFacColPrix,
  kFacColRemise,
  kFacColTva,
  kFacColTotalHT,
  kFacColTaux,
  kFacColBase,
  kFacColMontantTva,
  kFacSoldee,
  kFacCreatedFirst = 80,  // 3 items by stage: ^1 the number, ^2 the key
  kFacLigneAdded = 83,    // ^1: the line, ^2: the document
  kFacLigneDeleted,       // ^1: the line, ^2: the document
  kFacNoSuchLigne,        // ^1: the document, ^2: the line typed
  kFacBadLigne,           // ^1: the text typed
  kFacNoSuchDocument,     // ^1: the text typed
  kFacNone,
  kFacNoneMatching,
  kFacStageNameFirst = 90,  // 3 items: "le devis ^1"... as the stage names a document
  kFacBecomes = 93,         // ^1: what it was, ^2: what it is
  kFacNoGoingBack,          // ^1: the document, ^2: its stage
  kFacNotAQuote,            // ^1: the document
  kFacQuoteState,           // ^1: the quote, ^2: its state
  kFacBadStage,             // ^1: the text typed
  kFacConfirmDelete,        // ^1: the document
  kFacConfirmDeletePaid,    // ^1: the document, ^2: the amount settled
  kFacDeleted,              // ^1: the document
  kFacPaid,                 // ^1: the amount, ^2: the account, ^3: the operation's key
  kFacLinked,               // ^1: the operation's key, ^2: the account, ^3: the invoice
  kFacNowSettled,           // ^1: the invoice
  kFacStillOwed,            // ^1: the invoice, ^2: the amount
  kFacAlreadySettled,       // ^1: the invoice
  kFacBadSpecial,           // ^1: the text typed
  kFacFreeLineNeeds,
  kFacWhichFile,
  kFacWrittenPages,         // ^1: the document, ^2: the file, ^3: pages
  kFacWritten,              // ^1: the document, ^2: the file
  kFacBadRemise,            // ^1: the text typed
  kFacUnknownItem,          // ^1: the list, ^2: the name
  kFacListArticles,
  kFacBadModalite,          // ^1: the text typed
  kFacBadStatut,            // ^1: the text typed
  kFacBadQuantite,          // ^1: the text typed
  kFacNoClient,
  kFacCompteReglements,  // ^1: the account (said before deleting it)
  kFacVerifieOk,
  kFacVerifieCorriges,   // ^1: how many
  kFacHelpVerifier,
};

// The position of the document `utf8` names; raises when none does.
int32_t VYXFindFacture(VYXUserPreferences& user, const std::string& utf8);

// The item of the dossier's list `set` named `macRoman` (letter case and
// accents aside); empty is none (0). Raises naming the list
// (`listName`, MacRoman) when it has no such item.
CPResID VYXFindUserItem(CPResourceSet& set, const std::string& listName,
                        const std::string& macRoman);

// The name of an item (UTF-8), empty for none.
std::string VYXUserItemName(CPResourceSet& set, CPResID id);

// A number typed as a whole number: raises the message of `item` of
// `list` (^1: the text) when it is not one between `min` and `max`.
long VYXArgLong(const std::string& utf8, long min, long max, int list, int item);

// The stage's word ("devis", "bon de livraison", "facture"), in UTF-8.
std::string VYXEtatText(EtatFacture etat);

// The document as JSON: its fields by name, items by their names, dates ISO
// 8601, amounts as numbers, its lines and its VAT per rate.
nlohmann::json VYXFactureJson(VYXUserPreferences& user, const Facture& facture);

#endif  // VYX_CLI_VYXFACTURECLI_H_
