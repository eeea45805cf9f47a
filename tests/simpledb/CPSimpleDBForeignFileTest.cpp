// Files written on other machines, built here byte by byte (not by the engine's
// own encoder): a big-endian file from a PowerPC writer and a Windows-encoded
// one, whose dates count from 1970.
#include <gtest/gtest.h>

#include <fstream>

#include "SDBFileFixture.h"
#include "simpledb/CPCRC16.h"

namespace {

constexpr CPDate kCreated = 3'600'000'000u;  // a 1904-based date

class Bytes {
 public:
  explicit Bytes(bool bigEndian) : be_(bigEndian) {}
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out_.push_back(char(be_ ? v >> (24 - 8 * i) : v >> (8 * i)));
  }
  void Raw(const std::string& s) { out_ += s; }
  void PadTo(size_t n) { out_.resize(n, '\0'); }
  size_t Size() const { return out_.size(); }
  const std::string& Str() const { return out_; }

  // A record with its header, data and zero fill up to its last block.
  void Record(uint32_t dataID, const char* type, const char* format, uint32_t flags, CPDate date,
              const std::string& data) {
    size_t start = out_.size();
    U32(0xA91B2CF1);
    U32(static_cast<uint32_t>(data.size()));
    U32(CPCRC16(data.data(), data.size()));
    U32(dataID);
    Raw(type);
    Raw(format);
    U32(flags);
    U32(date);
    U32(date);
    U32(0);
    U32(0);
    Raw(data);
    PadTo(start + CPSimpleDBBlocsFor(static_cast<uint32_t>(data.size())) * 128);
  }

 private:
  bool be_;
  std::string out_;
};

// Header, a record, a free record, a two-block record and the saved index.
std::string BuildFile(bool bigEndian, uint32_t encodingFlags, uint32_t headerFlags, CPDate date) {
  Bytes b(bigEndian);
  b.Raw(std::string("\x08vyx_cpt1\0\0\0", 12));
  b.Raw("CPT5");
  b.U32(0x5F2A6B51);
  b.U32(encodingFlags | headerFlags);
  b.U32(1);
  b.U32(2);
  b.U32(date);
  b.U32(date);
  b.U32(0x12345678);                    // baseID
  b.U32(1);                             // noBase
  b.U32(5);                             // eventID
  b.U32(3);                             // autoID
  b.Raw(std::string("\0\0\0\x07", 4));  // cryptMethod, kept as stored
  b.U32(6);                             // indexRefnum
  b.U32(5);                             // indexEventID
  b.PadTo(5120);
  b.Record(1, "CPTE", "bina", encodingFlags | (2u << 25), date, "bonjour");
  b.Record(0, "????", "bina", encodingFlags | 0x8, 0, std::string(2 * 128 - 44, '\0'));
  std::string big(200, 'x');
  for (size_t i = 0; i < big.size(); ++i) big[i] = char('a' + i % 26);
  b.Record(3, "CPTE", "bina", encodingFlags, date, big);
  Bytes items(bigEndian);
  items.U32(1);
  items.Raw("CPTE");
  items.U32(1);
  items.U32(3);
  items.Raw("CPTE");
  items.U32(4);
  b.Record(2, "midx", "ind1", encodingFlags, date, items.Str());
  return b.Str();
}

class ForeignFileTest : public SDBFileTest {
 protected:
  void Write(const std::string& bytes) { std::ofstream(fileRef_.Path(), std::ios::binary) << bytes; }
  void ExpectContent(CPSimpleDBFile& f, const CPDataEncoding& encoding, uint32_t count = 2) {
    EXPECT_EQ(count, f.GetNbOfData(nullptr));
    CPSimpleDBSession s(&f);
    CPSimpleDBRefnum r;
    ASSERT_TRUE(s.GetDataRefnum(1, &r));
    EXPECT_EQ(1u, r);
    char text[7];
    CPSimpleDBDataInfo info;
    CPDataEncoding found;
    s.GetData(r, &info, &found, text, 7);
    EXPECT_EQ("bonjour", std::string(text, 7));
    EXPECT_EQ(encoding, found);
    EXPECT_EQ(CPFourCC("CPTE"), info.type);
    EXPECT_EQ(CPFourCC("bina"), info.format);
    EXPECT_EQ(2, info.GetVersion());
    EXPECT_EQ(kCreated, info.creation);
    EXPECT_EQ(0u, info.flags & kSDBEncodingBits);
    ASSERT_TRUE(s.GetDataRefnum(3, &r));
    EXPECT_EQ(4u, r);
    EXPECT_EQ(200u, s.GetDataSize(r));
  }
};

TEST_P(ForeignFileTest, BigEndianFileOpensHereWithOrWithoutItsSavedIndex) {
  for (bool unclean : {false, true}) {
    Write(BuildFile(true, 0x01000001, unclean ? 0x8 : 0, kCreated));
    {
      auto f = Open(true);
      EXPECT_EQ(!unclean, f->GetRecovery().savedIndexUsed);
      const CPSimpleDBHeader& h = f->GetHeader();
      EXPECT_EQ("vyx_cpt1", h.Signature());
      EXPECT_EQ(CPFourCC("CPT5"), h.type);
      EXPECT_EQ(2u, h.contentVersion);
      EXPECT_EQ(0x12345678u, h.baseID);
      EXPECT_EQ(5u, h.eventID);
      EXPECT_EQ(kCreated, h.creation);
      EXPECT_EQ(0, std::memcmp(&h.cryptMethod, "\0\0\0\x07", 4));
      ExpectContent(*f, CPMacPowerPCEncoding);
    }
    // Written here, the file mixes both orders: each record says its own.
    {
      auto f = Open();
      Add(*f, 10, 1);
    }
    auto f = Open(true);
    EXPECT_TRUE(f->GetRecovery().savedIndexUsed);
    ExpectContent(*f, CPMacPowerPCEncoding, 3);
    EXPECT_EQ(SDBBytes(10, 1), ReadID(*f, 4));
  }
}

TEST_P(ForeignFileTest, WindowsFileHasItsDatesFrom1970) {
  Write(BuildFile(false, 0x2, 0, kCreated - 2'082'844'800u));
  auto f = Open(true);
  EXPECT_EQ(kCreated, f->GetHeader().creation);
  ExpectContent(*f, CPWindowsEncoding);
}

INSTANTIATE_TEST_SUITE_P(FileAndMemoryCopy, ForeignFileTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "File"; });

}  // namespace
