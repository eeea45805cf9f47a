// How a list is exchanged as tab-separated text: the columns (the item's
// name first, then fields of its CPDataStructure, in order), the rules its
// names follow, and the report of an import. CPResourceSet::ExportResources
// and ImportResources (CPResourceSetImEx.cpp) use it; the owner of a set
// builds one for each list it lets users exchange.
//
// The text is MacRoman here; the edges convert it. Its first line holds the
// columns' titles, so that a file written by hand or by a spreadsheet may
// give them in any order, leave some out, or name them by their keys.
#ifndef VYX_RESOURCES_CPIMEXSTRUCTURE_H_
#define VYX_RESOURCES_CPIMEXSTRUCTURE_H_

#include <functional>
#include <string>
#include <vector>

#include "resources/CPDataStructure.h"

class CPFormattedStream;

// Texts of the exchange (res/strings.fr).
constexpr int kCPImExTextsList = 30506;
enum : int {
  kCPImExYes = 1,
  kCPImExNo,
  kCPImExNameHeading,
  kCPImExNotANumber,  // ^1: the column, ^2: the text
  kCPImExNotABool,    // ^1: the column, ^2: the text
  kCPImExTooLong,     // ^1: the column, ^2: the text, ^3: the width
  kCPImExNotAValue,   // ^1: the column, ^2: the text
  kCPImExNoName,
  kCPImExNameTaken,   // ^1: the name
  kCPImExTooManyFields,
  kCPImExNoNameColumn,      // the whole file: ^1: the name column's title
  kCPImExTwiceTheColumn,    // the whole file: ^1: the column
  kCPImExNameTooLong,
};

// How an import treats an item whose name the list already has (when the
// item differs from it: one that is the same is left as it is).
enum : int16_t {
  kCPImportAdd = 0,      // added beside it, under a numbered name ("Loisirs 1")
  kCPImportReplace = 1,  // it takes the fields of the file
};

class CPImExStructure {
 public:
  // Columns: `name` first, then `columns` keys of `data`, in that order.
  CPImExStructure(CPDataStructure data, std::vector<OSType> columns);

  const CPDataStructure& Data() const { return data_; }
  const std::vector<OSType>& Columns() const { return columns_; }
  // The name column's title (MacRoman).
  std::string NameHeading() const;

  // Whether a list item may take a numbered name when its name is taken; a
  // list whose names mean something (currency codes) refuses the item instead.
  bool numberedNames = true;
  // Checks (and may rewrite, as a currency code in capitals) a name read
  // from a file; false with why (MacRoman) when it is refused.
  std::function<bool(std::string* name, std::string* why)> checkName;
  // Whether the item `id` may take new fields from a file; false with why
  // (MacRoman) for one that must keep its own (the reference currency).
  std::function<bool(CPResID id, std::string* why)> canChange;

 private:
  CPDataStructure data_;
  std::vector<OSType> columns_;
};

// What an import did, line by line (line 1 is the titles).
struct CPImportLine {
  enum Outcome { kAdded, kRenamed, kReplaced, kUnchanged, kRefused };
  int32_t line = 0;
  Outcome outcome = kAdded;
  std::string name;    // as the file gives it (MacRoman)
  std::string given;   // the name it took (a numbered one when renamed)
  std::string reason;  // why it was refused (MacRoman)
  CPResID id = 0;
};

// The columns a file's first line names: which field each one is (none for
// a title no field answers to), and which holds the names.
struct CPImportTitles {
  std::vector<const CPDataField*> columns;
  size_t nameColumn = 0;
  std::vector<std::string> ignored;  // the titles of the columns without a field
};
// Reads the titles from the start of `stream` (which `structure` must
// outlive the result). Raises paramErr with its French text when no column
// holds the names or a column comes twice: such a file is refused whole.
CPImportTitles CPReadImportTitles(CPFormattedStream& stream, const CPImExStructure& structure);

struct CPImportReport {
  std::vector<CPImportLine> lines;
  std::vector<std::string> ignoredColumns;  // titles no field answers to
  int Count(CPImportLine::Outcome outcome) const;
};

#endif  // VYX_RESOURCES_CPIMEXSTRUCTURE_H_
