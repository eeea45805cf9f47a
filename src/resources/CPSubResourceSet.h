// Views: live, filtered views of another resource set of the same document,
// their parent (the expense categories among all categories, the card payment
// modes among all modes). A view stores nothing: it shares the parent's IDs,
// names and bodies, keeps the parent's display order, hands every change to
// the parent, and re-announces the parent's messages in its own positions, so
// that a list bound to the view sees only what concerns it. The parent is not
// owned and must outlive the view; the view unregisters when destroyed.
#ifndef VYX_RESOURCES_CPSUBRESOURCESET_H_
#define VYX_RESOURCES_CPSUBRESOURCESET_H_

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include "foundation/CPBroadcaster.h"
#include "resources/CPResourceSet_T.h"
#include "resources/CPSubResourceSetArray.h"

// The predicate of a view, on a record as bytes.
class CPSubResourceSetFilter {
 public:
  virtual ~CPSubResourceSetFilter() = default;
  virtual bool IsConcerned(ConstStringPtr name, const void* data, uint32_t size) = 0;
};

// The predicate on a record T (a short body is completed with T's defaults).
template <typename T>
class CPSubResourceSetFilter_T : public CPSubResourceSetFilter {
 public:
  bool IsConcerned(ConstStringPtr name, const void* data, uint32_t size) override {
    T t = T();
    std::memcpy(&t, data, std::min<size_t>(size, sizeof(T)));
    return IsConcerned(name, t);
  }
  virtual bool IsConcerned(ConstStringPtr name, const T& t) = 0;
};

// The view over any kind of set: Base is CPResourceSet or CPResourceSet_T<T>.
// Counting, existence, lookups by name and positions are answered from the
// view's array; everything else is the parent's.
template <typename Base>
class CPSubResourceSetOf : public Base, public CPListener {
 public:
  template <typename... BaseArgs>
  explicit CPSubResourceSetOf(CPResourceSet& parent, BaseArgs&&... baseArgs)
      : Base(std::forward<BaseArgs>(baseArgs)...),
        parent_(parent),
        array_(parent, [this](CPResID id) { return IsConcerned(id); }) {
    parent_.AddListener(this);
  }

  CPResourceSet& GetParent() const { return parent_; }
  // Whether the parent's resource `id` belongs to the view.
  virtual bool IsConcerned(CPResID id) = 0;

  using Base::AddResource;
  using Base::CompareResources;
  using Base::DecodeResource;
  using Base::DuplicateResource;
  using Base::EditResource;
  using Base::EncodeResource;
  using Base::GetDefaultResource;
  using Base::GetNthResource;
  using Base::GetResource;
  using Base::GetResourceIndex;
  using Base::GetResourcesCount;
  using Base::GetSubResourceIndex;
  using Base::MakeUniqueName;
  using Base::ReadResource;
  using Base::RemoveResource;
  using Base::ResourceExists;
  using Base::SetResource;
  using Base::WriteResource;

  // ---- From the view's array
  int32_t GetResourcesCount() override { return array_.GetCount(); }
  bool ResourceExists(CPResID id) override { return array_.Contains(id); }
  bool ResourceExists(ConstStringPtr name) override { return array_.ContainsName(name); }
  CPResID GetResourceID(ConstStringPtr name) override { return array_.FindName(name); }
  CPResID GetNthResource(int32_t n, bool) override { return array_.GetNth(n); }
  void GetNthResource(int32_t n, StringPtr name) override {
    parent_.GetResourceName(array_.GetNth(n), name);
  }
  int32_t GetResourceIndex(CPResID id) override { return array_.GetIndex(id); }

