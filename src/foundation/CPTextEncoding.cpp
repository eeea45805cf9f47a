#include "foundation/CPTextEncoding.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"

namespace {

const char* ConverterName(CPStringEncoding e) {
  switch (e) {
    case kCPMacRoman: return "macintosh";
    case kCPWindowsLatin1: return "windows-1252";
    case kCPUTF8: return "UTF-8";
    case kCPUnicode: return "UTF-16LE";  // the host order of every machine we build for
  }
  return "macintosh";
}

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

Converter Open(CPStringEncoding e, bool strict) {
  UErrorCode status = U_ZERO_ERROR;
  Converter c(ucnv_open(ConverterName(e), &status));
  if (U_FAILURE(status)) CPThrowMessage(kCPErrBadText, "Convertisseur de caract\x8Fres indisponible.");
  if (strict) {
    status = U_ZERO_ERROR;
    ucnv_setToUCallBack(c.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    ucnv_setFromUCallBack(c.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
  } else {
    status = U_ZERO_ERROR;
    ucnv_setSubstChars(c.get(), "?", 1, &status);
  }
  return c;
}

// Text to UTF-16; false when the bytes are not valid in `from`.
bool ToUnicode(std::string_view text, CPStringEncoding from, bool strict, std::u16string* out) {
  if (text.empty()) {
    out->clear();
    return true;
  }
  Converter c = Open(from, strict);
  out->resize(text.size() * 2 + 2);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_toUChars(c.get(), reinterpret_cast<UChar*>(out->data()),
                            static_cast<int32_t>(out->size()), text.data(),
                            static_cast<int32_t>(text.size()), &status);
  if (U_FAILURE(status)) return false;
  out->resize(static_cast<size_t>(n));
  return true;
}

// Composes `u` (NFC); left as it is when ICU cannot.
void Compose(std::u16string* u) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status)) return;
  const auto* src = reinterpret_cast<const UChar*>(u->data());
  const auto length = static_cast<int32_t>(u->size());
  if (unorm2_isNormalized(nfc, src, length, &status) || U_FAILURE(status)) return;
  status = U_ZERO_ERROR;
  std::u16string out(u->size() * 3 + 1, u'\0');
  int32_t n = unorm2_normalize(nfc, src, length, reinterpret_cast<UChar*>(out.data()),
                               static_cast<int32_t>(out.size()), &status);
  if (U_FAILURE(status)) return;
  out.resize(static_cast<size_t>(n));
  *u = std::move(out);
}

// UTF-16 to `to`; false when a character is missing from `to`.
bool FromUnicode(const std::u16string& u, CPStringEncoding to, bool strict, std::string* out,
                 bool* lossy) {
  if (u.empty()) {
    out->clear();
    return true;
  }
  Converter c = Open(to, strict);
  out->resize(u.size() * 4 + 4);
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = ucnv_fromUChars(c.get(), out->data(), static_cast<int32_t>(out->size()),
                              reinterpret_cast<const UChar*>(u.data()),
                              static_cast<int32_t>(u.size()), &status);
  if (U_FAILURE(status)) return false;
  out->resize(static_cast<size_t>(n));
  if (lossy) {
    // ICU reports substitutions as a warning-free success; detect them by
    // converting back and comparing.
    std::u16string back;
    *lossy = !ToUnicode(*out, to, false, &back) || back != u;
  }
  return true;
}

// The first character of `u` that `to` cannot hold, as UTF-8.
std::string FirstMissing(const std::u16string& u, CPStringEncoding to) {
  for (size_t i = 0; i < u.size();) {
    size_t start = i;
    UChar32 cp;
    U16_NEXT(u.data(), i, u.size(), cp);
    (void)cp;
    std::u16string one = u.substr(start, i - start);
    std::string ignored;
    if (!FromUnicode(one, to, true, &ignored, nullptr)) {
      std::string utf8;
      FromUnicode(one, kCPUTF8, false, &utf8, nullptr);
      return utf8;
    }
  }
  return std::string();
}

[[noreturn]] void ThrowMissing(const std::string& utf8Char) {
  // The character itself cannot be put in a MacRoman message: it is named.
  CPThrowList(kCPErrTextNotMacRoman, kCPErrorsListID, 2, {CPCharName(utf8Char)});
}

}  // namespace

