#include "exchange/VYXCompteInternetPrefs.h"

#include <cstring>

#include "accounts/VYXCompte.h"

void VYXCompteInternetPrefs::ByteSwap() {
  CPResID mode = carteMode;
  CPSwapField(mode);
  carteMode = mode;
  CPDate date = lastDate;
  CPSwapField(date);
  lastDate = date;
}

void VYXCompteInternetPrefs::Encode(const CPDataEncoding& e) {
  if (numeroCompte[0] > 20) numeroCompte[0] = 20;
  CPEncodeString(numeroCompte, 20, kCPMacRoman, e.stringEncoding);
  lastDate = CPEncodeDate(lastDate, e);
  if (CPNeedByteSwapping(e)) ByteSwap();
}

void VYXCompteInternetPrefs::Decode(const CPDataEncoding& e) {
  if (CPNeedByteSwapping(e)) ByteSwap();
  lastDate = CPDecodeDate(lastDate, e);
  if (numeroCompte[0] > 20) numeroCompte[0] = 20;
  CPDecodeString(numeroCompte, 20, e);
}

VYXCompteInternetPrefs VYXCompteInternetPrefs::Get(const VYXCompte& compte) {
  CPDataEncoding encoding = CPHostEncoding;
  const std::vector<unsigned char>& bytes =
      compte.GetPrefs().GetRecord(kVYXCompteInternetPrefsID, &encoding);
  VYXCompteInternetPrefs prefs;
  if (bytes.size() < sizeof prefs) return prefs;
  std::memcpy(&prefs, bytes.data(), sizeof prefs);
  prefs.Decode(encoding);
  return prefs;
}

void VYXCompteInternetPrefs::Set(VYXCompte& compte, const VYXCompteInternetPrefs& prefs) {
  compte.SetPrefRecord(kVYXCompteInternetPrefsID, &prefs, sizeof prefs);
}
