#include <gtest/gtest.h>

#include "foundation/CPFileStream.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

class CPFileStreamTest : public ::testing::Test {
 protected:
  VYXTempDir dir_;
};

TEST_F(CPFileStreamTest, CreateWriteReopenRead) {
  CPFileStream s(dir_.Ref("data"));
  EXPECT_FALSE(s.Exists());
  s.Create('VYX ', 'CPTE', false);
  EXPECT_TRUE(s.Exists());
  EXPECT_EQ(OSType('CPTE'), s.GetFileType());
  EXPECT_EQ(OSType('VYX '), s.GetFileCreator());
  EXPECT_CP_CODE(dupFNErr, s.Create('VYX ', 'CPTE', false));

  s.Open(kCPFileReadWrite);
  EXPECT_TRUE(s.IsOpen());
  EXPECT_GE(s.GetFileRef(), 0);
  s.WriteLong(42);
  s.SetMarker(10, kCPFromStart);  // writing past the end leaves a hole of zeros
  s.WriteChar('z');
  EXPECT_EQ(11u, s.GetLength());
  s.SetLength(12);
  EXPECT_EQ(12u, s.GetLength());
  s.Close();
  EXPECT_FALSE(s.IsOpen());
  EXPECT_EQ(std::string("\x2a\0\0\0\0\0\0\0\0\0z\0", 12), VYXReadFile(dir_.Path() / "data"));

  s.Open(kCPFileRead);
  EXPECT_EQ(42, s.ReadLong());
  EXPECT_CP_CODE(wrPermErr, s.WriteChar(1));
  EXPECT_CP_CODE(wrPermErr, s.SetLength(0));
  EXPECT_CP_CODE(posErr, s.SetMarker(20, kCPFromEnd));

  // Replacing starts again from an empty file.
  s.Close();
  s.Create('VYX ', 'CPTE', true);
  s.Open(kCPFileRead);
  EXPECT_EQ(0u, s.GetLength());
}

TEST_F(CPFileStreamTest, FailuresCarryTheSystemsCode) {
  CPFileStream missing(dir_.Ref("none"));
  EXPECT_CP_CODE(fnfErr, missing.Open(kCPFileRead));
  EXPECT_CP_CODE(fnfErr, missing.Delete());
  char c;
  long count = 1;
  EXPECT_CP_CODE(rfNumErr, missing.ReadData(&c, &count));

  CPFileStream inMissingFolder(CPFileRef(dir_.Path() / "no-folder" / "f"));
  EXPECT_CP_CODE(fnfErr, inMissingFolder.Create('VYX ', 'DATA', false));
}

TEST_F(CPFileStreamTest, RenameMoveAndDeleteFollowTheFile) {
  CPFileStream s(dir_.Ref("a"));
  s.Create('VYX ', 'DATA', false);
  CPFileStream other(dir_.Ref("b"));
  other.Create('VYX ', 'DATA', false);

  EXPECT_CP_CODE(dupFNErr, s.Rename("b"));
  s.Open(kCPFileReadWrite);
  s.Rename("c");  // an open file can be renamed, and the stream follows it
  EXPECT_EQ("c", s.GetFileSpec().Name());
  s.WriteChar('x');
  s.Close();
  EXPECT_EQ("x", VYXReadFile(dir_.Path() / "c"));

  std::filesystem::create_directory(dir_.Path() / "sub");
  s.Move(CPFileRef(dir_.Path() / "sub"));
  EXPECT_TRUE(std::filesystem::exists(dir_.Path() / "sub" / "c"));
  EXPECT_TRUE(s.Exists());
  s.Open(kCPFileRead);
  s.Delete();  // closes first
  EXPECT_FALSE(s.IsOpen());
  EXPECT_FALSE(s.Exists());
}

TEST_F(CPFileStreamTest, SecondWriterInTheSameProcessIsRefused) {
  VYXScopedEnv noWait("VYX_ATTENTE", "0");
  CPFileStream first(dir_.Ref("f"));
  first.Create('VYX ', 'DATA', false);
  first.Open(kCPFileReadWrite);
  CPFileStream second(dir_.Ref("f"));
  EXPECT_CP_CODE(opWrErr, second.Open(kCPFileReadWrite));
  EXPECT_CP_CODE(opWrErr, second.Open(kCPFileReadWriteShared));
  // A plain reader is never refused; a locked one waits out the writer.
  second.Open(kCPFileRead);
  second.Close();
  EXPECT_CP_CODE(opWrErr, second.Open(kCPFileReadLocked));
  first.Close();
  second.Open(kCPFileReadLocked);
  EXPECT_CP_CODE(opWrErr, first.Open(kCPFileReadWrite));  // and keeps a writer out
  CPFileStream third(dir_.Ref("f"));
  third.Open(kCPFileReadLocked);  // beside another reader
  second.Close();
  third.Close();
  second.Open(kCPFileReadWrite);
}

}  // namespace
