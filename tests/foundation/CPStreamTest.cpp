#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "foundation/CPFileStream.h"
#include "foundation/CPStream.h"
#include "platform/CPOSErr.h"
#include "support/VYXTestSupport.h"

namespace {

std::string Bytes(const CPHandleStream& s) {
  return std::string(reinterpret_cast<const char*>(s.Data()), s.GetLength());
}

std::string HandleBytes(Handle h) {
  return std::string(reinterpret_cast<const char*>(HandlePtr(h)), GetHandleSize(h));
}

TEST(CPPtrStream, ReadsAndWritesStopAtTheBlocksEnd) {
  char block[6] = {'a', 'b', 'c', 'd', 'e', 'f'};
  CPPtrStream s(block, sizeof block);
  s.SetMarker(2, kCPFromStart);
  char out[10] = {};
  long count = 10;
  s.ReadData(out, &count);
  EXPECT_EQ(4, count);
  EXPECT_EQ("cdef", std::string(out, 4));
  EXPECT_TRUE(s.AtEnd());

  s.SetMarker(2, kCPFromEnd);
  count = 5;
  s.WriteData("XYZ12", &count);
  EXPECT_EQ(2, count);
  EXPECT_EQ("abcdXY", std::string(block, 6));

  s.SetLength(100);
  EXPECT_EQ(6u, s.GetLength());
  s.SetMarker(50, kCPFromStart);
  EXPECT_EQ(6u, s.GetMarker());
  s.SetMarker(-3, kCPFromMarker);
  EXPECT_EQ(3u, s.GetMarker());
}

TEST(CPFileStream, ShortReadRaisesEndOfFile) {
  VYXTempDir dir;
  CPFileStream s(dir.Ref("short"));
  s.Create('VYX ', 'DATA', false);
  s.Open(kCPFileReadWrite);
  s.WriteData("0123456789", 10L);
  s.SetMarker(4, kCPFromEnd);
  char out[10];
  long count = 10;
  EXPECT_CP_CODE(eofErr, s.ReadData(out, &count));
  EXPECT_EQ(4, count);
  EXPECT_EQ("6789", std::string(out, 4));
}

TEST(CPHandleStream, MarkerBeyondTheEndGrowsFromTheStartOnly) {
  CPHandleStream s;
  s.WriteData("abcd", 4L);

  s.SetMarker(10, kCPFromEnd);  // before the start: back to 0
  EXPECT_EQ(0u, s.GetMarker());
  EXPECT_EQ(4u, s.GetLength());

  s.SetMarker(1, kCPFromEnd);
  EXPECT_EQ(3u, s.GetMarker());

  s.SetMarker(8, kCPFromStart);  // grows, with zeros
  EXPECT_EQ(8u, s.GetMarker());
  EXPECT_EQ(std::string("abcd\0\0\0\0", 8), Bytes(s));

  s.WriteData("!", 1L);
  EXPECT_EQ(9u, s.GetLength());

  s.SetLength(2);
  EXPECT_EQ(2u, s.GetMarker());
  EXPECT_EQ("ab", Bytes(s));
}

TEST(CPHandleStream, OwnsOnlyWhatItIsGiven) {
  Handle mine = NewHandleFrom("xyz", 3);
  {
    CPHandleStream s(mine, false);
    s.SetMarker(3, kCPFromStart);
    s.WriteData("w", 1L);
    // Replacing its own handle frees it; a borrowed one stays with its owner.
    s.SetHandle(NewHandle(0), true);
    EXPECT_EQ(0u, s.GetMarker());
    s.SetHandle(mine, false);
    EXPECT_EQ(0u, s.GetMarker());
  }
  EXPECT_EQ("xyzw", HandleBytes(mine));

  // A stream given no handle makes one when written and frees it.
  CPHandleStream empty(false, false);
  EXPECT_EQ(0u, empty.GetLength());
  empty.WriteData("a", 1L);
  EXPECT_EQ("a", Bytes(empty));

  // A handle shrunk behind the stream's back reads as exhausted.
  CPHandleStream shared(NewHandleFrom("abcdef", 6), true);
  shared.SetMarker(5, kCPFromStart);
  SetHandleSize(shared.GetHandle(), 2);
  char c;
  long count = 1;
  shared.ReadData(&c, &count);
  EXPECT_EQ(0, count);
  DisposeHandle(mine);
}

TEST(CPStream, TypedValuesAreHostOrderAndRoundTrip) {
  CPHandleStream s;
  s.WriteChar(0xE9);
  s.WriteBool(true);
  s.WriteShort(-2);
  s.WriteLong(0x01020304);
  s.WriteDouble(-12.5);
  s.WriteString(
      reinterpret_cast<ConstStringPtr>("\x03"
                                       "abc"));
  s.WriteString(CPString("de"));

  int32_t hostLong = 0x01020304;
  EXPECT_EQ(0, std::memcmp(s.Data() + 4, &hostLong, 4));
  EXPECT_EQ(1u + 1 + 2 + 4 + 8 + 4 + 3, s.GetLength());

  s.SetMarker(0, kCPFromStart);
  EXPECT_EQ(0xE9, s.ReadChar());
  unsigned char flag = 0;
  s.ReadBool(flag);
  EXPECT_EQ(1, flag);
  EXPECT_EQ(-2, s.ReadShort());
  EXPECT_EQ(0x01020304, s.ReadLong());
  EXPECT_EQ(-12.5, s.ReadDouble());
  Str255 p;
  s.ReadPString(p);
  EXPECT_EQ("abc", PToStd(p));
  CPString str;
  s.ReadString(str);
  EXPECT_EQ("de", str.Std());
  EXPECT_TRUE(s.AtEnd());
}

TEST(CPStream, HandlesRoundTripInBothByteOrders) {
  for (const CPDataEncoding& e : {CPMacPowerPCEncoding, CPMacIntelEncoding}) {
    Handle h = NewHandleFrom("payload", 7);
    CPHandleStream s;
    s.WriteHandle(h, e);
    s.WriteHandle(nullptr, e);
    const unsigned char* b = s.Data();
    if (e.integerEncoding == kCPBigEndian) {
      EXPECT_EQ(std::string("\0\0\0\7", 4), std::string(reinterpret_cast<const char*>(b), 4));
    } else {
      EXPECT_EQ(std::string("\7\0\0\0", 4), std::string(reinterpret_cast<const char*>(b), 4));
    }
    EXPECT_EQ(4u + 7 + 4, s.GetLength());

    s.SetMarker(0, kCPFromStart);
    Handle back = NewHandleFrom("longer than the payload", 23);  // resized
    s.ReadHandle(&back, e);
    EXPECT_EQ("payload", HandleBytes(back));
    Handle none = nullptr;  // created
    s.ReadHandle(&none, e);
    ASSERT_NE(nullptr, none);
    EXPECT_EQ(0u, GetHandleSize(none));
    DisposeHandle(h);
    DisposeHandle(back);
    DisposeHandle(none);
  }
}

TEST(CPStream, DamagedHandleLengthIsRefused) {
  CPHandleStream s;
  s.WriteVersion(1000000, CPHostEncoding);
  s.WriteData("abc", 3L);
  s.SetMarker(0, kCPFromStart);
  Handle h = nullptr;
  EXPECT_CP_CODE(eofErr, s.ReadHandle(&h, CPHostEncoding));
  EXPECT_EQ(nullptr, h);
}

TEST(CPStream, VersionIsSwappedWhenTheEncodingNeedsIt) {
  CPHandleStream s;
  s.WriteVersion(0x0A0B0C0D, CPMacPowerPCEncoding);
  EXPECT_EQ(std::string("\x0A\x0B\x0C\x0D"), Bytes(s));
  s.SetMarker(0, kCPFromStart);
  uint32_t v = 0;
  s.ReadVersion(&v, CPMacPowerPCEncoding);
  EXPECT_EQ(0x0A0B0C0Du, v);
}

TEST(CPStream, RestAndPeek) {
  CPHandleStream s;
  s.WriteData("header:rest", 11L);
  s.SetMarker(7, kCPFromStart);
  char peek[2];
  long count = 2;
  s.PeekData(peek, &count);
  EXPECT_EQ(7u, s.GetMarker());
  Handle rest = s.ReadData();
  EXPECT_EQ("rest", HandleBytes(rest));
  DisposeHandle(rest);

  CPHandleStream other;
  other.WriteHandleStream(s);
  EXPECT_EQ("header:rest", Bytes(other));

  // A file stream that fails a peek is still where it was.
  VYXTempDir dir;
  CPFileStream f(dir.Ref("peek"));
  f.Create('VYX ', 'DATA', false);
  f.Open(kCPFileReadWrite);
  f.WriteData("abc", 3L);
  f.SetMarker(1, kCPFromStart);
  char buf[8];
  count = 8;
  EXPECT_CP_CODE(eofErr, f.PeekData(buf, &count));
  EXPECT_EQ(1u, f.GetMarker());
}

}  // namespace
