// The event log of a database: a file beside it (its name with ".evt") that
// receives one event per logged change, from which the database can be rebuilt
// and through which stations sharing the database learn what the others did.
// docs/simpledb.md gives the bytes: a 48-byte header and an end record, then
// events of a begin record, the record's information, the data and an end
// record pointing back at its begin, so that the log reads backwards too.
//
// An event is appended in one write, after the change it tells of reached the
// database. A writer killed in the middle of that write leaves a last event
// cut short, which Repair removes; every event before it is whole. The log is
// owned by its database file (CPSimpleDBFile), which decides when to write it.
#ifndef VYX_SIMPLEDB_CPSIMPLEDBEVENTFILE_H_
#define VYX_SIMPLEDB_CPSIMPLEDBEVENTFILE_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "foundation/CPFileStream.h"
#include "simpledb/CPSimpleDBTypes.h"

class CPSimpleDBFile;

constexpr uint32_t kSDBLogMarker = 0x4E8A01F3;
constexpr uint32_t kSDBLogVersion = 1;
constexpr uint32_t kSDBLogBeginMarker = 0xF5E12AC4;
constexpr uint32_t kSDBLogEndMarker = 0x250F5EDA;
constexpr uint32_t kSDBLogHeaderSize = 48;
constexpr uint32_t kSDBLogBeginSize = 40;
constexpr uint32_t kSDBLogEndSize = 16;
constexpr uint32_t kSDBLogEventOverhead = kSDBLogBeginSize + kSDBDataInfoSize + kSDBLogEndSize;
constexpr uint32_t kSDBLogFirstEvent = kSDBLogHeaderSize + kSDBLogEndSize;
constexpr OSType kSDBLogFileType = CPFourCC(".evt");

// Actions, in bits 3-5 of a begin record's flags.
enum : uint32_t {
  kSDBLogAdd = 0x08,
  kSDBLogModify = 0x10,
  kSDBLogDelete = 0x18,
  kSDBLogMove = 0x20,
  kSDBLogActionMask = 0x38,
};

// The log header, in host form.
struct CPSimpleDBLogFileHeader {
  unsigned char signature[kSDBSignatureSize] = {};
  OSType type = kSDBUnknownType;
  uint32_t marker = kSDBLogMarker;
  uint32_t version = kSDBLogVersion;
  uint32_t flags = 0;
  CPDate creation = 0;
  CPDate modification = 0;
  uint32_t baseID = 0;
  uint32_t noBase = 0;
  CPSimpleDBEventID eventID = 0;
};

// One event, in host form.
struct CPSimpleDBLogEvent {
  uint32_t offset = 0;  // of its begin record
  uint32_t action = 0;
  uint32_t noBase = 0;
  CPSimpleDBEventID eventID = 0;
  uint32_t autoID = 0;
  CPSimpleDBRefnum oldRefnum = 0;
  uint32_t oldSize = 0;
  CPSimpleDBRefnum newRefnum = 0;
  uint32_t newSize = 0;
  uint32_t next = 0;  // offset of the following event
  // The record's information without encoding bits, and the encoding of its data.
  CPSimpleDBDataInfo info;
  CPDataEncoding encoding;
  std::vector<unsigned char> oldData, newData;  // read only when asked for

  // The information with its encoding bits, as the change hooks receive it.
  CPSimpleDBDataInfo InfoWithEncoding() const {
    CPSimpleDBDataInfo i = info;
    i.SetEncoding(encoding);
    return i;
  }
};

class CPSimpleDBEventFile {
 public:
  explicit CPSimpleDBEventFile(const CPFileRef& fileRef) : stream_(fileRef) {}
  CPSimpleDBEventFile(const CPSimpleDBEventFile&) = delete;
  CPSimpleDBEventFile& operator=(const CPSimpleDBEventFile&) = delete;

  // Creates the log, replacing a file of that name, with a header made from
  // the database's and the end record after it, and leaves it open.
  void Create(OSType creator, const CPSimpleDBHeader& database, CPFilePermission permission);
  void Open(CPFilePermission permission);
  void Close();
  bool IsOpen() const { return stream_.IsOpen(); }
  bool Exists() const { return stream_.Exists(); }
  const CPFileRef& GetFileSpec() const { return stream_.GetFileSpec(); }
  CPFileStream& GetStream() { return stream_; }

