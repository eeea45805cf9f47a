#include "userfile/VYXUserFacturesPrefs.h"

#include "accounts/VYXRecordCodec.h"
#include "foundation/CPStrings.h"

namespace {

// MacRoman « and », the delimiters of variables in numbers.
void SetFormat(VYXNumerotation& n, const char* prefix, const char* rest) {
  std::string format = std::string(prefix) + "\xC7" "aaaa\xC8" + rest + "\xC7" "num4\xC8";
  StdToP(format, n.format, sizeof n.format - 1);
}

}  // namespace

void VYXNumerotation::Encode(const CPDataEncoding& e) {
  VYXEncodeText(format, e);
  if (CPNeedByteSwapping(e)) prochain = VYXSwapped(prochain);
}

void VYXNumerotation::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) prochain = VYXSwapped(prochain);
  VYXDecodeText(format, e);
}

VYXUserFacturesPrefs::VYXUserFacturesPrefs() {
  SetFormat(devis, "D", "-");
  SetFormat(bl, "L", "-");
  SetFormat(facture, "F", "-");
}

VYXNumerotation& VYXUserFacturesPrefs::Of(VYXPieceKind kind) {
  switch (kind) {
    case VYXPieceKind::kDevis:
      return devis;
    case VYXPieceKind::kBL:
      return bl;
    default:
      return facture;
  }
}

const VYXNumerotation& VYXUserFacturesPrefs::Of(VYXPieceKind kind) const {
  return const_cast<VYXUserFacturesPrefs*>(this)->Of(kind);
}

void VYXUserFacturesPrefs::Encode(const CPDataEncoding& e) {
  devis.Encode(e);
  bl.Encode(e);
  facture.Encode(e);
  VYXEncodeText(mentions, e);
  if (CPNeedByteSwapping(e)) tauxPenalites = VYXSwapped(tauxPenalites);
}

void VYXUserFacturesPrefs::Decode(const CPDataEncoding& e) {
  devis.Decode(e);
  bl.Decode(e);
  facture.Decode(e);
  VYXDecodeText(mentions, e);
  if (CPNeedByteSwapping(e)) tauxPenalites = VYXSwapped(tauxPenalites);
}

VYXUserAchatsPrefs::VYXUserAchatsPrefs() {
  SetFormat(pieces[0], "AC", "");
  SetFormat(pieces[1], "NF", "");
}

void VYXUserAchatsPrefs::Encode(const CPDataEncoding& e) {
  for (VYXNumerotation& n : pieces) n.Encode(e);
}

void VYXUserAchatsPrefs::Decode(const CPDataEncoding& e) {
  for (VYXNumerotation& n : pieces) n.Decode(e);
}
