#include "foundation/CPTextEncoding.h"

#include <unicode/uchar.h>
#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <cstdio>
#include <cstring>
#include <array>
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

// MacRoman's upper half as ICU's "macintosh" converter reads it (its
// lower half is ASCII). Text of these characters alone is converted here
// without ICU: the string table and most texts shown are, and opening an
// ICU converter costs more than a whole command's own work.
constexpr char16_t kMacRomanHigh[128] = {
    0x00C4, 0x00C5, 0x00C7, 0x00C9, 0x00D1, 0x00D6, 0x00DC, 0x00E1,
    0x00E0, 0x00E2, 0x00E4, 0x00E3, 0x00E5, 0x00E7, 0x00E9, 0x00E8,
    0x00EA, 0x00EB, 0x00ED, 0x00EC, 0x00EE, 0x00EF, 0x00F1, 0x00F3,
    0x00F2, 0x00F4, 0x00F6, 0x00F5, 0x00FA, 0x00F9, 0x00FB, 0x00FC,
    0x2020, 0x00B0, 0x00A2, 0x00A3, 0x00A7, 0x2022, 0x00B6, 0x00DF,
    0x00AE, 0x00A9, 0x2122, 0x00B4, 0x00A8, 0x2260, 0x00C6, 0x00D8,
    0x221E, 0x00B1, 0x2264, 0x2265, 0x00A5, 0x00B5, 0x2202, 0x2211,
    0x220F, 0x03C0, 0x222B, 0x00AA, 0x00BA, 0x03A9, 0x00E6, 0x00F8,
    0x00BF, 0x00A1, 0x00AC, 0x221A, 0x0192, 0x2248, 0x2206, 0x00AB,
    0x00BB, 0x2026, 0x00A0, 0x00C0, 0x00C3, 0x00D5, 0x0152, 0x0153,
    0x2013, 0x2014, 0x201C, 0x201D, 0x2018, 0x2019, 0x00F7, 0x25CA,
    0x00FF, 0x0178, 0x2044, 0x20AC, 0x2039, 0x203A, 0xFB01, 0xFB02,
    0x2021, 0x00B7, 0x201A, 0x201E, 0x2030, 0x00C2, 0x00CA, 0x00C1,
    0x00CB, 0x00C8, 0x00CD, 0x00CE, 0x00CF, 0x00CC, 0x00D3, 0x00D4,
    0xF8FF, 0x00D2, 0x00DA, 0x00DB, 0x00D9, 0x0131, 0x02C6, 0x02DC,
    0x00AF, 0x02D8, 0x02D9, 0x02DA, 0x00B8, 0x02DD, 0x02DB, 0x02C7,
};

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The MacRoman byte of `c`, or -1 when MacRoman lacks it: Latin-1 through a
// table, the few others (typographic signs, œ, €) by a search.
int MacRomanByte(char32_t c) {
  static const auto latin = [] {
    std::array<int16_t, 256> t;
    for (int i = 0; i < 256; ++i) t[i] = i < 0x80 ? int16_t(i) : int16_t(-1);
    for (int i = 0; i < 128; ++i) {
      if (kMacRomanHigh[i] < 0x100) t[kMacRomanHigh[i]] = int16_t(0x80 + i);
    }
    return t;
  }();
  if (c < 0x100) return latin[c];
  for (int i = 0; i < 128; ++i) {
    if (kMacRomanHigh[i] == c) return 0x80 + i;
  }
  return -1;
}

// UTF-8 of characters MacRoman holds, each already composed: false for any
// other text (malformed, a combining mark, a character MacRoman lacks or
// that composition would change), which ICU then handles.
bool FastUtf8ToMacRoman(std::string_view utf8, std::string* out) {
  std::string mac;
  mac.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c;
    size_t n;
    if (b < 0x80) {
      c = b;
      n = 1;
    } else if ((b & 0xE0) == 0xC0 && b >= 0xC2) {
      c = b & 0x1F;
      n = 2;
    } else if ((b & 0xF0) == 0xE0) {
      c = b & 0x0F;
      n = 3;
    } else {
      return false;  // four-byte characters are all outside MacRoman
    }
    if (i + n > utf8.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      auto t = static_cast<unsigned char>(utf8[i + k]);
      if ((t & 0xC0) != 0x80) return false;
      c = (c << 6) | (t & 0x3F);
    }
    if (n == 3 && c < 0x800) return false;  // overlong
    int byte = MacRomanByte(c);
    if (byte < 0) return false;
    mac.push_back(static_cast<char>(byte));
    i += n;
  }
  *out = std::move(mac);
  return true;
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
  std::string out;
  out.reserve(macRoman.size());
  for (unsigned char ch : macRoman) AppendUtf8(ch < 0x80 ? ch : kMacRomanHigh[ch - 0x80], &out);
  return out;
}

bool TryUtf8ToMacRoman(std::string_view utf8, std::string* out, std::string* offending) {
  bool ascii = true;
  for (unsigned char ch : utf8) ascii = ascii && ch < 0x80;
  if (ascii) {
    out->assign(utf8);
    return true;
  }
  if (FastUtf8ToMacRoman(utf8, out)) return true;
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
