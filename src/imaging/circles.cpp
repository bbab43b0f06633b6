// Circles and discs, stepped over one octant in integers and mirrored eight ways.
#include "imaging/circle_walk.h"
#include "imaging/current_pixels.h"
#include "imaging/imaging.h"

namespace {

using imaging::clampCoordinate;

// The points of one round: 8 distinct ones, or 4 on the axes (i = 0) and on the
// diagonal (i = k), so that an inverting outline touches each pixel once.
template <typename Plot>
void walkOutline(int64_t cx, int64_t cy, int64_t r, Plot plot) {
  auto at = [&](int64_t x, int64_t y) { plot(clampCoordinate(x), clampCoordinate(y)); };
  imaging::walkCircle(r, [&](int64_t i, int64_t k, bool) {
    at(cx - i, cy + k);
    at(cx + i, cy - k);
    if (i != 0 && i != k) {
      at(cx + i, cy + k);
      at(cx - i, cy - k);
      at(cx + k, cy - i);
      at(cx - k, cy + i);
    }
    at(cx + k, cy + i);
    at(cx - k, cy - i);
  });
}

}  // namespace

void TAV_DrawCircle(uint32_t color, int cx, int cy, int r) {
  walkOutline(cx, cy, r, [color](int x, int y) { TAV_PutPixel(x, y, color); });
}

void TAV_XorCircle(int cx, int cy, int r) {
  walkOutline(cx, cy, r, [](int x, int y) { TAV_XorPixel(x, y); });
}

void TAV_FillCircle(int cx, int cy, int r) {
  imaging::walkDiscRows(cy, r, [cx](int64_t y, int64_t half) {
    const int row = clampCoordinate(y);
    TAV_DrawLine(DrawColor, clampCoordinate(cx - half), row, clampCoordinate(cx + half), row);
  });
  TAV_DrawCircle(DrawColor, cx, cy, r);
}

void TAV_XorFillCircle(int cx, int cy, int r) {
  imaging::walkDiscRows(cy, r, [cx](int64_t y, int64_t half) {
    const int row = clampCoordinate(y);
    TAV_XorLine(clampCoordinate(cx - half), row, clampCoordinate(cx + half), row);
  });
}
