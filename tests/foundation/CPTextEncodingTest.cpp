#include "foundation/CPTextEncoding.h"

#include <gtest/gtest.h>

#include "foundation/CPErrors.h"
#include "support/VYXTestSupport.h"

namespace {

TEST(CPTextEncoding, RoundTripsFrenchTextAndTheEuro) {
  const std::string utf8 = "Épargne été 12 € — œuvre « à » ça";
  std::string mac = Utf8ToMacRoman(utf8);
  EXPECT_EQ(std::string("\x83pargne \x8et\x8e 12 \xdb \xd1 \xcfuvre \xc7 \x88 \xc8 \x8d" "a"), mac);
  EXPECT_EQ(utf8, MacRomanToUtf8(mac));
  EXPECT_EQ(mac, CPConvertText(CPConvertText(mac, kCPMacRoman, kCPWindowsLatin1), kCPWindowsLatin1,
                               kCPMacRoman));
  EXPECT_EQ(mac, CPConvertText(CPConvertText(mac, kCPMacRoman, kCPUnicode), kCPUnicode, kCPMacRoman));
}

TEST(CPTextEncoding, RefusesWhatMacRomanCannotHold) {
  std::string out = "inchangé", bad;
  EXPECT_FALSE(TryUtf8ToMacRoman("Złoty", &out, &bad));
  EXPECT_EQ("ł", bad);
  EXPECT_CP_CODE(kCPErrTextNotMacRoman, Utf8ToMacRoman("日本"));
  EXPECT_CP_CODE(kCPErrBadText, Utf8ToMacRoman("\xff\xfe"));
  try {
    Utf8ToMacRoman("Złoty");
  } catch (const CPException& e) {
    EXPECT_NE(std::string(e.what()).find("U+0142"), std::string::npos) << e.what();
  }
}

TEST(CPTextEncoding, LenientConversionSaysWhenItLoses) {
  bool lossy = false;
  // MacRoman has the Apple logo and œ, Windows-1252 has œ but not the logo.
  std::string w = CPConvertTextLenient("\xcf\xf0", kCPMacRoman, kCPWindowsLatin1, &lossy);
  EXPECT_TRUE(lossy);
  EXPECT_EQ("\x9c?", w);
  CPConvertTextLenient("abc", kCPMacRoman, kCPWindowsLatin1, &lossy);
  EXPECT_FALSE(lossy);
}

// The usual conversions skip ICU for text MacRoman holds as it is; every byte
// must still come out as ICU reads it, and text ICU must compose or refuse
// must still go through it.
TEST(CPTextEncoding, EveryMacRomanByteConvertsAsIcuReadsIt) {
  for (int b = 0; b < 256; ++b) {
    std::string mac(1, static_cast<char>(b));
    std::string utf8 = CPConvertText(mac, kCPMacRoman, kCPUTF8);  // through ICU
    EXPECT_EQ(utf8, MacRomanToUtf8(mac)) << b;
    std::string back, bad;
    EXPECT_TRUE(TryUtf8ToMacRoman(utf8, &back, &bad)) << b;
    EXPECT_EQ(mac, back) << b;
  }
  struct Case {
    const char* utf8;
    const char* mac;  // null when refused
  };
  const Case cases[] = {
      {"e\xCC\x81t\xC3\xA9", "\x8Et\x8E"},  // a combining accent, composed
      {"\xE2\x84\xA6", "\xBD"},              // the ohm sign becomes omega
      {"\xC3\xA9\xCC\x81", nullptr},         // é then an accent that cannot compose into MacRoman
      {"\xC0\xA9", nullptr},                   // overlong
      {"\xC3", nullptr},                        // cut short
      {"\xED\xA0\x80", nullptr},              // a lone surrogate
      {"\xF0\x9F\x98\x80", nullptr},         // beyond the basic plane
  };
  for (const Case& c : cases) {
    std::string out, bad;
    bool ok = TryUtf8ToMacRoman(c.utf8, &out, &bad);
    EXPECT_EQ(c.mac != nullptr, ok) << c.utf8;
    if (c.mac && ok) {
      EXPECT_EQ(c.mac, out) << c.utf8;
    }
  }
}

}  // namespace