  static CPSimpleDBLogFileHeader MakeHeader(const CPSimpleDBHeader& database);
  // The header, checked: marker (1502) and version (1503).
  CPSimpleDBLogFileHeader ReadHeader();
  void WriteHeader(const CPSimpleDBLogFileHeader& header);
  void SetNoBase(uint32_t noBase);

  // Appending. `info` carries the encoding bits of the data.
  void AddData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
               const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
               CPDataSize size);
  void ModifyData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                  const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
                  CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
                  CPDataSize newSize);
  void DeleteData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                  const CPSimpleDBDataInfo& info, CPSimpleDBRefnum refnum, const void* data,
                  CPDataSize size);
  void MoveData(uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
                const CPSimpleDBDataInfo& info, CPSimpleDBRefnum from, CPSimpleDBRefnum to);
  // Where the next event will be written: the log's length.
  uint32_t GetNextEventRefnum() const { return stream_.GetLength(); }

  // Reading. Every malformed record raises 1502.
  // The eventID of the last event, read backwards from the end (or from
  // `end`, where an event ends); the header's when the log holds none.
  CPSimpleDBEventID GetLastEventID();
  CPSimpleDBEventID GetLastEventID(uint32_t end);
  // The event at `offset`; false at the end of the log.
  bool ReadEvent(uint32_t offset, CPSimpleDBLogEvent* event, bool withData);
  // Every event from offset `from` (a begin record, or the log's end) to `to`
  // (0: the end), in order; `visit` returns false to stop.
  using Visitor = std::function<bool(CPSimpleDBLogEvent&)>;
  void Play(uint32_t from, uint32_t to, bool withData, const Visitor& visit);
  // Every event from the last to the first.
  void PlayBack(bool withData, const Visitor& visit);
  // The events whose eventID is above `eventID`, in order.
  std::vector<CPSimpleDBLogEvent> GetLastEvents(CPSimpleDBEventID eventID, bool withData);
  // The event of that eventID (the last one carrying it); 1507 when none.
  CPSimpleDBLogEvent GetEventDataInfos(CPSimpleDBEventID eventID);
  CPSimpleDBLogEvent GetEventData(CPSimpleDBEventID eventID);

  // Raw bytes of the log (1502 beyond its end).
  void ReadBytes(uint32_t offset, void* data, uint32_t count) { ReadAt(offset, data, count); }

  // Where the whole events end: the log's length, or the start of a last
  // event that a killed writer left unfinished, searching from `from` (a
  // begin record known to be whole, or the log's first event). A log damaged
  // anywhere else raises 1502. Reads only.
  uint32_t WholeLength(uint32_t from = kSDBLogFirstEvent);
  // Cuts that unfinished last event; answers the bytes cut.
  uint32_t Repair(uint32_t from = kSDBLogFirstEvent);

  // Whether the log at `fileRef` can serve the database whose header is
  // `database`, read without changing anything: 0, or the code an opening
  // would meet (1500 missing, 1502 damaged, 1503 unknown version, 1504 another
  // database's, 1505 ahead of the database, 1506 behind it). Every event is
  // read. A last event cut short is no fault of a database left open (its
  // next opening cuts it), but the events before it must reach its eventID.
  static int16_t Check(const CPFileRef& fileRef, const CPSimpleDBHeader& database);

  // Replays into `file` every event whose eventID is at least `fromEventID`,
  // through a session, so that the file's handlers and indexes follow.
  void RebuildDataBase(CPSimpleDBFile& file, CPSimpleDBEventID fromEventID);

 private:
  void Append(uint32_t action, uint32_t noBase, CPSimpleDBEventID eventID, uint32_t autoID,
              const CPSimpleDBDataInfo& info, CPSimpleDBRefnum oldRefnum, const void* oldData,
              CPDataSize oldSize, CPSimpleDBRefnum newRefnum, const void* newData,
              CPDataSize newSize);
  void ReadAt(uint32_t offset, void* data, uint32_t count);
  // The begin record of the event whose end record finishes at `end`, or 0 when
  // that end record closes the header.
  uint32_t PreviousEvent(uint32_t end);

  CPFileStream stream_;
  std::vector<unsigned char> buffer_;
};

#endif  // VYX_SIMPLEDB_CPSIMPLEDBEVENTFILE_H_
