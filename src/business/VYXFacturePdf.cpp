#include "business/VYXFacturePdf.h"

#include <algorithm>
#include <memory>
#include <system_error>

#include "business/VYXBusinessTexts.h"
#include "business/VYXDocumentPages.h"
#include "business/VYXFactureHtml.h"
#include "foundation/CPException.h"
#include "foundation/CPStringTable.h"
#include "foundation/CPTextEncoding.h"
#include "platform/CPDraw.h"
#include "platform/CPOSErr.h"

namespace {

// A4 in points, and the frame of the text.
constexpr double kPageWidth = 595.28, kPageHeight = 841.89;
constexpr double kLeft = 45, kRight = kPageWidth - 45, kTop = 42;
constexpr double kFootRule = kPageHeight - 52;  // the foot lies below this rule
constexpr double kBottom = kFootRule - 12;      // nothing else goes lower
constexpr double kPad = 4;                      // inside a table's cells

// Fonts of every character of French text, accents and ligatures included;
// fontconfig takes another when the machine lacks it.
struct Font {
  double size;
  bool bold = false;
  bool italic = false;
};
constexpr Font kBody{8.5}, kBodyBold{8.5, true}, kSmall{7.5}, kCaption{7, true},
    kName{11, true}, kTitle{20, true}, kNumber{11, true}, kTotalFont{10, true};

struct Gray {
  double level;
};
constexpr Gray kInk{0.1}, kSoft{0.35}, kRule{0.75}, kBand{0.93}, kLight{0.965};

// Writes laid-out texts on the page; every call measures, and draws when asked.
class Pen {
 public:
  explicit Pen(CPDrawing& page) : page_(page) {}

  bool drawing = false;

  // The height of `text` set in `width`; drawn at (x, y) when drawing.
  double Text(double x, double y, double width, const std::string& text, const Font& font,
              CPDrawAlign align = CPDrawAlign::kLeft, Gray gray = kInk) {
    if (text.empty()) return 0;
    if (drawing) page_.SetColor(gray.level, gray.level, gray.level);
    return page_.TextBlock(x, y, width, text, {"DejaVu Sans", font.size, font.bold, font.italic},
                           align, drawing);
  }
  // The height of `text` set in `width`, never drawn.
  double Measure(double width, const std::string& text, const Font& font) {
    bool was = drawing;
    drawing = false;
    double h = Text(0, 0, width, text, font);
    drawing = was;
    return h;
  }
  // Lines of text one under the other, the first in `firstFont`.
  double Lines(double x, double y, double width, const std::vector<std::string>& lines,
               const Font& firstFont, const Font& font) {
    double at = y;
    for (size_t i = 0; i < lines.size(); ++i) {
      at += Text(x, at, width, lines[i], i == 0 ? firstFont : font);
    }
    return at - y;
  }
  void Fill(double x, double y, double w, double h, Gray gray) {
    if (!drawing) return;
    page_.SetColor(gray.level, gray.level, gray.level);
    page_.FillRect(x, y, w, h);
  }
  void Frame(double x, double y, double w, double h, Gray gray) {
    if (!drawing) return;
    page_.SetColor(gray.level, gray.level, gray.level);
    page_.StrokeRect(x, y, w, h, 0.6);
  }
  void Rule(double x1, double x2, double y, Gray gray, double width = 0.5) {
    if (!drawing) return;
    page_.SetColor(gray.level, gray.level, gray.level);
    page_.Line(x1, y, x2, y, width);
  }

 private:
  CPDrawing& page_;
};

std::string Text(int item) { return MacRomanToUtf8(CPGetListString(kVYXBusinessTexts, item)); }

// The lines table: its columns, its rows' heights, its drawing.
class LinesTable {
 public:
  explicit LinesTable(const VYXFactureDocument& doc) : doc_(doc) {
    double x = kLeft;
    auto add = [&](double w, CPDrawAlign align, int heading) {
      columns_.push_back({x, w, align, Text(heading)});
      x += w;
    };
    add(58, CPDrawAlign::kLeft, kBizColReference);
    double fixed = 58 + 40 + 64 + 40 + 68 + (doc.avecRemise ? 44 : 0);
    add(kRight - kLeft - fixed, CPDrawAlign::kLeft, kBizColDesignation);
    add(40, CPDrawAlign::kRight, kBizColQuantite);
    add(64, CPDrawAlign::kRight, kBizColPrixUnitaire);
    if (doc.avecRemise) add(44, CPDrawAlign::kRight, kBizColRemise);
    add(40, CPDrawAlign::kRight, kBizColTVA);
    add(68, CPDrawAlign::kRight, kBizColTotalHT);
  }

  double Header(Pen& pen, double y) {
    double h = 0;
    for (const Column& c : columns_) {
      h = std::max(h, pen.Measure(c.w - 2 * kPad, c.heading, kCaption));
    }
    h += 2 * kPad;
    pen.Fill(kLeft, y, kRight - kLeft, h, kBand);
    if (pen.drawing) {
      for (const Column& c : columns_) {
        pen.Text(c.x + kPad, y + kPad, c.w - 2 * kPad, c.heading, kCaption, c.align, kSoft);
      }
    }
    return h;
  }

