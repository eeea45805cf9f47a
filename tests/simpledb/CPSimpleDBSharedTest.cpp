// Stations sharing one database: two files of this process opened on the same
// path (each has its own opening, so the share file's locks tell them apart as
// they would two processes), then real processes taking turns and writing as
// fast as they can.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

#include "SDBContents.h"
#include "SDBStation.h"
#include "SDBTestSupport.h"
#include "platform/CPClock.h"
#include "simpledb/CPSimpleDBDataHandler_T.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFullMemoryFile.h"
#include "simpledb/CPSimpleDBShareFile.h"
#include "support/VYXTestSupport.h"

namespace {

constexpr OSType kStation = CPFourCC("STAT");

struct Pair {
  int32_t number;
  char text[12];
};

// A table that remembers what it heard, and from whom.
class HeardTable : public CPSimpleDBDataHandler_T<Pair> {
 public:
  using CPSimpleDBDataHandler_T<Pair>::CPSimpleDBDataHandler_T;
  using CPSimpleDBDataHandler_T<Pair>::DataAdded;
  using CPSimpleDBDataHandler_T<Pair>::DataModified;
  void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, Pair& p, bool own) override {
    heard.push_back((own ? "own " : "other ") + std::to_string(p.number));
  }
  void DataModified(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, Pair& before, CPSimpleDBRefnum,
                    Pair& after, bool own) override {
    heard.push_back((own ? "own " : "other ") + std::to_string(before.number) + ">" +
                    std::to_string(after.number));
  }
  std::vector<std::string> heard;
};

class SDBSharedTest : public ::testing::Test {
 protected:
  SDBSharedTest() {
    CPSimpleDBFullMemoryFile f(fileRef_);
    Str255 signature = "\x08vyx_grp1";
    f.Create('VyxP', 'GRP5', signature, 1, true);
    f.Close();
  }
  std::unique_ptr<CPSimpleDBFullMemoryFile> Station() {
    auto f = std::make_unique<CPSimpleDBFullMemoryFile>(fileRef_);
    f->Open(10, true, false);
    return f;
  }
  static CPSimpleDBDataID Add(CPSimpleDBSession& s, int32_t n) {
    Pair p{n, "x"};
    CPSimpleDBDataInfo info(kStation, kSDBBinaryFormat, 0);
    CPSimpleDBRefnum r = 0;
    s.AddData(&info, CPHostEncoding, &p, sizeof p, &r);
    return info.dataID;
  }

  VYXTempDir dir_;
  VYXPinnedClock clock_{15, 3, 2024};
  CPFileRef fileRef_ = dir_.Ref("dossier.grp");
};

TEST_F(SDBSharedTest, EachStationHearsTheOthersChangesBeforeItsNextOperation) {
  auto a = Station();
  auto b = Station();
  HeardTable tableA(a.get(), kStation), tableB(b.get(), kStation);
  CPSimpleDBDataID first = Add(tableA, 1);
  Add(tableA, 2);
  // B reads: taking the lock brings it up to date first.
  EXPECT_EQ(2u, tableB.GetNbOfData());
  EXPECT_EQ((std::vector<std::string>{"other 1", "other 2"}), tableB.heard);
  CPSimpleDBRefnum r = 0, placed = 0;
  CPSimpleDBDataInfo info;
  ASSERT_TRUE(tableB.GetDataRefnum(first, &info, &r));
  Pair p{10, "grown"};
  tableB.ModifyData(r, &info, CPHostEncoding, p, &placed);
  CPSimpleDBDataID third = Add(tableB, 3);
  a->UpdateSharedData();
  EXPECT_EQ((std::vector<std::string>{"own 1", "own 2", "other 1>10", "other 3"}), tableA.heard);
  Pair read{};
  ASSERT_TRUE(tableA.GetDataRefnum(third, &r));
  tableA.GetData(r, nullptr, &read);
  EXPECT_EQ(3, read.number);
  EXPECT_NE(first, third);  // IDs come from one counter
  a->CheckMemory();
  b->CheckMemory();
  EXPECT_EQ(a->GetEventID(), b->GetEventID());
  EXPECT_EQ(a->GetAutoID(), b->GetAutoID());
}

TEST_F(SDBSharedTest, StationsWithoutAMemoryCopyReadTheOthersRecordsWhereTheyNowAre) {
  CPSimpleDBFile a(fileRef_), b(fileRef_);
  a.Open(10, true, false);
  b.Open(10, true, false);
  CPSimpleDBSession sa(&a), sb(&b);
  CPSimpleDBDataID first = Add(sa, 1);
  Add(sa, 2);
  // B moves the first record (it grows) and deletes the second.
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0, placed = 0;
  ASSERT_TRUE(sb.GetDataRefnum(first, &info, &r));
  std::vector<unsigned char> grown = SDBBytes(400, 1);
  sb.ModifyData(r, &info, CPHostEncoding, grown.data(), 400, &placed);
  EXPECT_NE(r, placed);
  ASSERT_TRUE(sb.GetDataRefnum(first + 1, &info, &r));
  sb.DeleteData(r, info);
  // A finds the record at its new place, and the other one gone.
  ASSERT_TRUE(sa.GetDataRefnum(first, &r));
  EXPECT_EQ(placed, r);
  std::vector<unsigned char> read(400);
  sa.GetData(r, nullptr, nullptr, read.data(), 400);
  EXPECT_EQ(grown, read);
  EXPECT_FALSE(sa.GetDataRefnum(first + 1, &r));
  EXPECT_EQ(1u, sa.GetNbOfData());
}

