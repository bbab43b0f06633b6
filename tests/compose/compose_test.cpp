// The lenticular composition: small pictures worked out by hand from the interleaving
// rules, and the buffer versions against the pixel-by-pixel ones over awkward settings.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "compose/compose_pixels.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"

namespace {

using app::kMultiViewImage;
using app::kOutputImage;
using app::kWorkImage;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

uint32_t* pixels(int n) {
  return reinterpret_cast<uint32_t*>(ImagePixels[n]);
}
uint32_t channelOf(uint32_t color, int channel) {
  return (color >> (16 - 8 * channel)) & 0xff;
}

// Everything a composition can leave behind: the pictures and the selection state.
struct Outcome {
  std::vector<uint32_t> output, work;
  int current = 0;
  std::array<int, kSelectionDepth> history{};
  plat::Point pen;
};

Outcome capture() {
  Outcome o;
  for (auto [n, dst] : {std::pair{kOutputImage, &o.output}, std::pair{kWorkImage, &o.work}}) {
    if (ImageTable[n].inUse) {
      *dst =
          std::vector<uint32_t>(pixels(n), pixels(n) + ImageTable[n].width * ImageTable[n].height);
    }
  }
  o.current = CurrentImage;
  o.history = SelectionHistory;
  o.pen = PenPosition;
  return o;
}

void restore(const Outcome& o) {
  for (auto [n, src] : {std::pair{kOutputImage, &o.output}, std::pair{kWorkImage, &o.work}}) {
    if (ImageTable[n].inUse) std::copy(src->begin(), src->end(), pixels(n));
  }
  CurrentImage = o.current;
  SelectionHistory = o.history;
  PenPosition = o.pen;
}

// Where two pictures first differ, for a readable failure.
std::string firstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                            int width) {
  if (a.size() != b.size()) return "sizes differ";
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      char text[96];
      std::snprintf(text, sizeof text, "pixel (%zu, %zu): %08x vs %08x", i % width, i / width, a[i],
                    b[i]);
      return text;
    }
  }
  return "";
}

void fillRandom(int n, uint32_t seed) {
  std::mt19937 rng(seed);
  const size_t count = static_cast<size_t>(ImageTable[n].width) * ImageTable[n].height;
  for (size_t i = 0; i < count; ++i) pixels(n)[i] = rng() & 0x00FFFFFFu;
}

class Composition : public testing::Test {
 protected:
  void SetUp() override { resetLibrary(); }
  void TearDown() override { resetLibrary(); }

  // Settings and the two pictures the composition works on, filled with noise; the
  // output's old content shows where a method leaves pixels alone.
  static void setUp(double pitch, int V, int W, int H, int bands, int workW, int workH, int outW,
                    int outH, uint32_t seed = 1) {
    app::Pitch = pitch;
    app::View_num = V;
    app::Width = W;
    app::Height = H;
    app::builtViewCount = bands;
    ASSERT_EQ(TAV_CreateImageFL(0, "other", 0, 0, 4, 4, 100), 0);
    ASSERT_EQ(TAV_CreateImageFL(kWorkImage, "work", 0, 0, workW, workH, 1), 0);
    ASSERT_EQ(TAV_CreateImageFL(kOutputImage, "out", 0, 0, outW, outH, 1), 0);
    fillRandom(kWorkImage, seed);
    fillRandom(kOutputImage, seed + 1);
    TAV_SelectImage(0);
  }

