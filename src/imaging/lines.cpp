// Lines: the drawing one and the inverting one visit the same pixels, each once, so an
// inverting line drawn twice leaves the picture as it was.
#include <algorithm>

#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/line_walk.h"

namespace {

// The rows of the column x1 from y1 to y2 (either order) that lie inside the current
// image; a column outside has none.
template <typename Plot>
void walkVisibleColumn(int x, int y1, int y2, Plot plot) {
  const imaging::CurrentPixels image = imaging::currentPixels();
  if (!image || static_cast<unsigned>(x) >= static_cast<unsigned>(image.width)) return;
  if (y1 > y2) std::swap(y1, y2);
  const int last = std::min(y2, image.height - 1);
  for (int y = std::max(y1, 0); y <= last; ++y) plot(x, y);
}

}  // namespace

// Rows and columns, what the boxes, discs and paint draw, skip the pixels outside at
// once; other lines step through every pixel.
void TAV_DrawLine(uint32_t color, int x1, int y1, int x2, int y2) {
  PenPosition = {x2, y2};
  if (y1 == y2) {
    imaging::fillRow(imaging::currentPixels(), y1, x1, x2, color);
    return;
  }
  if (x1 == x2) {
    walkVisibleColumn(x1, y1, y2, [color](int x, int y) { TAV_PutPixelQuiet(x, y, color); });
    return;
  }
  imaging::walkLine(x1, y1, x2, y2, [color](int x, int y) { TAV_PutPixelQuiet(x, y, color); });
}

void TAV_XorLine(int x1, int y1, int x2, int y2) {
  PenPosition = {x2, y2};
  if (y1 == y2) {
    imaging::invertRow(imaging::currentPixels(), y1, x1, x2);
    return;
  }
  if (x1 == x2) {
    walkVisibleColumn(x1, y1, y2, [](int x, int y) { TAV_XorPixelQuiet(x, y); });
    return;
  }
  imaging::walkLine(x1, y1, x2, y2, [](int x, int y) { TAV_XorPixelQuiet(x, y); });
}
