// `vyx` end to end: the real program, with its preferences and data folders in
// a temporary home, working in dossiers made there.
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "VYXCliHomeTest.h"

namespace {

namespace fs = std::filesystem;

class CliEndToEndTest : public VYXCliHomeTest {
 protected:
  // Runs vyx on a pseudo-terminal and types `typed` once it asks (o/n):
  // everything the terminal showed, and the exit code.
  std::pair<std::string, int> OnTerminal(const std::vector<std::string>& args,
                                         const std::string& typed) {
    int master = -1;
    pid_t pid = ::forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
      std::vector<char*> argv{const_cast<char*>(VYX_BINARY_PATH)};
      for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
      argv.push_back(nullptr);
      ::execv(VYX_BINARY_PATH, argv.data());
      ::_exit(127);
    }
    std::string shown;
    bool answered = false;
    for (;;) {
      pollfd fd{master, POLLIN, 0};
      if (::poll(&fd, 1, 20000) <= 0) break;
      char buf[1024];
      ssize_t n = ::read(master, buf, sizeof buf);
      if (n <= 0) break;
      shown.append(buf, static_cast<size_t>(n));
      if (!answered && shown.find("(o/n)") != std::string::npos) {
        answered = true;
        EXPECT_EQ(static_cast<ssize_t>(typed.size()), ::write(master, typed.data(), typed.size()));
      }
    }
    ::close(master);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {shown, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
  }
};

TEST_F(CliEndToEndTest, WithoutCommandTheSampleIsOpenedAndItsBalancesShown) {
  VYXRunResult r = Ok({});
  EXPECT_NE(std::string::npos, r.out.find("Compte courant")) << r.out;
  EXPECT_NE(std::string::npos, r.out.find("Livret A"));
  EXPECT_NE(std::string::npos, r.out.find("Prévu"));
  // The sample was copied into the user's data folder, and opened there.
  EXPECT_TRUE(fs::exists(home_.Path() / "data" / "vyx" / "Exemple" / "Exemple.grp"));

  nlohmann::json soldes = Json({"soldes"});
  ASSERT_TRUE(soldes.is_array());
  ASSERT_EQ(2u, soldes.size());
  EXPECT_EQ("Compte courant", soldes[0]["nom"]);
  for (const nlohmann::json& compte : soldes) {
    for (const char* key : {"prevu", "engage", "pointe"})
      EXPECT_TRUE(compte["soldes"][key].is_number()) << compte;
  }
  // The text and the JSON agree.
  EXPECT_EQ(soldes, Json({}));

  nlohmann::json info = Json({"dossier", "info"});
  EXPECT_TRUE(info["exemple"]);
  EXPECT_EQ("EUR", info["devise"]);
  EXPECT_EQ(0u, info["recents"].size());  // the sample is never a recent dossier
}

TEST_F(CliEndToEndTest, DossiersAndAccountsCreatedListedAndShown) {
  std::string dossier = MakeDossier({"Courant", "Épargne"});
  // The new dossier became the current one, and is remembered.
  nlohmann::json info = Json({"dossier", "info"});
  EXPECT_EQ(dossier, info["fichier"]);
  EXPECT_FALSE(info["exemple"]);
  ASSERT_EQ(2u, info["comptes"].size());
  EXPECT_EQ("Épargne", info["comptes"][1]["nom"]);
  EXPECT_EQ((Folder() / "Épargne.cpt").string(), info["comptes"][1]["fichier"]);
  EXPECT_EQ(nlohmann::json::array({dossier}), info["recents"]);

  nlohmann::json liste = Json({"compte", "liste"});
  ASSERT_EQ(2u, liste.size());
  EXPECT_EQ("Courant", liste[0]["nom"]);
  EXPECT_EQ("EUR", liste[0]["devise"]);

  // Opening balances, set by status, make the three cumulative balances;
  // names are found whatever their case and accents.
  nlohmann::json reports =
      Json({"compte", "reports", "courant", "--prevu", "1", "--engage", "2", "--pointe=1 000,5"});
  EXPECT_EQ(1000.5, reports["reports"]["pointe"]);
  Ok({"compte", "reports", "EPARGNE", "--pointe", "-5"});
  nlohmann::json soldes = Json({"soldes"});
  EXPECT_EQ(nlohmann::json::parse(R"([
      {"nom": "Courant", "devise": "EUR",
       "soldes": {"prevu": 1003.5, "engage": 1002.5, "pointe": 1000.5}},
      {"nom": "Épargne", "devise": "EUR",
       "soldes": {"prevu": -5.0, "engage": -5.0, "pointe": -5.0}}])"),
            soldes);
  VYXRunResult text = Ok({"soldes"});
  EXPECT_EQ(
      "Compte      Prévu    Engagé    Pointé  Devise\n"
      "Courant  1 003,50  1 002,50  1 000,50  EUR\n"
      "Épargne     -5,00     -5,00     -5,00  EUR\n"
      "Total      998,50    997,50    995,50  EUR\n",
      text.out);
  EXPECT_EQ(nlohmann::json::array({soldes[1]}), Json({"soldes", "épargne"}));