  // The straight version and the fast one from the same start leave the same state.
  static void expectSameAsStraight(void (*straight)(), void (*fast)(), const std::string& what) {
    const Outcome start = capture();
    straight();
    const Outcome expected = capture();
    restore(start);
    fast();
    const Outcome got = capture();
    const int outW = ImageTable[kOutputImage].width;
    EXPECT_EQ(firstDifference(expected.output, got.output, outW), "") << what;
    EXPECT_EQ(expected.work, got.work) << what;
    EXPECT_EQ(expected.current, got.current) << what;
    EXPECT_EQ(expected.history, got.history) << what;
    EXPECT_EQ(expected.pen, got.pen) << what;
  }
  static void expectBothMethodsSame(const std::string& what) {
    expectSameAsStraight(app::composeStableStraight, app::ComposeStable, "stable " + what);
    expectSameAsStraight(app::composeBetaStraight, app::ComposeBeta, "beta " + what);
  }
};

// ---- The colour helpers -------------------------------------------------------------

TEST(BlendColor, MixesEachChannelAndRecombinesArithmetically) {
  EXPECT_EQ(compose::BlendColor(0.25, 0x00FF0000, 0x000000FF), 0x00BF003Fu);
  EXPECT_EQ(compose::BlendColor(0, 0x00123456, 0x00FFFFFF), 0x00123456u);
  EXPECT_EQ(compose::BlendColor(1, 0x00123456, 0x00ABCDEF), 0x00ABCDEFu);
  EXPECT_EQ(compose::BlendColor(0.5, 0xFF000000, 0x00000000), 0u);  // the top byte carries nothing
  // A negative weight pushes channels outside 0..255: blue 255 * 1.5 = 382 spills a one
  // into green, and a negative green borrows from red.
  EXPECT_EQ(compose::BlendColor(-0.5, 0x000000FF, 0x00000000), 382u);
  EXPECT_EQ(compose::BlendColor(-0.5, 0x00000000, 0x0000FF00), static_cast<uint32_t>(-127 * 256));
  // Weights that are not numbers, or infinite, still give a defined colour.
  EXPECT_EQ(compose::BlendColor(kNaN, 0x00FFFFFF, 0x00FFFFFF), 0u);
  EXPECT_EQ(compose::BlendColor(kInf, 0x00000000, 0x00000000), 0u);
  // Channels beyond the 64-bit range are clamped, and the sum wraps to 32 bits.
  EXPECT_EQ(compose::BlendColor(1e300, 0, 0x000000FF), static_cast<uint32_t>(INT64_MAX));
}

TEST(Boundaries, AreRealComparisonsDefinedForEveryPitch) {
  EXPECT_FALSE(compose::reachesBoundary(1, 2.47));
  EXPECT_TRUE(compose::reachesBoundary(2, 2.47));
  EXPECT_TRUE(compose::reachesBoundary(0, -0.5));  // trunc(-0.5) is 0
  EXPECT_FALSE(compose::reachesBoundary(INT64_MAX, kInf));
  EXPECT_FALSE(compose::reachesBoundary(INT64_MAX, kNaN));
  EXPECT_TRUE(compose::reachesBoundary(INT64_MIN, -kInf));
  EXPECT_DOUBLE_EQ(compose::boundaryFraction(4.75), 0.75);
  EXPECT_DOUBLE_EQ(compose::boundaryFraction(-1.25), -0.25);
  EXPECT_EQ(compose::boundaryFraction(kInf), 0.0);
  EXPECT_EQ(compose::boundaryFraction(kNaN), 0.0);
}

TEST_F(Composition, PutDiagonalChangesOneChannelOnEachOfThreeRows) {
  ASSERT_EQ(TAV_CreateImage(kOutputImage, "out", 0, 0, 4, 4, 100), 0);
  std::fill(pixels(kOutputImage), pixels(kOutputImage) + 16, 0x00A0B0C0u);
  app::PutDiagonal(4, 0x00112233, 0);
  std::vector<uint32_t> expected(16, 0x00A0B0C0u);
  expected[0 * 4 + 1] = 0x00A022C0;  // green of (1, 0)
  expected[1 * 4 + 1] = 0x00A0B033;  // blue of (1, 1)
  expected[2 * 4 + 2] = 0x0011B0C0;  // red of (2, 2)
  EXPECT_EQ(std::vector<uint32_t>(pixels(kOutputImage), pixels(kOutputImage) + 16), expected);
  // Sub-pixels outside the picture are skipped, the rest still written.
  app::PutDiagonal(10, 0x00FFFFFF, 1);  // rows 3, 4, 5: only row 3 is inside
  EXPECT_EQ(pixels(kOutputImage)[3 * 4 + 3], 0x00A0FFC0u);
  app::PutDiagonal(12, 0x00FFFFFF, 0);  // column 4 and beyond
  EXPECT_EQ(std::vector<uint32_t>(pixels(kOutputImage), pixels(kOutputImage) + 12),
            std::vector<uint32_t>(expected.begin(), expected.begin() + 12));
}

