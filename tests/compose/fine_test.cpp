// The fine composition: a picture worked out by hand, the fast version against the
// formula over random panels, and the relations between sub-pixel orders and pitches.
#include "compose/fine.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

using compose::ConstPixelBuffer;
using compose::FineParams;
using compose::PixelBuffer;
using compose::SubpixelOrder;

// Sanitizer builds run many times slower; they check fewer panels.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kRandomPanels = 8;
#else
constexpr int kRandomPanels = 50;
#endif

struct Picture {
  std::vector<uint32_t> pixels;
  int width = 0, height = 0;
  ConstPixelBuffer in() const { return {pixels.data(), width, height}; }
};

Picture noise(int width, int height, uint32_t seed) {
  Picture p{std::vector<uint32_t>(static_cast<size_t>(width) * height), width, height};
  std::mt19937 rng(seed);
  for (uint32_t& v : p.pixels) v = rng() & 0x00FFFFFF;
  return p;
}

// The output at W x H, first filled with a colour no composition writes.
std::vector<uint32_t> compose(const Picture& mv, const FineParams& p, bool fast) {
  std::vector<uint32_t> out(static_cast<size_t>(p.width) * p.height, 0xFF123456u);
  const PixelBuffer buffer{out.data(), p.width, p.height};
  if (fast) {
    compose::composeFinePixels(mv.in(), buffer, p);
  } else {
    compose::composeFineStraight(mv.in(), buffer, p);
  }
  return out;
}

uint32_t swapRedBlue(uint32_t v) {
  return (v & 0xFF00FF00u) | (v >> 16 & 0xFF) | (v & 0xFF) << 16;
}

TEST(Fine, TwoByTwoWorkedByHand) {
  // V 2, P 3, S 1, O 0: views 6 x 2, so vx = s and vy = y. Multi-view pixel (col, row)
  // is grey col * 10 + row. Views of the sub-pixels: row 0: 0 0 1 0 0 1 (t = s / 3),
  // row 1: 1 0 0 1 0 0 (t = (s - 1) / 3).
  Picture mv{std::vector<uint32_t>(24), 12, 2};
  for (int row = 0; row < 2; ++row) {
    for (int col = 0; col < 12; ++col) mv.pixels[row * 12 + col] = (col * 10 + row) * 0x010101u;
  }
  FineParams p;
  p.pitch = 3;
  p.views = 2;
  p.width = 2;
  p.height = 2;
  auto rgb = [](uint32_t r, uint32_t g, uint32_t b) { return r << 16 | g << 8 | b; };
  const std::vector<uint32_t> expected = {rgb(0, 10, 80), rgb(30, 40, 110), rgb(61, 11, 21),
                                          rgb(91, 41, 51)};
  EXPECT_EQ(compose(mv, p, false), expected);
  EXPECT_EQ(compose(mv, p, true), expected);
}

TEST(Fine, ViewOfEachPhase) {
  FineParams p;
  p.pitch = 10;
  p.slant = 0;
  p.views = 7;
  struct Case {
    double s, offset;
    int view;
  } cases[] = {
      {0, 0, 0},       // phase 0
      {9.99, 0, 6},    // just inside the last view
      {5, 0, 3},       // phase 0.5, 3.5 -> 3
      {10, 0, 0},      // the next lens starts over
      {0, 1e-300, 6},  // t just below 0: t - floor(t) rounds to 1, which is view V - 1
      {0, 3, 4},       // t -0.3, phase 0.7
  };
  for (const Case& c : cases) {
    p.offset = c.offset;
    EXPECT_EQ(compose::fineView(c.s, 0, p), c.view) << c.s << " " << c.offset;
  }
  p.pitch = 0;  // t NaN or infinite everywhere
  EXPECT_EQ(compose::fineView(0, 0, p), 0);
  EXPECT_EQ(compose::fineView(5, 0, p), 0);
}

// The fast version's two instruction sets, each in its own run.
class FineInstructions : public testing::TestWithParam<bool> {
 protected:
  void SetUp() override { compose::useFineBaselineOnly(GetParam()); }
  void TearDown() override { compose::useFineBaselineOnly(false); }
};
INSTANTIATE_TEST_SUITE_P(Fine, FineInstructions, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& i) {
                           return i.param ? "Baseline" : "Best";
                         });

