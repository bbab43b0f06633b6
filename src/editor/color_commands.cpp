// The drawing colours and the TrueType font: chosen in the platform's choosers, or taken
// from a pixel of the picture.
#include "editor/commands.h"
#include "editor/editor.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"

namespace editor {

plat::CustomColors CustomColorTable{};

void resetEditor() {
  CustomColorTable = {};
}

// Whether confirmed or not, the chooser's colour (the initial one when cancelled) becomes
// the colour of drawing and of both kinds of text.
void changeColor(int number) {
  uint32_t color = DrawColor & 0xFFFFFF;
  plat::chooseColor(ImageTable[number].window, color, CustomColorTable);
  DrawColor = color;
  tav_tttc = color;
  tav_tc = color;
}

// The stored value of a picked pixel (a palette index in an 8-bit picture) becomes the
// drawing colour and its colour the TrueType text colour; the image that was current
// before is current again.
void pickColor(int number) {
  int x = 0, y = 0;
  if (TAV_PickPoint(number, x, y) != kPickDone) return;
  const uint32_t value = TAV_GetPixel(x, y);
  DrawColor = value;
  TAV_RestoreImage();
  const ImageWindowRecord& rec = ImageTable[number];
  if (rec.bits == 8) {
    const plat::PaletteEntry e = rec.surface->palette()[value & 0xFF];
    tav_tttc = (uint32_t{e.red} << 16) | (uint32_t{e.green} << 8) | e.blue;
  } else {
    tav_tttc = value;
  }
}

// Whether confirmed or not, the font is made again from the chooser's description (the
// unchanged one when cancelled).
void changeFont(int number) {
  plat::FontDescription description = imaging::trueTypeDescription();
  plat::chooseFont(ImageTable[number].window, description);
  imaging::replaceTrueTypeFont(description);
}

}  // namespace editor
