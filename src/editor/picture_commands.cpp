// Commands on the picture as a whole: clipping a box into a new window, and the
// geometric operations.
#include <cstdio>

#include "editor/commands.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "imaging/pick.h"
#include "platform/surface.h"

namespace editor {

namespace {

// The lowest number at which a window of the source's depth can be made; -1 for none.
int createInLowestFreeNumber(int bits, const char* title, int w, int h) {
  for (int n = 0; n < kImageWindowCount; ++n) {
    const int made = bits == 8 ? TAV_CreateImage8(n, title, 0, 0, w, h, 100)
                               : TAV_CreateImage(n, title, 0, 0, w, h, 100);
    if (made == kCreateOk) return n;
  }
  return -1;
}

}  // namespace

// A box picked in this window becomes a new window of its own, titled by its corners,
// which is then the current image.
void clipping(int number) {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  if (TAV_PickRect(number, x1, y1, x2, y2) != kPickDone) return;
  char title[64];
  std::snprintf(title, sizeof title, "(%d,%d)-(%d,%d)", x1, y1, x2, y2);
  const int w = x2 - x1 + 1;
  const int h = y2 - y1 + 1;
  const int bits = ImageTable[number].bits;
  const int clip = createInLowestFreeNumber(bits, title, w, h);
  if (clip < 0) return;
  const plat::Surface& source = *ImageTable[number].surface;
  plat::Surface& target = *ImageTable[clip].surface;
  if (bits == 8) target.palette() = source.palette();
  plat::bitBlt(target, 0, 0, w, h, source, x1, y1);
  TAV_ShowImage(CurrentImage);
}

// In place, on this window's picture; the window is redrawn.
void invert(int number) {
  imaging::invertImage(number);
}
void flipHorizontally(int number) {
  imaging::flipHorizontally(number);
}
void flipVertically(int number) {
  imaging::flipVertically(number);
}
// The window is made again at its new size with the turned or resampled picture.
void rotateRight(int number) {
  imaging::rotateRight(number);
}
void rotateLeft(int number) {
  imaging::rotateLeft(number);
}
void size50(int number) {
  imaging::scaleImage(number, 500);
}
void size70(int number) {
  imaging::scaleImage(number, 707);
}
void size141(int number) {
  imaging::scaleImage(number, 1414);
}
void size200(int number) {
  imaging::scaleImage(number, 2000);
}

}  // namespace editor
