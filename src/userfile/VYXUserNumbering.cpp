// The numbering of documents and purchase pieces, and the preference records
// it keeps its counters and formats in.
#include <algorithm>
#include <cstring>
#include <vector>

#include "foundation/CPCompare.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXNumeroVariables.h"
#include "userfile/VYXUserPreferences.h"

// ---- Preference records with a layout of their own. They are read in the
// encoding they were stored in; a shorter record keeps the defaults past its
// end, and a missing one reads as its defaults.

template <class R>
void VYXUserPreferences::ReadPrefs(CPResID id, R* record) {
  *record = R();
  CPResourceSet& set = GetPreferences();
  if (!set.ResourceExists(id)) return;
  CPDataEncoding encoding;
  std::vector<unsigned char> body(sizeof(R), 0);
  uint32_t got = set.GetResource(id, &encoding, body.data(), sizeof(R));
  R stored;
  stored.Encode(encoding);
  std::memcpy(&stored, body.data(), got);
  stored.Decode(encoding);
  *record = stored;
}

template <class R>
void VYXUserPreferences::WritePrefs(CPResID id, const R& record) {
  Exclusive hold(*this);
  R stored = record;
  stored.Encode(CPHostEncoding);
  SetPreferenceRecord(id, &stored, sizeof stored);
}

void VYXUserPreferences::GetPrefs(VYXUserFacturesPrefs* prefs) { ReadPrefs(kPrefFactures, prefs); }
void VYXUserPreferences::SetPrefs(const VYXUserFacturesPrefs& prefs) {
  WritePrefs(kPrefFactures, prefs);
}
void VYXUserPreferences::GetPrefs(VYXUserAchatsPrefs* prefs) { ReadPrefs(kPrefAchats, prefs); }
void VYXUserPreferences::SetPrefs(const VYXUserAchatsPrefs& prefs) {
  WritePrefs(kPrefAchats, prefs);
}
void VYXUserPreferences::GetPrefs(VYXUserSynchroPrefs* prefs) {
  ReadPrefs(kPrefSynchronisation, prefs);
}
void VYXUserPreferences::SetPrefs(const VYXUserSynchroPrefs& prefs) {
  WritePrefs(kPrefSynchronisation, prefs);
}
void VYXUserPreferences::GetPrefs(VYXUserAddressPrefs* prefs) { ReadPrefs(kPrefIdentite, prefs); }
void VYXUserPreferences::SetPrefs(const VYXUserAddressPrefs& prefs) {
  WritePrefs(kPrefIdentite, prefs);
}
void VYXUserPreferences::GetPrefs(VYXDossierComptableInfos* prefs) {
  ReadPrefs(kPrefDossierComptable, prefs);
}
void VYXUserPreferences::SetPrefs(const VYXDossierComptableInfos& prefs) {
  WritePrefs(kPrefDossierComptable, prefs);
}

bool VYXUserPreferences::GetSynchroNumero(VYXPieceKind, uint8_t, bool, int32_t*) { return false; }

// ---- Numbering

namespace {

constexpr int kSynchroTexts = 30790;

// The message of a synchronised numbering that did not answer.
std::string SynchroFailure(VYXPieceKind kind, uint8_t method, bool reserve) {
  int item = 1 + (int(kind) - 1) * 4 + (method == kSynchroEnLigne ? 2 : 0) + (reserve ? 1 : 0);
  return CPGetListString(kSynchroTexts, item);
}

}  // namespace

void VYXUserPreferences::GetNextNo(VYXPieceKind kind, int32_t* counter, CPDate date,
                                   StringPtr number, bool reserve) {
  Exclusive hold(*this);
  VYXUserSynchroPrefs synchro;
  GetPrefs(&synchro);
  int32_t n = 0;
  bool remote = false;
  if (synchro.actif &&
      (synchro.numerotation == kSynchroPartage || synchro.numerotation == kSynchroEnLigne)) {
    remote = GetSynchroNumero(kind, synchro.numerotation, reserve, &n);
    if (!remote) CPGetInteraction().Alert(SynchroFailure(kind, synchro.numerotation, reserve));
  }
  VYXUserFacturesPrefs prefs;
  GetPrefs(&prefs);
  VYXNumerotation& numerotation = prefs.Of(kind);
  if (!remote) {
    // A counter below 1 (a record written as zeros) starts at 1.
    n = std::max<int32_t>(1, numerotation.prochain);
    if (reserve) {
      numerotation.prochain = n + 1;
      SetPrefs(prefs);
    }
  }
  if (counter) *counter = n;
  VYXFormatNumero(numerotation.format, n, date, number);
}

bool VYXUserPreferences::ValidateNextNo(VYXPieceKind kind, ConstStringPtr number, CPDate date) {
  Exclusive hold(*this);
  VYXUserFacturesPrefs prefs;
  GetPrefs(&prefs);
  VYXNumerotation& numerotation = prefs.Of(kind);
  int32_t n = std::max<int32_t>(1, numerotation.prochain);
  Str255 expected;
  VYXFormatNumero(numerotation.format, n, date, expected);
  if (number[0] == 0 || !CPStrEqual(expected, number)) return false;
  numerotation.prochain = n + 1;
  SetPrefs(prefs);
  return true;
}

bool VYXUserPreferences::GetNextNoPiece(ConstStringPtr prefix, CPDate date, StringPtr number) {
  if (prefix[0] == 0) return false;
  VYXUserAchatsPrefs prefs;
  GetPrefs(&prefs);
  std::string_view wanted(reinterpret_cast<const char*>(prefix + 1), prefix[0]);
  for (const VYXNumerotation& n : prefs.pieces) {
    if (n.format[0] < prefix[0]) continue;
    std::string_view start(reinterpret_cast<const char*>(n.format + 1), prefix[0]);
    if (!CPEqualString(start, wanted, false, false)) continue;
    VYXFormatNumero(n.format, std::max<int32_t>(1, n.prochain), date, number);
    return true;
  }
  return false;
}

bool VYXUserPreferences::ValidateNextNoPiece(ConstStringPtr number, CPDate date) {
  if (number[0] == 0) return false;
  Exclusive hold(*this);
  VYXUserAchatsPrefs prefs;
  GetPrefs(&prefs);
  std::string_view first(reinterpret_cast<const char*>(number + 1), 1);
  for (VYXNumerotation& n : prefs.pieces) {
    if (n.format[0] == 0) continue;
    std::string_view start(reinterpret_cast<const char*>(n.format + 1), 1);
    if (!CPEqualString(start, first, false, false)) continue;
    int32_t counter = std::max<int32_t>(1, n.prochain);
    Str255 expected;
    VYXFormatNumero(n.format, counter, date, expected);
    if (!CPStrEqual(expected, number)) return false;
    n.prochain = counter + 1;
    SetPrefs(prefs);
    return true;
  }
  return false;
}
