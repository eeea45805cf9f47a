// Opening balances that follow another account: a savings account whose
// year starts where the previous year's file ended, for instance. The link
// is an alias in the account's own file, made and resolved by the dossier
// (VYXCompteDirectory), named after the account it designates; the values
// are read when the account opens, from the other account when it is open,
// else from its file's information record, which is only read. An account
// without a dossier follows nothing.
#include <cmath>

#include "accounts/VYXCompteDirectory.h"
#include "accounts/VYXCompteErrors.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPStrings.h"
#include "platform/CPInteraction.h"
#include "platform/CPOSErr.h"

namespace {

// The type of the alias records of an account's file.
constexpr ResType kVYXAliasResType = 'alis';

MontantSet Closing(const CompteInfos& infos) {
  MontantSet values;
  for (int s = 0; s < kOpStatusCount; ++s) {
    values.montant[s] = infos.report.montant[s] + infos.total.montant[s];
  }
  return values;
}

}  // namespace

bool VYXSDBCompte::GetReportLink(CPFileRef* file, bool ask) {
  if (!infos_.linked || infos_.linkID == 0) return false;
  VYXCompteDirectory* directory = supervisor_.GetDirectory();
  return directory && directory->ResolveAlias(*this, infos_.linkID, GetReportLinkName(), ask, file);
}

std::string VYXSDBCompte::GetReportLinkName() {
  CPResourceSet names(GetResourceStorage(), kVYXAliasResType, kCPVariableSize);
  if (!infos_.linked || infos_.linkID == 0 || !names.ResourceExists(infos_.linkID)) return {};
  Str255 name;
  names.GetResourceName(infos_.linkID, name);
  return PToStd(name);
}

bool VYXSDBCompte::ReadReportValues(const CPFileRef& file, MontantSet* values) {
  if (IsTheSameCompte(file)) return false;
  VYXCompteDirectory* directory = supervisor_.GetDirectory();
  if (VYXCompte* open = directory ? directory->GetOpenCompte(file) : nullptr) {
    *values = Closing(open->GetInformations());
    return true;
  }
  try {
    CPSimpleDBFile db(file);
    db.Open(kVYXCompteContentVersion, false, true);
    CompteInfos infos;
    bool read = false;
    if (db.GetHeader().type == kVYXCompteFileType) {
      VYXSDBCompteInfosHandler table(&db);
      read = table.Read(&infos) && infos.fileVersion == 0;
    }
    db.Close();
    if (!read) return false;
    *values = Closing(infos);
  } catch (const CPException&) {
    return false;
  }
  for (double v : values->montant) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

void VYXSDBCompte::SetReportLink(VYXSDBCompte* target) {
  CPResourceSet names(GetResourceStorage(), kVYXAliasResType, kCPVariableSize);
  if (!target) {
    if (infos_.linkID != 0 && names.ResourceExists(infos_.linkID)) names.RemoveResource(infos_.linkID);
    infos_.linked = 0;
    infos_.linkID = 0;
    WriteInformations();
    return;
  }
  CPFileRef targetFile;
  target->GetCompteIdentifier(&targetFile);
  if (IsTheSameCompte(targetFile)) {
    CPThrowList(paramErr, kVYXReportLinkList, kVYXLinkSelfItem, {GetName()});
  }
  // Two accounts following each other would each take the other's last
  // stored figures, which no longer mean anything.
  CPFileRef back;
  if (target->GetReportLink(&back, false) && IsTheSameCompte(back)) {
    CPThrowList(paramErr, kVYXReportLinkList, kVYXLinkLoopItem, {target->GetName(), GetName()});
  }
  VYXCompteDirectory& directory = GetDirectory();
  if (infos_.linkID != 0 && names.ResourceExists(infos_.linkID)) names.RemoveResource(infos_.linkID);
  CPResID id = directory.MakeAlias(*this, targetFile);
  Str255 name;
  target->GetName(name);
  names.SetResourceName(id, name);
  infos_.linked = 1;
  infos_.linkID = id;
  WriteInformations();
  SetReportValues(Closing(target->GetInformations()));
}

void VYXSDBCompte::FollowReportLink() {
  if (!infos_.linked) return;
  CPFileRef file;
  MontantSet values;
  if (GetReportLink(&file, true) && ReadReportValues(file, &values)) {
    infos_.report = values;
    return;
  }
  std::string text = CPGetListString(kVYXReportLinkList, kVYXLinkLostItem);
  CPReplaceVar(text, 1, GetName());
  CPReplaceVar(text, 2, GetReportLinkName());
  CPGetInteraction().Alert(text);
}
