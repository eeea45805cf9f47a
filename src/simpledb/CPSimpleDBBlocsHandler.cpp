// Geometry, reading and walking of a data area, and the running of write plans.
// Placement, freeing and moving are in CPSimpleDBBlocsPlacement.cpp.
#include "simpledb/CPSimpleDBBlocsHandler.h"

#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"
#include "platform/CPOSErr.h"
#include "simpledb/CPCRC16.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

constexpr uint32_t kPageSize = 4096;
constexpr uint32_t kScanWindow = 256 * 1024;
constexpr uint32_t kSmallRead = 512;
const unsigned char kZeros[64 * 1024] = {};

}  // namespace

CPSimpleDBWriteStep CPSimpleDBWriteStep::Write(uint32_t offset, const void* data, uint32_t length) {
  const auto* p = static_cast<const unsigned char*>(data);
  return {kWrite, offset, length, std::vector<unsigned char>(p, p + length)};
}

// ---- raw access

// A handler whose file was closed has no stream: a read or write through a
// session that outlived its file is the engine's "file not open".
CPStream& CPSimpleDBBlocsHandler::Stream() const {
  if (!stream_) CPThrow(fnOpnErr);
  return *stream_;
}

void CPSimpleDBBlocsHandler::ReadRaw(uint32_t offset, void* out, uint32_t count) const {
  if (count == 0) return;
  if (memory_) {
    if (uint64_t(offset) + count > memory_->GetLength()) CPThrow(eofErr);
    std::memcpy(out, memory_->Data() + offset, count);
    return;
  }
  Stream().SetMarker(static_cast<int32_t>(start_ + offset), kCPFromStart);
  long n = count;
  Stream().ReadData(out, &n);
  if (n != long(count)) CPThrow(eofErr);
}

void CPSimpleDBBlocsHandler::WriteRaw(uint32_t offset, const void* data, uint32_t count) {
  if (count == 0) return;
  Stream().SetMarker(static_cast<int32_t>(start_ + offset), kCPFromStart);
  long n = count;
  Stream().WriteData(data, &n);
  if (n != long(count)) CPThrow(dskFulErr);
}

