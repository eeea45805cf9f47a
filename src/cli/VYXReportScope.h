// What a report of `vyx` covers: one account named on the command line, or
// the dossier: its accounts that take part in the global view (the balance
// sheet's flag, or the filters'), opened for the report, their totals
// gathered under the dossier's items and in its reference currency. Lives
// within its command's session, which closes the accounts at the end.
#ifndef VYX_CLI_VYXREPORTSCOPE_H_
#define VYX_CLI_VYXREPORTSCOPE_H_

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "analysis/VYXCompteTotaux.h"
#include "analysis/VYXUserTotaux.h"
#include "cli/VYXCliSession.h"

class VYXReportScope {
 public:
  // `compte` empty: the dossier's accounts in the global view `module`.
  VYXReportScope(VYXCliSession& session, const std::string& compte, ModuleGlobal module);

  bool IsDossier() const { return compte_ == nullptr; }
  VYXSDBCompte* GetCompte() const { return compte_; }
  // The dossier's totals; null for one account.
  VYXUserTotaux* GetUserTotaux() const { return user_.get(); }
  VYXTotaux& GetTotaux() const;
  VYXUserPreferences& GetDossier() const;
  // The currency of the totals: the account's, or the reference one.
  DeviseCode GetDevise() const;
  // The account's or the dossier's name (UTF-8), for titles; and in JSON,
  // the account's name, null for the dossier.
  std::string Name() const;
  nlohmann::json JsonName() const;
  // "du compte « Courant »" or "du dossier « Maison »".
  std::string Whose() const;
  // The symbol of a currency for charts ("€"), its code when it has none.
  std::string Symbol(DeviseCode devise) const;

 private:
  VYXCliSession& session_;
  VYXSDBCompte* compte_ = nullptr;
  std::unique_ptr<VYXUserTotaux> user_;
};

#endif  // VYX_CLI_VYXREPORTSCOPE_H_