// ---- The view of every column ---------------------------------------------------------

TEST(ViewTables, DefaultsChangeViewAtTheTruncatedBoundaries) {
  // viewStep 17.319 / 7 = 2.474...: boundaries at 2, 4, 7.
  const compose::BetaTables t = compose::buildBetaTables(17.319, 7, 800, 480);
  ASSERT_EQ(t.view.size(), 3u * 800 + 480);
  EXPECT_EQ(std::vector<int32_t>(t.view.begin(), t.view.begin() + 9),
            (std::vector<int32_t>{0, 0, 0, 1, 1, 2, 2, 2, 3}));
  EXPECT_EQ(std::vector<uint8_t>(t.mark.begin(), t.mark.begin() + 8),
            (std::vector<uint8_t>{0, 0, 1, 0, 1, 0, 0, 1}));
  EXPECT_NEAR(t.fraction[2], 0.474142857, 1e-6);
  EXPECT_NEAR(t.fraction[4], 0.948285714, 1e-6);

  // In the stripes a boundary's own stripe already shows the new view.
  const compose::StripePlan s = compose::planStableStripes(17.319, 7, 800, 800);
  EXPECT_EQ(std::vector<int32_t>(s.view.begin(), s.view.begin() + 8),
            (std::vector<int32_t>{0, 0, 1, 1, 2, 2, 2, 3}));
  EXPECT_EQ(std::vector<uint8_t>(s.blend.begin(), s.blend.begin() + 8),
            (std::vector<uint8_t>{0, 0, 1, 0, 1, 0, 0, 1}));
  // The views cycle: after view 6 comes view 0 again.
  bool wrapped = false;
  for (size_t c = 1; c < s.size(); ++c) wrapped = wrapped || (s.view[c - 1] == 6 && s.view[c] == 0);
  EXPECT_TRUE(wrapped);
  // Only stripes that can reach an 800-pixel picture are walked: 2400 - trunc(7 / 2).
  EXPECT_EQ(s.size(), 2397u);
}

TEST(ViewTables, PitchZeroMinusInfinityAndNegativePitchChangeViewAtEveryColumn) {
  for (double pitch : {0.0, -kInf, -3.7}) {
    const compose::BetaTables t = compose::buildBetaTables(pitch, 5, 10, 6);
    const compose::StripePlan s = compose::planStableStripes(pitch, 5, 10, 10);
    ASSERT_EQ(s.size(), 28u) << pitch;
    for (int j = 0; j < 36; ++j) {
      EXPECT_EQ(t.view[j], j % 5) << pitch << " position " << j;
      EXPECT_EQ(t.mark[j], 1) << pitch;
      EXPECT_LE(t.fraction[j], 0.0) << pitch;
      EXPECT_GT(t.fraction[j], -1.0) << pitch;
      if (j < 28) {
        EXPECT_EQ(s.view[j], j % 5) << pitch << " stripe " << j;
        EXPECT_EQ(s.blend[j], j > 0 ? 1 : 0) << pitch;
      }
    }
    if (pitch == 0.0 || pitch == -kInf) {
      for (double f : t.fraction) ASSERT_EQ(f, 0.0);
    }
  }
}

