#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "simpledb/CPCRC16.h"
#include "simpledb/CPSimpleDBTypes.h"

namespace {

uint32_t BE32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
uint32_t LE32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

TEST(CPCRC16, KnownValuesAreSignExtended) {
  struct Case {
    std::string text;
    uint32_t expected;
  } cases[] = {
      {"", 0},
      {"abc", 0xFFFF9738},        // bit 15 set: the upper half copies it
      {"123456789", 0xFFFFBB3D},  // the catalogue check value of CRC-16/ARC is 0xBB3D
      {"a", 0xFFFFE8C1},          // bit 15 set too
      {"A", 0x000030C0},          // bit 15 clear: upper half stays 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, CPCRC16(c.text.data(), c.text.size())) << c.text;
  }
  unsigned char zeros[300] = {};
  EXPECT_EQ(0u, CPCRC16(zeros, sizeof zeros));  // why free records carry checksum 0
}

// The table-driven CRC (eight bytes at a time) and the carry-less folding of
// longer runs (64 bytes a step, then 16, then the tail), against the
// bit-by-bit definition, from a zero CRC and carried on from another.
TEST(CPCRC16, MatchesTheBitwiseDefinitionAtEveryLengthAndAlignment) {
  auto bitwise = [](const unsigned char* p, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
      crc ^= p[i];
      for (int k = 0; k < 8; ++k)
        crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
  };
  unsigned char data[400];
  for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<unsigned char>(i * 97 + 13);
  for (size_t start = 0; start < 8; ++start) {
    for (size_t n = 0; start + n <= sizeof data; ++n) {
      ASSERT_EQ(bitwise(data + start, n), CPCRC16Raw(data + start, n)) << start << " " << n;
    }
  }
  for (size_t split = 1; split <= 340; ++split) {
    uint16_t first = CPCRC16Raw(data, split);
    ASSERT_EQ(bitwise(data, sizeof data), CPCRC16Update(first, data + split, sizeof data - split))
        << split;
  }
}

CPSimpleDBDataHeader SampleHeader() {
  CPSimpleDBDataHeader h;
  h.size = 300;
  h.checksum = 0xFFFF9738;
  h.info = CPSimpleDBDataInfo('OPER', 'stre', 5);
  h.info.dataID = 0x01000007;
  h.info.flags |= 0x400;
  h.info.creation = 3'000'000'000u;
  h.info.modification = 3'100'000'000u;
  h.info.access = 3;
  h.info.belongsTo = 42;
  return h;
}

TEST(CPSimpleDBCodec, RecordHeaderInEachEncoding) {
  struct Case {
    CPDataEncoding encoding;
    bool bigEndian;
    bool windows;
  } cases[] = {
      {CPMacIntelEncoding, false, false},
      {CPMacPowerPCEncoding, true, false},
      {CPWindowsEncoding, false, true},
  };
  for (const auto& c : cases) {
    CPSimpleDBDataHeader h = SampleHeader();
    h.info.SetEncoding(c.encoding);
    unsigned char stored[44];
    CPEncodeDataHeader(h, stored);
    auto get = [&](int offset) {
      return c.bigEndian ? BE32(stored + offset) : LE32(stored + offset);
    };
    EXPECT_EQ(0xA91B2CF1u, get(0));
    EXPECT_EQ(300u, get(4));
    EXPECT_EQ(0x01000007u, get(12));
    // Codes keep their text order in every byte order.
    EXPECT_EQ(0, std::memcmp(stored + 16, "OPERstre", 8));
    EXPECT_EQ(c.windows ? 3'000'000'000u - 2'082'844'800u : 3'000'000'000u, get(28));
    EXPECT_EQ(5u, get(24) >> 25);

    CPSimpleDBDataHeader back;
    CPDataEncoding encoding;
    CPDecodeDataHeader(stored, &back, &encoding);
    EXPECT_EQ(c.encoding, encoding);
    CPSimpleDBDataHeader expected = SampleHeader();
    EXPECT_EQ(expected.info, back.info);  // dates back in 1904, no encoding bits left
    EXPECT_EQ(expected.size, back.size);
    EXPECT_EQ(expected.checksum, back.checksum);
  }
}

TEST(CPSimpleDBCodec, BlankInfoAndFreeHeader) {
  CPSimpleDBDataInfo blank(CPFourCC("????"), CPFourCC("bina"), 3);
  EXPECT_EQ(0u, blank.dataID);
  EXPECT_EQ(3u << 25, blank.flags);
  EXPECT_EQ(3, blank.GetVersion());
  CPSimpleDBDataHeader free = CPSimpleDBDataHeader::Free(3);
  EXPECT_EQ(3u * 128 - 44, free.size);
  EXPECT_TRUE(free.info.IsFree());
  EXPECT_EQ(0u, free.info.dataID);
}

TEST(CPSimpleDBCodec, FileHeaderBigEndianIsSwappedExceptCodesAndCrypt) {
  unsigned char s[120] = {};
  s[0] = 3;
  std::memcpy(s + 1, "abc", 3);
  std::memcpy(s + 12, "CPTE", 4);
  auto put = [&](int offset, uint32_t v) {
    s[offset] = uint8_t(v >> 24), s[offset + 1] = uint8_t(v >> 16), s[offset + 2] = uint8_t(v >> 8),
    s[offset + 3] = uint8_t(v);
  };
  put(16, 0x5F2A6B51);
  put(20, 0x01000001 | 0x8);
  put(24, 1);
  put(28, 7);
  put(32, 3'000'000'000u);
  put(44, 2);
  put(52, 99);
  std::memcpy(s + 56, "\x01\x02\x03\x04", 4);  // cryptMethod stays as stored
  put(60, 12);
  CPSimpleDBHeader h;
  CPDataEncoding encoding;
  CPDecodeHeader(s, &h, &encoding);
  EXPECT_EQ(kCPBigEndian, encoding.integerEncoding);
  EXPECT_EQ("abc", h.Signature());
  EXPECT_EQ(CPFourCC("CPTE"), h.type);
  EXPECT_EQ(0x5F2A6B51u, h.marker);
  EXPECT_EQ(0x8u, h.flags);  // the encoding bits are gone
  EXPECT_EQ(7u, h.contentVersion);
  EXPECT_EQ(3'000'000'000u, h.creation);
  EXPECT_EQ(2u, h.noBase);
  EXPECT_EQ(99u, h.autoID);
  EXPECT_EQ(12u, h.indexRefnum);
  EXPECT_EQ(0, std::memcmp(&h.cryptMethod, "\x01\x02\x03\x04", 4));

  // Written back here: host order, no encoding bits, the codes and crypt bytes unchanged.
  unsigned char out[120];
  CPEncodeHeader(h, out);
  EXPECT_EQ(0x8u, LE32(out + 20));
  EXPECT_EQ(0x5F2A6B51u, LE32(out + 16));
  EXPECT_EQ(0, std::memcmp(out, s, 12));
  EXPECT_EQ(0, std::memcmp(out + 12, "CPTE", 4));
  EXPECT_EQ(0, std::memcmp(out + 56, "\x01\x02\x03\x04", 4));
}

}  // namespace
