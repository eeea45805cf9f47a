// The program's side of the keyring: the work is in the module vyx-keyring.
#include "platform/CPKeyring.h"

#include "platform/CPModule.h"

namespace {

template <typename F>
F* Function(const char* symbol, std::string* why) {
  return reinterpret_cast<F*>(CPModuleSymbol("vyx-keyring", symbol, why));
}

}  // namespace

bool CPKeyringFind(const CPKeyringKey& key, std::string* secret, bool* found, std::string* why) {
  using Find = bool(const CPKeyringKey&, std::string*, bool*, std::string*);
  *found = false;
  Find* find = Function<Find>("vyx_keyring_find", why);
  return find && find(key, secret, found, why);
}

bool CPKeyringStore(const CPKeyringKey& key, const std::string& label, const std::string& secret,
                    std::string* why) {
  using Store = bool(const CPKeyringKey&, const std::string&, const std::string&, std::string*);
  Store* store = Function<Store>("vyx_keyring_store", why);
  return store && store(key, label, secret, why);
}

bool CPKeyringForget(const CPKeyringKey& key, bool* removed, std::string* why) {
  using Forget = bool(const CPKeyringKey&, bool*, std::string*);
  *removed = false;
  Forget* forget = Function<Forget>("vyx_keyring_forget", why);
  return forget && forget(key, removed, why);
}
