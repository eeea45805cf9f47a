#include "userfile/VYXSDBFacturesTable.h"

#include <cstring>

#include "foundation/CPException.h"
#include "simpledb/CPSimpleDBErrors.h"

namespace {

constexpr size_t kFixedPart =
    sizeof(FactureHeader) + 2 * sizeof(FactureAddress) + sizeof(FactureExtra);

// Runs `convert` on each part of a stored layout, in place.
template <class F>
bool ForEachPart(unsigned char* data, size_t size, F convert) {
  if (size < kFixedPart || (size - kFixedPart) % sizeof(LigneFacture) != 0) return false;
  auto part = [&](auto record, size_t at) {
    std::memcpy(&record, data + at, sizeof record);
    convert(record);
    std::memcpy(data + at, &record, sizeof record);
  };
  part(FactureHeader(), 0);
  part(FactureAddress(), sizeof(FactureHeader));
  part(FactureAddress(), sizeof(FactureHeader) + sizeof(FactureAddress));
  part(FactureExtra(), sizeof(FactureHeader) + 2 * sizeof(FactureAddress));
  for (size_t at = kFixedPart; at < size; at += sizeof(LigneFacture)) part(LigneFacture(), at);
  return true;
}

}  // namespace

std::vector<unsigned char> VYXFactureToLayout(const Facture& f) {
  std::vector<unsigned char> out(kFixedPart + f.lignes.size() * sizeof(LigneFacture));
  unsigned char* p = out.data();
  std::memcpy(p, &f.header, sizeof f.header);
  p += sizeof f.header;
  std::memcpy(p, &f.client, sizeof f.client);
  p += sizeof f.client;
  std::memcpy(p, &f.livraison, sizeof f.livraison);
  p += sizeof f.livraison;
  std::memcpy(p, &f.extra, sizeof f.extra);
  p += sizeof f.extra;
  if (!f.lignes.empty()) std::memcpy(p, f.lignes.data(), f.lignes.size() * sizeof(LigneFacture));
  return out;
}

bool VYXFactureFromLayout(const unsigned char* p, size_t size, Facture* f) {
  if (size < kFixedPart || (size - kFixedPart) % sizeof(LigneFacture) != 0) return false;
  std::memcpy(&f->header, p, sizeof f->header);
  p += sizeof f->header;
  std::memcpy(&f->client, p, sizeof f->client);
  p += sizeof f->client;
  std::memcpy(&f->livraison, p, sizeof f->livraison);
  p += sizeof f->livraison;
  std::memcpy(&f->extra, p, sizeof f->extra);
  p += sizeof f->extra;
  f->lignes.resize((size - kFixedPart) / sizeof(LigneFacture));
  if (!f->lignes.empty()) std::memcpy(f->lignes.data(), p, f->lignes.size() * sizeof(LigneFacture));
  return true;
}

void VYXSDBFacturesHandler::EncodeData(const CPSimpleDBDataInfo&, void* data, CPDataSize size,
                                       const CPDataEncoding& e) {
  if (!ForEachPart(static_cast<unsigned char*>(data), size, [&](auto& r) { r.Encode(e); }))
    CPThrow(kSDBErrBadSize);
}

void VYXSDBFacturesHandler::DecodeData(const CPSimpleDBDataInfo&, void* data, CPDataSize size,
                                       const CPDataEncoding& e) {
  if (!ForEachPart(static_cast<unsigned char*>(data), size, [&](auto& r) { r.Decode(e); }))
    CPThrow(kSDBErrBadSize);
}

const std::vector<DataID>& VYXSDBFacturesHandler::List() {
  if (!stale_) return list_;
  list_.clear();
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  for (bool more = GetFirstData(&info, &refnum); more; more = GetNextData(&info, &refnum)) {
    list_.push_back(info.dataID);
  }
  std::sort(list_.begin(), list_.end());
  stale_ = false;
  return list_;
}

bool VYXSDBFacturesHandler::Read(DataID dataID, Facture* facture) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  if (!GetDataRefnum(dataID, &info, &refnum) || info.type != kVYXFacturesTable) return false;
  std::vector<unsigned char> layout(GetDataSize(refnum));
  GetData(refnum, &info, nullptr, layout.data(), layout.size());
  if (!VYXFactureFromLayout(layout.data(), layout.size(), facture)) CPThrow(kSDBErrBadSize);
  // The record's own identity wins over what a damaged or older copy says.
  Identify(dataID, *facture);
  return true;
}

void VYXSDBFacturesHandler::Identify(DataID dataID, Facture& facture) {
  facture.header.header.dataID = dataID;
  DataID number = 0;
  for (LigneFacture& ligne : facture.lignes) {
    ligne.facture = dataID;
    ligne.header.dataID = ++number;
  }
}

DataID VYXSDBFacturesHandler::Add(Facture& facture) {
  DataID dataID = GetProvider()->GetNewID();
  Identify(dataID, facture);
  std::vector<unsigned char> layout = VYXFactureToLayout(facture);
  CPSimpleDBDataInfo info = NewInfo();
  CPSimpleDBRefnum refnum = 0;
  AddData(&info, CPHostEncoding, layout.data(), layout.size(), &refnum, dataID);
  return dataID;
}

void VYXSDBFacturesHandler::Modify(DataID dataID, Facture& facture) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  if (!GetDataRefnum(dataID, &info, &refnum) || info.type != kVYXFacturesTable) {
    CPThrow(kSDBErrFreeRecord);
  }
  Identify(dataID, facture);
  std::vector<unsigned char> layout = VYXFactureToLayout(facture);
  CPSimpleDBRefnum moved = 0;
  ModifyData(refnum, &info, CPHostEncoding, layout.data(), layout.size(), &moved);
}

void VYXSDBFacturesHandler::Delete(DataID dataID) {
  CPSimpleDBDataInfo info;
  CPSimpleDBRefnum refnum = 0;
  if (!GetDataRefnum(dataID, &info, &refnum) || info.type != kVYXFacturesTable) return;
  DeleteData(refnum, info);
}
