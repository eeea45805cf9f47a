#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "platform/CPFileRef.h"
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

OSErr OpenAndClose(const CPFileRef& fileRef, CPFilePermission permission) {
  CPFile f;
  return f.Open(fileRef, permission);
}

class CPFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(noErr, CPFileSystem::Create(fileRef_, 'VYX ', 'DATA', false)); }
  VYXTempDir dir_;
  CPFileRef fileRef_ = dir_.Ref("shared.db");
};

TEST_F(CPFileSystemTest, LoneWriterKeepsOtherProcessesFromWriting) {
  CPFile writer;
  ASSERT_EQ(noErr, writer.Open(fileRef_, kCPFileReadWrite));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(fileRef_, kCPFileReadWrite); }));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(fileRef_, kCPFileReadWriteShared); }));
  EXPECT_EQ(noErr, InChild([&] { return OpenAndClose(fileRef_, kCPFileRead); }));
  ASSERT_EQ(noErr, writer.Close());
  EXPECT_EQ(noErr, InChild([&] { return OpenAndClose(fileRef_, kCPFileReadWrite); }));
}

TEST_F(CPFileSystemTest, SharersAdmitEachOtherButNoLoneWriter) {
  CPFile sharer;
  ASSERT_EQ(noErr, sharer.Open(fileRef_, kCPFileReadWriteShared));
  EXPECT_EQ(noErr, InChild([&] {
              CPFile other;
              OSErr err = other.Open(fileRef_, kCPFileReadWriteShared);
              if (err) return err;
              return other.Write(0, "x", 1);
            }));
  EXPECT_EQ(opWrErr, InChild([&] { return OpenAndClose(fileRef_, kCPFileReadWrite); }));
  CPFile second;
  EXPECT_EQ(noErr, second.Open(fileRef_, kCPFileReadWriteShared));
  EXPECT_EQ(opWrErr, OpenAndClose(fileRef_, kCPFileReadWrite));
}

TEST_F(CPFileSystemTest, FileWithoutWriteBitsIsLockedEvenForRoot) {
  EXPECT_FALSE(CPFileSystem::IsLocked(fileRef_));
  ASSERT_EQ(0, ::chmod(fileRef_.Path().c_str(), 0444));
  EXPECT_TRUE(CPFileSystem::IsLocked(fileRef_));
  ASSERT_EQ(0, ::chmod(fileRef_.Path().c_str(), 0644));
  EXPECT_FALSE(CPFileSystem::IsLocked(fileRef_));
  EXPECT_FALSE(CPFileSystem::IsLocked(dir_.Ref("missing")));
  EXPECT_FALSE(CPFileSystem::VolumeIsLocked(fileRef_));
}

TEST_F(CPFileSystemTest, CreateRenameMoveCopyKeepCodesAndRefuseClashes) {
  EXPECT_EQ(dupFNErr, CPFileSystem::Create(fileRef_, 'VYX ', 'DATA', false));
  CPFile f;
  ASSERT_EQ(noErr, f.Open(fileRef_, kCPFileReadWrite));
  ASSERT_EQ(noErr, f.Write(0, "abc", 3));
  ASSERT_EQ(noErr, f.Close());
  ASSERT_EQ(noErr, CPFileSystem::Create(fileRef_, 'VYX ', 'USER', true));  // replaced: empty
  EXPECT_EQ("", VYXReadFile(fileRef_.Path()));
  EXPECT_EQ(OSType('USER'), CPFileSystem::GetFileType(fileRef_));

  CPFileRef copy = dir_.Ref("copy.db");
  ASSERT_EQ(noErr, CPFileSystem::Copy(fileRef_, copy));
  EXPECT_EQ(OSType('USER'), CPFileSystem::GetFileType(copy));
  EXPECT_EQ(OSType('VYX '), CPFileSystem::GetFileCreator(copy));
  EXPECT_EQ(dupFNErr, CPFileSystem::Rename(copy, "shared.db"));
  EXPECT_EQ(noErr, CPFileSystem::Rename(copy, "renamed.db"));

  std::filesystem::create_directory(dir_.Path() / "sub");
  CPFileRef sub(dir_.Path() / "sub");
  ASSERT_EQ(noErr, CPFileSystem::Move(dir_.Ref("renamed.db"), sub));
  EXPECT_TRUE(CPFileRef(sub.Path() / "renamed.db").Exists());
  ASSERT_EQ(noErr, CPFileSystem::Copy(fileRef_, CPFileRef(dir_.Path() / "renamed.db")));
  EXPECT_EQ(dupFNErr, CPFileSystem::Move(dir_.Ref("renamed.db"), sub));
  EXPECT_EQ(fnfErr, CPFileSystem::Delete(dir_.Ref("missing")));

  EXPECT_TRUE(dir_.Ref("x/../shared.db").SameFile(fileRef_));
}

TEST_F(CPFileSystemTest, ReadsPastTheEndAnswerEndOfFile) {
  CPFile f;
  ASSERT_EQ(noErr, f.Open(fileRef_, kCPFileReadWrite));
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