TEST(ViewTables, PitchesWithoutFurtherBoundariesEndAndShowViewZero) {
  // None of these crosses a boundary within the picture; the walk still ends.
  for (double pitch : {kInf, kNaN, 1e300}) {
    const compose::BetaTables t = compose::buildBetaTables(pitch, 7, 1920, 1240);
    const compose::StripePlan s = compose::planStableStripes(pitch, 7, 1920, 1920);
    EXPECT_EQ(s.size(), 3u * 1920 - 3) << pitch;
    for (int32_t v : t.view) ASSERT_EQ(v, 0) << pitch;
    for (int32_t v : s.view) ASSERT_EQ(v, 0) << pitch;
  }
}

// ---- Small pictures worked out from the interleaving rules ----------------------------

// The expected stripe picture: sub-pixel s of row y shows stripe c = s - trunc(V/2) - y,
// row group r = y / 3 reads work pixel (c + view(c) band + 3r, 3r); rows from
// 3 trunc(H/3) and columns left of the diagonal stay black.
std::vector<uint32_t> expectedStable(const std::function<int(int)>& viewOf, int V, int W, int H,
                                     const std::vector<uint32_t>& work, int workW) {
  const int band = workW / app::builtViewCount;
  std::vector<uint32_t> out(static_cast<size_t>(W) * H, 0);
  for (int y = 0; y < 3 * (H / 3); ++y) {
    for (int s = 0; s < 3 * W; ++s) {
      const int c = s - V / 2 - y;
      if (c < 0) continue;
      const int r = y / 3;
      const uint32_t a = work[static_cast<size_t>(3 * r) * workW + c + viewOf(c) * band + 3 * r];
      out[y * W + s / 3] |= channelOf(a, s % 3) << (16 - 8 * (s % 3));
    }
  }
  return out;
}

// The expected row-group picture: sub-pixel s of row 3t + q comes from column l = s - q,
// of view table[l + 3 (trunc(H/3) - t)], band width 3W; rows from 3 trunc(H/3) keep
// their old content, and sub-pixels left of column 0 are black.
std::vector<uint32_t> expectedBeta(const std::function<int(int)>& tableView, int W, int H,
                                   const std::vector<uint32_t>& work, int workW,
                                   std::vector<uint32_t> out) {
  const int groups = H / 3;
  for (int y = 0; y < 3 * groups; ++y) {
    const int t = y / 3, q = y % 3;
    for (int x = 0; x < W; ++x) out[y * W + x] = 0;
    for (int s = 0; s < 3 * W; ++s) {
      const int l = s - q;
      if (l < 0) continue;
      const int v = tableView(l + 3 * (groups - t));
      const uint32_t a = work[static_cast<size_t>(3 * t) * workW + l + v * 3 * W];
      out[y * W + s / 3] |= channelOf(a, s % 3) << (16 - 8 * (s % 3));
    }
  }
  return out;
}

