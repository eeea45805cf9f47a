#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "resources/CPHierarchicResourceSet.h"
#include "resources/CPResourceErrors.h"
#include "resources/CPSimpleDBResourceStorage.h"
#include "resources/CPSortableResourceSet.h"
#include "resources/CPSortedResourceSet.h"
#include "resources/ResourceTestSupport.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFormat.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "support/VYXTestSupport.h"

namespace {

using Strings = std::vector<std::string>;

std::string M(const char* utf8) { return Utf8ToMacRoman(utf8); }

// A database file in a temporary folder; with the parameter set it keeps a
// memory copy, as account and user files do.
class SDBStorage : public ::testing::TestWithParam<bool> {
 protected:
  std::unique_ptr<CPSimpleDBFile> Make() const {
    if (GetParam()) return std::make_unique<CPSimpleDBFullMemoryFile>(fileRef_);
    return std::make_unique<CPSimpleDBFile>(fileRef_);
  }
  void SetUp() override {
    file_ = Make();
    Str255 signature = "\x08vyx_grp1";
    file_->Create('VyxP', 'USR5', signature, 1, false);
  }
  void Reopen() {
    file_->Close();
    file_ = Make();
    file_->Open(1, false, false);
  }
  std::string Body(CPResourceStorage& s, CPResourceSetRef ref, CPResID id) {
    std::string body(s.GetResourceSize(ref, id), '\0');
    body.resize(s.GetResource(ref, id, nullptr, body.data(), uint32_t(body.size())));
    return body;
  }
  // The raw record of a resource, prefix included, as a plain session reads it.
  std::vector<unsigned char> Raw(CPSimpleDBResourceStorage& s, CPResourceSetRef ref, CPResID id,
                                 CPSimpleDBDataInfo* info) {
    CPSimpleDBResItem item;
    EXPECT_TRUE(s.GetStorageSet(ref)->FindResource(id, &item, nullptr));
    CPSimpleDBSession plain(file_.get());
    std::vector<unsigned char> bytes(plain.GetDataSize(item.refnum));
    plain.GetData(item.refnum, info, nullptr, bytes.data(), CPDataSize(bytes.size()));
    return bytes;
  }

  VYXPinnedClock clock_{14, 7, 2024};
  VYXTempDir dir_;
  CPFileRef fileRef_ = dir_.Ref("dossier.grp");
  std::unique_ptr<CPSimpleDBFile> file_;
};

TEST_P(SDBStorage, AResourceIsARecordWithItsInformationFirst) {
  CPSimpleDBResourceStorage storage(file_.get(), 0x01020304);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  storage.AddResource(ref, -2, CPHostEncoding, P("Loyer"), "body", 4, nullptr);
  CPSimpleDBDataInfo info;
  std::vector<unsigned char> raw = Raw(storage, ref, -2, &info);
  EXPECT_EQ(OSType('CATE'), info.type);
  EXPECT_EQ(OSType('res1'), info.format);
  EXPECT_EQ(0, info.GetVersion());
  EXPECT_TRUE(info.flags & kSDBResourceInfoFlag);
  const unsigned char expected[] = {0x04, 0x03, 0x02, 0x01, 0xFE, 0xFF, 0, 0, 5,
                                    'L',  'o',  'y',  'e',  'r',  'b',  'o', 'd', 'y'};
  ASSERT_EQ(sizeof expected, raw.size());
  EXPECT_EQ(0, std::memcmp(expected, raw.data(), raw.size()));
  EXPECT_EQ("body", Body(storage, ref, -2));
  EXPECT_EQ(4u, storage.GetResourceSize(ref, -2));
}

TEST_P(SDBStorage, StoragesWithDifferentIDsOverOneFileAreDisjoint) {
  {
    CPSimpleDBResourceStorage one(file_.get(), 1), two(file_.get(), 2);
    CPResourceSetRef a = one.OpenResourceSet('CATE'), b = two.OpenResourceSet('CATE');
    one.AddResource(a, 5, CPHostEncoding, P("Loyer"), "one", 3, nullptr);
    two.AddResource(b, 5, CPHostEncoding, P("Loyer"), "two", 3, nullptr);  // the same ID again
    two.AddResource(b, 6, CPHostEncoding, P("Gaz"), "gas", 3, nullptr);
    EXPECT_EQ(1, one.GetResourcesCount(a));
    EXPECT_EQ(2, two.GetResourcesCount(b));
    EXPECT_EQ("one", Body(one, a, 5));
    EXPECT_EQ("two", Body(two, b, 5));
    EXPECT_FALSE(one.ResourceExists(a, P("Gaz")));
    two.RemoveResource(b, 5);
    EXPECT_EQ("one", Body(one, a, 5));
  }
  Reopen();
  CPSimpleDBResourceStorage one(file_.get(), 1), two(file_.get(), 2);
  CPResourceSetRef a = one.OpenResourceSet('CATE'), b = two.OpenResourceSet('CATE');
  EXPECT_EQ(1, one.GetResourcesCount(a));
  EXPECT_EQ(1, two.GetResourcesCount(b));
  EXPECT_EQ(6, two.GetNthResource(b, 1));
  EXPECT_EQ("one", Body(one, a, 5));
}

TEST_P(SDBStorage, NamesAreFoundWithoutRegardToCaseOrAccents) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  storage.AddResource(ref, 3, CPHostEncoding, P(M("Électricité")), "", 0, nullptr);
  EXPECT_EQ(3, storage.GetResourceID(ref, P("ELECTRICITE")));
  EXPECT_TRUE(storage.ResourceExists(ref, P(M("électricité"))));
  EXPECT_CP_CODE(kCPErrNotFound, storage.GetResourceID(ref, P("Gaz")));
  storage.SetResourceName(ref, 3, P("Gaz"));
  EXPECT_EQ(3, storage.GetResourceID(ref, P("gaz")));
  EXPECT_FALSE(storage.ResourceExists(ref, P("electricite")));
}

