// What the user-file tests share: a dossier in a temporary folder, names in
// UTF-8, a listener that writes down the 'USER' messages it hears.
#ifndef VYX_TESTS_USERFILE_USERFILETESTSUPPORT_H_
#define VYX_TESTS_USERFILE_USERFILETESTSUPPORT_H_

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "foundation/CPBroadcaster.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"
#include "userfile/VYXSDBUserPreferences.h"

inline CPString N(const std::string& utf8) { return CPString::FromStd(Utf8ToMacRoman(utf8)); }

inline std::vector<std::string> Names(CPResourceSet& set) {
  std::vector<std::string> out;
  for (int32_t n = 1; n <= set.GetResourcesCount(); ++n) {
    Str255 name;
    set.GetNthResource(n, name);
    out.push_back(MacRomanToUtf8(PToStd(name)));
  }
  return out;
}

class UserMessages : public CPListener {
 public:
  void ListenTo(CPBroadcaster*, OSType category, uint32_t code, void*) override {
    if (category == 'USER') codes.push_back(code);
  }
  std::vector<uint32_t> codes;
};

// A user file "Dossier.grp" in a fresh folder, created by the fixture.
class UserFileTest : public ::testing::Test {
 protected:
  void SetUp() override { Create(); }
  void Create() {
    user_ = std::make_unique<VYXSDBUserPreferences>(fileRef_);
    user_->IUserPreferences(true);
  }
  void Reopen() {
    if (user_) user_->Close();
    user_ = std::make_unique<VYXSDBUserPreferences>(fileRef_);
    user_->IUserPreferences(false);
  }
  // An empty file standing for an account, in the dossier's folder or below.
  CPFileRef MakeCompteFile(const std::string& relative) {
    std::filesystem::path p = dir_.Path() / relative;
    std::filesystem::create_directories(p.parent_path());
    CPFile f;
    EXPECT_EQ(0, CPFileSystem::Create(CPFileRef(p), 'VyxP', 'CPT5', true));
    return CPFileRef(p);
  }

  VYXPinnedClock clock_{14, 7, 2024};
  VYXTempDir dir_;
  CPFileRef fileRef_ = dir_.Ref("Dossier.grp");
  std::unique_ptr<VYXSDBUserPreferences> user_;
};

#endif  // VYX_TESTS_USERFILE_USERFILETESTSUPPORT_H_
