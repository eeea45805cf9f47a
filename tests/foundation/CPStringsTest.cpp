#include "foundation/CPStrings.h"

#include <gtest/gtest.h>

#include "foundation/CPStringTable.h"

namespace {

std::string S(ConstStringPtr p) { return PToStd(p); }

void P(const std::string& s, StringPtr out) { StdToP(s, out); }

TEST(CPStrings, ConcatAndInsertCutAt255) {
  Str255 a, b;
  P(std::string(200, 'a'), a);
  P(std::string(200, 'b'), b);
  CPStrConcat(a, b);
  EXPECT_EQ(255, a[0]);
  EXPECT_EQ(std::string(200, 'a') + std::string(55, 'b'), S(a));

  P("held", a);
  P("XY", b);
  CPStrInsert(a, 3, b);
  EXPECT_EQ("heXYld", S(a));
  CPStrInsert(a, 1, a);  // inserting a string into itself
  EXPECT_EQ("heXYldheXYld", S(a));
}

TEST(CPStrings, InsertVarReplacesFirstOccurrenceOnly) {
  Str255 s, v;
  P("Le compte ^1 et ^1 (^2)", s);
  P("Courant", v);
  CPStrInsertVar(s, 1, v);
  EXPECT_EQ("Le compte Courant et ^1 (^2)", S(s));
  P("sans variable", s);
  CPStrInsertVar(s, 1, v);
  EXPECT_EQ("sans variable", S(s));
}

TEST(CPStrings, EditingHelpers) {
  Str255 s, out;
  P("  a b  ", s);
  CPStrRemoveSpaces(s);
  EXPECT_EQ("a b", S(s));
  P("1 234 567", s);
  CPStrDeleteAll(s, ' ');
  EXPECT_EQ("1234567", S(s));
  P("a/b/c", s);
  EXPECT_EQ(2, CPStrPos(s, '/'));
  EXPECT_EQ(4, CPStrPos(s, '/', true));
  EXPECT_EQ(0, CPStrPos(s, 'z'));
  CPStrCopy(s, 3, out);
  EXPECT_EQ("b/c", S(out));
  CPStrCopy(s, 3, out, 1);
  EXPECT_EQ("b", S(out));
  P("abcdefgh", s);
  TruncPString(out, s, 6);
  EXPECT_EQ("abcdef", S(out));
  P("   ", s);
  CPStrRemoveSpaces(s);
  EXPECT_EQ(0, s[0]);
}

TEST(CPString, MaximumLengthRulesEveryChange) {
  CPString s("abcdef", 4);
  EXPECT_EQ("abcd", s.Std());
  s += CPString("xyz");
  EXPECT_EQ("abcd", s.Std());
  CPString t("abcdef");
  t.SetMaxLength(2);
  EXPECT_EQ("ab", t.Std());
  CPString joined(CPString("ab"), CPString("cd"));
  EXPECT_EQ("abcd", joined.Std());
  EXPECT_EQ("bc", CPString(joined, 2, 2).Std());
}

TEST(CPString, FourCharacterCodes) {
  CPString code = CPString::FromType('FRF ');
  EXPECT_EQ("FRF ", code.Std());
  EXPECT_EQ(4, code.MaxLength());
  EXPECT_EQ(0x46524620u, code.ToType());
  EXPECT_EQ('EU  ', CPString("EU").ToType());
  EXPECT_EQ(-42, CPString(" -42").ToLong());
}

TEST(CPStringTable, EveryEntryIsWellFormedMacRoman) { EXPECT_EQ("", CPCheckStringTable()); }

// A message has a limit: a long value is shortened in its middle rather than
// the message cut before it says what is wrong.
TEST(CPStringTable, ALongValueIsShortenedNotTheMessageCut) {
  const std::string label(kCPMessageMax, 'x');
  const std::string reason = " est trop long : 99 caract\x8Fres au plus.";
  std::string text = CPFillVars("Le libell\x8E \xC7 ^1 \xC8^2", {label, reason});
  EXPECT_EQ(kCPMessageMax, text.size());
  EXPECT_EQ(reason, text.substr(text.size() - reason.size()));
  EXPECT_NE(std::string::npos, text.find("xxx\xC9xxx"));  // the ellipsis where it was cut
  EXPECT_EQ("a b", CPFillVars("^1 ^2", {"a", "b"}));
  EXPECT_EQ("b a", CPFillVars("^2 ^1", {"a", "b"}));
}

}  // namespace
