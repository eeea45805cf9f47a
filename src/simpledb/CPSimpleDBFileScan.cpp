#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBFile.h"

bool CPSimpleDBFile::GetNextData(CPSimpleDBSession* session, CPSimpleDBScanNumber scan,
                                 CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) {
  Scan& s = ScanOf(scan);
  CPSimpleDBAccessLocker lock(this);
  if (!s.started || !indexValid_) return CPSimpleDBDataProvider::GetNextData(session, scan, info, refnum);
  const CPSimpleDBFileIndexItem* item = index_.Next(s.dataID, s.type);
  if (!item) return false;
  s.dataID = item->dataID;
  s.refnum = item->refnum;
  if (info) Reader().GetDataInfos(item->refnum, info, nullptr);
  *refnum = item->refnum;
  return true;
}
