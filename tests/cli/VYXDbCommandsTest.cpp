// `vyx db` end to end: the real program on files made by the engine here.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "platform/CPClock.h"
#include "simpledb/CPCRC16.h"
#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBSession.h"
#include "support/VYXTestSupport.h"

namespace {

namespace fs = std::filesystem;

class DbCommandsTest : public ::testing::Test {
 protected:
  // Records of 10, 300, 50 and 90 bytes (IDs 1 to 4) at blocks 1, 2, 5 and 6.
  // With `hole`, the one at 2 is deleted and the saved index (ID 5) takes the
  // first of its three blocks: 1, index 2, free 3-4, 5, 6-7.
  std::string Make(const std::string& name, bool hole = true) {
    CPFileRef fileRef = dir_.Ref(name);
    CPSimpleDBFile f(fileRef);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 3, false);
    CPSimpleDBSession s(&f);
    for (uint32_t size : {10u, 300u, 50u, 90u}) {
      std::string data(size, char('a' + size % 26));
      CPSimpleDBDataInfo info('OPER', 'bina', 2);
      CPSimpleDBRefnum r;
      s.AddData(&info, CPHostEncoding, data.data(), size, &r);
    }
    if (hole) s.DeleteData(2, CPSimpleDBDataInfo());
    f.Close();
    return fileRef.Path().string();
  }
  static void Patch(const std::string& path, uint64_t at, const std::string& bytes) {
    std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(static_cast<std::streamoff>(at));
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  static uint64_t Block(uint32_t refnum) { return 5120 + (refnum - 1) * 128ull; }
  static nlohmann::json Json(const VYXRunResult& r) { return nlohmann::json::parse(r.out); }

  VYXTempDir dir_;
  VYXPinnedClock clock_{15, 3, 2024, 9, 30};
};

TEST_F(DbCommandsTest, InfoShowsTheHeaderAndTheCounts) {
  std::string path = Make("a.cpt");
  VYXRunResult r = VYXRunVyx({"db", "info", path});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("vyx_cpt1"));
  EXPECT_NE(std::string::npos, r.out.find("CPT5"));
  EXPECT_NE(std::string::npos, r.out.find("Création               15/03/2024 09:30:00"));
  EXPECT_NE(std::string::npos, r.out.find("4 vivants, 1 libres (2 blocs libres)"));

  VYXRunResult j = VYXRunVyx({"db", "info", path, "--json"});
  ASSERT_EQ(0, j.exitCode) << j.err;
  nlohmann::json info = Json(j);
  EXPECT_EQ("CPT5", info["type"]);
  EXPECT_EQ("2024-03-15T09:30:00", info["creation"]);
  EXPECT_EQ(3, info["contentVersion"]);
  EXPECT_EQ(5, info["eventID"]);  // four additions and a deletion
  EXPECT_EQ(5, info["autoID"]);   // four records and the saved index
  EXPECT_EQ(2, info["indexRefnum"]);
  EXPECT_EQ(7, info["blocs"]);
  EXPECT_EQ(4, info["vivants"]);
  EXPECT_FALSE(info["ouvert"]);
  EXPECT_TRUE(info["defaut"].is_null());
  // The global option works before the command too.
  EXPECT_EQ(info, Json(VYXRunVyx({"--json", "db", "info", path})));
}

TEST_F(DbCommandsTest, ListerShowsEveryRecordInBlockOrder) {
  std::string path = Make("a.cpt");
  VYXRunResult r = VYXRunVyx({"db", "lister", path});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(6, std::count(r.out.begin(), r.out.end(), '\n'));  // a heading and five records
  EXPECT_NE(std::string::npos, r.out.find("????"));
  EXPECT_NE(std::string::npos, r.out.find("libre"));
  nlohmann::json list = Json(VYXRunVyx({"db", "lister", path, "--json"}))["enregistrements"];
  ASSERT_EQ(5u, list.size());
  std::vector<int> blocs;
  for (const auto& row : list) blocs.push_back(row["bloc"]);
  EXPECT_EQ((std::vector<int>{1, 2, 3, 5, 6}), blocs);
  EXPECT_TRUE(list[2]["libre"]);
  EXPECT_EQ(2, list[2]["blocs"]);
  EXPECT_EQ("OPER", list[0]["type"].get<std::string>());
  EXPECT_EQ(2, list[0]["version"]);
  EXPECT_EQ("midx", list[1]["type"].get<std::string>());
}