TEST_F(Composition, WholeStepPitchesGiveTheInterleavingRulesExactly) {
  struct Rule {
    double pitch;
    int V;
    std::function<int(int)> stripeView, tableView;
  };
  // Steps of whole columns carry a fraction of 0, so no mixing shows.
  const Rule rules[] = {
      {6.0, 3, [](int c) { return (c / 2) % 3; },
       [](int j) { return j == 0 ? 0 : ((j - 1) / 2) % 3; }},
      {0.0, 4, [](int c) { return c % 4; }, [](int j) { return j % 4; }},
      {-kInf, 2, [](int c) { return c % 2; }, [](int j) { return j % 2; }},
      {kInf, 5, [](int) { return 0; }, [](int) { return 0; }},
      {kNaN, 2, [](int) { return 0; }, [](int) { return 0; }},
  };
  const int W = 6, H = 7;  // two row groups and a row left over
  for (const Rule& rule : rules) {
    SCOPED_TRACE(testing::Message() << "pitch " << rule.pitch << ", V " << rule.V);
    imagewin::resetImageWindows();
    const int workW = 3 * W * rule.V;
    setUp(rule.pitch, rule.V, W, H, rule.V, workW, H, W, H, 7);
    if (HasFatalFailure()) return;
    const std::vector<uint32_t> work(pixels(kWorkImage), pixels(kWorkImage) + workW * H);
    const std::vector<uint32_t> before(pixels(kOutputImage), pixels(kOutputImage) + W * H);
    const std::vector<uint32_t> stable = expectedStable(rule.stripeView, rule.V, W, H, work, workW);
    const std::vector<uint32_t> beta = expectedBeta(rule.tableView, W, H, work, workW, before);

    for (auto compose : {app::composeStableStraight, app::ComposeStable}) {
      restore({before, work, 0, {}, {}});
      compose();
      EXPECT_EQ(firstDifference(stable, capture().output, W), "");
    }
    for (auto compose : {app::composeBetaStraight, app::ComposeBeta}) {
      restore({before, work, 0, {}, {}});
      compose();
      EXPECT_EQ(firstDifference(beta, capture().output, W), "");
    }
  }
}

TEST_F(Composition, TheFirstStripeOfANewViewMixesInThePreviousOne) {
  // V 3, pitch 7.5: steps of 2.5, boundaries at 2 (fraction 0.5), 5 (0), 7 (0.5).
  setUp(7.5, 3, 2, 3, 3, 18, 3, 2, 3);
  if (HasFatalFailure()) return;
  // Band k is flat grey: 0xC8, 0x96, 0x64.
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 18; ++x) pixels(kWorkImage)[y * 18 + x] = 0x00C8C8C8 - 0x00323232 * (x / 6);
  }
  const Outcome start = capture();
  for (auto compose : {app::composeStableStraight, app::ComposeStable}) {
    restore(start);
    compose();
    // Stripe c lands on sub-pixel 1 + c of row 0: stripes 0 and 1 (view 0) on the green
    // and blue of pixel 0, stripe 2 (view 1 mixed half and half with view 0: 0xAF) on the
    // red of pixel 1, stripes 3 and 4 (view 1) on its green and blue.
    EXPECT_EQ(pixels(kOutputImage)[0], 0x0000C8C8u);
    EXPECT_EQ(pixels(kOutputImage)[1], 0x00AF9696u);
  }
  for (auto compose : {app::composeBetaStraight, app::ComposeBeta}) {
    restore(start);
    compose();
    // One row group, offset 3: column l shows view table[l + 3], views 1 1 1 2 2 0 for
    // l = 0..5. The mark on column 2 mixes column 3 half and half with column 2: 0x7D.
    EXPECT_EQ(pixels(kOutputImage)[0], 0x00969696u);
    EXPECT_EQ(pixels(kOutputImage)[1], 0x007D64C8u);
    // Row 1 is shifted one sub-pixel right, with black coming in on the left.
    EXPECT_EQ(pixels(kOutputImage)[2], 0x00009696u);
  }
}

// ---- The fast versions against the straight ones --------------------------------------

TEST_F(Composition, NothingIsComposedBeforeTheWorkImageIsBuilt) {
  setUp(17.319, 7, 10, 6, 0, 210, 6, 10, 6);
  if (HasFatalFailure()) return;
  const Outcome start = capture();
  for (auto compose : {app::ComposeStable, app::ComposeBeta, app::composeStableStraight,
                       app::composeBetaStraight, app::compose}) {
    compose();
    const Outcome now = capture();
    EXPECT_EQ(now.output, start.output);
    EXPECT_EQ(now.current, start.current);
    EXPECT_EQ(now.history, start.history);
  }
  // With views built but the output window closed, nothing reaches another image.
  app::builtViewCount = 7;
  TAV_DestroyImage(kOutputImage);
  TAV_SelectImage(0);
  pixels(0)[0] = 0x123456;
  app::compose();
  app::betaMode = true;
  app::compose();
  EXPECT_EQ(pixels(0)[0], 0x123456u);
  EXPECT_EQ(CurrentImage, 0);
}

