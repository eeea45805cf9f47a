// A writer killed at any moment leaves a file and a log that the next opening
// brings back in line: an event cut short is removed from the log, a change
// that reached the file but not the log is logged then, and the log alone
// replays to what the file holds.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>
#include <thread>

#include "SDBContents.h"
#include "SDBFileFixture.h"
#include "SDBStation.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"

namespace {

class SDBRecoveryTest : public SDBFileTest {
 protected:
  std::unique_ptr<CPSimpleDBFile> LoggedFile() {
    auto f = Create();
    f->StartEventLog();
    for (uint32_t k = 0; k < 5; ++k) Add(*f, 40 + 30 * k, k + 1);
    return f;
  }
  CPFileRef LogRef() const { return dir_.Ref("compte.evt"); }
  // Puts the header back as a writer that stopped without closing left it.
  void MarkOpen(uint32_t eventID) {
    std::string db = VYXReadFile(fileRef_.Path());
    uint32_t flags = SDBLE32(db, 20) | kSDBHeaderOpenFlag;
    SDBWriteAt(fileRef_.Path(), 20, &flags, 4);
    SDBWriteAt(fileRef_.Path(), 48, &eventID, 4);
  }
  void ExpectLogReplays(CPSimpleDBFile& f) {
    auto copy = Make(dir_.Ref("copie.cpt"));
    copy->Rebuild(LogRef(), 'VyxP', 10, false);
    EXPECT_EQ(SDBContentsOf(f), SDBContentsOf(*copy));
    EXPECT_EQ(f.GetEventID(), copy->GetEventID());
    copy->Close();
    std::filesystem::remove(dir_.Ref("copie.cpt").Path());
    std::filesystem::remove(dir_.Ref("copie.evt").Path());
  }
};

TEST_P(SDBRecoveryTest, AnEventCutShortIsRemoved) {
  auto f = LoggedFile();
  const uint32_t eventID = f->GetEventID();
  f->Close();
  const uint64_t whole = std::filesystem::file_size(LogRef().Path());
  // Half of the next event: its one write was cut.
  std::string log = VYXReadFile(LogRef().Path());
  uint32_t last = SDBLE32(log, log.size() - 4);
  std::string half = log.substr(last, (log.size() - last) / 2);
  SDBWriteAt(LogRef().Path(), whole, half.data(), half.size());
  MarkOpen(eventID);
  f = Open();
  EXPECT_EQ(half.size(), f->GetRecovery().logCut);
  EXPECT_EQ(0u, f->GetRecovery().logCorrections);
  EXPECT_EQ(whole, std::filesystem::file_size(LogRef().Path()));
  Add(*f, 10, 50);
  CheckCopy(*f);
  ExpectLogReplays(*f);
}

TEST_P(SDBRecoveryTest, AChangeTheLogMissedIsLoggedAtTheNextOpening) {
  auto f = LoggedFile();
  f->Close();
  const std::string logBefore = VYXReadFile(LogRef().Path());
  const uint32_t eventID = f->GetEventID();
  // Three changes reach the file; the log, as if killed each time before its
  // write, keeps none of them.
  f = Open();
  {
    CPSimpleDBSession s(f.get());
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0, placed = 0;
    ASSERT_TRUE(s.GetFirstData(0, &info, &r));
    s.DeleteData(r, info);
    ASSERT_TRUE(s.GetFirstData(0, &info, &r));
    std::vector<unsigned char> data = SDBBytes(333, 7);
    s.ModifyData(r, &info, CPHostEncoding, data.data(), 333, &placed);
  }
  Add(*f, 20, 60);
  const SDBContents contents = SDBContentsOf(*f);
  f->Close();
  std::ofstream(LogRef().Path(), std::ios::binary) << logBefore;
  MarkOpen(eventID);

  f = Open();
  EXPECT_EQ(3u, f->GetRecovery().logCorrections);
  EXPECT_EQ(eventID + 3, f->GetEventID());
  EXPECT_EQ(contents, SDBContentsOf(*f));
  ExpectLogReplays(*f);
}

// A killed writer loses at most the event it was writing. A log whose whole
// events end before the header's eventID was cut by something else: bringing
// it in line would drop those events from its history without a word.
TEST_P(SDBRecoveryTest, ALogThatLostEventsIsRefusedNotSilentlyCompleted) {
  auto f = LoggedFile();
  const std::string early = VYXReadFile(LogRef().Path());
  Add(*f, 10, 70);
  Add(*f, 20, 71);
  const uint32_t eventID = f->GetEventID();
  const SDBContents contents = SDBContentsOf(*f);
  f->Close();
  std::ofstream(LogRef().Path(), std::ios::binary | std::ios::trunc) << early;
  MarkOpen(eventID);
  EXPECT_CP_CODE(kSDBErrLogBehind, Open());
  EXPECT_EQ(early, VYXReadFile(LogRef().Path()));

  // An owner that asked for it gets the log set aside, whole, and a new one.
  f = Make(fileRef_);
  f->SetRestartUnusableLog(true);
  f->Open(10, false, false);
  EXPECT_EQ(kSDBErrLogBehind, f->GetRecovery().logRestarted);
  const CPFileRef aside = f->GetRecovery().logSetAside;
  EXPECT_EQ(early, VYXReadFile(aside.Path()));
  EXPECT_NE(std::string::npos, aside.Name().find("compte.evt.20"));
  EXPECT_EQ(".abime", aside.Path().extension());
  EXPECT_EQ(contents, SDBContentsOf(*f));
  ExpectLogReplays(*f);
  f->Close();
  EXPECT_NO_THROW(Open());
}

TEST_P(SDBRecoveryTest, AHeaderBehindItsLogCatchesUp) {
  auto f = LoggedFile();
  const uint32_t eventID = f->GetEventID();
  f->Close();
  MarkOpen(eventID - 1);  // killed between the event and the header
  f = Open();
  EXPECT_EQ(0u, f->GetRecovery().logCorrections);
  EXPECT_EQ(eventID, f->GetEventID());
  ExpectLogReplays(*f);
}

INSTANTIATE_TEST_SUITE_P(Files, SDBRecoveryTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

// A real writer, killed at random moments of a stream of changes.
TEST(SDBKilledWriter, EveryKillLeavesAFileWhoseLogReplaysToIt) {
  VYXTempDir dir;
  const CPFileRef fileRef = dir.Ref("compte.cpt");
  {
    CPSimpleDBFile f(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 1, false);
    f.StartEventLog();
  }
  std::mt19937 random(42);
  for (int round = 0; round < 12; ++round) {
    {
      SDBStation writer;
      ASSERT_EQ("ok", writer.Ask("open-alone " + fileRef.Path().string()));
      writer.Send("crash 30 R" + std::to_string(round));
      writer.WaitForDots(50 + static_cast<int>(random() % 400));
      // The last dot woke this process: killing at once would always land at
      // the start of the writer's next change. A random delay lands anywhere.
      std::this_thread::sleep_for(std::chrono::microseconds(random() % 400));
      writer.Kill();
    }
    CPSimpleDBFullMemoryFile f(fileRef);
    f.Open(10, false, false);
    EXPECT_TRUE(f.GetRecovery().unclean);
    f.CheckMemory();
    CPSimpleDBFile copy(dir.Ref("copie.cpt"));
    copy.Rebuild(dir.Ref("compte.evt"), 'VyxP', 10, false);
    EXPECT_EQ(SDBContentsOf(f), SDBContentsOf(copy)) << "round " << round;
    EXPECT_EQ(f.GetEventID(), copy.GetEventID());
    copy.Close();
    std::filesystem::remove(dir.Ref("copie.cpt").Path());
    std::filesystem::remove(dir.Ref("copie.evt").Path());
  }
}

}  // namespace