TEST_F(SDBSharedTest, OnlyTheLastStationOutMarksTheFileClosed) {
  auto a = Station();
  auto b = Station();
  Add(*std::make_unique<CPSimpleDBSession>(a.get()), 1);
  a->Close();
  EXPECT_TRUE(SDBLE32(VYXReadFile(fileRef_.Path()), 20) & kSDBHeaderOpenFlag);
  b->Close();
  EXPECT_FALSE(SDBLE32(VYXReadFile(fileRef_.Path()), 20) & kSDBHeaderOpenFlag);
}

TEST_F(SDBSharedTest, ALockHeldElsewhereMakesTheOthersGiveUpWith1009) {
  auto a = Station();
  auto b = Station();
  CPSimpleDBAccessLocker held(a.get());
  CPSimpleDBSession s(b.get());
  EXPECT_CP_CODE(kSDBErrAccessTimeout, Add(s, 1));
}

TEST_F(SDBSharedTest, ALogThatGrewBehindABatchIsRefusedBeforeTheFileChanges) {
  auto a = Station();
  auto b = Station();
  CPSimpleDBSession sa(a.get()), sb(b.get());
  // A batch opened without holding the lock: B may write meanwhile.
  uint32_t batch = sa.NewFastAdd(kStation);
  Add(sb, 1);
  const uint32_t blocs = a->GetBlocsHandler().GetNbOfBlocs();
  EXPECT_CP_CODE(kSDBErrLogGrew, Add(sa, 2));
  EXPECT_EQ(blocs, a->GetBlocsHandler().GetNbOfBlocs());
  sa.CloseFastAdd(batch);
  EXPECT_EQ(1u, sa.GetNbOfData());
}

TEST_F(SDBSharedTest, AStationHearingOfAChangeCannotMakeOneMeanwhile) {
  auto a = Station();
  auto b = Station();
  class Echo : public CPSimpleDBSession {
   public:
    using CPSimpleDBSession::CPSimpleDBSession;
    void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, const void*, CPDataSize,
                   bool own) override {
      if (own) return;
      code = VYXCaughtCode([&] { SDBSharedTest::Add(*this, 99); });
    }
    std::optional<int16_t> code;
  } echo(b.get());
  CPSimpleDBSession sa(a.get());
  Add(sa, 1);
  b->UpdateSharedData();
  EXPECT_EQ(std::optional<int16_t>(kSDBErrLogDuringUpdate), echo.code);
  EXPECT_EQ(1u, echo.GetNbOfData());
}

TEST_F(SDBSharedTest, ChangesTheLogDoesNotCarryMakeTheOthersReloadTheirView) {
  auto a = Station();
  auto b = Station();
  CPSimpleDBSession sa(a.get()), sb(b.get());
  Add(sa, 1);
  // Not logged: B learns of it through the share file's generation.
  CPSimpleDBDataInfo info(kStation, kSDBBinaryFormat, 0);
  info.flags |= kSDBNotLoggedFlag;
  CPSimpleDBRefnum r = 0;
  std::vector<unsigned char> data = SDBBytes(500, 3);
  sa.AddData(&info, CPHostEncoding, data.data(), 500, &r);
  EXPECT_EQ(2u, sb.GetNbOfData());
  b->CheckMemory();
  // A compaction cuts the file after the moves it logs.
  sb.DeleteData(r, info);
  Add(sb, 2);
  b->Compact(&sb);
  EXPECT_EQ(2u, sa.GetNbOfData());
  a->CheckMemory();
  EXPECT_EQ(SDBContentsOf(*a, false), SDBContentsOf(*b, false));
}

// ---- real processes

std::map<uint32_t, std::string> Listed(CPSimpleDBFile& f) {
  std::map<uint32_t, std::string> out;
  for (auto& [id, record] : SDBContentsOf(f)) {
    out[id] = std::string(record.second.begin(), record.second.end());
  }
  return out;
}

// The log alone replays to the same records and counters.
void ExpectLogReplays(const CPFileRef& fileRef, const VYXTempDir& dir) {
  CPSimpleDBFile original(fileRef);
  original.Open(10, false, true);
  CPSimpleDBFile copy(dir.Ref("copie.grp"));
  copy.Rebuild(dir.Ref("dossier.evt"), 'VyxP', 10, false);
  EXPECT_EQ(SDBContentsOf(original), SDBContentsOf(copy));
  EXPECT_EQ(original.GetEventID(), copy.GetEventID());
  EXPECT_EQ(original.GetAutoID(), copy.GetAutoID());
}