TEST_F(Composition, ComposeFollowsTheMethodFlag) {
  setUp(17.319, 7, 10, 7, 7, 210, 7, 10, 7);
  if (HasFatalFailure()) return;
  const Outcome start = capture();
  app::composeBetaStraight();
  const Outcome beta = capture();
  restore(start);
  app::betaMode = true;
  app::compose();
  EXPECT_EQ(capture().output, beta.output);
  restore(start);
  app::betaMode = false;
  app::compose();
  EXPECT_NE(capture().output, beta.output);
  EXPECT_EQ(capture().output[6 * 10 + 3], 0u);  // the row left over is black: stable
}

TEST_F(Composition, FastMethodsMatchAtTheDefaults) {
  setUp(17.319, 7, 800, 480, 7, 3 * 800 * 7, 480, 800, 480);
  if (HasFatalFailure()) return;
  expectBothMethodsSame("defaults");
}

TEST_F(Composition, FastMethodsMatchAtTheLargestPicture) {
  setUp(17.319, 3, 1920, 1240, 3, 3 * 1920 * 3, 1240, 1920, 1240);
  if (HasFatalFailure()) return;
  expectBothMethodsSame("1920 x 1240");
}

// Pictures big enough for the buffer versions to use a second thread: fewer sub-pixels
// per lens than views (every sub-pixel mixes in the one before, across row groups
// too), and a negative pitch (weights below 0 spill between channels).
TEST_F(Composition, FastMethodsMatchOnBigPicturesWithChainedAndSpillingBlends) {
  setUp(17.319, 20, 1920, 150, 20, 3 * 1920 * 20, 150, 1920, 150, 8);
  if (HasFatalFailure()) return;
  expectBothMethodsSame("V 20, 1920 x 150");
  imagewin::resetImageWindows();
  setUp(-40.3, 5, 600, 480, 5, 3 * 600 * 5, 480, 600, 480, 9);
  if (HasFatalFailure()) return;
  expectBothMethodsSame("pitch -40.3, V 5, 600 x 480");
}

TEST_F(Composition, FastMethodsMatchForEveryKindOfPitch) {
  const double pitches[] = {0.0,   -0.0,   1.0,  2.0,   7.0,  16.5,   -3.7,   -100.0,
                            1e300, -1e300, kInf, -kInf, kNaN, 1e-300, 4.0e16, 1e9};
  for (double pitch : pitches) {
    imagewin::resetImageWindows();
    setUp(pitch, 4, 40, 17, 4, 3 * 40 * 4, 17, 40, 17, 3);
    if (HasFatalFailure()) return;
    expectBothMethodsSame("pitch " + std::to_string(pitch));
  }
}

TEST_F(Composition, FastMethodsMatchForFewAndManyViewsAndOddHeights) {
  struct Case {
    int V, W, H;
  };
  for (Case c :
       {Case{2, 30, 9}, Case{2, 31, 10}, Case{180, 20, 11}, Case{180, 400, 100}, Case{7, 800, 481},
        Case{7, 50, 482}, Case{5, 1, 3}, Case{3, 4, 1}, Case{3, 4, 2}}) {
    imagewin::resetImageWindows();
    setUp(17.319, c.V, c.W, c.H, c.V, 3 * c.W * c.V, c.H, c.W, c.H, c.V + c.H);
    if (HasFatalFailure()) return;
    expectBothMethodsSame("V " + std::to_string(c.V) + ", " + std::to_string(c.W) + " x " +
                          std::to_string(c.H));
  }
}

