// Where records go: first-fit placement, rewriting in place or elsewhere,
// freeing with merging, moves, and the replay of changes decided elsewhere.
// Each operation builds a write plan whose order keeps every intermediate state
// walkable (see CPSimpleDBWritePlan.h); the comments say why each order holds.
#include <algorithm>
#include <cstring>

#include "foundation/CPException.h"
#include "foundation/CPFileRollback.h"
#include "simpledb/CPSimpleDBBlocsHandler.h"
#include "simpledb/CPSimpleDBErrors.h"

using Step = CPSimpleDBWriteStep;

// ---- free space

bool CPSimpleDBBlocsHandler::KeepsLength() { return CPFileRollback::Current() != nullptr; }

bool CPSimpleDBBlocsHandler::TrimFreeTail() {
  if (!freeTail_) return false;
  freeTail_ = false;
  KnowFreeSpace();
  const uint32_t nb = GetNbOfBlocs();
  CPSimpleDBRefnum start = nb + 1;
  for (auto it = free_.rbegin(); it != free_.rend() && it->first + it->second == start; ++it) {
    start = it->first;
  }
  if (start > nb) return false;
  SetNbOfBlocs(start - 1);
  return true;
}

void CPSimpleDBBlocsHandler::KnowFreeSpace() {
  if (freeKnown_) return;
  std::map<CPSimpleDBRefnum, uint32_t> found;
  uint64_t total = 0;
  const CPSimpleDBBlocsHandler& walked =
      mirror_ && mirror_->GetAllBlocsSize() == GetAllBlocsSize() ? *mirror_ : *this;
  walked.Scan([&](CPSimpleDBRefnum r, const CPSimpleDBDataHeader& h, const CPDataEncoding&) {
    if (h.info.IsFree()) {
      uint32_t n = CPSimpleDBBlocsFor(h.size);
      found.emplace_hint(found.end(), r, n);
      total += n;
    }
    return true;
  });
  free_ = std::move(found);
  freeTotal_ = total;
  freeKnown_ = true;
}

uint32_t CPSimpleDBBlocsHandler::FreeRunAt(CPSimpleDBRefnum refnum, uint32_t nb,
                                           uint32_t* records) const {
  uint64_t sum = 0;
  uint32_t n = 0;
  uint64_t p = refnum;
  while (p <= nb) {
    uint32_t blocs;
    if (freeKnown_) {
      auto it = free_.find(static_cast<CPSimpleDBRefnum>(p));
      if (it == free_.end()) break;
      blocs = it->second;
    } else {
      CPSimpleDBDataHeader h = ReadHeader(static_cast<CPSimpleDBRefnum>(p));
      if (!h.info.IsFree()) break;
      blocs = CPSimpleDBBlocsFor(h.size);
    }
    sum += blocs;
    p += blocs;
    ++n;
  }
  if (records) *records = n;
  return static_cast<uint32_t>(std::min<uint64_t>(sum, UINT32_MAX));
}

uint32_t CPSimpleDBBlocsHandler::FreeBlocsAt(CPSimpleDBRefnum refnum) const {
  if (freeKnown_) {
    auto it = free_.find(refnum);
    return it == free_.end() ? 0 : it->second;
  }
  CPSimpleDBDataHeader h = ReadHeader(refnum);
  return h.info.IsFree() ? CPSimpleDBBlocsFor(h.size) : 0;
}

void CPSimpleDBBlocsHandler::NoteUsed(CPSimpleDBRefnum from, CPSimpleDBRefnum to) {
  if (!freeKnown_ || from >= to) return;
  auto first = free_.lower_bound(from), last = free_.lower_bound(to);
  for (auto it = first; it != last; ++it) freeTotal_ -= it->second;
  free_.erase(first, last);
}

void CPSimpleDBBlocsHandler::NoteFree(CPSimpleDBRefnum refnum, uint32_t count) {
  if (!freeKnown_) return;
  auto [it, added] = free_.emplace(refnum, count);
  if (!added) {
    freeTotal_ -= it->second;
    it->second = count;
  }
  freeTotal_ += count;
}

