// Block arithmetic of a SimpleDB data area: records of 128-byte blocks, each
// starting with a 44-byte header, over a stream (a file from offset 5,120, or a
// memory handle from offset 0). It reads, places, rewrites, frees, merges and
// moves records; it never decides which record a change concerns (the file
// does). The stream is not owned. Errors are raised as CPException: the codes
// of CPSimpleDBErrors.h, or the stream's system code.
//
// Besides the stream it keeps, once a placement needs it, a map of the free
// records, built by one walk and then kept in step by every change it makes.
// Anything that changes the stream behind its back must call ForgetFreeSpace.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBBLOCSHANDLER_H_
#define VYX_SIMPLEDB_CPSIMPLEDBBLOCSHANDLER_H_

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

#include "foundation/CPStream.h"
#include "simpledb/CPSimpleDBTypes.h"
#include "simpledb/CPSimpleDBWritePlan.h"

class CPSimpleDBBlocsHandler {
 public:
  CPSimpleDBBlocsHandler() = default;
  CPSimpleDBBlocsHandler(CPStream* stream, uint32_t start) : stream_(stream), start_(start) {}
  // Over a memory copy of a data area: reads go straight to memory.
  explicit CPSimpleDBBlocsHandler(CPHandleStream* memory) : stream_(memory), memory_(memory) {}

  // The journal that makes multi-write changes all-or-nothing (none for memory).
  void SetJournal(CPSimpleDBJournal* journal) { journal_ = journal; }
  // Ends the data area at stream offset `end` instead of the stream's end (0: none);
  // used for a read-only file that carries an appended stream segment.
  void SetDataEnd(uint32_t end) { end_ = end; }
  CPStream* GetStream() const { return stream_; }
  // A handler over a memory copy that holds the same bytes (kept in step by
  // its owner): walks that only read, such as the one that learns the free
  // records, go through it instead of reading the whole file again. Used
  // only while both data areas have the same size. Not owned; null: none.
  void SetMirror(const CPSimpleDBBlocsHandler* mirror) { mirror_ = mirror; }
  uint32_t GetStart() const { return start_; }

  // Geometry. GetNbOfBlocs and SetAllBlocsSize raise 1200 when not whole blocks.
  uint32_t GetNbOfBlocs() const;
  void SetNbOfBlocs(uint32_t count);
  void SetAllBlocsSize(uint32_t bytes);
  uint32_t GetAllBlocsSize() const;
  void ReadAllBlocs(void* buffer) const;
  // ceil((size + 44) / 128); `spare` receives the unused bytes of the last block.
  static uint32_t GetDataBlocsNbr(uint32_t size, uint32_t* spare = nullptr);

  // The header at `refnum` (decoded) and, when `data`, its first `size` bytes;
  // the checksum is compared only when `size` is the record's whole size.
  void ReadBlocs(CPSimpleDBRefnum refnum, uint32_t count, CPSimpleDBDataHeader* header,
                 CPDataEncoding* encoding, void* data, uint32_t size) const;
  // Raw writes of a whole record over `count` blocks, in place or at the end.
  void WriteBlocs(CPSimpleDBRefnum refnum, uint32_t count, const CPSimpleDBDataHeader* header,
                  const void* data, uint32_t size);
  void AddBlocs(uint32_t count, const CPSimpleDBDataHeader* header, const void* data, uint32_t size,
                CPSimpleDBRefnum* refnum);