TEST_F(Composition, FastMethodsMatchOnPicturesOfUnexpectedSizes) {
  struct Case {
    const char* what;
    int bands, workW, workH, outW, outH;
  };
  // Settings V 5, W 30, H 20 throughout.
  const Case cases[] = {
      {"work narrower than its bands", 5, 200, 20, 30, 20},
      {"work of one pixel", 5, 1, 1, 30, 20},
      {"work shorter than H", 5, 450, 7, 30, 20},
      {"work wider and taller", 5, 600, 30, 30, 20},
      {"fewer bands than views", 3, 270, 20, 30, 20},
      {"more bands than views", 9, 810, 20, 30, 20},
      {"output smaller", 5, 450, 20, 13, 8},
      {"output of one pixel", 5, 450, 20, 1, 1},
      {"output larger", 5, 450, 20, 47, 33},
      {"output wider, shorter", 5, 450, 20, 90, 4},
  };
  for (const Case& c : cases) {
    imagewin::resetImageWindows();
    setUp(17.319, 5, 30, 20, c.bands, c.workW, c.workH, c.outW, c.outH, 11);
    if (HasFatalFailure()) return;
    expectBothMethodsSame(c.what);
  }
  // Settings the playback loop never keeps: no width, no height, negative sizes.
  for (auto [W, H] : {std::pair{0, 20}, std::pair{30, 0}, std::pair{-4, 20}, std::pair{30, -9}}) {
    imagewin::resetImageWindows();
    setUp(17.319, 5, W, H, 5, 450, 20, 30, 20, 11);
    if (HasFatalFailure()) return;
    expectBothMethodsSame("W " + std::to_string(W) + ", H " + std::to_string(H));
  }
}

TEST_F(Composition, FastMethodsMatchOverRandomSettings) {
  std::mt19937 rng(2024);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int i = 0; i < 150; ++i) {
    const int V = pick(2, 12), W = pick(1, 40), H = pick(1, 20);
    const int bands = pick(1, 13);
    const double pitch = std::uniform_real_distribution<double>(-5, 60)(rng);
    const int workW = pick(0, 3) == 0 ? pick(1, 3 * W * bands) : 3 * W * bands;
    const int workH = pick(0, 3) == 0 ? pick(1, 2 * H) : H;
    const int outW = pick(0, 3) == 0 ? pick(1, 2 * W) : W;
    const int outH = pick(0, 3) == 0 ? pick(1, 2 * H) : H;
    imagewin::resetImageWindows();
    setUp(pitch, V, W, H, bands, workW, workH, outW, outH, i);
    if (HasFatalFailure()) return;
    char what[160];
    std::snprintf(what, sizeof what, "pitch %.17g V %d W %d H %d bands %d work %dx%d out %dx%d",
                  pitch, V, W, H, bands, workW, workH, outW, outH);
    expectBothMethodsSame(what);
  }
}

// ---- The work image ---------------------------------------------------------------------

class WorkImage : public Composition {
 protected:
  static void setUpBuild(int W, int H, int bands, int mvW, int mvH, int workW, int workH,
                         uint32_t seed = 5) {
    app::Width = W;
    app::Height = H;
    app::builtViewCount = bands;
    ASSERT_EQ(TAV_CreateImageFL(0, "other", 0, 0, 4, 4, 100), 0);
    ASSERT_EQ(TAV_CreateImageFL(kMultiViewImage, "mv", 0, 0, mvW, mvH, 1), 0);
    ASSERT_EQ(TAV_CreateImageFL(kWorkImage, "work", 0, 0, workW, workH, 1), 0);
    fillRandom(kMultiViewImage, seed);
    fillRandom(kWorkImage, seed + 1);
    TAV_SelectImage(0);
  }
  static void expectBuildSame(int viewWidth, int viewHeight, const std::string& what) {
    const Outcome start = capture();
    app::buildWorkImageStraight(viewWidth, viewHeight);
    const Outcome expected = capture();
    restore(start);
    app::BuildWorkImage(viewWidth, viewHeight);
    const Outcome got = capture();
    EXPECT_EQ(firstDifference(expected.work, got.work, ImageTable[kWorkImage].width), "") << what;
    EXPECT_EQ(expected.history, got.history) << what;
    EXPECT_EQ(expected.current, got.current) << what;
    EXPECT_EQ(expected.pen, got.pen) << what;
  }
};

