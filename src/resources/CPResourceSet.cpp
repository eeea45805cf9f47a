#include "resources/CPResourceSet.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "foundation/CPCompare.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "resources/CPResourceErrors.h"
#include "resources/CPResourceSetIndex.h"

namespace {

constexpr uint32_t kSetStreamVersion = 1;
constexpr int kRenameQuestionList = 269;
constexpr int kRenameQuestionItem = 6;

bool IsHost(const CPDataEncoding& e) { return e == CPHostEncoding; }

void ReadExact(CPStream& stream, void* data, uint32_t size) {
  long n = long(size);
  if (n) stream.ReadData(data, &n);
  if (n != long(size)) CPThrow(eofErr);
}

uint32_t StreamLeft(const CPStream& stream) {
  uint32_t length = stream.GetLength(), marker = stream.GetMarker();
  return length > marker ? length - marker : 0;
}

}  // namespace

CPResourceSet::CPResourceSet(CPResourceStorage& storage, ResType type, uint32_t recordSize)
    : storage_(storage), type_(type), recordSize_(recordSize) {
  session_ = storage_.OpenResourceSet(type);
}

CPResourceSet::~CPResourceSet() {
  try {
    storage_.CloseResourceSet(session_);
  } catch (...) {
    // A destructor cannot report; the storage is being torn down anyway.
  }
}

void CPResourceSet::Broadcast(uint32_t code) {
  BroadcastMessage(kCPResourceMessage, code, nullptr);
}

void CPResourceSet::Broadcast(uint32_t code, int32_t value) {
  int16_t data = static_cast<int16_t>(value);
  BroadcastMessage(kCPResourceMessage, code, &data);
}

void CPResourceSet::Broadcast(uint32_t code, int32_t value1, int32_t value2) {
  int16_t data[2] = {static_cast<int16_t>(value1), static_cast<int16_t>(value2)};
  BroadcastMessage(kCPResourceMessage, code, data);
}

uint32_t CPResourceSet::EffectiveSize(uint32_t size) const {
  if (size != kCPVariableSize) return size;
  return recordSize_ == kCPVariableSize ? 0 : recordSize_;
}

CPResourceSetIndex& CPResourceSet::IndexOrThrow() {
  if (!index_) CPThrow(kCPErrNotFound);
  index_->Check();
  return *index_;
}

// ---- Names and counts

void CPResourceSet::GetResourceSetName(StringPtr name) {
  CPGetIndString(name, kCPResourceSetNamesList, 3);
}

void CPResourceSet::GetUndefinedName(StringPtr name) {
  CPGetIndString(name, kCPResourceSetNamesList, 2);
}

void CPResourceSet::GetNewResourceName(StringPtr name) {
  CPGetIndString(name, kCPResourceSetNamesList, 1);
}

int32_t CPResourceSet::GetResourcesCount() {
  if (index_) {
    index_->Check();
    return index_->GetCount();
  }
  return storage_.GetResourcesCount(session_);
}

CPResID CPResourceSet::GetUniqueID() { return storage_.GetUniqueID(session_); }

void CPResourceSet::MakeUniqueName(StringPtr name) { MakeUniqueName(name, 0); }

void CPResourceSet::MakeUniqueName(StringPtr name, CPResID except) {
  auto taken = [&](ConstStringPtr candidate) {
    return except ? NameTakenByOther(candidate, except) : ResourceExists(candidate);
  };
  if (!taken(name)) return;
  // The stem leaves room for a space and four digits within what the storage
  // keeps of a name (250 bytes of 255); a suffix it would cut off would never
  // make the name unique.
  Str255 stem;
  TruncPString(stem, name, std::min(250, storage_.GetMaxNameLength() - 5));
  for (int counter = 1; counter <= 9999; ++counter) {
    std::string candidate = PToStd(stem) + " " + std::to_string(counter);
    Str255 p;
    StdToP(candidate, p);
    if (!taken(p)) {
      CPStrCopyP(name, p);
      return;
    }
  }
  CPThrow(kCPErrNoUniqueName);
}

