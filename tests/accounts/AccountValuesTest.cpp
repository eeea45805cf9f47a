// The small value types of account records: amounts by status, property
// codes, password scrambling, payment-mode kinds and automatic-operation rules.
#include <gtest/gtest.h>

#include <set>

#include "VYXRecordTestSupport.h"
#include "accounts/CPCryptString.h"
#include "accounts/CompteInfos.h"
#include "accounts/Mode.h"
#include "accounts/MontantSet.h"
#include "accounts/OperationAuto.h"
#include "accounts/VYXOperationProperties.h"
#include "foundation/CPDates.h"

namespace {

TEST(MontantSet, AddTotalAndFilter) {
  MontantSet set;
  MontantSet_Add(set, kOpEngagee, -10.0);
  MontantSet_Add(set, kOpPointee, 100.0);
  MontantSet_Add(set, kOpPrevue, -5.0);
  MontantSet_Add(set, kOpPointee, 0.5);
  EXPECT_EQ(-5.0, set[kOpPrevue]);
  EXPECT_EQ(-10.0, set[kOpEngagee]);
  EXPECT_EQ(100.5, set[kOpPointee]);
  EXPECT_EQ(85.5, MontantSet_Total(set));

  // A damaged status byte changes nothing and reads as 0.
  MontantSet_Add(set, 7, 1000.0);
  EXPECT_EQ(85.5, MontantSet_Total(set));
  EXPECT_EQ(0.0, set[7]);

  MontantSet filtered = set;
  MontantSet_Filter(filtered, false, true, true);
  EXPECT_EQ(90.5, MontantSet_Total(filtered));
  filtered = set;
  MontantSet_Filter(filtered, true, false, false);
  EXPECT_EQ(-5.0, MontantSet_Total(filtered));
  MontantSet_Filter(filtered, false, false, false);
  EXPECT_EQ(0.0, MontantSet_Total(filtered));

  EXPECT_STREQ("REPORT_ENGAGE", kMontantSetXMLNames[kOpEngagee]);
}

TEST(VYXOperationProperties, TwentyThreeCodesInOrderFoundByCodeAndNumber) {
  const OSType order[] = {'date', 'datP', 'libl', 'piec', 'cate', 'affe', 'tier', 'affa',
                          'mois', 'mode', 'no  ', 'stat', 'taux', 'tva ', 'mont', 'mntO',
                          'devO', 'fict', 'rele', 'tit?', 'titr', 'qty ', 'poss'};
  ASSERT_EQ(size_t(kVYXOperationPropertyCount), VYXOperationProperties().size());
  for (int n = 1; n <= kVYXOperationPropertyCount; ++n) {
    const VYXOperationProperty* p = VYXGetOperationProperty(n);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(order[n - 1], p->code) << n;
    EXPECT_EQ(p, VYXFindOperationProperty(order[n - 1]));
  }
  EXPECT_EQ(nullptr, VYXGetOperationProperty(0));
  EXPECT_EQ(nullptr, VYXGetOperationProperty(24));
  EXPECT_EQ(nullptr, VYXFindOperationProperty('xxxx'));

  struct Case {
    OSType code;
    VYXPropertyType type;
    int maxChars;
    bool byName;
  };
  using T = VYXPropertyType;
  for (Case c : {Case{'datP', T::kDate, 0, false}, Case{'devO', T::kCode, 0, false},
                 Case{'tit?', T::kBoolean, 0, false}, Case{'mntO', T::kNumber, 0, false},
                 Case{'poss', T::kShort, 0, false}, Case{'libl', T::kString, 99, false},
                 Case{'piec', T::kString, 12, false}, Case{'no  ', T::kString, 7, false},
                 Case{'rele', T::kString, 5, false}, Case{'stat', T::kString, 255, true},
                 Case{'titr', T::kString, 255, true}}) {
    const VYXOperationProperty* p = VYXFindOperationProperty(c.code);
    ASSERT_NE(nullptr, p);
    EXPECT_EQ(c.type, p->type) << p->number;
    EXPECT_EQ(c.maxChars, p->maxChars) << p->number;
    EXPECT_EQ(c.byName, p->byName) << p->number;
  }
}

TEST(CPCryptString, PasswordIsHiddenInTheRecordAndComesBack) {
  Str255 clear;
  StdToP("Mot de passe \x8E t\x8E", clear);
  CompteInfos infos;
  infos.SetPassWord(clear);
  EXPECT_TRUE(infos.HasPassWord());
  EXPECT_EQ(CPCryptStringVersion, infos.crypt);
  EXPECT_EQ(clear[0], infos.passWord[0]);
  EXPECT_NE(Text(clear), Text(infos.passWord));
  EXPECT_EQ(std::string::npos, Text(infos.passWord).find("passe"));

  // Scrambled bytes are not text: a Windows file keeps them as they are.
  CompteInfos stored = infos;
  stored.Encode(CPWindowsEncoding);
  stored.Decode(CPWindowsEncoding);
  Str255 back;
  ASSERT_TRUE(stored.GetPassWord(back));
  EXPECT_EQ(Text(clear), Text(back));

  // Every byte value survives, at every position.
  Str255 all;
  all[0] = 255;
  for (int i = 1; i <= 255; ++i) all[i] = static_cast<unsigned char>(i * 7);
  Str255 copy;
  std::memcpy(copy, all, sizeof all);
  ASSERT_TRUE(CPCryptString(copy));
  ASSERT_TRUE(CPDecryptString(copy, CPCryptStringVersion));
  EXPECT_EQ(0, std::memcmp(all, copy, sizeof all));

  // A version from a later program is refused, not misread.
  infos.crypt = 9;
  StdToP("untouched", back);
  EXPECT_FALSE(infos.GetPassWord(back));
  EXPECT_EQ("untouched", Text(back));
  // Version 0 is the password in clear.
  infos.crypt = 0;
  StdToP("clair", infos.passWord);
  ASSERT_TRUE(infos.GetPassWord(back));
  EXPECT_EQ("clair", Text(back));
}

TEST(Mode, DefaultTypeFromItsSettings) {
  struct Case {
    CPResID chequier, virement;
    bool debitOn;
    uint8_t debitKind;
    bool creditOn;
    TypeOfMode preset, expected;
  };
  const Case cases[] = {
      {3, 0, false, 0, false, 0, 1},
      {3, 4, true, kModeTypeDeferred, true, 0, 1},  // the cheque book comes first
      {0, 4, true, kModeTypeDeferred, false, 0, 4},
      {0, 0, true, kModeTypeDeferred, true, 0, 2},
      {0, 0, true, kModeTypeDelta, false, 0, 0},
      {0, 0, false, kModeTypeDeferred, false, 0, 0},
      {0, 0, false, 0, true, 0, 5},
      {3, 0, false, 0, false, 6, 6},  // a kind already set stays
  };
  for (const Case& c : cases) {
    Mode mode;
    mode.chequierID = c.chequier;
    mode.virementID = c.virement;
    mode.debitModeType.Enabled = c.debitOn;
    mode.debitModeType.ModeType = c.debitKind;
    mode.creditModeType.Enabled = c.creditOn;
    mode.type = c.preset;
    mode.SetDefaultTypeOfMode();
    EXPECT_EQ(c.expected, mode.type) << &c - cases;
  }
}

TEST(OperationAuto, MonthFilterAndLimits) {
  OperationAuto autoOp;
  for (int m = 1; m <= 12; ++m) EXPECT_TRUE(autoOp.IsValidMonth(m)) << m;
  autoOp.SetMonthFilter(8, false);
  EXPECT_FALSE(autoOp.IsValidMonth(8));
  EXPECT_TRUE(autoOp.IsValidMonth(7));
  EXPECT_EQ(0xFFFFFF7Fu, V(autoOp.monthFilter));
  autoOp.SetMonthFilter(8, true);
  EXPECT_TRUE(autoOp.IsValidMonth(8));
  EXPECT_FALSE(autoOp.IsValidMonth(0));

  autoOp.next = CPGetDate(31, 12, 2008);
  EXPECT_TRUE(autoOp.CanBeGenerated());
  autoOp.hasDateLimit = 1;
  autoOp.dateLimit = CPGetDate(31, 12, 2008);
  EXPECT_TRUE(autoOp.CanBeGenerated());  // on the limit's day
  autoOp.next = CPGetDate(31, 12, 2008) + 3600;
  EXPECT_TRUE(autoOp.CanBeGenerated());  // same day, later time
  autoOp.next = CPGetDate(1, 1, 2009);
  EXPECT_FALSE(autoOp.CanBeGenerated());

  autoOp.hasDateLimit = 0;
  autoOp.hasNbrLimit = 1;
  autoOp.numberLimit = 3;
  autoOp.number = 2;
  EXPECT_TRUE(autoOp.CanBeGenerated());
  autoOp.number = 3;
  EXPECT_FALSE(autoOp.CanBeGenerated());
}

}  // namespace
