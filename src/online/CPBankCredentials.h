// The passwords of bank scripts that the user asked to keep: in the system
// keyring, under the script, the user's login at the bank and the script's
// parameter, and never in any file of vyx. Without a keyring, every use
// raises kCPErrNoCredentials with a message that says why, so that nothing
// goes on with an empty password.
#ifndef VYX_ONLINE_CPBANKCREDENTIALS_H_
#define VYX_ONLINE_CPBANKCREDENTIALS_H_

#include <string>

class CPBankCredentials {
 public:
  // `script` is the script's file name (UTF-8); `login` the value of its
  // login parameter (MacRoman), empty when it has none.
  CPBankCredentials(std::string script, std::string login);

  // The password kept for `parameter` (MacRoman, as are the values), if one is.
  bool Find(const std::string& parameter, std::string* value) const;
  // Keeps `value` for `parameter`, replacing what was kept.
  void Keep(const std::string& parameter, const std::string& value) const;
  // Removes every password kept for the script (for this login only, when
  // one was given); false when there was none.
  bool Forget() const;

 private:
  std::string script_, login_;
};

#endif  // VYX_ONLINE_CPBANKCREDENTIALS_H_