TEST_F(DbCommandsTest, VerifierGivesAVerdictOrTheFirstFault) {
  std::string sound = Make("sain.cpt");
  VYXRunResult ok = VYXRunVyx({"db", "verifier", sound});
  EXPECT_EQ(0, ok.exitCode) << ok.err;
  EXPECT_EQ(
      "Base saine : 4 enregistrements dans 7 blocs (2 blocs libres) ; index enregistré conforme.\n",
      ok.out);

  struct Case {
    const char* name;
    std::function<void(const std::string&)> damage;
    int code;
    int refnum;
  } cases[] = {
      {"checksum", [](const auto& p) { Patch(p, Block(5) + 44 + 7, "#"); }, 1302, 5},
      {"magic", [](const auto& p) { Patch(p, Block(6), "XXXX"); }, 1300, 6},
      // The saved index sends record 3 to block 7 instead of 5, under a checksum that matches.
      {"index",
       [](const auto& p) {
         std::string items = VYXReadFile(p).substr(Block(2) + 44, 36);
         items[12 + 8] = 7;
         uint32_t sum = CPCRC16(items.data(), items.size());
         Patch(p, Block(2) + 8, std::string(reinterpret_cast<const char*>(&sum), 4));
         Patch(p, Block(2) + 44, items);
       },
       1400, 2},
      {"duplicate", [](const auto& p) { Patch(p, Block(5) + 12, std::string("\x01", 1)); }, 1320,
       5},
      {"cut", [](const auto& p) { fs::resize_file(p, Block(6) + 64); }, 1200, 6},
      {"torn", [](const auto& p) { fs::resize_file(p, Block(7)); }, 1304, 6},
      {"stream offset", [](const auto& p) { Patch(p, 80, std::string("\x40\x14\0\0", 4)); }, 1101,
       0},
      {"stream marker", [](const auto& p) { Patch(p, 80, std::string("\x80\x14\0\0", 4)); }, 1102,
       0},
  };
  for (const auto& c : cases) {
    std::string path = Make(std::string(c.name) + ".cpt");
    c.damage(path);
    VYXRunResult r = VYXRunVyx({"db", "verifier", path});
    EXPECT_EQ(1, r.exitCode) << c.name;
    EXPECT_NE(std::string::npos, r.out.find("erreur n° " + std::to_string(c.code)))
        << c.name << ": " << r.out;
    nlohmann::json v = Json(VYXRunVyx({"db", "verifier", path, "--json"}));
    EXPECT_FALSE(v["sain"]) << c.name;
    EXPECT_EQ(c.code, v["defaut"]["code"]) << c.name;
    EXPECT_EQ(c.refnum, v["defaut"]["bloc"]) << c.name;
  }
}

TEST_F(DbCommandsTest, FilesThatAreNotDatabasesAreNamedClearly) {
  std::string text = (dir_.Path() / "texte.txt").string();
  std::ofstream(text) << std::string(6000, 'x');
  std::string tiny = (dir_.Path() / "court.cpt").string();
  std::ofstream(tiny) << "abc";
  struct Case {
    std::string path;
    const char* message;
  } cases[] = {
      {text,
       "n'est pas une base de données vyx (son en-tête n'en porte pas la marque). (erreur n° "
       "1002)"},
      {tiny, "trop court pour contenir un en-tête. (erreur n° 1001)"},
      {(dir_.Path() / "absent.cpt").string(), "Fichier introuvable. (erreur n° -43)"},
  };
  for (const auto& c : cases) {
    for (const char* command : {"info", "lister", "verifier", "compacter"}) {
      VYXRunResult r = VYXRunVyx({"db", command, c.path});
      EXPECT_EQ(1, r.exitCode) << command << " " << c.path;
      EXPECT_NE(std::string::npos, r.err.find(c.message)) << command << ": " << r.err;
    }
  }
}

TEST_F(DbCommandsTest, ReadingCommandsNeverWrite) {
  std::string path = Make("a.cpt");
  Patch(path, 20, std::string("\x08", 1));  // as a writer that was killed leaves it
  Patch(path, Block(5) + 44, "#");          // and damaged
  std::string before = VYXReadFile(path);
  auto stamp = fs::last_write_time(path);
  fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
  for (const char* command : {"info", "lister", "verifier"}) {
    VYXRunResult r = VYXRunVyx({"db", command, path});
    EXPECT_NE(-1, r.exitCode) << command;
  }
  EXPECT_EQ(before, VYXReadFile(path));
  EXPECT_EQ(stamp, fs::last_write_time(path));
}

TEST_F(DbCommandsTest, CompacterShortensTheFileAndKeepsItSound) {
  std::string path = Make("a.cpt");
  VYXRunResult r = VYXRunVyx({"db", "compacter", path, "--json"});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_EQ(7, Json(r)["blocsAvant"]);
  EXPECT_EQ(5, Json(r)["blocsApres"]);
  EXPECT_EQ(5120u + 5 * 128, fs::file_size(path));
  VYXRunResult v = VYXRunVyx({"db", "verifier", path});
  EXPECT_EQ(0, v.exitCode) << v.out;
  EXPECT_NE(std::string::npos, v.out.find("index enregistré conforme"));

  // Another writer holds the file: compacting is refused once the wait is
  // over, not done beside it.
  CPSimpleDBFile holder{CPFileRef(path)};
  holder.Open(10, false, false);
  VYXRunOptions briefly;
  briefly.env = {{"VYX_ATTENTE", "0.2"}};
  VYXRunResult refused = VYXRunVyx({"db", "compacter", path}, briefly);
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_NE(std::string::npos, refused.err.find("« " + path + " » est occupé")) << refused.err;
  EXPECT_NE(std::string::npos, refused.err.find("(erreur n° -49)")) << refused.err;
}

