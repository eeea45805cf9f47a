// Secondary indexes: the order of each key type, the rules of Find, keeping in
// step with every change, and the saved index that an opening uses only when
// nothing changed since it was saved.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "SDBFileFixture.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBDataHandler_T.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBIndex_T.h"

namespace {

struct Country {
  double area = 0;
  int32_t number = 0;
  char code[8] = {};
  char name[92] = {};

  void Encode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) CPSwapField(number), CPSwapField(area);
  }
  void Decode(const CPDataEncoding& e) { Encode(e); }
};
static_assert(sizeof(Country) == 112);

Country Land(int32_t number, const char* code, double area = 0, const char* name = "") {
  Country c;
  c.number = number;
  std::memcpy(c.code, code, strnlen(code, 8));
  c.area = area;
  std::memcpy(c.name, name, strnlen(name, 91));
  return c;
}

using Countries = CPSimpleDBDataHandler_T<Country>;

class ByNumber : public CPSimpleDBIndex_T<Country> {
 public:
  ByNumber(CPSimpleDBDataHandler* h, CPDataSize size = 4, bool load = true)
      : CPSimpleDBIndex_T<Country>(h, 'nomb', kSDBKeyLong, size, load) {}
  using CPSimpleDBIndex_T<Country>::DataToKey;
  CPSimpleDBIndexKeyValue DataToKey(const Country& c) override {
    CPSimpleDBIndexKeyValue k{};
    k.l = c.number;
    return k;
  }
};

class ByCode : public CPSimpleDBIndex_T<Country> {
 public:
  ByCode(CPSimpleDBDataHandler* h, CPDataSize size)
      : CPSimpleDBIndex_T(h, 'code', kSDBKeyChar, size) {}
  using CPSimpleDBIndex_T<Country>::DataToKey;
  CPSimpleDBIndexKeyValue DataToKey(const Country& c) override {
    CPSimpleDBIndexKeyValue k{};
    std::memcpy(k.c, c.code, GetKeySize());
    return k;
  }
};

class ByArea : public CPSimpleDBIndex_T<Country> {
 public:
  explicit ByArea(CPSimpleDBDataHandler* h) : CPSimpleDBIndex_T(h, 'area', kSDBKeyReal, 0) {}
  using CPSimpleDBIndex_T<Country>::DataToKey;
  CPSimpleDBIndexKeyValue DataToKey(const Country& c) override {
    CPSimpleDBIndexKeyValue k{};
    k.r = c.area;
    return k;
  }
};

// A key of its own: the number, largest first.
class ByNumberDown : public CPSimpleDBIndex_T<Country> {
 public:
  explicit ByNumberDown(CPSimpleDBDataHandler* h)
      : CPSimpleDBIndex_T(h, 'down', kSDBKeyCustom, 4) {}
  using CPSimpleDBIndex_T<Country>::DataToKey;
  CPSimpleDBIndexKeyValue DataToKey(const Country& c) override {
    CPSimpleDBIndexKeyValue k{};
    k.l = c.number;
    return k;
  }
  int CompareKeys(const CPSimpleDBIndexKeyValue& a, const CPSimpleDBIndexKeyValue& b) override {
    return (b.l > a.l) - (b.l < a.l);
  }
};

// Whole records, ordered by name.
class ByName : public CPSimpleDBIndex_T<Country> {
 public:
  explicit ByName(CPSimpleDBDataHandler* h) : CPSimpleDBIndex_T(h, 'name', 'whol', 0) {}
  using CPSimpleDBIndex_T<Country>::CompareData;
  int CompareData(const Country& a, const Country& b) override {
    return std::strcmp(a.name, b.name);
  }
};

class SDBIndexTest : public SDBFileTest {
 protected:
  CPSimpleDBDataID Put(Countries& t, const Country& c, const CPDataEncoding& e = CPHostEncoding) {
    CPSimpleDBDataInfo info = t.NewInfo();
    CPSimpleDBRefnum r = 0;
    t.AddData(&info, e, c, &r);
    return info.dataID;
  }
  void Change(Countries& t, CPSimpleDBDataID id, const Country& c) {
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0, placed = 0;
    ASSERT_TRUE(t.GetDataRefnum(id, &info, &r));
    t.ModifyData(r, &info, CPHostEncoding, c, &placed);
  }
  void Remove(Countries& t, CPSimpleDBDataID id) {
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0;
    ASSERT_TRUE(t.GetDataRefnum(id, &info, &r));
    t.DeleteData(r, info);
  }
  static std::vector<CPSimpleDBDataID> Order(CPSimpleDBIndex& index) {
    std::vector<CPSimpleDBDataID> ids;
    for (uint32_t n = 0; n < index.GetCount(); ++n) ids.push_back(index.GetNthDataID(n));
    return ids;
  }
  // Find, as "id" / "id?" (the next greater) / "none".
  template <typename I>
  static std::string Found(I& index, const Country& c) {
    CPSimpleDBDataID id = 0;
    bool exact = false;
    if (!index.Find(c, &id, &exact)) return "none";
    return std::to_string(id) + (exact ? "" : "?");
  }
};

