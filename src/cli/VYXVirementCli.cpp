#include "cli/VYXVirementCli.h"

#include "cli/VYXCli.h"
#include "cli/VYXCliSession.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "userfile/VYXCompteFiles.h"
#include "userfile/VYXSDBUserPreferences.h"

CPFileRef VYXVirementFile(VYXCliSession& session, const std::string& name) {
  VYXCliSession::Compte target;
  if (!session.FindCompte(name, &target)) session.FindCompte(MacRomanToUtf8(name));  // raises
  return session.CompteFile(target);
}

std::vector<SousOperation> VYXLinesOf(VYXCompte& compte, const Operation& op) {
  std::vector<SousOperation> lines;
  SousOperation line;
  VYXDataRef ref;
  for (bool more = compte.GetFirstSousOperation(op, &line, &ref); more;
       more = compte.GetNextSousOperation(op, &line, &ref)) {
    lines.push_back(line);
  }
  return lines;
}

bool VYXFindTwinSource(VYXCliSession& session, VYXCompte& compte, const Operation& op,
                       std::string* name, CPFileRef* file) {
  if (!VYXIsTwin(op)) return false;
  VYXUserDirectory& directory = session.Dossier().GetUserDirectory();
  CPFileRef found;
  if (!directory.FindVirementSource(compte.GetCompteFile(), op.virementTargetKey, &found)) {
    return false;
  }
  if (file) *file = found;
  if (name && !TryUtf8ToMacRoman(VYXCompteNameOfFile(found), name, nullptr)) *name = "?";
  return true;
}

std::string VYXVirementNames::Other(const Operation& op, bool* source) {
  *source = op.virementId != 0;
  if (*source) {
    CPResourceSet_T<CompteTarget>& targets = compte_.GetTargets();
    if (!targets.ResourceExists(CPResID(op.virementId))) return "?";
    Str255 name;
    targets.GetResourceName(op.virementId, name);
    return VYXText(PToStd(name));
  }
  if (!VYXIsTwin(op)) return {};
  auto it = twins_.find(op.virementTargetKey);
  if (it == twins_.end()) {
    std::string name;
    if (!VYXFindTwinSource(session_, compte_, op, &name, nullptr)) name.clear();
    it = twins_.emplace(op.virementTargetKey, VYXText(name)).first;
  }
  return it->second;
}

std::string VYXVirementNames::Text(const Operation& op) {
  bool source = false;
  std::string other = Other(op, &source);
  if (other.empty()) return {};
  return VYXHelp(kVYXVirementCliTexts, source ? kVirTo : kVirFrom, {other});
}
