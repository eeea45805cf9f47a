// `vyx db` and the event log: `info` tells how the log stands, `reconstruire`
// rebuilds a database from it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "simpledb/CPSimpleDBFile.h"
#include "simpledb/CPSimpleDBSession.h"
#include "support/VYXTestSupport.h"

namespace {

namespace fs = std::filesystem;
using Records = std::map<CPSimpleDBDataID, std::vector<unsigned char>>;

class DbLogCommandsTest : public ::testing::Test {
 protected:
  // A logged account with four records, one of them changed and one deleted.
  std::string MakeLogged() {
    CPSimpleDBFile f(fileRef_);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 3, false);
    f.StartEventLog();
    CPSimpleDBSession s(&f);
    for (uint32_t size : {10u, 300u, 50u, 90u}) {
      std::vector<unsigned char> data(size, static_cast<unsigned char>(size));
      CPSimpleDBDataInfo info('OPER', 'bina', 2);
      CPSimpleDBRefnum r;
      s.AddData(&info, CPHostEncoding, data.data(), size, &r);
    }
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0, placed = 0;
    s.GetDataRefnum(3, &info, &r);
    s.ModifyData(r, &info, CPHostEncoding, "changed", 7, &placed);
    s.GetDataRefnum(1, &info, &r);
    s.DeleteData(r, info);
    records_ = Read(f);
    f.Close();
    return fileRef_.Path().string();
  }
  static Records Read(CPSimpleDBFile& f) {
    Records out;
    CPSimpleDBSession s(&f);
    CPSimpleDBDataInfo info;
    CPSimpleDBRefnum r = 0;
    for (bool more = s.GetFirstData(0, &info, &r); more; more = s.GetNextData(0, &info, &r)) {
      std::vector<unsigned char> data(s.GetDataSize(r));
      s.GetData(r, nullptr, nullptr, data.data(), static_cast<CPDataSize>(data.size()));
      out[info.dataID] = data;
    }
    return out;
  }
  Records ReadFile(const CPFileRef& fileRef) {
    CPSimpleDBFile f(fileRef);
    f.Open(10, false, true);
    return Read(f);
  }

  VYXTempDir dir_;
  VYXPinnedClock clock_{15, 3, 2024, 9, 30};
  CPFileRef fileRef_ = dir_.Ref("compte.cpt");
  CPFileRef log_ = dir_.Ref("compte.evt");
  Records records_;
};

TEST_F(DbLogCommandsTest, InfoTellsHowTheLogStands) {
  std::string path = MakeLogged();
  VYXRunResult r = VYXRunVyx({"db", "info", path});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos,
            r.out.find(log_.Path().string() + " : 6 événements, dernier eventID 6"));
  EXPECT_NE(std::string::npos, r.out.find("en accord avec l'en-tête"));
  VYXRunResult j = VYXRunVyx({"db", "info", path, "--json"});
  ASSERT_EQ(0, j.exitCode) << j.err;
  nlohmann::json detail = nlohmann::json::parse(j.out)["journalDetail"];
  EXPECT_EQ(6, detail["evenements"]);
  EXPECT_EQ(true, detail["accord"]);

  fs::remove(log_.Path());
  r = VYXRunVyx({"db", "info", path});
  EXPECT_NE(std::string::npos, r.out.find("introuvable, alors que la base est journalisée"));
}

// The value `info` shows on the line of `label`.
std::string ValueOf(const std::string& out, const std::string& label) {
  size_t at = out.find("\n" + label + " ");
  if (at == std::string::npos) return "(no " + label + ")";
  size_t start = out.find_first_not_of(' ', at + 1 + label.size());
  return out.substr(start, out.find('\n', start) - start);
}

// Given the log itself, `info` recognises it and tells its events and the
// database it belongs to.
TEST_F(DbLogCommandsTest, InfoOfALogTellsItsEventsAndItsDatabase) {
  MakeLogged();
  VYXRunResult r = VYXRunVyx({"db", "info", log_.Path().string()});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("(journal d'événements)")) << r.out;
  EXPECT_EQ(0u, ValueOf(r.out, "Événements").find("6, ")) << r.out;
  EXPECT_EQ("eventID 1 : ajout, type OPER, dataID 1", ValueOf(r.out, "Premier"));
  EXPECT_EQ("eventID 6 : suppression, type OPER, dataID 1", ValueOf(r.out, "Dernier"));
  EXPECT_EQ(fileRef_.Path().string() + " : eventID 6, en accord avec le journal",
            ValueOf(r.out, "Base"));

  nlohmann::json j =
      nlohmann::json::parse(VYXRunVyx({"db", "info", log_.Path().string(), "--json"}).out);
  EXPECT_EQ(true, j["journal"]);
  EXPECT_EQ(6, j["evenements"]);
  EXPECT_EQ("suppression", j["dernier"]["action"]);
  EXPECT_EQ(fileRef_.Path().string(), j["base"]["fichier"]);

  // Without its database beside it, the log still tells what it holds.
  fs::remove(fileRef_.Path());
  r = VYXRunVyx({"db", "info", log_.Path().string()});
  EXPECT_EQ(0, r.exitCode);
  EXPECT_EQ("aucune base de ce journal à côté de lui", ValueOf(r.out, "Base"));
}

TEST_F(DbLogCommandsTest, ReconstruireRebuildsALostDatabaseFromItsLog) {
  MakeLogged();
  fs::remove(fileRef_.Path());
  // Without a file named, the log's own database is looked for beside it.
  VYXRunResult none = VYXRunVyx({"db", "reconstruire", log_.Path().string()});
  EXPECT_EQ(1, none.exitCode);
  EXPECT_NE(std::string::npos, none.err.find("précisez le fichier à reconstruire"));

  VYXRunResult r = VYXRunVyx({"db", "reconstruire", log_.Path().string(), fileRef_.Path().string(),
                              "--version-contenu", "3"});
  ASSERT_EQ(0, r.exitCode) << r.err;
  EXPECT_NE(std::string::npos, r.out.find("3 enregistrements, eventID 6, autoID 4"));
  EXPECT_EQ(records_, ReadFile(fileRef_));
  VYXRunResult check = VYXRunVyx({"db", "verifier", fileRef_.Path().string()});
  EXPECT_EQ(0, check.exitCode) << check.out;
  // Found beside its log, an up-to-date file has nothing to catch up.
  VYXRunResult again = VYXRunVyx({"db", "reconstruire", log_.Path().string(), "--json"});
  ASSERT_EQ(0, again.exitCode) << again.err;
  nlohmann::json j = nlohmann::json::parse(again.out);
  EXPECT_EQ(fileRef_.Path().string(), j["fichier"]);
  EXPECT_EQ(false, j["nouveau"]);
  EXPECT_EQ(records_, ReadFile(fileRef_));
}

TEST_F(DbLogCommandsTest, ReconstruireRefusesAnotherDatabasesLog) {
  MakeLogged();
  CPFileRef other = dir_.Ref("autre.cpt");
  {
    CPSimpleDBFile f(other);
    Str255 signature = "\x08vyx_cpt1";
    f.Create('VyxP', 'CPT5', signature, 3, false);
  }
  const std::string before = VYXReadFile(other.Path());
  VYXRunResult r = VYXRunVyx({"db", "reconstruire", log_.Path().string(), other.Path().string()});
  EXPECT_EQ(1, r.exitCode);
  EXPECT_NE(std::string::npos, r.err.find("1504"));
  EXPECT_EQ(before, VYXReadFile(other.Path()));
}

}  // namespace
