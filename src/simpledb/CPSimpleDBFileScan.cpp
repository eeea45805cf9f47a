// The walks of a file that continue from where they stopped (fast scans) and
// the one that reads every record of a type in a single pass.
#include <algorithm>
#include <vector>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFile.h"

bool CPSimpleDBFile::GetNextData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                                 CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  Scan& s = ScanOf(scan);
  CPSimpleDBAccessLocker lock(this);
  if (!s.started || !indexValid_)
    return CPSimpleDBDataProvider::GetNextData(session, scan, info, refnum);
  const CPSimpleDBFileIndexItem* item = index_.Next(s.dataID, s.type);
  if (!item) return false;
  s.dataID = item->dataID;
  s.refnum = item->refnum;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}

// Slices of the data area are read whole, and the records that lie inside one
// are taken from it: one read for hundreds of small records, where reading
// each record would cost a read for its header and another for its data.
void CPSimpleDBFile::ForEachData(CPSimpleDBSession* session, CPSimpleDBDataType type,
                                 const DataVisitor& visit) {
  constexpr uint32_t kWindowBlocs = 2048;  // 256 KiB
  CPSimpleDBAccessLocker lock(this);
  const CPSimpleDBBlocsHandler& reader = Reader();
  const uint32_t nb = reader.GetNbOfBlocs();
  std::vector<unsigned char> window, own;
  CPSimpleDBRefnum windowStart = 0;
  uint32_t windowBlocs = 0;
  for (CPSimpleDBRefnum r = 1; r <= nb;) {
    if (r < windowStart || r >= windowStart + windowBlocs) {
      windowStart = r;
      windowBlocs = std::min(kWindowBlocs, nb - r + 1);
      window.resize(size_t(windowBlocs) * kSDBBlocSize);
      reader.ReadRun(r, windowBlocs, window.data());
    }
    const unsigned char* at = window.data() + size_t(r - windowStart) * kSDBBlocSize;
    CPSimpleDBDataHeader h;
    CPDataEncoding encoding;
    CPDecodeDataHeader(at, &h, &encoding);
    if (h.magic != kSDBDataMagic) CPSimpleDBThrowAt(kSDBErrBadMagic, r);
    const uint32_t count = CPSimpleDBBlocsFor(h.size);
    if (uint64_t(r) + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, r);
    const bool wanted =
        !h.info.IsFree() && (type == 0 || h.info.type == type) && !CPSimpleDBIsSavedIndex(h.info);
    if (wanted) {
      CheckAllowed(session, kSDBActionGet, h.info);
      const unsigned char* data = at + kSDBDataHeaderSize;
      if (r + count > windowStart + windowBlocs) {  // runs past the slice
        own.resize(size_t(count) * kSDBBlocSize);
        reader.ReadRun(r, count, own.data());
        data = own.data() + kSDBDataHeaderSize;
      }
      if (!CPSimpleDBBlocsHandler::IsValidCheckSum(data, h.size, h.checksum))
        CPSimpleDBThrowAt(kSDBErrChecksum, r);
      CPSimpleDBDataInfo info = h.info;
      info.SetEncoding(encoding);
      if (!visit(info, r, data, h.size)) return;
    }
    r += count;
  }
}

void CPSimpleDBFile::ForEachDataInOrder(CPSimpleDBSession* session, CPSimpleDBDataType type,
                                        const DataVisitor& visit, bool check) {
  CPSimpleDBAccessLocker lock(this);
  if (!indexValid_) {
    CPSimpleDBDataProvider::ForEachDataInOrder(session, type, visit, check);
    return;
  }
  const CPSimpleDBBlocsHandler& reader = Reader();
  std::vector<unsigned char> buffer;
  index_.ForEach(type, [&](const CPSimpleDBFileIndexItem& item) {
    CPSimpleDBDataHeader h;
    CPDataEncoding encoding;
    const unsigned char* data = reader.ViewRecord(item.refnum, &h, &encoding, &buffer, check);
    CheckAllowed(session, kSDBActionGet, h.info);
    h.info.SetEncoding(encoding);
    return visit(h.info, item.refnum, data, h.size);
  });
}
