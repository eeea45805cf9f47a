// Sessions on a file: access rights, who hears of which change, fast-add
// batches and fast scans, and the iterator built on the latter.
#include <gtest/gtest.h>

#include "SDBContents.h"
#include "SDBFileFixture.h"
#include "simpledb/CPSimpleDBDataIterator.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFastAdd.h"

namespace {

// A session that refuses one action, and notes what it hears.
class Guarded : public CPSimpleDBSession {
 public:
  Guarded(CPSimpleDBDataProvider* p, uint32_t refused, OSType type = 0)
      : CPSimpleDBSession(p), refused_(refused), type_(type) {}
  bool ActionAllowed(CPSimpleDBAccessDomain access, uint32_t action, const CPSimpleDBDataInfo& info,
                     const void* data) override {
    asked.push_back(action);
    return action != refused_ && CPSimpleDBSession::ActionAllowed(access, action, info, data);
  }
  bool IsConcerned(const CPSimpleDBDataInfo& info) const override {
    return type_ == 0 || info.type == type_;
  }
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const void*, CPDataSize,
                 bool own) override {
    heard.push_back("add " + std::to_string(info.dataID) + (own ? "" : " other"));
  }
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const void*, CPDataSize,
                    CPSimpleDBRefnum, const void*, CPDataSize, bool) override {
    heard.push_back("modify " + std::to_string(info.dataID));
  }
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const void*, CPDataSize,
                   bool) override {
    heard.push_back("delete " + std::to_string(info.dataID));
  }
  std::vector<uint32_t> asked;
  std::vector<std::string> heard;

 private:
  uint32_t refused_;
  OSType type_;
};

using SDBSessionTest = SDBFileTest;

TEST_P(SDBSessionTest, ASessionRefusingReadsFailsWith1800WhileAnotherStillReads) {
  auto f = Create();
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = Add(*f, 20, 1, 'TEST', &info);
  Guarded blind(f.get(), kSDBActionGet);
  CPSimpleDBSession other(f.get());
  std::vector<unsigned char> data(20);
  EXPECT_CP_CODE(kSDBErrNotAllowed, blind.GetData(r, nullptr, nullptr, data.data(), 20));
  EXPECT_EQ(std::vector<unsigned char>(20, 0), data);  // nothing copied
  other.GetData(r, nullptr, nullptr, data.data(), 20);
  EXPECT_EQ(SDBBytes(20, 1), data);
  // Each action asks about its own code, and a refusal changes nothing.
  for (uint32_t action : {kSDBActionAdd, kSDBActionModify, kSDBActionDelete}) {
    Guarded refusing(f.get(), action);
    const auto before = Items(*f);
    const uint32_t eventID = f->GetEventID();
    CPSimpleDBRefnum placed = 0;
    CPSimpleDBDataInfo copy = info;
    std::optional<int16_t> code = VYXCaughtCode([&] {
      if (action == kSDBActionAdd)
        refusing.AddData(&copy, CPHostEncoding, data.data(), 20, &placed);
      if (action == kSDBActionModify)
        refusing.ModifyData(r, &copy, CPHostEncoding, data.data(), 10, &placed);
      if (action == kSDBActionDelete) refusing.DeleteData(r, copy);
    });
    EXPECT_EQ(std::optional<int16_t>(kSDBErrNotAllowed), code) << action;
    EXPECT_EQ(std::vector<uint32_t>{action}, refusing.asked);
    EXPECT_EQ(before, Items(*f));
    EXPECT_EQ(eventID, f->GetEventID());
  }
  CheckCopy(*f);
}

TEST_P(SDBSessionTest, EveryChangeReachesTheOpenSessionsItConcerns) {
  auto f = Create();
  Guarded all(f.get(), 0), tests(f.get(), 0, 'TEST'), closed(f.get(), 0);
  closed.CloseSession();
  CPSimpleDBDataInfo a, b;
  CPSimpleDBRefnum ra = Add(*f, 10, 1, 'TEST', &a);
  Add(*f, 10, 2, 'OTHR', &b);
  CPSimpleDBSession s(f.get());
  CPSimpleDBRefnum placed = 0;
  std::vector<unsigned char> data = SDBBytes(300, 3);
  s.ModifyData(ra, &a, CPHostEncoding, data.data(), 300, &placed);
  s.DeleteData(placed, a);
  EXPECT_EQ((std::vector<std::string>{"add 1", "add 2", "modify 1", "delete 1"}), all.heard);
  EXPECT_EQ((std::vector<std::string>{"add 1", "modify 1", "delete 1"}), tests.heard);
  EXPECT_TRUE(closed.heard.empty());
}

