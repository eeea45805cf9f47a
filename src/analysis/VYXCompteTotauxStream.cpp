// The saved form of an account's totals (docs/totaux.md): every value in the
// stream's byte order, the parts between fixed markers so that a damaged or
// foreign stream is found out rather than read as totals.
#include "analysis/VYXAnalysisErrors.h"
#include "analysis/VYXCompteTotaux.h"
#include "foundation/CPException.h"
#include "platform/CPOSErr.h"

namespace {

constexpr uint32_t kVersion = 3;
constexpr uint32_t kMarkerPreload = 0xA5C25F2B;
constexpr uint32_t kMarkerCategories = 0x5C9B8D2A;
constexpr uint32_t kMarkerFiltres = 0x1F596A2F;
constexpr uint32_t kMarkerTresor[kTresorKindCount] = {0x6A8FA5A3, 0x5E76D3A6, 0x4E194F33};
constexpr uint32_t kMarkerTitres = 0x61E8B28C;
constexpr uint32_t kMarkerEnd = 0xA3AB671F;

void ReadExact(CPStream& stream, void* data, long size) {
  long got = size;
  stream.ReadData(data, &got);
  if (got != size) CPThrow(eofErr);
}

void ExpectMarker(CPStream& stream, const CPDataEncoding& encoding, uint32_t marker) {
  uint32_t found = 0;
  long got = 4;
  stream.PeekData(&found, &got);
  if (got == 4) stream.ReadVersion(&found, encoding);
  if (got != 4 || found != marker) {
    CPThrowList(kVYXErrTotauxDamaged, kVYXTotauxErrorsList, kVYXTotauxDamagedItem);
  }
}

// The operation list's data: its item size, then the items as they are.
void PutArray(CPStream& stream, const CPDataEncoding& encoding, const CPArray& array) {
  stream.WriteVersion(array.ItemSize(), encoding);
  stream.WriteVersion(uint32_t(array.Count()), encoding);
  if (array.Count() > 0) {
    stream.WriteData(array.ItemPtr(0), long(array.ItemSize()) * array.Count());
  }
}

CPArray GetArray(CPStream& stream, const CPDataEncoding& encoding) {
  uint32_t itemSize = 0, count = 0;
  stream.ReadVersion(&itemSize, encoding);
  stream.ReadVersion(&count, encoding);
  uint64_t bytes = uint64_t(itemSize) * count;
  if (itemSize == 0 || bytes > stream.GetLength() - stream.GetMarker()) CPThrow(eofErr);
  CPArray array(itemSize);
  std::vector<unsigned char> data(bytes);
  if (bytes) ReadExact(stream, data.data(), long(bytes));
  if (count) array.InsertItemsAt(0, data.data(), int32_t(count));
  return array;
}

}  // namespace

void VYXCompteTotaux::PutTo(CPStream& stream, const CPDataEncoding& encoding) const {
  stream.WriteVersion(kVersion, encoding);
  ExtMontantSet total = categoriesTotal_;
  total.Encode(encoding);
  stream.WriteData(&total, long(sizeof(total)));
  stream.WriteVersion(kMarkerPreload, encoding);
  PutArray(stream, encoding, preloadList_);
  stream.WriteVersion(kMarkerCategories, encoding);
  categories_.PutTo(stream, encoding);
  stream.WriteVersion(kMarkerFiltres, encoding);
  filtresTotaux_.PutTo(stream, encoding);
  for (int k = 0; k < kTresorKindCount; ++k) {
    stream.WriteVersion(kMarkerTresor[k], encoding);
    tresor_[k].PutTo(stream, encoding);
  }
  stream.WriteVersion(kMarkerTitres, encoding);
  titres_.PutTo(stream, encoding);
  stream.WriteVersion(kMarkerEnd, encoding);
}

void VYXCompteTotaux::GetFrom(CPStream& stream, const CPDataEncoding& encoding) {
  uint32_t version = 0;
  long got = 4;
  stream.PeekData(&version, &got);
  if (got != 4) CPThrowList(kVYXErrTotauxDamaged, kVYXTotauxErrorsList, kVYXTotauxDamagedItem);
  stream.ReadVersion(&version, encoding);
  if (version != kVersion) CPThrow(kVYXErrTotauxVersion);

  // Read aside first: a stream that fails half-way leaves the totals as they were.
  ExtMontantSet total;
  ReadExact(stream, &total, long(sizeof(total)));
  total.Decode(encoding);
  ExpectMarker(stream, encoding, kMarkerPreload);
  CPArray preload = GetArray(stream, encoding);
  ExpectMarker(stream, encoding, kMarkerCategories);
  VYXMonthTotalArray categories;
  categories.GetFrom(stream, encoding);
  ExpectMarker(stream, encoding, kMarkerFiltres);
  VYXMonthTotalArray filtres;
  filtres.GetFrom(stream, encoding);
  VYXTresorCumul tresor[kTresorKindCount];
  for (int k = 0; k < kTresorKindCount; ++k) {
    ExpectMarker(stream, encoding, kMarkerTresor[k]);
    tresor[k].GetFrom(stream, encoding);
  }
  ExpectMarker(stream, encoding, kMarkerTitres);
  VYXTitresArray titres;
  titres.GetFrom(stream, encoding);
  ExpectMarker(stream, encoding, kMarkerEnd);

  categoriesTotal_ = total;
  categories_ = categories;
  for (int k = 0; k < kTresorKindCount; ++k) tresor_[k] = tresor[k];
  titres_ = titres;
  preloadList_ = preload;
  preloadGiven_ = false;
  loaded_.on[kTotauxCategories] = loaded_.on[kTotauxTresor] = loaded_.on[kTotauxTitres] = true;
  report_ = compte_.GetReportValues();
  CheckCategoriesItems();
  // The filters' saved totals are not taken: their masks may have changed
  // since. They are counted again when asked for.
  UpdateFilterItems();
}

bool VYXCompteTotaux::GetPreloadListArray(CPArray* array) {
  if (preloadGiven_) return false;
  preloadGiven_ = true;
  *array = preloadList_;
  return true;
}