// A damaged record is not moved about by a compaction that would then say
// the file is fine: the file is refused as it is, and left as it was.
TEST_F(DbCommandsTest, CompacterRefusesADamagedFile) {
  struct Case {
    uint64_t at;
    std::string bytes;
    std::string fault;
  } cases[] = {
      {Block(5) + 44 + 3, "?", "Bloc 5 : Enregistrement endommagé : ses données"},
      {Block(6), "XXXX", "Bloc 6 : Enregistrement endommagé : son en-tête"},
  };
  for (const Case& c : cases) {
    std::string path = Make("a.cpt");
    Patch(path, c.at, c.bytes);
    const std::string before = VYXReadFile(path);
    VYXRunResult r = VYXRunVyx({"db", "compacter", path});
    EXPECT_EQ(1, r.exitCode);
    EXPECT_EQ("", r.out);
    EXPECT_NE(std::string::npos, r.err.find("« " + path + " » : la base est endommagée et n'a pas été compactée")) << r.err;
    EXPECT_NE(std::string::npos, r.err.find(c.fault)) << r.err;
    EXPECT_NE(std::string::npos, r.err.find("vyx db recuperer")) << r.err;
    EXPECT_EQ(before, VYXReadFile(path));
    fs::remove(path);
  }
}

// Records 1, 3 and 4 live (blocks 1, 5, 6-7), the saved index at 2: the
// data of 3 no longer matches its checksum, the header of 4 is gone.
TEST_F(DbCommandsTest, RecupererCopiesWhatCanBeReadAndSaysWhatItLeftOut) {
  std::string path = Make("a.cpt");
  Patch(path, Block(5) + 44, "?");
  Patch(path, Block(6), "XXXX");
  const std::string before = VYXReadFile(path);
  VYXRunResult r = VYXRunVyx({"db", "recuperer", path});
  ASSERT_EQ(0, r.exitCode) << r.err;
  const std::string salvage = (dir_.Path() / "a (récupéré).cpt").string();
  EXPECT_EQ("« " + salvage + " » : 1 enregistrement récupéré de « " + path +
                " ».\n"
                "Laissé de côté :\n"
                "  blocs 5 à 5, enregistrement 3 de type « OPER » : données qui ne "
                "correspondent pas à leur somme de contrôle\n"
                "  blocs 6 à 7 : pas d'enregistrement lisible\n",
            r.out);
  EXPECT_EQ(before, VYXReadFile(path));
  EXPECT_EQ(0, VYXRunVyx({"db", "verifier", salvage}).exitCode);
  {
    CPSimpleDBFile f{CPFileRef(salvage)};
    f.Open(10, false, true);
    CPSimpleDBSession s(&f);
    EXPECT_EQ(1u, s.GetNbOfData());
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum refnum;
    ASSERT_TRUE(s.GetDataRefnum(1, &info, &refnum));
    EXPECT_EQ(CPSimpleDBDataType('OPER'), info.type);
    EXPECT_EQ(2, info.GetVersion());
    EXPECT_EQ(CPClock::Now(), info.creation);  // the record's own date, kept
    std::string data(10, 0);
    s.GetData(refnum, nullptr, nullptr, data.data(), 10);
    EXPECT_EQ(std::string(10, 'k'), data);
    EXPECT_EQ(3u, f.GetHeader().contentVersion);
  }

  // Again: a name of its own; never over an existing file, never over the original.
  nlohmann::json again = Json(VYXRunVyx({"db", "recuperer", path, "--json"}));
  EXPECT_EQ((dir_.Path() / "a (récupéré 2).cpt").string(), again["sortie"]);
  EXPECT_EQ(1, again["recuperes"]);
  ASSERT_EQ(2u, again["laisses"].size());
  EXPECT_EQ(3, again["laisses"][0]["dataID"]);
  EXPECT_EQ(1302, again["laisses"][0]["code"]);
  EXPECT_EQ(6, again["laisses"][1]["bloc"]);
  EXPECT_EQ(2, again["laisses"][1]["blocs"]);
  for (const std::string& target : {salvage, path}) {
    const std::string was = VYXReadFile(target);
    VYXRunResult refused = VYXRunVyx({"db", "recuperer", path, target});
    EXPECT_EQ(1, refused.exitCode);
    EXPECT_NE(std::string::npos, refused.err.find("existe déjà")) << refused.err;
    EXPECT_EQ(was, VYXReadFile(target));
  }
}

}  // namespace
