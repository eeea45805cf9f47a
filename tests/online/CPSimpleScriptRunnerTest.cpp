#include "online/CPSimpleScriptRunner.h"

#include <gtest/gtest.h>

#include <fstream>

#include "support/VYXTestSupport.h"
#include "foundation/CPStream.h"
#include "foundation/CPTextEncoding.h"
#include "online/CPOnlineErrors.h"
#include "platform/CPInteraction.h"

namespace {

// A runner that keeps what its scripts call back with.
class TestRunner : public CPSimpleScriptRunner {
 public:
  using CPSimpleScriptRunner::CPSimpleScriptRunner;
  std::vector<std::vector<CPSimpleScriptCallBackParam>> calls;
  bool stopOnCallBack = false;

  // Script text written in UTF-8 here, run in MacRoman as scripts are.
  void Run(const std::string& text) { ExecuteScript(Utf8ToMacRoman(text), NextScriptNumber(), "test"); }
  std::string Var(const std::string& name) {
    std::string value;
    return GetVar(name, &value) ? value : "<unset>";
  }

 protected:
  bool CallBack(const std::vector<CPSimpleScriptCallBackParam>& params) override {
    calls.push_back(params);
    return stopOnCallBack;
  }
};

void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

class ScriptRunnerTest : public ::testing::Test {
 protected:
  VYXTempDir dir;
  TestRunner runner{CPFileContainer::Folder(dir.Path() / "scripts")};
  void SetUp() override { std::filesystem::create_directories(dir.Path() / "scripts"); }
};

TEST_F(ScriptRunnerTest, SetWorksInItsOrder) {
  struct Case {
    const char* options;
    const char* expected;
  } cases[] = {
      {"VALUE=abcdef,OFFSET=2,OFFSETR=2", "bcde"},
      {"VALUE=abcdef,OFFSET=2,OFFSETR=2,LENGTH=2", "bc"},
      {"VALUE=abcdef,OFFSETL=3", "cdef"},
      {"VALUE=abc,OFFSET=2,OFFSETR=3", ""},
      {"VALUE=Solde : 1 234,56 EUR,AS=NUMBER", "1234"},  // the comma separates
      {"VALUE=\"Solde : 1 234,56 EUR\",AS=number", "1234,56"},
      {"VALUE=\"le 03/01/2027.\",AS=DATE", "03/01/2027"},
      {"VALUE=12,INCREMENT=-3", "9"},
      {"VALUE=\"<a href=x>Compte</a>\",FROM=href,TO=>", "href=x>"},
      {"VALUE=<a href=x>Compte,FROM=href", "Compte"},  // <a href=x> names a variable
      {"VALUE=abcdef,FROM=zz,TO=c", "abc"},
      {"VALUE=abcdef,SHORTEN=2", "abcd"},
      {"VALUE=abcdef,SHORTEN=9", ""},
      {"VALUE=abcdef,LENGTH=0", ""},
      {"value=abcdef,from=c,length=2", "cd"},  // option names but NAME in any case
  };
  for (const Case& c : cases) {
    runner.Run(std::string("SET\tNAME=R,") + c.options + "\n");
    EXPECT_EQ(c.expected, runner.Var("R")) << c.options;
  }
}

TEST_F(ScriptRunnerTest, ArraysAndTheirIndexes) {
  runner.Run(
      "SET\tNAME=T;2,VALUE=deux\n"
      "SET\tNAME=I,VALUE=4\n"
      "SET\tNAME=T;I,VALUE=quatre\n"
      "SET\tNAME=T;2;2,VALUE=trois\n"  // written at 2+2-1
      "SET\tNAME=T;x1,VALUE=plain\n");
  EXPECT_EQ("deux", runner.Var("T;2"));
  EXPECT_EQ("trois", runner.Var("T;3"));
  EXPECT_EQ("quatre", runner.Var("T;2;2"));  // read at 2+2
  EXPECT_EQ("quatre", runner.Var("T;LAST"));
  EXPECT_EQ("", runner.Var("T;1"));  // not set, of a name that is
  EXPECT_EQ("", runner.Var("T;9"));
  EXPECT_EQ("<unset>", runner.Var("U;1"));
  EXPECT_EQ("plain", runner.Var("T;x1"));  // an index that is no number: a plain name
  unsigned long last = 0;
  ASSERT_TRUE(runner.GetVarLastIndex("T", &last));
  EXPECT_EQ(4u, last);
  EXPECT_EQ((std::vector<long>{2, 3, 4}), runner.GetVarIndexes("T"));
}

TEST_F(ScriptRunnerTest, EndJoinsALongTextCutInTwo) {
  std::string first(255, 'a');
  first.replace(250, 5, "HELLO");
  runner.SetVarAsArray(1, "L", {first, "WORLD"});
  EXPECT_EQ("HELLOWORLD", runner.Var("L;END"));
  runner.SetVarAsArray(1, "S", {"seul"});
  EXPECT_EQ("seul", runner.Var("S;END"));
}

TEST_F(ScriptRunnerTest, OptionValuesReadReferencesAndQuotes) {
  runner.SetVar(1, "X", "1");
  runner.Run(
      "SET\tNAME=A,VALUE=a<X>b\n"
      "SET\tNAME=B,VALUE=a<Y>b\n"
      "SET\tNAME=C,VALUE=\"un, deux\"\n"
      "SET\tNAME=D,VALUE=\"dit \\\"oui\\\"\"\n"
      "SET\tNAME=E,VALUE=x\\<X>\n"
      "SET\t NAME =F, VALUE= avec blancs \n");
  EXPECT_EQ("a1b", runner.Var("A"));
  EXPECT_EQ("ab", runner.Var("B"));
  EXPECT_EQ("un, deux", runner.Var("C"));
  EXPECT_EQ("dit \\\"oui\\\"", runner.Var("D"));
  EXPECT_EQ("x\\<X>", runner.Var("E"));
  EXPECT_EQ(" avec blancs ", runner.Var("F"));
  EXPECT_EQ("a1b <Y> c", runner.EvaluateVar("a<X>b <Y> \"c\""));
  EXPECT_EQ("1 [Y]", runner.EvaluateStringVars("[X] [Y]", '[', ']'));
}

TEST_F(ScriptRunnerTest, GotoJumpsForwardAndTestsIgnoringCaseAndAccents) {
  runner.Run(
      "GOTO\tLABEL=plus loin\n"
      "SET\tNAME=SKIPPED,VALUE=oui\n"
      "LABEL\tNAME=Plus Loin\n"
      "GOTO\tTEST=CONTAINS,VALUE1=Relevé de COMPTE,VALUE2=releve de,TRUE=ok,FALSE=ko\n"
      "LABEL\tNAME=ko\n"
      "SET\tNAME=R,VALUE=ko\n"
      "GOTO\tLABEL=fin\n"
      "LABEL\tNAME=ok\n"
      "SET\tNAME=R,VALUE=ok\n"
      "GOTO\tLABEL=nowhere\n"
      "LABEL\tNAME=fin\n");
  EXPECT_EQ("<unset>", runner.Var("SKIPPED"));
  EXPECT_EQ("ok", runner.Var("R"));

  struct Case {
    const char* test;
    const char* v1;
    const char* v2;
    bool holds;
  } cases[] = {
      {"EQUAL", "Eté", "ETE", true},          {"NOTEQUAL", "a", "A", false},
      {"BEGINSWITH", "Solde", "sol", true},   {"DOESNTBEGINWITH", "Solde", "sol", false},
      {"ENDSWITH", "Solde", "DE", true},      {"DOESNTENDWITH", "Solde", "x", true},
      {"DOESNTCONTAIN", "Solde", "old", false}, {"WHATEVER", "abc", "ABC", true},
      {"ENDSWITH", "a", "abc", false},
  };
  for (const Case& c : cases) {
    runner.Run(std::string("SET\tNAME=R,VALUE=no\nGOTO\tTEST=") + c.test + ",VALUE1=" + c.v1 +
               ",VALUE2=" + c.v2 + ",TRUE=yes\nGOTO\tLABEL=end\nLABEL\tNAME=yes\nSET\tNAME=R,VALUE=yes\n"
               "LABEL\tNAME=end\n");
    EXPECT_EQ(c.holds ? "yes" : "no", runner.Var("R")) << c.test << " " << c.v1 << " " << c.v2;
  }
}

TEST_F(ScriptRunnerTest, ScriptVersionAndCallBackStop) {
  runner.Run("SCRIPT\tVERS=2.0\nSET\tNAME=A,VALUE=1\n");
  EXPECT_EQ("<unset>", runner.Var("A"));
  runner.Run("SCRIPT\tVERS=1.0\nREM\tcomment, anything\nBEEP\nBREAK\nUNKNOWN\tX=1\n\n\rSET\tNAME=A,VALUE=1\n");
  EXPECT_EQ("1", runner.Var("A"));

  runner.SetVar(1, "M", "12,50");
  runner.stopOnCallBack = true;
  runner.Run("CALLBACK\tACTION=OPER,MONTANT=<M>,LIBELLE=x\nSET\tNAME=AFTER,VALUE=1\n");
  ASSERT_EQ(1u, runner.calls.size());
  ASSERT_EQ(3u, runner.calls[0].size());
  EXPECT_EQ("MONTANT", runner.calls[0][1].name);
  EXPECT_EQ("12,50", runner.calls[0][1].value);
  EXPECT_EQ("<unset>", runner.Var("AFTER"));
}

TEST_F(ScriptRunnerTest, AnEndlessLoopIsStopped) {
  runner.Limits().maxCommands = 1000;
  EXPECT_CP_CODE(kCPErrScriptLimit, runner.Run("LABEL\tNAME=a\nGOTO\tLABEL=A\n"));
  WriteFile(dir.Path() / "scripts" / "self.txt", "DO\tSCRIPT=self.txt\n");
  EXPECT_CP_CODE(kCPErrScriptLimit, runner.ExecuteScript(std::string("self.txt")));
}

TEST_F(ScriptRunnerTest, IncludeAndDoStayInTheScriptsFolder) {
  WriteFile(dir.Path() / "scripts" / "sub" / "inc.txt", "SET\tNAME=FROMINC,VALUE=<X>\nLABEL\tNAME=here\n");
  WriteFile(dir.Path() / "secret.txt", "SET\tNAME=LEAK,VALUE=1\n");
  runner.Run("SET\tNAME=X,VALUE=x\nINCLUDE\tFOLDER=sub,FILE=inc.txt\nDO\tFOLDER=sub,SCRIPT=inc.txt\n");
  EXPECT_EQ("x", runner.Var("FROMINC"));

  for (const char* bad : {"INCLUDE\tFILE=../../etc/passwd\n", "INCLUDE\tFILE=../secret.txt\n",
                          "DO\tFOLDER=..,SCRIPT=secret.txt\n", "INCLUDE\tFILE=/etc/passwd\n",
                          "INCLUDE\tFOLDER=CACHE,FILE=../../../etc/passwd\n"})
    EXPECT_CP_CODE(kCPErrScriptConfined, runner.Run(bad)) << bad;
  std::filesystem::create_symlink(dir.Path() / "secret.txt", dir.Path() / "scripts" / "link.txt");
  EXPECT_CP_CODE(kCPErrScriptConfined, runner.Run("INCLUDE\tFILE=link.txt\n"));
  EXPECT_EQ("<unset>", runner.Var("LEAK"));
  EXPECT_CP_CODE(kCPErrScriptNotFound, runner.Run("INCLUDE\tFILE=absent.txt\n"));
}

TEST_F(ScriptRunnerTest, SpecialFoldersAreTheXdgOnes) {
  setenv("XDG_CACHE_HOME", (dir.Path() / "cache").c_str(), 1);
  WriteFile(dir.Path() / "cache" / "vyx" / "c.txt", "SET\tNAME=CACHED,VALUE=1\n");
  runner.Run("INCLUDE\tFOLDER=CACHE,FILE=c.txt\n");
  EXPECT_EQ("1", runner.Var("CACHED"));
  unsetenv("XDG_CACHE_HOME");
}

TEST_F(ScriptRunnerTest, QuestionsGoThroughTheInteractionAndSecretsStayOutOfTheLog) {
  CPScriptedInteraction user;
  user.PushText("s3cr3t!");
  user.PushNo();
  CPHandleStream log;
  runner.SetLogStream(&log);
  runner.Run(
      "ASK\tMESSAGE=Votre code :,VAR=MOTDEPASSE,OK=ok,CANCEL=cancel\n"
      "LABEL\tNAME=ok\n"
      "SET\tNAME=COPIE,VALUE=<MOTDEPASSE>\n"
      "CONFIRM\tMESSAGE=Continuer ?,OK=yes,CANCEL=no\n"
      "LABEL\tNAME=yes\n"
      "SET\tNAME=R,VALUE=yes\n"
      "LABEL\tNAME=no\n"
      "ALERT\tMESSAGE=Fini\n"
      "ASK\tMESSAGE=,VAR=NOTHING\n");
  EXPECT_EQ("s3cr3t!", runner.Var("COPIE"));
  EXPECT_EQ("<unset>", runner.Var("R"));
  EXPECT_EQ((std::vector<std::string>{"Fini"}), user.Alerts());
  EXPECT_TRUE(user.Unexpected().empty());
  std::string text(reinterpret_cast<const char*>(log.Data()), log.GetLength());
  EXPECT_EQ(std::string::npos, text.find("s3cr3t")) << text;
  EXPECT_NE(std::string::npos, text.find("\r\rSCRIPT: SET, NAME=COPIE [COPIE], VALUE=<MOTDEPASSE> [********]")) << text;
}

}  // namespace