TEST_P(SDBStorage, MissingAndDuplicateIDsRaiseTheirBareCodes) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  storage.AddResource(ref, 1, CPHostEncoding, P("a"), "x", 1, nullptr);
  char buffer[4];
  EXPECT_CP_CODE(kCPErrAlreadyExists, storage.AddResource(ref, 1, CPHostEncoding, P("b"), "y", 1, nullptr));
  EXPECT_CP_CODE(kCPErrNotFound, storage.GetResource(ref, 2, nullptr, buffer, 4));
  EXPECT_CP_CODE(kCPErrNotFound, storage.GetResourceSize(ref, 2));
  EXPECT_CP_CODE(kCPErrNotFound, storage.SetResource(ref, 2, CPHostEncoding, buffer, 4));
  EXPECT_CP_CODE(kCPErrNotFound, storage.SetResourceName(ref, 2, P("z")));
  EXPECT_CP_CODE(kCPErrNotFound, storage.RemoveResource(ref, 2));
  EXPECT_CP_CODE(kCPErrNotFound, storage.GetNthResource(ref, 2));
  EXPECT_EQ(1, storage.GetResourcesCount(ref));
}

TEST_P(SDBStorage, ChangesMadeThroughAnyOtherSessionAreSeen) {
  // Two storage objects under one ID stand for two users of the file (another
  // set of the same type, a replayed change): each hears the other's changes.
  CPSimpleDBResourceStorage mine(file_.get(), 1), theirs(file_.get(), 1);
  CPResourceSetRef m = mine.OpenResourceSet('CATE'), t = theirs.OpenResourceSet('CATE');
  theirs.AddResource(t, 10, CPHostEncoding, P("Loyer"), "short", 5, nullptr);
  EXPECT_EQ("short", Body(mine, m, 10));
  std::string longer(700, 'L');  // no longer fits its blocks: the record moves
  theirs.SetResource(t, 10, CPHostEncoding, longer.data(), uint32_t(longer.size()));
  EXPECT_EQ(longer, Body(mine, m, 10));
  theirs.SetResourceName(t, 10, P("Loyers"));
  EXPECT_EQ(10, mine.GetResourceID(m, P("loyers")));
  theirs.RemoveResource(t, 10);
  EXPECT_FALSE(mine.ResourceExists(m, CPResID(10)));
  EXPECT_EQ(0, mine.GetResourcesCount(m));
}

