#include "analysis/VYXBilanCroise.h"

#include <algorithm>
#include <cstring>

#include "analysis/VYXCompteBilan.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "userfile/VYXUserPreferences.h"

namespace {

constexpr int kMaxMonths = 120;

}  // namespace

VYXBilanCroise::VYXBilanCroise(CPResourceSet_T<Categorie>& categories,
                               CPResourceSet_T<Affectation>& affectations, VYXUserMapping* mapping)
    : categories_(categories),
      affectations_(affectations),
      totalizer_(kVYXListCategories, kVYXListAffectations, mapping) {
  totalizer_.AddListener(this);
  categories_.AddListener(this);
  affectations_.AddListener(this);
}

VYXBilanCroise::~VYXBilanCroise() = default;

const VYXDeviseShown& VYXBilanCroise::Shown() {
  if (!shown_.IsKnown()) shown_.Set(GetUserPrefs(), GetSourceDevise(), prefs_.bilan.devise);
  return shown_;
}

DeviseCode VYXBilanCroise::GetShownDevise() { return Shown().Shown(); }

void VYXBilanCroise::Init() {
  if (VYXUserPreferences* user = GetUserPrefs()) user->GetDevises().AddListener(this);
  prefs_ = LoadPrefs();
  prefs_.bilan.Normalize();
  CPMonthPeriod period = GetPeriod();
  CPMonthYear start = period.GetStart(), end = period.GetEnd();
  totalizer_.SetTTC(GetDisplayTTC());
  totalizer_.SetPeriod(start.month, start.year, end.month, end.year);
  built_ = false;
}

void VYXBilanCroise::SetPrefs(const VYXCompteBilanCroisePrefs& prefs) {
  prefs_ = prefs;
  prefs_.bilan.Normalize();
  if (saving_) SavePrefs(prefs_);
  CPMonthPeriod period = GetPeriod();
  CPMonthYear start = period.GetStart(), end = period.GetEnd();
  // Each counts again only when what it counts changed.
  totalizer_.SetTTC(GetDisplayTTC());
  totalizer_.SetPeriod(start.month, start.year, end.month, end.year);
  TableChanged();
}

CPMonthPeriod VYXBilanCroise::GetPeriod() const {
  CPMonthPeriod period = CPMonthPeriod::FromDates(prefs_.bilan.periodStart, prefs_.bilan.periodEnd);
  if (period.GetCount() > kMaxMonths) {
    period = CPMonthPeriod(period.GetStart().month, period.GetStart().year, kMaxMonths);
  }
  return period;
}

void VYXBilanCroise::SetPeriod(const CPMonthPeriod& wanted) {
  CPMonthPeriod period = wanted;
  if (period.GetCount() > kMaxMonths) {
    period = CPMonthPeriod(period.GetStart().month, period.GetStart().year, kMaxMonths);
  }
  VYXCompteBilanCroisePrefs prefs = prefs_;
  prefs.bilan.periodStart = period.GetStartDate();
  prefs.bilan.periodEnd = period.GetEndDate();
  if (prefs.bilan.periodStart == 0 || prefs.bilan.periodEnd == 0) return;
  SetPrefs(prefs);
}

void VYXBilanCroise::GoToNextPeriod(bool option, bool shift) {
  CPMonthPeriod period = GetPeriod();
  SetPeriod(shift ? period.Lengthened(1) : period.Moved(option ? 1 : period.GetCount()));
}

void VYXBilanCroise::GoToPrevPeriod(bool option, bool shift) {
  CPMonthPeriod period = GetPeriod();
  SetPeriod(shift ? period.Moved(-1).Lengthened(1)
                  : period.Moved(option ? -1 : -period.GetCount()));
}

void VYXBilanCroise::SetShowStatus(bool prevu, bool engage, bool pointe) {
  VYXCompteBilanCroisePrefs prefs = prefs_;
  prefs.bilan.showPrevu = prevu;
  prefs.bilan.showEngage = engage;
  prefs.bilan.showPointe = pointe;
  SetPrefs(prefs);
}

void VYXBilanCroise::SetDisplayTTC(bool ttc) {
  VYXCompteBilanCroisePrefs prefs = prefs_;
  prefs.ttc = ttc;
  SetPrefs(prefs);
}

void VYXBilanCroise::SetDeviseCode(DeviseCode code) {
  VYXCompteBilanCroisePrefs prefs = prefs_;
  prefs.bilan.devise = code;
  SetPrefs(prefs);
}

// ---- the table

void VYXBilanCroise::TableChanged() {
  built_ = false;
  shown_.Forget();
  BroadcastMessage(kVYXBilanMessage, kBilanTableChanged, nullptr);
}

