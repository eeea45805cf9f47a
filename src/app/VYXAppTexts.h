// Items of vyx's own list of application texts (res/strings.fr, list 30200):
// the preference file's alerts, the version check's messages and the
// container's questions.
#ifndef VYX_APP_VYXAPPTEXTS_H_
#define VYX_APP_VYXAPPTEXTS_H_

constexpr int kVYXAppTextsList = 30200;

enum VYXAppText {
  kVYXTextPrefsSetAside = 1,     // ^1: the name the damaged file was given
  kVYXTextPrefsUnreadable = 2,   // ^1: the error's text
  kVYXTextUpdateAvailable = 3,   // when the server gives no message
  kVYXTextOpenUpdatePage = 4,
  kVYXTextUpToDate = 5,
  kVYXTextCheckFailed = 6,       // ^1: the error's text
  kVYXTextNoWebSite = 7,
  kVYXTextWhichDossier = 8,       // the dossier to open, when vyx has none
};

#endif  // VYX_APP_VYXAPPTEXTS_H_