TEST_P(SDBIndexTest, LongKeysKeepDuplicatesByIDAndFindTheFirstNotBelow) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  ByNumber index(&t);
  CPSimpleDBDataID a = Put(t, Land(50, "A")), b = Put(t, Land(10, "B")), c = Put(t, Land(50, "C")),
                   d = Put(t, Land(INT32_MAX, "D")), e = Put(t, Land(INT32_MIN, "E"));
  // Keys far apart order by value, not by their overflowing difference.
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{e, b, a, c, d}), Order(index));
  auto id = [](CPSimpleDBDataID v) { return std::to_string(v); };
  EXPECT_EQ(id(a), Found(index, Land(50, "")));  // the first of two equal keys
  EXPECT_EQ(id(a) + "?", Found(index, Land(11, "")));
  EXPECT_EQ(id(b) + "?", Found(index, Land(-5, "")));
  EXPECT_EQ(id(e), Found(index, Land(INT32_MIN, "")));
  Remove(t, d);
  EXPECT_EQ("none", Found(index, Land(60, "")));
  Remove(t, a);  // the other record of that key stays
  EXPECT_EQ(id(c), Found(index, Land(50, "")));
  // A changed key moves its item.
  Change(t, c, Land(5, "C"));
  EXPECT_EQ(id(c), Found(index, Land(5, "")));
  EXPECT_EQ(id(b) + "?", Found(index, Land(6, "")));
  EXPECT_EQ("none", Found(index, Land(50, "")));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{e, c, b}), Order(index));
}

TEST_P(SDBIndexTest, CharKeysTakeUpToEightCharactersInTheOrderOfAFrenchReader) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  EXPECT_EQ(8u, ByCode(&t, 12).GetKeySize());
  EXPECT_EQ(8u, ByCode(&t, 0).GetKeySize());
  EXPECT_EQ(3u, ByCode(&t, 3).GetKeySize());
  ByCode index(&t, 12);
  // "été" in MacRoman sorts between "e" and "f"; a full key has no terminator.
  CPSimpleDBDataID f1 = Put(t, Land(1, "f")), e1 = Put(t, Land(2, "e")),
                   ete = Put(t, Land(3, "\x8Et\x8E")), full = Put(t, Land(4, "ABCDEFGH")),
                   seven = Put(t, Land(5, "ABCDEFG"));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{seven, full, e1, ete, f1}), Order(index));
  EXPECT_EQ(std::to_string(full), Found(index, Land(0, "ABCDEFGH")));
  EXPECT_EQ(std::to_string(ete), Found(index, Land(0, "\x8Et\x8E")));
  EXPECT_EQ(std::to_string(ete) + "?", Found(index, Land(0, "ea")));
}

TEST_P(SDBIndexTest, RealCustomAndWholeRecordKeys) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  ByArea area(&t);
  ByNumberDown down(&t);
  ByName name(&t);
  CPSimpleDBDataID a = Put(t, Land(1, "", 2.5, "Chili")), b = Put(t, Land(3, "", -1e9, "Autriche")),
                   c = Put(t, Land(2, "", 0.25, "Belgique"));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{b, c, a}), Order(area));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{b, c, a}), Order(down));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{b, c, a}), Order(name));
  EXPECT_EQ(std::to_string(c) + "?", Found(area, Land(0, "", 0.1)));
  EXPECT_EQ(std::to_string(c), Found(name, Land(0, "", 0, "Belgique")));
  EXPECT_EQ(std::to_string(a) + "?", Found(name, Land(0, "", 0, "Brésil")));
  Change(t, b, Land(9, "", 7, "Zambie"));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{c, a, b}), Order(area));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{b, c, a}), Order(down));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{c, a, b}), Order(name));
}

TEST_P(SDBIndexTest, KeysOfRecordsWrittenInAnotherEncodingAreReadInTheirLayout) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  ByNumber index(&t);
  CPSimpleDBDataID big = Put(t, Land(7, "B"), CPMacPowerPCEncoding);
  CPSimpleDBDataID small = Put(t, Land(3, "S"));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{small, big}), Order(index));
  // Rewritten in this machine's order: the old item is still found.
  Change(t, big, Land(1, "B"));
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{big, small}), Order(index));
}

