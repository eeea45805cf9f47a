// What the tests of the account document and its storage share: a user file
// stand-in, an account file in a temporary folder opened and reopened for
// real, operations made in one line, and direct access to the file's tables
// for fixtures that write what the account itself would not.
#ifndef VYX_TESTS_ACCOUNTS_VYXCOMPTETESTSUPPORT_H_
#define VYX_TESTS_ACCOUNTS_VYXCOMPTETESTSUPPORT_H_

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "VYXRecordTestSupport.h"
#include "accounts/VYXSDBCompte.h"
#include "foundation/CPDates.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPInteraction.h"
#include "support/VYXTestSupport.h"

// The user file, as far as an account sees it.
class TestSupervisor : public VYXCompteSupervisor {
 public:
  DeviseCode GetReferenceDevise() override { return 'EUR '; }
  std::string GetLastPassword() override { return lastPassword; }
  void SetLastPassword(const std::string& p) override { lastPassword = p; }
  void CheckCompte(VYXCompte& compte) override {
    ++checks;
    if (onCheck) onCheck(compte);
  }
  void CompteBeingClosed(VYXCompte&) override { ++closings; }

  std::string lastPassword;
  int checks = 0;
  int closings = 0;
  std::function<void(VYXCompte&)> onCheck;
};

// Records the 'CPTE' codes an account sends.
class CompteSpy : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void* data) override {
    if (category != kVYXCompteMessage) return;
    codes.push_back(code);
    if (data && code >= kVYXCompteOpAdded && code <= kVYXCompteSousOpDeleted) {
      auto* msg = static_cast<VYXCompteOpMessage*>(data);
      if (msg->op) labels.push_back(Text(msg->op->libelle));
      if (msg->oldOp) oldLabels.push_back(Text(msg->oldOp->libelle));
    }
  }
  std::vector<uint32_t> codes;
  std::vector<std::string> labels;
  std::vector<std::string> oldLabels;
};

inline std::string M(const char* utf8) { return Utf8ToMacRoman(utf8); }
// A name for the sets, from UTF-8.
inline CPString P(const char* utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

inline Operation MakeOp(const std::string& label, double montant, OpStatus status = kOpEngagee,
                        CPDate date = 0) {
  Operation op;
  SetText(op.libelle, Utf8ToMacRoman(label));
  op.montant = montant;
  op.status = status;
  if (date != 0) op.date = date;
  return op;
}

// An account file "Courant.cpt" in a temporary folder, the clock pinned to
// 15 March 2024 and the user played by a script.
class CompteFixture : public ::testing::Test {
 protected:
  std::unique_ptr<VYXSDBCompte> Create() {
    auto c = std::make_unique<VYXSDBCompte>(supervisor_, fileRef_);
    c->ICompte(true, true, false);
    return c;
  }
  std::unique_ptr<VYXSDBCompte> Open(bool check = true) {
    auto c = std::make_unique<VYXSDBCompte>(supervisor_, fileRef_);
    c->ICompte(false, check, false);
    return c;
  }
  // Rewrites the information record of the closed file.
  void EditInfos(const std::function<void(CompteInfos&)>& edit) {
    CPSimpleDBFile file(fileRef_);
    file.Open(1, false, false);
    {
      VYXSDBCompteInfosHandler table(&file);
      CompteInfos infos;
      ASSERT_TRUE(table.Read(&infos));
      edit(infos);
      table.Write(infos);
    }
    file.Close();
  }
  CompteInfos StoredInfos() {
    CPSimpleDBFile file(fileRef_);
    file.Open(1, false, true);
    CompteInfos infos;
    {
      VYXSDBCompteInfosHandler table(&file);
      EXPECT_TRUE(table.Read(&infos));
    }
    file.Close();
    return infos;
  }
  std::string FileBytes() const { return VYXReadFile(fileRef_.Path()); }

  VYXPinnedClock clock_{15, 3, 2024};
  VYXTempDir dir_;
  CPFileRef fileRef_ = dir_.Ref("Courant.cpt");
  TestSupervisor supervisor_;
  CPScriptedInteraction user_;
};

#endif  // VYX_TESTS_ACCOUNTS_VYXCOMPTETESTSUPPORT_H_
