// A resource set: every resource of one type in one storage, seen through one
// ID-keyed interface (create, read, write, rename, remove, order, copy) that
// announces each change to its listeners in category 'RSRC' (codes below; the
// data points at 16-bit values). The storage holds the bytes and outlives the
// set; the set opens a storage session when built and closes it when destroyed.
// An index (CPResourceSetIndex.h), installed by the derived set that owns it,
// adds a display order; without one the display order is the storage's.
// Positions are 1-based. Lookups of an absent ID, position or name raise the
// bare code 1; the ReadResource and WriteResource forms answer false instead.
#ifndef VYX_RESOURCES_CPRESOURCESET_H_
#define VYX_RESOURCES_CPRESOURCESET_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "foundation/CPArray.h"
#include "foundation/CPBroadcaster.h"
#include "foundation/CPStream.h"
#include "platform/CPHandle.h"
#include "resources/CPResourceStorage.h"

class CPFormattedStream;
class CPImExStructure;
class CPResourceSetIndex;
struct CPDataField;
struct CPImportLine;
struct CPImportReport;

constexpr OSType kCPResourceMessage = 'RSRC';
enum : uint32_t {
  kCPResReloaded = 1,      // everything may have changed; no data
  kCPResStartLoading = 2,  // GetFrom begins; no data
  kCPResEndLoading = 3,    // GetFrom ended, even after a failure; no data
  kCPResAdded = 4,         // the new resource's ID
  kCPResChanged = 5,       // the ID
  kCPResRenamed = 6,       // the ID
  kCPResRemoved = 7,       // the display position the resource had
  kCPResStartMoving = 8,   // no data
  kCPResEndMoving = 9,     // no data
  kCPResMoved = 10,        // from position, to position
  kCPResSorted = 11,       // no data
};

// Record size of a set whose resources each keep their own length.
constexpr uint32_t kCPVariableSize = 0xFFFFFFFF;

// Texts of string list 271: the name of a new resource, of an undefined one,
// and of a set.
constexpr int kCPResourceSetNamesList = 271;

// Converts one item of an array kept as a resource between the host form and
// `encoding`, in place; `toEncoding` tells the direction.
using CPArrayItemCoder =
    std::function<void(void* item, const CPDataEncoding& encoding, bool toEncoding)>;

class CPResourceSet : public CPPersistent, public CPBroadcaster {
 public:
  CPResourceSet(CPResourceStorage& storage, ResType type, uint32_t recordSize);
  ~CPResourceSet() override;

  // The whole set as a stream: version, count, default size, then each
  // resource in display order (see docs/resource-storage.md). Reading replaces
  // or adds each resource; it stops quietly where the stream ends between two
  // resources, and raises after broadcasting kCPResEndLoading on any other failure.
  void GetFrom(CPStream& stream, const CPDataEncoding& encoding) override;
  void PutTo(CPStream& stream, const CPDataEncoding& encoding) const override;

  virtual ResType GetType() const { return type_; }
  CPResourceStorage& GetStorage() const { return storage_; }
  CPResourceSetRef GetSessionRef() const { return session_; }
  virtual void SetResourceSize(uint32_t size) { recordSize_ = size; }
  virtual uint32_t GetResourceSize() const { return recordSize_; }
  virtual void SetDirty(bool dirty) { dirty_ = dirty; }
  virtual bool IsDirty() const { return dirty_; }
  virtual void GetResourceSetName(StringPtr name);
  // With an index, the number of its display positions; otherwise the storage's count.
  virtual int32_t GetResourcesCount();
  virtual void GetUndefinedName(StringPtr name);
  virtual CPResID GetUniqueID();
  virtual bool HasUniqueNames() { return true; }
  // Suffixes the name with " 1" ... " 99" (and on, if need be) until no
  // resource has it; the stem is cut to 250 bytes first (less when the storage
  // keeps shorter names).
  virtual void MakeUniqueName(StringPtr name);
  virtual uint32_t GetDefaultSize();
  // Fills `size` bytes with the body of a new resource (zeros for an untyped set).
  virtual void GetDefaultResource(void* data, uint32_t size);
  virtual void GetDefaultEncoding(CPDataEncoding* encoding);
  virtual bool ResourceExists(CPResID id);
  virtual bool ResourceExists(ConstStringPtr name);
  virtual bool CanAddResource() { return true; }
  virtual void GetNewResourceName(StringPtr name);

