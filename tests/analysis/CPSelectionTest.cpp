// Encoded selections: their bytes, their checks and their evaluation, apart
// from any account (a record here is a few numbers by subject).
#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "analysis/CPSelection.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"

namespace {

std::vector<unsigned char> Bytes(Handle h) {
  return std::vector<unsigned char>(HandlePtr(h), HandlePtr(h) + GetHandleSize(h));
}

void AddCriterion(Handle s, const CPDataEncoding& e, CPSelectionOperator op,
                  CPSelectionSubject subject, bool negative, CPSelectionComparator comparator,
                  Handle param) {
  CPOwnedHandle c = NewSelectionCriteria(op, subject, negative, comparator, param, e);
  AddCriteriaToSelection(s, e, c.get());
}

// Status 2 is not wanted, or the label contains "ab", and the amount lies
// from 10 to 20.
CPOwnedHandle Sample(const CPDataEncoding& e) {
  CPOwnedHandle s = NewSelection(e);
  AddCriterion(s.get(), e, kSelAnd, 1005, true, kCompEqual, NewSelectionParamStatus(2, e).get());
  Str255 ab;
  StdToP("ab", ab);
  AddCriterion(s.get(), e, kSelOr, 1001, false, kCompContains,
               NewSelectionParamString(ab, e).get());
  CPOwnedHandle range = NewSelectionRange(true, e);
  AddSelectionParamToRange(range.get(), e, NewSelectionParamCents(10, e).get());
  AddSelectionParamToRange(range.get(), e, NewSelectionParamCents(20, e).get());
  AddCriterion(s.get(), e, kSelAnd, 1002, false, kCompNone, range.get());
  return s;
}

TEST(SelectionBytesTest, ABlockIsWrittenInItsEncoding) {
  const std::vector<unsigned char> bigEndian = {
      0, 0, 0,    3,                                               // header: 3 criteria
      0, 0, 0x03, 0xED, 1, 1, 0, 5, 0, 0, 0, 1,  2,                // status, negative, =, 2
      0, 1, 0x03, 0xE9, 0, 4, 0, 9, 0, 0, 0, 3,  2,    'a',  'b',  // or label contains "ab"
      0, 0, 0x03, 0xEA, 0, 0, 0, 2, 0, 0, 0, 30, 0,    1,     // and amount in a range, limits in
      0, 8, 0,    0,    0, 8, 0, 0, 0, 0, 0, 0,  0x03, 0xE8,  // 1000 hundredths
      0, 8, 0,    0,    0, 8, 0, 0, 0, 0, 0, 0,  0x07, 0xD0,  // 2000
  };
  EXPECT_EQ(Bytes(Sample(CPMacPowerPCEncoding).get()), bigEndian);
  std::vector<unsigned char> little = Bytes(Sample(CPMacIntelEncoding).get());
  ASSERT_EQ(little.size(), bigEndian.size());
  EXPECT_EQ(little[3], 0);
  EXPECT_EQ(little[2], 3);
  EXPECT_EQ(little[6], 0xED);  // subjects, sizes and amounts swapped
  EXPECT_EQ(little[7], 0x03);
}

TEST(SelectionBytesTest, ReadersGiveBackWhatWasBuiltInEitherOrder) {
  for (const CPDataEncoding& e : {CPMacPowerPCEncoding, CPMacIntelEncoding, CPWindowsEncoding}) {
    CPOwnedHandle s = NewSelection(e);
    Str255 text;
    StdToP(Utf8ToMacRoman("Épargne"), text);
    AddCriterion(s.get(), e, kSelAnd, 1, false, kCompEqual,
                 NewSelectionParamString(text, e, 32).get());
    AddCriterion(s.get(), e, kSelAnd, 2, false, kCompEqual,
                 NewSelectionParamDate(3000000000u, e).get());
    AddCriterion(s.get(), e, kSelAnd, 3, false, kCompEqual,
                 NewSelectionParamCents(-1234.56, e).get());
    AddCriterion(s.get(), e, kSelAnd, 4, false, kCompEqual, NewSelectionParamDouble(0.1, e).get());
    AddCriterion(s.get(), e, kSelAnd, 5, false, kCompEqual, NewSelectionParamResID(-7, e).get());
    ASSERT_TRUE(IsValidSelection(s.get(), e));

    CPSelection header;
    int32_t offset = 0;
    ASSERT_TRUE(GetSelection(s.get(), e, &header, &offset));
    EXPECT_EQ(header.count, 5);
    CPSelectionCriteria c;
    CPSelectionParam p;
    GetSelectionCriteria(s.get(), e, &c, &p, &offset);
    EXPECT_EQ(p.size, 32);
    Str255 read;
    GetSelectionParamString(s.get(), e, p, read, &offset);
    EXPECT_EQ(PToStd(read), PToStd(text));
    GetSelectionCriteria(s.get(), e, &c, &p, &offset);
    EXPECT_EQ(GetSelectionParamDate(s.get(), e, p, &offset), 3000000000u);
    GetSelectionCriteria(s.get(), e, &c, &p, &offset);
    EXPECT_DOUBLE_EQ(GetSelectionParamMontant(s.get(), e, p, &offset), -1234.56);
    GetSelectionCriteria(s.get(), e, &c, &p, &offset);
    EXPECT_DOUBLE_EQ(GetSelectionParamMontant(s.get(), e, p, &offset), 0.1);
    GetSelectionCriteria(s.get(), e, &c, &p, &offset);
    EXPECT_EQ(c.subject, 5);
    EXPECT_EQ(GetSelectionParamInteger(s.get(), e, p, &offset), -7);
    EXPECT_EQ(size_t(offset), GetHandleSize(s.get()));
  }
  CPSelection header;
  int32_t offset = 0;
  EXPECT_FALSE(GetSelection(nullptr, CPMacIntelEncoding, &header, &offset));
}

TEST(SelectionBytesTest, OnlyWellFormedBlocksAreValid) {
  const CPDataEncoding e = CPMacPowerPCEncoding;
  std::vector<unsigned char> good = Bytes(Sample(e).get());
  auto valid = [&](std::vector<unsigned char> bytes) {
    CPOwnedHandle h(NewHandleFrom(bytes.data(), bytes.size()));
    return IsValidSelection(h.get(), e);
  };
  EXPECT_TRUE(valid(good));
  EXPECT_FALSE(IsValidSelection(nullptr, e));
  EXPECT_FALSE(valid({0, 0, 0}));
  auto broken = [&](size_t at, unsigned char value) {
    std::vector<unsigned char> b = good;
    b[at] = value;
    return valid(b);
  };
  EXPECT_FALSE(broken(0, 1));     // header version
  EXPECT_FALSE(broken(3, 4));     // one criterion more than the block holds
  EXPECT_FALSE(broken(17, 1));    // a criterion's version
  EXPECT_FALSE(broken(28, 200));  // a parameter running past the end
  EXPECT_FALSE(broken(43, 29));   // a range too short for its two bounds
  EXPECT_TRUE(broken(3, 2));      // fewer criteria: the rest is ignored
  std::vector<unsigned char> cut(good.begin(), good.end() - 1);
  EXPECT_FALSE(valid(cut));
}

TEST(SelectionBytesTest, ACriterionIsFoundAndRemoved) {
  const CPDataEncoding e = CPMacPowerPCEncoding;
  CPOwnedHandle s = Sample(e);
  CPSelectionCriteria c;
  CPSelectionParam p;
  int32_t offset = 0;
  ASSERT_TRUE(FindSelectionCriteria(s.get(), e, 1001, &c, &p, &offset));
  EXPECT_EQ(c.op, kSelOr);
  EXPECT_EQ(offset, 4 + 13 + 12);
  EXPECT_FALSE(FindSelectionCriteria(s.get(), e, 999, &c, &p, &offset));
  ASSERT_TRUE(FindSelectionCriteria(s.get(), e, 1001, &c, &p, &offset));
  RemoveSelectionCriteria(s.get(), e, p, offset);
  EXPECT_TRUE(IsValidSelection(s.get(), e));
  EXPECT_EQ(GetHandleSize(s.get()), size_t(4 + 13 + 42));
  EXPECT_FALSE(FindSelectionCriteria(s.get(), e, 1001, &c, &p, &offset));
  EXPECT_TRUE(FindSelectionCriteria(s.get(), e, 1002, &c, &p, &offset));
}

// A record of whole numbers by subject; the test writes down each call.
struct Record {
  std::map<CPSelectionSubject, int64_t> values;
  std::vector<CPSelectionSubject>* calls;
};

bool TestNumbers(const void* record, void*, Handle s, const CPDataEncoding& e,
                 CPSelectionSubject subject, bool negative, CPSelectionComparator comparator,
                 const CPSelectionParam& param, int32_t* offset) {
  const auto& r = *static_cast<const Record*>(record);
  r.calls->push_back(subject);
  int64_t c = GetSelectionParamInteger(s, e, param, offset);
  bool pass = SelectionTest(r.values.at(subject), c, comparator);
  return negative ? !pass : pass;
}

class ApplyTest : public ::testing::Test {
 protected:
  bool Apply(Handle s, std::map<CPSelectionSubject, int64_t> values) {
    calls_.clear();
    Record r{std::move(values), &calls_};
    CPSelection header;
    int32_t offset = 0;
    EXPECT_TRUE(GetSelection(s, e_, &header, &offset));
    return ApplySelection(&r, nullptr, s, e_, header, offset, TestNumbers);
  }
  void Add(Handle s, CPSelectionOperator op, CPSelectionSubject subject, CPSelectionComparator cmp,
           int16_t value, bool negative = false) {
    AddCriterion(s, e_, op, subject, negative, cmp, NewSelectionParamResID(value, e_).get());
  }