std::vector<VYXBilanCroise::Header> VYXBilanCroise::Axis(CPResourceSet& set) {
  std::vector<Header> axis;
  int32_t count = set.GetResourcesCount();
  for (int32_t n = 1; n <= count; ++n) {
    CPResID id = set.GetNthResource(n);
    if (id != 0) axis.push_back(Header{Header::kItem, id});
  }
  axis.push_back(Header{Header::kUndefined, 0});
  axis.push_back(Header{Header::kTotal, 0});
  axis.push_back(Header{Header::kCumul, 0});
  return axis;
}

void VYXBilanCroise::Rebuild() {
  if (built_) return;
  rows_ = Axis(categories_);
  columns_ = Axis(affectations_);
  built_ = true;
}

int VYXBilanCroise::GetRowCount() {
  Rebuild();
  return int(rows_.size());
}

int VYXBilanCroise::GetColumnCount() {
  Rebuild();
  return int(columns_.size()) + 1;
}

VYXBilanCroise::Header VYXBilanCroise::GetRow(int row) {
  Rebuild();
  return rows_.at(size_t(row));
}

VYXBilanCroise::Header VYXBilanCroise::GetColumn(int column) {
  Rebuild();
  if (column == 0) return Header{Header::kItem, 0};  // the row headers
  return columns_.at(size_t(column - 1));
}

namespace {

std::string Title(const VYXBilanCroise::Header& h, CPResourceSet& set, int undefinedItem) {
  switch (h.kind) {
    case VYXBilanCroise::Header::kItem: {
      Str255 name = {0};
      if (h.id != 0 && set.ResourceExists(h.id)) set.GetResourceName(h.id, name);
      return PToStd(name);
    }
    case VYXBilanCroise::Header::kUndefined:
      return CPGetListString(kVYXBilanTextsList, undefinedItem);
    case VYXBilanCroise::Header::kTotal:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanTotalItem);
    case VYXBilanCroise::Header::kCumul:
      return CPGetListString(kVYXBilanTextsList, kVYXBilanCumulItem);
  }
  return {};
}

}  // namespace

std::string VYXBilanCroise::GetRowTitle(int row) {
  return Title(GetRow(row), categories_, kVYXBilanSansCategorieItem);
}

std::string VYXBilanCroise::GetColumnTitle(int column) {
  if (column == 0) return {};
  return Title(GetColumn(column), affectations_, kVYXBilanSansAffectationItem);
}

double VYXBilanCroise::Cell(const Header& row, const Header& column) {
  ExtMontantSet set = totalizer_.Get(row.id, column.id);
  set.Filter(prefs_.bilan.showPrevu, prefs_.bilan.showEngage, prefs_.bilan.showPointe);
  return set.Total();
}

double VYXBilanCroise::GetAmount(int row, int column) {
  Rebuild();
  if (column == 0) return 0;
  size_t r = size_t(row), c = size_t(column - 1);
  const Header& rh = rows_.at(r);
  const Header& ch = columns_.at(c);
  // A cumulative row runs across the plain columns, a cumulative column
  // down the plain rows; neither meets a total or the other.
  if ((rh.kind == Header::kCumul && ch.kind != Header::kItem && ch.kind != Header::kUndefined) ||
      (ch.kind == Header::kCumul && rh.kind != Header::kItem && rh.kind != Header::kUndefined)) {
    return 0;
  }
  auto plain = [](const std::vector<Header>& axis, size_t last) {
    std::vector<size_t> out;
    for (size_t i = 0; i < axis.size() && i <= last; ++i) {
      if (axis[i].kind == Header::kItem || axis[i].kind == Header::kUndefined) out.push_back(i);
    }
    return out;
  };
  std::vector<size_t> rowSet, columnSet;
  switch (rh.kind) {
    case Header::kItem:
    case Header::kUndefined:
      rowSet = {r};
      break;
    default:
      rowSet = plain(rows_, rows_.size());
      break;
  }
  switch (ch.kind) {
    case Header::kItem:
    case Header::kUndefined:
      columnSet = {c};
      break;
    default:
      columnSet = plain(columns_, columns_.size());
      break;
  }
  if (rh.kind == Header::kCumul) columnSet = plain(columns_, c);
  if (ch.kind == Header::kCumul) rowSet = plain(rows_, r);
  double sum = 0;
  for (size_t i : rowSet) {
    for (size_t j : columnSet) sum += Cell(rows_[i], columns_[j]);
  }
  return Shown().Convert(sum);
}

