// Items of the texts of `vyx releve` (res/strings.fr, list 30660).
#ifndef VYX_CLI_VYXRELEVETEXTS_H_
#define VYX_CLI_VYXRELEVETEXTS_H_

constexpr int kVYXReleveTexts = 30660;

enum VYXReleveText : int {
  kReleveHelp = 1,
  kReleveHelpCharger,
  kReleveHelpListe,
  kReleveHelpProposer,
  kReleveHelpValider,
  kReleveHelpAjouter,
  kReleveHelpIgnorer,
  kReleveHelpSolde,
  kReleveHelpDate,
  kReleveHelpCompte,
  kReleveHelpFichier,
  kReleveHelpLigne,
  kReleveHelpFormat,
  kReleveHelpColonnes,
  kReleveHelpIdentifiant,
  kReleveHelpTout,
  kReleveHelpOpe,
  kReleveHelpRestantes,
  kReleveHelpReinitialiser,
  kReleveHelpReculer,
  kReleveHelpCarte,
  kReleveColLigne = 30,
  kReleveColDate,
  kReleveColLibelle,
  kReleveColReference,
  kReleveColMontant,
  kReleveColEtat,
  kReleveColProposition,
  kReleveColCle,
  kReleveColOpDate,
  kReleveColOpLibelle,
  kReleveColOpMontant,
  kReleveStateOpen = 50,
  kReleveStateDone,
  kReleveStateAside,
  kReleveStateCharged,
  kReleveLoaded = 60,  // ^1: the file, ^2: its format, ^3: the account
  kReleveRowRead,
  kReleveRowNew,
  kReleveRowHeld,
  kReleveRowOtherAccount,
  kReleveRowOtherCard,
  kReleveRowCardsCleared,
  kReleveRowBalances,
  kReleveRowIgnored,
  kReleveRowReplaced,
  kReleveRowLastDate,
  kReleveNone = 80,      // ^1: the account
  kReleveValidated,      // ^1: the line, ^2: the operations' keys
  kReleveAdded,          // ^1: the line, ^2: the operation's key
  kReleveIgnored,        // ^1: the line
  kReleveNoProposal,     // ^1: the line
  kReleveNoProposalShort,
  kReleveNothingToAdd,
  kReleveNoLines,
  kReleveBadLine,        // ^1: the text typed
  kReleveBadFormat,      // ^1: the text typed
  kReleveNoFile,         // ^1: the file
  kReleveNoSuchCard,     // ^1: the account, ^2: the mode
  kReleveNoSuchLine,     // ^1: the account, ^2: the line
  kReleveLineDecided,    // ^1: the line
  kReleveNoBalance = 100,  // ^1: the account
  kReleveRowBank,          // ^1: the date
  kReleveRowCleared,
  kReleveRowGap,
  kReleveDate,       // ^1: the account, ^2: the date
  kReleveNoDate,     // ^1: the account
  kReleveDateReset,  // ^1: the account
  kReleveDateBack,   // ^1: the account, ^2: the date
};

#endif  // VYX_CLI_VYXRELEVETEXTS_H_