  CPDataEncoding e_ = CPMacPowerPCEncoding;
  std::vector<CPSelectionSubject> calls_;
};

TEST_F(ApplyTest, CriteriaCombineFromLeftToRightSkippingWhatCannotMatter) {
  // (a = 1 or b = 1) and c = 1
  CPOwnedHandle s = NewSelection(e_);
  Add(s.get(), kSelAnd, 1, kCompEqual, 1);
  Add(s.get(), kSelOr, 2, kCompEqual, 1);
  Add(s.get(), kSelAnd, 3, kCompEqual, 1);
  const struct {
    int64_t a, b, c;
    bool result;
    std::vector<CPSelectionSubject> calls;
  } cases[] = {
      {1, 0, 1, true, {1, 3}},  // a true: b is skipped
      {0, 1, 1, true, {1, 2, 3}},
      {0, 0, 1, false, {1, 2}},  // false before "and": c is skipped
      {1, 1, 0, false, {1, 3}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Apply(s.get(), {{1, c.a}, {2, c.b}, {3, c.c}}), c.result);
    EXPECT_EQ(calls_, c.calls);
  }
  // "and not", and an empty selection.
  CPOwnedHandle andNot = NewSelection(e_);
  Add(andNot.get(), kSelAnd, 1, kCompEqual, 1);
  Add(andNot.get(), kSelAndNot, 2, kCompEqual, 1);
  EXPECT_TRUE(Apply(andNot.get(), {{1, 1}, {2, 0}}));
  EXPECT_FALSE(Apply(andNot.get(), {{1, 1}, {2, 1}}));
  EXPECT_TRUE(Apply(NewSelection(e_).get(), {}));
}

TEST_F(ApplyTest, ListsAndRanges) {
  auto list = [&](CPSelectionListOperator op) {
    CPOwnedHandle s = NewSelection(e_);
    CPOwnedHandle values = NewSelectionList(op, e_);
    for (int16_t v : {3, 5, 7})
      AddSelectionParamToList(values.get(), e_, NewSelectionParamResID(v, e_).get());
    AddCriterion(s.get(), e_, kSelAnd, 1, false, kCompAtMost, values.get());
    return s;
  };
  CPOwnedHandle any = list(kListAny), all = list(kListAll);
  EXPECT_TRUE(Apply(any.get(), {{1, 5}}));  // <= 5 and <= 7
  EXPECT_EQ(calls_.size(), 2u);             // stops at the first that passes
  EXPECT_FALSE(Apply(any.get(), {{1, 8}}));
  EXPECT_TRUE(Apply(all.get(), {{1, 3}}));
  EXPECT_FALSE(Apply(all.get(), {{1, 5}}));
  EXPECT_EQ(calls_.size(), 1u);  // stops at the first that fails

  auto range = [&](bool include, bool negative) {
    CPOwnedHandle s = NewSelection(e_);
    CPOwnedHandle r = NewSelectionRange(include, e_);
    AddSelectionParamToRange(r.get(), e_, NewSelectionParamResID(10, e_).get());
    AddSelectionParamToRange(r.get(), e_, NewSelectionParamResID(20, e_).get());
    AddCriterion(s.get(), e_, kSelAnd, 1, negative, kCompNone, r.get());
    return s;
  };
  const struct {
    bool include, negative;
    int64_t value;
    bool result;
  } cases[] = {
      {true, false, 10, true},   {true, false, 20, true},   {true, false, 21, false},
      {false, false, 10, false}, {false, false, 20, false}, {false, false, 15, true},
      {true, true, 15, false},   {true, true, 9, true},     {true, true, 25, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Apply(range(c.include, c.negative).get(), {{1, c.value}}), c.result)
        << c.include << c.negative << c.value;
  }
}

TEST(SelectionValueTest, AmountsTextsAndNumbers) {
  EXPECT_TRUE(SelectionTestMontant(10.00005, 10, kCompEqual));
  EXPECT_FALSE(SelectionTestMontant(10.0002, 10, kCompEqual));
  EXPECT_FALSE(SelectionTestMontant(10.00005, 10, kCompGreater));
  EXPECT_TRUE(SelectionTestMontant(9.99995, 10, kCompGreaterOrEqual));
  EXPECT_TRUE(SelectionTestMontant(10.00005, 10, kCompAtMost));
  EXPECT_FALSE(SelectionTestMontant(10, 10, kCompContains));
  EXPECT_TRUE(SelectionTest(int64_t(0), kCompAtMost));
  EXPECT_FALSE(SelectionTest(int64_t(5), 5, 7));

  auto text = [](const char* x, const char* c, CPSelectionComparator cmp) {
    Str255 a, b;
    StdToP(Utf8ToMacRoman(x), a);
    StdToP(Utf8ToMacRoman(c), b);
    return SelectionTest(a, b, cmp);
  };
  const struct {
    const char* x;
    const char* c;
    CPSelectionComparator cmp;
    bool result;
  } cases[] = {
      {"Électricité", "electricite", kCompEqual, true},
      {"Électricité", "electricit", kCompEqual, false},
      {"EDF Électricité", " électri ", kCompContains, true},  // the pattern is trimmed
      {"EDF", "   ", kCompContains, false},                   // nothing to look for
      {"EDF", "EDF GDF", kCompContains, false},
      {"Loyer mars", "LOYER", kCompAtLeast, true},
      {"Loyer mars", "Mars", kCompAtMost, true},
      {"mars", "Loyer mars", kCompAtMost, false},
      {"Bœuf", "BŒUF", kCompEqual, true},
      {"b", "a", kCompGreater, true},
      {"a", "a", kCompGreaterOrEqual, true},
      {"a", "a", kCompNone, false},
  };
  for (const auto& c : cases) EXPECT_EQ(text(c.x, c.c, c.cmp), c.result) << c.x << " / " << c.c;
}

}  // namespace