std::string MacRomanToUtf8(std::string_view macRoman) {
  bool ascii = true;
  for (unsigned char ch : macRoman) ascii = ascii && ch < 0x80;
  if (ascii) return std::string(macRoman);
  std::u16string u;
  ToUnicode(macRoman, kCPMacRoman, false, &u);
  std::string out;
  FromUnicode(u, kCPUTF8, false, &out, nullptr);
  return out;
}

bool TryUtf8ToMacRoman(std::string_view utf8, std::string* out, std::string* offending) {
  bool ascii = true;
  for (unsigned char ch : utf8) ascii = ascii && ch < 0x80;
  if (ascii) {
    out->assign(utf8);
    return true;
  }
  std::u16string u;
  if (!ToUnicode(utf8, kCPUTF8, true, &u)) {
    if (offending) offending->clear();
    return false;
  }
  Compose(&u);
  if (FromUnicode(u, kCPMacRoman, true, out, nullptr)) return true;
  if (offending) *offending = FirstMissing(u, kCPMacRoman);
  return false;
}

std::string CPComposeUtf8(std::string_view utf8) {
  std::u16string u;
  if (!ToUnicode(utf8, kCPUTF8, true, &u)) return std::string(utf8);
  Compose(&u);
  std::string out;
  if (!FromUnicode(u, kCPUTF8, true, &out, nullptr)) return std::string(utf8);
  return out;
}

std::string CPCharName(std::string_view utf8Char) {
  std::u16string u;
  ToUnicode(utf8Char, kCPUTF8, false, &u);
  if (u.empty()) return "?";
  size_t i = 0;
  UChar32 cp;
  U16_NEXT(u.data(), i, u.size(), cp);
  char code[16];
  std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(cp));
  char name[128];
  UErrorCode status = U_ZERO_ERROR;
  int32_t n = u_charName(cp, U_UNICODE_CHAR_NAME, name, sizeof name, &status);
  if (U_FAILURE(status) || n <= 0 || n >= int32_t(sizeof name)) return code;
  return std::string(code) + " " + std::string(name, static_cast<size_t>(n));
}

std::string CPShownText(std::string_view utf8) {
  std::u16string u;
  if (!ToUnicode(utf8, kCPUTF8, false, &u)) return std::string();
  Compose(&u);
  std::string shown;
  for (size_t i = 0; i < u.size();) {
    size_t start = i;
    UChar32 cp;
    U16_NEXT(u.data(), i, u.size(), cp);
    std::string mac;
    if (cp >= 0x20 && cp != 0x7F &&
        FromUnicode(u.substr(start, i - start), kCPMacRoman, true, &mac, nullptr)) {
      shown += mac;
    } else {
      char code[16];
      std::snprintf(code, sizeof code, "<U+%04X>", static_cast<unsigned>(cp));
      shown += code;
    }
  }
  return shown;
}

std::string Utf8ToMacRoman(std::string_view utf8) {
  std::string out, bad;
  if (TryUtf8ToMacRoman(utf8, &out, &bad)) return out;
  if (bad.empty()) CPThrowList(kCPErrBadText, kCPErrorsListID, 3);
  ThrowMissing(bad);
}

std::string CPConvertText(std::string_view text, CPStringEncoding from, CPStringEncoding to) {
  if (from == to) return std::string(text);
  std::u16string u;
  if (!ToUnicode(text, from, true, &u)) CPThrowList(kCPErrBadText, kCPErrorsListID, 3);
  std::string out;
  if (FromUnicode(u, to, true, &out, nullptr)) return out;
  ThrowMissing(FirstMissing(u, to));
}

std::string CPConvertTextLenient(std::string_view text, CPStringEncoding from,
                                 CPStringEncoding to, bool* lossy) {
  bool unused;
  bool* l = lossy ? lossy : &unused;
  *l = false;
  if (from == to) return std::string(text);
  std::u16string u;
  if (!ToUnicode(text, from, false, &u)) *l = true;
  std::string out;
  bool lossyOut = false;
  FromUnicode(u, to, false, &out, &lossyOut);
  *l = *l || lossyOut;
  return out;
}
