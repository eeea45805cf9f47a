// A QIF file read as a statement: each transaction of a bank, cash or card
// block gives a statement line (the payee as its label, the memo as its
// second line, N as its reference); an opening balance gives a bank balance.
// Investment lines and the records of list blocks are not statement lines.
#include <cstring>
#include <utility>

#include "exchange/VYXExchangeErrors.h"
#include "exchange/VYXExchangeTexts.h"
#include "exchange/VYXQIFStream.h"
#include "exchange/VYXStatementReaders.h"
#include "foundation/CPStrings.h"

namespace {

bool IsList(QIF_AccountType type) {
  return type == kQIFTypeCat || type == kQIFTypeClass || type == kQIFTypeMemorized;
}

// The "^" of the file bound the number of its records: room for them all at
// once spares copying a hundred thousand lines each time the list grows.
size_t RecordsAtMost(const CPTabCrStream& stream) {
  uint32_t count = 0;
  const unsigned char* p = stream.BytesAtMarker(&count);
  if (p == nullptr) return 0;
  const unsigned char* end = p + count;
  size_t n = 0;
  while ((p = static_cast<const unsigned char*>(std::memchr(p, '^', size_t(end - p)))) != nullptr) {
    ++n;
    ++p;
  }
  return n;
}

}  // namespace

bool VYXIsQIFFile(CPTabCrStream& stream) {
  return VYXQIFStream::IsQIFStream(stream, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void VYXReadQIFStatement(CPTabCrStream& stream, VYXParsedStatement* out) {
  out->format = VYXStatementFormat::kQIF;
  QIF_FormatType format;
  QIF_Encoding encoding;
  bool monthFirst = false;
  VYXQIFStream::IsQIFStream(stream, nullptr, &format, &encoding, &monthFirst, nullptr);
  out->entries.reserve(out->entries.size() + RecordsAtMost(stream));
  VYXAdviseHugePages(&out->entries);
  VYXQIFStream qif(&stream, format, encoding, monthFirst);
  QIF_AccountType current = kQIFTypeUnknown;
  QIF_DataType kind;
  while (qif.GetNextDataType(&kind)) {
    if (kind == kQIFHeaderLine) {
      Str255 argument;
      int header = qif.GetHeader(argument);
      if (header == 2) current = VYXQIFStream::GetAccountType(argument);
      if (header == 3) {
        QIFAccount account;
        qif.GetAccount(&account);
      }
      continue;
    }
    if (kind == kQIFOptionLine) {
      Str255 argument;
      qif.GetOption(argument);
      continue;
    }
    if (current == kQIFTypeUnknown) {
      qif.SkipLine();
      continue;
    }
    if (IsList(current)) {
      std::string name;
      bool income;
      qif.GetListItem(&name, &income);
      ++out->ignored;
      continue;
    }
    QIFTransaction t;
    bool hasSplits, isOpening;
    if (!qif.GetTransaction(current, &t, &hasSplits, &isOpening)) break;
    QIFSplit split;
    bool more = hasSplits;
    while (more && qif.GetSplit(&split, &more)) {
    }
    if (t.investment) {
      ++out->ignored;
      continue;
    }
    if (t.date == 0) VYXThrowAtLine(kVYXExchangeTexts, kExQIFNoDate, t.line);
    VYXStatementEntry entry;
    entry.date = t.date;
    entry.montant = t.amount;
    entry.line = t.line;
    if (isOpening) {
      entry.kind = kVYXLineBalance;
      out->entries.push_back(std::move(entry));
      continue;
    }
    std::string payee = PToStd(t.payee), memo = PToStd(t.memo);
    entry.libelle = payee.empty() ? memo : payee;
    if (!payee.empty() && memo != payee) entry.complement = memo;
    entry.reference = PToStd(t.number);
    out->entries.push_back(std::move(entry));
  }
  out->replacedTexts += qif.ReplacedLines();
}
