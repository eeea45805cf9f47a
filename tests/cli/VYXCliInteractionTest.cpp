// The command line's user: answers typed on a terminal, given by --oui/--non,
// or taken for nobody; progress drawn on a terminal only.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/VYXCliInteraction.h"
#include "foundation/CPTextEncoding.h"
#include "support/VYXTestSupport.h"

namespace {

struct Fake {
  std::istringstream in;
  std::ostringstream err;
  VYXCliInteraction::Terminal Terminal(bool inTty, bool errTty = false) {
    VYXCliInteraction::Terminal t;
    t.in = &in;
    t.err = &err;
    t.inIsTerminal = inTty;
    t.errIsTerminal = errTty;
    return t;
  }
};

const std::string kQuestion = Utf8ToMacRoman("Supprimer le compte « Été » ?");

TEST(CliInteractionTest, YesNoTypedOnTheTerminal) {
  struct Case {
    const char* typed;
    bool safe;
    bool expected;
    bool reasked;
  } cases[] = {
      {"o\n", false, true, false},      {"oui\n", false, true, false},
      {"  OUI \n", false, true, false}, {"n\n", true, false, false},
      {"Non\n", true, false, false},    {"\n", true, true, false},  // empty: the safe answer
      {"\n", false, false, false},      {"peut-être\no\n", false, true, true},
      {"", true, true, false},  // end of input: the safe answer
  };
  for (const Case& c : cases) {
    Fake fake;
    fake.in.str(c.typed);
    VYXCliInteraction user(VYXCliInteraction::Answers::kAsk, fake.Terminal(true));
    EXPECT_EQ(c.expected, CPGetInteraction().AskYesNo(kQuestion, c.safe)) << c.typed;
    EXPECT_NE(std::string::npos, fake.err.str().find("Supprimer le compte « Été » ? (o/n)"))
        << fake.err.str();
    EXPECT_EQ(c.reasked, fake.err.str().find("Répondez") != std::string::npos) << c.typed;
  }
}

TEST(CliInteractionTest, CancelIsOfferedOnlyWhenTheQuestionAllowsIt) {
  Fake fake;
  fake.in.str("a\nn\n");
  VYXCliInteraction user(VYXCliInteraction::Answers::kAsk, fake.Terminal(true));
  EXPECT_EQ(CPInteraction::kCancel, user.AskYesNoCancel(kQuestion, CPInteraction::kYes));
  EXPECT_NE(std::string::npos, fake.err.str().find("(o/n/a = annuler)"));
  EXPECT_EQ(CPInteraction::kNo, user.AskYesNoCancel(kQuestion, CPInteraction::kYes));
}

TEST(CliInteractionTest, OptionsAnswerWithoutReadingAnything) {
  for (auto answers : {VYXCliInteraction::Answers::kYes, VYXCliInteraction::Answers::kNo}) {
    Fake fake;
    fake.in.str("n\no\n");
    VYXCliInteraction user(answers, fake.Terminal(false));
    bool yes = answers == VYXCliInteraction::Answers::kYes;
    EXPECT_EQ(yes, user.AskYesNo(kQuestion, !yes));
    EXPECT_EQ(yes ? CPInteraction::kYes : CPInteraction::kNo,
              user.AskYesNoCancel(kQuestion, CPInteraction::kCancel));
    EXPECT_EQ("", fake.err.str());
    EXPECT_EQ(0, fake.in.tellg());
  }
}

TEST(CliInteractionTest, WithoutTerminalTheSafeAnswerIsTakenAndSaid) {
  Fake fake;
  fake.in.str("o\n");  // piped input is not the user's answer
  VYXCliInteraction user(VYXCliInteraction::Answers::kAsk, fake.Terminal(false));
  EXPECT_FALSE(user.AskYesNo(kQuestion, false));
  EXPECT_NE(std::string::npos,
            fake.err.str().find("Pas de terminal pour répondre à « Supprimer le compte « Été » ? » "
                                ": vyx répond « non »."))
      << fake.err.str();
  EXPECT_EQ(CPInteraction::kCancel, user.AskYesNoCancel(kQuestion, CPInteraction::kCancel));
  EXPECT_NE(std::string::npos, fake.err.str().find("vyx répond « annuler »"));

  std::string answer = "unchanged";
  EXPECT_FALSE(user.AskText(Utf8ToMacRoman("Mot de passe :"), &answer, true));
  EXPECT_EQ("unchanged", answer);
  EXPECT_NE(std::string::npos, fake.err.str().find("la question est abandonnée"));
}

TEST(CliInteractionTest, TypedAnswersComeBackInMacRoman) {
  Fake fake;
  fake.in.str("Crédit ✓\nCrédit été\n\n");
  VYXCliInteraction user(VYXCliInteraction::Answers::kYes, fake.Terminal(true));
  std::string answer;
  // A character MacRoman lacks is refused and the question asked again.
  ASSERT_TRUE(user.AskText("Nom :", &answer, false));
  EXPECT_EQ(Utf8ToMacRoman("Crédit été"), answer);
  EXPECT_NE(std::string::npos, fake.err.str().find("✓ (U+2713 CHECK MARK)")) << fake.err.str();
  // An empty line gives the question up.
  EXPECT_FALSE(user.AskText("Nom :", &answer, true));
}

TEST(CliInteractionTest, ProgressIsDrawnOnATerminalOnly) {
  for (bool tty : {true, false}) {
    Fake fake;
    VYXCliInteraction user(VYXCliInteraction::Answers::kAsk, fake.Terminal(false, tty));
    {
      CPProgress progress(Utf8ToMacRoman("Vérification"), 200);
      for (long i = 0; i <= 200; ++i) progress.Update(i);
    }
    const std::string out = fake.err.str();
    if (!tty) {
      EXPECT_EQ("", out);
      continue;
    }
    EXPECT_NE(std::string::npos, out.find("Vérification… 50 %"));
    // Redrawn when the percentage moves, not at every step.
    size_t draws = 0;
    for (size_t at = out.find('\r'); at != std::string::npos; at = out.find('\r', at + 1)) ++draws;
    EXPECT_LE(draws, 103u);
    EXPECT_EQ("\r\x1b[K", out.substr(out.size() - 4));  // the line is cleared at the end
  }
}

TEST(CliInteractionTest, AlertsGoToStderrAndTheInteractionIsRestored) {
  CPInteraction* before = &CPGetInteraction();
  Fake fake;
  {
    VYXCliInteraction user(VYXCliInteraction::Answers::kAsk, fake.Terminal(false));
    EXPECT_EQ(&user, &CPGetInteraction());
    CPGetInteraction().Alert(Utf8ToMacRoman("Le fichier est verrouillé."));
  }
  EXPECT_EQ("vyx : Le fichier est verrouillé.\n", fake.err.str());
  EXPECT_EQ(before, &CPGetInteraction());
}

}  // namespace
