#include "foundation/CPForeignText.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

namespace {

// Windows-1252 byte to MacRoman byte, or 0 when MacRoman lacks the character
// (the byte 0 itself maps to 0 as well, which is right).
struct Tables {
  std::array<unsigned char, 256> fromWindows{};
  // Code points below 0x800 (two bytes of UTF-8: the accented letters) by
  // index, the few others of MacRoman (dashes, quotes, ligatures) by look-up.
  std::array<unsigned char, 0x800> fromTwoBytes{};
  std::unordered_map<char32_t, unsigned char> fromUnicode;

  // The MacRoman byte of a code point beyond ASCII, or 0.
  unsigned char FromCodePoint(char32_t cp) const {
    if (cp < 0x800) return fromTwoBytes[cp];
    auto it = fromUnicode.find(cp);
    return it == fromUnicode.end() ? 0 : it->second;
  }
};

char32_t DecodeOne(const std::string& utf8) {
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  if (utf8.empty()) return 0;
  if (p[0] < 0x80) return p[0];
  if ((p[0] & 0xE0) == 0xC0 && utf8.size() >= 2) return char32_t((p[0] & 0x1F) << 6 | (p[1] & 0x3F));
  if ((p[0] & 0xF0) == 0xE0 && utf8.size() >= 3) {
    return char32_t((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
  }
  return 0;
}

// Built once from ICU's tables of the two sets, so that converting a line
// costs a look-up per byte rather than a converter.
const Tables& GetTables() {
  static const Tables tables = [] {
    Tables t;
    for (int b = 0x80; b < 256; ++b) {
      std::string mac(1, char(b));
      std::string utf8 = CPConvertTextLenient(mac, kCPMacRoman, kCPUTF8, nullptr);
      char32_t cp = DecodeOne(utf8);
      if (cp < 0x800) {
        t.fromTwoBytes[cp] = static_cast<unsigned char>(b);
      } else {
        t.fromUnicode[cp] = static_cast<unsigned char>(b);
      }
    }
    for (int b = 0; b < 256; ++b) {
      if (b < 0x80) {
        t.fromWindows[size_t(b)] = static_cast<unsigned char>(b);
        continue;
      }
      bool lossy = false;
      std::string utf8 = CPConvertTextLenient(std::string(1, char(b)), kCPWindowsLatin1, kCPUTF8,
                                              &lossy);
      t.fromWindows[size_t(b)] = lossy ? 0 : t.FromCodePoint(DecodeOne(utf8));
    }
    return t;
  }();
  return tables;
}

}  // namespace

// Eight bytes at a time: most lines of a statement are plain ASCII.
size_t CPASCIIPrefix(std::string_view text) {
  const char* p = text.data();
  size_t n = text.size(), i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < n && static_cast<unsigned char>(p[i]) < 0x80) ++i;
  return i;
}

namespace {

// The length of the UTF-8 sequence that starts at text[i], or 0 when none does.
size_t SequenceLength(std::string_view text, size_t i, char32_t* cp) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char c = b(i);
  size_t n;
  char32_t v;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    v = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    v = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    v = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > text.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    v = v << 6 | (b(i + k) & 0x3F);
  }
  // Over-long forms and surrogates are not UTF-8.
  if ((n == 3 && v < 0x800) || (n == 4 && (v < 0x10000 || v > 0x10FFFF)) ||
      (v >= 0xD800 && v <= 0xDFFF)) {
    return 0;
  }
  *cp = v;
  return n;
}

}  // namespace

bool IsUTF8String(std::string_view text) {
  for (unsigned char c : text)
    if (c == 0xC2 || c == 0xC3 || c == 0xE0 || c == 0xE2) return true;
  return false;
}

bool CPIsNonASCIIUTF8(std::string_view text) {
  bool wide = false;
  for (size_t i = CPASCIIPrefix(text); i < text.size();) {
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    char32_t cp;
    size_t n = SequenceLength(text, i, &cp);
    if (n == 0) return false;
    wide = true;
    i += n;
  }
  return wide;
}

bool CPForeignToMacRoman(std::string_view text, CPStringEncoding from, std::string* out) {
  size_t ascii = from == kCPMacRoman ? text.size() : CPASCIIPrefix(text);
  if (ascii == text.size()) {
    out->assign(text);
    return true;
  }
  const Tables& t = GetTables();
  out->reserve(text.size());
  out->assign(text.data(), ascii);
  text.remove_prefix(ascii);
  bool exact = true;
  if (from == kCPWindowsLatin1) {
    for (unsigned char c : text) {
      unsigned char m = c == 0xA0 ? ' ' : t.fromWindows[c];
      if (m == 0 && c != 0) {
        m = '?';
        exact = false;
      }
      out->push_back(char(m));
    }
    return exact;
  }
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      out->push_back(char(c));
      ++i;
      continue;
    }
    char32_t cp = 0;
    size_t n = SequenceLength(text, i, &cp);
    if (n == 0) {
      out->push_back('?');
      exact = false;
      ++i;
      continue;
    }
    // A no-break space is a space to every reader of a label or an amount.
    if (cp == 0xA0 || cp == 0x202F) cp = 0x20;
    unsigned char m = cp < 0x80 ? 0 : t.FromCodePoint(cp);
    if (cp < 0x80) {
      out->push_back(char(cp));
    } else if (m != 0) {
      out->push_back(char(m));
    } else {
      out->push_back('?');
      exact = false;
    }
    i += n;
  }
  return exact;
}