  // Another dossier for one command, by --dossier.
  fs::create_directories(home_.Path() / "autre");
  Ok({"dossier", "creer", (home_.Path() / "autre" / "Pro").string()});
  EXPECT_EQ(0u, Json({"soldes"}).size());
  EXPECT_EQ(2u, Json({"--dossier", dossier, "soldes"}).size());
  Ok({"dossier", "ouvrir", dossier});
  EXPECT_EQ(2u, Json({"soldes"}).size());
}

TEST_F(CliEndToEndTest, AccountsRenamedCopiedLockedAndDeleted) {
  MakeDossier({"Courant"});
  Ok({"compte", "reports", "Courant", "--pointe", "10"});

  nlohmann::json renamed = Json({"compte", "renommer", "courant", "Chèques"});
  EXPECT_EQ("Courant", renamed["ancien"]);
  EXPECT_EQ((Folder() / "Chèques.cpt").string(), renamed["fichier"]);
  EXPECT_FALSE(fs::exists(Folder() / "Courant.cpt"));
  EXPECT_TRUE(fs::exists(Folder() / "Chèques.cpt"));
  Ok({"compte", "copier", "Chèques", "Vacances"});
  nlohmann::json soldes = Json({"soldes"});
  ASSERT_EQ(2u, soldes.size());
  EXPECT_EQ("Chèques", soldes[0]["nom"]);
  EXPECT_EQ("Vacances", soldes[1]["nom"]);
  EXPECT_EQ(10.0, soldes[1]["soldes"]["pointe"]);  // the copy has the same figures

  // Names another account has, or that cannot name a file, are refused.
  for (std::vector<std::string> args : {std::vector<std::string>{"compte", "creer", "VACANCES"},
                                        {"compte", "renommer", "Vacances", "chèques"},
                                        {"compte", "copier", "Vacances", "a/b"},
                                        {"compte", "creer", "Compte ✓"}}) {
    VYXRunResult r = VYXRunVyx(args);
    EXPECT_EQ(1, r.exitCode) << Joined(args);
    EXPECT_NE(std::string::npos, r.err.find("vyx : ")) << r.err;
  }
  EXPECT_EQ(2u, Json({"compte", "liste"}).size());

  nlohmann::json lock = Json({"compte", "verrou", "Vacances", "31/03/2024"});
  EXPECT_EQ("2024-03-31", lock["lockDate"]);
  VYXRunResult shown = Ok({"compte", "verrou", "vacances"});
  EXPECT_EQ("Le compte « Vacances » est verrouillé jusqu'au 31/03/24 inclus.\n", shown.out);
  Ok({"compte", "verrou", "Vacances", ""});
  EXPECT_TRUE(Json({"compte", "verrou", "Vacances"})["lockDate"].is_null());

  // Deleting asks first; without a terminal nobody answers, and the safe
  // answer keeps the account.
  VYXRunResult asked = VYXRunVyx({"compte", "supprimer", "Vacances"});
  EXPECT_EQ(1, asked.exitCode);
  EXPECT_NE(std::string::npos, asked.err.find("Pas de terminal pour répondre à « Voulez-vous "
                                              "vraiment supprimer le compte « Vacances »"))
      << asked.err;
  EXPECT_TRUE(fs::exists(Folder() / "Vacances.cpt"));
  EXPECT_EQ(1, VYXRunVyx({"--non", "compte", "supprimer", "Vacances"}).exitCode);
  Ok({"--oui", "compte", "supprimer", "Vacances"});
  EXPECT_FALSE(fs::exists(Folder() / "Vacances.cpt"));
  EXPECT_EQ(1u, Json({"compte", "liste"}).size());
}

TEST_F(CliEndToEndTest, QuestionsAreAskedOnTheTerminal) {
  MakeDossier({"Courant", "Vacances"});
  auto [kept, no] = OnTerminal({"compte", "supprimer", "vacances"}, "n\n");
  EXPECT_EQ(1, no);
  EXPECT_NE(std::string::npos,
            kept.find("Voulez-vous vraiment supprimer le compte « Vacances » et son fichier"))
      << kept;
  EXPECT_EQ(std::string::npos, kept.find("Pas de terminal"));
  EXPECT_TRUE(fs::exists(Folder() / "Vacances.cpt"));

  auto [shown, yes] = OnTerminal({"compte", "supprimer", "vacances"}, "o\n");
  EXPECT_EQ(0, yes) << shown;
  EXPECT_NE(std::string::npos, shown.find("Compte « Vacances » supprimé.")) << shown;
  EXPECT_FALSE(fs::exists(Folder() / "Vacances.cpt"));
}