TEST_P(SDBIndexTest, ASavedIndexIsLoadedOnlyWhileNothingChanged) {
  {
    auto f = Create();
    Countries t(f.get(), 'CTRY');
    ByNumber index(&t);
    EXPECT_EQ(0u, index.GetCount());  // built at the first question
    for (int32_t k = 0; k < 20; ++k) Put(t, Land(100 - k, "x"));
    EXPECT_FALSE(index.LoadedFromFile());
  }  // saved as it goes
  auto load = [&](CPDataSize size = 4) {
    auto f = Open();
    Countries t(f.get(), 'CTRY');
    ByNumber index(&t, size);
    EXPECT_EQ(20u, index.GetCount());
    EXPECT_EQ(20u, index.GetNthDataID(0));  // the smallest key, the last added
    return index.LoadedFromFile();
  };
  EXPECT_TRUE(load());
  EXPECT_TRUE(load());
  {
    auto f = Open();
    Add(*f, 10, 1, 'ELSE');  // any change at all
  }
  EXPECT_FALSE(load());
  EXPECT_TRUE(load());
  // The saved index of another key size is not this one's; it is replaced.
  {
    auto f = Open();
    Countries t(f.get(), 'CTRY');
    CPSimpleDBSession s(f.get());
    CPSimpleDBDataIndexInfo which{'CTRY', 'nomb', kSDBKeyLong, 4, 0};
    CPSimpleDBRefnum r = 0;
    ASSERT_TRUE(s.FindIndex(which, &r));
    which.keySize = 8;
    which.eventID = f->GetEventID();
    s.SetIndexInfos(r, which);
  }
  EXPECT_FALSE(load());
  EXPECT_TRUE(load());
}

TEST_P(SDBIndexTest, AMissingItemIsRebuiltOnDeletionAndRefusedOnChange) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  ByNumber index(&t, 4, false);
  index.Rebuild();
  CPSimpleDBDataID kept = Put(t, Land(1, "K"));
  index.CloseSession();  // deaf while two records come and go
  CPSimpleDBDataID unseen = Put(t, Land(2, "U")), other = Put(t, Land(3, "O"));
  index.OpenSession();
  EXPECT_CP_CODE(kSDBErrIndexItemMissing, Change(t, unseen, Land(4, "U")));
  Remove(t, other);  // not in the index: rebuilt, nothing raised
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{kept, unseen}), Order(index));
}

TEST_P(SDBIndexTest, IndexRecordsAreCheckedWhenRead) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  CPSimpleDBSession s(f.get());
  CPSimpleDBRefnum plain = Add(*f, 40, 1, 'ELSE');
  EXPECT_CP_CODE(kSDBErrNotAnIndex, s.GetIndex(plain, nullptr, nullptr, 0));
  Put(t, Land(1, "A"));
  CPSimpleDBDataInfo info(kSDBIndexType, kSDBIndexFormat, 0);
  CPSimpleDBDataIndexInfo which{'CTRY', 'nomb', kSDBKeyLong, 4, f->GetEventID()};
  unsigned char items[10] = {};  // not a whole number of 8-byte items
  CPSimpleDBRefnum r = 0;
  s.AddIndex(&info, which, items, sizeof items, &r);
  EXPECT_EQ(kSDBIndexRecordFlags, info.flags & kSDBIndexRecordFlags);
  ByNumber index(&t, 4, false);
  EXPECT_CP_CODE(kSDBErrBadIndexRecord, index.Load(r));
  // Asked through Load(), a damaged saved index is rebuilt from the records.
  index.Load();
  EXPECT_FALSE(index.LoadedFromFile());
  EXPECT_EQ(1u, index.GetCount());
}

// A table and an index kept after their file was closed read nothing stale
// and dereference nothing: every read says the file is not open.
TEST_P(SDBIndexTest, ReadsAfterTheFileClosedSayItIsNotOpen) {
  auto f = Create();
  Countries t(f.get(), 'CTRY');
  ByName name(&t);
  CPSimpleDBDataID a = Put(t, Land(1, "", 0, "Chili"));
  Put(t, Land(2, "", 0, "Belgique"));
  CPSimpleDBRefnum r = 0;
  ASSERT_TRUE(t.GetDataRefnum(a, &r));
  f->Close();

  Country c;
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum found = 0;
  EXPECT_CP_CODE(fnOpnErr, t.GetData(r, &info, &c));
  EXPECT_CP_CODE(fnOpnErr, t.GetDataInfos(r, &info, nullptr));
  EXPECT_CP_CODE(fnOpnErr, t.GetFirstData(&info, &found));
  EXPECT_CP_CODE(fnOpnErr, t.GetDataRefnum(a, &found));
  EXPECT_CP_CODE(fnOpnErr, Found(name, Land(0, "", 0, "Chili")));
  EXPECT_CP_CODE(fnOpnErr, Put(t, Land(3, "", 0, "Danemark")));
  EXPECT_CP_CODE(fnOpnErr, f->GetBlocsHandler().GetAllBlocsSize());
}

INSTANTIATE_TEST_SUITE_P(Files, SDBIndexTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

}  // namespace