  // ---- The parent's
  void SetDirty(bool dirty) override { parent_.SetDirty(dirty); }
  bool IsDirty() const override { return parent_.IsDirty(); }
  void GetResourceSetName(StringPtr name) override { parent_.GetResourceSetName(name); }
  void GetUndefinedName(StringPtr name) override { parent_.GetUndefinedName(name); }
  void GetNewResourceName(StringPtr name) override { parent_.GetNewResourceName(name); }
  CPResID GetUniqueID() override { return parent_.GetUniqueID(); }
  bool HasUniqueNames() override { return parent_.HasUniqueNames(); }
  void MakeUniqueName(StringPtr name) override { parent_.MakeUniqueName(name); }
  uint32_t GetDefaultSize() override { return parent_.GetDefaultSize(); }
  void GetDefaultResource(void* data, uint32_t size) override { parent_.GetDefaultResource(data, size); }
  void GetDefaultEncoding(CPDataEncoding* e) override { parent_.GetDefaultEncoding(e); }
  bool CanAddResource() override { return parent_.CanAddResource(); }
  bool CanRemoveResource() override { return parent_.CanRemoveResource(); }
  bool CanRemoveResource(CPResID id) override { return parent_.CanRemoveResource(id); }
  bool CanChangeResource(CPResID id) override { return parent_.CanChangeResource(id); }
  void AddResource(CPResID id, ConstStringPtr name, const void* data, uint32_t size,
                   int32_t* index = nullptr) override {
    parent_.AddResource(id, name, data, size, nullptr);
    if (index) *index = array_.ViewIndexOf(id);
  }
  void AddResource(CPResID id, const CPDataEncoding& e, ConstStringPtr name, const void* data,
                   uint32_t size, int32_t* index = nullptr) override {
    parent_.AddResource(id, e, name, data, size, nullptr);
    if (index) *index = array_.ViewIndexOf(id);
  }
  void DuplicateResource(CPResID fromID, CPResID newID, ConstStringPtr name, const void* data,
                         uint32_t size, int32_t* index = nullptr) override {
    parent_.DuplicateResource(fromID, newID, name, data, size, nullptr);
    if (index) *index = array_.ViewIndexOf(newID);
  }
  // The parent finds the resource's own position; the view's follows from its message.
  void RemoveResource(CPResID id, int32_t) override { parent_.RemoveResource(id); }
  void RemoveResource(CPResID id) override { parent_.RemoveResource(id); }
  uint32_t GetResourceSize(CPResID id) override { return parent_.GetResourceSize(id); }
  uint32_t GetResource(CPResID id, void* data, uint32_t size) override {
    return parent_.GetResource(id, data, size);
  }
  uint32_t GetResource(CPResID id, CPDataEncoding* e, void* data, uint32_t size) override {
    return parent_.GetResource(id, e, data, size);
  }
  void GetResourceName(CPResID id, StringPtr name) override { parent_.GetResourceName(id, name); }
  bool GetResourceColor(CPResID id, uint16_t rgb[3]) override { return parent_.GetResourceColor(id, rgb); }
  void SetResource(CPResID id, const void* data, uint32_t size) override {
    parent_.SetResource(id, data, size);
  }
  void SetResource(CPResID id, const CPDataEncoding& e, const void* data, uint32_t size) override {
    parent_.SetResource(id, e, data, size);
  }
  void SetResourceName(CPResID id, ConstStringPtr name) override { parent_.SetResourceName(id, name); }
  void EncodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override {
    parent_.EncodeResource(id, data, size, e);
  }
  void DecodeResource(CPResID id, void* data, uint32_t size, const CPDataEncoding& e) override {
    parent_.DecodeResource(id, data, size, e);
  }
  bool ReadResource(CPResID id, void* data, uint32_t size) override {
    return parent_.ReadResource(id, data, size);
  }
  bool ReadResource(ConstStringPtr name, CPResID* id, void* data, uint32_t size) override {
    return parent_.ReadResource(name, id, data, size);
  }
  bool ReadResource(CPResID id, Handle* h) override { return parent_.ReadResource(id, h); }
  bool WriteResource(CPResID id, ConstStringPtr name, const void* data, uint32_t size) override {
    return parent_.WriteResource(id, name, data, size);
  }
  bool WriteResource(CPResID id, ConstStringPtr name, Handle h) override {
    return parent_.WriteResource(id, name, h);
  }
  bool LoadArray(CPResID id, CPArray& array, const CPArrayItemCoder& coder = {}) override {
    return parent_.LoadArray(id, array, coder);
  }
  bool SaveArray(CPResID id, ConstStringPtr name, const CPArray& array,
                 const CPArrayItemCoder& coder = {}) override {
    return parent_.SaveArray(id, name, array, coder);
  }
  bool CanMoveResource() override { return parent_.CanMoveResource(); }
  void StartMovingResources() override { parent_.StartMovingResources(); }
  void EndMovingResources() override { parent_.EndMovingResources(); }
  // Positions are the view's: the resource at `from` goes where the one at `to` is.
  bool MoveResourceTo(int32_t from, int32_t to) override {
    int32_t count = array_.GetCount();
    if (from < 1 || from > count || count == 0) return false;
    to = std::clamp(to, 1, count);
    return parent_.MoveResourceTo(array_.ParentPosition(from), array_.ParentPosition(to));
  }
  bool CanSortResources() override { return parent_.CanSortResources(); }
  void SortResources() override { parent_.SortResources(); }
  int CompareResources(ConstStringPtr name1, const void* data1, uint32_t size1, ConstStringPtr name2,
                       const void* data2, uint32_t size2) override {
    return parent_.CompareResources(name1, data1, size1, name2, data2, size2);
  }
  bool EditResources() override { return parent_.EditResources(); }
  bool ChooseResource(CPResID* id) override { return parent_.ChooseResource(id); }
  bool ChooseAndEditResource() override { return parent_.ChooseAndEditResource(); }
  bool EditResource(StringPtr name, void* data, uint32_t size) override {
    return parent_.EditResource(name, data, size);
  }
  bool AddNewResource(CPResID* newID, StringPtr name, int32_t* index) override {
    CPResID id = 0;
    if (!parent_.AddNewResource(&id, name, nullptr)) return false;
    if (newID) *newID = id;
    if (index) *index = array_.ViewIndexOf(id);
    return true;
  }
  bool ModifyResource(CPResID id, StringPtr name, int32_t* index) override {
    if (!parent_.ModifyResource(id, name, nullptr)) return false;
    if (index) *index = array_.ViewIndexOf(id);
    return true;
  }
  bool DuplicateResource(CPResID id, StringPtr name, bool edit, CPResID* newID, int32_t* index) override {
    CPResID copy = 0;
    if (!parent_.DuplicateResource(id, name, edit, &copy, nullptr)) return false;
    if (newID) *newID = copy;
    if (index) *index = array_.ViewIndexOf(copy);
    return true;
  }
  bool RenameResource(CPResID id, ConstStringPtr name) override { return parent_.RenameResource(id, name); }
  int16_t GetResourceImportMode() override { return parent_.GetResourceImportMode(); }

