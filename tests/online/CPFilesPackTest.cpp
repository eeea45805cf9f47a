#include "online/CPFilesPack.h"

#include <gtest/gtest.h>

#include <fstream>

#include "foundation/CPException.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPFileContainer.h"
#include "online/CPOnlineErrors.h"
#include "online/CPSimpleScriptRunner.h"
#include "support/VYXTestPack.h"
#include "support/VYXTestSupport.h"

namespace {

namespace fs = std::filesystem;

class PackRunner : public CPSimpleScriptRunner {
 public:
  using CPSimpleScriptRunner::CPSimpleScriptRunner;
  void Run(const std::string& text) { ExecuteScript(Utf8ToMacRoman(text), NextScriptNumber(), "test"); }
  std::string Var(const std::string& name) {
    std::string value;
    return GetVar(name, &value) ? value : "<unset>";
  }

 protected:
  bool CallBack(const std::vector<CPSimpleScriptCallBackParam>&) override { return false; }
};

// The message a pack raises, in UTF-8.
template <typename F>
std::string Message(F&& f) {
  try {
    f();
  } catch (const CPException& e) {
    return MacRomanToUtf8(e.Message());
  }
  return "<nothing raised>";
}

const std::vector<VYXTestPackEntry> kScripts = {
    {"./banque.txt", "SCRIPT\tVERS=1.0\nINCLUDE\tFOLDER=lib,FILE=commun.txt\n"},
    {"lib/", "", VYXTestPackEntry::kFolder},
    {"lib/commun.txt", "SET\tNAME=COMMUN,VALUE=oui\n"},
    {"lien.txt", "", VYXTestPackEntry::kLink, "/etc/passwd"},
};

TEST(FilesPackTest, EntriesByIndexAndByNameInTarAndZip) {
  VYXTempDir dir;
  for (VYXTestPackFormat format : {VYXTestPackFormat::kTar, VYXTestPackFormat::kTarGz, VYXTestPackFormat::kZip}) {
    fs::path path = dir.Path() / ("scripts" + std::to_string(static_cast<int>(format)));
    VYXWritePack(path, format, kScripts);
    auto pack = CPFilesPack::Open(path);
    ASSERT_EQ(2u, pack->GetCount());  // the folder and the link are no scripts
    EXPECT_EQ("banque.txt", pack->GetName(0));
    EXPECT_EQ("lib/commun.txt", pack->GetName(1));
    EXPECT_EQ(1u, pack->Find("./lib//commun.txt"));
    EXPECT_EQ(CPFilesPack::npos, pack->Find("lien.txt"));
    EXPECT_EQ(CPFilesPack::npos, pack->Find("commun.txt"));
    EXPECT_EQ(kScripts[2].content, pack->GetEntry(1));
    EXPECT_EQ(kScripts[0].content, pack->GetEntry(0));
  }
}

TEST(FilesPackTest, ScriptsOfAPackReadOnlyThePack) {
  VYXTempDir dir;
  fs::path path = dir.Path() / "scripts.tar.gz";
  VYXWritePack(path, VYXTestPackFormat::kTarGz, kScripts);
  std::ofstream(dir.Path() / "a-cote.txt") << "SET\tNAME=FUITE,VALUE=1\n";
  PackRunner runner(CPFileContainer::Pack(path));
  runner.ExecuteScript(std::string("banque.txt"));
  EXPECT_EQ("oui", runner.Var("COMMUN"));
  EXPECT_CP_CODE(kCPErrScriptNotFound, runner.Run("INCLUDE\tFILE=a-cote.txt\n"));
  EXPECT_CP_CODE(kCPErrScriptNotFound, runner.Run("INCLUDE\tFILE=lien.txt\n"));
  EXPECT_CP_CODE(kCPErrScriptConfined, runner.Run("INCLUDE\tFILE=../a-cote.txt\n"));
  EXPECT_CP_CODE(kCPErrScriptConfined, runner.Run("DO\tFOLDER=lib/..,SCRIPT=../a-cote.txt\n"));
  EXPECT_EQ("<unset>", runner.Var("FUITE"));
}

TEST(FilesPackTest, HostilePacksAreRefused) {
  VYXTempDir dir;
  struct Case {
    std::vector<VYXTestPackEntry> entries;
    int16_t code;
    const char* message;
  } cases[] = {
      {{{"/etc/cron.d/x", "x"}}, kCPErrScriptConfined, "son entrée « /etc/cron.d/x » en sortirait"},
      {{{"ok.txt", "x"}, {"../../.bashrc", "x"}}, kCPErrScriptConfined, "« ../../.bashrc »"},
      {{{"lib/../../x.txt", "x"}}, kCPErrScriptConfined, "« lib/../../x.txt »"},
      {{{"..", "", VYXTestPackEntry::kLink, "/"}}, kCPErrScriptConfined, "« .. »"},
      {{{"c:\\x.txt", "x"}}, kCPErrScriptConfined, "en sortirait"},
  };
  for (const Case& c : cases) {
    fs::path path = dir.Path() / "hostile.tar";
    VYXWritePack(path, VYXTestPackFormat::kTar, c.entries);
    EXPECT_CP_CODE(c.code, CPFilesPack::Open(path)) << c.message;
    std::string message = Message([&] { CPFilesPack::Open(path); });
    EXPECT_NE(std::string::npos, message.find(c.message)) << message;
  }

  // An entry too large for a script is refused when asked for, the others still read.
  fs::path big = dir.Path() / "gros.zip";
  VYXWritePack(big, VYXTestPackFormat::kZip, {{"petit.txt", "SCRIPT\n"}, {"gros.txt", std::string(2 << 20, 'a')}});
  auto pack = CPFilesPack::Open(big);
  EXPECT_CP_CODE(kCPErrScriptTooLarge, pack->GetEntry(pack->Find("gros.txt")));
  EXPECT_EQ("SCRIPT\n", pack->GetEntry(pack->Find("petit.txt")));

  // A file that is no archive.
  std::ofstream(dir.Path() / "texte.tar") << "SCRIPT\tVERS=1.0\n";
  std::string message = Message([&] { CPFilesPack::Open(dir.Path() / "texte.tar"); });
  EXPECT_NE(std::string::npos, message.find("n'est pas un paquet de scripts lisible")) << message;
  EXPECT_CP_CODE(kCPErrScriptNotFound, CPFilesPack::Open(dir.Path() / "absent.zip"));
}

}  // namespace
