#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <random>

#include "SDBFileFixture.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPClock.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFile.h"

namespace {

uint32_t LE32(const std::string& b, size_t at) {
  auto p = reinterpret_cast<const unsigned char*>(b.data() + at);
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void WriteAt(const std::filesystem::path& path, uint64_t at, const void* data, size_t n) {
  std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
  f.seekp(static_cast<std::streamoff>(at));
  f.write(static_cast<const char*>(data), static_cast<std::streamsize>(n));
}

void PutLE32(const std::filesystem::path& path, uint64_t at, uint32_t v) {
  unsigned char b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  WriteAt(path, at, b, 4);
}

TEST_P(SDBFileTest, NewFileIsItsHeaderAndTheFirstRecordIsBlockOneID1) {
  auto f = Create();
  EXPECT_EQ(5120u, Length());
  CPSimpleDBDataInfo info;
  EXPECT_EQ(1u, Add(*f, 10, 1, 'TEST', &info));
  EXPECT_EQ(1u, info.dataID);
  EXPECT_EQ(CPClock::Now(), info.creation);
  EXPECT_EQ(5120u + 128, Length());
  std::string open = VYXReadFile(fileRef_.Path());
  EXPECT_EQ(0x8u, LE32(open, 20) & 0x8);  // flagged open while a writer has it
  CheckCopy(*f);
  f->Close();

  std::string bytes = VYXReadFile(fileRef_.Path());
  EXPECT_EQ(0, std::memcmp(bytes.data(), "\x08vyx_cpt1", 9));
  EXPECT_EQ("CPT5", bytes.substr(12, 4));  // in text order
  EXPECT_EQ(0x5F2A6B51u, LE32(bytes, 16));
  EXPECT_EQ(0u, LE32(bytes, 20));  // closed: no flag
  EXPECT_EQ(1u, LE32(bytes, 24));
  EXPECT_EQ(3u, LE32(bytes, 28));
  EXPECT_EQ(CPClock::Now(), LE32(bytes, 32));
  EXPECT_EQ(1u, LE32(bytes, 44));  // noBase
  EXPECT_EQ(1u, LE32(bytes, 48));  // one change counted
  EXPECT_EQ(2u, LE32(bytes, 52));  // IDs 1 and 2 (the saved index) handed out
  EXPECT_EQ(2u, LE32(bytes, 60));  // the saved index follows the record
  EXPECT_EQ(1u, LE32(bytes, 64));
  EXPECT_EQ("TESTbina", bytes.substr(5120 + 16, 8));
  EXPECT_EQ("midxind1", bytes.substr(5120 + 128 + 16, 8));
  EXPECT_EQ(std::string(5000, '\0'), bytes.substr(120, 5000));  // the reserved bytes stay zero
}

TEST_P(SDBFileTest, NewIDsCarryTheBaseNumberInTheirTopByte) {
  auto f = Create();
  EXPECT_EQ(1u, f->GetNewID());
  EXPECT_EQ(2u, f->GetNewID());
  f->SetNoBase(3);
  EXPECT_EQ((2u << 24) + 3, f->GetNewID());
  EXPECT_EQ(3u, f->GetAutoID());
}

TEST_P(SDBFileTest, ChangesAreCheckedAgainstTheStoredRecord) {
  auto f = Create();
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r = Add(*f, 100, 1, 'TEST', &info);
  CPSimpleDBRefnum r2 = Add(*f, 100, 2);
  CPSimpleDBSession s(f.get());
  std::vector<unsigned char> data = SDBBytes(50, 9);
  CPSimpleDBRefnum moved;
  CPSimpleDBDataInfo other = info;
  other.type = 'OTHR';
  EXPECT_CP_CODE(kSDBErrOtherType,
                 s.ModifyData(r, &other, CPHostEncoding, data.data(), 50, &moved));
  other = info;
  other.dataID = 77;
  EXPECT_CP_CODE(kSDBErrOtherDataID,
                 s.ModifyData(r, &other, CPHostEncoding, data.data(), 50, &moved));
  s.DeleteData(r2, info);  // two blocks at the end: they stay, as a free record
  EXPECT_CP_CODE(kSDBErrFreeRecord, s.DeleteData(r2, info));
  EXPECT_CP_CODE(kSDBErrFreeRecord,
                 s.ModifyData(r2, &info, CPHostEncoding, data.data(), 50, &moved));
  CPSimpleDBDataInfo fresh('TEST', 'bina', 0);
  EXPECT_CP_CODE(kSDBErrDuplicateID,
                 s.AddData(&fresh, CPHostEncoding, data.data(), 50, &moved, info.dataID));
  CheckCopy(*f);
}

TEST_P(SDBFileTest, ReopeningUsesTheSavedIndexOrWalksAfterAnUncleanStop) {
  std::vector<CPSimpleDBFileIndexItem> expected;
  CPFileRef killed = dir_.Ref("killed.cpt");
  {
    auto f = Create();
    std::mt19937 rng(3);
    CPSimpleDBSession s(f.get());
    std::vector<CPSimpleDBDataID> ids;
    for (int i = 0; i < 300; ++i) {
      if (ids.size() > 5 && rng() % 4 == 0) {
        size_t k = rng() % ids.size();
        CPSimpleDBRefnum r;
        ASSERT_TRUE(s.GetDataRefnum(ids[k], &r));
        if (rng() % 2) {
          CPSimpleDBDataInfo info;
          s.GetDataInfos(r, &info, nullptr);
          std::vector<unsigned char> data = SDBBytes(rng() % 600, ids[k] + 1000);
          s.ModifyData(r, &info, CPHostEncoding, data.data(), static_cast<CPDataSize>(data.size()),
                       &r);
        } else {
          s.DeleteData(r, CPSimpleDBDataInfo());
          ids.erase(ids.begin() + static_cast<long>(k));
        }
      } else {
        CPSimpleDBDataInfo info;
        Add(*f, rng() % 400, static_cast<uint32_t>(i), i % 3 ? 'TEST' : 'OTHR', &info);
        ids.push_back(info.dataID);
      }
    }
    expected = Items(*f);
    // What a writer killed now leaves behind: every write has reached the file.
    std::filesystem::copy_file(fileRef_.Path(), killed.Path());
    CheckCopy(*f);
  }
  auto clean = Open();
  EXPECT_FALSE(clean->GetRecovery().unclean);
  EXPECT_TRUE(clean->GetRecovery().savedIndexUsed);
  auto walked = Open(killed);
  EXPECT_TRUE(walked->GetRecovery().unclean);
  EXPECT_FALSE(walked->GetRecovery().savedIndexUsed);
  EXPECT_EQ(expected, Items(*clean));
  EXPECT_EQ(expected, Items(*walked));
  EXPECT_EQ(expected.size(), clean->GetNbOfData(nullptr));
  for (const auto& item : expected)
    EXPECT_EQ(ReadID(*clean, item.dataID), ReadID(*walked, item.dataID));
  CheckCopy(*walked);
}

// The saved index is a shortcut: damaged, it is walked around, never trusted.
TEST_P(SDBFileTest, ADamagedSavedIndexIsRebuiltByWalking) {
  {
    auto f = Create();
    for (uint32_t i = 1; i <= 5; ++i) Add(*f, 100, i);
  }
  auto expected = Items(*Open(true));
  auto at = [&] { return 5120 + (Open(true)->GetHeader().indexRefnum - 1) * 128ull; };
  struct Case {
    const char* name;
    uint64_t offset;  // within the index record
    uint32_t value;
  } cases[] = {
      {"data", 44 + 12 + 8, 9},  // a refnum changed: the checksum no longer matches
      {"size", 4, 5 * 12 - 1},   // not a whole number of items
  };
  for (const auto& c : cases) {
    uint64_t record = at();
    std::string before = VYXReadFile(fileRef_.Path());
    PutLE32(fileRef_.Path(), record + c.offset, c.value);
    auto f = Open(true);
    EXPECT_FALSE(f->GetRecovery().savedIndexUsed) << c.name;
    EXPECT_EQ(expected, Items(*f)) << c.name;
    f.reset();
    std::ofstream(fileRef_.Path(), std::ios::binary) << before;
  }
}

// A record that is not logged changes nothing in eventID: a stale saved index
// must still not be taken for a current one.
TEST_P(SDBFileTest, AChangeToANotLoggedRecordIsInTheNextSavedIndex) {
  Create()->Close();
  CPSimpleDBDataInfo info;
  {
    auto f = Open();
    CPSimpleDBEventID before = f->GetEventID();
    Add(*f, 40, 1, 'indx', &info, kSDBNotLoggedFlag);
    EXPECT_EQ(before, f->GetEventID());
  }
  auto f = Open();
  EXPECT_TRUE(f->GetRecovery().savedIndexUsed);
  EXPECT_EQ(SDBBytes(40, 1), ReadID(*f, info.dataID));
}

// A writer killed inside a fast-add batch wrote records but not the header
// that counts their IDs: the next opening must neither trust the saved index
// nor hand those IDs out again.
TEST_P(SDBFileTest, AKillInsideAFastAddBatchLosesNoIDAndNoRecord) {
  Create()->Close();
  CPFileRef killed = dir_.Ref("killed.cpt");
  std::vector<CPSimpleDBDataID> ids;
  {
    auto f = Open();
    CPSimpleDBSession s(f.get());
    uint32_t batch = s.NewFastAdd('TEST');
    for (int i = 0; i < 20; ++i) {
      CPSimpleDBDataInfo info('TEST', 'bina', 0);
      std::vector<unsigned char> data = SDBBytes(30, static_cast<uint32_t>(i));
      CPSimpleDBRefnum r;
      s.AddData(&info, CPHostEncoding, data.data(), 30, &r, 0, batch);
      ids.push_back(info.dataID);
    }
    std::filesystem::copy_file(fileRef_.Path(), killed.Path());
    s.CloseFastAdd(batch);
  }
  auto f = Open(killed);
  EXPECT_EQ(20u, f->GetNbOfData(nullptr));
  for (size_t i = 0; i < ids.size(); ++i)
    EXPECT_EQ(SDBBytes(30, static_cast<uint32_t>(i)), ReadID(*f, ids[i]));
  EXPECT_GT(f->GetNewID(), ids.back());
}

TEST_P(SDBFileTest, FastAddBatchesCloseInnermostFirst) {
  auto f = Create();
  CPSimpleDBSession s(f.get());
  uint32_t one = s.NewFastAdd('TEST');
  uint32_t two = s.NewFastAdd('TEST');
  EXPECT_EQ(1u, one);
  EXPECT_EQ(2u, two);
  EXPECT_CP_CODE(kSDBErrFastAddOrder, s.CloseFastAdd(one));
  EXPECT_TRUE(f->FastAdd());
  s.CloseFastAdd(two);
  s.CloseFastAdd(one);
  EXPECT_FALSE(f->FastAdd());
}

TEST_P(SDBFileTest, RefusedOpenings) {
  struct Case {
    const char* name;
    std::function<void(const std::filesystem::path&)> damage;
    int16_t code;
    uint32_t maxVersion;
  } cases[] = {
      {"short", [](const auto& p) { std::filesystem::resize_file(p, 100); }, kSDBErrTooShort, 10},
      {"marker", [](const auto& p) { PutLE32(p, 16, 0x12345678); }, kSDBErrBadMarker, 10},
      {"structure", [](const auto& p) { PutLE32(p, 24, 2); }, kSDBErrStructureVersion, 10},
      {"content", [](const auto&) {}, kSDBErrContentVersion, 2},
      {"blocks", [](const auto& p) { std::filesystem::resize_file(p, 5120 + 128 + 100); },
       kSDBErrNotWholeBlocs, 10},
      {"stream offset", [](const auto& p) { PutLE32(p, 80, 5120 + 64); }, kSDBErrStreamOffset, 10},
      {"stream marker", [](const auto& p) { PutLE32(p, 80, 5120); }, kSDBErrStreamMarker, 10},
  };
  for (const auto& c : cases) {
    CPFileRef fileRef = dir_.Ref(std::string(c.name) + ".cpt");
    {
      auto f = Create(fileRef);
      Add(*f, 10, 1);
    }
    c.damage(fileRef.Path());
    for (bool readOnly : {true, false}) {
      EXPECT_CP_CODE(c.code, Open(fileRef, readOnly, c.maxVersion))
          << c.name << (readOnly ? " read-only" : "");
    }
  }
}

TEST_P(SDBFileTest, ReadOnlyFilesRefuseEveryChange) {
  {
    auto f = Create();
    Add(*f, 10, 1);
  }
  std::string before = VYXReadFile(fileRef_.Path());
  for (int way = 0; way < 2; ++way) {
    std::unique_ptr<CPSimpleDBFile> f;
    if (way == 0) {
      f = Open(true);
    } else {
      ::chmod(fileRef_.Path().c_str(), 0444);  // a locked file opened for writing is read-only
      f = Open(false);
    }
    EXPECT_TRUE(f->IsReadOnly());
    CPSimpleDBSession s(f.get());
    CPSimpleDBDataInfo info('TEST', 'bina', 0);
    CPSimpleDBRefnum r;
    unsigned char data[4] = {};
    EXPECT_CP_CODE(kSDBErrReadOnly, s.AddData(&info, CPHostEncoding, data, 4, &r));
    EXPECT_CP_CODE(kSDBErrReadOnly, s.ModifyData(1, &info, CPHostEncoding, data, 4, &r));
    EXPECT_CP_CODE(kSDBErrReadOnly, s.DeleteData(1, info));
    EXPECT_CP_CODE(kSDBErrReadOnly, s.MoveData(1, 1));
    EXPECT_CP_CODE(kSDBErrReadOnly, f->Compact(&s));
    EXPECT_EQ(SDBBytes(10, 1), ReadID(*f, 1));
  }
  EXPECT_EQ(before, VYXReadFile(fileRef_.Path()));
}

TEST_P(SDBFileTest, CompactionKeepsOrderDataAndFixesTheSavedIndexPlace) {
  std::vector<CPSimpleDBDataID> order;
  {
    auto f = Create();
    for (int i = 0; i < 30; ++i) {
      CPSimpleDBDataInfo info;
      Add(*f, (i * 37) % 500, static_cast<uint32_t>(i), 'TEST', &info);
      order.push_back(info.dataID);
    }
  }
  auto f = Open();
  CPSimpleDBRefnum indexBefore = f->GetHeader().indexRefnum;
  CPSimpleDBSession s(f.get());
  for (int i = 0; i < 30; i += 3) {
    CPSimpleDBRefnum r;
    ASSERT_TRUE(s.GetDataRefnum(order[i], &r));
    s.DeleteData(r, CPSimpleDBDataInfo());
  }
  std::vector<CPSimpleDBDataID> kept;
  for (int i = 0; i < 30; ++i) {
    if (i % 3) kept.push_back(order[i]);
  }
  {
    CPScriptedInteraction user;
    f->Compact(&s);
    EXPECT_EQ(1, user.ProgressRuns());  // the user sees the moves go by
    EXPECT_GT(user.ProgressSteps(), 0);
  }
  CheckCopy(*f);
  EXPECT_LT(f->GetHeader().indexRefnum, indexBefore);
  // No free record is left and the file ends with the last record.
  std::string layout = SDBLayout(f->GetBlocsHandler());
  EXPECT_EQ(std::string::npos, layout.find("free"));
  std::vector<CPSimpleDBDataID> walked;
  CPSimpleDBRefnum r = 1;
  for (bool more = f->GetBlocsHandler().GetFirstData('TEST', nullptr, &r); more;
       more = f->GetBlocsHandler().GetNextData('TEST', nullptr, &r)) {
    CPSimpleDBDataID id;
    s.GetDataID(r, &id);
    walked.push_back(id);
    CPSimpleDBRefnum viaIndex;
    ASSERT_TRUE(s.GetDataRefnum(id, &viaIndex));
    EXPECT_EQ(r, viaIndex);
  }
  EXPECT_EQ(kept, walked);
  f->Close();
  auto again = Open();
  EXPECT_TRUE(again->GetRecovery().savedIndexUsed);
  for (size_t i = 0; i < 30; ++i) {
    std::vector<unsigned char> data = ReadID(*again, order[i]);
    if (i % 3) {
      EXPECT_EQ(SDBBytes((i * 37) % 500, static_cast<uint32_t>(i)), data);
    } else {
      EXPECT_TRUE(data.empty());
    }
  }
}

TEST_P(SDBFileTest, AnAppendedStreamSegmentIsReadAndGivenUpByAWriter) {
  uint64_t end;
  {
    auto f = Create();
    Add(*f, 10, 1);
  }
  end = Length();
  std::string segment =
      "\x05\x38\xE5\x1A"
      "donnees du flux";
  WriteAt(fileRef_.Path(), end, segment.data(), segment.size());
  PutLE32(fileRef_.Path(), 80, static_cast<uint32_t>(end));
  {
    auto f = Open(true);
    ASSERT_EQ(15u, f->GetStreamSize(nullptr));
    EXPECT_EQ(0, std::memcmp(HandlePtr(f->GetStream(nullptr)), "donnees du flux", 15));
    EXPECT_EQ(SDBBytes(10, 1), ReadID(*f, 1));
    EXPECT_EQ(end + segment.size(), Length());
  }
  auto f = Open();
  EXPECT_EQ(15u, f->GetStreamSize(nullptr));
  EXPECT_EQ(end, Length());
  EXPECT_EQ(0u, f->GetHeader().stream);
}

class RecordingSession : public CPSimpleDBSession {
 public:
  RecordingSession(CPSimpleDBDataProvider* p, OSType type) : CPSimpleDBSession(p), type_(type) {}
  bool IsConcerned(const CPSimpleDBDataInfo& info) const override { return info.type == type_; }
  void DataAdded(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum r, const void* d, CPDataSize n,
                 bool) override {
    log += "add " + std::to_string(info.dataID) + "@" + std::to_string(r) + " " +
           std::to_string(n) + ";";
    last.assign(static_cast<const unsigned char*>(d), static_cast<const unsigned char*>(d) + n);
  }
  void DataModified(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum o, const void*, CPDataSize on,
                    CPSimpleDBRefnum r, const void*, CPDataSize n, bool) override {
    log += "mod " + std::to_string(info.dataID) + "@" + std::to_string(o) + ">" +
           std::to_string(r) + " " + std::to_string(on) + ">" + std::to_string(n) + ";";
  }
  void DataDeleted(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum r, const void*, CPDataSize n,
                   bool) override {
    log += "del " + std::to_string(info.dataID) + "@" + std::to_string(r) + " " +
           std::to_string(n) + ";";
  }
  void DataMoved(const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from,
                 CPSimpleDBRefnum to) override {
    log += "mov " + std::to_string(info.dataID) + "@" + std::to_string(from) + ">" +
           std::to_string(to) + ";";
  }
  bool ActionAllowed(CPSimpleDBAccessDomain, uint32_t action, const CPSimpleDBDataInfo&,
                     const void*) override {
    return action != kSDBActionGet || canRead;
  }
  std::string log;
  std::vector<unsigned char> last;
  bool canRead = true;

 private:
  OSType type_;
};

TEST_P(SDBFileTest, SessionsHearTheChangesThatConcernThem) {
  auto f = Create();
  RecordingSession tests(f.get(), 'TEST'), others(f.get(), 'OTHR');
  CPSimpleDBRefnum a = Add(*f, 10, 1);
  Add(*f, 20, 2, 'OTHR');
  Add(*f, 30, 3);
  EXPECT_EQ(SDBBytes(30, 3), tests.last);
  CPSimpleDBDataInfo info;
  tests.GetDataInfos(a, &info, nullptr);
  std::vector<unsigned char> bigger = SDBBytes(300, 4);
  CPSimpleDBRefnum moved;
  tests.ModifyData(a, &info, CPHostEncoding, bigger.data(), 300, &moved);
  tests.DeleteData(moved, info);
  EXPECT_EQ("add 1@1 10;add 3@3 30;mod 1@1>4 10>300;del 1@4 300;", tests.log);
  EXPECT_EQ("add 2@2 20;", others.log);
  f->Compact(&tests);  // free:1 2 3 free:3 becomes 2 3
  EXPECT_EQ("add 2@2 20;mov 2@2>1;", others.log);
  EXPECT_EQ("mov 3@3>2;", tests.log.substr(tests.log.find("mov")));

  // A session that may not read is refused, before anything else; another
  // session of the same file reads.
  tests.canRead = false;
  std::vector<unsigned char> data(30);
  EXPECT_CP_CODE(kSDBErrNotAllowed, tests.GetData(2, nullptr, nullptr, data.data(), 30));
  EXPECT_CP_CODE(kSDBErrNotAllowed, tests.GetData(1, nullptr, nullptr, data.data(), 30));
  EXPECT_EQ(std::vector<unsigned char>(30, 0), data);
  others.GetData(2, nullptr, nullptr, data.data(), 30);
  EXPECT_EQ(SDBBytes(30, 3), data);
  tests.CloseSession();
  Add(*f, 5, 9);
  EXPECT_EQ(std::string::npos, tests.log.find("add 5"));
  CheckCopy(*f);
}

// An opening for writing that changes nothing leaves the file and its log
// as they were, their dates included: a record rewritten as it is, and
// closing, write nothing. The first real change marks the file open first.
TEST_P(SDBFileTest, AnOpeningThatChangesNothingWritesNothing) {
  CPSimpleDBDataInfo info;
  {
    auto f = Create();
    Add(*f, 300, 1, 'TEST', &info);
    f->StartEventLog();
  }
  const CPFileRef log = dir_.Ref("compte.evt");
  auto state = [&] {
    struct stat a, b;
    ::stat(fileRef_.Path().c_str(), &a);
    ::stat(log.Path().c_str(), &b);
    return VYXReadFile(fileRef_.Path()) + VYXReadFile(log.Path()) +
           std::to_string(a.st_mtim.tv_nsec) + std::to_string(b.st_mtim.tv_nsec);
  };
  const std::string before = state();
  std::vector<unsigned char> same = SDBBytes(300, 1), other = SDBBytes(300, 2);
  {
    auto f = Open();
    EXPECT_FALSE(f->MarkedOpen());
    CPSimpleDBSession s(f.get());
    CPSimpleDBRefnum r = 0, placed = 0;
    ASSERT_TRUE(s.GetDataRefnum(info.dataID, &info, &r));
    s.ModifyData(r, &info, CPHostEncoding, same.data(), 300, &placed);
    EXPECT_EQ(r, placed);
    EXPECT_FALSE(f->MarkedOpen());
  }
  EXPECT_EQ(before, state());
  {
    auto f = Open();
    CPSimpleDBSession s(f.get());
    CPSimpleDBRefnum r = 0, placed = 0;
    ASSERT_TRUE(s.GetDataRefnum(info.dataID, &info, &r));
    const CPSimpleDBEventID eventID = f->GetEventID();
    s.ModifyData(r, &info, CPHostEncoding, other.data(), 300, &placed);
    EXPECT_TRUE(f->MarkedOpen());
    EXPECT_EQ(eventID + 1, f->GetEventID());
    EXPECT_EQ(0x8u, LE32(VYXReadFile(fileRef_.Path()), 20) & 0x8);
    CheckCopy(*f);
  }
  EXPECT_EQ(other, ReadID(*Open(true), info.dataID));
}

TEST_P(SDBFileTest, ASecondWriterIsRefusedWithAClearMessage) {
  auto first = Create();
  auto second = Make(fileRef_);
  VYXScopedEnv noWait("VYX_ATTENTE", "0");
  try {
    second->Open(10, false, false);
    FAIL() << "a second writer was let in";
  } catch (const CPException& e) {
    EXPECT_EQ(opWrErr, e.Code());
    EXPECT_EQ("Le fichier « " + fileRef_.Path().string() +
                  " » est occupé par un autre programme (vyx ou une autre application) : "
                  "réessayez quand il aura fini.",
              MacRomanToUtf8(e.DisplayText()));
  }
  auto reader = Open(fileRef_, true);  // readers are never refused
  EXPECT_TRUE(reader->IsReadOnly());
}

// Opened for writing later, a file reads as usual, keeps any other writer
// out and stays exactly as it was until writing starts; a file whose writer
// stopped without closing cannot start so, since its opening must repair it.
TEST_P(SDBFileTest, AFileOpenedForWritingLaterIsUnchangedUntilWritingStarts) {
  CPFileRef killed = dir_.Ref("killed.cpt");
  {
    auto f = Create();
    Add(*f, 10, 1);
    Add(*f, 300, 2, 'OTHR');
    f->StartEventLog();
    std::filesystem::copy_file(fileRef_.Path(), killed.Path());  // still open in the copy
  }
  const std::string before = VYXReadFile(fileRef_.Path());
  {
    auto f = Make(fileRef_);
    f->OpenWritingLater(10);
    EXPECT_TRUE(f->IsReadOnly());
    EXPECT_TRUE(f->WritingLater());
    EXPECT_FALSE(f->EventLogRunning());
    EXPECT_EQ(SDBBytes(10, 1), ReadID(*f, 1));
    CPSimpleDBSession s(f.get());
    CPSimpleDBDataInfo info('TEST', 'bina', 0);
    CPSimpleDBRefnum r;
    unsigned char data[4] = {};
    EXPECT_CP_CODE(kSDBErrReadOnly, s.AddData(&info, CPHostEncoding, data, 4, &r));
    EXPECT_CP_CODE(opWrErr, Open());
    f->Close();
  }
  EXPECT_EQ(before, VYXReadFile(fileRef_.Path()));

  CPSimpleDBDataInfo added;
  {
    auto f = Make(fileRef_);
    f->OpenWritingLater(10);
    ASSERT_TRUE(f->StartWriting());
    EXPECT_FALSE(f->IsReadOnly());
    EXPECT_TRUE(f->EventLogRunning());
    Add(*f, 20, 3, 'TEST', &added);
    CheckCopy(*f);
  }
  EXPECT_EQ(SDBBytes(20, 3), ReadID(*Open(true), added.dataID));

  const std::string killedBefore = VYXReadFile(killed.Path());
  {
    auto f = Make(killed);
    f->OpenWritingLater(10);
    EXPECT_TRUE(f->GetRecovery().unclean);
    EXPECT_EQ(SDBBytes(300, 2), ReadID(*f, 2));
    EXPECT_FALSE(f->StartWriting());
    EXPECT_TRUE(f->IsReadOnly());
  }
  EXPECT_EQ(killedBefore, VYXReadFile(killed.Path()));
}

// The ordered walk hands over each record once with its stored bytes, in the
// order of the lookups even where the blocks hold the records in another;
// a damaged record stops it only when it checks.
TEST_P(SDBFileTest, OrderedWalkFollowsTheLookupsAndChecksWhenAsked) {
  CPSimpleDBRefnum damaged = 0;
  {
    auto f = Create();
    std::vector<CPSimpleDBRefnum> refnums;
    for (uint32_t i = 0; i < 12; ++i) {
      refnums.push_back(Add(*f, 50 + i * 40, i, i % 3 ? 'TEST' : 'OTHR'));
    }
    CPSimpleDBSession(f.get()).DeleteData(refnums[2], CPSimpleDBDataInfo());
    damaged = Add(*f, 30, 99);  // in the freed room, before records of lower IDs
    ASSERT_EQ(refnums[2], damaged);
  }
  using Seen = std::vector<std::pair<CPSimpleDBDataID, std::vector<unsigned char>>>;
  auto walk = [](CPSimpleDBFile& f, CPSimpleDBDataType type, bool check) {
    CPSimpleDBSession s(&f);
    Seen seen;
    f.ForEachDataInOrder(
        &s, type,
        [&](const CPSimpleDBDataInfo& info, CPSimpleDBRefnum, const unsigned char* data,
            CPDataSize size) {
          seen.emplace_back(info.dataID, std::vector<unsigned char>(data, data + size));
          return true;
        },
        check);
    return seen;
  };
  auto lookups = [](CPSimpleDBFile& f, CPSimpleDBDataType type) {
    CPSimpleDBSession s(&f);
    Seen seen;
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0;
    for (bool more = s.GetFirstData(type, &info, &r); more; more = s.GetNextData(type, &info, &r)) {
      std::vector<unsigned char> data(s.GetDataSize(r));
      s.GetData(r, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
      seen.emplace_back(info.dataID, data);
    }
    return seen;
  };
  {
    auto f = Open(true);
    for (CPSimpleDBDataType type : {CPSimpleDBDataType(0), CPSimpleDBDataType('TEST')}) {
      EXPECT_EQ(lookups(*f, type), walk(*f, type, true));
    }
  }
  unsigned char byte = 0x5A;
  WriteAt(fileRef_.Path(), 5120 + uint64_t(damaged - 1) * 128 + 44, &byte, 1);
  auto f = Open(true);
  EXPECT_CP_CODE(kSDBErrChecksum, walk(*f, 'TEST', true));
  EXPECT_EQ(8u, walk(*f, 'TEST', false).size());
}

// A session kept past its file is closed by it, not left pointing at it.
TEST_P(SDBFileTest, ASessionMayOutliveItsFile) {
  auto f = Create();
  auto session = std::make_unique<CPSimpleDBSession>(f.get());
  f.reset();
  EXPECT_FALSE(session->IsOpen());
  session.reset();
}

INSTANTIATE_TEST_SUITE_P(FileAndMemoryCopy, SDBFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "File"; });

}  // namespace
