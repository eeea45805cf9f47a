// The system keyring (the desktop's Secret Service, reached over D-Bus): where
// a password the user wants kept is stored instead of any file of vyx. The
// work is done by the module vyx-keyring (keyring/CPKeyringSecret.cpp), loaded
// the first time a command needs it, so that libsecret, GLib and D-Bus are
// not loaded by the commands that never do.
//
// Texts are UTF-8. Nothing here throws: a machine without a keyring (no D-Bus
// session, no Secret Service, a keyring that cannot be unlocked) answers false
// with the keyring's own words in `why`, and the layers above say it in French.
#ifndef VYX_PLATFORM_CPKEYRING_H_
#define VYX_PLATFORM_CPKEYRING_H_

#include <string>

// What a kept password belongs to. An empty member of a key given to
// CPKeyringForget matches every value.
struct CPKeyringKey {
  std::string script;     // the bank script's file name
  std::string login;      // the user's login at the bank, empty when none
  std::string parameter;  // the script's parameter the password is for
};

// The password kept under `key` in `*secret`, and whether one is (`*found`).
bool CPKeyringFind(const CPKeyringKey& key, std::string* secret, bool* found, std::string* why);
// Keeps `secret` under `key`, replacing what was kept there; `label` is what
// the keyring's own tools show.
bool CPKeyringStore(const CPKeyringKey& key, const std::string& label, const std::string& secret,
                    std::string* why);
// Removes every password kept under keys that `key` matches; `*removed` says
// whether there was one.
bool CPKeyringForget(const CPKeyringKey& key, bool* removed, std::string* why);

#endif  // VYX_PLATFORM_CPKEYRING_H_