  // The hierarchy is the whole parent's.
  void SetSubResources(CPResourceSet* subs) override { parent_.SetSubResources(subs); }
  bool HasSubResources() const override { return parent_.HasSubResources(); }
  CPResourceSet* GetSubResources() const override { return parent_.GetSubResources(); }
  int32_t GetSubResourcesCount(CPResID supID) override { return parent_.GetSubResourcesCount(supID); }
  CPResID GetNthSubResource(CPResID supID, int32_t n) override { return parent_.GetNthSubResource(supID, n); }
  int32_t GetSubResourceIndex(CPResID supID, int32_t n, CPResID* subID) override {
    return parent_.GetSubResourceIndex(supID, n, subID);
  }
  bool SetSupResourceID(CPResID subID, CPResID supID) override {
    return parent_.SetSupResourceID(subID, supID);
  }
  CPResID GetSupResourceID(CPResID subID, int32_t* n = nullptr) override {
    return parent_.GetSupResourceID(subID, n);
  }
  int32_t GetSupResourceIndex(CPResID subID, int32_t* n = nullptr) override {
    return parent_.GetSupResourceIndex(subID, n);
  }
  int32_t GetResourcesCount(bool withSubs) override { return parent_.GetResourcesCount(withSubs); }
  CPResID GetNthResource(int32_t n, bool withSubs, bool* isSub) override {
    return parent_.GetNthResource(n, withSubs, isSub);
  }
  int32_t GetResourceIndex(CPResID id, bool withSubs) override {
    return parent_.GetResourceIndex(id, withSubs);
  }
  int32_t GetSubResourceIndex(CPResID subID, CPResID* supID) override {
    return parent_.GetSubResourceIndex(subID, supID);
  }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) override {
    if (from != &parent_ || category != kCPResourceMessage) return;
    std::optional<CPSubResourceSetArray::Reply> reply = array_.Follow(code, data);
    if (!reply) return;
    if (reply->values == 0) this->Broadcast(reply->code);
    if (reply->values == 1) this->Broadcast(reply->code, reply->value1);
    if (reply->values == 2) this->Broadcast(reply->code, reply->value1, reply->value2);
  }

 protected:
  // The filter of this view's records changed: the next query rebuilds, and
  // listeners are told that anything may have changed.
  void FilterChanged() {
    array_.Invalidate();
    this->Broadcast(kCPResReloaded);
  }
  // The parent's record and name, as the filter sees them.
  bool ParentRecordConcerns(CPSubResourceSetFilter& filter, CPResID id) {
    std::vector<unsigned char> body(parent_.GetResourceSize(id));
    body.resize(parent_.GetResource(id, body.data(), uint32_t(body.size())));
    Str255 name;
    parent_.GetResourceName(id, name);
    return filter.IsConcerned(name, body.data(), uint32_t(body.size()));
  }

 private:
  CPResourceSet& parent_;
  CPSubResourceSetArray array_;
};