  // A size of kCPVariableSize stands for the record size. `index` (may be null)
  // receives the display position, 0 without an index.
  virtual void AddResource(CPResID id, ConstStringPtr name, const void* data, uint32_t size,
                           int32_t* index = nullptr);
  // Stores the body as written in `encoding`, without converting it.
  virtual void AddResource(CPResID id, const CPDataEncoding& encoding, ConstStringPtr name,
                           const void* data, uint32_t size, int32_t* index = nullptr);
  // Stores like AddResource; `fromID` is passed for sets that copy attached data.
  virtual void DuplicateResource(CPResID fromID, CPResID newID, ConstStringPtr name,
                                 const void* data, uint32_t size, int32_t* index = nullptr);
  virtual bool CanRemoveResource() { return true; }
  virtual bool CanRemoveResource(CPResID) { return true; }
  // `index` is the display position the resource has, sent with kCPResRemoved.
  virtual void RemoveResource(CPResID id, int32_t index);
  virtual void RemoveResource(CPResID id);
  virtual uint32_t GetResourceSize(CPResID id);
  // Copies at most min(stored length, size, record size) bytes, converted to the
  // host's form, and answers how many.
  virtual uint32_t GetResource(CPResID id, void* data, uint32_t size);
  // The bytes as stored, and the encoding they were stored in.
  virtual uint32_t GetResource(CPResID id, CPDataEncoding* encoding, void* data, uint32_t size);
  virtual void GetResourceName(CPResID id, StringPtr name);
  virtual CPResID GetResourceID(ConstStringPtr name);
  virtual bool GetResourceColor(CPResID, uint16_t /*rgb*/[3]) { return false; }
  virtual bool CanChangeResource(CPResID) { return true; }
  virtual void SetResource(CPResID id, const void* data, uint32_t size);
  virtual void SetResource(CPResID id, const CPDataEncoding& encoding, const void* data,
                           uint32_t size);
  // A name that differs from the current one (case and accents counting) is
  // made unique among the other resources first.
  virtual void SetResourceName(CPResID id, ConstStringPtr name);
  // Between the host's form and `encoding`, in place; nothing for an untyped set.
  virtual void EncodeResource(CPResID id, void* data, uint32_t size,
                              const CPDataEncoding& encoding);
  virtual void DecodeResource(CPResID id, void* data, uint32_t size,
                              const CPDataEncoding& encoding);
  virtual void StartLoading();
  virtual void EndLoading();

  // Writes the resource into `dest` under the same ID (replaced or added).
  virtual void CopyResource(CPResID id, CPResourceSet* dest);
  // Every resource, IDs kept, through the stream form.
  virtual void CopyResources(CPResourceSet* dest);
  // Every resource by name: added under a new ID when `dest` lacks the name;
  // otherwise added under a unique name (`makeUnique`), written over the
  // namesake (`replace`) or skipped.
  virtual void CopyResourcesByName(CPResourceSet* dest, bool makeUnique, bool replace);

