// The numbering of documents and purchase pieces, and the preference records
// it keeps its counters and formats in.
#include <cstring>
#include <vector>

#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPOSErr.h"
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