TEST_P(SDBSessionTest, FastAddBatchesNestAndCloseInnermostFirst) {
  auto f = Create();
  CPSimpleDBDataInfo gone;
  CPSimpleDBRefnum hole = Add(*f, 200, 1, 'TEST', &gone);
  Add(*f, 10, 2);
  CPSimpleDBSession s(f.get());
  s.DeleteData(hole, gone);  // two free blocks at the start
  const uint32_t end = f->GetBlocsHandler().GetNbOfBlocs();

  uint32_t outer = s.NewFastAdd('TEST');
  uint32_t inner = s.NewFastAdd('TEST');
  EXPECT_EQ(1u, outer);
  EXPECT_EQ(2u, inner);
  EXPECT_CP_CODE(kSDBErrFastAddOrder, s.CloseFastAdd(outer));
  EXPECT_TRUE(f->FastAdd());
  // Added in the batch: appended, not put in the hole; the header waits for
  // the batch to close.
  CPSimpleDBDataInfo info('TEST', kSDBBinaryFormat, 0);
  std::vector<unsigned char> data = SDBBytes(10, 3);
  CPSimpleDBRefnum r = 0;
  s.AddData(&info, CPHostEncoding, data.data(), 10, &r, 0, inner);
  EXPECT_EQ(end + 1, r);
  uint32_t autoOnDisk = SDBLE32Of(fileRef_, 52);
  s.CloseFastAdd(inner);
  EXPECT_TRUE(f->FastAdd());
  s.CloseFastAdd(outer);
  EXPECT_FALSE(f->FastAdd());
  EXPECT_LT(autoOnDisk, SDBLE32Of(fileRef_, 52));
  EXPECT_EQ(f->GetAutoID(), SDBLE32Of(fileRef_, 52));
  EXPECT_EQ(1u, Add(*f, 10, 4));  // outside a batch, the hole serves again
  CheckCopy(*f);
}

TEST_P(SDBSessionTest, AFastAddObjectAppendsAndClosesItsBatch) {
  auto f = Create();
  CPSimpleDBSession s(f.get());
  {
    CPSimpleDBFastAdd batch(&s, 'TEST');
    EXPECT_EQ(1u, batch.GetNumber());
    for (uint32_t k = 0; k < 3; ++k) {
      CPSimpleDBDataInfo info('TEST', kSDBBinaryFormat, 0);
      std::vector<unsigned char> data = SDBBytes(50, k);
      CPSimpleDBRefnum r = 0;
      batch.AddData(&info, CPHostEncoding, data.data(), 50, &r);
      EXPECT_EQ(k + 1, r);
    }
    EXPECT_TRUE(f->FastAdd());
  }
  EXPECT_FALSE(f->FastAdd());
  EXPECT_EQ(3u, SDBLE32Of(fileRef_, 52));
}

TEST_P(SDBSessionTest, IteratorsWalkOneTypeAndSurviveTheDeletionOfTheirRecord) {
  auto f = Create();
  for (uint32_t k = 1; k <= 6; ++k) Add(*f, 20 * k, k, k % 2 ? 'ODD ' : 'EVEN');
  CPSimpleDBSession s(f.get());
  std::vector<CPSimpleDBDataID> seen;
  {
    CPSimpleDBDataIterator it(&s, 'ODD ');
    EXPECT_EQ(100u, it.GetMaxSize());
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0;
    while (it.Next(&info, &r)) {
      seen.push_back(info.dataID);
      s.DeleteData(r, info);  // the walk goes on from its dataID
    }
  }
  EXPECT_EQ((std::vector<CPSimpleDBDataID>{1, 3, 5}), seen);
  EXPECT_EQ(3u, s.GetNbOfData());
  EXPECT_FALSE(f->FastScan());
  // Scans close innermost first.
  CPSimpleDBScanNumber one = s.NewFastScan(0), two = s.NewFastScan(0);
  EXPECT_CP_CODE(kSDBErrFastScanOrder, s.CloseFastScan(one));
  s.CloseFastScan(two);
  s.CloseFastScan(one);
  EXPECT_CP_CODE(kSDBErrFastScanOrder, s.CloseFastScan(one));
}

TEST_P(SDBSessionTest, ReadingEveryRecordOfATypeInOnePassReadsEachWhole) {
  auto f = Create();
  // 1,500 records of three blocks: some straddle the slices the pass reads.
  for (uint32_t k = 1; k <= 1500; ++k) Add(*f, 300, k, k % 3 ? 'TEST' : 'ELSE');
  CPSimpleDBSession s(f.get());
  uint32_t seen = 0;
  f->ForEachData(&s, 'TEST',
                 [&](const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const unsigned char* data,
                     CPDataSize size) {
                   EXPECT_EQ('TEST', info.type);
                   EXPECT_EQ(SDBBytes(300, info.dataID),
                             std::vector<unsigned char>(data, data + size));
                   return ++seen, true;
                 });
  EXPECT_EQ(1000u, seen);
  Guarded blind(f.get(), kSDBActionGet);
  EXPECT_CP_CODE(kSDBErrNotAllowed, f->ForEachData(&blind, 0, [](auto&&...) { return true; }));
}

INSTANTIATE_TEST_SUITE_P(Files, SDBSessionTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

}  // namespace
