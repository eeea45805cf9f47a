// Resource records as the provider keeps them for resource storages: the
// resource information before the body, in the record's encoding, and the
// lookups by storage, type, ID and name.
#include <gtest/gtest.h>

#include <cstring>

#include "SDBFileFixture.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

CPSimpleDBDataResInfo ResInfo(uint32_t storage, CPResID id, const char* macRomanName) {
  CPSimpleDBDataResInfo r;
  r.storageID = storage;
  r.resID = id;
  r.name[0] = static_cast<unsigned char>(std::strlen(macRomanName));
  std::memcpy(r.name + 1, macRomanName, r.name[0]);
  return r;
}

class SDBResourceTest : public SDBFileTest {
 protected:
  CPSimpleDBRefnum AddRes(CPSimpleDBSession& s, const CPSimpleDBDataResInfo& r,
                          const std::string& body, const CPDataEncoding& e = CPHostEncoding) {
    CPSimpleDBDataInfo info('CATG', kSDBResourceFormat, 0);
    CPSimpleDBRefnum refnum = 0;
    s.AddResource(&info, r, e, body.data(), static_cast<CPDataSize>(body.size()), &refnum);
    return refnum;
  }
  std::string Stored(CPSimpleDBSession& s, CPSimpleDBRefnum r) {
    std::string data(s.GetDataSize(r), '\0');
    s.GetData(r, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
    return data;
  }
};

TEST_P(SDBResourceTest, TheInformationPrecedesTheBodyInTheRecordsEncoding) {
  auto f = Create();
  CPSimpleDBSession s(f.get());
  // "Été" in MacRoman: 0x83 0x74 0x8E.
  const CPSimpleDBDataResInfo summer = ResInfo(7, -2, "\x83t\x8E");
  struct Case {
    CPDataEncoding encoding;
    std::string prefix;
  } cases[] = {
      {CPHostEncoding, std::string("\x07\0\0\0\xFE\xFF\0\0\x03\x83t\x8E", 12)},
      {CPMacPowerPCEncoding, std::string("\0\0\0\x07\xFF\xFE\0\0\x03\x83t\x8E", 12)},
      {CPWindowsEncoding, std::string("\x07\0\0\0\xFE\xFF\0\0\x03\xC9t\xE9", 12)},
  };
  for (const Case& c : cases) {
    CPSimpleDBRefnum r = AddRes(s, summer, "body", c.encoding);
    EXPECT_EQ(c.prefix + "body", Stored(s, r));
    CPSimpleDBDataInfo info;
    CPSimpleDBDataResInfo back;
    CPDataEncoding encoding;
    char body[4];
    s.GetResource(r, &info, &back, &encoding, body, 4);
    EXPECT_EQ(kSDBResourceFormat, info.format);
    EXPECT_TRUE(info.flags & kSDBResourceInfoFlag);
    EXPECT_EQ(c.encoding, encoding);
    EXPECT_EQ(7u, back.storageID);
    EXPECT_EQ(-2, back.resID);
    EXPECT_EQ(0, std::memcmp(summer.name, back.name, 4));
    EXPECT_EQ("body", std::string(body, 4));
    EXPECT_EQ(4u, s.GetResourceSize(r));
    EXPECT_CP_CODE(kSDBErrReadTooMuch, s.GetResource(r, nullptr, nullptr, nullptr, body, 5));
  }
  CheckCopy(*f);
}

TEST_P(SDBResourceTest, ARecordWithoutResourceInformationIsRefused) {
  auto f = Create();
  CPSimpleDBSession s(f.get());
  CPSimpleDBRefnum plain = Add(*f, 20, 1, 'CATG');
  char body[4];
  EXPECT_CP_CODE(kSDBErrNoResourceInfo, s.GetResource(plain, nullptr, nullptr, nullptr, body, 0));
  EXPECT_CP_CODE(kSDBErrNoResourceInfo, s.GetResourceInfos(plain, nullptr, nullptr, nullptr));
  // ... and the walks by ID pass over it.
  AddRes(s, ResInfo(1, 5, "five"), "5");
  CPSimpleDBRefnum found = 0;
  EXPECT_TRUE(s.ResourceIDExists(1, 'CATG', CPResID(5), &found, nullptr));
}

TEST_P(SDBResourceTest, StoragesOfOneFileKeepTheirOwnIDsAndNames) {
  auto f = Create();
  CPSimpleDBSession s(f.get());
  CPSimpleDBRefnum one = AddRes(s, ResInfo(1, 10, "Loyer"), "a");
  CPSimpleDBRefnum two = AddRes(s, ResInfo(2, 10, "Salaire"), "b");
  CPSimpleDBRefnum r = 0;
  CPSimpleDBDataResInfo info;
  ASSERT_TRUE(s.ResourceIDExists(2, 'CATG', CPResID(10), &r, &info));
  EXPECT_EQ(two, r);
  EXPECT_FALSE(s.ResourceIDExists(3, 'CATG', CPResID(10), &r, nullptr));
  EXPECT_FALSE(s.ResourceIDExists(1, 'OTHR', CPResID(10), &r, nullptr));
  // Names compare without regard to case or accents.
  const unsigned char loyer[] = "\x05LOY\x8Er";  // "LOYér"
  ASSERT_TRUE(s.ResourceIDExists(1, 'CATG', loyer, &r, &info));
  EXPECT_EQ(one, r);
  EXPECT_FALSE(s.ResourceIDExists(2, 'CATG', loyer, &r, nullptr));
  // Renaming keeps the body.
  CPSimpleDBDataInfo dataInfo;
  CPSimpleDBRefnum placed = 0;
  s.SetResourceInfos(one, &dataInfo, ResInfo(1, 10, "Loyer du bureau"), &placed);
  char body[1];
  s.GetResource(placed, nullptr, &info, nullptr, body, 1);
  EXPECT_EQ(15, info.name[0]);
  EXPECT_EQ('a', body[0]);
  // New IDs are neither 0 nor taken in the storage and type.
  for (CPResID id = 1000; id < 1040; ++id) AddRes(s, ResInfo(1, id, "x"), "");
  for (int k = 0; k < 3; ++k) {
    CPResID fresh = s.GetNewResourceID(1, 'CATG');
    EXPECT_NE(0, fresh);
    EXPECT_FALSE(s.ResourceIDExists(1, 'CATG', fresh, &r, nullptr));
    AddRes(s, ResInfo(1, fresh, "y"), "");
  }
  s.DeleteResource(two, dataInfo);
  EXPECT_FALSE(s.ResourceIDExists(2, 'CATG', CPResID(10), &r, nullptr));
}

INSTANTIATE_TEST_SUITE_P(Files, SDBResourceTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

}  // namespace