TEST_P(FineInstructions, FastMatchesFormulaOverRandomPanels) {
  std::mt19937 rng(GetParam() ? 2025 : 2024);
  auto uniform = [&](double lo, double hi) {
    return std::uniform_real_distribution<>(lo, hi)(rng);
  };
  auto whole = [&](int lo, int hi) { return std::uniform_int_distribution<>(lo, hi)(rng); };
  const double slants[] = {1, 1.0 / 3, -1.0 / 3, 1.0 / 6, 2.0 / 9, -2.0 / 9, 0, 4.5};
  for (int n = 0; n < kRandomPanels; ++n) {
    FineParams p;
    p.views = n % 4 == 0 ? 180 : whole(2, 180);
    p.width = n % 5 == 0 ? 1920 : whole(1, 1920);
    p.height = whole(1, n % 5 == 0 ? 6 : 40);
    p.pitch = uniform(0.2, 60) * (n % 2 ? -1 : 1);
    p.slant = n % 3 == 0 ? uniform(-5, 5) : slants[n % 8];
    p.offset = n % 7 == 0 ? 0 : uniform(-200, 200);
    p.order = n % 2 == (n / 2) % 2 ? SubpixelOrder::Rgb : SubpixelOrder::Bgr;
    // Views wider or narrower than the output's sub-pixel columns, some with columns
    // left over at the right.
    const int vw = whole(1, n % 3 == 0 ? 12 : 400);
    const Picture mv = noise(p.views * vw + whole(0, p.views - 1), whole(1, 70), n);
    EXPECT_EQ(compose(mv, p, true), compose(mv, p, false))
        << "V " << p.views << " W " << p.width << " H " << p.height << " P " << p.pitch << " S "
        << p.slant << " O " << p.offset << " views " << mv.width << " x " << mv.height;
  }
}

TEST_P(FineInstructions, OperationsInTheDefinedOrder) {
  // Sub-pixels where t = (s - S y - O) / P computed in another order, say
  // (s - (S y + O)) / P, lands in the neighbouring view. View k is grey k, one pixel.
  struct Case {
    int views;
    double pitch, slant, offset;
    int s, y, view;
  } cases[] = {
      {60, 1.0 / 3 * 10, -2.0 / 9, 1.0 / 3, 79, 222, 23},
      {180, -17.319, 1.0 / 6, 1.0 / 3, 173, 1036, 179},
      {9, 9.3, 1.0 / 6, 1.0 / 3, 65, 233, 7},
      {8, 9.3, 0.1, -1.1, 180, 323, 7},
      {180, 3.0, 0.1, 0.3, 15, 462, 89},
  };
  for (const Case& c : cases) {
    Picture mv{std::vector<uint32_t>(static_cast<size_t>(c.views)), c.views, 1};
    for (int k = 0; k < c.views; ++k) mv.pixels[k] = static_cast<uint32_t>(k) * 0x010101u;
    FineParams p;
    p.views = c.views;
    p.pitch = c.pitch;
    p.slant = c.slant;
    p.offset = c.offset;
    p.width = c.s / 3 + 1;
    p.height = c.y + 1;
    EXPECT_EQ(compose::fineView(c.s, c.y, p), c.view) << c.s << ", " << c.y;
    for (bool fast : {false, true}) {
      const std::vector<uint32_t> out = compose(mv, p, fast);
      const uint32_t pixel = out[static_cast<size_t>(c.y) * p.width + c.s / 3];
      EXPECT_EQ(pixel >> (16 - 8 * (c.s % 3)) & 0xFF, static_cast<uint32_t>(c.view))
          << (fast ? "fast " : "straight ") << c.s << ", " << c.y;
    }
  }
}

TEST_P(FineInstructions, FastMatchesFormulaAtAFullPanel) {
  // Big enough to run on several threads.
  FineParams p;
  p.views = 60;
  p.width = 1920;
  p.height = 270;
  p.pitch = -23.7;
  p.slant = -2.0 / 9;
  p.offset = 3.5;
  p.order = SubpixelOrder::Bgr;
  const Picture mv = noise(60 * 96, 54, 5);
  EXPECT_EQ(compose(mv, p, true), compose(mv, p, false));
}

