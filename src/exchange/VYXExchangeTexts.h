// Items of the readers' and loading's list of texts (kVYXExchangeTexts,
// res/strings.fr). Items that report a fault in a file take the line as ^1.
#ifndef VYX_EXCHANGE_VYXEXCHANGETEXTS_H_
#define VYX_EXCHANGE_VYXEXCHANGETEXTS_H_

enum VYXExchangeText : int {
  kExNotAStatement = 1,   // ^1: the file
  kExNotQIF = 2,          // ^1: the file
  kExEmptyFile = 3,       // ^1: the file
  kExOFXBadAmount = 4,    // ^1: line, ^2: the value
  kExOFXBadDate = 5,      // ^1: line, ^2: the value
  kExOFXNoDate = 6,       // ^1: line
  kExOFXNoAmount = 7,     // ^1: line
  kExCSVBadDate = 8,      // ^1: line, ^2: the column, ^3: the value
  kExCSVBadAmount = 9,    // ^1: line, ^2: the column, ^3: the value
  kExCSVNoColumns = 10,   // ^1: the file
  kExCFONBLength = 11,    // ^1: line, ^2: its length
  kExCFONBCode = 12,      // ^1: line, ^2: the code
  kExCFONBDate = 13,      // ^1: line, ^2: the value
  kExCFONBAmount = 14,    // ^1: line, ^2: the value
  kExQIFNoDate = 15,      // ^1: line
  kExReleveLine = 16,     // ^1: line, ^2: the data file, ^3: what is wrong
  kExReleveBadDate = 17,  // ^1: the text
  kExReleveBadAmount = 18,  // ^1: the text
  kExReadingProgress = 19,  // ^1: the file
  kExOFXRefused = 20,       // ^1: the server's message
  kExBadColumns = 21,       // ^1: what was typed
  kExNotFormat = 22,        // ^1: the file, ^2: the format asked for
  kExCSVNoDateColumn = 23,  // ^1: the file
  kExMatchProgress = 24,
  kExReleveWrite = 25,      // ^1: the data file
  kExCSVFewColumns = 26,    // ^1: line, ^2: the column
  kExImportProgress = 27,
  kExTransfer = 28,         // ^1: the other account, as a new operation's label
  kExSeveralAccounts = 29,  // ^1: the accounts' identifiers
  kExNoSuchLine = 30,       // ^1: the account, ^2: the line
  kExLineDecided = 31,      // ^1: the line
  kExNoSuchOperation = 32,  // ^1: the account, ^2: the key
  kExAlreadyCleared = 33,   // ^1: the operation
};

#endif  // VYX_EXCHANGE_VYXEXCHANGETEXTS_H_
