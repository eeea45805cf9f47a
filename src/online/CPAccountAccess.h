// Running a bank script: the web access whose CALLBACK lines are the bank's
// results (balances, statement lines, card lines, statement files, errors),
// handed one by one to the caller's receiver. Nothing is written here: the
// caller decides what to record once the script has ended.
#ifndef VYX_ONLINE_CPACCOUNTACCESS_H_
#define VYX_ONLINE_CPACCOUNTACCESS_H_

#include <functional>
#include <string>
#include <vector>

#include "foundation/CPDates.h"
#include "online/CPWebAccess.h"

class CPStream;

// One result of a bank script.
struct CPComptaReleveItem {
  enum Kind : uint32_t { kSolde = 1, kOperation = 2, kCarte = 3, kFichier = 4 };
  uint32_t kind = kOperation;
  CPDate date = 0;
  std::string libelle;     // MacRoman, at most 255 bytes
  std::string devise;      // at most 32 bytes
  double montant = 0;
  double montantEuro = 0;
  std::string noPiece;     // at most 14 bytes
  // A statement file the bank gave (OFX, QIF...), for kFichier: the bytes of
  // the page named by the CALLBACK's PAGE option.
  std::string fichier;
};

// A parameter of a download, given to the script as a variable.
struct CPReleveInternetParam {
  std::string name;   // MacRoman
  std::string value;
  bool secret = false;  // a password: never logged
};

// Receives each result; answering true stops the script.
using CPReleveReceiver = std::function<bool(long refcon, CPComptaReleveItem& item)>;

class CPAccountAccess : public CPWebAccess {
 public:
  CPAccountAccess(CPFileContainer container, CPReleveReceiver receive, long refcon);
  // Where an error the script reports goes: the text, instead of an alert.
  void SetErrorText(std::string* errorText) { errorText_ = errorText; }
  bool ErrorReported() const { return errorReported_; }

 protected:
  bool CallBack(const std::vector<CPSimpleScriptCallBackParam>& params) override;

 private:
  CPReleveReceiver receive_;
  long refcon_;
  std::string* errorText_ = nullptr;
  bool errorReported_ = false;
};

// Filtered forms of a CALLBACK value, trimmed: text (letters, digits, "/",
// ",", "." and blanks), number (digits, ",", "-", "."), date (digits, "/").
std::string CPCallBackText(const std::string& value);
std::string CPCallBackNumber(const std::string& value);
std::string CPCallBackDate(const std::string& value);
// An amount written by a bank: "1234,56", "-1.234,56", "1,234.56", "12.5".
double CPCallBackAmount(const std::string& number);
// A date of a result in the user's format; one later than today is a year back.
CPDate CPCallBackDateValue(const std::string& date);

// Runs the bank script `scriptName` of `scripts` with the standard variables
// and `params`, handing each result to `receive`. An error the script reports
// is copied to `*errorText` (when given) and answers false; without
// `errorText` it is shown to the user. `configure` may adjust the access
// (limits, time-outs) before the run. Raises what the run raises.
bool CPGetReleveInternet(const CPFileContainer& scripts, const std::string& scriptName,
                         const std::vector<CPReleveInternetParam>& params, const CPReleveReceiver& receive,
                         long refcon, std::string* errorText, CPStream* log,
                         const std::function<void(CPAccountAccess&)>& configure = {},
                         std::vector<std::string>* webErrors = nullptr);

#endif  // VYX_ONLINE_CPACCOUNTACCESS_H_
