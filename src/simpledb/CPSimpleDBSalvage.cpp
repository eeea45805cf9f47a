#include "simpledb/CPSimpleDBSalvage.h"

#include <cstdio>
#include <set>

#include "foundation/CPException.h"
#include "foundation/CPFileStream.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPCRC16.h"
#include "simpledb/CPSimpleDBErrors.h"
#include "simpledb/CPSimpleDBFile.h"

namespace {

// The damaged file, read as bytes: nothing in it is trusted beyond what one
// record's own header and checksum vouch for.
class DamagedFile {
 public:
  explicit DamagedFile(const CPFileRef& file) : stream_(file) {
    stream_.Open(kCPFileReadLocked);
    length_ = stream_.GetLength();
    if (length_ < kSDBHeaderAreaSize) CPThrow(kSDBErrTooShort);
    unsigned char stored[kSDBHeaderSize];
    Read(0, stored, kSDBHeaderSize);
    CPDecodeHeader(stored, &header_, nullptr);
    if (header_.marker != kSDBFileMarker) CPThrow(kSDBErrBadMarker);
    if (header_.structureVersion > kSDBStructureVersion) CPThrow(kSDBErrStructureVersion);
    uint32_t end = length_;
    if (header_.stream >= kSDBHeaderAreaSize && header_.stream < length_) end = header_.stream;
    blocs_ = (end - kSDBHeaderAreaSize) / kSDBBlocSize;
    partial_ = (end - kSDBHeaderAreaSize) % kSDBBlocSize != 0;
  }
  const CPSimpleDBHeader& Header() const { return header_; }
  uint32_t Blocs() const { return blocs_; }
  bool PartialBloc() const { return partial_; }
  OSType Creator() const { return stream_.GetFileCreator(); }

  void Read(uint64_t offset, void* data, uint32_t count) {
    stream_.SetMarker(static_cast<int32_t>(offset), kCPFromStart);
    stream_.ReadData(data, static_cast<long>(count));
  }
  uint64_t Offset(CPSimpleDBRefnum refnum) const {
    return kSDBHeaderAreaSize + uint64_t(refnum - 1) * kSDBBlocSize;
  }

 private:
  CPFileStream stream_;
  CPSimpleDBHeader header_;
  uint32_t length_ = 0;
  uint32_t blocs_ = 0;
  bool partial_ = false;
};

// Records start at block boundaries: after a block that holds no readable
// record, the next one is tried. Blocks that a damaged record claimed, and
// unreadable blocks in a row, make one entry of the report.
class Scanner {
 public:
  Scanner(DamagedFile& file, CPSimpleDBFile& out, CPSimpleDBSalvageReport& report)
      : file_(file), out_(out), report_(report) {}

  void Run() {
    const uint32_t nb = file_.Blocs();
    std::vector<unsigned char> data;
    for (uint64_t r = 1; r <= nb;) {
      const auto refnum = static_cast<CPSimpleDBRefnum>(r);
      unsigned char stored[kSDBDataHeaderSize];
      file_.Read(file_.Offset(refnum), stored, kSDBDataHeaderSize);
      CPSimpleDBDataHeader h;
      CPDataEncoding encoding;
      CPDecodeDataHeader(stored, &h, &encoding);
      if (h.magic != kSDBDataMagic) {
        Unreadable(refnum, kSDBErrBadMagic);
        ++r;
        continue;
      }
      const uint32_t count = CPSimpleDBBlocsFor(h.size);
      if (r + count - 1 > nb) {
        Unreadable(refnum, kSDBErrBadRefnum);
        ++r;
        continue;
      }
      if (h.info.IsFree()) {
        r += count;
        continue;
      }
      data.resize(h.size);
      if (h.size) file_.Read(file_.Offset(refnum) + kSDBDataHeaderSize, data.data(), h.size);
      if (CPCRC16(data.data(), h.size) != h.checksum) {
        LeaveOut(refnum, count, h.info, kSDBErrChecksum);
        ++r;  // its size may be what is damaged: the blocks it claims are tried
        continue;
      }
      if (CPSimpleDBIsSavedIndex(h.info)) {
        // The engine's own, written again when the new file is closed.
      } else if (h.info.dataID == 0) {
        LeaveOut(refnum, count, h.info, kSDBErrNoDataID);
      } else if (!copied_.insert(h.info.dataID).second) {
        LeaveOut(refnum, count, h.info, kSDBErrDuplicateID);
      } else {
        out_.CopyRecord(h.info, encoding, data.data(), h.size);
        ++report_.copied;
      }
      claimedEnd_ = 0;
      r += count;
    }
    if (file_.PartialBloc()) Unreadable(nb + 1, kSDBErrNotWholeBlocs);
  }

 private:
  // A block without a record: part of a damaged record's claim, or of the
  // run of unreadable blocks before it, or the start of a new run.
  void Unreadable(CPSimpleDBRefnum refnum, int16_t code) {
    if (refnum < claimedEnd_) return;
    if (!report_.leftOut.empty()) {
      CPSimpleDBLeftOut& last = report_.leftOut.back();
      if (last.dataID == 0 && last.refnum + last.blocs == refnum) {
        ++last.blocs;
        return;
      }
    }
    report_.leftOut.push_back({refnum, 1, 0, 0, code});
  }
  void LeaveOut(CPSimpleDBRefnum refnum, uint32_t count, const CPSimpleDBDataInfo& info,
                int16_t code) {
    report_.leftOut.push_back({refnum, count, info.dataID, info.type, code});
    if (code == kSDBErrChecksum) claimedEnd_ = refnum + count;
  }

  DamagedFile& file_;
  CPSimpleDBFile& out_;
  CPSimpleDBSalvageReport& report_;
  std::set<CPSimpleDBDataID> copied_;
  CPSimpleDBRefnum claimedEnd_ = 0;  // the blocks of a damaged record end before it
};

}  // namespace

CPSimpleDBSalvageReport CPSimpleDBSalvage(const CPFileRef& damaged, const CPFileRef& salvage) {
  if (salvage.Exists() || salvage.SameFile(damaged)) CPThrow(dupFNErr);
  DamagedFile file(damaged);
  const CPFileRef work = salvage.Sibling("." + salvage.Name() + ".recuperation");
  if (work.Exists()) CPThrowIfOSErr(CPFileSystem::Delete(work));
  CPSimpleDBSalvageReport report;
  try {
    CPSimpleDBFile out(work);
    OSType creator = file.Creator();
    out.CreateLike(creator ? creator : CPFourCC("VyxP"), file.Header());
    Scanner(file, out, report).Run();
    out.Close();
  } catch (...) {
    CPFileSystem::Delete(work);
    throw;
  }
  // Never over a file that appeared meanwhile.
  if (salvage.Exists()) {
    CPFileSystem::Delete(work);
    CPThrow(dupFNErr);
  }
  if (std::rename(work.Path().c_str(), salvage.Path().c_str()) != 0) {
    OSErr err = CPFileSystem::FromErrno(errno);
    CPFileSystem::Delete(work);
    CPThrowIfOSErr(err);
  }
  return report;
}