void CPSimpleDBBlocsHandler::CheckRefnum(CPSimpleDBRefnum refnum, uint32_t nb) {
  if (refnum == 0 || refnum > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
}

CPSimpleDBDataHeader CPSimpleDBBlocsHandler::ReadHeader(CPSimpleDBRefnum refnum,
                                                        CPDataEncoding* encoding) const {
  unsigned char stored[kSDBDataHeaderSize];
  ReadRaw(Offset(refnum), stored, kSDBDataHeaderSize);
  CPSimpleDBDataHeader h;
  CPDecodeDataHeader(stored, &h, encoding);
  if (h.magic != kSDBDataMagic) CPSimpleDBThrowAt(kSDBErrBadMagic, refnum);
  return h;
}

// ---- geometry

uint32_t CPSimpleDBBlocsHandler::GetAllBlocsSize() const {
  uint32_t end = end_ ? end_ : Stream().GetLength();
  return end > start_ ? end - start_ : 0;
}

uint32_t CPSimpleDBBlocsHandler::GetNbOfBlocs() const {
  uint32_t bytes = GetAllBlocsSize();
  if (bytes % kSDBBlocSize) CPThrow(kSDBErrNotWholeBlocs);
  return bytes / kSDBBlocSize;
}

void CPSimpleDBBlocsHandler::SetAllBlocsSize(uint32_t bytes) {
  if (bytes % kSDBBlocSize) CPThrow(kSDBErrNotWholeBlocs);
  Stream().SetLength(start_ + bytes);
  NoteUsed(bytes / kSDBBlocSize + 1, UINT32_MAX);
}

void CPSimpleDBBlocsHandler::SetNbOfBlocs(uint32_t count) { SetAllBlocsSize(count * kSDBBlocSize); }

void CPSimpleDBBlocsHandler::ReadAllBlocs(void* buffer) const {
  ReadRaw(0, buffer, GetAllBlocsSize());
}

uint32_t CPSimpleDBBlocsHandler::GetDataBlocsNbr(uint32_t size, uint32_t* spare) {
  uint32_t n = CPSimpleDBBlocsFor(size);
  if (spare) *spare = n * kSDBBlocSize - kSDBDataHeaderSize - size;
  return n;
}

uint32_t CPSimpleDBBlocsHandler::GetCheckSum(const void* data, uint32_t size) {
  return CPCRC16(data, size);
}

// ---- records

void CPSimpleDBBlocsHandler::ReadBlocs(CPSimpleDBRefnum refnum, uint32_t count,
                                       CPSimpleDBDataHeader* header, CPDataEncoding* encoding,
                                       void* data, uint32_t size) const {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  if (count == 0 || uint64_t(refnum) + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  if (uint64_t(size) + kSDBDataHeaderSize > uint64_t(count) * kSDBBlocSize) {
    CPSimpleDBThrowAt(kSDBErrTooBig, refnum);
  }
  CPSimpleDBDataHeader h = ReadHeader(refnum, encoding);
  if (data && size) {
    ReadRaw(Offset(refnum) + kSDBDataHeaderSize, data, size);
    if (size == h.size && !IsValidCheckSum(data, size, h.checksum)) {
      CPSimpleDBThrowAt(kSDBErrChecksum, refnum);
    }
  }
  if (header) *header = h;
}

void CPSimpleDBBlocsHandler::WriteBlocs(CPSimpleDBRefnum refnum, uint32_t count,
                                        const CPSimpleDBDataHeader* header, const void* data,
                                        uint32_t size) {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  if (count == 0 || uint64_t(refnum) + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  if (uint64_t(size) + kSDBDataHeaderSize > uint64_t(count) * kSDBBlocSize) {
    CPSimpleDBThrowAt(kSDBErrTooBig, refnum);
  }
  CPSimpleDBDataHeader h = *header;
  BuildImage(h, data, size, count);
  WriteRaw(Offset(refnum), image_.data(), static_cast<uint32_t>(image_.size()));
  ForgetFreeSpace();
}

void CPSimpleDBBlocsHandler::AddBlocs(uint32_t count, const CPSimpleDBDataHeader* header,
                                      const void* data, uint32_t size, CPSimpleDBRefnum* refnum) {
  uint32_t bytes = GetAllBlocsSize();
  if (bytes % kSDBBlocSize) CPThrow(kSDBErrAddNotWholeBlocs);
  CPSimpleDBRefnum r = bytes / kSDBBlocSize + 1;
  if (count == 0 || uint64_t(size) + kSDBDataHeaderSize > uint64_t(count) * kSDBBlocSize) {
    CPSimpleDBThrowAt(kSDBErrTooBig, r);
  }
  CPSimpleDBDataHeader h = *header;
  BuildImage(h, data, size, count);
  WriteRaw(Offset(r), image_.data(), static_cast<uint32_t>(image_.size()));
  if (h.info.IsFree()) NoteFree(r, count);
  *refnum = r;
}

void CPSimpleDBBlocsHandler::GetData(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                     CPDataEncoding* encoding, void* data, uint32_t size,
                                     const InfoCheck& check) const {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  // One read brings the header and the data of a small record together.
  uint64_t room = uint64_t(nb - refnum + 1) * kSDBBlocSize;
  uint32_t want =
      static_cast<uint32_t>(std::min<uint64_t>(kSDBDataHeaderSize + uint64_t(size), room));
  unsigned char small[kSmallRead];
  const unsigned char* p;
  bool dataRead = false;
  if (memory_) {
    p = memory_->Data() + Offset(refnum);
    dataRead = true;
  } else if (want <= kSmallRead) {
    ReadRaw(Offset(refnum), small, want);
    p = small;
    dataRead = true;
  } else {
    ReadRaw(Offset(refnum), small, kSDBDataHeaderSize);
    p = small;
  }
  CPSimpleDBDataHeader h;
  CPDataEncoding e;
  CPDecodeDataHeader(p, &h, &e);
  if (h.magic != kSDBDataMagic) CPSimpleDBThrowAt(kSDBErrBadMagic, refnum);
  if (check) check(h.info);
  if (size > h.size) CPSimpleDBThrowAt(kSDBErrReadTooMuch, refnum);
  if (uint64_t(refnum) + CPSimpleDBBlocsFor(h.size) - 1 > nb) {
    CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  }
  if (size) {
    if (dataRead) {
      std::memcpy(data, p + kSDBDataHeaderSize, size);
    } else {
      ReadRaw(Offset(refnum) + kSDBDataHeaderSize, data, size);
    }
    if (size == h.size && !IsValidCheckSum(data, size, h.checksum)) {
      CPSimpleDBThrowAt(kSDBErrChecksum, refnum);
    }
  }
  if (info) *info = h.info;
  if (encoding) *encoding = e;
}

void CPSimpleDBBlocsHandler::ReadRecord(CPSimpleDBRefnum refnum, CPSimpleDBDataHeader* header,
                                        CPDataEncoding* encoding,
                                        std::vector<unsigned char>* data) const {
  CPSimpleDBDataHeader local;
  CPSimpleDBDataHeader& h = header ? *header : local;
  const unsigned char* p = ViewRecord(refnum, &h, encoding, data, true);
  if (p != data->data()) data->assign(p, p + h.size);
}

const unsigned char* CPSimpleDBBlocsHandler::ViewRecord(CPSimpleDBRefnum refnum,
                                                        CPSimpleDBDataHeader* header,
                                                        CPDataEncoding* encoding,
                                                        std::vector<unsigned char>* buffer,
                                                        bool check) const {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  uint64_t room = uint64_t(nb - refnum + 1) * kSDBBlocSize;
  unsigned char small[kSmallRead];
  const unsigned char* inMemory = memory_ ? memory_->Data() + Offset(refnum) : nullptr;
  const unsigned char* p = inMemory;
  uint32_t have = 0;
  if (!inMemory) {
    have = static_cast<uint32_t>(std::min<uint64_t>(kSmallRead, room));
    ReadRaw(Offset(refnum), small, have);
    p = small;
  }
  // Decoded where the caller wants it: copying a header just written field by
  // field would make the copy's wide loads wait for those narrow stores.
  CPSimpleDBDataHeader local;
  CPSimpleDBDataHeader& h = header ? *header : local;
  CPDecodeDataHeader(p, &h, encoding);
  if (h.magic != kSDBDataMagic) CPSimpleDBThrowAt(kSDBErrBadMagic, refnum);
  if (uint64_t(refnum) + CPSimpleDBBlocsFor(h.size) - 1 > nb) {
    CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  }
  const unsigned char* data;
  if (inMemory) {
    data = inMemory + kSDBDataHeaderSize;
  } else {
    buffer->resize(h.size);
    uint32_t first = std::min(h.size, have - kSDBDataHeaderSize);
    if (first) std::memcpy(buffer->data(), p + kSDBDataHeaderSize, first);
    if (first < h.size) {
      ReadRaw(Offset(refnum) + kSDBDataHeaderSize + first, buffer->data() + first, h.size - first);
    }
    data = buffer->data();
  }
  if (check && !IsValidCheckSum(data, h.size, h.checksum)) {
    CPSimpleDBThrowAt(kSDBErrChecksum, refnum);
  }
  return data;
}

uint32_t CPSimpleDBBlocsHandler::GetDataSize(CPSimpleDBRefnum refnum) const {
  CheckRefnum(refnum, GetNbOfBlocs());
  return ReadHeader(refnum).size;
}

void CPSimpleDBBlocsHandler::GetDataInfos(CPSimpleDBRefnum refnum, CPSimpleDBDataInfo* info,
                                          CPDataEncoding* encoding) const {
  CheckRefnum(refnum, GetNbOfBlocs());
  CPSimpleDBDataHeader h = ReadHeader(refnum, encoding);
  if (info) *info = h.info;
}

void CPSimpleDBBlocsHandler::ReadRun(CPSimpleDBRefnum refnum, uint32_t count, void* out) const {
  ReadRaw(Offset(refnum), out, count * kSDBBlocSize);
}

// ---- walking

bool CPSimpleDBBlocsHandler::GetFirstRefnum(CPSimpleDBRefnum* refnum) const {
  if (GetNbOfBlocs() == 0) return false;
  *refnum = 1;
  return true;
}

bool CPSimpleDBBlocsHandler::GetNextRefnum(const CPSimpleDBDataHeader& header,
                                           CPSimpleDBRefnum* refnum) const {
  uint64_t next = uint64_t(*refnum) + CPSimpleDBBlocsFor(header.size);
  if (next > GetNbOfBlocs()) return false;
  *refnum = static_cast<CPSimpleDBRefnum>(next);
  return true;
}

bool CPSimpleDBBlocsHandler::GetFirstData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                                          CPSimpleDBRefnum* refnum) const {
  uint32_t nb = GetNbOfBlocs();
  for (uint64_t r = 1; r <= nb;) {
    CPSimpleDBDataHeader h = ReadHeader(static_cast<CPSimpleDBRefnum>(r));
    if (!h.info.IsFree() && (type == 0 || h.info.type == type)) {
      if (info) *info = h.info;
      *refnum = static_cast<CPSimpleDBRefnum>(r);
      return true;
    }
    r += CPSimpleDBBlocsFor(h.size);
  }
  return false;
}

bool CPSimpleDBBlocsHandler::GetNextData(CPSimpleDBDataType type, CPSimpleDBDataInfo* info,
                                         CPSimpleDBRefnum* refnum) const {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(*refnum, nb);
  uint64_t r = uint64_t(*refnum) + CPSimpleDBBlocsFor(ReadHeader(*refnum).size);
  while (r <= nb) {
    CPSimpleDBDataHeader h = ReadHeader(static_cast<CPSimpleDBRefnum>(r));
    if (!h.info.IsFree() && (type == 0 || h.info.type == type)) {
      if (info) *info = h.info;
      *refnum = static_cast<CPSimpleDBRefnum>(r);
      return true;
    }
    r += CPSimpleDBBlocsFor(h.size);
  }
  return false;
}

bool CPSimpleDBBlocsHandler::GetNthData(uint32_t n, CPSimpleDBDataType type,
                                        CPSimpleDBDataInfo* info, CPSimpleDBRefnum* refnum) const {
  if (n == 0) return false;
  uint32_t seen = 0;
  bool found = false;
  Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (h.info.IsFree() || (type != 0 && h.info.type != type)) return true;
    if (++seen < n) return true;
    if (info) *info = h.info;
    *refnum = r;
    found = true;
    return false;
  });
  return found;
}

