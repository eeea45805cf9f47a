#include "business/VYXFactureHtml.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "business/VYXBusinessTexts.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPOSErr.h"

namespace {

std::string Text(int item) { return MacRomanToUtf8(CPGetListString(kVYXBusinessTexts, item)); }

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\n':
        out += "<br>";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Block(const std::vector<std::string>& lines, const char* cls) {
  std::string out = std::string("<div class=\"") + cls + "\">";
  for (size_t i = 0; i < lines.size(); ++i) {
    out += i == 0 ? "<strong>" + Escaped(lines[i]) + "</strong>" : Escaped(lines[i]);
    out += "<br>";
  }
  return out + "</div>\n";
}

constexpr const char* kStyle = R"(
@page { size: A4; margin: 15mm 15mm 18mm 15mm; }
body { font-family: "DejaVu Sans", "Helvetica Neue", Arial, sans-serif; font-size: 9pt; color: #1a1a1a; margin: 0; }
.page { max-width: 180mm; margin: 0 auto; }
header { display: flex; justify-content: space-between; gap: 12mm; }
.vendeur strong { font-size: 12pt; }
.titre { text-align: right; }
.titre h1 { font-size: 20pt; margin: 0; letter-spacing: 0.05em; }
.titre .numero { font-size: 11pt; font-weight: bold; margin-bottom: 2mm; }
.adresses { display: flex; justify-content: space-between; gap: 10mm; margin: 8mm 0 6mm; }
.adresses .legende { font-size: 7pt; font-weight: bold; color: #595959; margin-bottom: 1mm; }
.client, .livraison { border: 0.5pt solid #bfbfbf; padding: 3mm; min-width: 70mm; }
.adresses > div:last-child { margin-left: auto; }
.objet { font-weight: bold; margin-bottom: 3mm; }
table { border-collapse: collapse; width: 100%; }
thead { display: table-header-group; }
tr { page-break-inside: avoid; }
th { background: #ededed; color: #595959; font-size: 7pt; text-align: left; padding: 1.5mm; }
td { padding: 1.5mm; border-bottom: 0.4pt solid #bfbfbf; vertical-align: top; }
.n { text-align: right; white-space: nowrap; }
tr.texte td { font-style: italic; }
tr.soustotal td { background: #f6f6f6; font-weight: bold; }
tr.total td { background: #ededed; font-weight: bold; }
.fin { display: flex; justify-content: space-between; gap: 10mm; margin-top: 5mm; page-break-inside: avoid; }
.tva { width: 85mm; }
.totaux { width: 75mm; }
.totaux td { border: none; }
.totaux tr:last-child td { background: #ededed; font-weight: bold; font-size: 10pt; }
.mentions { font-size: 7.5pt; color: #595959; margin-top: 5mm; }
.mentions p { margin: 0 0 1mm; }
footer { font-size: 7.5pt; color: #595959; border-top: 0.5pt solid #bfbfbf; margin-top: 8mm; padding-top: 2mm; }
)";

}  // namespace

std::string VYXFactureHtml(const VYXFactureDocument& doc) {
  std::string title = doc.titre + (doc.numero.empty() ? "" : " " + doc.numero);
  std::string h = "<!DOCTYPE html>\n<html lang=\"fr\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
                  Escaped(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" +
                  "<div class=\"page\">\n<header>\n" + Block(doc.vendeur, "vendeur") +
                  "<div class=\"titre\"><h1>" + Escaped(doc.titre) + "</h1>\n<div class=\"numero\">" +
                  Escaped(doc.numero) + "</div>\n";
  for (const std::string& info : doc.infos) h += "<div>" + Escaped(info) + "</div>\n";
  h += "</div>\n</header>\n<div class=\"adresses\">\n";
  if (!doc.livraison.empty()) {
    h += "<div><div class=\"legende\">" + Escaped(Text(kBizLivraison)) + "</div>" +
         Block(doc.livraison, "livraison") + "</div>\n";
  }
  h += "<div><div class=\"legende\">" + Escaped(Text(kBizClient)) + "</div>" +
       Block(doc.client, "client") + "</div>\n</div>\n";
  if (!doc.libelle.empty()) h += "<div class=\"objet\">" + Escaped(doc.libelle) + "</div>\n";

  h += "<table class=\"lignes\">\n<thead><tr>";
  h += "<th>" + Escaped(Text(kBizColReference)) + "</th><th>" + Escaped(Text(kBizColDesignation)) +
       "</th><th class=\"n\">" + Escaped(Text(kBizColQuantite)) + "</th><th class=\"n\">" +
       Escaped(Text(kBizColPrixUnitaire)) + "</th>";
  if (doc.avecRemise) h += "<th class=\"n\">" + Escaped(Text(kBizColRemise)) + "</th>";
  h += "<th class=\"n\">" + Escaped(Text(kBizColTVA)) + "</th><th class=\"n\">" +
       Escaped(Text(kBizColTotalHT)) + "</th></tr></thead>\n<tbody>\n";
  int span = doc.avecRemise ? 5 : 4;
  for (const VYXDocumentLigne& l : doc.lignes) {
    switch (l.kind) {
      case VYXDocumentLigne::kTexte:
        h += "<tr class=\"texte\"><td></td><td colspan=\"" + std::to_string(span + 1) + "\">" +
             Escaped(l.designation) + "</td></tr>\n";
        break;
      case VYXDocumentLigne::kSousTotal:
      case VYXDocumentLigne::kTotal:
        h += std::string("<tr class=\"") +
             (l.kind == VYXDocumentLigne::kTotal ? "total" : "soustotal") +
             "\"><td></td><td class=\"n\" colspan=\"" + std::to_string(span) + "\">" +
             Escaped(l.designation) + "</td><td class=\"n\">" + Escaped(l.totalHT) + "</td></tr>\n";
        break;
      case VYXDocumentLigne::kArticle:
        h += "<tr><td>" + Escaped(l.reference) + "</td><td>" + Escaped(l.designation) +
             "</td><td class=\"n\">" + Escaped(l.quantite) + "</td><td class=\"n\">" +
             Escaped(l.prixUnitaire) + "</td>";
        if (doc.avecRemise) h += "<td class=\"n\">" + Escaped(l.remise) + "</td>";
        h += "<td class=\"n\">" + Escaped(l.tva) + "</td><td class=\"n\">" + Escaped(l.totalHT) +
             "</td></tr>\n";
        break;
    }
  }
  h += "</tbody>\n</table>\n<div class=\"fin\">\n";
  if (!doc.tva.empty()) {
    h += "<table class=\"tva\"><thead><tr><th class=\"n\">" + Escaped(Text(kBizTauxTVA)) +
         "</th><th class=\"n\">" + Escaped(Text(kBizBaseHT)) + "</th><th class=\"n\">" +
         Escaped(Text(kBizMontantTVA)) + "</th></tr></thead><tbody>\n";
    for (const VYXDocumentTVA& t : doc.tva) {
      h += "<tr><td class=\"n\">" + Escaped(t.taux) + "</td><td class=\"n\">" + Escaped(t.base) +
           "</td><td class=\"n\">" + Escaped(t.tva) + "</td></tr>\n";
    }
    h += "</tbody></table>\n";
  } else {
    h += "<div></div>\n";
  }
  h += "<table class=\"totaux\">\n";
  for (const auto& [label, value] : doc.totaux) {
    h += "<tr><td>" + Escaped(label) + "</td><td class=\"n\">" + Escaped(value) + "</td></tr>\n";
  }
  h += "</table>\n</div>\n<div class=\"mentions\">\n";
  for (const std::string& m : doc.mentions) h += "<p>" + Escaped(m) + "</p>\n";
  h += "</div>\n<footer>" + Escaped(doc.pied) + "</footer>\n</div>\n</body>\n</html>\n";
  return h;
}

void VYXWriteFactureHtml(const VYXFactureDocument& doc, const std::filesystem::path& path) {
  VYXWriteDocumentFile(path, VYXFactureHtml(doc));
}

void VYXWriteDocumentFile(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::path temp = path;
  temp += ".vyx-" + std::to_string(::getpid());
  auto refuse = [&] {
    std::error_code ignored;
    std::filesystem::remove(temp, ignored);
    std::string name, offending;
    if (!TryUtf8ToMacRoman(path.string(), &name, &offending)) name = path.filename().string();
    CPThrowList(ioErr, kVYXBusinessTexts, kBizEcritureImpossible, {name});
  };
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) refuse();
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (!ok) refuse();
  std::error_code error;
  std::filesystem::rename(temp, path, error);
  if (error) refuse();
}
