#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/CPFileSpec.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

// Runs `body` in a child process and returns the code it answered. Locks held by
// this process are seen by the child as another process's locks.
OSErr InChild(const std::function<OSErr()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    OSErr err = body();
    ::_exit(static_cast<unsigned char>(-err));  // codes here are small negatives
  }
  int status = 0;
  EXPECT_EQ(pid, ::waitpid(pid, &status, 0));
  EXPECT_TRUE(WIFEXITED(status));
  return static_cast<OSErr>(-WEXITSTATUS(status));
}

OSErr OpenAndClose(const CPFileSpec& spec, CPFilePermission permission) {
  CPFile f;
  return f.Open(spec, permission);
}

class CPFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(noErr, CPFileSystem::Create(spec_, 'VYX ', 'DATA', false)); }
  VYXTempDir dir_;
  CPFileSpec spec_ = dir_.Spec("shared.db");
};

TEST_F(CPFileSystemTest, LoneWriterKeepsOtherProcessesFromWriting) {
  CPFile writer;
  ASSERT_EQ(noErr, writer.Open(spec_, kCPFileReadWrite));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(spec_, kCPFileReadWrite); }));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(spec_, kCPFileReadWriteShared); }));
  EXPECT_EQ(noErr, InChild([&] { return OpenAndClose(spec_, kCPFileRead); }));
  ASSERT_EQ(noErr, writer.Close());
  EXPECT_EQ(noErr, InChild([&] { return OpenAndClose(spec_, kCPFileReadWrite); }));
}

TEST_F(CPFileSystemTest, SharersAdmitEachOtherButNoLoneWriter) {
  CPFile sharer;
  ASSERT_EQ(noErr, sharer.Open(spec_, kCPFileReadWriteShared));
  EXPECT_EQ(noErr, InChild([&] {
              CPFile other;
              OSErr err = other.Open(spec_, kCPFileReadWriteShared);
              if (err) return err;
              return other.Write(0, "x", 1);
            }));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(spec_, kCPFileReadWrite); }));
  CPFile second;
  EXPECT_EQ(noErr, second.Open(spec_, kCPFileReadWriteShared));
  EXPECT_EQ(opWrErr, OpenAndClose(spec_, kCPFileReadWrite));
}

TEST_F(CPFileSystemTest, FileWithoutWriteBitsIsLockedEvenForRoot) {
  EXPECT_FALSE(CPFileSystem::IsLocked(spec_));
  ASSERT_EQ(0, ::chmod(spec_.Path().c_str(), 0444));
  EXPECT_TRUE(CPFileSystem::IsLocked(spec_));
  ASSERT_EQ(0, ::chmod(spec_.Path().c_str(), 0644));
  EXPECT_FALSE(CPFileSystem::IsLocked(spec_));
  EXPECT_FALSE(CPFileSystem::IsLocked(dir_.Spec("missing")));
  EXPECT_FALSE(CPFileSystem::VolumeIsLocked(spec_));
}

TEST_F(CPFileSystemTest, CreateRenameMoveCopyKeepCodesAndRefuseClashes) {
  EXPECT_EQ(dupFNErr, CPFileSystem::Create(spec_, 'VYX ', 'DATA', false));
  CPFile f;
  ASSERT_EQ(noErr, f.Open(spec_, kCPFileReadWrite));
  ASSERT_EQ(noErr, f.Write(0, "abc", 3));
  ASSERT_EQ(noErr, f.Close());
  ASSERT_EQ(noErr, CPFileSystem::Create(spec_, 'VYX ', 'USER', true));  // replaced: empty
  EXPECT_EQ("", VYXReadFile(spec_.Path()));
  EXPECT_EQ(OSType('USER'), CPFileSystem::GetFileType(spec_));

  CPFileSpec copy = dir_.Spec("copy.db");
  ASSERT_EQ(noErr, CPFileSystem::Copy(spec_, copy));
  EXPECT_EQ(OSType('USER'), CPFileSystem::GetFileType(copy));
  EXPECT_EQ(OSType('VYX '), CPFileSystem::GetFileCreator(copy));
  EXPECT_EQ(dupFNErr, CPFileSystem::Rename(copy, "shared.db"));
  EXPECT_EQ(noErr, CPFileSystem::Rename(copy, "renamed.db"));

  std::filesystem::create_directory(dir_.Path() / "sub");
  CPFileSpec sub(dir_.Path() / "sub");
  ASSERT_EQ(noErr, CPFileSystem::Move(dir_.Spec("renamed.db"), sub));
  EXPECT_TRUE(CPFileSpec(sub.Path() / "renamed.db").Exists());
  ASSERT_EQ(noErr, CPFileSystem::Copy(spec_, CPFileSpec(dir_.Path() / "renamed.db")));
  EXPECT_EQ(dupFNErr, CPFileSystem::Move(dir_.Spec("renamed.db"), sub));
  EXPECT_EQ(fnfErr, CPFileSystem::Delete(dir_.Spec("missing")));

  EXPECT_TRUE(dir_.Spec("x/../shared.db").SameFile(spec_));
}

TEST_F(CPFileSystemTest, ReadsPastTheEndAnswerEndOfFile) {
  CPFile f;
  ASSERT_EQ(noErr, f.Open(spec_, kCPFileReadWrite));
  ASSERT_EQ(noErr, f.Write(0, "abcd", 4));
  char buf[10];
  size_t done = 0;
  EXPECT_EQ(eofErr, f.Read(2, buf, 10, &done));
  EXPECT_EQ(2u, done);
  uint64_t length = 0;
  ASSERT_EQ(noErr, f.SetLength(1));
  ASSERT_EQ(noErr, f.GetLength(&length));
  EXPECT_EQ(1u, length);
}

}  // namespace
