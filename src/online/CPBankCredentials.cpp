#include "online/CPBankCredentials.h"

#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "platform/CPKeyring.h"

namespace {

[[noreturn]] void NoKeyring(const std::string& why) {
  CPThrowList(kCPErrNoCredentials, kCPOnlineTextsList, kCPTextNoKeyring, {CPShownText(why)});
}

}  // namespace

CPBankCredentials::CPBankCredentials(std::string script, std::string login)
    : script_(std::move(script)), login_(MacRomanToUtf8(login)) {}

bool CPBankCredentials::Find(const std::string& parameter, std::string* value) const {
  std::string secret, why;
  bool found = false;
  if (!CPKeyringFind({script_, login_, MacRomanToUtf8(parameter)}, &secret, &found, &why)) NoKeyring(why);
  if (!found) return false;
  std::string offending;
  // Kept by another tool with a character the bank scripts cannot send: asked again.
  if (!TryUtf8ToMacRoman(secret, value, &offending)) return false;
  return true;
}

void CPBankCredentials::Keep(const std::string& parameter, const std::string& value) const {
  std::string why, name = MacRomanToUtf8(parameter);
  std::string label = "vyx : " + name + " de " + script_ + (login_.empty() ? "" : " (" + login_ + ")");
  if (!CPKeyringStore({script_, login_, name}, label, MacRomanToUtf8(value), &why)) NoKeyring(why);
}

bool CPBankCredentials::Forget() const {
  std::string why;
  bool removed = false;
  if (!CPKeyringForget({script_, login_, ""}, &removed, &why)) NoKeyring(why);
  return removed;
}
