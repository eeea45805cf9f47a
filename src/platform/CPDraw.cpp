// The program's side of drawing: the work is in the module vyx-draw
// (draw/CPDrawCairo.cpp), loaded by the first drawing.
#include "platform/CPDraw.h"

#include "platform/CPModule.h"
#include "platform/CPPlatformErrors.h"

OSErr CPDrawOpen(CPDrawKind kind, const std::string& path, double width, double height,
                 const std::string& title, std::unique_ptr<CPDrawing>* drawing, std::string* why) {
  using Open = OSErr(CPDrawKind, const std::string&, double, double, const std::string&,
                     std::unique_ptr<CPDrawing>*, std::string*);
  drawing->reset();
  auto* open = reinterpret_cast<Open*>(CPModuleSymbol("vyx-draw", "vyx_draw_open", why));
  if (!open) return kCPErrDrawUnavailable;
  return open(kind, path, width, height, title, drawing, why);
}
