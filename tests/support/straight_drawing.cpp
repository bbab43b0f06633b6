// The straight line and the straight paint fill: every pixel through the clipped pixel
// operations.
#include "straight_drawing.h"

#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/line_walk.h"
#include "imaging/seed_stack.h"

namespace imaging {

void drawLineStraight(uint32_t color, int x1, int y1, int x2, int y2) {
  PenPosition = {x2, y2};
  walkLine(x1, y1, x2, y2, [color](int x, int y) { TAV_PutPixelQuiet(x, y, color); });
}

// The fill's seeds taken and pushed in the same order as TAV_Paint, with every pixel
// read through TAV_GetPixel and every run drawn as a straight line.
void paintStraight(int x, int y) {
  const CurrentPixels image = currentPixels();
  if (!image.inside(x, y)) return;
  const uint32_t target = TAV_GetPixel(x, y);
  const uint32_t written = image.bits == 32 ? DrawColor : DrawColor & 0xFF;
  if (written == target) return;
  auto isTarget = [&](int px, int py) {
    return image.inside(px, py) && TAV_GetPixel(px, py) == target;
  };
  SeedStack stack;
  for (;;) {
    while (isTarget(x - 1, y)) --x;
    const int first = x;
    NeighbourRuns up, down;
    for (; isTarget(x, y); ++x) {
      up.see(isTarget(x, y - 1), x, y - 1, stack);
      down.see(isTarget(x, y + 1), x, y + 1, stack);
    }
    drawLineStraight(DrawColor, first, y, x - 1, y);
    do {
      if (stack.count == 0) return;
      const plat::Point seed = stack.seeds[--stack.count];
      x = seed.x;
      y = seed.y;
    } while (!isTarget(x, y));
  }
}

}  // namespace imaging
