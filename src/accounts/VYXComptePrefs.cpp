#include "accounts/VYXComptePrefs.h"

#include <cstring>

#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"

const VYXComptePrefSpec kVYXComptePrefSpecs[] = {
    {kVYXBanqueInfosID, 650, "Banque"},
    {kVYXCompteDefaultValuesID, sizeof(VYXCompteDefaultValues),
     "Valeurs par d\x8e"
     "faut"},
    {kVYXUserAddressID, 406, "Identit\x8e"},
    {kVYXCompteListPrefsID, 52,
     "Liste des op\x8e"
     "rations"},
    {1001, 20, "Bilan"},
    {1038, 22, "Affectations"},
    {1039, 22, "BilanCroise"},
    {1009, 22, "Filtres"},
    {1005, 28, "Tr\x8esorerie"},
    {1011, 20, "Portefeuille"},
    {1006, 34, "Internet"},
    {1002, 2, "Notes"},
    {kVYXEcheancierPrefsID, 40,
     "Ech\x8e"
     "ancier"},
    {kVYXListGroupPrefsID, kCPVariableSize, "Regroupements"},
};
const int kVYXComptePrefCount = int(sizeof kVYXComptePrefSpecs / sizeof kVYXComptePrefSpecs[0]);

VYXComptePrefs::VYXComptePrefs() {
  for (const VYXComptePrefSpec& layout : kVYXComptePrefSpecs) {
    if (layout.id == kVYXCompteDefaultValuesID) continue;
    records_[layout.id].bytes.assign(layout.size == kCPVariableSize ? 0 : layout.size, 0);
  }
}

const VYXComptePrefSpec* VYXComptePrefs::Find(CPResID id) {
  for (const VYXComptePrefSpec& layout : kVYXComptePrefSpecs) {
    if (layout.id == id) return &layout;
  }
  return nullptr;
}

void VYXComptePrefs::Load(CPResourceSet& set) {
  for (const VYXComptePrefSpec& layout : kVYXComptePrefSpecs) {
    if (!set.ResourceExists(layout.id)) continue;
    uint32_t stored = set.GetResourceSize(layout.id);
    std::vector<unsigned char> bytes(stored);
    CPDataEncoding encoding;
    bytes.resize(set.GetResource(layout.id, &encoding, bytes.data(), stored));
    if (layout.id == kVYXCompteDefaultValuesID) {
      VYXCompteDefaultValues values;
      // A short record keeps the defaults of the fields it lacks.
      values.Encode(encoding);
      std::memcpy(&values, bytes.data(), std::min<size_t>(bytes.size(), sizeof values));
      values.Decode(encoding);
      defaults_ = values;
      continue;
    }
    if (layout.size != kCPVariableSize) bytes.resize(layout.size, 0);
    records_[layout.id] = Record{std::move(bytes), encoding};
  }
}

void VYXComptePrefs::Save(CPResourceSet& set, CPResID id) const {
  const VYXComptePrefSpec* layout = Find(id);
  if (!layout) CPThrow(paramErr);
  Str255 name;
  StdToP(layout->name, name);
  const void* data;
  uint32_t size;
  CPDataEncoding encoding = CPHostEncoding;
  if (id == kVYXCompteDefaultValuesID) {
    data = &defaults_;
    size = sizeof defaults_;
  } else {
    const Record& record = records_.at(id);
    data = record.bytes.data();
    size = uint32_t(record.bytes.size());
    encoding = record.encoding;
  }
  if (set.ResourceExists(id)) {
    set.SetResource(id, encoding, data, size);
  } else {
    set.AddResource(id, encoding, name, data, size);
  }
}

const std::vector<unsigned char>& VYXComptePrefs::GetRecord(CPResID id,
                                                            CPDataEncoding* encoding) const {
  static const std::vector<unsigned char> kNone;
  auto it = records_.find(id);
  if (it == records_.end()) return kNone;
  if (encoding) *encoding = it->second.encoding;
  return it->second.bytes;
}

void VYXComptePrefs::SetRecord(CPResID id, const void* data, uint32_t size) {
  const VYXComptePrefSpec* layout = Find(id);
  if (!layout || id == kVYXCompteDefaultValuesID) CPThrow(paramErr);
  if (layout->size != kCPVariableSize && size != layout->size) CPThrow(paramErr);
  const auto* bytes = static_cast<const unsigned char*>(data);
  records_[id] = Record{std::vector<unsigned char>(bytes, bytes + size), CPHostEncoding};
}
