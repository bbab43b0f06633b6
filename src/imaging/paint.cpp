// Paint: a scan-line flood fill of a 4-connected region, with a fixed seed stack.
//
// Each step takes a seed, widens it to the run of target pixels on its row, pushes one
// seed for every separate run of target pixels above and below that run, and draws the
// run. It reads the rows directly; the tests' straight version asks the clipped pixel
// read for every pixel. Both push the same seeds in the same order (seed_stack.h), so
// they agree even when the stack overflows and in where the pen ends.
#include <array>

#include "imaging/current_pixels.h"
#include "imaging/imaging.h"
#include "imaging/seed_stack.h"

namespace {

using imaging::NeighbourRuns;
using imaging::SeedStack;

// Whether the 32 pixels at p all have the target value. The differences are gathered
// with OR and tested once, which the compiler turns into vector code.
template <typename Pixel>
bool blockIsTarget(const Pixel* p, Pixel target) {
  Pixel differs = 0;
  for (int k = 0; k < 32; ++k) differs |= p[k] ^ target;
  return differs == 0;
}

// How many of the n pixels at p have the target value, counted without a branch per
// pixel (vector code again).
template <typename Pixel>
int countTargets(const Pixel* p, int n, Pixel target) {
  int count = 0;
  for (int i = 0; i < n; ++i) count += p[i] == target;
  return count;
}

// The end of the run of target pixels that starts at x.
template <typename Pixel>
int runEnd(const Pixel* line, int x, int width, Pixel target) {
  while (x + 32 <= width && blockIsTarget(line + x, target)) x += 32;
  while (x < width && line[x] == target) ++x;
  return x;
}

// A span [first, end) of row y whose pixels the last step found all of one kind.
struct KnownSpan {
  int y = -1, first = 0, end = 0;
  bool covers(int row, int a, int b) const { return row == y && first <= a && b <= end; }
};

// The fill on rows of Pixel (uint32_t or uint8_t) read in place. Each step remembers what
// it learnt about three rows, which the next step (on a neighbour row, in a large fill)
// then need not read again: the spans of the rows above and below that it counted as all
// target, and the run it drew, which holds no target pixel as the colour is not the target.
template <typename Pixel>
void paintRows(const imaging::CurrentPixels& image, int x, int y, Pixel target) {
  auto row = [&](int r) { return reinterpret_cast<const Pixel*>(image.row8(r)); };
  SeedStack stack;
  KnownSpan allTarget[2], drawn;
  for (;;) {
    const Pixel* line = row(y);
    const Pixel* above = y > 0 ? row(y - 1) : nullptr;
    const Pixel* below = y + 1 < image.height ? row(y + 1) : nullptr;
    while (x > 0 && line[x - 1] == target) --x;
    const int first = x;
    for (const KnownSpan& known : allTarget)
      if (known.covers(y, x, x + 1)) x = known.end;
    const int end = runEnd(line, x, image.width, target);
    const int n = end - first;
    auto targetsIn = [&](const Pixel* neighbour, int neighbourY) {
      if (!neighbour || drawn.covers(neighbourY, first, end)) return 0;
      return countTargets(neighbour + first, n, target);
    };
    // A neighbour row that is all target or all other over the run (what a large fill
    // meets) gives at most one seed, at the run's first pixel: no need to look at each
    // pixel in turn.
    const int aboveTargets = targetsIn(above, y - 1);
    const int belowTargets = targetsIn(below, y + 1);
    allTarget[0] = aboveTargets == n ? KnownSpan{y - 1, first, end} : KnownSpan{};
    allTarget[1] = belowTargets == n ? KnownSpan{y + 1, first, end} : KnownSpan{};
    if ((aboveTargets == 0 || aboveTargets == n) && (belowTargets == 0 || belowTargets == n)) {
      if (aboveTargets == n) stack.push(first, y - 1);
      if (belowTargets == n) stack.push(first, y + 1);
    } else {
      NeighbourRuns up, down;
      for (x = first; x < end; ++x) {
        up.see(above && above[x] == target, x, y - 1, stack);
        down.see(below && below[x] == target, x, y + 1, stack);
      }
    }
    TAV_DrawLine(DrawColor, first, y, end - 1, y);
    drawn = {y, first, end};
    do {
      if (stack.count == 0) return;
      const plat::Point seed = stack.seeds[--stack.count];
      x = seed.x;
      y = seed.y;
    } while (row(y)[x] != target);
  }
}

}  // namespace

void TAV_Paint(int x, int y) {
  const imaging::CurrentPixels image = imaging::currentPixels();
  if (!image.inside(x, y)) return;
  // Seeds are always inside: they are pushed only from pixels of the target value.
  if (image.bits == 32) {
    const uint32_t target = image.row32(y)[x];
    if (DrawColor == target) return;
    paintRows<uint32_t>(image, x, y, target);
  } else {
    const uint8_t target = image.row8(y)[x];
    if (static_cast<uint8_t>(DrawColor) == target) return;
    paintRows<uint8_t>(image, x, y, target);
  }
}
