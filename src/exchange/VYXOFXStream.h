// Reads bank and credit-card statements in the Open Financial Exchange
// format, in its SGML form (version 1: tags on lines of their own, end tags
// of single values missing) and its XML form (version 2, often one long
// line). It is no SGML or XML parser: it scans lines for the tags it knows,
// each search bounded by a "stop" tag.
//
// The constructor reads the whole source (a tab/CR stream it does not own)
// into memory and lays it out one tag per line, whatever its writer did:
// headers run into the body, bodies on one line, XML comments (dropped),
// lines of blanks. It reads the header's character set: a file that is
// UTF-8 throughout is read as UTF-8, any other as Windows-1252 (which holds
// ISO-8859-1's letters); values come out in MacRoman with their character
// entities (&amp; and the like) decoded.
//
// Every operation answers true or false; a transaction's amount or date that
// does not read raises CPException (kVYXErrStatementSyntax) naming its line
// in the file.
#ifndef VYX_EXCHANGE_VYXOFXSTREAM_H_
#define VYX_EXCHANGE_VYXOFXSTREAM_H_

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/VYXQIFTypes.h"
#include "foundation/CPFormattedStream.h"

enum OFX_SegmentType : uint8_t {
  kOFXSegmentNone = 0,
  kOFXSegmentBank = 1,        // bank statement message set
  kOFXSegmentCreditCard = 2,  // credit-card statement message set
};

// What the sign-on said, when the file has one.
struct OFXHeader {
  bool refused = false;  // its status is an error
  std::string message;   // the server's message (MacRoman), when it gave one
};

struct OFXAccount {
  Str127 id = {};    // <ACCTID>
  Str127 type = {};  // <ACCTTYPE>, bank statements only
  uint32_t currency = 0;
};

struct OFXEcriture {
  CPDate date = 0;      // <DTPOSTED>
  Str127 name = {};     // <NAME>
  double amount = 0;    // <TRNAMT>
  Str127 checkNum = {};  // <CHECKNUM>
  Str127 memo = {};     // <MEMO>
  Str127 fitid = {};    // <FITID>, the bank's own identifier of the transaction
  long line = 0;        // of its <STMTTRN> in the file
};

class VYXOFXStream {
 public:
  // Reads the stream whole, or its first `limit` bytes.
  explicit VYXOFXStream(CPTabCrStream* source, size_t limit = SIZE_MAX);

  // A reader over the stream finds "<OFX>" before "</OFX>". Never raises;
  // the stream is put back at its start.
  static bool IsOFXStream(CPTabCrStream& stream);

  // Finds "<OFX>" and moves past the sign-on aggregate (version 1 or 2);
  // false when either is missing.
  bool GetHeader(OFXHeader* header);
  // The next bank or credit-card message set; false at "</OFX>" or the end.
  bool GetSegment(OFX_SegmentType* type);
  // The next statement of the message set, up to its transaction list.
  bool GetAccount(OFX_SegmentType type, OFXAccount* account);
  // The next transaction of the list; false at the list's end.
  bool GetEcriture(OFXEcriture* ecriture);
  // The statement's ledger balance and its date (0 when it gives none).
  bool GetSolde(double* balance, CPDate* date = nullptr);
  bool GoToNextAccount(OFX_SegmentType type);
  // Moves past a further transaction list of the same statement, which a
  // few writers give; false when none follows.
  bool NextTransactionList();
  bool GoToNextSegment(OFX_SegmentType type);

  // The searches the operations above are made of. Tags are compared
  // without regard to case; the stream is left after the line that ended
  // the search.
  bool GoToTag(std::string_view tag, std::string_view stopTag);
  bool GetNextTag(std::string* tag, std::string* rest, std::string_view stopTag);
  bool GetValue(std::string_view tag, std::string_view stopTag, std::string* value, bool restore);
  bool GetMontant(std::string_view tag, std::string_view stopTag, double* amount, bool restore);
  bool GetDate(std::string_view tag, std::string_view stopTag, CPDate* date, bool restore);

  // The transactions the file holds at most (its <STMTTRN> tags).
  size_t TransactionsAtMost() const { return transactions_; }
  // 1 or 2, from the message sets' names.
  int Version() const { return version_; }
  // Values in which a character MacRoman lacks was replaced by '?'.
  long ReplacedValues() const { return replaced_; }

 private:
  // Where reading stands in the laid-out text.
  struct Cursor {
    size_t pos = 0;     // in text_
    size_t line = 0;    // the laid-out line that begins there
    long fileLine = 1;  // and the line of the file it comes from
  };

  // Lays the file's bytes out in laidOut_, one tag per line.
  void LayOut(std::string_view raw);
  // Whether the file is laid out already: every line empty or holding one
  // tag at its start (after blanks), no comment, no CR but before LF. Counts
  // its transactions when it is.
  bool IsLaidOut(std::string_view raw);
  // The next line of the laid-out text; false at the end.
  bool NextLine(std::string_view* line);
  // The last line NextLine gave.
  std::string_view CurrentLine() const;
  // Whether the next line that is not blank holds `tag`; the position is
  // left after it when it does, where it was otherwise.
  bool NextTagIs(std::string_view tag);
  std::string Decode(std::string_view raw);
  // The value of a line that holds `tag` (with its end tag cut off).
  static std::string_view ValueOf(std::string_view line, std::string_view tag);
  double Amount(const std::string& value, long line);
  CPDate Date(const std::string& value, long line, bool* ok);
  std::string SegmentEndTag(OFX_SegmentType type) const;

  // The file, one tag per line, lines ended by LF (or CR LF when it is the
  // file itself): the file's bytes where they lie when it is laid out
  // already, laidOut_ otherwise.
  std::string_view text_;
  std::string laidOut_;
  std::unique_ptr<char[]> copy_;  // the file's bytes when not in memory
  bool inPlace_ = false;
  // For each line of laidOut_, whether it ends a line of the file (rather
  // than being cut before a tag): the lines of the file are counted from
  // these. In place, every line is one of the file.
  std::vector<bool> endsFileLine_;
  Cursor at_;
  size_t lineStart_ = 0;   // where the last line read began
  size_t lineEnd_ = 0;     // and ended
  long lineFileLine_ = 1;  // its line in the file
  size_t transactions_ = 0;
  int version_ = 1;
  bool utf8_ = false;
  long replaced_ = 0;
};

#endif  // VYX_EXCHANGE_VYXOFXSTREAM_H_