TEST_F(SDBSharedTest, TwoProcessesTakingTurnsSeeEachOthersChanges) {
  SDBStation a, b;
  const std::string open = "open " + fileRef_.Path().string();
  ASSERT_EQ("ok", a.Ask(open));
  ASSERT_EQ("ok", b.Ask(open));
  std::string added = a.Ask("add A 3");
  ASSERT_EQ("ok 1 2 3", added);
  EXPECT_EQ("ok 1=A:0 2=A:1 3=A:2", b.Ask("list"));
  EXPECT_EQ("ok 4 5", b.Ask("add B 2"));
  EXPECT_EQ("ok", a.Ask("modify 4 changed-by-A-and-longer-than-it-was"));
  EXPECT_EQ("ok", b.Ask("modify 2 changed-by-B"));
  const std::string both =
      "ok 1=A:0 2=changed-by-B 3=A:2 4=changed-by-A-and-longer-than-it-was 5=B:1";
  EXPECT_EQ(both, a.Ask("list"));
  EXPECT_EQ(both, b.Ask("list"));
  EXPECT_EQ("ok", a.Ask("check"));
  EXPECT_EQ("ok", b.Ask("check"));
  EXPECT_EQ("ok", a.Ask("close"));
  EXPECT_EQ("ok", b.Ask("close"));
  EXPECT_EQ(0, a.Quit());
  EXPECT_EQ(0, b.Quit());
  EXPECT_EQ(0, VYXRunVyx({"db", "verifier", fileRef_.Path().string()}).exitCode);
  ExpectLogReplays(fileRef_, dir_);
}

TEST_F(SDBSharedTest, TwoProcessesWritingAsFastAsTheyCanLoseNothing) {
  SDBStation a, b;
  const std::string open = "open " + fileRef_.Path().string();
  ASSERT_EQ("ok", a.Ask(open));
  ASSERT_EQ("ok", b.Ask(open));
  a.Send("stress 2 A");
  b.Send("stress 2 B");
  std::string doneA = a.ReadLine(), doneB = b.ReadLine();
  ASSERT_EQ("ok", doneA.substr(0, 2)) << doneA;
  ASSERT_EQ("ok", doneB.substr(0, 2)) << doneB;
  auto mineA = SDBStation::Records(doneA), mineB = SDBStation::Records(doneB);
  EXPECT_GT(mineA.size(), 20u);
  EXPECT_GT(mineB.size(), 20u);
  // What each left, and nothing else, with one ID each.
  std::map<uint32_t, std::string> expected = mineA;
  for (auto& [id, text] : mineB) EXPECT_TRUE(expected.emplace(id, text).second) << id;
  EXPECT_EQ("ok", a.Ask("check"));
  EXPECT_EQ("ok", b.Ask("check"));
  EXPECT_EQ(SDBStation::Records(a.Ask("list")), expected);
  EXPECT_EQ(SDBStation::Records(b.Ask("list")), expected);
  EXPECT_EQ("ok", a.Ask("close"));
  EXPECT_EQ("ok", b.Ask("close"));
  a.Quit();
  b.Quit();
  {
    CPSimpleDBFile f(fileRef_);
    f.Open(10, false, true);
    EXPECT_EQ(expected, Listed(f));
    EXPECT_EQ(0u, SDBLE32(VYXReadFile(fileRef_.Path()), 20) & kSDBHeaderOpenFlag);
  }
  VYXRunResult verified = VYXRunVyx({"db", "verifier", fileRef_.Path().string()});
  EXPECT_EQ(0, verified.exitCode) << verified.out << verified.err;
  ExpectLogReplays(fileRef_, dir_);
}

TEST_F(SDBSharedTest, AStationKilledInTheMiddleOfAChangeIsRecoveredByTheOther) {
  std::mt19937 random(7);
  const std::string open = "open " + fileRef_.Path().string();
  for (int round = 0; round < 8; ++round) {
    SDBStation a, b;
    ASSERT_EQ("ok", a.Ask(open));
    ASSERT_EQ("ok", b.Ask(open));
    a.Send("stress 0.3 A" + std::to_string(round));
    b.Send("crash 30 B" + std::to_string(round));
    b.WaitForDots(20 + static_cast<int>(random() % 200));
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
    b.Kill();
    std::string done = a.ReadLine();
    ASSERT_EQ("ok", done.substr(0, 2)) << done;
    // The survivor's own records are all there as it left them.
    std::map<uint32_t, std::string> listed = SDBStation::Records(a.Ask("list"));
    for (auto& [id, text] : SDBStation::Records(done)) EXPECT_EQ(text, listed[id]) << id;
    EXPECT_EQ("ok", a.Ask("check"));
    EXPECT_EQ("ok", a.Ask("close"));
    a.Quit();
    EXPECT_EQ(0, VYXRunVyx({"db", "verifier", fileRef_.Path().string()}).exitCode);
    ExpectLogReplays(fileRef_, dir_);
    std::filesystem::remove(dir_.Ref("copie.grp").Path());
    std::filesystem::remove(dir_.Ref("copie.evt").Path());
  }
}

}  // namespace
