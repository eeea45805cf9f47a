// The settings of a user file that every list and report of it follows: the
// decimals shown for amounts, results and security quantities, and the
// separators of exported text. The one record of the file's "USRI" table
// (64 bytes, docs/user-file.md); changing one is announced in 'USER' 10 to 14.
#ifndef VYX_USERFILE_VYXPROUSERPREFS_H_
#define VYX_USERFILE_VYXPROUSERPREFS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

constexpr OSType kVYXProUserPrefsType = 'USRI';
constexpr uint16_t kVYXProUserPrefsVersion = 1;

// Which decimals a user sets ('USER' 10 carries it).
enum VYXDecimalsKind : int16_t {
  kDecimalsMontants = 0,   // amounts, and the conversions between currencies
  kDecimalsResultats = 1,  // results of reports
  kDecimalsQuantites = 2,  // quantities of securities
};

#pragma pack(push, 1)

struct VYXProUserPrefs {
  uint16_t version = kVYXProUserPrefsVersion;
  int16_t decimalesMontants = 2;
  int16_t decimalesResultats = 2;
  int16_t decimalesQuantites = 4;
  Boolean separateurMilliers = 1;  // group thousands in amounts shown
  uint8_t separateurColonnes = '\t';
  uint8_t separateurLignes = '\r';
  Boolean lignesListes = 1;  // rule the lines of listings
  uint8_t unused[52] = {};

  int16_t GetDecimals(VYXDecimalsKind kind) const;
  void SetDecimals(VYXDecimalsKind kind, int16_t decimals);

  void ByteSwap();
  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

#pragma pack(pop)

static_assert(sizeof(VYXProUserPrefs) == 64);
static_assert(std::is_trivially_copyable_v<VYXProUserPrefs>);
static_assert(offsetof(VYXProUserPrefs, separateurMilliers) == 8);

#endif  // VYX_USERFILE_VYXPROUSERPREFS_H_