  // Forgiving reads: false for ID 0, an unknown ID or name, or any failure.
  virtual bool ReadResource(CPResID id, void* data, uint32_t size);
  virtual bool ReadResource(ConstStringPtr name, CPResID* id, void* data, uint32_t size);
  // A new handle (the caller's) with the whole body in the host's form.
  virtual bool ReadResource(CPResID id, Handle* h);
  // Adds or replaces, renaming when the stored name differs (ignoring case and
  // accents). Never raises: answers false when the write failed.
  virtual bool WriteResource(CPResID id, ConstStringPtr name, const void* data, uint32_t size);
  virtual bool WriteResource(CPResID id, ConstStringPtr name, Handle h);
  // An array kept as one resource: its items one after the other, in the
  // storage's encoding. LoadArray empties the array and answers false when
  // there is no such resource.
  virtual bool LoadArray(CPResID id, CPArray& array, const CPArrayItemCoder& coder = {});
  virtual bool SaveArray(CPResID id, ConstStringPtr name, const CPArray& array,
                         const CPArrayItemCoder& coder = {});

  // The ID at position n: in display order with `useIndex` and an index (an ID
  // of 0 there is a separator), otherwise in the storage's order.
  virtual CPResID GetNthResource(int32_t n, bool useIndex = true);
  virtual void GetNthResource(int32_t n, StringPtr name);
  virtual int32_t GetResourceIndex(CPResID id);
  virtual bool CanMoveResource();
  virtual void StartMovingResources();
  virtual void EndMovingResources();
  // False (nothing changed) when the set has no movable index or the index
  // refuses the move; `to` is clipped to the count.
  virtual bool MoveResourceTo(int32_t from, int32_t to);
  virtual bool CanSortResources();
  virtual void SortResources();
  virtual bool IsSorted();
  // The order of two resources for sorting: by name, as a French reader would.
  virtual int CompareResources(ConstStringPtr name1, const void* data1, uint32_t size1,
                               ConstStringPtr name2, const void* data2, uint32_t size2);

  // Interactive operations. They need a set that can edit a record
  // (EditResource); the base one cannot, so they answer false.
  virtual bool EditResources() { return false; }
  virtual bool ChooseResource(CPResID* /*id*/) { return false; }
  virtual bool ChooseAndEditResource() { return false; }
  virtual bool EditResource(StringPtr /*name*/, void* /*data*/, uint32_t /*size*/) { return false; }
  virtual bool AddNewResource(CPResID* newID, StringPtr name, int32_t* index);
  virtual bool ModifyResource(CPResID id, StringPtr name, int32_t* index);
  virtual bool DuplicateResource(CPResID id, StringPtr name, bool edit, CPResID* newID,
                                 int32_t* index);
  // Asks the user to confirm, then renames. False when refused.
  virtual bool RenameResource(CPResID id, ConstStringPtr name);
  // How ImportResources treats an item whose name the set has (kCPImportAdd...).
  virtual int16_t GetResourceImportMode() { return 0; }
  // ---- Text exchange of a list (CPResourceSetImEx.cpp, CPImExStructure.h).
  // Writes a line of titles, then the resources of `ids` one a line.
  virtual void ExportResources(CPFormattedStream& stream, const std::vector<CPResID>& ids,
                               const CPImExStructure& structure);
  // Every resource, in display order.
  virtual void ExportResources(CPFormattedStream& stream, const CPImExStructure& structure);
  // Reads the titles, then each line as ImportResource does, and reports
  // what became of each. Raises (changing nothing) when the titles have no
  // name column or give a column twice; a failure of the storage passes
  // through with the lines before it imported.
  virtual void ImportResources(CPFormattedStream& stream, const CPImExStructure& structure,
                               int16_t mode, CPImportReport* report);
  // One item from the texts of a line, `columns` saying which field each
  // one is (none for a column ignored) and `nameColumn` where its name is:
  // added, replaced or left as it is by `mode`, or refused with why.
  virtual CPImportLine ImportResource(const std::vector<std::string>& texts,
                                      const std::vector<const CPDataField*>& columns,
                                      size_t nameColumn, const CPImExStructure& structure,
                                      int16_t mode);

  virtual void SetIndex(CPResourceSetIndex* index) { index_ = index; }
  virtual CPResourceSetIndex* GetIndex() const { return index_; }
  virtual void LoadIndex();
  virtual void SaveIndex();
  virtual void CheckIndex();

