// Printed documents: what they show, how their lines fall on pages, and the
// PDF and HTML files themselves (the PDF read back as text by pdftotext).
#include <gtest/gtest.h>

#include <fstream>

#include "business/BusinessTestSupport.h"
#include "business/VYXDocumentPages.h"
#include "business/VYXFactureDocument.h"
#include "business/VYXFactureHtml.h"
#include "business/VYXFacturePdf.h"
#include "foundation/CPDates.h"
#include "platform/CPOSErr.h"

namespace {

TEST(Paginer, RowsFillPagesAndTheClosingBlockEndsTheLast) {
  struct Case {
    std::vector<double> rows;
    double first, other, header, closing;
    std::vector<size_t> starts;
  } cases[] = {
      {{10, 10, 10}, 100, 200, 10, 50, {0}},             // all on one page
      {{10, 10, 10}, 100, 200, 10, 61, {0, 3}},          // the totals need a page of their own
      {{40, 40, 40, 40}, 100, 100, 10, 11, {0, 2, 4}},   // two rows a page, header each time
      {{40, 40, 40, 40}, 100, 100, 10, 10, {0, 2}},      // the last page has just room
      {{300, 10}, 100, 100, 10, 5, {0, 1}},              // too tall: a page to itself
      {{}, 100, 100, 10, 50, {0}},                       // no lines
      {{}, 100, 100, 10, 500, {0}},                      // nowhere better to go
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.starts, VYXPaginer(c.rows, c.first, c.other, c.header, c.closing))
        << c.rows.size() << " rows, closing " << c.closing;
  }
}

class Documents : public BusinessTest {
 protected:
  void SetUp() override {
    BusinessTest::SetUp();
    VYXUserAddressPrefs identite;
    StdToP(Utf8ToMacRoman("Jardins de l'Œuvre"), identite.adresse.societe, 31);
    StdToP(Utf8ToMacRoman("12, rue des Érables"), identite.adresse.adresse1, 70);
    StdToP("69003", identite.adresse.cp, 8);
    StdToP("Lyon", identite.adresse.ville, 30);
    StdToP("04 78 00 00 00", identite.telephone, 20);
    user_->SetPrefs(identite);
    VYXDossierComptableInfos legal;
    StdToP("SARL", legal.formeJuridique, 23);
    StdToP(Utf8ToMacRoman("8 000 €"), legal.capital, 15);
    StdToP("12345678900012", legal.siret, 14);
    StdToP("FR32123456789", legal.tvaIntra, 15);
    user_->SetPrefs(legal);
  }
  // An invoice of `n` lines with accents, one long label, a sub-total.
  int32_t LongInvoice(int n) {
    CPResID pot = AddArticle("Pot", 10, normal_, ventes_);
    std::vector<LigneFacture> lignes;
    for (int i = 1; i <= n; ++i) {
      std::string label = "Élagage n° " + std::to_string(i) + " – tilleul à côté du préau";
      if (i == 3) {
        // 95 characters, as long as a line's label goes: it wraps in its column.
        label = "Taille douce d'un chêne centenaire, évacuation des déchets verts et remise en "
                "état du gazon";
      }
      lignes.push_back(Ligne(pot, i % 3 + 1, 12.5, i % 2 ? normal_ : reduit_, label.c_str()));
    }
    LigneFacture sstot;
    StdToP("=SSTOT", sstot.reference, 12);
    if (n > 5) lignes.insert(lignes.begin() + 5, sstot);
    int32_t id = AddInvoice(lignes);
    Facture f = Get(id);
    StdToP(Utf8ToMacRoman("Entretien des espaces verts – été 2024"), f.header.libelle, 99);
    f.header.echeance = CPGetDate(13, 8, 2024);
    StdToP(Utf8ToMacRoman("Château de la Brède"), f.client.societe, 31);
    StdToP("33650", f.client.cp, 8);
    user_->ModifyFacture(id, f);
    return id;
  }
  // The text of one page of a PDF, or nothing when pdftotext is missing.
  static std::optional<std::string> PageText(const std::filesystem::path& pdf, int page) {
    if (!std::filesystem::exists("/usr/bin/pdftotext")) return std::nullopt;
    std::string p = std::to_string(page);
    VYXRunResult r = VYXRunProgram("/usr/bin/pdftotext", {"-f", p, "-l", p, pdf.string(), "-"});
    EXPECT_EQ(0, r.exitCode) << r.err;
    return r.out;
  }
};

TEST_F(Documents, AnInvoiceShowsItsSellerCustomerLinesVATAndMentions) {
  int32_t id = LongInvoice(3);
  VYXFactureDocument doc = VYXMakeFactureDocument(*user_, Get(id));
  EXPECT_EQ("FACTURE", doc.titre);
  EXPECT_EQ("N° F2024-0007", doc.numero);
  EXPECT_EQ((std::vector<std::string>{"Date : 14/07/2024", "Échéance : 13/08/2024"}), doc.infos);
  EXPECT_EQ("Jardins de l'Œuvre", doc.vendeur.at(0));
  EXPECT_EQ("69003 Lyon", doc.vendeur.at(2));
  EXPECT_EQ("Château de la Brède", doc.client.at(0));
  EXPECT_EQ("SARL au capital de 8 000 € – SIRET 12345678900012 – TVA intracommunautaire "
            "FR32123456789",
            doc.pied);
  ASSERT_EQ(3u, doc.lignes.size());
  EXPECT_EQ("2", doc.lignes[0].quantite);
  EXPECT_EQ("25,00", doc.lignes[0].totalHT);
  EXPECT_EQ("19,6\u00A0%", doc.lignes[0].tva);
  ASSERT_EQ(2u, doc.tva.size());
  EXPECT_EQ("5,5\u00A0%", doc.tva[1].taux);
  EXPECT_EQ("Total TTC", doc.totaux.back().first);
  EXPECT_EQ("84,41\u00A0€", doc.totaux.back().second);  // 37,50 x 1,196 + 37,50 x 1,055
  // The terms, and the late-payment mentions the law asks for.
  EXPECT_EQ("À réception", doc.mentions.at(0));
  EXPECT_NE(std::string::npos, doc.mentions.at(1).find("40 €"));
}