bool CPResourceSet::NameTakenByOther(ConstStringPtr name, CPResID except) {
  if (!storage_.ResourceExists(session_, name)) return false;
  int32_t count = storage_.GetResourcesCount(session_);
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = storage_.GetNthResource(session_, n);
    if (id == except) continue;
    Str255 other;
    storage_.GetResourceName(session_, id, other);
    if (CPEqualString(other, name, false, false)) return true;
  }
  return false;
}

uint32_t CPResourceSet::GetDefaultSize() {
  return recordSize_ == kCPVariableSize ? 0 : recordSize_;
}

void CPResourceSet::GetDefaultResource(void* data, uint32_t size) {
  if (size) std::memset(data, 0, size);
}

void CPResourceSet::GetDefaultEncoding(CPDataEncoding* encoding) { storage_.GetEncoding(encoding); }

bool CPResourceSet::ResourceExists(CPResID id) {
  return id != 0 && storage_.ResourceExists(session_, id);
}

bool CPResourceSet::ResourceExists(ConstStringPtr name) {
  return storage_.ResourceExists(session_, name);
}

// ---- Writing

void CPResourceSet::AddResource(CPResID id, ConstStringPtr name, const void* data, uint32_t size,
                                int32_t* index) {
  size = EffectiveSize(size);
  CPDataEncoding e;
  storage_.GetEncoding(&e);
  if (!IsHost(e) && size) {
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                    static_cast<const unsigned char*>(data) + size);
    EncodeResource(id, copy.data(), size, e);
    AddResource(id, e, name, copy.data(), size, index);
  } else {
    AddResource(id, e, name, data, size, index);
  }
}

void CPResourceSet::AddResource(CPResID id, const CPDataEncoding& encoding, ConstStringPtr name,
                                const void* data, uint32_t size, int32_t* index) {
  if (id == 0) CPThrow(paramErr);
  Str255 unique;
  CPStrCopyP(unique, name);
  if (HasUniqueNames()) MakeUniqueName(unique);
  storage_.AddResource(session_, id, encoding, unique, data, EffectiveSize(size), nullptr);
  int32_t position = index_ ? index_->Add(id, unique, 0) : 0;
  if (index) *index = position;
  dirty_ = true;
  Broadcast(kCPResAdded, id);
}

void CPResourceSet::DuplicateResource(CPResID, CPResID newID, ConstStringPtr name, const void* data,
                                      uint32_t size, int32_t* index) {
  AddResource(newID, name, data, size, index);
}

void CPResourceSet::RemoveResource(CPResID id, int32_t index) {
  storage_.RemoveResource(session_, id);
  if (index_) index_->Remove(id);
  dirty_ = true;
  Broadcast(kCPResRemoved, index);
}

void CPResourceSet::RemoveResource(CPResID id) { RemoveResource(id, GetResourceIndex(id)); }

void CPResourceSet::SetResource(CPResID id, const void* data, uint32_t size) {
  size = EffectiveSize(size);
  CPDataEncoding e;
  storage_.GetEncoding(&e);
  if (!IsHost(e) && size) {
    std::vector<unsigned char> copy(static_cast<const unsigned char*>(data),
                                    static_cast<const unsigned char*>(data) + size);
    EncodeResource(id, copy.data(), size, e);
    SetResource(id, e, copy.data(), size);
  } else {
    SetResource(id, e, data, size);
  }
}

void CPResourceSet::SetResource(CPResID id, const CPDataEncoding& encoding, const void* data,
                                uint32_t size) {
  storage_.SetResource(session_, id, encoding, data, EffectiveSize(size));
  dirty_ = true;
  Broadcast(kCPResChanged, id);
}