  // The second set whose resources are filed under this set's (hierarchic sets).
  // Not owned. Setting it rebuilds the index.
  virtual void SetSubResources(CPResourceSet* subResources);
  virtual bool HasSubResources() const { return subResources_ != nullptr; }
  virtual CPResourceSet* GetSubResources() const { return subResources_; }
  // The sub-resources filed under `supID`, their IDs and positions. All the
  // hierarchy operations raise code 1 without an index.
  virtual int32_t GetSubResourcesCount(CPResID supID);
  virtual CPResID GetNthSubResource(CPResID supID, int32_t n);
  // The two-level position of the n-th sub-resource of `supID`; `subID` (may be
  // null) receives its ID.
  virtual int32_t GetSubResourceIndex(CPResID supID, int32_t n, CPResID* subID);
  // Files `subID` at the end of the resources under `supID` (0: under nothing).
  virtual bool SetSupResourceID(CPResID subID, CPResID supID);
  // The resource that holds `subID` (0 when none); `n` receives its place in that block.
  virtual CPResID GetSupResourceID(CPResID subID, int32_t* n = nullptr);
  virtual int32_t GetSupResourceIndex(CPResID subID, int32_t* n = nullptr);
  // Two-level numbering: each resource followed by its sub-resources.
  virtual int32_t GetResourcesCount(bool withSubs);
  virtual CPResID GetNthResource(int32_t n, bool withSubs, bool* isSub);
  virtual int32_t GetResourceIndex(CPResID id, bool withSubs);
  // The two-level position of sub-resource `subID`; `supID` (may be null)
  // receives the resource that holds it.
  virtual int32_t GetSubResourceIndex(CPResID subID, CPResID* supID);

  // One resource of the stream form: length, ID, name, then the body encoded.
  virtual void PutTo(CPStream& stream, CPResID id, const CPDataEncoding& encoding);
  // Reads one resource of the stream form into the set (added, or replacing
  // name and body). An entry with ID 0 is read and skipped.
  virtual void GetFrom(CPStream& stream, CPResID* id, StringPtr name, uint32_t* size,
                       const CPDataEncoding& encoding);

 protected:
  // Broadcasts `code` with a 16-bit value, two, or none.
  void Broadcast(uint32_t code);
  void Broadcast(uint32_t code, int32_t value);
  void Broadcast(uint32_t code, int32_t value1, int32_t value2);
  // The record size a caller means by `size` (kCPVariableSize: the record size).
  uint32_t EffectiveSize(uint32_t size) const;
  // True when a resource other than `except` has that name (ignoring case and accents).
  bool NameTakenByOther(ConstStringPtr name, CPResID except);
  // MakeUniqueName that does not count `except` as a namesake.
  void MakeUniqueName(StringPtr name, CPResID except);
  // WriteResource's work, raising on failure.
  void Write(CPResID id, ConstStringPtr name, const void* data, uint32_t size);
  // The same for bytes already in `encoding`.
  void WriteRaw(CPResID id, ConstStringPtr name, const CPDataEncoding& encoding, const void* data,
                uint32_t size);
  CPResourceSetIndex& IndexOrThrow();

 private:
  void PutToStream(CPStream& stream, const CPDataEncoding& encoding);

  CPResourceStorage& storage_;
  CPResourceSetIndex* index_ = nullptr;
  CPResourceSet* subResources_ = nullptr;
  CPResourceSetRef session_;
  ResType type_;
  uint32_t recordSize_;
  // PutTo counts as a change (the owner saves after it) though it is const.
  mutable bool dirty_ = false;
};

// The IDs of `set` in display order, without the separator of the order.
std::vector<CPResID> CPResourceIDsInOrder(CPResourceSet& set);

#endif  // VYX_RESOURCES_CPRESOURCESET_H_
