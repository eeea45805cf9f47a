// Drawing: a page or an image being drawn (a chart in SVG or PNG, a printed
// document in PDF). The drawing stack (cairo, pango, fontconfig, freetype,
// harfbuzz, X11, pixman, GLib) lives in the module vyx-draw, loaded by the
// first drawing, so that no command that draws nothing loads it.
//
// The caller owns the CPDrawing it opened. Nothing here throws: opening and
// finishing answer an error code (noErr, kCPErrDrawUnavailable when the module
// cannot be loaded, memFullErr or ioErr when the drawing cannot be made or
// written) and the layers above raise it with their own message.
#ifndef VYX_PLATFORM_CPDRAW_H_
#define VYX_PLATFORM_CPDRAW_H_

#include <memory>
#include <string>

#include "platform/CPMacTypes.h"

enum class CPDrawKind {
  kSvg,  // written into the file named while it is drawn
  kPng,  // drawn in memory, written into the file named when finished
  kPdf,  // pages drawn in memory, handed back as bytes when finished
};

enum class CPDrawAlign { kLeft, kCenter, kRight };

// A font of the laid-out texts: a family, looked for by fontconfig, which
// takes another when the machine lacks it.
struct CPDrawFont {
  const char* family;
  double size;  // in the drawing's units
  bool bold = false;
  bool italic = false;
};

class CPDrawing {
 public:
  virtual ~CPDrawing() = default;

  // The colour of what is drawn next, each part from 0 to 1.
  virtual void SetColor(double r, double g, double b) = 0;
  // The whole surface in the colour.
  virtual void Paint() = 0;
  virtual void FillRect(double x, double y, double w, double h) = 0;
  virtual void StrokeRect(double x, double y, double w, double h, double lineWidth) = 0;
  virtual void Line(double x1, double y1, double x2, double y2, double lineWidth) = 0;

  // One line of UTF-8 text in `family` (charts): its advance once the face
  // and size are chosen, which the next ShowText keeps; ShowText writes it
  // with its baseline starting at (x, y).
  virtual double TextAdvance(const std::string& text, const char* family, double size,
                             bool bold) = 0;
  virtual void ShowText(const std::string& text, double x, double y) = 0;

  // UTF-8 text wrapped in `width` (documents, PDF only): answers its height,
  // and draws it with its top left at (x, y) when `draw`.
  virtual double TextBlock(double x, double y, double width, const std::string& text,
                           const CPDrawFont& font, CPDrawAlign align, bool draw) = 0;

  // Ends the current page (PDF).
  virtual void ShowPage() = 0;

  // Ends the drawing: an SVG is complete in its file, a PNG written into
  // its file, a PDF's bytes put into `pdf`. Called once.
  virtual OSErr Finish(std::string* pdf) = 0;
};

// Opens a drawing of `width` by `height` (pixels for a PNG, points otherwise);
// `title` is the PDF's title. On failure `drawing` stays empty and `why`
// holds the loader's or cairo's own words, for logs.
OSErr CPDrawOpen(CPDrawKind kind, const std::string& path, double width, double height,
                 const std::string& title, std::unique_ptr<CPDrawing>* drawing, std::string* why);

#endif  // VYX_PLATFORM_CPDRAW_H_
