#include "online/CPScriptText.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cctype>

#include "platform/CPUtf8.h"

#include "foundation/CPTextEncoding.h"

std::string CPScriptCut(std::string_view text) {
  return std::string(text.substr(0, kCPScriptTextMax));
}

std::string CPScriptFold(std::string_view macRoman) {
  UErrorCode status = U_ZERO_ERROR;
  const icu::Normalizer2* nfd = icu::Normalizer2::getNFDInstance(status);
  icu::UnicodeString text = icu::UnicodeString::fromUTF8(MacRomanToUtf8(macRoman));
  if (U_SUCCESS(status)) text = nfd->normalize(text, status);
  icu::UnicodeString bare;
  for (int32_t i = 0; i < text.length();) {
    UChar32 c = text.char32At(i);
    if (u_charType(c) != U_NON_SPACING_MARK) bare.append(c);
    i += U16_LENGTH(c);
  }
  bare.foldCase();
  std::string out;
  bare.toUTF8String(out);
  return out;
}

std::string CPScriptSourceToMacRoman(const std::string& bytes) {
  bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  if (ascii || !CPIsValidUtf8(bytes)) return bytes;
  bool lossy = false;
  return CPConvertTextLenient(bytes, kCPUTF8, kCPMacRoman, &lossy);
}

long CPScriptLong(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    if (value > 100000000000L) break;  // far beyond any index or count a script needs
    value = value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

bool CPScriptSameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

namespace {

// Letters and digits only, in lower case: "Mot de passe" and "MOT_DE_PASSE" alike.
std::string Squeezed(std::string_view name) {
  std::string lower;
  for (char c : name)
    if (std::isalnum(static_cast<unsigned char>(c))) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

}  // namespace

bool CPScriptIsLoginName(std::string_view name) {
  if (CPScriptIsSecretName(name)) return false;
  std::string lower = Squeezed(name);
  static const char* const kWords[] = {"identifiant", "login", "user", "utilisateur", "client", "abonne"};
  for (const char* w : kWords)
    if (lower.find(w) != std::string::npos) return true;
  return lower == "id";
}

bool CPScriptIsSecretName(std::string_view name) {
  std::string lower = Squeezed(name);
  // Words banks and scripts use for what a user types to prove who they are.
  static const char* const kWords[] = {"pass", "pwd", "mdp", "secret", "motdepasse", "password",
                                       "codeconfidentiel", "codesecret", "credential", "token"};
  for (const char* w : kWords)
    if (lower.find(w) != std::string::npos) return true;
  return lower == "pin" || lower == "code" || lower == "codepin";
}