TEST_F(Documents, APaidDepositLeavesTheRestToPayAndAQuoteHasNoTerms) {
  int32_t id = LongInvoice(1);
  Facture f = Get(id);
  f.header.sold = 10;
  user_->ModifyFacture(id, f);
  VYXFactureDocument doc = VYXMakeFactureDocument(*user_, Get(id));
  EXPECT_EQ("Net à payer", doc.totaux.back().first);
  EXPECT_EQ("19,90\u00A0€", doc.totaux.back().second);
  f = Get(id);
  f.header.etat = kEtatDevis;
  StdToP("D2024-0003", f.header.no_devis, 12);
  f.header.date_devis = CPGetDate(1, 7, 2024);
  doc = VYXMakeFactureDocument(*user_, f);
  EXPECT_EQ("DEVIS", doc.titre);
  EXPECT_EQ("N° D2024-0003", doc.numero);
  EXPECT_EQ((std::vector<std::string>{"Date : 01/07/2024"}), doc.infos);
  EXPECT_TRUE(doc.mentions.empty());
}

TEST_F(Documents, FortyLinesBreakAcrossPagesTheHeaderRepeatedTheTotalsLast) {
  int32_t id = LongInvoice(40);
  VYXFactureDocument doc = VYXMakeFactureDocument(*user_, Get(id));
  std::filesystem::path pdf = dir_.Path() / "Facture F2024-0007.pdf";
  int pages = VYXWriteFacturePdf(doc, pdf);
  ASSERT_GE(pages, 2);
  EXPECT_EQ("%PDF-", VYXReadFile(pdf).substr(0, 5));
  for (int page = 1; page <= pages; ++page) {
    std::optional<std::string> text = PageText(pdf, page);
    if (!text) GTEST_SKIP() << "pdftotext (poppler-utils) is missing";
    EXPECT_NE(std::string::npos, text->find("Désignation")) << "page " << page;
    EXPECT_NE(std::string::npos, text->find("Page " + std::to_string(page) + " / " +
                                            std::to_string(pages)));
    EXPECT_NE(std::string::npos, text->find("SIRET 12345678900012"));
    bool last = page == pages;
    EXPECT_EQ(last, text->find("Total TTC") != std::string::npos) << "page " << page;
    EXPECT_EQ(last, text->find("indemnité forfaitaire") != std::string::npos) << "page " << page;
  }
  std::string first = *PageText(pdf, 1);
  EXPECT_NE(std::string::npos, first.find("Jardins de l'Œuvre"));
  EXPECT_NE(std::string::npos, first.find("Château de la Brède"));
  EXPECT_NE(std::string::npos, first.find("Entretien des espaces verts – été 2024"));
  EXPECT_NE(std::string::npos, first.find("Taille douce d'un chêne centenaire"));
  EXPECT_NE(std::string::npos, first.find("état du gazon"));
  // Every line is there, once.
  std::string all;
  for (int page = 1; page <= pages; ++page) all += *PageText(pdf, page);
  for (int i = 1; i <= 40; ++i) {
    if (i == 3) continue;
    std::string label = "Élagage n° " + std::to_string(i) + " ";
    size_t at = all.find(label);
    EXPECT_NE(std::string::npos, at) << label;
    EXPECT_EQ(std::string::npos, all.find(label, at + 1)) << label;
  }
}

TEST_F(Documents, TheHtmlPageEscapesTextAndRepeatsItsTableHeader) {
  int32_t id = LongInvoice(2);
  Facture f = Get(id);
  StdToP(Utf8ToMacRoman("Tuiles <rouges> & \"vernies\""), f.lignes[0].libelle, 99);
  user_->ModifyFacture(id, f);
  std::string html = VYXFactureHtml(VYXMakeFactureDocument(*user_, Get(id)));
  EXPECT_NE(std::string::npos, html.find("<meta charset=\"utf-8\">"));
  EXPECT_NE(std::string::npos, html.find("Tuiles &lt;rouges&gt; &amp; &quot;vernies&quot;"));
  EXPECT_NE(std::string::npos, html.find("thead { display: table-header-group; }"));
  EXPECT_NE(std::string::npos, html.find("Château de la Brède"));
  EXPECT_EQ(std::string::npos, html.find("<rouges>"));
}

TEST_F(Documents, AFailedWriteLeavesWhatWasThere) {
  int32_t id = LongInvoice(2);
  VYXFactureDocument doc = VYXMakeFactureDocument(*user_, Get(id));
  EXPECT_CP_CODE(ioErr, VYXWriteFacturePdf(doc, dir_.Path() / "absent" / "f.pdf"));
  EXPECT_FALSE(std::filesystem::exists(dir_.Path() / "absent"));
  // A folder in the way of the file: refused, the folder untouched.
  std::filesystem::create_directory(dir_.Path() / "f.html");
  EXPECT_CP_CODE(ioErr, VYXWriteFactureHtml(doc, dir_.Path() / "f.html"));
  EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "f.html"));
  for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
    EXPECT_EQ(std::string::npos, entry.path().string().find(".vyx-")) << entry.path();
  }
}

}  // namespace
