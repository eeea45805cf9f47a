#include "analysis/VYXOperationSelection.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "app/VYXContainer.h"
#include "platform/CPRegional.h"
#include "resources/CPResourceSet.h"
#include "userfile/VYXSDBUserPreferences.h"

namespace {

constexpr std::array<VYXCompteList, 6> kNamedLists = {kVYXListCategories, kVYXListAffectations,
                                                      kVYXListTiers,      kVYXListAffaires,
                                                      kVYXListTauxTVA,    kVYXListModes};

int16_t DossierDecimals() { return gUserPrefs ? gUserPrefs->GetDecimals(kDecimalsMontants) : 2; }

// The programs of the last selections asked about. A program serves again
// for the same account, the same bytes in the same encoding, the same
// decimals and the same order of date fields (dates typed in the criteria
// are read with it). Its verdicts on names are forgotten when a list of its
// account changes; an account that is gone has unlinked this listener from
// its lists, which tells its entries from those of an account made since at
// the same address.
class ProgramCache final : public CPListener {
 public:
  VYXSelectionProgram* Get(VYXCompte& compte, Handle selection, const CPDataEncoding& e) {
    if (!selection) return nullptr;
    int16_t decimals = DossierDecimals();
    CPDateOrder order = CPRegional::Get().dateOrder;
    size_t size = GetHandleSize(selection);
    const unsigned char* bytes = HandlePtr(selection);
    for (Entry& entry : entries_) {
      if (entry.program && entry.compte == &compte && entry.encoding == e &&
          entry.decimals == decimals && entry.order == order && entry.bytes.size() == size &&
          std::memcmp(entry.bytes.data(), bytes, size) == 0 && IsLive(entry)) {
        if (entry.program->FollowsToday()) entry.program->ReadTodayDates();
        return entry.program.get();
      }
    }
    Entry& entry = entries_[next_];
    next_ = (next_ + 1) % entries_.size();
    entry.program.reset();  // first, should the new one fail
    entry.compte = &compte;
    entry.encoding = e;
    entry.decimals = decimals;
    entry.order = order;
    entry.bytes.assign(reinterpret_cast<const char*>(bytes), size);
    for (size_t i = 0; i < kNamedLists.size(); ++i) {
      entry.lists[i] = &compte.GetListSet(kNamedLists[i]);
      entry.lists[i]->AddListener(this);
    }
    entry.program = std::make_unique<VYXSelectionProgram>(compte, selection, e, decimals);
    return entry.program.get();
  }

  void ListenTo(CPBroadcaster* from, OSType category, uint32_t, void*) override {
    if (category != kCPResourceMessage) return;
    for (Entry& entry : entries_) {
      for (CPResourceSet* list : entry.lists) {
        if (entry.program && static_cast<CPBroadcaster*>(list) == from) {
          entry.program->ForgetNames();
        }
      }
    }
  }

 private:
  struct Entry {
    VYXCompte* compte = nullptr;
    CPDataEncoding encoding;
    int16_t decimals = 2;
    CPDateOrder order = CPDateOrder::kDMY;
    std::string bytes;
    std::array<CPResourceSet*, kNamedLists.size()> lists{};
    std::unique_ptr<VYXSelectionProgram> program;
  };

  // A list replaced by another (the account closed and opened again) is gone,
  // and so is its link with this listener; the payment modes alone may come
  // from another list while the first lives.
  bool IsLive(const Entry& entry) const {
    for (CPResourceSet* list : entry.lists) {
      if (!IsListeningTo(list)) return false;
    }
    return &entry.compte->GetListSet(kVYXListModes) == entry.lists.back();
  }

  std::array<Entry, 8> entries_;
  size_t next_ = 0;
};

ProgramCache& Cache() {
  thread_local ProgramCache cache;
  return cache;
}

}  // namespace

bool OperationIsSelected(VYXCompte& compte, const Operation& op, Handle selection,
                         const CPDataEncoding& e) {
  VYXSelectionProgram* program = Cache().Get(compte, selection, e);
  return program && program->Selects(op);
}

bool SousOperationIsSelected(VYXCompte& compte, const Operation& op, const SousOperation& line,
                             Handle selection, const CPDataEncoding& e) {
  VYXSelectionProgram* program = Cache().Get(compte, selection, e);
  return program && program->Selects(op, line);
}

// ---- the filter

VYXOperationFilter::VYXOperationFilter(VYXCompte& compte, Handle selection, const CPDataEncoding& e)
    : program_(compte, selection, e, DossierDecimals()) {
  for (VYXCompteList list : kNamedLists) compte.GetListSet(list).AddListener(this);
}

void VYXOperationFilter::ListenTo(CPBroadcaster*, OSType category, uint32_t, void*) {
  if (category == kCPResourceMessage) program_.ForgetNames();
}
