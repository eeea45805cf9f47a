// Record tables: a fixed layout stored as itself in any encoding ("bina") or
// in a stream form of its own ("stre"), read back in the layout, and the
// typed hooks that follow every change.
#include <gtest/gtest.h>

#include <cstring>

#include "SDBFileFixture.h"
#include "simpledb/CPSimpleDBDataHandler_T.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

// A record with its own conversion, as the application's records have.
struct Rate {
  int32_t id = 0;
  double value = 0;
  unsigned char name[16] = {};  // length-prefixed MacRoman

  void Encode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) CPSwapField(id), CPSwapField(value);
    CPEncodeString(name, 15, kCPMacRoman, e.stringEncoding);
  }
  void Decode(const CPDataEncoding& e) {
    if (CPNeedByteSwapping(e)) CPSwapField(id), CPSwapField(value);
    CPDecodeString(name, 15, e);
  }
};

Rate MakeRate(int32_t id, double value, const char* macRomanName) {
  Rate r;
  r.id = id;
  r.value = value;
  r.name[0] = static_cast<unsigned char>(std::strlen(macRomanName));
  std::memcpy(r.name + 1, macRomanName, r.name[0]);
  return r;
}

bool Same(const Rate& a, const Rate& b) {
  return a.id == b.id && std::memcmp(&a.value, &b.value, 8) == 0 &&
         std::memcmp(a.name, b.name, a.name[0] + 1u) == 0;
}

class Rates : public CPSimpleDBDataHandler_T<Rate> {
 public:
  using CPSimpleDBDataHandler_T<Rate>::CPSimpleDBDataHandler_T;
  using CPSimpleDBDataHandler_T<Rate>::DataAdded;
  using CPSimpleDBDataHandler_T<Rate>::DataModified;
  using CPSimpleDBDataHandler_T<Rate>::DataDeleted;
  void DataAdded(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, Rate& r, bool own) override {
    heard.push_back("add " + std::to_string(r.id) + (own ? "" : "?"));
  }
  void DataModified(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, Rate& before, CPSimpleDBRefnum,
                    Rate& after, bool) override {
    heard.push_back("modify " + std::to_string(before.id) + ">" + std::to_string(after.id));
  }
  void DataDeleted(const CPSimpleDBDataInfo&, CPSimpleDBRefnum, Rate& r, bool) override {
    heard.push_back("delete " + std::to_string(r.id));
  }
  std::vector<std::string> heard;
};

// The stream form: a version, the ID, the value as text, the name.
class StreamedRates : public Rates {
 public:
  StreamedRates(CPSimpleDBDataProvider* p) : Rates(p, 'RATE', kSDBStreamFormat, 2) {}
  using Rates::DataToStream;
  using Rates::StreamToData;
  void DataToStream(const CPSimpleDBDataInfo&, const Rate& r, const CPDataEncoding& e,
                    CPStream& s) override {
    s.WriteVersion(2, e);
    s.WriteVersion(static_cast<uint32_t>(r.id), e);
    std::string text = std::to_string(r.value);
    s.WriteChar(static_cast<unsigned char>(text.size()));
    s.WriteData(text.data(), static_cast<long>(text.size()));
    s.WriteString(r.name);
  }
  void StreamToData(const CPSimpleDBDataInfo&, CPStream& s, const CPDataEncoding& e,
                    Rate* r) override {
    uint32_t version = 0, id = 0;
    s.ReadVersion(&version, e);
    s.ReadVersion(&id, e);
    r->id = static_cast<int32_t>(id);
    std::string text(s.ReadChar(), '\0');
    s.ReadData(text.data(), static_cast<long>(text.size()));
    r->value = std::stod(text);
    s.ReadPString(r->name);
  }
};

using SDBHandlerTest = SDBFileTest;

