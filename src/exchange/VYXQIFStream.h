// Reads the Quicken Interchange Format: header lines ("!Type:Bank",
// "!Account", "!Option:..."), and records of lines that each start with a code
// letter, ended by "^". The reader sits on a tab/CR stream it does not own
// (each line is read as one field), converts every line to MacRoman as soon
// as it is read, and yields account blocks, transactions and split groups as
// plain records. A date or an amount that does not read raises CPException
// (kVYXErrStatementSyntax) naming the line; the probe IsQIFStream never raises.
//
// Split lines ($, E, S) are gathered with their transaction: GetTransaction
// reads its record up to "^", and GetSplit hands the groups out afterwards,
// so that a payee or memo that a writer put after the split lines still
// reaches the transaction (when it has none of its own yet).
#ifndef VYX_EXCHANGE_VYXQIFSTREAM_H_
#define VYX_EXCHANGE_VYXQIFSTREAM_H_

#include <string>
#include <string_view>
#include <vector>

#include "exchange/VYXQIFTypes.h"
#include "foundation/CPFormattedStream.h"

class VYXQIFStream {
 public:
  VYXQIFStream(CPTabCrStream* stream, QIF_FormatType format, QIF_Encoding encoding,
               bool swapDates);

  // Classifies the next non-empty line and leaves the stream before it;
  // false at the end of the stream.
  bool GetNextDataType(QIF_DataType* type);
  // Consumes a header line: 0 not a header (or empty), 1 "!" alone, 2
  // "!Type:" or "!Option:" (the rest of the line into `argument`), 3
  // "!Account" or "!Compte", 4 any other header.
  int GetHeader(StringPtr argument);
  // Consumes an option line; its text is not kept.
  void GetOption(StringPtr argument);
  static QIF_AccountType GetAccountType(ConstStringPtr argument);
  // The lines of an account block up to "^" (true) or the end (false).
  bool GetAccount(QIFAccount* account);
  // One transaction, up to "^" or the end of the stream; false when nothing
  // was left to read.
  bool GetTransaction(QIF_AccountType type, QIFTransaction* transaction, bool* hasSplits,
                      bool* isOpeningBalance);
  // The next split group of the last transaction; `more` tells whether
  // another follows. False when it had none left.
  bool GetSplit(QIFSplit* split, bool* more);
  // A record of a list block ("!Type:Cat", "Class", "Memorized"), read up to
  // "^" without taking its letters for a transaction's: `name` receives its
  // N line, `income` whether it is marked as income (I). False when nothing
  // was left to read.
  bool GetListItem(std::string* name, bool* income);
  // Drops the next line (a data line under no valid type).
  void SkipLine();
  // The number reader of amounts and quantities (see the .cpp); false when
  // the text is no number.
  static bool GetMontant(ConstStringPtr value, double* amount);
  // The common form of an amount, "-1234.56" (or "-1234,56" when
  // `comma`): a sign, up to fifteen digits and up to two decimals, nothing
  // else. It reads the same as GetMontant, without its rewriting; false for
  // any other text, which GetMontant then reads.
  static bool GetPlainMontant(std::string_view value, bool comma, double* amount);
  static bool GetQuantity(ConstStringPtr value, double* quantity) {
    return GetMontant(value, quantity);
  }

  // Recognises a QIF file (its first line starts with "!") and, when a
  // format output is asked for, reads it once through to find the account
  // type, the bank's layout, the encoding, whether dates are month first and
  // whether it has investment lines. Outputs may be null. The stream is left
  // at its start.
  static bool IsQIFStream(CPTabCrStream& stream, QIF_AccountType* type, QIF_FormatType* format,
                          QIF_Encoding* encoding, bool* monthFirst, bool* hasInvestments);

  // The line (from 1) of the last line read.
  long LineNumber() const { return lastLine_; }
  // Lines in which a character MacRoman lacks was replaced by '?'.
  long ReplacedLines() const { return replaced_; }

 private:
  struct Line {
    unsigned char code = 0;
    std::string value;  // MacRoman, without its code letter
    long number = 0;
  };
  struct Position {
    uint32_t marker;
    long line;
  };
  // The line GetNextDataType read and put back, for the read that follows.
  struct Peek {
    bool valid = false;
    Position from, to;
    bool continues = false;
    std::string text;
    long number = 0;
  };

  // The next non-empty line, converted; false at the end.
  bool ReadLine(std::string* text, long* number);
  Position Mark() const { return {stream_->GetMarker(), line_}; }
  void Restore(const Position& p);
  // Converts raw bytes to MacRoman by the reader's encoding.
  void ToMacRoman(std::string_view raw, std::string* out);
  // A date of a D line (blanks gone, first apostrophe made "/").
  CPDate ReadDate(std::string_view value, long line);
  static double ReadNumber(std::string_view value, long line);

  friend class VYXQIFProbe;

  CPTabCrStream* stream_;
  QIF_FormatType format_;
  QIF_Encoding encoding_;
  bool swapDates_;
  long line_ = 1;      // the line the stream stands on
  long lastLine_ = 0;  // the line last read
  long replaced_ = 0;
  bool continues_ = false;  // the last line read ended at a tab
  bool sawUTF8_ = false;    // a line was read as UTF-8
  // The split lines of the last transaction, handed out by GetSplit.
  std::vector<Line> splits_;
  size_t nextSplit_ = 0;
  Peek peek_;
  // The last date read and its text: a bank's lines come in runs of a day.
  std::string lastDateText_;
  CPDate lastDate_ = 0;
};

// Strips a QIF value of its blanks at both ends, as transactions read them.
std::string VYXQIFTrim(const std::string& text);
std::string_view VYXQIFTrimView(std::string_view text);

#endif  // VYX_EXCHANGE_VYXQIFSTREAM_H_