TEST_P(SDBStorage, CompactionMovesRecordsUnderTheSets) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  for (CPResID id = 1; id <= 8; ++id) {
    std::string body(size_t(id) * 100, char('a' + id));
    storage.AddResource(ref, id, CPHostEncoding, P("r" + std::to_string(id)), body.data(),
                        uint32_t(body.size()), nullptr);
  }
  for (CPResID id : {CPResID(1), CPResID(3), CPResID(5)}) storage.RemoveResource(ref, id);
  CPSimpleDBSession session(file_.get());
  file_->Compact(&session);
  for (CPResID id : {CPResID(2), CPResID(4), CPResID(6), CPResID(7), CPResID(8)}) {
    EXPECT_EQ(std::string(size_t(id) * 100, char('a' + id)), Body(storage, ref, id)) << id;
  }
}

TEST_P(SDBStorage, ARecordWrittenInAnotherByteOrderIsReadThroughItsSet) {
  CPSimpleDBResourceStorage storage(file_.get(), 7);
  CPResourceSet_T<TestRecord> set(storage, 'RECS');
  // Another machine's record, written big-endian with Windows text.
  TestRecord r = MakeRecord(4, 0x01020304, M("Été"));
  r.Encode(CPWindowsEncoding);
  r.Encode(CPMacPowerPCEncoding);  // swaps the numbers; the text is already Windows
  CPSimpleDBDataResInfo resInfo;
  resInfo.storageID = 7;
  resInfo.resID = 0x0203;
  StdToP(M("Bâtiment"), resInfo.name);
  CPDataEncoding foreign{kCPBigEndian, kCPWindowsLatin1, kCPDates1970};
  CPSimpleDBSession other(file_.get());
  CPSimpleDBDataInfo info('RECS', 'bina', 1);
  CPSimpleDBRefnum refnum = 0;
  CPSimpleDBAddResource(other, &info, resInfo, foreign, &r, sizeof r, &refnum);
  ASSERT_EQ(1, set.GetResourcesCount());
  EXPECT_EQ(M("Bâtiment"), NameOf(set, 0x0203));
  TestRecord read;
  set.GetResource(0x0203, &read);
  EXPECT_EQ(0x01020304, int32_t(read.big));
  EXPECT_EQ(M("Été"), PToStd(read.text));
}

TEST_P(SDBStorage, RecordsOfTheTypeWithoutResourceInformationAreRefused) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  CPSimpleDBSession plain(file_.get());
  CPSimpleDBDataInfo info('CATE', 'bina', 0);
  CPSimpleDBRefnum refnum = 0;
  EXPECT_CP_CODE(kSDBErrNoResourceInfo, plain.AddData(&info, CPHostEncoding, "abc", 3, &refnum));
  EXPECT_EQ(0, storage.GetResourcesCount(ref));
  CPSimpleDBResourceStorage late(file_.get(), 1);
  EXPECT_CP_CODE(kSDBErrNoResourceInfo, late.OpenResourceSet('CATE'));
}

TEST_P(SDBStorage, ARecordWhoseIDChangesUnderASetIsRefused) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSetRef ref = storage.OpenResourceSet('CATE');
  storage.AddResource(ref, 1, CPHostEncoding, P("a"), "x", 1, nullptr);
  CPSimpleDBResItem item;
  storage.GetStorageSet(ref)->FindResource(1, &item, nullptr);
  CPSimpleDBSession other(file_.get());
  CPSimpleDBDataResInfo changed;
  changed.storageID = 1;
  changed.resID = 2;
  StdToP("a", changed.name);
  CPSimpleDBRefnum newRefnum = 0;
  EXPECT_CP_CODE(kCPErrResourceIDChanged,
                 CPSimpleDBModifyResource(other, item.refnum, changed, CPHostEncoding, "x", 1, &newRefnum));
}

TEST_P(SDBStorage, LongNamesAreCutBeforeTheirCounter) {
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSet set(storage, 'LIST', kCPVariableSize);
  std::string name(255, 'n');
  set.AddResource(1, P(name), "", 0);
  set.AddResource(2, P(name), "", 0);
  set.AddResource(3, P("Loyer"), "", 0);
  set.AddResource(4, P("loyer"), "", 0);
  set.AddResource(5, P("Loyer"), "", 0);
  EXPECT_EQ(name, NameOf(set, 1));
  EXPECT_EQ(std::string(250, 'n') + " 1", NameOf(set, 2));
  EXPECT_EQ("loyer 1", NameOf(set, 4));
  EXPECT_EQ("Loyer 2", NameOf(set, 5));
}

