// Paint: a scan-line flood fill of a 4-connected region, with a fixed seed stack.
//
// Each step takes a seed, widens it to the run of target pixels on its row, pushes one
// seed for every separate run of target pixels above and below that run, and draws the
// run. The fast version reads the rows directly; the straight one, kept to check it,
// asks the clipped pixel read for every pixel. Both push the same seeds in the same
// order, so they agree even when the stack overflows and in where the pen ends.
#include <array>

#include "imaging/current_pixels.h"
#include "imaging/imaging.h"

namespace {

constexpr int kSeedCapacity = 4000;

struct SeedStack {
  std::array<plat::Point, kSeedCapacity> seeds;
  int count = 0;
  void push(int x, int y) {
    if (count < kSeedCapacity) seeds[count++] = {x, y};  // full: the seed is dropped
  }
};

// Pushes a seed at the first target pixel of each run of them seen in a neighbour row.
struct NeighbourRuns {
  bool pushAllowed = true;
  void see(bool isTarget, int x, int y, SeedStack& stack) {
    if (!isTarget) {
      pushAllowed = true;
    } else if (pushAllowed && stack.count < kSeedCapacity) {
      stack.push(x, y);
      pushAllowed = false;
    }
  }
};

// Whether all or none of the n pixels at p have the target value; compared a block at a
// time without branching inside the block, which the compiler turns into vector code.
template <typename Pixel>
bool allAre(const Pixel* p, int n, Pixel target) {
  constexpr int kBlock = 32;
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    bool differs = false;
    for (int k = 0; k < kBlock; ++k) differs |= p[i + k] != target;
    if (differs) return false;
  }
  for (; i < n; ++i)
    if (p[i] != target) return false;
  return true;
}

template <typename Pixel>
bool noneAre(const Pixel* p, int n, Pixel target) {
  constexpr int kBlock = 32;
  int i = 0;
  for (; i + kBlock <= n; i += kBlock) {
    bool matches = false;
    for (int k = 0; k < kBlock; ++k) matches |= p[i + k] == target;
    if (matches) return false;
  }
  for (; i < n; ++i)
    if (p[i] == target) return false;
  return true;
}

// The end of the run of target pixels that starts at x.
template <typename Pixel>
int runEnd(const Pixel* line, int x, int width, Pixel target) {
  constexpr int kBlock = 32;
  while (x + kBlock <= width && allAre(line + x, kBlock, target)) x += kBlock;
  while (x < width && line[x] == target) ++x;
  return x;
}

// The fill on rows of Pixel (uint32_t or uint8_t) read in place.
template <typename Pixel>
void paintRows(const imaging::CurrentPixels& image, int x, int y, Pixel target) {
  auto row = [&](int r) { return reinterpret_cast<const Pixel*>(image.row8(r)); };
  SeedStack stack;
  for (;;) {
    const Pixel* line = row(y);
    const Pixel* above = y > 0 ? row(y - 1) : nullptr;
    const Pixel* below = y + 1 < image.height ? row(y + 1) : nullptr;
    while (x > 0 && line[x - 1] == target) --x;
    const int first = x;
    const int end = runEnd(line, x, image.width, target);
    const int n = end - first;
    // A neighbour row that is all target or all other over the run (what a large fill
    // meets) gives at most one seed, at the run's first pixel: no need to look at each
    // pixel in turn.
    const bool aboveAll = above && allAre(above + first, n, target);
    const bool belowAll = below && allAre(below + first, n, target);
    if ((!above || aboveAll || noneAre(above + first, n, target)) &&
        (!below || belowAll || noneAre(below + first, n, target))) {
      if (aboveAll) stack.push(first, y - 1);
      if (belowAll) stack.push(first, y + 1);
    } else {
      NeighbourRuns up, down;
      for (x = first; x < end; ++x) {
        up.see(above && above[x] == target, x, y - 1, stack);
        down.see(below && below[x] == target, x, y + 1, stack);
      }
    }
    TAV_DrawLine(DrawColor, first, y, end - 1, y);
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

namespace imaging {

void paintStraight(int x, int y) {
  const CurrentPixels image = currentPixels();
  if (!image.inside(x, y)) return;
  const uint32_t target = TAV_GetPixel(x, y);
  const uint32_t written = image.bits == 32 ? DrawColor : DrawColor & 0xFF;
  if (written == target) return;
  auto isTarget = [&](int px, int py) { return image.inside(px, py) && TAV_GetPixel(px, py) == target; };
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
