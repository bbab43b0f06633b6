// The pixel readout: one pixel's values in every colour model the library knows.
#include <cstdio>
#include <string>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "inspection/inspection.h"
#include "textwin/textwin.h"

namespace inspection {

namespace {

template <class... Values>
std::string line(const char* format, Values... values) {
  char text[96];
  std::snprintf(text, sizeof text, format, values...);
  return text;
}

bool currentIsEightBit() {
  return static_cast<unsigned>(CurrentImage) < kImageWindowCount &&
         ImageTable[CurrentImage].inUse && ImageTable[CurrentImage].bits == 8;
}

}  // namespace

std::string pixelReadout(int x, int y) {
  const uint32_t p = TAV_GetPixel(x, y);
  std::string text = line("(X,Y)=(%d,%d)\n", x, y);
  // An 8-bit pixel is shown as its index, whatever the palette holds.
  if (currentIsEightBit()) return text + line("(Luminance)=(%d)\n\n", static_cast<int>(p));
  const ColorParts rgb = SplitColor(p);
  const int luma = imaging::luma(p);
  text += line("(R,G,B)=(%d,%d,%d)\n", rgb.red, rgb.green, rgb.blue);
  text += line("(H,S,V)=(%d,%d,%d)\n", TAV_GetHue(p), TAV_GetSaturation(p), TAV_GetValue(p));
  text += line("(Y,Cr,Cb)=(%d,%d,%d)\n", luma, imaging::colorCr(p), imaging::colorCb(p));
  text += line("(Y,u,v)=(%d,%d,%d)\n", luma, imaging::colorU(p), imaging::colorV(p));
  text += line("(Y,I,Q)=(%d,%d,%d)\n\n", luma, imaging::colorI(p), imaging::colorQ(p));
  return text;
}

void printPixelReadout(int x, int y) {
  const std::string text = pixelReadout(x, y);
  EnsureTextWindow();
  TAV_Printf("%s", text.c_str());
}

}  // namespace inspection