bool CPSimpleDBBlocsHandler::FindFreeBlocs(uint32_t count, CPSimpleDBRefnum* refnum,
                                           uint32_t* available) {
  KnowFreeSpace();
  if (freeTotal_ < count) return false;
  // A run is a free record and the free records right after it; the walk
  // that visits a later record of the same run would find less room.
  for (auto it = free_.begin(); it != free_.end();) {
    CPSimpleDBRefnum start = it->first;
    uint64_t run = 0, next = start;
    while (it != free_.end() && it->first == next) {
      run += it->second;
      next += it->second;
      ++it;
    }
    if (run >= count) {
      *refnum = start;
      *available = static_cast<uint32_t>(run);
      return true;
    }
  }
  return false;
}

uint32_t CPSimpleDBBlocsHandler::GetMaxFreeBlocs(CPSimpleDBRefnum refnum) {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  uint32_t own = CPSimpleDBBlocsFor(ReadHeader(refnum).size);
  if (uint64_t(refnum) + own - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  return own + FreeRunAt(refnum + own, nb);
}

// ---- images

void CPSimpleDBBlocsHandler::BuildImage(CPSimpleDBDataHeader& header, const void* data,
                                        uint32_t size, uint32_t count) {
  header.magic = kSDBDataMagic;
  header.size = size;
  header.checksum = GetCheckSum(data, size);
  image_.assign(size_t(count) * kSDBBlocSize, 0);
  CPEncodeDataHeader(header, image_.data());
  if (size) std::memcpy(image_.data() + kSDBDataHeaderSize, data, size);
}

std::vector<unsigned char> CPSimpleDBBlocsHandler::FreeHeaderBytes(uint32_t count) {
  std::vector<unsigned char> b(kSDBDataHeaderSize);
  CPEncodeDataHeader(CPSimpleDBDataHeader::Free(count), b.data());
  return b;
}

// ---- plans

// The record in image_ goes at `refnum`, the first free record of a run of
// `available` blocks. Until its header is written a walk must keep skipping the
// whole run, so: first one free header over the run when it was several free
// records (the writes below would clobber their headers), then the remainder's
// header and zeros, then the data, and the record's header last.
void CPSimpleDBBlocsHandler::PlanPlace(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum,
                                       uint32_t available, uint32_t count, bool liveHeaderLast) {
  uint32_t nb = GetNbOfBlocs();
  uint32_t records = 0;
  FreeRunAt(refnum, nb, &records);
  if (records != 1) {
    plan.prepare.push_back(
        Step::Write(Offset(refnum), FreeHeaderBytes(available).data(), kSDBDataHeaderSize));
  }
  if (available > count) {
    CPSimpleDBRefnum rest = refnum + count;
    uint32_t restBlocs = available - count;
    plan.prepare.push_back(
        Step::Write(Offset(rest), FreeHeaderBytes(restBlocs).data(), kSDBDataHeaderSize));
    PlanZeros(plan.prepare, Offset(rest) + kSDBDataHeaderSize,
              restBlocs * kSDBBlocSize - kSDBDataHeaderSize);
  }
  auto size = static_cast<uint32_t>(image_.size());
  if (!liveHeaderLast && SinglePage(Offset(refnum), size)) {
    plan.commit.push_back(Step::Write(Offset(refnum), image_.data(), size));
  } else {
    plan.prepare.push_back(Step::Write(Offset(refnum) + kSDBDataHeaderSize,
                                       image_.data() + kSDBDataHeaderSize,
                                       size - kSDBDataHeaderSize));
    plan.commit.push_back(Step::Write(Offset(refnum), image_.data(), kSDBDataHeaderSize));
  }
  NoteUsed(refnum, refnum + available);
  if (available > count) NoteFree(refnum + count, available - count);
}

// An append is one write past the end: whatever part of it reaches the disk,
// the walk either ends before it or finds a header whose run passes the end,
// which the next opening cuts off. When the record replaces another one, it is
// first appended as a free record and made live by the commit, together with
// the freeing of the old copy, so that a walk never meets both.
void CPSimpleDBBlocsHandler::PlanAppend(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum,
                                        uint32_t count, bool liveHeaderLast) {
  auto size = static_cast<uint32_t>(image_.size());
  if (!liveHeaderLast) {
    plan.prepare.push_back(Step::Write(Offset(refnum), image_.data(), size));
    return;
  }
  Step first = Step::Write(Offset(refnum), image_.data(), size);
  std::vector<unsigned char> free = FreeHeaderBytes(count);
  std::copy(free.begin(), free.end(), first.bytes.begin());
  plan.prepare.push_back(std::move(first));
  plan.commit.push_back(Step::Write(Offset(refnum), image_.data(), kSDBDataHeaderSize));
}

// Rewriting in place overwrites the only copy of the record: the commit holds
// the whole new image (and the remainder's header), so that it is either a
// single write within one page or goes through the journal.
void CPSimpleDBBlocsHandler::PlanInPlace(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum,
                                         uint32_t oldCount, uint32_t count, uint32_t nb) {
  uint32_t records = 0;
  uint32_t follow = FreeRunAt(refnum + oldCount, nb, &records);
  uint32_t available = oldCount + follow;
  if (count > available) CPSimpleDBThrowAt(kSDBErrNoFit, refnum);
  PlanImageWrites(plan.commit, refnum);
  uint32_t rest = available - count;
  // Same size followed by one free record: that record is already the remainder.
  if (rest && !(count == oldCount && records == 1)) {
    CPSimpleDBRefnum at = refnum + count;
    plan.commit.push_back(
        Step::Write(Offset(at), FreeHeaderBytes(rest).data(), kSDBDataHeaderSize));
    plan.tidy.push_back(
        Step::Zero(Offset(at) + kSDBDataHeaderSize, rest * kSDBBlocSize - kSDBDataHeaderSize));
  }
  NoteUsed(refnum, refnum + available);
  if (rest) NoteFree(refnum + count, rest);
}

// A large record rewritten where it stands, a saved index with one more item
// say, mostly holds the bytes it held: writing (and recording in the pending-
// change area) only the runs that differ makes the rewrite cost what changed.
// The bytes left out are equal on disk, so every state a crash can leave is
// the same as with the whole image. A record within one page keeps its single
// write, which needs no pending-change area.
void CPSimpleDBBlocsHandler::PlanImageWrites(std::vector<CPSimpleDBWriteStep>& steps,
                                             CPSimpleDBRefnum refnum) {
  const auto size = static_cast<uint32_t>(image_.size());
  const uint32_t at = Offset(refnum);
  if (memory_ || SinglePage(at, size)) {
    steps.push_back(Step::Write(at, image_.data(), size));
    return;
  }
  std::vector<unsigned char> old(size);
  ReadRaw(at, old.data(), size);
  // Runs closer than this are written as one: a write costs more than the
  // few equal bytes between them.
  constexpr uint32_t kGap = 64;
  uint32_t i = 0;
  while (i < size) {
    while (i < size && image_[i] == old[i]) ++i;
    if (i == size) break;
    uint32_t end = i + 1, equal = 0;
    for (uint32_t j = end; j < size && equal < kGap; ++j) {
      if (image_[j] == old[j]) {
        ++equal;
      } else {
        equal = 0;
        end = j + 1;
      }
    }
    steps.push_back(Step::Write(at + i, image_.data() + i, end - i));
    i = end;
  }
}

// What remains of a free run after a record took its start is mostly zeros
// already (the data of the free record it was): a record placed in the large
// run a moved index left behind would otherwise write it all again. Only the
// runs that are not zero on disk (old bytes a crash left before their
// clearing) are cleared.
void CPSimpleDBBlocsHandler::PlanZeros(std::vector<CPSimpleDBWriteStep>& steps, uint32_t offset,
                                       uint32_t length) {
  if (memory_ || length <= 4096) {  // one page: reading costs what writing does
    steps.push_back(Step::Zero(offset, length));
    return;
  }
  std::vector<unsigned char> now(length);
  ReadRaw(offset, now.data(), length);
  uint32_t i = 0;
  while (i < length) {
    while (i < length && now[i] == 0) ++i;
    if (i == length) break;
    uint32_t end = i + 1, zeros = 0;
    for (uint32_t j = end; j < length && zeros < 64; ++j) {
      if (now[j] == 0) {
        ++zeros;
      } else {
        zeros = 0;
        end = j + 1;
      }
    }
    steps.push_back(Step::Zero(offset + i, end - i));
    i = end;
  }
}

// The freed record and the free records after it become one free record; its
// header goes first (one write of 44 bytes at a block start, never torn) and
// the zeros after, inside what is now free. A run that reaches the end of the
// file is cut instead.
uint32_t CPSimpleDBBlocsHandler::PlanFree(CPSimpleDBWritePlan& plan, CPSimpleDBRefnum refnum,
                                          uint32_t nb, CPSimpleDBRefnum liveRefnum) {
  CheckRefnum(refnum, nb);
  CPSimpleDBDataHeader h = ReadHeader(refnum);
  uint64_t count = CPSimpleDBBlocsFor(h.size);
  if (refnum + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  bool lastWasFree = h.info.IsFree();
  uint64_t p = refnum + count;
  // A record appended for this change is not on disk yet: never read there.
  auto limit =
      static_cast<uint32_t>(liveRefnum > refnum ? std::min<uint64_t>(nb, liveRefnum - 1) : nb);
  while (p <= nb) {
    if (p == liveRefnum) {
      lastWasFree = false;
      break;
    }
    uint32_t records = 0;
    uint32_t blocs = FreeRunAt(static_cast<CPSimpleDBRefnum>(p), limit, &records);
    if (records == 0) {
      lastWasFree = false;
      break;
    }
    // A record placed elsewhere for this change is never inside that run:
    // free room right after the record would have let it grow in place.
    count += blocs;
    p += blocs;
    lastWasFree = true;
  }
  if (!KeepsLength() && (nb == refnum || (p > nb && lastWasFree))) {
    plan.commit.push_back(Step::SetLength(Offset(refnum)));
    NoteUsed(refnum, UINT32_MAX);
    return 0;
  }
  auto n = static_cast<uint32_t>(count);
  if (p > nb) freeTail_ = true;
  plan.commit.push_back(Step::Write(Offset(refnum), FreeHeaderBytes(n).data(), kSDBDataHeaderSize));
  plan.tidy.push_back(
      Step::Zero(Offset(refnum) + kSDBDataHeaderSize, n * kSDBBlocSize - kSDBDataHeaderSize));
  NoteUsed(refnum, refnum + n);
  NoteFree(refnum, n);
  return n;
}

// ---- operations

void CPSimpleDBBlocsHandler::AddData(CPSimpleDBDataHeader& header, const void* data, uint32_t size,
                                     CPSimpleDBRefnum* refnum, bool fastAdd) {
  if (header.info.dataID == 0) CPThrow(kSDBErrNoDataID);
  uint32_t bytes = GetAllBlocsSize();
  if (bytes % kSDBBlocSize) CPThrow(kSDBErrAddNotWholeBlocs);
  uint32_t count = CPSimpleDBBlocsFor(size);
  BuildImage(header, data, size, count);
  CPSimpleDBWritePlan plan;
  CPSimpleDBRefnum r;
  uint32_t available;
  if (!fastAdd && FindFreeBlocs(count, &r, &available)) {
    PlanPlace(plan, r, available, count, false);
  } else {
    r = bytes / kSDBBlocSize + 1;
    PlanAppend(plan, r, count, false);
  }
  Execute(plan);
  *refnum = r;
}

// A record that ends the data area (with nothing but free records after it)
// grows where it stands: the blocks it lacks are first appended as a free
// record, a change of its own that a crash leaves whole or cut off, and the
// rewrite in place then takes them. Moving it instead would write it whole
// at the end and leave its old blocks as a hole: the saved index, written
// last and grown by one item per addition, would move at every few closes.
bool CPSimpleDBBlocsHandler::GrowAtEnd(CPSimpleDBRefnum refnum, uint32_t oldCount,
                                       uint32_t count) {
  const uint32_t nb = GetNbOfBlocs();
  const uint64_t have = uint64_t(oldCount) + FreeRunAt(refnum + oldCount, nb);
  if (count <= have || refnum + have - 1 != nb) return false;
  const auto missing = static_cast<uint32_t>(count - have);
  std::vector<unsigned char> free(size_t(missing) * kSDBBlocSize, 0);
  const std::vector<unsigned char> header = FreeHeaderBytes(missing);
  std::memcpy(free.data(), header.data(), kSDBDataHeaderSize);
  CPSimpleDBWritePlan plan;
  plan.prepare.push_back(Step::Write(Offset(nb + 1), free.data(), static_cast<uint32_t>(free.size())));
  Execute(plan);
  NoteFree(nb + 1, missing);
  return true;
}

void CPSimpleDBBlocsHandler::ModifyData(CPSimpleDBRefnum refnum, CPSimpleDBDataHeader& header,
                                        const void* data, uint32_t size,
                                        CPSimpleDBRefnum* newRefnum) {
  if (header.info.dataID == 0) CPThrow(kSDBErrNoDataID);
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  uint32_t oldCount = CPSimpleDBBlocsFor(ReadHeader(refnum).size);
  if (uint64_t(refnum) + oldCount - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  uint32_t count = CPSimpleDBBlocsFor(size);
  BuildImage(header, data, size, count);
  CPSimpleDBWritePlan plan;
  if (GrowAtEnd(refnum, oldCount, count)) nb = GetNbOfBlocs();
  if (count <= oldCount + FreeRunAt(refnum + oldCount, nb)) {
    PlanInPlace(plan, refnum, oldCount, count, nb);
    *newRefnum = refnum;
  } else {
    CPSimpleDBRefnum to;
    uint32_t available, nbAfter = nb;
    if (FindFreeBlocs(count, &to, &available)) {
      PlanPlace(plan, to, available, count, true);
    } else {
      to = nb + 1;
      nbAfter = nb + count;
      PlanAppend(plan, to, count, true);
    }
    PlanFree(plan, refnum, nbAfter, to);
    *newRefnum = to;
  }
  Execute(plan);
}

uint32_t CPSimpleDBBlocsHandler::MakeFreeBlocs(CPSimpleDBRefnum refnum) {
  uint32_t nb = GetNbOfBlocs();
  CPSimpleDBWritePlan plan;
  uint32_t n = PlanFree(plan, refnum, nb, 0);
  Execute(plan);
  return n;
}

void CPSimpleDBBlocsHandler::WriteFreeBlocs(CPSimpleDBRefnum refnum, uint32_t count) {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(refnum, nb);
  if (count == 0 || uint64_t(refnum) + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
  if (uint64_t(refnum) + count - 1 == nb) freeTail_ = true;
  CPSimpleDBWritePlan plan;
  plan.commit.push_back(
      Step::Write(Offset(refnum), FreeHeaderBytes(count).data(), kSDBDataHeaderSize));
  plan.tidy.push_back(
      Step::Zero(Offset(refnum) + kSDBDataHeaderSize, count * kSDBBlocSize - kSDBDataHeaderSize));
  NoteUsed(refnum, refnum + count);
  NoteFree(refnum, count);
  Execute(plan);
}

// The copy may overlap the original (a gap smaller than the record), so the
// commit carries the whole image and the free record that replaces the rest:
// through the journal, the record is at exactly one of its two places.
void CPSimpleDBBlocsHandler::MoveData(CPSimpleDBRefnum from, CPSimpleDBRefnum to) {
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(from, nb);
  CheckRefnum(to, nb);
  if (from == to) return;
  if (to > from) CPSimpleDBThrowAt(kSDBErrNoFit, to);
  uint32_t count = CPSimpleDBBlocsFor(ReadHeader(from).size);
  if (uint64_t(from) + count - 1 > nb) CPSimpleDBThrowAt(kSDBErrBadRefnum, from);
  for (uint64_t p = to; p < from;) {  // free records must cover exactly [to, from)
    uint32_t blocs = FreeBlocsAt(static_cast<CPSimpleDBRefnum>(p));
    if (blocs == 0 || p + blocs > from) CPSimpleDBThrowAt(kSDBErrNoFit, to);
    p += blocs;
  }
  image_.resize(size_t(count) * kSDBBlocSize);
  ReadRun(from, count, image_.data());
  uint32_t gap = from - to;
  CPSimpleDBWritePlan plan;
  plan.commit.push_back(
      Step::Write(Offset(to), image_.data(), static_cast<uint32_t>(image_.size())));
  plan.commit.push_back(
      Step::Write(Offset(to + count), FreeHeaderBytes(gap).data(), kSDBDataHeaderSize));
  plan.tidy.push_back(
      Step::Zero(Offset(to + count) + kSDBDataHeaderSize, gap * kSDBBlocSize - kSDBDataHeaderSize));
  NoteUsed(to, from + count);
  NoteFree(to + count, gap);
  Execute(plan);
}

// ---- replay at given refnums

void CPSimpleDBBlocsHandler::DataAdded(CPSimpleDBDataHeader& header, CPSimpleDBRefnum refnum,
                                       const void* data, uint32_t size) {
  if (header.info.dataID == 0) CPThrow(kSDBErrNoDataID);
  uint32_t bytes = GetAllBlocsSize();
  if (bytes % kSDBBlocSize) CPThrow(kSDBErrAddNotWholeBlocs);
  uint32_t nb = bytes / kSDBBlocSize;
  uint32_t count = CPSimpleDBBlocsFor(size);
  BuildImage(header, data, size, count);
  CPSimpleDBWritePlan plan;
  if (refnum > nb) {
    if (refnum != nb + 1) CPSimpleDBThrowAt(kSDBErrBadRefnum, refnum);
    PlanAppend(plan, refnum, count, false);
  } else {
    CheckRefnum(refnum, nb);
    if (FreeBlocsAt(refnum) == 0) CPSimpleDBThrowAt(kSDBErrNoFit, refnum);
    uint32_t available = FreeRunAt(refnum, nb);
    if (count > available) CPSimpleDBThrowAt(kSDBErrNoFit, refnum);
    PlanPlace(plan, refnum, available, count, false);
  }
  Execute(plan);
}

void CPSimpleDBBlocsHandler::DataModified(CPSimpleDBDataHeader& header, CPSimpleDBRefnum oldRefnum,
                                          CPSimpleDBRefnum newRefnum, const void* data,
                                          uint32_t size) {
  if (header.info.dataID == 0) CPThrow(kSDBErrNoDataID);
  uint32_t nb = GetNbOfBlocs();
  CheckRefnum(oldRefnum, nb);
  uint32_t oldCount = CPSimpleDBBlocsFor(ReadHeader(oldRefnum).size);
  uint32_t count = CPSimpleDBBlocsFor(size);
  BuildImage(header, data, size, count);
  CPSimpleDBWritePlan plan;
  if (oldRefnum == newRefnum) {
    if (GrowAtEnd(oldRefnum, oldCount, count)) nb = GetNbOfBlocs();
    PlanInPlace(plan, oldRefnum, oldCount, count, nb);
  } else if (newRefnum > nb) {
    if (newRefnum != nb + 1) CPSimpleDBThrowAt(kSDBErrBadRefnum, newRefnum);
    PlanAppend(plan, newRefnum, count, true);
    PlanFree(plan, oldRefnum, nb + count, newRefnum);
  } else {
    if (FreeBlocsAt(newRefnum) == 0) CPSimpleDBThrowAt(kSDBErrNoFit, newRefnum);
    uint32_t available = FreeRunAt(newRefnum, nb);
    if (count > available) CPSimpleDBThrowAt(kSDBErrNoFit, newRefnum);
    PlanPlace(plan, newRefnum, available, count, true);
    PlanFree(plan, oldRefnum, nb, newRefnum);
  }
  Execute(plan);
}
