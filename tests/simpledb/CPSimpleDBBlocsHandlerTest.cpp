#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "SDBTestSupport.h"
#include "simpledb/CPSimpleDBBlocsHandler.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "support/VYXTestSupport.h"

namespace {

// Sizes that give 1, 2, 3 ... blocks.
uint32_t SizeFor(uint32_t blocs) { return blocs * 128 - 44; }

class BlocsTest : public ::testing::Test {
 protected:
  CPSimpleDBRefnum Add(CPSimpleDBDataID id, uint32_t size, bool fastAdd = false) {
    CPSimpleDBDataHeader h;
    h.info = CPSimpleDBDataInfo('TEST', 'bina', 0);
    h.info.dataID = id;
    std::vector<unsigned char> data = SDBBytes(size, id);
    CPSimpleDBRefnum r = 0;
    blocs_.AddData(h, data.data(), size, &r, fastAdd);
    return r;
  }
  CPSimpleDBRefnum Modify(CPSimpleDBRefnum refnum, CPSimpleDBDataID id, uint32_t size,
                          uint32_t seed) {
    CPSimpleDBDataHeader h;
    h.info = CPSimpleDBDataInfo('TEST', 'bina', 0);
    h.info.dataID = id;
    std::vector<unsigned char> data = SDBBytes(size, seed);
    CPSimpleDBRefnum r = 0;
    blocs_.ModifyData(refnum, h, data.data(), size, &r);
    return r;
  }
  std::vector<unsigned char> Read(CPSimpleDBRefnum refnum) {
    std::vector<unsigned char> data(blocs_.GetDataSize(refnum));
    blocs_.GetData(refnum, nullptr, nullptr, data.data(), static_cast<uint32_t>(data.size()));
    return data;
  }
  std::string Layout() { return SDBLayout(blocs_); }

