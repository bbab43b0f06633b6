// Circles and discs: the small radii pixel by pixel, and for every radius up to 50 discs
// whose rows span exactly the outline's extremes.
#include <algorithm>
#include <map>

#include "drawing_fixture.h"

namespace {

using Points = std::set<std::pair<int, int>>;

TEST_F(Drawing, SmallCirclesArePixelExact) {
  open(9, 9);
  TAV_DrawCircle(0xFFFFFF, 4, 4, 0);
  EXPECT_EQ(litPoints(), (Points{{4, 4}}));
  TAV_ClearImage(0);
  TAV_FillCircle(4, 4, 0);
  EXPECT_EQ(litPoints(), (Points{{4, 4}}));

  TAV_ClearImage(0);
  TAV_DrawCircle(0xFFFFFF, 4, 4, 1);
  EXPECT_EQ(litPoints(), (Points{{4, 3}, {3, 4}, {5, 4}, {4, 5}}));

  TAV_ClearImage(0);
  TAV_DrawCircle(0xFFFFFF, 4, 4, 2);
  EXPECT_EQ(litPoints(), (Points{{4, 2},
                                 {4, 6},
                                 {2, 4},
                                 {6, 4},
                                 {3, 2},
                                 {5, 2},
                                 {3, 6},
                                 {5, 6},
                                 {2, 3},
                                 {2, 5},
                                 {6, 3},
                                 {6, 5}}));
  // The inverting outline inverts each of them once.
  TAV_ClearImage(0);
  TAV_XorCircle(4, 4, 2);
  EXPECT_EQ(litPoints().size(), 12u);
}

TEST_F(Drawing, DiscRowsSpanTheOutlineExtremesForEveryRadius) {
  open(111, 111);
  const int c = 55;
  for (int r = 1; r <= 50; ++r) {
    TAV_ClearImage(0);
    TAV_DrawCircle(0xFFFFFF, c, c, r);
    std::map<int, std::pair<int, int>> extremes;  // row -> leftmost, rightmost
    for (const auto& [x, y] : litPoints()) {
      auto [it, fresh] = extremes.insert({y, {x, x}});
      if (!fresh) it->second = {std::min(it->second.first, x), std::max(it->second.second, x)};
    }
    ASSERT_EQ(extremes.size(), size_t(2 * r + 1)) << r;
    ASSERT_EQ(extremes.begin()->first, c - r);

    // Filled in colour, and inverted from black: each row lit exactly from the leftmost
    // to the rightmost outline pixel (inverting a pixel twice would leave it black).
    for (bool inverting : {false, true}) {
      TAV_ClearImage(0);
      DrawColor = 0xFFFFFF;
      if (inverting)
        TAV_XorFillCircle(c, c, r);
      else
        TAV_FillCircle(c, c, r);
      Points expected;
      for (const auto& [y, span] : extremes)
        for (int x = span.first; x <= span.second; ++x) expected.insert({x, y});
      ASSERT_EQ(litPoints(), expected) << "r " << r << (inverting ? " inverting" : " filled");
    }
  }
}

TEST_F(Drawing, NegativeRadiusDrawsNoDisc) {
  open(9, 9);
  TAV_XorFillCircle(4, 4, -3);
  EXPECT_TRUE(litPoints().empty());
}

}  // namespace
