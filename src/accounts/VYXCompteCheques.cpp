// Cheque numbers and cheque books. A book holds the cheques `first` to
// `first` + `number` - 1 and shows them as 7-character texts: the number
// with leading zeros, its first characters overwritten by the book's prefix.
#include <algorithm>
#include <cstring>
#include <string>

#include "accounts/VYXCompte.h"
#include "accounts/VYXCompteErrors.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"

namespace {

constexpr size_t kChequeWidth = 7;

std::string Padded(long number) {
  std::string s = std::to_string(number);
  if (s.size() < kChequeWidth) s.insert(0, kChequeWidth - s.size(), '0');
  return s;
}

}  // namespace

CPResID VYXCompte::GetChequierOfMode(const Mode& mode) {
  CPResourceSet_T<Chequier>& books = GetChequiers();
  auto hasCheques = [&](CPResID id) {
    Chequier book;
    return id != 0 && books.ReadResource(id, &book) && book.next <= book.number;
  };
  if (hasCheques(mode.chequierID)) return mode.chequierID;
  if (!mode.askForChequier && mode.chequierID == 0) return 0;
  // A used-up book stays until the user deletes it, and an account may keep
  // several at once: the next cheque is in whichever has one.
  for (int32_t n = 1, count = books.GetResourcesCount(); n <= count; ++n) {
    CPResID id = books.GetNthResource(n);
    if (hasCheques(id)) return id;
  }
  return 0;
}

// An exhausted book proposes the message that says so, as it is: the prefix
// marks cheque numbers and would only garble the message.
bool VYXCompte::GetNextNoCheque(CPResID chequierID, StringPtr text) {
  Chequier book;
  if (chequierID == 0 || !GetChequiers().ReadResource(chequierID, &book)) return false;
  if (book.next > book.number) {
    StdToP(CPGetListString(kVYXChequesList, kVYXChequierEmptyItem), text);
    return true;
  }
  std::string s = Padded(long(book.first) + book.next - 1);
  for (size_t i = 0; i < book.prefix[0] && i < sizeof book.prefix - 1; ++i) {
    if (i < s.size()) {
      s[i] = char(book.prefix[i + 1]);
    } else {
      s += char(book.prefix[i + 1]);
    }
  }
  if (s.size() > kChequeWidth) s.resize(kChequeWidth);
  StdToP(s, text);
  return true;
}

// The text must start with the book's prefix. The digits after it are all that is left of the
// number when a prefix overwrote its first figures ("A000049" for 1000049): they are matched
// against the book's numbers cut to as many figures as the prefix leaves, not taken for the whole
// number, which would never fall in the book.
bool VYXCompte::GetNoChequeIndex(CPResID chequierID, ConstStringPtr text, int16_t* index) {
  Chequier book;
  if (chequierID == 0 || !GetChequiers().ReadResource(chequierID, &book)) return false;
  size_t prefix = std::min<size_t>(book.prefix[0], sizeof book.prefix - 1);
  size_t length = text[0];
  if (length <= prefix || length - prefix > 9) return false;
  // A number of another book's series is not one of this book's cheques.
  if (std::memcmp(text + 1, book.prefix + 1, prefix) != 0) return false;
  long n = 0;
  for (size_t i = prefix + 1; i <= length; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    n = n * 10 + (text[i] - '0');
  }
  long first = book.first, count = book.number;
  long offset;
  if (prefix == 0) {
    offset = n - first;
  } else {
    long modulus = 1;
    for (size_t i = prefix; i < kChequeWidth; ++i) modulus *= 10;
    if (n >= modulus) return false;
    offset = ((n - first) % modulus + modulus) % modulus;
  }
  if (offset < 0 || offset >= count) return false;
  if (index) *index = int16_t(offset + 1);
  return true;
}

void VYXCompte::MarkNoCheque(CPResID chequierID, ConstStringPtr text) {
  int16_t index;
  if (!GetNoChequeIndex(chequierID, text, &index)) return;
  CPResourceSet_T<Chequier>& books = GetChequiers();
  Chequier book;
  books.GetResource(chequierID, &book);
  book.next = int16_t(index + 1);
  if (book.next > book.number) {
    Str255 name;
    books.GetResourceName(chequierID, name);
    std::string question = CPGetListString(kVYXCompteQuestionsList, kVYXDeleteChequierItem);
    CPReplaceVar(question, 1, PToStd(name));
    if (CPGetInteraction().AskYesNo(question, false) && books.CanRemoveResource(chequierID)) {
      ChequierToBeDeleted(chequierID);
      books.RemoveResource(chequierID);
      return;
    }
  }
  books.SetResource(chequierID, book);
}

void VYXCompte::UnmarkNoCheque(CPResID chequierID, ConstStringPtr text) {
  int16_t index;
  if (!GetNoChequeIndex(chequierID, text, &index)) return;
  Chequier book;
  GetChequiers().GetResource(chequierID, &book);
  if (index != book.next - 1) return;
  book.next = index;
  GetChequiers().SetResource(chequierID, book);
}

void VYXCompte::UpdateChequier(CPResID chequierID, ConstStringPtr text) {
  int16_t index;
  if (!GetNoChequeIndex(chequierID, text, &index)) return;
  Chequier book;
  GetChequiers().GetResource(chequierID, &book);
  if (index >= book.next) MarkNoCheque(chequierID, text);
}

bool VYXCompte::NoChequeIsUsed(ConstStringPtr text, DataID* key, DataID exceptKey) {
  if (text[0] == 0) return false;
  Operation op;
  VYXDataRef ref;
  for (bool more = GetFirstOperation(&op, &ref); more; more = GetNextOperation(&op, &ref)) {
    if (exceptKey != 0 && op.header.dataID == exceptKey) continue;
    if (CPStrEqual(op.noCheque, text)) {
      if (key) *key = op.header.dataID;
      return true;
    }
  }
  return false;
}
