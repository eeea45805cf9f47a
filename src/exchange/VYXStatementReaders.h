// The readers of statement files: each recognises its format from the file's
// bytes and reads it whole into a VYXParsedStatement, or raises CPException
// (kVYXErrStatementSyntax) naming the line at fault. Nothing is recorded
// here: a file is read completely before any of its lines is kept.
#ifndef VYX_EXCHANGE_VYXSTATEMENTREADERS_H_
#define VYX_EXCHANGE_VYXSTATEMENTREADERS_H_

#include <string>
#include <vector>

#include "exchange/VYXStatement.h"

class CPTabCrStream;
class CPFileRef;

// The columns of a CSV file, as --colonnes names them; empty to find them
// from the file's header line.
enum class VYXCSVColumn {
  kIgnore,
  kDate,
  kValueDate,
  kLabel,
  kComplement,
  kAmount,
  kDebit,
  kCredit,
  kReference,
  kBalance,
};
// "date,libelle,montant" and the like (UTF-8 or MacRoman, the names are
// ASCII); raises with the French message for a name it does not know.
std::vector<VYXCSVColumn> VYXParseCSVColumns(const std::string& text);

bool VYXIsCFONBFile(const std::string& bytes);
void VYXReadCFONB(const std::string& bytes, VYXParsedStatement* out);

bool VYXIsQIFFile(CPTabCrStream& stream);
void VYXReadQIFStatement(CPTabCrStream& stream, VYXParsedStatement* out);

bool VYXIsOFXFile(CPTabCrStream& stream);
void VYXReadOFXStatement(CPTabCrStream& stream, VYXParsedStatement* out);

// A CSV file: lines of at least two fields split by ";", ",", tab or "|".
bool VYXIsCSVFile(const std::string& bytes);
void VYXReadCSV(const std::string& bytes, const std::vector<VYXCSVColumn>& columns,
                const std::string& fileName, VYXParsedStatement* out);

// Reads a statement file whole: its format found by trying the readers in
// order (CFONB, QIF, OFX, CSV), or the one asked for. Raises for a file that
// is empty, that no reader recognises, or that is wrong at some line.
VYXParsedStatement VYXReadStatementFile(const CPFileRef& file,
                                        VYXStatementFormat format = VYXStatementFormat::kAuto,
                                        const std::vector<VYXCSVColumn>& columns = {});

// The same for a statement already in memory (one a bank script downloaded);
// `name` names it in messages (MacRoman).
VYXParsedStatement VYXReadStatementBytes(const std::string& bytes, const std::string& name,
                                         VYXStatementFormat format = VYXStatementFormat::kAuto,
                                         const std::vector<VYXCSVColumn>& columns = {});

// The bytes of a file (a statement, a QIF file to import) with a UTF-8
// byte-order mark taken off.
std::string VYXReadForeignFile(const CPFileRef& file);
// The file's name in MacRoman, for messages.
std::string VYXFileName(const CPFileRef& file);

#endif  // VYX_EXCHANGE_VYXSTATEMENTREADERS_H_
