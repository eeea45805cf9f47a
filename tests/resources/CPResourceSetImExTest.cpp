// The tab-separated exchange of a list: the text of each kind of field both
// ways, the titles of a file in any order, and what an import does with each
// line (added, renamed, replaced, left alone, refused), including the files
// it refuses whole.
#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <map>
#include <string>

#include "foundation/CPFormattedStream.h"
#include "foundation/CPStrings.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"
#include "resources/CPImExStructure.h"
#include "resources/CPResourceSet_T.h"
#include "resources/CPStreamResourceStorage.h"
#include "resources/ResourceTestSupport.h"
#include "support/VYXTestSupport.h"

namespace {

#pragma pack(push, 1)
struct Rate {
  double taux = 19.6;
  int16_t couleur = 0;
  uint8_t kind = 1;
  uint8_t actif = 0;
  Str7 code = {};

  void Encode(const CPDataEncoding&) {}
  void Decode(const CPDataEncoding&) {}
};
#pragma pack(pop)

void SetText(unsigned char* pstr, const std::string& text) { StdToP(text, pstr); }
std::string Text(const unsigned char* pstr) { return PToStd(pstr); }

CPDataField Field(OSType key, CPFieldKind kind, size_t offset, const char* heading,
                  uint32_t size = 0) {
  CPDataField f;
  f.key = key;
  f.kind = kind;
  f.offset = uint32_t(offset);
  f.size = size;
  f.heading = heading;
  return f;
}

class ImExTest : public ::testing::Test {
 protected:
  ImExTest() {
    CPDataStructure data;
    data.Add(Field('taux', CPFieldKind::kNumber, offsetof(Rate, taux), "Taux"));
    data.Add(Field('colr', CPFieldKind::kShort, offsetof(Rate, couleur), "Couleur"));
    CPDataField kind = Field('type', CPFieldKind::kEnum, offsetof(Rate, kind), "Type");
    kind.words = {"aucun", "vente", "achat"};
    data.Add(kind);
    data.Add(Field('actf', CPFieldKind::kBool, offsetof(Rate, actif), "Actif"));
    data.Add(Field('code', CPFieldKind::kPString, offsetof(Rate, code), "Code", 8));
    CPDataField note;
    note.key = 'note';
    note.kind = CPFieldKind::kComputed;
    note.heading = "Note";
    note.get = [this](CPResID id) { return notes_[id]; };
    note.set = [this](CPResID id, const std::string& text, std::string*) {
      notes_[id] = text;
      return true;
    };
    data.Add(note);
    structure_ = std::make_unique<CPImExStructure>(
        data, std::vector<OSType>{'taux', 'colr', 'type', 'actf', 'code', 'note'});
  }

  CPResID Add(const std::string& name, Rate r) {
    CPResID id = set_.GetUniqueID();
    set_.AddResource(id, P(Utf8ToMacRoman(name)), r);
    return id;
  }
  std::string Export() {
    CPHandleStream out;
    CPTabCrStream text(&out, true);
    set_.ExportResources(text, *structure_);
    return std::string(reinterpret_cast<const char*>(out.Data()), out.GetLength());
  }
  CPImportReport Import(const std::string& text, int16_t mode = kCPImportAdd) {
    CPHandleStream in;
    in.WriteData(text.data(), long(text.size()));
    CPTabCrStream stream(&in, true);
    CPImportReport report;
    set_.ImportResources(stream, *structure_, mode, &report);
    return report;
  }
  Rate Get(const std::string& name) {
    Rate r;
    set_.GetResource(set_.GetResourceID(P(Utf8ToMacRoman(name))), &r);
    return r;
  }