TEST_P(FineInstructions, FastMatchesFormulaAlongAnEightKRow) {
  // The fast version steps its phases along a row in fixed point, a little further off at
  // each step; the widest rows take the most steps.
  struct Case {
    int views;
    double pitch;
  } cases[] = {{8, 17.319}, {180, -4.0001}, {45, 123.456789}};
  for (const Case& c : cases) {
    FineParams p;
    p.views = c.views;
    p.width = compose::kFineMaxWidth;
    p.height = 6;
    p.pitch = c.pitch;
    p.slant = 1.0 / 3;
    p.offset = 0.25;
    const Picture mv = noise(c.views * 40, 3, c.views);
    EXPECT_EQ(compose(mv, p, true), compose(mv, p, false)) << c.views << " views, P " << c.pitch;
  }
}

TEST_P(FineInstructions, FastMatchesFormulaOnBoundariesAndFarPhases) {
  // Whole-number pitches and slants put phase V exactly on view and lens boundaries on
  // whole rows, where the fast version works the views out again; tiny pitches and far
  // offsets leave its fixed-point phases for the doubles altogether.
  struct Case {
    int views;
    double pitch, slant, offset;
  } cases[] = {
      {6, 6, 1, 0},
      {9, 4.5, 1.0 / 3, 0},
      {8, -8, -1, 2},
      {60, 30, 0.5, -1.5},
      {7, 1e-4, 1, 0},
      {12, 17.319, 1.0 / 3, 3e9},
      {180, -2e-5, -2.0 / 9, 0.5},
  };
  for (const Case& c : cases) {
    FineParams p;
    p.views = c.views;
    p.pitch = c.pitch;
    p.slant = c.slant;
    p.offset = c.offset;
    p.width = 701;
    p.height = 9;
    const Picture mv = noise(c.views * 37, 11, static_cast<uint32_t>(c.views));
    EXPECT_EQ(compose(mv, p, true), compose(mv, p, false))
        << "V " << c.views << " P " << c.pitch << " S " << c.slant << " O " << c.offset;
  }
}

TEST(Fine, NothingToReadGivesBlack) {
  FineParams p;
  p.views = 9;
  p.width = 5;
  p.height = 3;
  const Picture narrow = noise(8, 4, 1);  // fewer columns than views
  for (bool fast : {false, true}) {
    EXPECT_EQ(compose(narrow, p, fast), std::vector<uint32_t>(15, 0u)) << fast;
  }
}

TEST(Fine, BgrIsRgbWithRedAndBlueSwapped) {
  FineParams p;
  p.views = 8;
  p.width = 97;
  p.height = 31;
  p.pitch = 11.25;
  p.slant = 1.0 / 3;
  p.offset = 2;
  const Picture mv = noise(8 * 50, 40, 7);
  Picture swapped = mv;
  for (uint32_t& v : swapped.pixels) v = swapRedBlue(v);
  const std::vector<uint32_t> rgb = compose(mv, p, true);
  p.order = SubpixelOrder::Bgr;
  std::vector<uint32_t> bgr = compose(swapped, p, true);
  for (uint32_t& v : bgr) v = swapRedBlue(v);
  EXPECT_EQ(bgr, rgb);
  EXPECT_EQ(compose(swapped, p, false), compose(swapped, p, true));
}

TEST(Fine, NegativePitchReversesTheViews) {
  FineParams p;
  p.views = 7;
  p.width = 64;
  p.height = 16;
  p.pitch = 17.319;
  p.slant = 1.0 / 3;
  p.offset = 0.25;
  const int vw = 20;
  const Picture mv = noise(7 * vw, 16, 3);
  Picture reversed = mv;
  for (int y = 0; y < mv.height; ++y) {
    for (int v = 0; v < 7; ++v) {
      std::copy_n(mv.pixels.begin() + y * mv.width + v * vw, vw,
                  reversed.pixels.begin() + y * mv.width + (6 - v) * vw);
    }
  }
  const std::vector<uint32_t> forward = compose(reversed, p, true);
  p.pitch = -p.pitch;
  EXPECT_EQ(compose(mv, p, true), forward);
  EXPECT_NE(compose(reversed, p, true), forward);
}

}  // namespace
