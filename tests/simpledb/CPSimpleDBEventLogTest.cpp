// The event log: its bytes, what is logged and what is not, the checks made
// when a logged file opens, and rebuilding a file from its log alone.
#include <gtest/gtest.h>

#include <cstring>

#include "SDBContents.h"
#include "SDBFileFixture.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBEventFile.h"

namespace {

class SDBLogTest : public SDBFileTest {
 protected:
  // A logged file with a few records of each kind of change.
  std::unique_ptr<CPSimpleDBFile> Workload() {
    auto f = Create();
    f->StartEventLog();
    CPSimpleDBSession s(f.get());
    CPSimpleDBDataInfo a, b, c;
    Add(*f, 30, 1, 'TEST', &a);
    Add(*f, 200, 2, 'OTHR', &b);
    Add(*f, 10, 3, 'TEST', &c);
    CPSimpleDBRefnum r = 0, placed = 0;
    ASSERT_RESULT(s.GetDataRefnum(b.dataID, &r));
    std::vector<unsigned char> bigger = SDBBytes(400, 9);
    s.ModifyData(r, &b, CPHostEncoding, bigger.data(), 400, &placed);  // moves
    ASSERT_RESULT(s.GetDataRefnum(a.dataID, &r));
    s.DeleteData(r, a);
    Add(*f, 50, 4, 'TEST');
    return f;
  }
  static void ASSERT_RESULT(bool ok) { ASSERT_TRUE(ok); }
  CPFileRef LogRef() const { return dir_.Ref("compte.evt"); }
};

TEST_P(SDBLogTest, SnapshotAtFirstStartThenOneEventPerChangeReadableBothWays) {
  auto f = Create();
  Add(*f, 20, 1);
  Add(*f, 100, 2, 'OTHR');
  f->StartEventLog();
  ASSERT_TRUE(f->EventLogRunning());
  EXPECT_TRUE(f->GetHeader().flags & kSDBHeaderLogFlag);
  CPSimpleDBDataInfo added;
  Add(*f, 5, 3, 'TEST', &added);
  CheckCopy(*f);
  f->Close();

  // Named after the database without its extension.
  std::string log = VYXReadFile(LogRef().Path());
  ASSERT_GE(log.size(), 64u);
  EXPECT_EQ(0, std::memcmp(log.data(), "\x08vyx_cpt1", 9));
  EXPECT_EQ("CPT5", log.substr(12, 4));
  EXPECT_EQ(0x4E8A01F3u, SDBLE32(log, 16));
  EXPECT_EQ(1u, SDBLE32(log, 20));
  EXPECT_EQ(f->GetHeader().baseID, SDBLE32(log, 36));
  EXPECT_EQ(1u, SDBLE32(log, 40));
  EXPECT_EQ(0x250F5EDAu, SDBLE32(log, 48));  // the end record closing the header
  EXPECT_EQ(0u, SDBLE32(log, 60));

  // Two snapshot events carrying the counter the file had reached (2: two
  // changes counted before the log began), then the change, eventID 3.
  struct Seen {
    uint32_t at, action, eventID, next;
    OSType type;
  };
  std::vector<Seen> seen;
  for (uint32_t at = 64; at < log.size();) {
    EXPECT_EQ(0xF5E12AC4u, SDBLE32(log, at));
    uint32_t next = SDBLE32(log, at + 36);
    EXPECT_EQ(at + 88 + SDBLE32(log, at + 24) + SDBLE32(log, at + 32), next);
    EXPECT_EQ(0x250F5EDAu, SDBLE32(log, next - 16));
    EXPECT_EQ(at, SDBLE32(log, next - 4));  // back to its begin
    seen.push_back({at, SDBLE32(log, at + 4) & 0x38, SDBLE32(log, at + 12), next,
                    CPReadCode(log.data() + at + 44)});
    at = next;
  }
  ASSERT_EQ(3u, seen.size());
  EXPECT_EQ(0x08u, seen[0].action);
  EXPECT_EQ(2u, seen[0].eventID);
  EXPECT_EQ('TEST', seen[0].type);
  EXPECT_EQ(2u, seen[1].eventID);
  EXPECT_EQ('OTHR', seen[1].type);
  EXPECT_EQ(3u, seen[2].eventID);
  EXPECT_EQ(added.dataID, SDBLE32(log, seen[2].at + 40));
  EXPECT_EQ(log.size(), seen[2].next);

  CPSimpleDBEventFile reader(LogRef());
  reader.Open(kCPFileRead);
  EXPECT_EQ(3u, reader.GetLastEventID());
  std::vector<uint32_t> backwards;
  reader.PlayBack(true, [&](CPSimpleDBLogEvent& e) {
    backwards.push_back(e.offset);
    if (e.eventID == 3) {
      EXPECT_EQ(SDBBytes(5, 3), e.newData);
    }
    return true;
  });
  EXPECT_EQ((std::vector<uint32_t>{seen[2].at, seen[1].at, seen[0].at}), backwards);
  EXPECT_EQ(seen[1].at, reader.GetEventDataInfos(2).offset);  // the last one carrying it
  EXPECT_CP_CODE(kSDBErrLogNoEvent, reader.GetEventData(7));
}

TEST_P(SDBLogTest, AFileLoggedFromItsCreationStartsAtEventZero) {
  auto f = Make(fileRef_);
  Str255 signature = "\x08vyx_grp1";
  f->Create('VyxP', 'GRP5', signature, 1, true);  // shared: logged at once
  Add(*f, 10, 1);
  f->Close();
  CPSimpleDBEventFile reader(LogRef());
  reader.Open(kCPFileRead);
  std::vector<uint32_t> ids;
  reader.Play(0, 0, false, [&](CPSimpleDBLogEvent& e) { return ids.push_back(e.eventID), true; });
  EXPECT_EQ(std::vector<uint32_t>{1}, ids);
  EXPECT_EQ(1u, f->GetEventID());
}

TEST_P(SDBLogTest, RecordsNotLoggedLeaveTheCounterAndTheLogAlone) {
  auto f = Create();
  f->StartEventLog();
  Add(*f, 10, 1);
  const uint32_t eventID = f->GetEventID();
  const uint64_t logLength = std::filesystem::file_size(LogRef().Path());
  CPSimpleDBDataInfo info;
  Add(*f, 10, 2, 'TEST', &info, kSDBNotLoggedFlag);
  CPSimpleDBSession s(f.get());
  CPSimpleDBRefnum r = 0, placed = 0;
  ASSERT_TRUE(s.GetDataRefnum(info.dataID, &r));
  std::vector<unsigned char> other = SDBBytes(300, 5);
  s.ModifyData(r, &info, CPHostEncoding, other.data(), 300, &placed);
  s.DeleteData(placed, info);
  EXPECT_EQ(eventID, f->GetEventID());
  EXPECT_EQ(logLength, std::filesystem::file_size(LogRef().Path()));
  CheckCopy(*f);
}

TEST_P(SDBLogTest, RebuildingFromTheLogAloneGivesTheSameRecordsAndCounters) {
  auto original = Workload();
  SDBContents before = SDBContentsOf(*original);
  original->Close();
  const CPSimpleDBHeader h = original->GetHeader();

  CPFileRef copy = dir_.Ref("copie.cpt");
  auto rebuilt = Make(copy);
  rebuilt->Rebuild(LogRef(), 'VyxP', 3, false);
  CheckCopy(*rebuilt);
  EXPECT_EQ(before, SDBContentsOf(*rebuilt));
  EXPECT_TRUE(rebuilt->EventLogRunning());
  rebuilt->Close();
  // Both closed once, so both handed an ID to their saved index.
  EXPECT_EQ(h.eventID, rebuilt->GetHeader().eventID);
  EXPECT_EQ(h.autoID, rebuilt->GetHeader().autoID);
  EXPECT_EQ(h.baseID, rebuilt->GetHeader().baseID);
  EXPECT_EQ(h.contentVersion, rebuilt->GetHeader().contentVersion);
  // The copy got a log of its own, under its own name, and opens with it.
  EXPECT_TRUE(dir_.Ref("copie.evt").Exists());
  auto again = Open(copy);
  EXPECT_TRUE(again->EventLogRunning());
  EXPECT_EQ(before, SDBContentsOf(*again));
}

TEST_P(SDBLogTest, RebuildingAnOlderCopyReplaysOnlyWhatItMissed) {
  auto f = Workload();
  f->Close();
  const CPFileRef backup = dir_.Ref("sauvegarde.cpt");
  std::filesystem::copy_file(fileRef_.Path(), backup.Path());
  f = Open();
  Add(*f, 70, 11);
  CPSimpleDBSession s(f.get());
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = 0;
  ASSERT_TRUE(s.GetFirstData('TEST', &info, &r));
  s.DeleteData(r, info);
  SDBContents now = SDBContentsOf(*f);
  f->Close();

  // The old copy takes the database's place and is brought up to date.
  std::filesystem::rename(backup.Path(), fileRef_.Path());
  auto rebuilt = Make(fileRef_);
  rebuilt->Rebuild(LogRef(), 'VyxP', 3, false);
  EXPECT_EQ(now, SDBContentsOf(*rebuilt));
  EXPECT_EQ(f->GetEventID(), rebuilt->GetEventID());
  CheckCopy(*rebuilt);
}

TEST_P(SDBLogTest, OpeningALoggedFileChecksItsLog) {
  auto f = Workload();
  f->Close();
  const std::string log = VYXReadFile(LogRef().Path());
  auto restore = [&] { std::ofstream(LogRef().Path(), std::ios::binary) << log; };

  std::filesystem::remove(LogRef().Path());
  EXPECT_CP_CODE(kSDBErrLogMissing, Open());
  restore();

  std::string other = log;
  other[36] ^= 1;  // another database's log
  std::ofstream(LogRef().Path(), std::ios::binary) << other;
  EXPECT_CP_CODE(kSDBErrLogOtherBase, Open());
  other = log;
  other[16] ^= 1;
  std::ofstream(LogRef().Path(), std::ios::binary) << other;
  EXPECT_CP_CODE(kSDBErrLogMarker, Open());
  other = log;
  other[20] = 2;
  std::ofstream(LogRef().Path(), std::ios::binary) << other;
  EXPECT_CP_CODE(kSDBErrLogVersion, Open());

  // A log shorter by its last event: the file is ahead of it.
  uint32_t lastBegin = SDBLE32(log, log.size() - 4);
  std::ofstream(LogRef().Path(), std::ios::binary) << log.substr(0, lastBegin);
  EXPECT_CP_CODE(kSDBErrLogBehind, Open());
  restore();

  // A file restored from before the last change: the log is ahead of it.
  f = Open();
  f->Close();
  std::string db = VYXReadFile(fileRef_.Path());
  f = Open();
  Add(*f, 10, 20);
  f->Close();
  std::ofstream(fileRef_.Path(), std::ios::binary) << db;
  EXPECT_CP_CODE(kSDBErrLogAhead, Open());
}

TEST_P(SDBLogTest, StoppingTheLogLetsTheNextStartBeginAgain) {
  auto f = Workload();
  f->StopEventLog(true);
  EXPECT_FALSE(LogRef().Exists());
  Add(*f, 10, 30);
  f->Close();
  f = Open();
  EXPECT_FALSE(f->EventLogRunning());
  f->StartEventLog();
  const SDBContents contents = SDBContentsOf(*f);
  f->Close();
  // The new snapshot carries the counter the file had reached.
  auto rebuilt = Make(dir_.Ref("copie.cpt"));
  rebuilt->Rebuild(LogRef(), 'VyxP', 3, false);
  EXPECT_EQ(contents, SDBContentsOf(*rebuilt));
  EXPECT_EQ(f->GetEventID(), rebuilt->GetEventID());
  rebuilt->Close();
  EXPECT_NO_THROW(Open(dir_.Ref("copie.cpt")));
}

INSTANTIATE_TEST_SUITE_P(Files, SDBLogTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

}  // namespace
