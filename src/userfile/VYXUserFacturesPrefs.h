// The preference records that number documents: those of sales documents
// ("Factures", 1027: quotes, delivery notes, invoices, and the terms and
// mentions of invoices), of purchase pieces ("Achats", 1059) and the part of
// the synchronisation settings ("Synchronisation", 1092) that says where
// numbers come from. Each counter is the next number to give; each format
// is a text whose variables (between « and ») the number and the date fill.
#ifndef VYX_USERFILE_VYXUSERFACTURESPREFS_H_
#define VYX_USERFILE_VYXUSERFACTURESPREFS_H_

#include <cstddef>
#include <type_traits>

#include "accounts/VYXRecordTypes.h"
#include "foundation/CPDataEncoding.h"

using Str127 = unsigned char[128];

#pragma pack(push, 1)

// A counter and its format.
struct VYXNumerotation {
  int32_t prochain = 1;
  Str31 format = {};

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// Which numbering of VYXUserFacturesPrefs.
enum class VYXPieceKind : uint8_t { kDevis = 1, kBL = 2, kFacture = 3 };

struct VYXUserFacturesPrefs {
  VYXNumerotation devis;
  VYXNumerotation bl;
  VYXNumerotation facture;
  uint8_t modalite = 1;  // terms of a new invoice (ModaliteReglement)
  uint8_t unused1 = 0;
  // Late-payment interest rate in percent printed on invoices; 0 prints the
  // legal minimum (three times the legal interest rate).
  double tauxPenalites = 0;
  Str127 mentions = {};  // a mention of the seller's own, printed on every invoice
  uint8_t unused2[18] = {};

  // Counters 1; formats "D«aaaa»-«num4»", "L…" and "F…".
  VYXUserFacturesPrefs();

  VYXNumerotation& Of(VYXPieceKind kind);
  const VYXNumerotation& Of(VYXPieceKind kind) const;

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// Purchase pieces: three numberings, told apart by the first characters of
// their formats.
struct VYXUserAchatsPrefs {
  VYXNumerotation pieces[3];

  // Counters 1; formats "AC«aaaa»«num4»", "NF«aaaa»«num4»" and none.
  VYXUserAchatsPrefs();

  void Encode(const CPDataEncoding& e);
  void Decode(const CPDataEncoding& e);
};

// Where document numbers come from when the dossier is synchronised.
enum : uint8_t {
  kSynchroLocale = 0,    // the dossier's own counters
  kSynchroPartage = 1,   // a file shared with the other stations
  kSynchroEnLigne = 2,   // an online numbering service
};

struct VYXUserSynchroPrefs {
  Boolean actif = 0;
  uint8_t numerotation = kSynchroLocale;
  uint8_t unused[258] = {};

  void Encode(const CPDataEncoding&) {}
  void Decode(const CPDataEncoding&) {}
};

#pragma pack(pop)

static_assert(sizeof(VYXNumerotation) == 36);
static_assert(sizeof(VYXUserFacturesPrefs) == 264);
static_assert(offsetof(VYXUserFacturesPrefs, bl) == 36);
static_assert(offsetof(VYXUserFacturesPrefs, facture) == 72);
static_assert(offsetof(VYXUserFacturesPrefs, modalite) == 108);
static_assert(offsetof(VYXUserFacturesPrefs, tauxPenalites) == 110);
static_assert(offsetof(VYXUserFacturesPrefs, mentions) == 118);
static_assert(sizeof(VYXUserAchatsPrefs) == 108);
static_assert(sizeof(VYXUserSynchroPrefs) == 260);
static_assert(std::is_trivially_copyable_v<VYXUserFacturesPrefs>);

#endif  // VYX_USERFILE_VYXUSERFACTURESPREFS_H_
