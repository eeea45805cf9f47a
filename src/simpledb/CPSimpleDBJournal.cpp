#include "simpledb/CPSimpleDBJournal.h"

#include <cstring>

#include "foundation/CPDataEncoding.h"
#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBBlocsHandler.h"
#include "simpledb/CPSimpleDBFormat.h"

namespace {

constexpr OSType kMarker = CPFourCC("vjnl");
constexpr uint32_t kVersion = 1;
constexpr uint32_t kAreaHeader = 24;  // marker, version, length, tail, hash (8)

uint32_t Get32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Put32(std::vector<unsigned char>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}
uint64_t Hash(const unsigned char* p, size_t n) {
  uint64_t h = 0xcbf29ce484222325ull;  // FNV-1a
  for (size_t i = 0; i < n; ++i) h = (h ^ p[i]) * 0x100000001b3ull;
  return h;
}

std::vector<unsigned char> Serialize(const std::vector<CPSimpleDBWriteStep>& steps) {
  std::vector<unsigned char> out;
  for (const auto& s : steps) {
    out.push_back(s.kind);
    out.insert(out.end(), 3, 0);
    Put32(out, s.offset);
    Put32(out, s.Length());
    if (s.kind == CPSimpleDBWriteStep::kWrite) {
      out.insert(out.end(), s.bytes.begin(), s.bytes.end());
      out.insert(out.end(), (4 - s.bytes.size() % 4) % 4, 0);
    }
  }
  return out;
}

bool Parse(const std::vector<unsigned char>& in, std::vector<CPSimpleDBWriteStep>* steps) {
  for (size_t p = 0; p < in.size();) {
    if (in.size() - p < 12) return false;
    CPSimpleDBWriteStep s;
    uint8_t kind = in[p];
    if (kind < CPSimpleDBWriteStep::kWrite || kind > CPSimpleDBWriteStep::kSetLength) return false;
    s.kind = static_cast<CPSimpleDBWriteStep::Kind>(kind);
    s.offset = Get32(&in[p + 4]);
    s.length = Get32(&in[p + 8]);
    p += 12;
    if (s.kind == CPSimpleDBWriteStep::kWrite) {
      size_t padded = (size_t(s.length) + 3) / 4 * 4;
      if (in.size() - p < padded) return false;
      s.bytes.assign(in.begin() + p, in.begin() + p + s.length);
      p += padded;
    }
    steps->push_back(std::move(s));
  }
  return true;
}

void WriteArea(CPStream& stream, const void* data, uint32_t count) {
  stream.SetMarker(static_cast<int32_t>(kSDBJournalOffset), kCPFromStart);
  stream.WriteData(data, static_cast<long>(count));
}

void ClearArea(CPStream& stream, uint32_t count) {
  std::vector<unsigned char> zeros(count, 0);
  WriteArea(stream, zeros.data(), count);
}

struct Found {
  CPSimpleDBHeaderJournal::State state = CPSimpleDBHeaderJournal::kNone;
  std::vector<CPSimpleDBWriteStep> steps;
  uint32_t areaUsed = 0;
  uint32_t tail = 0;
};

Found Read(const CPSimpleDBBlocsHandler& blocs) {
  Found f;
  CPStream& stream = *blocs.GetStream();
  if (stream.GetLength() < kSDBHeaderAreaSize) return f;
  unsigned char head[kAreaHeader];
  stream.SetMarker(static_cast<int32_t>(kSDBJournalOffset), kCPFromStart);
  stream.ReadData(head, static_cast<long>(kAreaHeader));
  if (CPReadCode(head) != kMarker || Get32(head + 4) != kVersion) return f;
  uint32_t length = Get32(head + 8);
  f.tail = Get32(head + 12);
  uint64_t hash;
  std::memcpy(&hash, head + 16, 8);
  hash = std::endian::native == std::endian::little ? hash : CPSwap64(hash);
  std::vector<unsigned char> payload(length);
  if (f.tail == 0) {
    if (length > kSDBJournalAreaSize - kAreaHeader) return f;
    stream.ReadData(payload.data(), static_cast<long>(length));
    f.areaUsed = kAreaHeader + length;
  } else {
    f.areaUsed = kAreaHeader;
    uint64_t at = uint64_t(f.tail - 1) + kSDBDataHeaderSize;
    if (at + length > blocs.GetAllBlocsSize()) {
      // Only End cuts the tail record away, after every write was applied.
      f.state = CPSimpleDBHeaderJournal::kDone;
      return f;
    }
    stream.SetMarker(static_cast<int32_t>(blocs.GetStart() + at), kCPFromStart);
    stream.ReadData(payload.data(), static_cast<long>(length));
  }
  // A Begin cut short leaves a hash that does not match: nothing was applied.
  if (Hash(payload.data(), payload.size()) != hash || !Parse(payload, &f.steps)) return f;
  f.state = CPSimpleDBHeaderJournal::kPending;
  return f;
}

}  // namespace