void CPResourceSet::SetResourceName(CPResID id, ConstStringPtr name) {
  Str255 current;
  storage_.GetResourceName(session_, id, current);
  if (CPStrEqual(current, name)) return;
  Str255 unique;
  CPStrCopyP(unique, name);
  MakeUniqueName(unique, id);
  storage_.SetResourceName(session_, id, unique);
  if (index_) index_->Renamed(id, unique);
  dirty_ = true;
  Broadcast(kCPResRenamed, id);
}

void CPResourceSet::EncodeResource(CPResID, void*, uint32_t, const CPDataEncoding&) {}

void CPResourceSet::DecodeResource(CPResID, void*, uint32_t, const CPDataEncoding&) {}

void CPResourceSet::StartLoading() { Broadcast(kCPResStartLoading); }

void CPResourceSet::EndLoading() { Broadcast(kCPResEndLoading); }

void CPResourceSet::Write(CPResID id, ConstStringPtr name, const void* data, uint32_t size) {
  if (ResourceExists(id)) {
    SetResource(id, data, size);
    Str255 current;
    GetResourceName(id, current);
    if (!CPEqualString(current, name, false, false)) SetResourceName(id, name);
  } else {
    AddResource(id, name, data, size, nullptr);
  }
}

void CPResourceSet::WriteRaw(CPResID id, ConstStringPtr name, const CPDataEncoding& encoding,
                             const void* data, uint32_t size) {
  if (ResourceExists(id)) {
    SetResource(id, encoding, data, size);
    Str255 current;
    GetResourceName(id, current);
    if (!CPEqualString(current, name, false, false)) SetResourceName(id, name);
  } else {
    AddResource(id, encoding, name, data, size, nullptr);
  }
}