  CPHandleStream stream_;
  CPSimpleDBBlocsHandler blocs_{&stream_};
};

TEST_F(BlocsTest, EightyFourBytesTakeOneBlockEightyFiveTwo) {
  uint32_t spare = 99;
  EXPECT_EQ(1u, CPSimpleDBBlocsHandler::GetDataBlocsNbr(0, &spare));
  EXPECT_EQ(84u, spare);
  EXPECT_EQ(1u, CPSimpleDBBlocsHandler::GetDataBlocsNbr(84, &spare));
  EXPECT_EQ(0u, spare);
  EXPECT_EQ(2u, CPSimpleDBBlocsHandler::GetDataBlocsNbr(85, &spare));
  EXPECT_EQ(127u, spare);

  EXPECT_EQ(1u, Add(1, 84));
  EXPECT_EQ(2u, Add(2, 85));
  EXPECT_EQ(4u, Add(3, 0));
  EXPECT_EQ("1:1 2:2 3:1", Layout());
  EXPECT_EQ(4u * 128, stream_.GetLength());
  EXPECT_EQ(SDBBytes(85, 2), Read(2));
  // The unused end of the last block is zero.
  EXPECT_EQ(0, stream_.Data()[128 + 44 + 85]);
}

TEST_F(BlocsTest, AChecksumWithBit15SetIsStoredSignExtendedAndMatches) {
  CPSimpleDBDataHeader h;
  h.info = CPSimpleDBDataInfo('TEST', 'bina', 0);
  h.info.dataID = 1;
  CPSimpleDBRefnum r;
  blocs_.AddData(h, "abc", 3, &r, false);
  EXPECT_EQ(0, std::memcmp(stream_.Data() + 8, "\x38\x97\xFF\xFF", 4));
  char back[3];
  blocs_.GetData(r, nullptr, nullptr, back, 3);
  stream_.Data()[10] = 0;  // the same 16 bits, not sign-extended: no longer the stored form
  stream_.Data()[11] = 0;
  EXPECT_CP_CODE(kSDBErrChecksum, blocs_.GetData(r, nullptr, nullptr, back, 3));
}

TEST_F(BlocsTest, FreeingMergesForwardAndCutsTheEnd) {
  for (CPSimpleDBDataID id = 1; id <= 5; ++id) Add(id, SizeFor(1));
  blocs_.DeleteData(3);
  EXPECT_EQ("1:1 2:1 free:1 4:1 5:1", Layout());
  blocs_.DeleteData(4);  // no merging backwards
  EXPECT_EQ("1:1 2:1 free:1 free:1 5:1", Layout());
  EXPECT_EQ(3u, blocs_.MakeFreeBlocs(2));  // the freed record and the two after it
  EXPECT_EQ("1:1 free:3 5:1", Layout());
  std::vector<unsigned char> zeros(3 * 128 - 44, 0);
  EXPECT_EQ(0, std::memcmp(zeros.data(), stream_.Data() + 128 + 44, zeros.size()));

  // A single block at the end is cut away, and so is a run that then reaches the end.
  EXPECT_EQ(0u, blocs_.MakeFreeBlocs(5));
  EXPECT_EQ("1:1 free:3", Layout());
  EXPECT_EQ(0u, blocs_.MakeFreeBlocs(1));
  EXPECT_EQ(0u, stream_.GetLength());
}

TEST_F(BlocsTest, TwoBlockRecordAtTheEndBecomesAFreeRecord) {
  Add(1, SizeFor(1));
  Add(2, SizeFor(2));
  blocs_.DeleteData(2);
  EXPECT_EQ("1:1 free:2", Layout());
  EXPECT_EQ(3u * 128, stream_.GetLength());
}

TEST_F(BlocsTest, FirstFitReusesARunAndFreesTheRest) {
  Add(1, SizeFor(1));
  Add(2, SizeFor(2));
  Add(3, SizeFor(1));
  Add(4, SizeFor(4));
  Add(5, SizeFor(1));
  blocs_.DeleteData(2);
  blocs_.DeleteData(5);  // 4 blocks free at 5
  EXPECT_EQ("1:1 free:2 3:1 free:4 5:1", Layout());
  EXPECT_EQ(5u, Add(6, SizeFor(3)));  // the first run is too small
  EXPECT_EQ("1:1 free:2 3:1 6:3 free:1 5:1", Layout());
  EXPECT_EQ(2u, Add(7, SizeFor(1)));
  EXPECT_EQ("1:1 7:1 free:1 3:1 6:3 free:1 5:1", Layout());
  EXPECT_EQ(SDBBytes(SizeFor(3), 6), Read(5));
  EXPECT_EQ(10u, Add(8, SizeFor(2)));        // nothing fits: appended
  EXPECT_EQ(12u, Add(9, SizeFor(1), true));  // a fast add appends even when room exists
}

TEST_F(BlocsTest, AdjacentFreeRecordsMakeOneRun) {
  for (CPSimpleDBDataID id = 1; id <= 4; ++id) Add(id, SizeFor(1));
  blocs_.DeleteData(3);
  blocs_.DeleteData(2);  // frees 2 and 3 as one record; make them two instead:
  EXPECT_EQ("1:1 free:2 4:1", Layout());
  blocs_.WriteFreeBlocs(2, 1);
  blocs_.WriteFreeBlocs(3, 1);
  EXPECT_EQ("1:1 free:1 free:1 4:1", Layout());
  CPSimpleDBRefnum r;
  uint32_t available;
  ASSERT_TRUE(blocs_.FindFreeBlocs(2, &r, &available));
  EXPECT_EQ(2u, r);
  EXPECT_EQ(2u, available);
  EXPECT_EQ(2u, Add(5, SizeFor(2)));
  EXPECT_EQ("1:1 5:2 4:1", Layout());
}

TEST_F(BlocsTest, GrowingInPlaceThenMoving) {
  Add(1, SizeFor(1));
  Add(2, SizeFor(2));
  Add(3, SizeFor(1));
  blocs_.DeleteData(2);
  EXPECT_EQ(1u, Modify(1, 1, SizeFor(3), 10));  // grows over the free blocks
  EXPECT_EQ("1:3 3:1", Layout());
  EXPECT_EQ(1u, Modify(1, 1, SizeFor(1), 11));  // shrinks; the rest is freed
  EXPECT_EQ("1:1 free:2 3:1", Layout());
  EXPECT_EQ(5u, Modify(1, 1, SizeFor(4), 12));  // too big for 3 blocks: moved, old run freed
  EXPECT_EQ("free:3 3:1 1:4", Layout());
  EXPECT_EQ(SDBBytes(SizeFor(4), 12), Read(5));
  EXPECT_EQ(5u, Modify(5, 1, SizeFor(2), 13));  // shrinking stays in place
  EXPECT_EQ("free:3 3:1 1:2 free:2", Layout());
  EXPECT_EQ(SDBBytes(SizeFor(2), 13), Read(5));
}

TEST_F(BlocsTest, SameSizeRewriteMergesTheFreeRecordsAfterIt) {
  Add(1, SizeFor(2));
  Add(2, SizeFor(1));
  Add(3, SizeFor(1));
  Add(4, SizeFor(1));
  blocs_.DeleteData(4);
  blocs_.DeleteData(3);
  blocs_.WriteFreeBlocs(3, 1);
  blocs_.WriteFreeBlocs(4, 1);
  EXPECT_EQ("1:2 free:1 free:1 4:1", Layout());
  EXPECT_EQ(1u, Modify(1, 1, SizeFor(2), 20));
  EXPECT_EQ("1:2 free:2 4:1", Layout());
}

TEST_F(BlocsTest, MoveTowardsTheStartOverlapping) {
  Add(1, SizeFor(2));
  Add(2, SizeFor(3));
  blocs_.DeleteData(1);
  EXPECT_EQ("free:2 2:3", Layout());
  blocs_.MoveData(3, 1);  // the copy overlaps the original
  EXPECT_EQ("2:3 free:2", Layout());
  EXPECT_EQ(SDBBytes(SizeFor(3), 2), Read(1));
  EXPECT_CP_CODE(kSDBErrNoFit, blocs_.MoveData(1, 4));  // never forwards
}

TEST_F(BlocsTest, ErrorsOfReadsAndWrites) {
  Add(1, 10);
  Add(2, SizeFor(2));
  std::vector<unsigned char> buf(400);
  CPSimpleDBDataHeader h;
  EXPECT_CP_CODE(kSDBErrBadRefnum, blocs_.ReadBlocs(0, 1, &h, nullptr, nullptr, 0));
  EXPECT_CP_CODE(kSDBErrBadRefnum, blocs_.ReadBlocs(4, 1, &h, nullptr, nullptr, 0));
  EXPECT_CP_CODE(kSDBErrBadRefnum, blocs_.ReadBlocs(2, 3, &h, nullptr, nullptr, 0));
  EXPECT_CP_CODE(kSDBErrTooBig, blocs_.ReadBlocs(2, 1, &h, nullptr, buf.data(), 100));
  EXPECT_CP_CODE(kSDBErrReadTooMuch, blocs_.GetData(1, nullptr, nullptr, buf.data(), 11));
  blocs_.GetData(1, nullptr, nullptr, buf.data(), 5);  // fewer bytes: no checksum, no error

  CPSimpleDBDataHeader noID;
  CPSimpleDBRefnum r;
  h.info.dataID = 9;
  EXPECT_CP_CODE(kSDBErrNoDataID, blocs_.AddData(noID, buf.data(), 5, &r, false));
  EXPECT_CP_CODE(kSDBErrNoFit, blocs_.DataAdded(h, 1, buf.data(), 5));  // a live record is there
  EXPECT_CP_CODE(kSDBErrBadRefnum, blocs_.DataAdded(h, 9, buf.data(), 5));  // not the next block

  stream_.Data()[44 + 3] ^= 0x01;  // one data bit
  EXPECT_CP_CODE(kSDBErrChecksum, blocs_.GetData(1, nullptr, nullptr, buf.data(), 10));
  stream_.Data()[128] ^= 0xFF;  // the magic of record 2
  EXPECT_CP_CODE(kSDBErrBadMagic, blocs_.GetDataInfos(2, nullptr, nullptr));
  EXPECT_CP_CODE(kSDBErrBadMagic, blocs_.GetNbOfData());

  stream_.SetLength(3 * 128 + 100);
  EXPECT_CP_CODE(kSDBErrNotWholeBlocs, blocs_.GetNbOfBlocs());
  EXPECT_CP_CODE(kSDBErrAddNotWholeBlocs, Add(3, 5));
  EXPECT_CP_CODE(kSDBErrNotWholeBlocs, blocs_.SetAllBlocsSize(100));
}

TEST_F(BlocsTest, WalkingInBlockOrder) {
  Add(7, 10);
  Add(3, SizeFor(2));
  Add(5, 10);
  blocs_.DeleteData(2);
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum r;
  ASSERT_TRUE(blocs_.GetFirstData(0, &info, &r));
  EXPECT_EQ(7u, info.dataID);
  ASSERT_TRUE(blocs_.GetNextData(0, &info, &r));
  EXPECT_EQ(5u, info.dataID);
  EXPECT_EQ(4u, r);
  EXPECT_FALSE(blocs_.GetNextData(0, &info, &r));
  EXPECT_EQ(2u, blocs_.GetNbOfData());
  ASSERT_TRUE(blocs_.GetNthData(2, 'TEST', &info, &r));
  EXPECT_EQ(5u, info.dataID);
  EXPECT_FALSE(blocs_.GetFirstData('NONE', &info, &r));
}

// A copy that replays every change at the refnums the original chose stays
// byte-for-byte equal to it, whatever the mix of changes.
TEST_F(BlocsTest, ReplayAtGivenRefnumsKeepsACopyEqual) {
  CPHandleStream copyStream;
  CPSimpleDBBlocsHandler copy(&copyStream);
  std::mt19937 rng(7);
  std::vector<std::pair<CPSimpleDBDataID, CPSimpleDBRefnum>> live;
  CPSimpleDBDataID next = 1;
  for (int step = 0; step < 600; ++step) {
    int what = static_cast<int>(rng() % 10);
    uint32_t size = rng() % 3 == 0 ? rng() % 900 : rng() % 200;
    CPSimpleDBDataHeader h;
    h.info = CPSimpleDBDataInfo('TEST', 'bina', 0);
    std::vector<unsigned char> data = SDBBytes(size, static_cast<uint32_t>(step));
    if (live.empty() || what < 4) {
      h.info.dataID = next++;
      CPSimpleDBRefnum r;
      blocs_.AddData(h, data.data(), size, &r, rng() % 8 == 0);
      copy.DataAdded(h, r, data.data(), size);
      live.push_back({h.info.dataID, r});
    } else if (what < 8) {
      auto& item = live[rng() % live.size()];
      h.info.dataID = item.first;
      CPSimpleDBRefnum r;
      blocs_.ModifyData(item.second, h, data.data(), size, &r);
      copy.DataModified(h, item.second, r, data.data(), size);
      item.second = r;
    } else {
      size_t k = rng() % live.size();
      blocs_.DeleteData(live[k].second);
      copy.DataDeleted(live[k].second);
      live.erase(live.begin() + static_cast<long>(k));
    }
    ASSERT_EQ(stream_.GetLength(), copyStream.GetLength()) << step;
    ASSERT_EQ(0, std::memcmp(stream_.Data(), copyStream.Data(), stream_.GetLength())) << step;
  }
  EXPECT_EQ(live.size(), blocs_.GetNbOfData());
}

}  // namespace
