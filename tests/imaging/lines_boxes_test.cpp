// Lines and rectangles: the pixels they visit, the pen, and the inverting forms.
#include <climits>
#include <functional>

#include "drawing_fixture.h"
#include "imaging/imaging.h"
#include "straight_drawing.h"

namespace {

using Points = std::set<std::pair<int, int>>;

TEST_F(Drawing, LinePixelsAreTheSameInBothDirections) {
  open(8, 6);
  TAV_DrawLine(0xFFFFFF, 0, 0, 3, 1);
  EXPECT_EQ(litPoints(), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(PenPosition, (plat::Point{3, 1}));
  TAV_ClearImage(0);
  TAV_DrawLine(0xFFFFFF, 3, 1, 0, 0);
  EXPECT_EQ(litPoints(), (Points{{0, 0}, {1, 0}, {2, 1}, {3, 1}}));
  EXPECT_EQ(PenPosition, (plat::Point{0, 0}));  // the pen goes to the second point given

  TAV_ClearImage(0);
  TAV_DrawLine(0xFFFFFF, 5, 5, 5, 5);
  EXPECT_EQ(litPoints(), (Points{{5, 5}}));
  TAV_ClearImage(0);
  TAV_DrawLine(0xFFFFFF, 1, 5, 2, 0);  // steep, running up
  EXPECT_EQ(litPoints(), (Points{{1, 5}, {1, 4}, {1, 3}, {2, 2}, {2, 1}, {2, 0}}));
}

// Rows and columns are written whole; every line must give the pixels of the pixel walk.
TEST_F(Drawing, LinesMatchThePixelByPixelWalkAndXorTouchesEachPixelOnce) {
  std::mt19937 rng(7);
  for (int bits : {32, 8}) {
    open(40, 30, bits, bits == 32 ? 0 : 1);
    for (int n = 0; n < 400; ++n) {
      std::uniform_int_distribution<int> coord(-20, 60);
      const int x1 = coord(rng), y1 = coord(rng);
      const int x2 = n % 3 == 0 ? x1 : coord(rng);  // a third vertical, a third horizontal
      const int y2 = n % 3 == 1 ? y1 : coord(rng);
      const uint32_t color = rng() | 1;
      fillWithNoise(n);
      imaging::drawLineStraight(color, x1, y1, x2, y2);
      const std::vector<uint32_t> expected = pixels();
      fillWithNoise(n);
      PenPosition = {};
      TAV_DrawLine(color, x1, y1, x2, y2);
      ASSERT_EQ(pixels(), expected) << x1 << "," << y1 << " " << x2 << "," << y2;
      ASSERT_EQ(PenPosition, (plat::Point{x2, y2}));

      // On black, an inverting line lights exactly the drawn pixels (each inverted once).
      TAV_ClearImage(CurrentImage);
      imaging::drawLineStraight(0xFFFFFF, x1, y1, x2, y2);
      const Points drawn = litPoints();
      TAV_ClearImage(CurrentImage);
      TAV_XorLine(x1, y1, x2, y2);
      ASSERT_EQ(litPoints(), drawn);
    }
  }
}

TEST_F(Drawing, LinesFarBeyondThePictureAreClippedAtOnce) {
  open(5, 4);
  TAV_DrawLine(0x123456, INT_MIN, 2, INT_MAX, 2);
  TAV_DrawLine(0x123456, 1, INT_MAX, 1, INT_MIN);
  Points expected;
  for (int x = 0; x < 5; ++x) expected.insert({x, 2});
  for (int y = 0; y < 4; ++y) expected.insert({1, y});
  EXPECT_EQ(litPoints(), expected);
  EXPECT_EQ(PenPosition, (plat::Point{1, INT_MIN}));
  TAV_XorFillBox(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  EXPECT_EQ(TAV_GetPixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(TAV_GetPixel(1, 2), 0xFFFFFFu ^ 0x123456u);
}

TEST_F(Drawing, BoxesOutlineAndFill) {
  open(10, 10);
  DrawColor = 0x0000FF;
  TAV_DrawBox(6, 5, 2, 1);
  Points outline;
  for (int x = 2; x <= 6; ++x) outline.insert({x, 1}), outline.insert({x, 5});
  for (int y = 1; y <= 5; ++y) outline.insert({2, y}), outline.insert({6, y});
  EXPECT_EQ(litPoints(), outline);

  TAV_ClearImage(0);
  TAV_FillBox(6, 5, 2, 1, 0x111111, 0x222222);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x > 2 && x < 6 && y > 1 && y < 5;
      const uint32_t want = outline.count({x, y}) ? 0x111111 : inside ? 0x222222 : 0;
      ASSERT_EQ(TAV_GetPixel(x, y), want) << x << "," << y;
    }

  // Corners one pixel apart: only the outline, no inside.
  TAV_ClearImage(0);
  TAV_FillBox(3, 3, 4, 4, 0x111111, 0x222222);
  EXPECT_EQ(litPoints(), (Points{{3, 3}, {4, 3}, {3, 4}, {4, 4}}));
  EXPECT_EQ(TAV_GetPixel(3, 3), 0x111111u);

  // The inverting outline inverts each outline pixel once; a box one column wide has
  // its two sides on the same column, where they cancel.
  TAV_ClearImage(0);
  TAV_XorBox(2, 5, 6, 1);
  EXPECT_EQ(litPoints(), outline);
  TAV_ClearImage(0);
  TAV_XorBox(4, 1, 4, 5);
  EXPECT_EQ(litPoints(), (Points{{4, 1}, {4, 5}}));
  TAV_ClearImage(0);
  TAV_XorFillBox(6, 5, 2, 1);
  EXPECT_EQ(litPoints().size(), 25u);
}

// The interactive tools erase their feedback by drawing it again.
TEST_F(Drawing, EveryInvertingPrimitiveDrawnTwiceRestoresThePicture) {
  struct Primitive {
    const char* name;
    std::function<void()> draw;
    bool changesOnce;  // radius 0 inverts the centre an even number of times
  };
  const std::vector<Primitive> primitives = {
      {"line", [] { TAV_XorLine(-3, 2, 30, 17); }, true},
      {"steep line", [] { TAV_XorLine(4, -5, 9, 40); }, true},
      {"box", [] { TAV_XorBox(25, 3, 1, 18); }, true},
      {"thin box", [] { TAV_XorBox(7, 2, 7, 12); }, true},
      {"filled box", [] { TAV_XorFillBox(-4, 5, 12, 30); }, true},
      {"circle", [] { TAV_XorCircle(12, 10, 9); }, true},
      {"clipped circle", [] { TAV_XorCircle(0, 0, 13); }, true},
      {"point circle", [] { TAV_XorCircle(5, 5, 0); }, false},
      {"disc", [] { TAV_XorFillCircle(15, 9, 11); }, true},
      {"point disc", [] { TAV_XorFillCircle(5, 5, 0); }, false},
  };
  for (int bits : {32, 8}) {
    open(31, 21, bits, bits == 32 ? 0 : 1);
    fillWithNoise(3);
    const std::vector<uint32_t> before = pixels();
    for (const Primitive& p : primitives) {
      p.draw();
      EXPECT_EQ(pixels() != before, p.changesOnce) << p.name;
      p.draw();
      EXPECT_EQ(pixels(), before) << p.name << " at " << bits << " bits";
    }
  }
}

}  // namespace