bool CPResourceSet::WriteResource(CPResID id, ConstStringPtr name, const void* data,
                                  uint32_t size) {
  try {
    Write(id, name, data, size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CPResourceSet::WriteResource(CPResID id, ConstStringPtr name, Handle h) {
  return WriteResource(id, name, HandlePtr(h), uint32_t(GetHandleSize(h)));
}

// ---- Reading

uint32_t CPResourceSet::GetResourceSize(CPResID id) {
  return storage_.GetResourceSize(session_, id);
}

uint32_t CPResourceSet::GetResource(CPResID id, void* data, uint32_t size) {
  CPDataEncoding e;
  uint32_t n = GetResource(id, &e, data, size);
  if (!IsHost(e) && n) DecodeResource(id, data, n, e);
  return n;
}

uint32_t CPResourceSet::GetResource(CPResID id, CPDataEncoding* encoding, void* data,
                                    uint32_t size) {
  if (recordSize_ != kCPVariableSize) size = std::min(size, recordSize_);
  CPDataEncoding e;
  uint32_t n = storage_.GetResource(session_, id, &e, data, size);
  if (encoding) *encoding = e;
  return n;
}

void CPResourceSet::GetResourceName(CPResID id, StringPtr name) {
  storage_.GetResourceName(session_, id, name);
}

CPResID CPResourceSet::GetResourceID(ConstStringPtr name) {
  return storage_.GetResourceID(session_, name);
}

bool CPResourceSet::ReadResource(CPResID id, void* data, uint32_t size) {
  if (id == 0) return false;
  try {
    if (!ResourceExists(id)) return false;
    GetResource(id, data, size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CPResourceSet::ReadResource(ConstStringPtr name, CPResID* id, void* data, uint32_t size) {
  try {
    if (!ResourceExists(name)) return false;
    CPResID found = GetResourceID(name);
    GetResource(found, data, size);
    if (id) *id = found;
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool CPResourceSet::ReadResource(CPResID id, Handle* h) {
  if (id == 0) return false;
  Handle body = nullptr;
  try {
    if (!ResourceExists(id)) return false;
    uint32_t size = GetResourceSize(id);
    body = NewHandle(size);
    if (!body) return false;
    uint32_t n = GetResource(id, HandlePtr(body), size);
    SetHandleSize(body, n);
  } catch (const std::exception&) {
    DisposeHandle(body);
    return false;
  }
  *h = body;
  return true;
}

// ---- Arrays kept as resources

bool CPResourceSet::LoadArray(CPResID id, CPArray& array, const CPArrayItemCoder& coder) {
  array.RemoveAll();
  if (id == 0 || !ResourceExists(id)) return false;
  uint32_t size = storage_.GetResourceSize(session_, id);
  std::vector<unsigned char> bytes(size);
  CPDataEncoding e;
  size = storage_.GetResource(session_, id, &e, bytes.data(), size);
  uint32_t itemSize = array.ItemSize();
  int32_t count = int32_t(size / itemSize);
  if (coder && !IsHost(e)) {
    for (int32_t i = 0; i < count; ++i) coder(bytes.data() + size_t(i) * itemSize, e, false);
  }
  if (count) array.InsertItemsAt(0, bytes.data(), count);
  return true;
}

bool CPResourceSet::SaveArray(CPResID id, ConstStringPtr name, const CPArray& array,
                              const CPArrayItemCoder& coder) {
  try {
    uint32_t itemSize = array.ItemSize();
    int32_t count = array.Count();
    std::vector<unsigned char> bytes(size_t(count) * itemSize);
    for (int32_t i = 0; i < count; ++i) array.GetItem(i, bytes.data() + size_t(i) * itemSize);
    CPDataEncoding e;
    storage_.GetEncoding(&e);
    if (coder && !IsHost(e)) {
      for (int32_t i = 0; i < count; ++i) coder(bytes.data() + size_t(i) * itemSize, e, true);
    }
    WriteRaw(id, name, e, bytes.data(), uint32_t(bytes.size()));
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

// ---- Order

CPResID CPResourceSet::GetNthResource(int32_t n, bool useIndex) {
  if (useIndex && index_) {
    index_->Check();
    return index_->GetNth(n);
  }
  return storage_.GetNthResource(session_, n);
}

void CPResourceSet::GetNthResource(int32_t n, StringPtr name) {
  CPResID id = GetNthResource(n, true);
  if (id == 0) {
    name[0] = 0;  // the separator has no name
    return;
  }
  GetResourceName(id, name);
}

int32_t CPResourceSet::GetResourceIndex(CPResID id) {
  if (index_) {
    index_->Check();
    try {
      return index_->GetIndex(id);
    } catch (const CPException& e) {
      // Counts that agree can still hide a resource the order lacks.
      if (e.Code() != kCPErrNotFound || !ResourceExists(id)) throw;
    }
    index_->Build();
    return index_->GetIndex(id);
  }
  int32_t count = storage_.GetResourcesCount(session_);
  for (int32_t n = 1; n <= count; ++n) {
    if (storage_.GetNthResource(session_, n) == id) return n;
  }
  CPThrow(kCPErrNotFound);
}

bool CPResourceSet::CanMoveResource() { return index_ && index_->CanMove(); }

void CPResourceSet::StartMovingResources() { Broadcast(kCPResStartMoving); }

void CPResourceSet::EndMovingResources() { Broadcast(kCPResEndMoving); }

bool CPResourceSet::MoveResourceTo(int32_t from, int32_t to) {
  if (!CanMoveResource()) return false;
  index_->Check();
  int32_t landed = index_->MoveTo(from, to);
  if (landed == 0) return false;
  dirty_ = true;
  Broadcast(kCPResMoved, from, landed);
  return true;
}

bool CPResourceSet::CanSortResources() { return index_ && index_->CanSort(); }

void CPResourceSet::SortResources() {
  if (!CanSortResources()) return;
  index_->Check();
  index_->Sort();
  dirty_ = true;
  Broadcast(kCPResSorted);
}

bool CPResourceSet::IsSorted() {
  int32_t count = GetResourcesCount();
  std::vector<unsigned char> previous, current;
  Str255 previousName, currentName;
  bool havePrevious = false;
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = GetNthResource(n, true);
    if (id == 0) continue;
    current.resize(GetResourceSize(id));
    current.resize(GetResource(id, current.data(), uint32_t(current.size())));
    GetResourceName(id, currentName);
    if (havePrevious &&
        CompareResources(previousName, previous.data(), uint32_t(previous.size()), currentName,
                         current.data(), uint32_t(current.size())) > 0) {
      return false;
    }
    previous.swap(current);
    CPStrCopyP(previousName, currentName);
    havePrevious = true;
  }
  return true;
}

int CPResourceSet::CompareResources(ConstStringPtr name1, const void*, uint32_t,
                                    ConstStringPtr name2, const void*, uint32_t) {
  return CPCompareString(name1, name2);
}

// ---- Copying

void CPResourceSet::CopyResource(CPResID id, CPResourceSet* dest) {
  std::vector<unsigned char> body(GetResourceSize(id));
  body.resize(GetResource(id, body.data(), uint32_t(body.size())));
  Str255 name;
  GetResourceName(id, name);
  dest->Write(id, name, body.data(), uint32_t(body.size()));
}

void CPResourceSet::CopyResources(CPResourceSet* dest) {
  CPHandleStream stream;
  PutTo(stream, CPHostEncoding);
  stream.SetMarker(0, kCPFromStart);
  dest->GetFrom(stream, CPHostEncoding);
}

void CPResourceSet::CopyResourcesByName(CPResourceSet* dest, bool makeUnique, bool replace) {
  int32_t count = GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = GetNthResource(n, true);
    if (id == 0) continue;
    std::vector<unsigned char> body(GetResourceSize(id));
    body.resize(GetResource(id, body.data(), uint32_t(body.size())));
    Str255 name;
    GetResourceName(id, name);
    if (!dest->ResourceExists(name)) {
      dest->AddResource(dest->GetUniqueID(), name, body.data(), uint32_t(body.size()));
    } else if (makeUnique) {
      dest->MakeUniqueName(name);
      dest->AddResource(dest->GetUniqueID(), name, body.data(), uint32_t(body.size()));
    } else if (replace) {
      dest->SetResource(dest->GetResourceID(name), body.data(), uint32_t(body.size()));
    }
  }
}

// ---- Interactive operations

bool CPResourceSet::AddNewResource(CPResID* newID, StringPtr name, int32_t* index) {
  CPResID id = GetUniqueID();
  uint32_t size = GetDefaultSize();
  std::vector<unsigned char> body(size);
  GetDefaultResource(body.data(), size);
  MakeUniqueName(name);
  if (!EditResource(name, body.data(), size)) return false;
  AddResource(id, name, body.data(), size, index);
  if (newID) *newID = id;
  return true;
}

bool CPResourceSet::ModifyResource(CPResID id, StringPtr name, int32_t* index) {
  if (!ResourceExists(id)) return false;
  std::vector<unsigned char> body(GetResourceSize(id));
  body.resize(GetResource(id, body.data(), uint32_t(body.size())));
  GetResourceName(id, name);
  if (!EditResource(name, body.data(), uint32_t(body.size()))) return false;
  SetResource(id, body.data(), uint32_t(body.size()));
  SetResourceName(id, name);
  if (index) *index = GetResourceIndex(id);
  return true;
}

bool CPResourceSet::DuplicateResource(CPResID id, StringPtr name, bool edit, CPResID* newID,
                                      int32_t* index) {
  if (!ResourceExists(id)) return false;
  std::vector<unsigned char> body(GetResourceSize(id));
  body.resize(GetResource(id, body.data(), uint32_t(body.size())));
  MakeUniqueName(name);
  if (edit && !EditResource(name, body.data(), uint32_t(body.size()))) return false;
  CPResID copy = GetUniqueID();
  DuplicateResource(id, copy, name, body.data(), uint32_t(body.size()), index);
  if (newID) *newID = copy;
  return true;
}

bool CPResourceSet::RenameResource(CPResID id, ConstStringPtr name) {
  Str255 current;
  GetResourceName(id, current);
  std::string question = CPGetListString(kRenameQuestionList, kRenameQuestionItem);
  CPReplaceVar(question, 1, PToStd(current));
  CPReplaceVar(question, 2, PToStd(name));
  if (!CPGetInteraction().AskYesNo(question, false)) return false;
  SetResourceName(id, name);
  return true;
}

// ---- Index and hierarchy

void CPResourceSet::LoadIndex() {
  if (index_) index_->Load();
}

void CPResourceSet::SaveIndex() {
  if (index_) index_->Save();
}

void CPResourceSet::CheckIndex() {
  if (index_) index_->Check();
}

void CPResourceSet::SetSubResources(CPResourceSet* subResources) {
  subResources_ = subResources;
  if (index_) index_->Build();
}

int32_t CPResourceSet::GetSubResourcesCount(CPResID supID) {
  return IndexOrThrow().GetSubCount(supID);
}

CPResID CPResourceSet::GetNthSubResource(CPResID supID, int32_t n) {
  return IndexOrThrow().GetNthSub(supID, n);
}

int32_t CPResourceSet::GetSubResourceIndex(CPResID supID, int32_t n, CPResID* subID) {
  return IndexOrThrow().GetSubIndex(supID, n, subID);
}

bool CPResourceSet::SetSupResourceID(CPResID subID, CPResID supID) {
  bool done = IndexOrThrow().SetSupID(subID, supID);
  dirty_ = true;
  return done;
}

CPResID CPResourceSet::GetSupResourceID(CPResID subID, int32_t* n) {
  return IndexOrThrow().GetSupID(subID, n);
}

int32_t CPResourceSet::GetSupResourceIndex(CPResID subID, int32_t* n) {
  return IndexOrThrow().GetSupIndex(subID, n);
}

int32_t CPResourceSet::GetResourcesCount(bool withSubs) {
  if (!index_) return GetResourcesCount();
  return IndexOrThrow().GetCount(withSubs);
}

CPResID CPResourceSet::GetNthResource(int32_t n, bool withSubs, bool* isSub) {
  if (!index_) {
    if (isSub) *isSub = false;
    return GetNthResource(n, true);
  }
  return IndexOrThrow().GetNth(n, withSubs, isSub);
}

int32_t CPResourceSet::GetResourceIndex(CPResID id, bool withSubs) {
  if (!index_ || !withSubs) return GetResourceIndex(id);
  return IndexOrThrow().GetIndex(id, true);
}

int32_t CPResourceSet::GetSubResourceIndex(CPResID subID, CPResID* supID) {
  return IndexOrThrow().GetSubIndex(subID, supID);
}

// ---- Stream form

void CPResourceSet::PutTo(CPStream& stream, CPResID id, const CPDataEncoding& encoding) {
  std::vector<unsigned char> body(GetResourceSize(id));
  body.resize(GetResource(id, body.data(), uint32_t(body.size())));
  Str255 name;
  GetResourceName(id, name);
  if (!IsHost(encoding) && !body.empty())
    EncodeResource(id, body.data(), uint32_t(body.size()), encoding);
  CPEncodeString(name, 255, kCPMacRoman, encoding.stringEncoding);
  stream.WriteVersion(uint32_t(body.size()), encoding);
  uint16_t storedID = static_cast<uint16_t>(id);
  if (CPNeedByteSwapping(encoding)) storedID = CPSwap16(storedID);
  stream.WriteData(&storedID, 2L);
  stream.WriteString(name);
  if (!body.empty()) stream.WriteData(body.data(), long(body.size()));
}

void CPResourceSet::GetFrom(CPStream& stream, CPResID* id, StringPtr name, uint32_t* size,
                            const CPDataEncoding& encoding) {
  uint32_t length = 0;
  ReadExact(stream, &length, 4);
  if (CPNeedByteSwapping(encoding)) length = CPSwap32(length);
  uint16_t storedID = 0;
  ReadExact(stream, &storedID, 2);
  if (CPNeedByteSwapping(encoding)) storedID = CPSwap16(storedID);
  unsigned char nameLength = 0;
  ReadExact(stream, &nameLength, 1);
  name[0] = nameLength;
  ReadExact(stream, name + 1, nameLength);
  CPDecodeString(name, 255, encoding);
  // A length beyond what the stream holds is damage, not a request for memory.
  if (length > StreamLeft(stream)) CPThrow(eofErr);
  std::vector<unsigned char> body(length);
  ReadExact(stream, body.data(), length);
  CPResID resID = static_cast<CPResID>(storedID);
  if (id) *id = resID;
  if (size) *size = length;
  if (resID == 0) return;
  if (!IsHost(encoding) && length) DecodeResource(resID, body.data(), length, encoding);
  if (ResourceExists(resID)) {
    SetResource(resID, body.data(), length);
    SetResourceName(resID, name);
  } else {
    AddResource(resID, name, body.data(), length);
  }
}

void CPResourceSet::PutTo(CPStream& stream, const CPDataEncoding& encoding) const {
  // Writing walks the display order, which may check the index: not a change
  // anyone sees, but not const either.
  const_cast<CPResourceSet*>(this)->PutToStream(stream, encoding);
}

void CPResourceSet::PutToStream(CPStream& stream, const CPDataEncoding& encoding) {
  std::vector<CPResID> ids;
  int32_t count = GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = GetNthResource(n, true);
    if (id != 0 && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  // The count written is that of the resources that follow, so that a reader
  // never reads past them (a display order may hold a separator, or miss a
  // resource the storage has).
  int32_t stored = storage_.GetResourcesCount(session_);
  for (int32_t n = 1; n <= stored; ++n) {
    CPResID id = storage_.GetNthResource(session_, n);
    if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
  stream.WriteVersion(kSetStreamVersion, encoding);
  uint16_t storedCount = static_cast<uint16_t>(ids.size());
  if (CPNeedByteSwapping(encoding)) storedCount = CPSwap16(storedCount);
  stream.WriteData(&storedCount, 2L);
  stream.WriteVersion(GetDefaultSize(), encoding);
  for (CPResID id : ids) PutTo(stream, id, encoding);
  dirty_ = true;
}

void CPResourceSet::GetFrom(CPStream& stream, const CPDataEncoding& encoding) {
  uint32_t version = 0;
  ReadExact(stream, &version, 4);
  if (CPNeedByteSwapping(encoding)) version = CPSwap32(version);
  if (version > kSetStreamVersion) CPThrow(kCPErrNewerVersion);
  StartLoading();
  try {
    int16_t count = 0;
    ReadExact(stream, &count, 2);
    if (CPNeedByteSwapping(encoding)) count = static_cast<int16_t>(CPSwap16(uint16_t(count)));
    uint32_t defaultSize = 0;  // read past: the set keeps its own
    ReadExact(stream, &defaultSize, 4);
    for (int32_t i = 0; i < count; ++i) {
      // Older writers counted a separator they did not write: a stream that
      // ends between two resources is complete.
      if (stream.AtEnd()) break;
      CPResID id;
      Str255 name;
      uint32_t size;
      GetFrom(stream, &id, name, &size, encoding);
    }
  } catch (...) {
    EndLoading();
    throw;
  }
  EndLoading();
}

std::vector<CPResID> CPResourceIDsInOrder(CPResourceSet& set) {
  std::vector<CPResID> ids;
  int32_t count = set.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = set.GetNthResource(n);
    if (id != 0) ids.push_back(id);
  }
  return ids;
}
