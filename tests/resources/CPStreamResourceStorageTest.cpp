#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "foundation/CPErrors.h"
#include "foundation/CPFileStream.h"
#include "foundation/CPFormattedStream.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "resources/CPResourceErrors.h"
#include "resources/CPStreamResourceStorage.h"
#include "support/VYXTestSupport.h"

namespace {

using Entry = CPStreamResourceStorage::Entry;
constexpr ResType kType = 'TEST';

CPString Name(const std::string& s) { return CPString::FromStd(s); }

std::string Body(char fill, size_t size) { return std::string(size, fill); }

std::string Read(CPStreamResourceStorage& s, CPResID id, ResType type = kType) {
  std::string body(s.GetResourceSize(type, id), '\0');
  body.resize(s.GetResource(type, id, nullptr, body.data(), uint32_t(body.size())));
  return body;
}

void Add(CPStreamResourceStorage& s, CPResID id, const std::string& body, const std::string& name = "r",
         ResType type = kType) {
  s.AddResource(type, id, CPHostEncoding, Name(name), body.data(), uint32_t(body.size()), nullptr);
}

const Entry* EntryOf(const CPStreamResourceStorage& s, ResType type, CPResID id) {
  for (const Entry& e : s.Entries()) {
    if (e.type == type && e.id == id) return &e;
  }
  return nullptr;
}

std::vector<Entry> FreeEntries(const CPStreamResourceStorage& s) {
  std::vector<Entry> out;
  for (const Entry& e : s.Entries()) {
    if (e.type == 0) out.push_back(e);
  }
  return out;
}

// No two areas overlap, none overlaps the index, every body lies in the stream.
void ExpectSoundLayout(const CPStreamResourceStorage& s, const CPStream& stream) {
  uint32_t indexEnd = 16 + uint32_t(s.Entries().size()) * 132;
  std::vector<std::pair<uint32_t, uint32_t>> areas;
  for (const Entry& e : s.Entries()) {
    EXPECT_GE(e.offset, indexEnd);
    EXPECT_LE(e.size, e.allocated);
    if (e.type) {
      EXPECT_LE(e.offset + e.size, stream.GetLength());
    }
    if (e.allocated) areas.emplace_back(e.offset, e.offset + e.allocated);
  }
  std::sort(areas.begin(), areas.end());
  for (size_t i = 1; i < areas.size(); ++i) EXPECT_LE(areas[i - 1].second, areas[i].first);
}

// A free area right after the index is given up when the index grows over it;
// these resources push the areas under test beyond the next few entries.
void Fill(CPStreamResourceStorage& s, int count) {
  for (int i = 0; i < count; ++i) Add(s, CPResID(1000 + i), Body('f', 150), "filler");
}

// The area of `id` lies beyond what `more` new entries would cover.
::testing::AssertionResult ClearOfTheIndex(const CPStreamResourceStorage& s, CPResID id, int more) {
  uint32_t reach = 16 + uint32_t(s.Entries().size() + more) * 132;
  const Entry* e = EntryOf(s, kType, id);
  if (e && e->offset >= reach) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "area of " << id << " within " << reach;
}

class StreamStorage : public ::testing::Test {
 protected:
  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
};

TEST_F(StreamStorage, AnEmptyStreamGetsAHeaderAndAnEmptyIndex) {
  CPStreamResourceStorage s(stream_);
  ASSERT_EQ(16u, stream_.GetLength());
  const uint32_t* header = reinterpret_cast<const uint32_t*>(stream_.Data());
  EXPECT_EQ(1u, header[0]);    // version
  EXPECT_EQ(16u, header[1]);   // first data offset: the end of the index
  EXPECT_EQ(0u, header[2]);    // entries
  EXPECT_EQ(132u, header[3]);  // entry size
  EXPECT_EQ(0, s.GetResourcesCount(kType));
}

TEST_F(StreamStorage, AnEntryIsWrittenAsItsHundredAndThirtyTwoBytes) {
  {
    CPStreamResourceStorage s(stream_);
    Add(s, -5, "abc", "Loyer");
  }
  const unsigned char* p = stream_.Data();
  uint32_t u;
  std::memcpy(&u, p + 8, 4);
  ASSERT_EQ(1u, u);
  const unsigned char* e = p + 16;
  std::memcpy(&u, e, 4);
  EXPECT_EQ(0xFDB97531u, u);
  std::memcpy(&u, e + 4, 4);
  EXPECT_EQ(CPClock::Now(), u);  // creation
  EXPECT_EQ(0, std::memcmp(e + 12, "TEST", 4));
  int16_t id;
  std::memcpy(&id, e + 16, 2);
  EXPECT_EQ(-5, id);
  EXPECT_EQ("Loyer", PToStd(e + 18));
  uint32_t offset, size, allocated;
  std::memcpy(&offset, e + 118, 4);
  std::memcpy(&size, e + 122, 4);
  std::memcpy(&allocated, e + 126, 4);
  EXPECT_EQ(3u, size);
  EXPECT_EQ(3u, allocated);
  EXPECT_EQ(1, e[130]);  // written
  EXPECT_EQ(0, std::memcmp(p + offset, "abc", 3));
  std::memcpy(&u, p + 4, 4);
  EXPECT_EQ(offset, u);  // first data offset
  EXPECT_GE(offset, 16u + 132u);
}

TEST_F(StreamStorage, ASixtyByteBodyReusesAFreedHundredByteArea) {
  CPStreamResourceStorage s(stream_);
  Add(s, 1, Body('a', 100));
  Add(s, 2, Body('b', 30));
  uint32_t freedOffset = EntryOf(s, kType, 1)->offset;
  s.RemoveResource(kType, 1);
  ASSERT_EQ(1u, FreeEntries(s).size());
  EXPECT_EQ(0u, FreeEntries(s)[0].size);
  EXPECT_EQ(100u, FreeEntries(s)[0].allocated);

  uint32_t length = stream_.GetLength();
  Add(s, 3, Body('c', 60));
  const Entry* e = EntryOf(s, kType, 3);
  EXPECT_EQ(freedOffset, e->offset);
  EXPECT_EQ(60u, e->size);
  EXPECT_EQ(100u, e->allocated);
  EXPECT_TRUE(FreeEntries(s).empty());
  EXPECT_EQ(Body('c', 60), Read(s, 3));
  EXPECT_EQ(Body('b', 30), Read(s, 2));
  EXPECT_LE(stream_.GetLength(), length + 132);  // only the index grew
  ExpectSoundLayout(s, stream_);
}

TEST_F(StreamStorage, ABodyLargerThanEveryFreeAreaIsAppended) {
  CPStreamResourceStorage s(stream_);
  Fill(s, 6);
  Add(s, 2, Body('b', 30));
  Add(s, 1, Body('a', 100));
  ASSERT_TRUE(ClearOfTheIndex(s, 1, 1));
  s.RemoveResource(kType, 1);
  Add(s, 3, Body('c', 200));
  EXPECT_EQ(1u, FreeEntries(s).size());  // the 100-byte area is still free
  const Entry* e = EntryOf(s, kType, 3);
  EXPECT_EQ(200u, e->allocated);
  EXPECT_EQ(stream_.GetLength(), e->offset + 200);
  EXPECT_EQ(Body('c', 200), Read(s, 3));
  ExpectSoundLayout(s, stream_);
}

TEST_F(StreamStorage, GrowingABodyMovesItAndFreesItsOldArea) {
  CPStreamResourceStorage s(stream_);
  Fill(s, 6);
  Add(s, 2, Body('b', 10));
  Add(s, 1, Body('a', 40));
  ASSERT_TRUE(ClearOfTheIndex(s, 1, 1));
  const Entry before = *EntryOf(s, kType, 1);

  std::string shorter = Body('x', 25);
  s.SetResource(kType, 1, CPHostEncoding, shorter.data(), 25);
  EXPECT_EQ(before.offset, EntryOf(s, kType, 1)->offset);  // fits: rewritten in place
  EXPECT_EQ(40u, EntryOf(s, kType, 1)->allocated);
  EXPECT_EQ(shorter, Read(s, 1));

  std::string longer = Body('y', 90);
  s.SetResource(kType, 1, CPHostEncoding, longer.data(), 90);
  const Entry* moved = EntryOf(s, kType, 1);
  EXPECT_NE(before.offset, moved->offset);
  EXPECT_EQ(90u, moved->allocated);
  std::vector<Entry> freed = FreeEntries(s);
  ASSERT_EQ(1u, freed.size());
  EXPECT_EQ(before.offset, freed[0].offset);
  EXPECT_EQ(40u, freed[0].allocated);
  EXPECT_EQ(25u, freed[0].size);
  EXPECT_EQ(longer, Read(s, 1));
  EXPECT_EQ(Body('b', 10), Read(s, 2));
  ExpectSoundLayout(s, stream_);
}

TEST_F(StreamStorage, TheGrowingIndexMovesTheBodiesItWouldCover) {
  CPStreamResourceStorage s(stream_);
  // Small bodies right after the index: each new entry covers some of them.
  for (int i = 1; i <= 40; ++i) Add(s, CPResID(i), Body(char('A' + i % 26), size_t(i)), "n" + std::to_string(i));
  for (int i = 1; i <= 40; ++i) EXPECT_EQ(Body(char('A' + i % 26), size_t(i)), Read(s, CPResID(i))) << i;
  ExpectSoundLayout(s, stream_);
  const uint32_t* header = reinterpret_cast<const uint32_t*>(stream_.Data());
  uint32_t lowest = UINT32_MAX;
  for (const Entry& e : s.Entries()) lowest = std::min(lowest, e.offset);
  EXPECT_EQ(lowest, header[1]);
}

TEST_F(StreamStorage, AFreeAreaInTheWayOfTheIndexIsGivenUp) {
  CPStreamResourceStorage s(stream_);
  Add(s, 1, Body('a', 10));
  Add(s, 2, Body('b', 300));
  s.RemoveResource(kType, 1);  // a free area just after the index
  for (int i = 3; i < 8; ++i) Add(s, CPResID(i), Body('c', 500));
  ExpectSoundLayout(s, stream_);
  EXPECT_EQ(Body('b', 300), Read(s, 2));
  // Reusing what is left of any free area must not damage a neighbour.
  Add(s, 9, Body('d', 1));
  EXPECT_EQ(Body('b', 300), Read(s, 2));
  ExpectSoundLayout(s, stream_);
}

TEST_F(StreamStorage, NamesAreKeptToNinetyNineCharactersAndFoundByThem) {
  CPStreamResourceStorage s(stream_);
  std::string longName(120, 'n');
  Add(s, 1, "x", longName);
  Str255 name;
  s.GetResourceName(kType, 1, name);
  EXPECT_EQ(std::string(99, 'n'), PToStd(name));
  EXPECT_TRUE(s.ResourceExists(kType, Name(longName)));
  EXPECT_EQ(1, s.GetResourceID(kType, Name(longName)));
}

TEST_F(StreamStorage, NamesAreFoundWithoutRegardToCaseOrAccents) {
  CPStreamResourceStorage s(stream_);
  Add(s, 7, "x", Utf8ToMacRoman("Électricité"));
  EXPECT_EQ(7, s.GetResourceID(kType, Name("electricite")));
  EXPECT_TRUE(s.ResourceExists(kType, Name("ELECTRICITE")));
  EXPECT_FALSE(s.ResourceExists(kType, Name("electricites")));
  EXPECT_CP_CODE(kCPErrNotFound, s.GetResourceID(kType, Name("gaz")));
}

TEST_F(StreamStorage, MissingAndDuplicateIDsRaiseTheirBareCodes) {
  CPStreamResourceStorage s(stream_);
  Add(s, 1, "x");
  char buffer[4];
  EXPECT_CP_CODE(kCPErrAlreadyExists, Add(s, 1, "y"));
  EXPECT_CP_CODE(kCPErrNotFound, s.GetResource(kType, 2, nullptr, buffer, 4));
  EXPECT_CP_CODE(kCPErrNotFound, s.GetResourceSize(kType, 2));
  EXPECT_CP_CODE(kCPErrNotFound, s.SetResource(kType, 2, CPHostEncoding, buffer, 4));
  EXPECT_CP_CODE(kCPErrNotFound, s.SetResourceName(kType, 2, Name("z")));
  EXPECT_CP_CODE(kCPErrNotFound, s.RemoveResource(kType, 2));
  EXPECT_CP_CODE(kCPErrNotFound, s.GetNthResource(kType, 2));
  EXPECT_CP_CODE(kCPErrNotFound, s.GetNthResource(kType, 0));
  EXPECT_EQ("x", Read(s, 1));  // a failed add leaves the first alone
}

TEST_F(StreamStorage, TypesShareTheStreamWithoutMeeting) {
  CPStreamResourceStorage s(stream_);
  Add(s, 1, "cat", "Loyer", 'CATE');
  Add(s, 1, "mode", "Loyer", 'MODE');
  Add(s, 2, "cat2", "Gaz", 'CATE');
  EXPECT_EQ(2, s.GetResourcesCount('CATE'));
  EXPECT_EQ(1, s.GetResourcesCount('MODE'));
  EXPECT_EQ("mode", Read(s, 1, 'MODE'));
  EXPECT_FALSE(s.ResourceExists('MODE', Name("Gaz")));
  s.RemoveResource('CATE', 1);
  EXPECT_EQ("mode", Read(s, 1, 'MODE'));
  EXPECT_EQ(2, s.GetNthResource('CATE', 1));
}

TEST_F(StreamStorage, TheStorageOrderIsByID) {
  CPStreamResourceStorage s(stream_);
  for (CPResID id : {CPResID(30), CPResID(-4), CPResID(7)}) Add(s, id, "x");
  EXPECT_EQ(-4, s.GetNthResource(kType, 1));
  EXPECT_EQ(7, s.GetNthResource(kType, 2));
  EXPECT_EQ(30, s.GetNthResource(kType, 3));
}

TEST_F(StreamStorage, UniqueIDsAreNeverZeroNorTaken) {
  CPStreamResourceStorage s(stream_);
  struct Case {
    uint32_t ticks;
    std::vector<CPResID> taken;
    CPResID expected;
  };
  const Case cases[] = {
      {0, {}, 1},                        // 0 is never an ID
      {65535, {}, 1},                    // 65535 + 1 wraps to 0, then steps to 1
      {1000, {1000, 1001}, 1002},        // taken IDs are stepped over
      {32767, {32767}, -32768},          // the walk wraps into the negative IDs
      {65534, {-2, -1}, 1},              // ... and over 0
  };
  for (const Case& c : cases) {
    CPHandleStream stream;
    CPStreamResourceStorage fresh(stream);
    for (CPResID id : c.taken) Add(fresh, id, "x");
    CPClock::PinTicks(c.ticks, 0);
    EXPECT_EQ(c.expected, fresh.GetUniqueID(kType)) << "ticks " << c.ticks;
  }
}

TEST_F(StreamStorage, AFullTypeRaisesInsteadOfLoopingForever) {
  // Fill all 65,535 IDs of one type without rewriting the index each time: a
  // stream that already holds them, made by hand.
  CPHandleStream stream;
  uint32_t count = 65535;
  std::vector<unsigned char> bytes(16 + size_t(count) * 132);
  uint32_t header[4] = {1, uint32_t(bytes.size()), count, 132};
  std::memcpy(bytes.data(), header, 16);
  int16_t id = -32768;
  for (uint32_t i = 0; i < count; ++i, ++id) {
    if (id == 0) ++id;
    unsigned char* e = bytes.data() + 16 + size_t(i) * 132;
    uint32_t marker = 0xFDB97531, offset = uint32_t(bytes.size());
    std::memcpy(e, &marker, 4);
    std::memcpy(e + 12, "TEST", 4);
    std::memcpy(e + 16, &id, 2);
    std::memcpy(e + 118, &offset, 4);
  }
  stream.WriteData(bytes.data(), long(bytes.size()));
  CPStreamResourceStorage s(stream);
  ASSERT_EQ(65535, s.GetResourcesCount(kType));
  EXPECT_CP_CODE(kCPErrResourceTypeFull, s.GetUniqueID(kType));
}

TEST(StreamStorageFile, ResourcesSurviveClosingAndReopening) {
  VYXPinnedClock clock(14, 7, 2024);
  VYXTempDir dir;
  CPFileRef fileRef = dir.Ref("lists.rsrc");
  {
    CPFileStream file(fileRef);
    file.Create('VyxP', 'RSRC', false);
    file.Open(kCPFileReadWrite);
    CPStreamResourceStorage s(file);
    for (int i = 1; i <= 12; ++i) Add(s, CPResID(i * 100), Body(char('a' + i), size_t(i * 7)), "r" + std::to_string(i));
    s.RemoveResource(kType, 300);
    std::string grown = Body('z', 500);
    s.SetResource(kType, 500, CPHostEncoding, grown.data(), 500);
    s.SetResourceName(kType, 600, Name("six cents"));
  }
  CPFileStream file(fileRef);
  file.Open(kCPFileReadWrite);
  CPStreamResourceStorage s(file);
  EXPECT_EQ(11, s.GetResourcesCount(kType));
  EXPECT_FALSE(s.ResourceExists(kType, CPResID(300)));
  EXPECT_EQ(Body('z', 500), Read(s, 500));
  EXPECT_EQ(Body('a' + 12, 84), Read(s, 1200));
  Str255 name;
  s.GetResourceName(kType, 600, name);
  EXPECT_EQ("six cents", PToStd(name));
  ExpectSoundLayout(s, file);
  // A reopened storage still reuses what the first one freed.
  size_t freeBefore = FreeEntries(s).size();
  Add(s, 1, Body('q', 5));
  EXPECT_EQ(freeBefore - 1, FreeEntries(s).size());
}

TEST(StreamStorageDamage, AStreamThatIsNotAStorageIsRefused) {
  auto image = [] {
    CPHandleStream stream;
    CPStreamResourceStorage s(stream);
    Add(s, 1, "body");
    return std::string(reinterpret_cast<const char*>(stream.Data()), stream.GetLength());
  }();
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    int16_t code;
  };
  const Case cases[] = {
      {"newer version", 0, 2, kCPErrNewerVersion},
      {"more entries than the stream holds", 8, 1000, kCPErrResourceStorageDamaged},
      {"entry size", 12, 128, kCPErrResourceStorageDamaged},
      {"entry marker", 16, 0x12345678, kCPErrResourceStorageDamaged},
      {"body past the end", 16 + 118, 100000, kCPErrResourceStorageDamaged},
      {"body inside the index", 16 + 118, 20, kCPErrResourceStorageDamaged},
      {"size above allocated", 16 + 122, 50, kCPErrResourceStorageDamaged},
  };
  for (const Case& c : cases) {
    std::string bytes = image;
    std::memcpy(bytes.data() + c.at, &c.value, 4);
    CPHandleStream stream;
    stream.WriteData(bytes.data(), long(bytes.size()));
    EXPECT_CP_CODE(c.code, CPStreamResourceStorage s(stream)) << c.what;
  }
  CPHandleStream shortStream;
  shortStream.WriteData("0123456789", 10L);
  EXPECT_CP_CODE(kCPErrResourceStorageDamaged, CPStreamResourceStorage s(shortStream));
}

TEST_F(StreamStorage, TheDumpListsEveryEntry) {
  CPStreamResourceStorage s(stream_);
  Fill(s, 6);
  Add(s, 4, "abcd", "Loyer");
  ASSERT_TRUE(ClearOfTheIndex(s, 4, 1));
  s.RemoveResource(kType, 4);
  Add(s, 5, "efghij", "Gaz");  // too big for the freed area
  CPHandleStream out;
  CPTabCrStream text(&out, false);
  s.PutTo(text);
  std::string dump(reinterpret_cast<const char*>(out.Data()), out.GetLength());
  EXPECT_NE(std::string::npos, dump.find("free\t0\t"));
  EXPECT_NE(std::string::npos, dump.find("TEST\t5\tGaz\t"));
  EXPECT_NE(std::string::npos, dump.find("entries 8"));
}

}  // namespace
