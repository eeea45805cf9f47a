#include "online/CPAccountAccess.h"

#include <cctype>

#include "foundation/CPStringTable.h"
#include "online/CPOnlineErrors.h"
#include "online/CPScriptText.h"
#include "platform/CPInteraction.h"

namespace {

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(' '), e = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

std::string Keep(const std::string& value, bool letters, std::string_view others) {
  std::string out;
  for (unsigned char c : value)
    // Bytes above 127 are MacRoman's accented letters.
    if (std::isdigit(c) || (letters && (std::isalpha(c) || c >= 0x80)) || others.find(static_cast<char>(c)) != std::string_view::npos)
      out += static_cast<char>(c);
  return Trim(out);
}

}  // namespace

std::string CPCallBackText(const std::string& value) { return Keep(value, true, "/,. "); }
std::string CPCallBackNumber(const std::string& value) { return Keep(value, false, ",-."); }
std::string CPCallBackDate(const std::string& value) { return Keep(value, false, "/"); }

double CPCallBackAmount(const std::string& number) {
  std::string digits;
  size_t comma = number.rfind(','), dot = number.rfind('.');
  // The decimal mark is the last of "," and "."; the other one separates thousands.
  size_t mark = comma == std::string::npos ? dot : dot == std::string::npos ? comma : std::max(comma, dot);
  for (size_t i = 0; i < number.size(); ++i) {
    char c = number[i];
    if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    else if (i == mark) digits += '.';
    else if (c == '-' && digits.empty()) digits += '-';
  }
  if (digits.empty() || digits == "-") return 0;
  try {
    return std::stod(digits);
  } catch (...) {
    return 0;
  }
}

CPDate CPCallBackDateValue(const std::string& date) {
  CPDate value = 0;
  if (date.empty() || !CPStrToDate(std::string_view(date), value)) return 0;
  CPDate today = CPGetDate();
  if (CPCompareDates(value, today) > 0) value = CPSetYear(value, CPGetYear(value) - 1);
  return value;
}

CPAccountAccess::CPAccountAccess(CPFileContainer container, CPReleveReceiver receive, long refcon)
    : CPWebAccess(std::move(container)), receive_(std::move(receive)), refcon_(refcon) {}

bool CPAccountAccess::CallBack(const std::vector<CPSimpleScriptCallBackParam>& params) {
  CPComptaReleveItem item;
  std::string action, message, page;
  long code = 0;
  for (const CPSimpleScriptCallBackParam& p : params) {
    const std::string& n = p.name;
    if (CPScriptSameName(n, "ACTION")) action = CPCallBackText(p.value);
    else if (CPScriptSameName(n, "DATE")) item.date = CPCallBackDateValue(CPCallBackDate(p.value));
    else if (CPScriptSameName(n, "LIBELLE")) item.libelle = CPCallBackText(p.value);
    else if (CPScriptSameName(n, "DEVISE")) item.devise = CPCallBackText(p.value).substr(0, 32);
    else if (CPScriptSameName(n, "MONTANT")) item.montant = CPCallBackAmount(CPCallBackNumber(p.value));
    else if (CPScriptSameName(n, "EURO")) item.montantEuro = CPCallBackAmount(CPCallBackNumber(p.value));
    else if (CPScriptSameName(n, "NOPIECE")) item.noPiece = CPCallBackText(p.value).substr(0, 14);
    else if (CPScriptSameName(n, "ERREUR")) code = CPScriptLong(p.value);
    else if (CPScriptSameName(n, "MESSAGE")) message = p.value;
    else if (CPScriptSameName(n, "PAGE")) page = p.value;
  }
  if (CPScriptSameName(action, "ERREUR")) {
    errorReported_ = true;
    std::string text = CPFillVars(CPGetListString(kCPOnlineTextsList, kCPTextBankError), {std::to_string(code), message});
    if (errorText_) *errorText_ = text;
    else CPGetInteraction().Alert(text);
    return true;
  }
  if (CPScriptSameName(action, "SOLD")) {
    item.kind = CPComptaReleveItem::kSolde;
  } else if (CPScriptSameName(action, "OPER") || CPScriptSameName(action, "ECCB")) {
    item.kind = CPScriptSameName(action, "OPER") ? CPComptaReleveItem::kOperation : CPComptaReleveItem::kCarte;
    if (item.libelle.empty()) return true;  // the bank's lines are over
  } else if (CPScriptSameName(action, "FICHIER")) {
    // vyx's own: a statement file the script downloaded, read like one the user chose.
    CPHtmlWebPage* downloaded = GetPage(page);
    if (!downloaded) return false;
    item.kind = CPComptaReleveItem::kFichier;
    item.fichier = downloaded->GetContent();
  } else {
    return false;  // an action this version does not know
  }
  return receive_ && receive_(refcon_, item);
}

bool CPGetReleveInternet(const CPFileContainer& scripts, const std::string& scriptName,
                         const std::vector<CPReleveInternetParam>& params, const CPReleveReceiver& receive,
                         long refcon, std::string* errorText, CPStream* log,
                         const std::function<void(CPAccountAccess&)>& configure,
                         std::vector<std::string>* webErrors) {
  CPAccountAccess access(scripts, receive, refcon);
  access.SetLogStream(log);
  access.SetErrorText(errorText);
  if (configure) configure(access);
  access.SetStandardVar();
  for (const CPReleveInternetParam& p : params) {
    if (p.secret) access.AddSecret(p.value);
    access.SetVar(0, p.name, p.value);
  }
  access.ExecuteScript(scriptName);
  if (webErrors) *webErrors = access.Errors();
  return !access.ErrorReported();
}
