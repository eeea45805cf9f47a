#include "cli/VYXReportScope.h"

#include "cli/VYXCli.h"
#include "cli/VYXCliFormat.h"
#include "cli/VYXReportTexts.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "userfile/VYXSDBUserPreferences.h"

VYXReportScope::VYXReportScope(VYXCliSession& session, const std::string& compte,
                               ModuleGlobal module)
    : session_(session) {
  if (!compte.empty()) {
    compte_ = &session.OpenCompte(compte);
    return;
  }
  VYXUserPreferences& dossier = session.Dossier();
  for (const VYXCliSession::Compte& c : session.Comptes()) {
    if (dossier.ModuleIsChecked(c.position, module)) session.OpenCompte(c);
  }
  user_ = std::make_unique<VYXUserTotaux>(dossier);
}

VYXTotaux& VYXReportScope::GetTotaux() const {
  if (compte_) return VYXCompteTotaux::Of(*compte_);
  return *user_;
}

VYXUserPreferences& VYXReportScope::GetDossier() const { return session_.Dossier(); }

DeviseCode VYXReportScope::GetDevise() const {
  return compte_ ? compte_->GetCompteDevise() : GetDossier().GetReferenceDevise();
}

std::string VYXReportScope::Name() const {
  if (compte_) return VYXText(compte_->GetName());
  return session_.Dossier().GetFileSpec().Path().stem().string();
}

nlohmann::json VYXReportScope::JsonName() const {
  return compte_ ? nlohmann::json(Name()) : nlohmann::json(nullptr);
}

std::string VYXReportScope::Whose() const {
  return VYXHelp(kVYXReportTexts, compte_ ? kReportCompteTitle : kReportDossierTitle, {Name()});
}

std::string VYXReportScope::Symbol(DeviseCode devise) const {
  VYXUserPreferences& dossier = GetDossier();
  CPResID id = dossier.DeviseCodeToId(devise);
  Devise d;
  if (id != 0 && dossier.GetDevises().ReadResource(id, &d, sizeof(d)) && d.symbole[0] != 0) {
    return MacRomanToUtf8(PToStd(d.symbole));
  }
  return VYXCodeText(devise);
}
