// An OFX file read as a statement: each bank statement's transactions give
// statement lines ("OPER") and its ledger balance a bank balance; each
// credit-card statement's transactions give card lines ("ECCB") whose
// reference is the card's identifier.
#include <algorithm>
#include <utility>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXOFXStream.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPDates.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"

namespace {

std::string Trimmed(ConstStringPtr p) {
  std::string s = PToStd(p);
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return {};
  return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

}  // namespace

bool VYXIsOFXFile(CPTabCrStream& stream) { return VYXOFXStream::IsOFXStream(stream); }

void VYXReadOFXStatement(CPTabCrStream& stream, VYXParsedStatement* out) {
  out->format = VYXStatementFormat::kOFX;
  VYXOFXStream ofx(&stream);
  out->entries.reserve(out->entries.size() + ofx.TransactionsAtMost() + 1);
  VYXAdviseHugePages(&out->entries);
  OFXHeader header;
  // A file without its sign-on is read all the same, from its "<OFX>".
  ofx.GetHeader(&header);
  if (header.refused) {
    std::string text = CPGetListString(kVYXExchangeTexts, kExOFXRefused);
    CPReplaceVar(text, 1, header.message);
    CPThrowMessage(kVYXErrStatementSyntax, text);
  }
  OFX_SegmentType segment;
  while (ofx.GetSegment(&segment)) {
    bool card = segment == kOFXSegmentCreditCard;
    OFXAccount account;
    while (ofx.GetAccount(segment, &account)) {
      std::string id = Trimmed(account.id);
      if (!card && std::find(out->bankAccounts.begin(), out->bankAccounts.end(), id) ==
                       out->bankAccounts.end()) {
        out->bankAccounts.push_back(id);
      }
      CPDate latest = 0;
      OFXEcriture e;
      while (ofx.GetEcriture(&e) || ofx.NextTransactionList()) {
        if (e.line == 0) continue;  // a further list begins
        VYXStatementEntry entry;
        entry.kind = card ? kVYXLineCard : kVYXLineOperation;
        entry.date = e.date;
        entry.montant = e.amount;
        std::string name = Trimmed(e.name), memo = Trimmed(e.memo);
        entry.libelle = name;
        if (!memo.empty() && memo != name) entry.libelle += (name.empty() ? "" : " ") + memo;
        entry.reference = card ? id : Trimmed(e.checkNum);
        entry.fitid = Trimmed(e.fitid);
        entry.account = id;
        entry.line = e.line;
        latest = std::max(latest, e.date);
        out->entries.push_back(std::move(entry));
        e = OFXEcriture();
      }
      double balance = 0;
      CPDate asOf = 0;
      if (!card && ofx.GetSolde(&balance, &asOf)) {
        VYXStatementEntry entry;
        entry.kind = kVYXLineBalance;
        entry.date = asOf != 0 ? asOf : latest != 0 ? latest : CPGetDate();
        entry.montant = balance;
        entry.account = id;
        out->entries.push_back(std::move(entry));
      }
      ofx.GoToNextAccount(segment);
    }
  }
  out->replacedTexts += ofx.ReplacedValues();
}
