#include "exchange/VYXCompteTel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "accounts/VYXCompte.h"
#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXLabelReading.h"
#include "foundation/CPAmounts.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPFileStream.h"
#include "foundation/CPForeignText.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

namespace {

std::string Trim(std::string s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

// What tells a line loaded twice: the bank's identifier of the transaction
// when it gives one, else its date, amount (in cents) and label.
std::string Key(OSType kind, CPDate date, double montant, const std::string& label,
                const std::string& fitid) {
  std::string k = CPString::FromType(kind).Std();
  if (!fitid.empty()) return k + "F" + fitid;
  long long cents = llround(montant * 100);
  return k + "D" + std::to_string(date / kCPSecondsPerDay) + "/" + std::to_string(cents) + "/" +
         Trim(label);
}

std::string KeyOf(const VYXInternetDataItem& item) {
  return Key(item.kind, item.date, item.montant, PToStd(item.libelle), PToStd(item.fitid));
}

VYXInternetDataItem ItemOf(const VYXStatementEntry& e) {
  VYXInternetDataItem item;
  item.kind = e.kind;
  item.date = e.date;
  item.montant = e.montant;
  StdToP(Trim(e.libelle), item.libelle, sizeof(Str64) - 1);
  StdToP(Trim(e.reference), item.reference, sizeof(Str20) - 1);
  StdToP(Trim(e.complement), item.complement);
  StdToP(Trim(e.fitid), item.fitid, sizeof(Str63) - 1);
  item.isNew = true;
  return item;
}

std::string Normalised(const std::string& id) {
  std::string out;
  for (char c : id)
    if (c != ' ' && c != '-' && c != '.' && c != '/') out += char(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace

bool VYXSameIdentifier(const std::string& a, const std::string& b) {
  std::string x = Normalised(a), y = Normalised(b);
  if (x.empty() || y.empty()) return false;
  if (x == y) return true;
  // Cut to the width of a field (a card's number in a 20-byte reference).
  const std::string& a1 = x.size() < y.size() ? x : y;
  const std::string& b1 = x.size() < y.size() ? y : x;
  if (a1.size() >= 16 && b1.compare(0, a1.size(), a1) == 0) return true;
  // Masked or shortened: compare what both show at their ends.
  auto shown = [](const std::string& s) {
    size_t mask = s.find_last_of("X*");
    return mask == std::string::npos ? s : s.substr(mask + 1);
  };
  std::string sx = shown(x), sy = shown(y);
  if (sx.size() < 4 || sy.size() < 4) return false;
  const std::string& shorter = sx.size() < sy.size() ? sx : sy;
  const std::string& longer = sx.size() < sy.size() ? sy : sx;
  return longer.compare(longer.size() - shorter.size(), shorter.size(), shorter) == 0;
}

VYXCompteTel::VYXCompteTel(VYXCompte& compte, const CPFileRef& compteFile,
                           VYXReleveFile::Format format)
    : compte_(compte), file_(VYXReleveFile::ForCompte(compteFile), format) {}

void VYXCompteTel::ReadData() {
  file_.Read();
  for (VYXInternetDataItem& item : file_.Items()) {
    // A statement line without a reference may name its cheque in its text.
    if (item.kind != kVYXLineOperation || item.reference[0] != 0) continue;
    std::string piece = FindNoPiece(PToStd(item.libelle));
    if (piece.empty()) piece = FindNoPiece(PToStd(item.complement));
    if (!piece.empty()) {
      StdToP(piece, item.reference, sizeof(Str20) - 1);
      item.pieceFromLabel = true;
    }
  }
}

void VYXCompteTel::SaveData() { file_.Save(); }

CPDate VYXCompteTel::GetLastDate() const { return VYXCompteInternetPrefs::Get(compte_).lastDate; }

void VYXCompteTel::SetLastDate(CPDate date) {
  VYXCompteInternetPrefs prefs = VYXCompteInternetPrefs::Get(compte_);
  if (prefs.lastDate == date) return;
  prefs.lastDate = date;
  VYXCompteInternetPrefs::Set(compte_, prefs);
}

void VYXCompteTel::DoUserInitLastDate() { SetLastDate(0); }

void VYXCompteTel::DoUserLastDateBackOneDay() {
  CPDate last = GetLastDate();
  if (last != 0) SetLastDate(CPAddDays(last, -1));
}

void VYXCompteTel::SetSolde(CPDate date, double montant) {
  for (const VYXReleveFile::Balance& b : file_.Balances()) {
    if (CPAreSameDates(b.date, date) && std::abs(b.montant - montant) < 0.0001) return;
  }
  file_.AddBalance(date, montant);
}

bool VYXCompteTel::CanLoadEncoursCarte(const std::string& card) {
  CPResourceSet_T<Mode>& modes = compte_.GetModes();
  bool anyCard = false;
  for (int32_t n = 1, count = modes.GetResourcesCount(); n <= count; ++n) {
    Mode mode;
    if (!modes.ReadResource(modes.GetNthResource(n), &mode) || mode.noCarte[0] == 0) continue;
    anyCard = true;
    if (VYXSameIdentifier(PToStd(mode.noCarte), card)) return true;
  }
  return !anyCard;
}

VYXLoadReport VYXCompteTel::LoadBanqueFile(const CPFileRef& statement,
                                           const VYXLoadOptions& options) {
  return Load(VYXReadStatementFile(statement, options.format, options.columns), options);
}

VYXLoadReport VYXCompteTel::Load(const VYXParsedStatement& statement,
                                 const VYXLoadOptions& options) {
  VYXLoadReport report;
  report.format = statement.format;
  report.ignored = statement.ignored;
  report.replacedTexts = statement.replacedTexts;

  // A load that fails leaves the lines held as they were, like the file.
  VYXReleveFile before = file_;
  try {
    return Record(statement, options, report);
  } catch (...) {
    file_ = before;
    throw;
  }
}

VYXLoadReport VYXCompteTel::Record(const VYXParsedStatement& statement,
                                   const VYXLoadOptions& options, VYXLoadReport report) {
  VYXCompteInternetPrefs prefs = VYXCompteInternetPrefs::Get(compte_);
  bool prefsChanged = false;
  std::string accountId = options.accountId;
  if (!accountId.empty() && accountId != PToStd(prefs.numeroCompte)) {
    StdToP(accountId, prefs.numeroCompte, sizeof(Str20) - 1);
    prefsChanged = true;
  }
  if (accountId.empty()) accountId = PToStd(prefs.numeroCompte);
  // Lines of several bank accounts cannot all be this account's.
  if (accountId.empty() && statement.bankAccounts.size() > 1) {
    std::string list;
    for (const std::string& id : statement.bankAccounts) list += (list.empty() ? "" : ", ") + id;
    CPThrowList(kVYXErrNotAStatement, kVYXExchangeTexts, kExSeveralAccounts, {list});
  }
  auto ofOtherAccount = [&](const VYXStatementEntry& e) {
    return !accountId.empty() && !e.account.empty() && e.kind != kVYXLineCard &&
           !VYXSameIdentifier(e.account, accountId);
  };

  const CPDate last = prefs.lastDate;
  // What the data file holds already, counted so that two equal lines of
  // one day are told apart.
  std::map<std::string, long> held;
  for (const VYXInternetDataItem& item : file_.Items()) ++held[KeyOf(item)];

  // The cards whose statement the file brings: their earlier outstanding
  // lines are replaced.
  std::vector<std::string> cards;
  for (const VYXStatementEntry& e : statement.entries) {
    if (e.kind != kVYXLineCard || !CanLoadEncoursCarte(e.account)) continue;
    if (std::find(cards.begin(), cards.end(), e.account) == cards.end()) cards.push_back(e.account);
  }
  bool changed = false;
  if (!cards.empty()) {
    size_t before = file_.Items().size();
    file_.RemoveItems([&](const VYXInternetDataItem& item) {
      if (item.kind != kVYXLineCard || item.charged || item.validated || item.setAside) return false;
      for (const std::string& c : cards)
        if (VYXSameIdentifier(PToStd(item.reference), c)) return true;
      return false;
    });
    report.cardsCleared = long(before - file_.Items().size());
    changed = report.cardsCleared > 0;
  }

  CPDate latest = last;
  for (const VYXStatementEntry& e : statement.entries) {
    if (e.kind == kVYXLineBalance) {
      if (ofOtherAccount(e)) continue;
      size_t count = file_.Balances().size();
      SetSolde(e.date, e.montant);
      if (file_.Balances().size() != count) {
        ++report.balances;
        changed = true;
      }
      continue;
    }
    ++report.read;
    if (ofOtherAccount(e)) {
      ++report.otherAccount;
      continue;
    }
    if (e.kind == kVYXLineCard && !CanLoadEncoursCarte(e.account)) {
      ++report.otherCard;
      continue;
    }
    VYXInternetDataItem item = ItemOf(e);
    if (e.kind == kVYXLineOperation && last != 0 && CPCompareDates(e.date, last) <= 0) {
      auto it = held.find(KeyOf(item));
      if (it != held.end() && it->second > 0) {
        --it->second;
        ++report.held;
        continue;
      }
    }
    if (item.kind == kVYXLineOperation && item.reference[0] == 0) {
      std::string piece = FindNoPiece(PToStd(item.libelle));
      if (piece.empty()) piece = FindNoPiece(PToStd(item.complement));
      if (!piece.empty()) {
        StdToP(piece, item.reference, sizeof(Str20) - 1);
        item.pieceFromLabel = true;
      }
    }
    file_.AddItem(item);
    ++report.added;
    changed = true;
    if (e.kind == kVYXLineOperation && CPCompareDates(e.date, latest) > 0) latest = e.date;
  }
  if (changed) file_.Save();
  if (latest != prefs.lastDate) {
    prefs.lastDate = latest;
    prefsChanged = true;
  }
  if (prefsChanged) VYXCompteInternetPrefs::Set(compte_, prefs);
  report.lastDate = prefs.lastDate;
  return report;
}

std::vector<VYXInternetDataItem*> VYXCompteTel::LoadData(bool cardView, const std::string& card) {
  std::vector<VYXInternetDataItem*> lines;
  for (VYXInternetDataItem& item : file_.Items()) {
    if (!item.NeedsDecision()) continue;
    if (!cardView) {
      if (item.kind == kVYXLineOperation) lines.push_back(&item);
      continue;
    }
    if (item.kind != kVYXLineCard || item.charged) continue;
    if (!card.empty() && !VYXSameIdentifier(PToStd(item.reference), card)) continue;
    lines.push_back(&item);
  }
  std::stable_sort(lines.begin(), lines.end(), [](const VYXInternetDataItem* a, const VYXInternetDataItem* b) {
    if (a->date != b->date) return a->date < b->date;
    return a->id < b->id;
  });
  return lines;
}

VYXInternetDataItem* VYXCompteTel::FindLine(long number) {
  for (VYXInternetDataItem& item : file_.Items())
    if (item.number == number) return &item;
  return nullptr;
}
