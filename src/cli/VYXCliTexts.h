// Items of the command line's own list of texts (res/strings.fr, list 30120):
// what every family shares. Each family keeps its texts in a list of its own
// (VYXCli.h says which).
#ifndef VYX_CLI_VYXCLITEXTS_H_
#define VYX_CLI_VYXCLITEXTS_H_

constexpr int kVYXCliTexts = 30120;

enum VYXCliText {
  kCliNotADate = 1,     // ^1: the text typed
  kCliNotAnAmount = 2,  // ^1: the text typed
  kCliUsageError = 3,   // ^1: what is wrong (items 30 to 42)
  kCliSeeHelp = 4,
  kCliYesNo = 5,
  kCliYesNoCancel = 6,
  kCliYes = 7,
  kCliNo = 8,
  kCliCancel = 9,
  kCliNoTerminalAnswer = 10,  // ^1: the question, ^2: the answer taken
  kCliNoTerminalText = 11,    // ^1: the question
  kCliAnswerAgain = 12,
  kCliNoSuchCompte = 13,       // ^1: the dossier, ^2: the name asked for
  kCliDefaultAnswer = 14,      // ^1: the answer an empty line gives
  kCliCompteFileMissing = 15,  // ^1: the account
  kCliHelpDescription = 20,
  kCliHelpHelp = 21,
  kCliHelpHelpAll = 22,
  kCliHelpVersion = 23,
  kCliHelpDossier = 24,
  kCliHelpYes = 25,
  kCliHelpNo = 26,
  kCliHelpJson = 27,
  // Usage errors, said in French whatever CLI11 found wrong.
  kCliUsageOption = 30,      // ^1: an option's name ("--date")
  kCliUsageArgument = 31,    // ^1: an argument's name ("COMPTE")
  kCliUsageMissing = 32,     // ^1: an option or argument
  kCliUsageNoCommand = 33,   // ^1: the command typed ("vyx compte")
  kCliUsageExtra = 34,       // ^1: what was typed, quoted
  kCliUsageExtras = 35,      // ^1: what was typed, quoted
  kCliUsageBadValue = 36,    // ^1: the value typed, ^2: an option or argument
  kCliUsageNoValue = 37,     // ^1: an option
  kCliUsageValueCount = 38,  // ^1: an option or argument
  kCliUsageRefused = 39,     // ^1: an option or argument
  kCliUsageExcludes = 40,    // ^1, ^2: options
  kCliUsageNeeds = 41,       // ^1, ^2: options
  kCliUsageGeneral = 42,
};

// What the readers of typed arguments refuse (list 30450); ^1 is always the
// text typed, characters it cannot show written as their code ("<U+2212>").
constexpr int kVYXArgTexts = 30450;

enum VYXArgTextItem {
  kArgTextChar = 1,     // ^2: the character ("U+2212 MINUS SIGN")
  kArgTextControl = 2,  // ^2: the character
  kArgDateChar = 3,     // ^2: the character
  kArgDateShape = 4,
  kArgDateYearDigits = 5,
  kArgAmountChar = 6,  // ^2: the character
  kArgAmountNoDigit = 7,
  kArgAmountTooLarge = 8,
  kArgAmountDecimals = 9,  // ^2: the decimals the dossier allows
};

// What the commands say of the files they are given (list 30470): a
// database's log, a dossier that is not one, a dossier renamed.
constexpr int kVYXFileTexts = 30470;

enum VYXFileTextItem {
  kFileLogUnusable = 1,      // ^1: the log, ^2: why, ^3: the code
  kFileError = 2,            // ^1: the file, ^2: the message, ^3: the code
  kFileDossierIsFolder = 3,  // ^1: the path
  kFileNotADossier = 4,      // ^1: the path
  kFileDossierRenamed = 5,   // ^1: the old path, ^2: the new one
  kFileBadDossierName = 6,   // ^1: the name typed
  kFileRenameTaken = 7,      // ^1: the dossier, ^2: the new name
  kFileDossierBusy = 8,      // ^1: the dossier
  kFileCannotRename = 9,     // ^1: the dossier, ^2: why
  kFileNoDossierToRename = 10,
  kFileSampleNotRenamed = 11,
  kFileHelpRenommer = 12,
  kFileHelpRenommerFichier = 13,
  kFileHelpRenommerNouveau = 14,
};

#endif  // VYX_CLI_VYXCLITEXTS_H_