  VYXPinnedClock clock_{14, 7, 2024};
  CPHandleStream stream_;
  CPStreamResourceStorage storage_{stream_};
  CPResourceSet_T<Rate> set_{storage_, 'RATE'};
  std::map<CPResID, std::string> notes_;
  std::unique_ptr<CPImExStructure> structure_;
};

TEST_F(ImExTest, ExportWritesTitlesThenEachItemAsTheUserReadsIt) {
  Rate normal;
  normal.taux = 6.55957;
  normal.couleur = -3;
  normal.kind = 2;
  normal.actif = 1;
  SetText(normal.code, "445");
  notes_[Add("Normal", normal)] = Utf8ToMacRoman("à revoir");
  Rate odd;
  odd.taux = -0.5;
  odd.kind = 9;  // a kind without a word
  Add("Réduit", odd);
  EXPECT_EQ(
      "Nom\tTaux\tCouleur\tType\tActif\tCode\tNote\r"
      "Normal\t6,55957\t-3\tachat\toui\t445\t" + Utf8ToMacRoman("à revoir") + "\r" +
          Utf8ToMacRoman("Réduit") + "\t-0,5\t0\t9\tnon\t\t\r",
      Export());

  // What is exported imports back unchanged.
  CPImportReport again = Import(Export());
  ASSERT_EQ(2u, again.lines.size());
  EXPECT_EQ(2, again.Count(CPImportLine::kUnchanged));
}

TEST_F(ImExTest, EachKindOfFieldReadsItsTextsAndRefusesOthers) {
  struct Case {
    const char* column;
    const char* text;
    bool ok;
    const char* says;  // in the reason, when refused
  } cases[] = {
      {"Taux", "1 234,5", true, ""},       {"Taux", "12.5", true, ""},
      {"Taux", "", true, ""},              {"Taux", "douze", false, "n'est pas un nombre"},
      {"Couleur", "-32768", true, ""},     {"Couleur", "32768", false, "n'est pas un nombre"},
      {"Couleur", "1,5", false, "nombre"}, {"Type", "Achat", true, ""},
      {"Type", "200", true, ""},           {"Type", "256", false, "n'est pas une valeur"},
      {"Type", "soldes", false, "valeur"}, {"Actif", "OUI", true, ""},
      {"Actif", "0", true, ""},            {"Actif", "peut-être", false, "ni « oui » ni « non »"},
      {"Code", "1234567", true, ""},       {"Code", "12345678", false, "7 caractères au plus"},
  };
  int line = 0;
  for (const Case& c : cases) {
    std::string name = "Taux " + std::to_string(++line);
    CPImportReport r =
        Import(std::string("Nom\t") + c.column + "\r" + name + "\t" + Utf8ToMacRoman(c.text) + "\r");
    ASSERT_EQ(1u, r.lines.size()) << c.column << " " << c.text;
    const CPImportLine& l = r.lines[0];
    EXPECT_EQ(c.ok ? CPImportLine::kAdded : CPImportLine::kRefused, l.outcome)
        << c.column << " " << c.text;
    if (!c.ok) {
      std::string reason = MacRomanToUtf8(l.reason);
      EXPECT_NE(std::string::npos, reason.find(c.says)) << reason;
      EXPECT_NE(std::string::npos, reason.find(std::string("« ") + c.column + " »")) << reason;
      EXPECT_FALSE(set_.ResourceExists(P(name)));
    }
  }
  EXPECT_DOUBLE_EQ(1234.5, Get("Taux 1").taux);
  EXPECT_DOUBLE_EQ(0, Get("Taux 3").taux);  // an empty cell is zero
  EXPECT_EQ(-32768, Get("Taux 5").couleur);
  EXPECT_EQ(2, Get("Taux 8").kind);
  EXPECT_EQ(1, Get("Taux 12").actif);
  EXPECT_EQ("1234567", Text(Get("Taux 15").code));
}

TEST_F(ImExTest, EachLineIsAddedRenamedReplacedLeftOrRefused) {
  Rate kept;
  kept.taux = 5.5;
  Add("Réduit", kept);
  Add("Normal", Rate());
  Add("Devise", Rate());
  structure_->canChange = [&](CPResID id, std::string* why) {
    *why = "gardé";
    return id != set_.GetResourceID(P("Devise"));
  };
  const std::string file = std::string("Code\tTaux\tnom\tBidule\r") +  // titles by heading or key
                           "A\t5,5\t" + Utf8ToMacRoman("Réduit") + "\tx\r" +  // the same: left
                           "B\t20\tNormal\t\r"                     // taken, other fields
                           "\t\t\t\r"                              // blank: skipped
                           "C\t7\tNouveau\t\r"                     // added
                           "D\t1\t\t\r"                            // no name
                           "E\t1\tTrop\t\tde trop\r"               // beyond the titles
                           "F\t3\tDevise\t\r";                     // may not change

  CPImportReport added = Import(file);
  EXPECT_EQ(std::vector<std::string>{"Bidule"}, added.ignoredColumns);
  auto outcomes = [](const CPImportReport& r) {
    std::vector<std::pair<int, CPImportLine::Outcome>> v;
    for (const CPImportLine& l : r.lines) v.emplace_back(l.line, l.outcome);
    return v;
  };
  using O = CPImportLine;
  // The code differs for "Réduit": in add mode, a new item beside it.
  EXPECT_EQ((std::vector<std::pair<int, O::Outcome>>{{2, O::kRenamed},
                                                      {3, O::kRenamed},
                                                      {5, O::kAdded},
                                                      {6, O::kRefused},
                                                      {7, O::kRefused},
                                                      {8, O::kRenamed}}),
            outcomes(added));
  EXPECT_EQ("Normal 1", added.lines[1].given);
  EXPECT_DOUBLE_EQ(20, Get("Normal 1").taux);
  EXPECT_DOUBLE_EQ(19.6, Get("Normal").taux);
  EXPECT_EQ("C", Text(Get("Nouveau").code));

  // Replacing: the items of those names take the file's fields, but the one
  // that must keep its own.
  CPImportReport replaced = Import(file, kCPImportReplace);
  EXPECT_EQ((std::vector<std::pair<int, O::Outcome>>{{2, O::kReplaced},
                                                      {3, O::kReplaced},
                                                      {5, O::kUnchanged},
                                                      {6, O::kRefused},
                                                      {7, O::kRefused},
                                                      {8, O::kRefused}}),
            outcomes(replaced));
  EXPECT_EQ("A", Text(Get("Réduit").code));
  EXPECT_DOUBLE_EQ(20, Get("Normal").taux);
  EXPECT_EQ("gardé", replaced.lines[5].reason);
  EXPECT_DOUBLE_EQ(19.6, Get("Devise").taux);
  EXPECT_EQ(O::kUnchanged, Import(file, kCPImportReplace).lines[0].outcome);
}

TEST_F(ImExTest, NamesThatMeanSomethingAreCheckedAndNeverNumbered) {
  Add("USD", Rate());
  structure_->numberedNames = false;
  structure_->checkName = [](std::string* name, std::string* why) {
    if (name->size() > 3) {
      *why = "trop long";
      return false;
    }
    for (char& c : *name) c = char(std::toupper(c));
    return true;
  };
  CPImportReport r = Import("Nom\tTaux\rusd\t2\rgbp\t1,2\rdollars\t1\r");
  using O = CPImportLine;
  ASSERT_EQ(3u, r.lines.size());
  EXPECT_EQ(O::kRefused, r.lines[0].outcome);  // taken, and not to be numbered
  EXPECT_NE(std::string::npos, r.lines[0].reason.find("USD"));
  EXPECT_EQ(O::kAdded, r.lines[1].outcome);
  EXPECT_EQ("GBP", r.lines[1].given);
  EXPECT_EQ("trop long", r.lines[2].reason);
}

TEST_F(ImExTest, ComputedFieldsAreReadAndSetThroughTheOwner) {
  CPResID id = Add("Normal", Rate());
  notes_[id] = "vieille";
  CPImportReport r = Import("Nom\tNote\rNormal\tneuve\rAutre\tsienne\r", kCPImportReplace);
  EXPECT_EQ(CPImportLine::kReplaced, r.lines[0].outcome);
  EXPECT_EQ("neuve", notes_[id]);
  EXPECT_EQ("sienne", notes_[set_.GetResourceID(P("Autre"))]);
}

TEST_F(ImExTest, FilesWithoutANameColumnOrWithAColumnTwiceAreRefusedWhole) {
  Add("Normal", Rate());
  std::string before = Export();
  for (const char* file : {"Taux\tCode\r20\tA\r", "Nom\tTaux\ttaux\rX\t1\t2\r",
                           "Nom\tname\rX\tY\r", ""}) {
    EXPECT_CP_CODE(paramErr, Import(file)) << file;
  }
  EXPECT_EQ(before, Export());
}

}  // namespace