TEST_P(SDBHandlerTest, BinaryRecordsAreStoredInTheEncodingAskedAndReadInTheLayout) {
  auto f = Create();
  Rates rates(f.get(), 'RATE');
  const Rate tva = MakeRate(7, 19.6, "T\x8Eva");  // "Téva" in MacRoman
  struct Case {
    CPDataEncoding encoding;
    uint32_t flagBits;
  } cases[] = {{CPHostEncoding, 0},
               {CPMacPowerPCEncoding, kSDBBigEndianFlags},
               {CPWindowsEncoding, kSDBWindowsFlag}};
  for (const Case& c : cases) {
    CPSimpleDBDataInfo info = rates.NewInfo();
    CPSimpleDBRefnum r = 0;
    rates.AddData(&info, c.encoding, tva, &r);
    // The stored bytes are in that encoding, and the record says which.
    Rate stored;
    CPDataEncoding said;
    CPSimpleDBSession raw(f.get());
    raw.GetData(r, nullptr, &said, &stored, sizeof stored);
    EXPECT_EQ(c.encoding, said);
    Rate expected = tva;
    expected.Encode(c.encoding);
    EXPECT_TRUE(Same(expected, stored));
    std::string file = VYXReadFile(fileRef_.Path());
    uint32_t flags;
    std::memcpy(&flags, file.data() + 5120 + (r - 1) * 128 + 24, 4);
    EXPECT_EQ(c.flagBits, flags & kSDBEncodingBits);
    Rate back;
    rates.GetData(r, nullptr, &back);
    EXPECT_TRUE(Same(tva, back));
  }
  EXPECT_EQ((std::vector<std::string>{"add 7", "add 7", "add 7"}), rates.heard);
  CheckCopy(*f);
}

TEST_P(SDBHandlerTest, StreamedRecordsKeepTheirOwnFormAndComeBackInTheLayout) {
  auto f = Create();
  StreamedRates rates(f.get());
  const Rate euro = MakeRate(-3, 0.5, "euro");
  CPSimpleDBDataInfo info = rates.NewInfo();
  CPSimpleDBRefnum r = 0;
  rates.AddData(&info, CPMacPowerPCEncoding, euro, &r);
  EXPECT_EQ(kSDBStreamFormat, info.format);
  EXPECT_EQ(2, info.GetVersion());
  CPSimpleDBSession raw(f.get());
  std::vector<unsigned char> stored(raw.GetDataSize(r));
  raw.GetData(r, nullptr, nullptr, stored.data(), static_cast<CPDataSize>(stored.size()));
  EXPECT_EQ((std::vector<unsigned char>{0, 0, 0, 2, 0xFF, 0xFF, 0xFF, 0xFD}),
            std::vector<unsigned char>(stored.begin(), stored.begin() + 8));
  EXPECT_EQ(sizeof(Rate), rates.GetDataSize(r));
  Rate back;
  rates.GetData(r, nullptr, &back);
  EXPECT_TRUE(Same(euro, back));
  CPSimpleDBRefnum placed = 0;
  Rate changed = MakeRate(-3, 1.25, "euro fort");
  rates.ModifyData(r, &info, CPHostEncoding, changed, &placed);
  rates.GetData(placed, nullptr, &back);
  EXPECT_TRUE(Same(changed, back));
  rates.DeleteData(placed, info);
  EXPECT_EQ((std::vector<std::string>{"add -3", "modify -3>-3", "delete -3"}), rates.heard);
  CheckCopy(*f);
}

TEST_P(SDBHandlerTest, RecordsOfAnotherSizeAreRefused) {
  auto f = Create();
  Rates rates(f.get(), 'RATE');
  CPSimpleDBDataInfo info = rates.NewInfo();
  CPSimpleDBRefnum r = 0;
  unsigned char small[8] = {};
  EXPECT_CP_CODE(kSDBErrBadSize, rates.AddData(&info, CPHostEncoding, small, 8, &r));
  EXPECT_EQ(0u, f->GetNbOfData(nullptr));
  // One written by another table under the same type cannot be read as a Rate.
  CPSimpleDBSession raw(f.get());
  std::vector<unsigned char> odd = SDBBytes(10, 1);
  CPSimpleDBDataInfo other('RATE', kSDBBinaryFormat, 0);
  EXPECT_CP_CODE(kSDBErrBadSize, raw.AddData(&other, CPHostEncoding, odd.data(), 10, &r));
  Rate back;
  EXPECT_CP_CODE(kSDBErrReadTooMuch, rates.GetData(r, nullptr, &back));
  // Only records of the table's type reach its hooks.
  CPSimpleDBDataInfo elsewhere('ELSE', kSDBBinaryFormat, 0);
  raw.AddData(&elsewhere, CPHostEncoding, odd.data(), 10, &r);
  EXPECT_TRUE(rates.heard.empty());
}

INSTANTIATE_TEST_SUITE_P(Files, SDBHandlerTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Memory" : "Plain"; });

}  // namespace