TEST_P(SDBStorage, UniqueIDsStayWithinTheStorageAndType) {
  CPSimpleDBResourceStorage one(file_.get(), 1), two(file_.get(), 2);
  CPResourceSetRef a = one.OpenResourceSet('CATE'), b = two.OpenResourceSet('CATE');
  CPClock::PinTicks(41, 0);
  EXPECT_EQ(41, one.GetUniqueID(a));
  two.AddResource(b, 41, CPHostEncoding, P("x"), "", 0, nullptr);
  EXPECT_EQ(41, one.GetUniqueID(a));  // another storage's ID does not count
  one.AddResource(a, 41, CPHostEncoding, P("x"), "", 0, nullptr);
  EXPECT_EQ(42, one.GetUniqueID(a));
}

TEST_P(SDBStorage, SetsSurviveClosingAndReopeningTheirFile) {
  Strings categories, posts, filters;
  {
    CPSimpleDBResourceStorage storage(file_.get(), 1);
    CPResourceSet orders(storage, 'HIER', kCPVariableSize);
    CPSortableResourceSet_T<TestRecord> cats(storage, 'CATE', orders, 1001);
    CPHierResourceSet_T<TestRecord> groups(storage, 'PBDG', orders, 1003);
    CPSortedResourceSet filtersSet(storage, 'FLTR', kCPVariableSize);
    groups.SetSubResources(&cats);
    for (const char* n : {"Loyer", "Électricité", "Cinéma", "Loyer"}) {
      cats.AddResource(cats.GetUniqueID(), P(M(n)), MakeRecord(1, 1000, M(n)));
    }
    groups.AddResource(1, P("Maison"), MakeRecord(2, 1));
    groups.AddResource(2, P("Loisirs"), MakeRecord(2, 2));
    groups.SetSupResourceID(cats.GetResourceID(P("Cinema")), 2);
    groups.SetSupResourceID(cats.GetResourceID(P("Loyer 1")), 1);
    cats.MoveResourceTo(4, 1);
    for (const char* n : {"zinc", "alpha", "Mu"}) filtersSet.AddResource(filtersSet.GetUniqueID(), P(n), n, uint32_t(std::strlen(n)));
    cats.SaveIndex();
    groups.SaveIndex();
    categories = DisplayNames(cats);
    posts = DisplayNames(groups);
    filters = DisplayNames(filtersSet);
    EXPECT_EQ(2, groups.GetSubResourcesCount(1) + groups.GetSubResourcesCount(2));
  }
  Reopen();
  CPSimpleDBResourceStorage storage(file_.get(), 1);
  CPResourceSet orders(storage, 'HIER', kCPVariableSize);
  CPSortableResourceSet_T<TestRecord> cats(storage, 'CATE', orders, 1001);
  CPHierResourceSet_T<TestRecord> groups(storage, 'PBDG', orders, 1003);
  CPSortedResourceSet filtersSet(storage, 'FLTR', kCPVariableSize);
  groups.SetSubResources(&cats);
  EXPECT_EQ(categories, DisplayNames(cats));
  EXPECT_EQ((Strings{"Loyer 1", "Loyer", M("Électricité"), M("Cinéma")}), categories);
  EXPECT_EQ(posts, DisplayNames(groups));
  EXPECT_EQ(filters, DisplayNames(filtersSet));
  EXPECT_EQ((Strings{"alpha", "Mu", "zinc"}), filters);
  EXPECT_EQ(cats.GetResourceID(P("Cinema")), groups.GetNthSubResource(2, 1));
  EXPECT_EQ(cats.GetResourceID(P("Loyer 1")), groups.GetNthSubResource(1, 1));
  TestRecord r;
  cats.GetResource(cats.GetResourceID(P("electricite")), &r);
  EXPECT_EQ(M("Électricité"), PToStd(r.text));
  EXPECT_EQ(1000, int32_t(r.big));
}

INSTANTIATE_TEST_SUITE_P(Files, SDBStorage, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& p) {
                           return p.param ? std::string("InMemory") : std::string("OnDisk");
                         });

}  // namespace
