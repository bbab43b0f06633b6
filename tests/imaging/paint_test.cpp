// Paint: what it fills, what it leaves, and the fixed seed stack running full.
#include "drawing_fixture.h"
#include "straight_drawing.h"

namespace {

TEST_F(Drawing, PaintFillsTheFourConnectedRegionAndNotThroughADiagonalGap) {
  open(10, 10);
  // A diagonal wall from the bottom left to the top right: its pixels touch only at
  // their corners, so the two sides meet at diagonal gaps alone.
  TAV_DrawLine(0xFFFFFF, 0, 9, 9, 0);
  DrawColor = 0xFF0000;
  TAV_Paint(0, 0);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const uint32_t want = x + y < 9 ? 0xFF0000 : x + y == 9 ? 0xFFFFFF : 0;
      ASSERT_EQ(TAV_GetPixel(x, y), want) << x << "," << y;
    }
}

TEST_F(Drawing, PaintOfTheValueItWritesChangesNothing) {
  open(6, 6, 8);
  TAV_PutPixel(2, 2, 5);
  DrawColor = 0x123405;  // an 8-bit image compares and writes the low byte only
  TAV_Paint(2, 2);
  TAV_Paint(-1, 0);
  TAV_Paint(6, 0);
  EXPECT_EQ(litPoints().size(), 1u);
  DrawColor = 0x123407;
  TAV_Paint(0, 0);
  EXPECT_EQ(TAV_GetPixel(0, 0), 7u);
  EXPECT_EQ(TAV_GetPixel(2, 2), 5u);
  EXPECT_EQ(TAV_GetPixel(5, 5), 7u);
}

// A row whose neighbours are broken into more single-pixel runs than the stack holds:
// the row fills, exactly 4000 of the runs are reached, and the rest stay as they were.
TEST_F(Drawing, PaintWithTheSeedStackOverflowingFillsPart) {
  const int w = 9001;
  open(w, 40);
  for (int x = 1; x < w; x += 2) {
    TAV_PutPixel(x, 0, 0xFFFFFF);
    TAV_PutPixel(x, 2, 0xFFFFFF);
  }
  TAV_FillBox(0, 3, w - 1, 39, 0xFFFFFF, 0xFFFFFF);  // the rows below are wall
  const int runs = 2 * (w / 2 + 1);
  ASSERT_GT(runs, 4000);
  const std::vector<uint32_t> before = pixels();
  DrawColor = 0x00FF00;
  TAV_Paint(0, 1);
  int reached = 0;
  for (int x = 0; x < w; ++x) {
    ASSERT_EQ(TAV_GetPixel(x, 1), 0x00FF00u);
    reached += (TAV_GetPixel(x, 0) == 0x00FF00u) + (TAV_GetPixel(x, 2) == 0x00FF00u);
  }
  EXPECT_EQ(reached, 4000);

  // The pixel-by-pixel fill drops the same seeds.
  const std::vector<uint32_t> fast = pixels();
  TAV_PutImageBlock(before.data(), 0, w, 40);
  imaging::paintStraight(0, 1);
  EXPECT_EQ(pixels(), fast);
}

// Mazes of random walls at both depths, painted from many points.
TEST_F(Drawing, PaintMatchesThePixelByPixelFill) {
  std::mt19937 rng(11);
  auto load = [](const std::vector<uint32_t>& values) {
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) TAV_PutPixelQuiet(x, y, values[y * width() + x]);
  };
  for (int bits : {32, 8}) {
    open(57, 43, bits, bits == 32 ? 0 : 1);
    for (int n = 0; n < 60; ++n) {
      std::vector<uint32_t> maze(57 * 43);
      const uint32_t mostly = n % 4 == 0 ? 0 : rng() % 3;
      for (uint32_t& v : maze) v = rng() % 5 < 3 ? mostly : rng() % 3;
      const int x = static_cast<int>(rng() % 57), y = static_cast<int>(rng() % 43);
      // Now and then a colour whose low byte is the target: refused on 8 bits only.
      DrawColor = n % 5 == 0 ? 0xABCD00 + maze[y * 57 + x] : rng() % 3;
      load(maze);
      PenPosition = {};
      imaging::paintStraight(x, y);
      const std::vector<uint32_t> expected = pixels();
      const plat::Point pen = PenPosition;
      load(maze);
      PenPosition = {};
      TAV_Paint(x, y);
      ASSERT_EQ(pixels(), expected) << n << " at " << bits << " bits";
      ASSERT_EQ(PenPosition, pen);
    }
  }
}

}  // namespace