uint32_t CPSimpleDBBlocsHandler::GetNbOfData() const {
  uint32_t count = 0;
  Scan([&](CPSimpleDBRefnum, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (!h.info.IsFree()) ++count;
    return true;
  });
  return count;
}

void CPSimpleDBBlocsHandler::Scan(const Visitor& visit, CPSimpleDBRefnum* tornTail) const {
  const uint64_t total = uint64_t(GetNbOfBlocs()) * kSDBBlocSize;
  const unsigned char* base = memory_ ? memory_->Data() : nullptr;
  std::vector<unsigned char> window;
  uint64_t windowStart = 0, windowEnd = 0;
  for (uint64_t p = 0; p < total;) {
    const unsigned char* stored;
    if (base) {
      stored = base + p;
    } else {
      if (p + kSDBDataHeaderSize > windowEnd) {
        uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kScanWindow, total - p));
        window.resize(n);
        ReadRaw(static_cast<uint32_t>(p), window.data(), n);
        windowStart = p;
        windowEnd = p + n;
      }
      stored = window.data() + (p - windowStart);
    }
    CPSimpleDBDataHeader h;
    CPDataEncoding e;
    CPDecodeDataHeader(stored, &h, &e);
    auto r = static_cast<CPSimpleDBRefnum>(p / kSDBBlocSize + 1);
    if (h.magic != kSDBDataMagic) CPSimpleDBThrowAt(kSDBErrBadMagic, r);
    uint64_t run = uint64_t(CPSimpleDBBlocsFor(h.size)) * kSDBBlocSize;
    if (p + run > total) {
      if (tornTail) {
        *tornTail = r;
        return;
      }
      CPSimpleDBThrowAt(kSDBErrBadRefnum, r);
    }
    if (!visit(r, h, e)) return;
    p += run;
  }
}

