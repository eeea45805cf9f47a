// A command's writes undone as a whole: every file written back to its bytes,
// its length and its date, the files made removed; kept when committed.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

#include "foundation/CPFileRollback.h"
#include "foundation/CPFileStream.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

class CPFileRollbackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CPFileStream s(file_);
    s.Create('VYX ', 'DATA', false);
    s.Open(kCPFileReadWrite);
    const std::string text = "0123456789abcdefghij";
    s.WriteData(text.data(), long(text.size()));
  }
  std::string State(const CPFileRef& file) const {
    struct stat st;
    if (::stat(file.Path().c_str(), &st) != 0) return "absent";
    return VYXReadFile(file.Path()) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
  }
  // Overwrites, grows, cuts and grows the file again, and makes another.
  void Change(CPFileStream& s, CPFileStream& made) {
    s.Open(kCPFileReadWrite);
    s.SetMarker(2, kCPFromStart);
    s.WriteData("XY", 2L);
    s.SetMarker(18, kCPFromStart);
    s.WriteData("tail+", 5L);
    s.SetLength(6);
    s.SetMarker(10, kCPFromStart);
    s.WriteData("again", 5L);
    made.Create('VYX ', 'DATA', false);
    made.Open(kCPFileReadWrite);
    made.WriteData("new", 3L);
  }

  VYXTempDir dir_;
  CPFileRef file_ = dir_.Ref("f");
  CPFileRef made_ = dir_.Ref("g");
};

TEST_F(CPFileRollbackTest, RollingBackPutsEveryFileBackAsItWas) {
  const std::string before = State(file_);
  // The date would show a rewrite of the same bytes.
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  CPFileStream s(file_), made(made_);
  {
    CPFileRollback rollback;
    Change(s, made);
    EXPECT_TRUE(rollback.Wrote());
    EXPECT_TRUE(rollback.Rollback());
    EXPECT_CP_CODE(wrPermErr, s.WriteData("z", 1L));  // the stream may write no more
  }
  EXPECT_EQ(before, State(file_));
  EXPECT_EQ("absent", State(made_));
}

TEST_F(CPFileRollbackTest, AFailedCommandIsUndoneAndADoneOneKept) {
  const std::string before = State(file_);
  {
    CPFileStream s(file_), made(made_);
    CPFileRollback rollback;  // let go without a word: undone
    Change(s, made);
  }
  EXPECT_EQ(before, State(file_));
  {
    CPFileStream s(file_), made(made_);
    CPFileRollback rollback;
    Change(s, made);
    rollback.Commit();
    EXPECT_EQ(nullptr, CPFileRollback::Current());
    s.WriteData("!", 1L);  // after the command: written, not recorded
  }
  EXPECT_EQ(std::string("01XY45\0\0\0\0again!", 16), VYXReadFile(file_.Path()));
  EXPECT_EQ("new", VYXReadFile(made_.Path()));
}

}  // namespace