void CPSimpleDBHeaderJournal::Begin(const std::vector<CPSimpleDBWriteStep>& commit,
                                    CPSimpleDBBlocsHandler& blocs) {
  std::vector<unsigned char> payload = Serialize(commit);
  std::vector<unsigned char> area;
  Put32(area, 0);
  CPWriteCode(area.data(), kMarker);
  Put32(area, kVersion);
  Put32(area, static_cast<uint32_t>(payload.size()));
  uint64_t hash = Hash(payload.data(), payload.size());
  tail_ = 0;
  if (kAreaHeader + payload.size() > kSDBJournalAreaSize) {
    // Too big for the area: the payload goes in a free record past the end.
    uint32_t size = blocs.GetAllBlocsSize();
    uint32_t count = CPSimpleDBBlocsFor(static_cast<uint32_t>(payload.size()));
    std::vector<unsigned char> record(size_t(count) * kSDBBlocSize, 0);
    CPEncodeDataHeader(CPSimpleDBDataHeader::Free(count), record.data());
    std::memcpy(record.data() + kSDBDataHeaderSize, payload.data(), payload.size());
    blocs.Apply(
        CPSimpleDBWriteStep::Write(size, record.data(), static_cast<uint32_t>(record.size())));
    tail_ = size + 1;
    payload.clear();
  }
  Put32(area, tail_);
  for (int i = 0; i < 8; ++i) area.push_back(uint8_t(hash >> (8 * i)));
  area.insert(area.end(), payload.begin(), payload.end());
  used_ = static_cast<uint32_t>(area.size());
  WriteArea(*blocs.GetStream(), area.data(), used_);
}

void CPSimpleDBHeaderJournal::End(CPSimpleDBBlocsHandler& blocs) {
  if (tail_) blocs.Apply(CPSimpleDBWriteStep::SetLength(tail_ - 1));
  tail_ = 0;
  // The marker is the first byte cleared, so a cut-short clear still clears it.
  ClearArea(*blocs.GetStream(), used_);
  used_ = 0;
}

CPSimpleDBHeaderJournal::State CPSimpleDBHeaderJournal::Inspect(
    const CPSimpleDBBlocsHandler& blocs) {
  return Read(blocs).state;
}

bool CPSimpleDBHeaderJournal::Recover(CPSimpleDBBlocsHandler& blocs) {
  Found f = Read(blocs);
  if (f.state == kNone) return false;
  for (const auto& s : f.steps) blocs.Apply(s);
  if (f.tail && f.state == kPending) blocs.Apply(CPSimpleDBWriteStep::SetLength(f.tail - 1));
  ClearArea(*blocs.GetStream(), f.areaUsed);
  blocs.ForgetFreeSpace();
  return true;
}

CPSimpleDBRecovery CPSimpleDBRecover(CPSimpleDBBlocsHandler& blocs) {
  CPSimpleDBRecovery r;
  r.changeFinished = CPSimpleDBHeaderJournal::Recover(blocs);
  blocs.Scan(
      [](CPSimpleDBRefnum, const CPSimpleDBDataHeader&, const CPDataEncoding&) { return true; },
      &r.tornTail);
  if (r.tornTail) blocs.SetNbOfBlocs(r.tornTail - 1);
  return r;
}