void VYXBilanCroise::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category == kCPResourceMessage && (from == static_cast<CPBroadcaster*>(&categories_) ||
                                         from == static_cast<CPBroadcaster*>(&affectations_))) {
    if (code != kCPResChanged) TableChanged();
    return;
  }
  if (category != kVYXTotauxMessage || from != static_cast<CPBroadcaster*>(&totalizer_)) return;
  if (code != kTotauxTotalizerChanged || !built_) {
    if (code == kTotauxTotalizerComptes) TableChanged();
    return;
  }
  auto* key = static_cast<VYX2ResTotalItem*>(data);
  int row = -1, column = -1;
  for (size_t r = 0; r < rows_.size(); ++r) {
    const Header& h = rows_[r];
    if ((h.kind == Header::kItem && h.id == key->first) ||
        (h.kind == Header::kUndefined && key->first == 0)) {
      row = int(r);
    }
  }
  for (size_t c = 0; c < columns_.size(); ++c) {
    const Header& h = columns_[c];
    if ((h.kind == Header::kItem && h.id == key->second) ||
        (h.kind == Header::kUndefined && key->second == 0)) {
      column = int(c) + 1;
    }
  }
  if (row < 0 || column < 0) return;
  VYXBilanCell cell{row, column};
  BroadcastMessage(kVYXBilanMessage, kBilanCellChanged, &cell);
}

// ---- one account

VYXCompteBilanCroise::VYXCompteBilanCroise(VYXCompte& compte)
    : VYXBilanCroise(compte.GetCategories(), compte.GetAffectations(), nullptr), compte_(compte) {
  Init();
  Totalizer().AddCompte(compte_);
}

VYXCompteBilanCroisePrefs VYXCompteBilanCroise::LoadPrefs() {
  CPDataEncoding encoding;
  const std::vector<unsigned char>& bytes =
      compte_.GetPrefs().GetRecord(kVYXCompteBilanCroisePrefsID, &encoding);
  VYXCompteBilanCroisePrefs prefs;
  if (bytes.size() < sizeof(prefs)) return prefs;
  std::memcpy(&prefs, bytes.data(), sizeof(prefs));
  prefs.Decode(encoding);
  return prefs;
}

void VYXCompteBilanCroise::SavePrefs(const VYXCompteBilanCroisePrefs& prefs) {
  compte_.SetPrefRecord(kVYXCompteBilanCroisePrefsID, &prefs, sizeof(prefs));
}

VYXUserPreferences* VYXCompteBilanCroise::GetUserPrefs() {
  return dynamic_cast<VYXUserPreferences*>(&compte_.GetSupervisor());
}

// ---- the dossier

VYXUserBilanCroise::VYXUserBilanCroise(VYXUserTotaux& totaux)
    : VYXBilanCroise(totaux.GetCategories(), totaux.GetAffectations(), &totaux.GetMapping()),
      totaux_(totaux) {
  Init();
  totaux_.GetUser().AddListener(this);
  SyncComptes();
}

VYXUserBilanCroise::~VYXUserBilanCroise() = default;

void VYXUserBilanCroise::SyncComptes() {
  std::vector<VYXCompte*> wanted;
  for (VYXCompte* compte : totaux_.GetComptes()) {
    if (totaux_.IncludedModules(*compte)[kTotauxCategories]) wanted.push_back(compte);
  }
  Totalizer().SetComptes(wanted);
}

void VYXUserBilanCroise::ListenTo(CPBroadcaster* from, OSType category, uint32_t code, void* data) {
  if (category == kVYXUserMessage) {
    if (code == kUserCompteOpened || code == kUserModuleChecked) SyncComptes();
    if (code == kUserCompteClosing && data) {
      Totalizer().RemoveCompte(*static_cast<VYXCompte*>(data));
    }
    return;
  }
  VYXBilanCroise::ListenTo(from, category, code, data);
}

VYXCompteBilanCroisePrefs VYXUserBilanCroise::LoadPrefs() {
  VYXCompteBilanCroisePrefs prefs;
  VYXCompteBilanCroisePrefs stored;
  if (totaux_.GetUser().GetPreferenceRecord(kVYXUserBilanCroisePrefsID, &stored, sizeof(stored))) {
    prefs = stored;
  }
  return prefs;
}

void VYXUserBilanCroise::SavePrefs(const VYXCompteBilanCroisePrefs& prefs) {
  totaux_.GetUser().SetPreferenceRecord(kVYXUserBilanCroisePrefsID, &prefs, sizeof(prefs));
}

DeviseCode VYXUserBilanCroise::GetSourceDevise() { return totaux_.GetUser().GetReferenceDevise(); }

VYXUserPreferences* VYXUserBilanCroise::GetUserPrefs() { return &totaux_.GetUser(); }