// An untyped view; the concrete view gives the predicate on bytes.
class CPSubResourceSet : public CPSubResourceSetOf<CPResourceSet>, public CPSubResourceSetFilter {
 public:
  explicit CPSubResourceSet(CPResourceSet& parent)
      : CPSubResourceSetOf<CPResourceSet>(parent, parent.GetStorage(), parent.GetType(),
                                          parent.GetResourceSize()) {}

  using CPSubResourceSetFilter::IsConcerned;
  bool IsConcerned(CPResID id) override { return ParentRecordConcerns(*this, id); }
};

// A view of records T; the concrete view gives IsConcerned(name, const T&).
template <typename T>
class CPSubResourceSet_T : public CPSubResourceSetOf<CPResourceSet_T<T>>,
                           public CPSubResourceSetFilter_T<T> {
  using View = CPSubResourceSetOf<CPResourceSet_T<T>>;

 public:
  explicit CPSubResourceSet_T(CPResourceSet_T<T>& parent)
      : View(parent, parent.GetStorage(), parent.GetType()), typedParent_(parent) {}

  using CPSubResourceSetFilter_T<T>::IsConcerned;
  bool IsConcerned(CPResID id) override {
    T t;
    typedParent_.GetResource(id, &t);
    Str255 name;
    typedParent_.GetResourceName(id, name);
    return IsConcerned(name, t);
  }

  // The record operations a parent may have made its own, and the forgiving
  // reads, which see the whole parent.
  using View::ReadResource;
  bool ReadResource(CPResID id, T* t) override { return typedParent_.ReadResource(id, t); }
  bool ReadResource(ConstStringPtr name, CPResID* id, T* t) override {
    return typedParent_.ReadResource(name, id, t);
  }
  using View::CompareResources;
  using View::DecodeResource;
  using View::EditResource;
  using View::EncodeResource;
  using View::GetDefaultResource;
  void GetDefaultResource(CPResID id, T* t) override { typedParent_.GetDefaultResource(id, t); }
  void EncodeResource(CPResID id, T* t, const CPDataEncoding& e) override {
    typedParent_.EncodeResource(id, t, e);
  }
  void DecodeResource(CPResID id, T* t, const CPDataEncoding& e) override {
    typedParent_.DecodeResource(id, t, e);
  }
  bool EditResource(StringPtr name, T* t) override { return typedParent_.EditResource(name, t); }
  int CompareResources(ConstStringPtr name1, const T& t1, ConstStringPtr name2, const T& t2) override {
    return typedParent_.CompareResources(name1, t1, name2, t2);
  }

  CPResourceSet_T<T>& GetTypedParent() const { return typedParent_; }

 private:
  CPResourceSet_T<T>& typedParent_;
};

#endif  // VYX_RESOURCES_CPSUBRESOURCESET_H_
