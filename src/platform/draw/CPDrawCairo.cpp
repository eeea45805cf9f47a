// Drawing through cairo (and pango for the laid-out texts of documents):
// built as the module vyx-draw, which the program loads at the first chart
// or document, so that cairo, pango, fontconfig, freetype, harfbuzz, X11,
// pixman and GLib cost nothing to the commands that draw nothing.
#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include "platform/CPDraw.h"
#include "platform/CPOSErr.h"

namespace {

OSErr ErrorOf(cairo_status_t status) {
  if (status == CAIRO_STATUS_SUCCESS) return noErr;
  return status == CAIRO_STATUS_NO_MEMORY ? memFullErr : ioErr;
}

cairo_status_t AppendTo(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

class CairoDrawing final : public CPDrawing {
 public:
  // `path` names the SVG written while drawing, or the PNG written at the end.
  CairoDrawing(CPDrawKind kind, const std::string& path, double width, double height,
               const std::string& title)
      : kind_(kind), path_(path) {
    switch (kind) {
      case CPDrawKind::kSvg:
        surface_ = cairo_svg_surface_create(path.c_str(), width, height);
        break;
      case CPDrawKind::kPng:
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, int(width), int(height));
        break;
      case CPDrawKind::kPdf:
        surface_ = cairo_pdf_surface_create_for_stream(AppendTo, &pdf_, width, height);
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, title.c_str());
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "vyx");
        break;
    }
    cr_ = cairo_create(surface_);
    if (kind_ == CPDrawKind::kPdf && Status() == CAIRO_STATUS_SUCCESS) {
      PangoContext* context = pango_cairo_create_context(cr_);
      // One unit of the page is one point: fonts are sized in points.
      pango_cairo_context_set_resolution(context, 72);
      layout_ = pango_layout_new(context);
      g_object_unref(context);
      pango_layout_set_wrap(layout_, PANGO_WRAP_WORD_CHAR);
    }
  }
  ~CairoDrawing() override {
    if (layout_) g_object_unref(layout_);
    if (cr_) cairo_destroy(cr_);
    if (surface_) {
      cairo_surface_finish(surface_);
      cairo_surface_destroy(surface_);
    }
  }
  CairoDrawing(const CairoDrawing&) = delete;
  CairoDrawing& operator=(const CairoDrawing&) = delete;

  cairo_status_t Status() const { return cairo_status(cr_); }

  void SetColor(double r, double g, double b) override { cairo_set_source_rgb(cr_, r, g, b); }
  void Paint() override { cairo_paint(cr_); }
  void FillRect(double x, double y, double w, double h) override {
    cairo_rectangle(cr_, x, y, w, h);
    cairo_fill(cr_);
  }
  void StrokeRect(double x, double y, double w, double h, double lineWidth) override {
    cairo_set_line_width(cr_, lineWidth);
    cairo_rectangle(cr_, x, y, w, h);
    cairo_stroke(cr_);
  }
  void Line(double x1, double y1, double x2, double y2, double lineWidth) override {
    cairo_set_line_width(cr_, lineWidth);
    cairo_move_to(cr_, x1, y1);
    cairo_line_to(cr_, x2, y2);
    cairo_stroke(cr_);
  }

  double TextAdvance(const std::string& text, const char* family, double size,
                     bool bold) override {
    cairo_select_font_face(cr_, family, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr_, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr_, text.c_str(), &extents);
    return extents.x_advance;
  }
  void ShowText(const std::string& text, double x, double y) override {
    cairo_move_to(cr_, x, y);
    cairo_show_text(cr_, text.c_str());
  }

  double TextBlock(double x, double y, double width, const std::string& text,
                   const CPDrawFont& font, CPDrawAlign align, bool draw) override {
    if (!layout_ || text.empty()) return 0;
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, font.family);
    pango_font_description_set_size(desc, int(font.size * PANGO_SCALE));
    pango_font_description_set_weight(desc, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, font.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout_, desc);
    pango_font_description_free(desc);
    pango_layout_set_width(layout_, int(width * PANGO_SCALE));
    pango_layout_set_alignment(layout_, align == CPDrawAlign::kRight    ? PANGO_ALIGN_RIGHT
                                        : align == CPDrawAlign::kCenter ? PANGO_ALIGN_CENTER
                                                                        : PANGO_ALIGN_LEFT);
    pango_layout_set_text(layout_, text.c_str(), int(text.size()));
    int w = 0, h = 0;
    pango_layout_get_size(layout_, &w, &h);
    if (draw) {
      cairo_move_to(cr_, x, y);
      pango_cairo_show_layout(cr_, layout_);
    }
    return double(h) / PANGO_SCALE;
  }

  void ShowPage() override { cairo_show_page(cr_); }

  OSErr Finish(std::string* pdf) override {
    if (layout_) g_object_unref(layout_);
    layout_ = nullptr;
    cairo_status_t status = cairo_status(cr_);
    cairo_destroy(cr_);
    cr_ = nullptr;
    if (kind_ == CPDrawKind::kPng && status == CAIRO_STATUS_SUCCESS) {
      status = cairo_surface_write_to_png(surface_, path_.c_str());
    }
    cairo_surface_finish(surface_);
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (pdf) pdf->swap(pdf_);
    return ErrorOf(status);
  }

 private:
  CPDrawKind kind_;
  std::string path_;
  std::string pdf_;  // where the PDF surface writes as it goes
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  PangoLayout* layout_ = nullptr;
};

}  // namespace

extern "C" {

__attribute__((visibility("default"))) OSErr vyx_draw_open(
    CPDrawKind kind, const std::string& path, double width, double height, const std::string& title,
    std::unique_ptr<CPDrawing>* drawing, std::string* why) {
  auto made = std::make_unique<CairoDrawing>(kind, path, width, height, title);
  cairo_status_t status = made->Status();
  if (status != CAIRO_STATUS_SUCCESS) {
    *why = cairo_status_to_string(status);
    return ErrorOf(status);
  }
  *drawing = std::move(made);
  return noErr;
}

}  // extern "C"