  double Row(Pen& pen, double y, const VYXDocumentLigne& l) {
    const Column& designation = columns_[1];
    const Column& total = columns_.back();
    double h = 0;
    switch (l.kind) {
      case VYXDocumentLigne::kTexte:
        h = pen.Text(designation.x + kPad, y + kPad, total.x + total.w - designation.x - 2 * kPad,
                     l.designation, Font{kBody.size, false, true});
        break;
      case VYXDocumentLigne::kSousTotal:
      case VYXDocumentLigne::kTotal: {
        double labelWidth = total.x - designation.x - 2 * kPad;
        h = std::max(pen.Measure(labelWidth, l.designation, kBodyBold),
                     pen.Measure(total.w - 2 * kPad, l.totalHT, kBodyBold));
        pen.Fill(designation.x, y, total.x + total.w - designation.x, h + 2 * kPad,
                 l.kind == VYXDocumentLigne::kTotal ? kBand : kLight);
        if (pen.drawing) {
          pen.Text(designation.x + kPad, y + kPad, labelWidth, l.designation, kBodyBold,
                   CPDrawAlign::kRight);
          pen.Text(total.x + kPad, y + kPad, total.w - 2 * kPad, l.totalHT, kBodyBold,
                   CPDrawAlign::kRight);
        }
        break;
      }
      case VYXDocumentLigne::kArticle: {
        const std::string* cells[] = {&l.reference, &l.designation, &l.quantite, &l.prixUnitaire,
                                      &l.remise,    &l.tva,         &l.totalHT};
        size_t c = 0;
        for (size_t i = 0; i < std::size(cells); ++i) {
          if (i == 4 && !doc_.avecRemise) continue;
          const Column& col = columns_[c++];
          h = std::max(h, pen.Text(col.x + kPad, y + kPad, col.w - 2 * kPad, *cells[i], kBody,
                                   col.align));
        }
        break;
      }
    }
    h += 2 * kPad;
    pen.Rule(kLeft, kRight, y + h, kRule, 0.4);
    return h;
  }

