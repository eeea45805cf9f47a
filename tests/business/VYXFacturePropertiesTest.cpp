// The properties of a document by four-character code, read and written as
// text files and scripts exchange them.
#include <gtest/gtest.h>

#include "business/BusinessTestSupport.h"
#include "business/VYXFactureProperties.h"
#include "foundation/CPDates.h"

namespace {

class Properties : public BusinessTest {};

TEST(FactureProperties, FiftyNineCodesInTheirOrderEachWithAName) {
  auto all = VYXFactureProperties();
  ASSERT_EQ(59u, all.size());
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(int(i + 1), all[i].no);
    EXPECT_EQ(&all[i], VYXFindFactureProperty(all[i].code));
    EXPECT_FALSE(VYXFacturePropertyName(all[i]).empty()) << all[i].no;
  }
  EXPECT_EQ('no  ', all[1].code);
  EXPECT_EQ(13, all[1].capacity);
  EXPECT_EQ('nlig', all[58].code);
  EXPECT_EQ(nullptr, VYXFindFactureProperty('xxxx'));
  EXPECT_EQ("Code postal (livraison)", MacRomanToUtf8(VYXFacturePropertyName(all[25])));
}

TEST_F(Properties, EveryPropertyReadsBackAsItWasWritten) {
  Facture f;
  f.lignes = {Ligne(0, 1, 10, normal_), Ligne(0, 2, 5, reduit_)};
  // Text forms, in UTF-8 for the reader; the list items by their names.
  const std::pair<OSType, const char*> cases[] = {
      {'date', "14/07/24"},  {'no  ', "F2024-0012"}, {'libl', "Élagage des tilleuls"},
      {'etat', "devis"},     {'etaD', "accepté"},    {'datL', "15/07/24"},
      {'clie', "Dupont"},    {'cSoc', "Élagage & Fils"}, {'cCP ', "75011"},
      {'lPay', "Belgique"},  {'livr', "1"},          {'nii ', "FR12345678901"},
      {'moda', "3"},         {'eche', "31/08/24"},   {'sold', "12,5"},
      {'mode', ""},          {'mois', "Juillet"},    {'rela', "2"},
      {'cmt4', "Merci !"},   {'cpte', "1001"},       {'oper', "70000"},
  };
  for (auto [code, text] : cases) {
    std::string value = Utf8ToMacRoman(text);
    ASSERT_TRUE(VYXSetFactureProperty(*user_, f, code, 0, value)) << text;
    std::string read;
    ASSERT_TRUE(VYXGetFactureProperty(*user_, f, code, 0, &read)) << text;
    EXPECT_EQ(text, MacRomanToUtf8(read));
  }
  EXPECT_EQ(kEtatDevis, f.header.etat);
  EXPECT_EQ(dupont_, CPResID(f.header.client));
  EXPECT_EQ(7, int16_t(f.header.mois));
  const std::pair<OSType, const char*> lines[] = {
      {'lRef', "POT-12"}, {'lLib', "Pot en grès"}, {'lQte', "1,5"},
      {'lPU ', "12,25"},  {'lEP ', "0,1"},        {'lRem', "10"}, {'lTVA', "Taux réduit"}};
  for (auto [code, text] : lines) {
    ASSERT_TRUE(VYXSetFactureProperty(*user_, f, code, 2, Utf8ToMacRoman(text))) << text;
    std::string read;
    ASSERT_TRUE(VYXGetFactureProperty(*user_, f, code, 2, &read));
    EXPECT_EQ(text, MacRomanToUtf8(read));
  }
  EXPECT_EQ(reduit_, CPResID(f.lignes[1].tauxTVA));
  std::string n;
  ASSERT_TRUE(VYXGetFactureProperty(*user_, f, 'nlig', 0, &n));
  EXPECT_EQ("2", n);
}

TEST_F(Properties, WhatIsNotAValueLeavesTheDocumentAsItWas) {
  Facture f;
  f.lignes = {Ligne(0, 1, 10, normal_)};
  StdToP("F-1", f.header.numero, 12);
  std::vector<unsigned char> before(sizeof f.header);
  std::memcpy(before.data(), &f.header, sizeof f.header);
  const std::tuple<OSType, int, const char*> refused[] = {
      {'date', 0, "31/02/24"}, {'clie', 0, "Inconnu"}, {'etat', 0, "brouillon"},
      {'moda', 0, "9"},        {'mois', 0, "13"},      {'livr', 0, "peut-être"},
      {'sold', 0, "douze"},    {'tttc', 0, "10"},      {'nlig', 0, "3"},
      {'lQte', 2, "1"},        {'lTVA', 1, "Taux inconnu"}, {'zzzz', 0, "1"},
  };
  for (auto [code, ligne, text] : refused) {
    EXPECT_FALSE(VYXSetFactureProperty(*user_, f, code, ligne, text)) << text;
  }
  EXPECT_EQ(0, std::memcmp(before.data(), &f.header, sizeof f.header));
  std::string value;
  EXPECT_FALSE(VYXGetFactureProperty(*user_, f, 'lLib', 0, &value));
  // A text longer than its field is cut to it.
  ASSERT_TRUE(VYXSetFactureProperty(*user_, f, 'no  ', 0, "F2024-000000012345"));
  VYXGetFactureProperty(*user_, f, 'no  ', 0, &value);
  EXPECT_EQ("F2024-000000", value);
}

}  // namespace