TEST_F(WorkImage, EachBandIsItsViewStretchedByTruncation) {
  // Two views of 4 x 2 side by side, stretched to 3W = 6 columns and H = 4 rows.
  setUpBuild(2, 4, 2, 8, 2, 12, 4);
  if (HasFatalFailure()) return;
  for (int i = 0; i < 16; ++i) pixels(kMultiViewImage)[i] = 0x000100 * (i / 8) + (i % 8);
  for (auto build : {app::buildWorkImageStraight, app::BuildWorkImage}) {
    std::fill(pixels(kWorkImage), pixels(kWorkImage) + 48, 0x00FFFFFFu);
    build(4, 2);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < 12; ++x) {
        // Source column trunc(x * 4 / 6), row trunc(y * 2 / 4).
        const uint32_t expected = 0x000100 * (y / 2) + (x * 4 / 6);
        ASSERT_EQ(pixels(kWorkImage)[y * 12 + x], expected) << x << ", " << y;
      }
    }
  }
}

TEST_F(WorkImage, FastBuildMatchesTheStraightOne) {
  struct Case {
    const char* what;
    int W, H, bands, mvW, mvH, workW, workH, viewWidth, viewHeight;
  };
  const Case cases[] = {
      {"defaults", 800, 480, 7, 7 * 320, 240, 3 * 800 * 7, 480, 320, 240},
      {"largest", 1920, 1240, 2, 2 * 1000, 700, 3 * 1920 * 2, 1240, 1000, 700},
      {"many views", 10, 7, 180, 180 * 3, 5, 3 * 10 * 180, 7, 3, 5},
      // Views narrower than their bands, each pixel over a run of about 29 or 8.
      {"long runs", 1920, 9, 3, 3 * 200, 9, 3 * 1920 * 3, 9, 200, 9},
      {"runs of about eight", 100, 5, 2, 2 * 37, 5, 600, 5, 37, 5},
      {"views wider than the image", 20, 10, 4, 50, 10, 240, 10, 30, 10},
      {"views taller than the image", 20, 10, 4, 80, 6, 240, 10, 20, 13},
      {"negative view size", 20, 10, 4, 80, 10, 240, 10, -20, -10},
      {"work smaller", 20, 10, 4, 80, 10, 100, 6, 20, 10},
      {"work larger", 20, 10, 4, 80, 10, 400, 15, 20, 10},
      {"no width", 0, 10, 4, 80, 10, 240, 10, 20, 10},
      {"no height", 20, 0, 4, 80, 10, 240, 10, 20, 10},
  };
  for (const Case& c : cases) {
    imagewin::resetImageWindows();
    setUpBuild(c.W, c.H, c.bands, c.mvW, c.mvH, c.workW, c.workH);
    if (HasFatalFailure()) return;
    expectBuildSame(c.viewWidth, c.viewHeight, c.what);
  }
}

TEST_F(WorkImage, NothingIsBuiltWithoutBandsOrWithoutTheImages) {
  setUpBuild(4, 4, 0, 8, 4, 24, 4);
  if (HasFatalFailure()) return;
  const Outcome start = capture();
  app::BuildWorkImage(4, 4);
  app::buildWorkImageStraight(4, 4);
  EXPECT_EQ(capture().work, start.work);
  EXPECT_EQ(CurrentImage, 0);
  app::builtViewCount = 2;
  TAV_DestroyImage(kMultiViewImage);
  app::BuildWorkImage(4, 4);
  EXPECT_EQ(capture().work, start.work);
}

}  // namespace