  // Placement. `header` gets its magic, size and checksum filled in.
  void AddData(CPSimpleDBDataHeader& header, const void* data, uint32_t size,
               CPSimpleDBRefnum* refnum, bool fastAdd);
  void ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataHeader& header, const void* data,
                  uint32_t size, CPSimpleDBRefnum* newRefnum);
  void DeleteData(CPSimpleDBRefnum refnum) { MakeFreeBlocs(refnum); }
  // Moves the record at `from` to `to`, which must lie before it with only free
  // records in between (as in compaction); what the copy does not cover becomes
  // one free record, so that no walk ever meets two copies of the record.
  void MoveData(CPSimpleDBRefnum from, CPSimpleDBRefnum to);
  bool FindFreeBlocs(uint32_t count, CPSimpleDBRefnum* refnum, uint32_t* available);
  uint32_t GetMaxFreeBlocs(CPSimpleDBRefnum refnum);
  // Frees the record at `refnum`, merging the free records after it, or cuts the
  // file when the freed run reaches its end (then 0 is returned).
  uint32_t MakeFreeBlocs(CPSimpleDBRefnum refnum);
  void WriteFreeBlocs(CPSimpleDBRefnum refnum, uint32_t count);

  // Walking in block order (free records included for the refnum walk).
  bool GetFirstRefnum(CPSimpleDBRefnum* refnum) const;
  bool GetNextRefnum(const CPSimpleDBDataHeader& header, CPSimpleDBRefnum* refnum) const;
  // Reads `size` bytes of the record at `refnum`; 1311 when it holds fewer.
  // `check`, when given, sees the record's info before anything else is checked
  // or copied, and may raise to refuse the read.
  using InfoCheck = std::function<void(const CPSimpleDBDataInfo&)>;
  void GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info, CPDataEncoding* encoding,
               void* data, uint32_t size, const InfoCheck& check = nullptr) const;
  // The header and all the data of the record at `refnum`, checksum checked.
  void ReadRecord(CPSimpleDBRefnum refnum, CPSimpleDBDataHeader* header, CPDataEncoding* encoding,
                  std::vector<unsigned char>* data) const;
  // The same without a copy when the blocks are in memory: the data returned
  // lies in the memory copy (valid until it changes), or else in `buffer`.
  // The checksum is compared when `check`.
  const unsigned char* ViewRecord(CPSimpleDBRefnum refnum, CPSimpleDBDataHeader* header,
                                  CPDataEncoding* encoding, std::vector<unsigned char>* buffer,
                                  bool check) const;
  uint32_t GetDataSize(CPSimpleDBRefnum refnum) const;
  void GetDataInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                    CPDataEncoding* encoding) const;
  // Live records in block order; `type` 0 means any. GetNextData starts after *refnum.
  bool GetFirstData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                    CPSimpleDBRefnum* refnum) const;
  bool GetNextData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                   CPSimpleDBRefnum* refnum) const;
  bool GetNthData(uint32_t n, CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                  CPSimpleDBRefnum* refnum) const;  // n from 1
  uint32_t GetNbOfData() const;

  // Visits every record header in block order, reading ahead in large slices;
  // `visit` returns false to stop. A bad magic raises 1300. A run passing the
  // end raises 1304, unless `tornTail` is given: it then receives the refnum and
  // the walk ends there (an append the writer did not finish).
  using Visitor =
      std::function<bool(CPSimpleDBRefnum, const CPSimpleDBDataHeader&, const CPDataEncoding&)>;
  void Scan(const Visitor& visit, CPSimpleDBRefnum* tornTail = nullptr) const;
  // The raw bytes of `count` blocks from `refnum`.
  void ReadRun(CPSimpleDBRefnum refnum, uint32_t count, void* out) const;
  // `count` data bytes of the record at `refnum`, from its data byte `from`,
  // unchecked: for readers that take a large record in slices.
  void ReadDataPart(CPSimpleDBRefnum refnum, uint32_t from, void* out, uint32_t count) const {
    ReadRaw(Offset(refnum) + kSDBDataHeaderSize + from, out, count);
  }

  // A change decided elsewhere, applied at the refnums given (memory copies).
  void DataAdded(CPSimpleDBDataHeader& header, CPSimpleDBRefnum refnum, const void* data,
                 uint32_t size);
  void DataModified(CPSimpleDBDataHeader& header, CPSimpleDBRefnum oldRefnum,
                    CPSimpleDBRefnum newRefnum, const void* data, uint32_t size);
  void DataDeleted(CPSimpleDBRefnum refnum) { MakeFreeBlocs(refnum); }
  void DataMoved(CPSimpleDBRefnum from, CPSimpleDBRefnum to) { MoveData(from, to); }

  static uint32_t GetCheckSum(const void* data, uint32_t size);
  static bool IsValidCheckSum(const void* data, uint32_t size, uint32_t sum) {
    return GetCheckSum(data, size) == sum;
  }

  // Runs a plan (see CPSimpleDBWritePlan.h); Apply runs one step.
  void Execute(const CPSimpleDBWritePlan& plan);
  void Apply(const CPSimpleDBWriteStep& step);
  // Drops the free-space map; the next placement walks the file again.
  void ForgetFreeSpace();
  // Cuts the file before the free records that end it, if any; true when it
  // did. While a command may still be undone (CPFileRollback.h), freeing the
  // last records and compacting leave free records at the end instead of
  // cutting the file (undoing a cut means growing the file again, which a full
  // disk may refuse); the file's closing cuts them.
  bool TrimFreeTail();
  static bool KeepsLength();

 private:
  static uint32_t Offset(CPSimpleDBRefnum refnum) { return (refnum - 1) * kSDBBlocSize; }
  void ReadRaw(uint32_t offset, void* out, uint32_t count) const;
  void WriteRaw(uint32_t offset, const void* data, uint32_t count);
  // 1304 unless `refnum` is a block of the data area of `nb` blocks.
  static void CheckRefnum(CPSimpleDBRefnum refnum, uint32_t nb);
  // Header at `refnum`, its magic checked (1300).
  CPSimpleDBDataHeader ReadHeader(CPSimpleDBRefnum refnum,
                                  CPDataEncoding* encoding = nullptr) const;
  bool SinglePage(uint32_t offset, uint32_t count) const;
  bool NeedsJournal(const std::vector<CPSimpleDBWriteStep>& commit) const;

  // The record image (encoded header, data, zero fill) in image_.
  void BuildImage(CPSimpleDBDataHeader& header, const void* data, uint32_t size, uint32_t count);
  static std::vector<unsigned char> FreeHeaderBytes(uint32_t count);

  // Free space: the map when known, else the headers on disk.
  void KnowFreeSpace();
  // Blocks of the free records that follow each other from `refnum`, and how
  // many records that is.
  uint32_t FreeRunAt(CPSimpleDBRefnum refnum, uint32_t nb, uint32_t* records = nullptr) const;
  uint32_t FreeBlocsAt(CPSimpleDBRefnum refnum) const;        // 0 when not a free record
  void NoteUsed(CPSimpleDBRefnum from, CPSimpleDBRefnum to);  // [from, to)
  void NoteFree(CPSimpleDBRefnum refnum, uint32_t count);

  // Plans. `liveHeaderLast` keeps the record's header out of `prepare` so that
  // the caller can commit it together with other writes.
  void PlanPlace(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum, uint32_t available,
                 uint32_t count, bool liveHeaderLast);
  void PlanAppend(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum, uint32_t count,
                  bool liveHeaderLast);
  void PlanInPlace(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum, uint32_t oldCount,
                   uint32_t count, uint32_t nb);
  // The image's writes at `refnum`: the whole image, or, when it spans
  // several pages of a file, only the runs of bytes that differ from the
  // blocks there now.
  void PlanImageWrites(std::vector<CPSimpleDBWriteStep>& steps, CPSimpleDBRefnum refnum);
  // Appends the free blocks that the record at `refnum` lacks to grow to
  // `count` blocks in place when it ends the data area; false otherwise.
  bool GrowAtEnd(CPSimpleDBRefnum refnum, uint32_t oldCount, uint32_t count);
  // Clears [offset, offset + length) of the data area, writing only where it
  // is not zero already.
  void PlanZeros(std::vector<CPSimpleDBWriteStep>& steps, uint32_t offset, uint32_t length);
  // Frees the record at `refnum` of a data area of `nb` blocks in which a live
  // record is about to stand at `liveRefnum` (0: none). Returns MakeFreeBlocs' result.
  uint32_t PlanFree(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum, uint32_t nb,
                    CPSimpleDBRefnum liveRefnum);

  // The stream; raises fnOpnErr when there is none (the file was closed).
  CPStream& Stream() const;

  CPStream* stream_ = nullptr;
  CPHandleStream* memory_ = nullptr;
  uint32_t start_ = 0;
  uint32_t end_ = 0;
  CPSimpleDBJournal* journal_ = nullptr;
  const CPSimpleDBBlocsHandler* mirror_ = nullptr;
  bool freeKnown_ = false;
  std::map<CPSimpleDBRefnum, uint32_t> free_;  // free record -> its blocks
  bool freeTail_ = false;  // a free record was left at the end rather than cut
  uint64_t freeTotal_ = 0;
  std::vector<unsigned char> image_;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBBLOCSHANDLER_H_