 private:
  struct Column {
    double x, w;
    CPDrawAlign align;
    std::string heading;
  };
  const VYXFactureDocument& doc_;
  std::vector<Column> columns_;
};

// The top of the first page; answers where the table starts.
double FirstPageTop(Pen& pen, const VYXFactureDocument& doc) {
  constexpr double kRightColumn = 315;
  double width = kRight - kRightColumn;
  double left = kTop + pen.Lines(kLeft, kTop, kRightColumn - kLeft - 20, doc.vendeur, kName, kBody);
  double right = kTop;
  right += pen.Text(kRightColumn, right, width, doc.titre, kTitle, CPDrawAlign::kRight);
  right += pen.Text(kRightColumn, right, width, doc.numero, kNumber, CPDrawAlign::kRight) + 4;
  for (const std::string& info : doc.infos) {
    right += pen.Text(kRightColumn, right, width, info, kBody, CPDrawAlign::kRight);
  }
  double y = std::max(left, right) + 22;

  // The customer where a window envelope shows it; the delivery address beside.
  auto block = [&](double x, double w, int caption, const std::vector<std::string>& lines) {
    double h = pen.Text(x, y, w, Text(caption), kCaption, CPDrawAlign::kLeft, kSoft) + 3;
    double inner = pen.Lines(x + 8, y + h + 6, w - 16, lines, kBodyBold, kBody);
    pen.Frame(x, y + h, w, inner + 12, kRule);
    return h + inner + 12;
  };
  double h = block(kRightColumn, width, kBizClient, doc.client);
  if (!doc.livraison.empty()) {
    h = std::max(h, block(kLeft, kRightColumn - kLeft - 30, kBizLivraison, doc.livraison));
  }
  y += h + 20;
  if (!doc.libelle.empty()) y += pen.Text(kLeft, y, kRight - kLeft, doc.libelle, kBodyBold) + 8;
  return y;
}

// The top of the next pages: the document named again.
double NextPageTop(Pen& pen, const VYXFactureDocument& doc) {
  std::string name = doc.titre + (doc.numero.empty() ? "" : " " + doc.numero);
  return kTop + pen.Text(kLeft, kTop, kRight - kLeft, name, kBodyBold, CPDrawAlign::kLeft, kSoft) +
         10;
}

// The VAT summary, the totals and the mentions; answers their height.
double Closing(Pen& pen, const VYXFactureDocument& doc, double y) {
  double top = y + 14;
  // VAT per rate, on the left.
  constexpr double kVatWidth = 250;
  double cw = kVatWidth / 3;
  double vy = top;
  if (!doc.tva.empty()) {
    double hh = 0;
    for (int item : {kBizTauxTVA, kBizBaseHT, kBizMontantTVA}) {
      hh = std::max(hh, pen.Measure(cw - 2 * kPad, Text(item), kCaption));
    }
    hh += 2 * kPad;
    pen.Fill(kLeft, vy, kVatWidth, hh, kBand);
    if (pen.drawing) {
      int i = 0;
      for (int item : {kBizTauxTVA, kBizBaseHT, kBizMontantTVA}) {
        pen.Text(kLeft + cw * i++ + kPad, vy + kPad, cw - 2 * kPad, Text(item), kCaption,
                 CPDrawAlign::kRight, kSoft);
      }
    }
    vy += hh;
    for (const VYXDocumentTVA& t : doc.tva) {
      double rh = 0;
      int i = 0;
      for (const std::string* s : {&t.taux, &t.base, &t.tva}) {
        rh = std::max(rh, pen.Text(kLeft + cw * i++ + kPad, vy + kPad, cw - 2 * kPad, *s, kBody,
                                   CPDrawAlign::kRight));
      }
      vy += rh + 2 * kPad;
      pen.Rule(kLeft, kLeft + kVatWidth, vy, kRule, 0.4);
    }
  }
  // Totals, on the right; the last one stands out.
  constexpr double kTotalsWidth = 215;
  double tx = kRight - kTotalsWidth, ty = top;
  for (size_t i = 0; i < doc.totaux.size(); ++i) {
    bool last = i + 1 == doc.totaux.size();
    const Font& font = last ? kTotalFont : kBody;
    if (last) ty += 3;
    double lh = pen.Measure(120, doc.totaux[i].first, font);
    double h = std::max(lh, pen.Measure(90, doc.totaux[i].second, font)) + 2 * kPad;
    if (last) pen.Fill(tx, ty, kTotalsWidth, h, kBand);
    pen.Text(tx + kPad, ty + kPad, 120, doc.totaux[i].first, font);
    pen.Text(kRight - 90 - kPad, ty + kPad, 90, doc.totaux[i].second, font, CPDrawAlign::kRight);
    ty += h;
  }
  y = std::max(vy, ty) + 16;
  for (const std::string& m : doc.mentions) {
    y += pen.Text(kLeft, y, kRight - kLeft, m, kSmall, CPDrawAlign::kLeft, kSoft) + 3;
  }
  return y - (top - 14);
}

void Foot(Pen& pen, const VYXFactureDocument& doc, int page, int pages) {
  pen.Rule(kLeft, kRight, kFootRule, kRule);
  std::string number = CPGetListString(kVYXBusinessTexts, kBizPage);
  CPReplaceVar(number, 1, std::to_string(page));
  CPReplaceVar(number, 2, std::to_string(pages));
  number = MacRomanToUtf8(number);
  pen.Text(kLeft, kFootRule + 6, kRight - kLeft - 70, doc.pied, kSmall, CPDrawAlign::kLeft, kSoft);
  pen.Text(kRight - 70, kFootRule + 6, 70, number, kSmall, CPDrawAlign::kRight, kSoft);
}

}  // namespace

int VYXWriteFacturePdf(const VYXFactureDocument& doc, const std::filesystem::path& path) {
  std::string title = doc.titre + (doc.numero.empty() ? "" : " " + doc.numero);
  std::unique_ptr<CPDrawing> page;
  std::string why;
  OSErr error = CPDrawOpen(CPDrawKind::kPdf, std::string(), kPageWidth, kPageHeight, title, &page, &why);
  if (error != noErr) CPThrow(error);
  Pen pen(*page);
  LinesTable table(doc);
  // Measured first, then drawn the same way.
  double firstTop = FirstPageTop(pen, doc), nextTop = NextPageTop(pen, doc);
  double header = table.Header(pen, 0);
  std::vector<double> heights;
  for (const VYXDocumentLigne& l : doc.lignes) heights.push_back(table.Row(pen, 0, l));
  double closing = Closing(pen, doc, 0);
  std::vector<size_t> starts =
      VYXPaginer(heights, kBottom - firstTop, kBottom - nextTop, header, closing);
  int pages = int(starts.size());

  pen.drawing = true;
  for (int p = 0; p < pages; ++p) {
    double y = p == 0 ? FirstPageTop(pen, doc) : NextPageTop(pen, doc);
    size_t from = starts[p];
    size_t to = p + 1 < pages ? starts[p + 1] : doc.lignes.size();
    if (from < to) y += table.Header(pen, y);
    for (size_t i = from; i < to; ++i) y += table.Row(pen, y, doc.lignes[i]);
    if (p + 1 == pages) Closing(pen, doc, y);
    Foot(pen, doc, p + 1, pages);
    page->ShowPage();
  }
  std::string bytes;
  error = page->Finish(&bytes);
  if (error != noErr) CPThrow(error);
  VYXWriteDocumentFile(path, bytes);
  return pages;
}
