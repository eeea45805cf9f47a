// The user file's sales documents: their list, their totals, and the
// settlement that follows the operations of the open accounts.
#include <algorithm>

#include "foundation/CPAmounts.h"
#include "foundation/CPErrors.h"
#include "foundation/CPException.h"
#include "foundation/CPStrings.h"
#include "platform/CPClock.h"
#include "platform/CPOSErr.h"
#include "userfile/VYXUserPreferences.h"

int32_t VYXUserPreferences::GetNbOfFactures() { return int32_t(FactureDataIDs().size()); }

DataID VYXUserPreferences::GetFactureDataID(int32_t id) {
  const std::vector<DataID>& ids = FactureDataIDs();
  return id >= 1 && size_t(id) <= ids.size() ? ids[id - 1] : 0;
}

bool VYXUserPreferences::GetFacture(int32_t id, Facture* facture) {
  DataID dataID = GetFactureDataID(id);
  return dataID != 0 && ReadFacture(dataID, facture);
}

bool VYXUserPreferences::FindFacture(DataID dataID, int32_t* id) {
  const std::vector<DataID>& ids = FactureDataIDs();
  auto it = std::lower_bound(ids.begin(), ids.end(), dataID);
  if (dataID == 0 || it == ids.end() || *it != dataID) return false;
  if (id) *id = int32_t(it - ids.begin()) + 1;
  return true;
}

bool VYXUserPreferences::IsSoldee(const FactureHeader& header, short decimals) {
  double total = header.totalTTC, sold = header.sold;
  if (header.etat < kEtatFacture || CPArrondi(total, decimals) == 0) return false;
  double owed = CPArrondi(total - sold, decimals);
  // A credit note (negative total) is settled by a refund as large.
  return total > 0 ? owed <= 0 : owed >= 0;
}

double VYXUserPreferences::CalculateFacture(const Facture& facture,
                                            std::vector<FactureTVATotal>* vatTotals,
                                            double* totalEco, double* totalCost) {
  return facture.CalculateTotal(GetArticles(), GetTauxTVA(), vatTotals, nullptr, nullptr, nullptr,
                                totalEco, totalCost, GetDecimals(kDecimalsMontants));
}

void VYXUserPreferences::CalculateFacture(Facture& facture) {
  short decimals = GetDecimals(kDecimalsMontants);
  double ht = 0, tva = 0, ttc = 0;
  facture.CalculateTotal(GetArticles(), GetTauxTVA(), nullptr, &ht, &tva, &ttc, nullptr, nullptr,
                         decimals);
  facture.header.totalHT = ht;
  facture.header.totalTVA = tva;
  facture.header.totalTTC = ttc;
  facture.header.soldee = IsSoldee(facture.header, decimals);
}

void VYXUserPreferences::AddFacture(Facture& facture, int32_t* id, bool calculate) {
  Exclusive hold(*this);
  if (calculate) CalculateFacture(facture);
  facture.header.header.modification = CPClock::Now();
  if (facture.header.header.creation == 0) facture.header.header.creation = CPClock::Now();
  DataID dataID = WriteNewFacture(facture);
  int32_t position = 0;
  FindFacture(dataID, &position);
  if (id) *id = position;
  VYXFactureMessage message{position, &facture, nullptr};
  BroadcastMessage(kVYXUserMessage, kUserFactureAdded, &message);
}

void VYXUserPreferences::ModifyFacture(int32_t id, Facture& facture) {
  Exclusive hold(*this);
  Facture old;
  if (!GetFacture(id, &old)) CPThrow(kCPErrNotFound);
  ModifyFacture(id, old, facture);
}

void VYXUserPreferences::ModifyFacture(int32_t id, const Facture& oldFacture, Facture& facture) {
  Exclusive hold(*this);
  DataID dataID = GetFactureDataID(id);
  if (dataID == 0) CPThrow(kCPErrNotFound);
  CalculateFacture(facture);
  facture.header.header.creation = oldFacture.header.header.creation;
  facture.header.header.modification = CPClock::Now();
  WriteFacture(dataID, facture);
  VYXFactureMessage message{id, &facture, &oldFacture};
  BroadcastMessage(kVYXUserMessage, kUserFactureModified, &message);
}

void VYXUserPreferences::DeleteFacture(int32_t id) {
  Exclusive hold(*this);
  Facture old;
  if (!GetFacture(id, &old)) CPThrow(kCPErrNotFound);
  EraseFacture(GetFactureDataID(id));
  VYXFactureMessage message{id, &old, nullptr};
  BroadcastMessage(kVYXUserMessage, kUserFactureDeleted, &message);
}

// What an operation pays of a document is its amount: the document's settled
// amount is the sum of the operations that name it, kept as they are added,
// changed and deleted. The document points at the last one that came.
void VYXUserPreferences::FactureOperationChanged(VYXCompte& compte, const Operation* oldOp,
                                                 const Operation* newOp) {
  DataID oldID = oldOp ? DataID(oldOp->facture) : 0;
  DataID newID = newOp ? DataID(newOp->facture) : 0;
  if (oldID == 0 && newID == 0) return;
  if (oldID == newID && double(oldOp->montant) == double(newOp->montant) &&
      oldOp->status == newOp->status) {
    return;
  }
  Exclusive hold(*this);
  int32_t position = GetCompteIndex(compte);
  CPResID compteID = 0;
  if (position != 0) GetNthCompte(position, &compteID);
  short decimals = GetDecimals(kDecimalsMontants);
  auto update = [&](DataID dataID, double paid, const Operation* from, const Operation* to) {
    int32_t id = 0;
    Facture facture;
    if (!FindFacture(dataID, &id) || !GetFacture(id, &facture)) return;
    Facture old = facture;
    FactureHeader& h = facture.header;
    h.sold = CPArrondi(double(h.sold) + paid, decimals);
    if (from && h.compte == compteID && h.operation == int32_t(from->header.dataID)) {
      h.compte = 0;
      h.operation = 0;
      h.prevu = 0;
    }
    if (to && compteID != 0) {
      h.compte = compteID;
      h.operation = int32_t(to->header.dataID);
      h.prevu = to->status == kOpPrevue;
    }
    ModifyFacture(id, old, facture);
  };
  if (oldID == newID) {
    update(newID, double(newOp->montant) - double(oldOp->montant), nullptr, newOp);
    return;
  }
  if (oldID != 0) update(oldID, -double(oldOp->montant), oldOp, nullptr);
  if (newID != 0) update(newID, double(newOp->montant), nullptr, newOp);
}