// ---- plans

bool CPSimpleDBBlocsHandler::SinglePage(uint32_t offset, uint32_t count) const {
  if (count == 0) return true;
  uint64_t first = uint64_t(start_) + offset;
  return first / kPageSize == (first + count - 1) / kPageSize;
}

bool CPSimpleDBBlocsHandler::NeedsJournal(const std::vector<CPSimpleDBWriteStep>& commit) const {
  if (commit.size() != 1) return true;
  const CPSimpleDBWriteStep& s = commit.front();
  return s.kind != CPSimpleDBWriteStep::kSetLength && !SinglePage(s.offset, s.Length());
}

void CPSimpleDBBlocsHandler::Apply(const CPSimpleDBWriteStep& step) {
  switch (step.kind) {
    case CPSimpleDBWriteStep::kWrite:
      WriteRaw(step.offset, step.bytes.data(), static_cast<uint32_t>(step.bytes.size()));
      break;
    case CPSimpleDBWriteStep::kZero:
      for (uint32_t done = 0; done < step.length;) {
        uint32_t n = std::min<uint32_t>(sizeof(kZeros), step.length - done);
        WriteRaw(step.offset + done, kZeros, n);
        done += n;
      }
      break;
    case CPSimpleDBWriteStep::kSetLength:
      Stream().SetLength(start_ + step.offset);
      break;
  }
}

// A plan that fails before its commit (a full disk, a size limit: only
// appends make the file longer) changed nothing a walk sees; what it appended
// is cut off again, so that the file ends with whole records and the process
// can go on with it.
void CPSimpleDBBlocsHandler::Execute(const CPSimpleDBWritePlan& plan) {
  const uint32_t before = GetAllBlocsSize();
  bool committing = false;
  try {
    for (const auto& s : plan.prepare) Apply(s);
    if (!plan.commit.empty()) {
      bool journaled = journal_ && NeedsJournal(plan.commit);
      if (journaled) journal_->Begin(plan.commit, *this);
      committing = true;
      for (const auto& s : plan.commit) Apply(s);
      if (journaled) journal_->End(*this);
    }
    for (const auto& s : plan.tidy) Apply(s);
  } catch (...) {
    // The map was updated for the whole plan; part of it did not happen.
    ForgetFreeSpace();
    if (!committing) {
      try {
        if (GetAllBlocsSize() > before) stream_->SetLength(start_ + before);
      } catch (...) {
        // Left to the next opening, which cuts an unfinished append.
      }
    }
    throw;
  }
}

void CPSimpleDBBlocsHandler::ForgetFreeSpace() {
  freeKnown_ = false;
  free_.clear();
  freeTotal_ = 0;
}
