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

}  // namespace
