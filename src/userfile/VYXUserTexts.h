// Items of vyx's own list of user-file texts (res/strings.fr, list 30300), and
// the error codes of the user file, whose texts are under "err".
#ifndef VYX_USERFILE_VYXUSERTEXTS_H_
#define VYX_USERFILE_VYXUSERTEXTS_H_

#include <cstdint>

constexpr int kVYXUserTextsList = 30300;

enum VYXUserText {
  kVYXTextWhereIsCompte = 1,  // ^1: the account's name
  kVYXTextNoSuchFile = 2,     // ^1: the path the user gave
};

// Texts about the files of a dossier (list 30460).
constexpr int kVYXUserFilesList = 30460;

enum VYXUserFilesText {
  kVYXTextLogMissing = 1,        // ^1: the log
  kVYXTextLogSetAside = 2,       // ^1: the log, ^2: why it cannot serve, ^3: its new name
  kVYXTextUseOutside = 3,        // ^1: the account, ^2: where it was expected, ^3: where it is
  kVYXTextOutsideRefused = 4,    // the same
  kVYXTextCompteIsFolder = 5,    // ^1: the place, ^2: the account
  kVYXTextCompteNotAFile = 6,    // the same
  kVYXTextCannotOpenCompte = 7,  // ^1: the account's file, ^2: why
};

// The euro's code, long name and symbol, as a new user file takes them.
constexpr int kVYXEuroNameList = 277;
constexpr int kVYXEuroLongNameList = 278;
constexpr int kVYXEuroSymbolList = 279;

enum : int16_t {
  kVYXErrNotUserFile = 3220,      // the file is not a vyx user file
  kVYXErrCompteNotListed = 3221,  // the account is not one of the user file's
  kVYXErrNoDossier = 3222,        // an account needs an open user file
  kVYXErrCompteOutside = 3223,    // an account's file outside the dossier, not agreed to
};

#endif  // VYX_USERFILE_VYXUSERTEXTS_H_