TEST_F(CliEndToEndTest, RefusedArgumentsLeaveEveryFileAsItWas) {
  MakeDossier({"Courant"});
  Ok({"compte", "verrou", "Courant", "31/01/2024"});
  const auto before = Snapshot();
  struct Case {
    std::vector<std::string> args;
    const char* message;
  } cases[] = {
      {{"compte", "verrou", "Courant", "29/02/07"}, "vyx : « 29/02/07 » n'est pas une date.\n"},
      {{"compte", "reports", "Courant", "--prevu", "12a"}, "vyx : « 12a » n'est pas un montant.\n"},
      {{"compte", "creer", "Łódź"},
       "vyx : « <U+0141>ód<U+017A> » contient le caractère U+0141 LATIN CAPITAL LETTER L WITH "
       "STROKE, que vyx ne peut pas enregistrer : ses textes sont en MacRoman.\n"},
  };
  for (const Case& c : cases) {
    VYXRunResult r = VYXRunVyx(c.args);
    EXPECT_EQ(1, r.exitCode) << Joined(c.args);
    EXPECT_EQ(c.message, r.err);
    EXPECT_EQ("", r.out);
    EXPECT_TRUE(before == Snapshot()) << Joined(c.args) << " changed a file";
  }
  EXPECT_EQ("2024-01-31", Json({"compte", "verrou", "Courant"})["lockDate"]);
}

TEST_F(CliEndToEndTest, UnknownAccountsAndMissingDossiersAreRefused) {
  VYXRunResult r = VYXRunVyx({"--dossier", (home_.Path() / "rien.grp").string(), "soldes"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("Impossible d'ouvrir le dossier « " +
                                          (home_.Path() / "rien.grp").string() + " »"))
      << r.err;

  MakeDossier({"Courant"});
  r = VYXRunVyx({"soldes", "Livret"});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("vyx : Le dossier « Maison.grp » n'a pas de compte « Livret ».\n", r.err);
  r = VYXRunVyx({"dossier", "creer", (Folder() / "Maison.grp").string()});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("existe déjà")) << r.err;
  r = VYXRunVyx({"dossier", "ouvrir", (Folder() / "Courant.cpt").string()});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_EQ("vyx : « " + (Folder() / "Courant.cpt").string() + " » n'est pas un dossier vyx.\n",
            r.err);
}

TEST_F(CliEndToEndTest, UsageErrorsAreSaidInFrenchAndExitTwoWithTheCommandsHelp) {
  struct Case {
    std::vector<std::string> args;
    const char* error;  // what follows "vyx : erreur d'usage : "
    const char* help;   // a line of the help that should be shown
  } cases[] = {
      {{"compte", "creer"}, "Il manque l'argument NOM.", "--devise"},
      {{"ope", "ajouter", "Courant", "--montant", "-1"}, "Il manque l'option --date.", "--libelle"},
      {{"compte"}, "Il manque une commande après « vyx compte ».", "reports"},
      {{"compte", "verrou", "A", "B", "C"}, "Argument inattendu : « C ».", "DATE"},
      {{"bidule"}, "Argument inattendu : « bidule ».", "soldes"},
      {{"compte", "liste", "--bidule", "x y"},
       "Arguments inattendus : « --bidule », « x y ».",
       "--json"},
      {{"--oui", "--non", "soldes"},
       "Impossible de donner à la fois l'option --oui et l'option --non.",
       "prévu, engagé et pointé"},
      {{"db", "reconstruire", "j.evt", "--version-contenu", "deux"},
       "« deux » ne convient pas à l'option --version-contenu.",
       "JOURNAL"},
      {{"ope", "liste", "Courant", "--du"}, "Il manque la valeur de l'option --du.", "--au"},
      {{"soldes", "--json=peut-etre"},
       "« peut-etre » ne convient pas à l'option --json.",
       "--json"},
  };
  // CLI11's own sentences, none of which may reach the user.
  const char* english[] = {"required", "expected", "xpected",    "convert",
                           "excludes", "requires", "subcommand", "argument was",
                           "allowed",  "missing",  "Should be"};
  for (const Case& c : cases) {
    VYXRunResult r = VYXRunVyx(c.args);
    EXPECT_EQ(2, r.exitCode) << Joined(c.args);
    EXPECT_EQ(std::string("vyx : erreur d'usage : ") + c.error, r.err.substr(0, r.err.find('\n')))
        << Joined(c.args);
    EXPECT_NE(std::string::npos, r.err.find(c.help)) << Joined(c.args) << "\n" << r.err;
    for (const char* word : english)
      EXPECT_EQ(std::string::npos, r.err.find(word)) << Joined(c.args) << "\n" << r.err;
    EXPECT_EQ("", r.out);
  }
  VYXRunResult help = Ok({"compte", "--help"});
  EXPECT_NE(std::string::npos, help.out.find("reports")) << help.out;

  // The usage line names the whole command, after --help as after an error.
  EXPECT_NE(std::string::npos,
            Ok({"ope", "ajouter", "--help"}).out.find("\nUsage: vyx ope ajouter [OPTIONS] COMPTE"));
  EXPECT_NE(std::string::npos, Ok({"--help"}).out.find("Usage: vyx [OPTIONS] [COMMANDE]"));
  EXPECT_NE(std::string::npos, VYXRunVyx({"compte", "creer"}).err.find("Usage: vyx compte creer"));
}

}  // namespace
