// Composing straight from the views, through the resampling index: the picture the
// work image would give, without the work image.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "compose/compose_pixels.h"
#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/test.h"

namespace {

using app::kMultiViewImage;
using app::kOutputImage;
using app::kWorkImage;

std::vector<uint32_t> noise(size_t count, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> v(count);
  for (uint32_t& p : v) p = rng() & 0x00FFFFFFu;
  return v;
}

uint32_t* pixelsOf(int n) {
  return reinterpret_cast<uint32_t*>(ImagePixels[n]);
}
std::vector<uint32_t> pictureOf(int n) {
  return {pixelsOf(n),
          pixelsOf(n) + static_cast<size_t>(ImageTable[n].width) * ImageTable[n].height};
}

// Where two pictures first differ, for a readable failure.
std::string firstDifference(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b,
                            int width) {
  if (a.size() != b.size()) return "sizes differ";
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i] != b[i]) {
      return "pixel (" + std::to_string(i % width) + ", " + std::to_string(i / width) + ")";
    }
  }
  return "";
}

struct Setting {
  double pitch;
  int V, W, H;
  int mvW, mvH;               // the multi-view picture
  int viewWidth, viewHeight;  // the view size the work image is built with
};

std::string describe(const Setting& s) {
  char text[160];
  std::snprintf(text, sizeof text, "pitch %.17g V %d W %d H %d views %dx%d view %dx%d", s.pitch,
                s.V, s.W, s.H, s.mvW, s.mvH, s.viewWidth, s.viewHeight);
  return text;
}

class ViewsCompose : public testing::Test {
 protected:
  void SetUp() override {
    resetLibrary();
    // Work images of 180 bands are far wider than a screen; a big one lets their
    // windows open.
    plat::test::pinScreenSize(12000, 12000);
  }
  void TearDown() override { resetLibrary(); }

  // The player's windows at setting s, with noise in the views and the output.
  static void openWindows(const Setting& s, uint32_t seed) {
    imagewin::resetImageWindows();
    app::Pitch = s.pitch;
    app::View_num = s.V;
    app::Width = s.W;
    app::Height = s.H;
    app::builtViewCount = s.V;
    ASSERT_EQ(TAV_CreateImageFL(kMultiViewImage, "mv", 0, 0, s.mvW, s.mvH, 1), 0);
    ASSERT_EQ(TAV_CreateImageFL(kOutputImage, "out", 0, 0, s.W, s.H, 1), 0);
    const std::vector<uint32_t> views = noise(static_cast<size_t>(s.mvW) * s.mvH, seed);
    std::copy(views.begin(), views.end(), pixelsOf(kMultiViewImage));
    const std::vector<uint32_t> old = noise(static_cast<size_t>(s.W) * s.H, seed + 1);
    std::copy(old.begin(), old.end(), pixelsOf(kOutputImage));
  }

  // The oracle is the work image built and composed pixel by pixel; then, with the
  // work window closed, the same composition from the same start reads the views.
  static void expectSameAsStraight(const Setting& s, uint32_t seed) {
    for (bool beta : {false, true}) {
      SCOPED_TRACE(describe(s) + (beta ? " beta" : " stable"));
      openWindows(s, seed);
      if (testing::Test::HasFatalFailure()) return;
      const std::vector<uint32_t> start = pictureOf(kOutputImage);
      ASSERT_EQ(TAV_CreateImageFL(kWorkImage, "work", 0, 0, 3 * s.W * s.V, s.H, 1), 0);
      app::buildWorkImageStraight(s.viewWidth, s.viewHeight);
      beta ? app::composeBetaStraight() : app::composeStableStraight();
      const std::vector<uint32_t> expected = pictureOf(kOutputImage);
      const plat::Point pen = PenPosition;

      TAV_DestroyImage(kWorkImage);
      std::copy(start.begin(), start.end(), pixelsOf(kOutputImage));
      app::BuildWorkImage(s.viewWidth, s.viewHeight);  // no window: the view size is kept
      beta ? app::ComposeBeta() : app::ComposeStable();
      EXPECT_EQ(firstDifference(expected, pictureOf(kOutputImage), s.W), "");
      EXPECT_EQ(PenPosition, pen);
    }
  }
};

TEST_F(ViewsCompose, MatchesTheStraightCompositionOverRandomSettings) {
  std::mt19937 rng(180);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  for (int i = 0; i < 60; ++i) {
    Setting s;
    s.V = pick(0, 3) == 0 ? 180 : pick(2, 40);
    s.W = pick(1, 30);
    s.H = pick(1, 20);
    s.pitch = pick(0, 5) == 0 ? -std::uniform_real_distribution<double>(0, 9)(rng)
                              : std::uniform_real_distribution<double>(0, 60)(rng);
    const int frameWidth = pick(1, 9);
    s.mvW = s.V * frameWidth + pick(0, 1) * pick(1, frameWidth);  // a part view at the end
    s.mvH = pick(1, 30);
    s.viewWidth = s.mvW / s.V;
    s.viewHeight = s.mvH;
    // Now and then a view size the picture does not hold: reads outside are black.
    if (pick(0, 6) == 0) s.viewWidth += pick(1, 5);
    if (pick(0, 6) == 0) s.viewHeight += pick(1, 5);
    expectSameAsStraight(s, i);
    if (HasFatalFailure()) return;
  }
}

TEST_F(ViewsCompose, MatchesTheStraightCompositionAtThePlayersDefaults) {
  expectSameAsStraight({17.319, 7, 800, 480, 7 * 64, 48, 64, 48}, 3);
}

TEST_F(ViewsCompose, ReadsOnlyThirtyTwoBitViews) {
  openWindows({17.319, 4, 10, 6, 40, 6, 10, 6}, 5);
  if (HasFatalFailure()) return;
  app::BuildWorkImage(10, 6);
  const std::vector<uint32_t> start = pictureOf(kOutputImage);
  TAV_DestroyImage(kMultiViewImage);
  ASSERT_EQ(TAV_CreateImage8FL(kMultiViewImage, "mv8", 0, 0, 40, 6, 1), 0);
  TAV_SelectImage(kOutputImage);
  app::ComposeStable();
  app::ComposeBeta();
  EXPECT_EQ(pictureOf(kOutputImage), start);
  EXPECT_EQ(CurrentImage, kOutputImage);
}

// ---- On buffers, at sizes no window can hold ------------------------------------------

// The views composed through the index against the work image built and composed on
// buffers; those two steps are held to the straight ones in compose_test.
void expectBuffersSame(const Setting& s, uint32_t seed) {
  const std::vector<uint32_t> views = noise(static_cast<size_t>(s.mvW) * s.mvH, seed);
  const compose::WorkResampling r{
      {views.data(), s.mvW, s.mvH}, s.viewWidth, s.viewHeight, s.W, s.H, s.V};
  std::vector<uint32_t> work(static_cast<size_t>(3) * s.W * s.V * s.H);
  compose::buildWorkPixels(r.multiView, {work.data(), 3 * s.W * s.V, s.H}, s.viewWidth,
                           s.viewHeight, s.W, s.H, s.V);
  const compose::ConstPixelBuffer workBuffer{work.data(), 3 * s.W * s.V, s.H};
  const compose::LentiParams p{s.pitch, s.V, s.W, s.H};
  const std::vector<uint32_t> start = noise(static_cast<size_t>(s.W) * s.H, seed + 1);
  for (bool beta : {false, true}) {
    SCOPED_TRACE(describe(s) + (beta ? " beta" : " stable"));
    std::vector<uint32_t> expected = start, got = start;
    if (beta) {
      compose::composeBetaPixels(workBuffer, {expected.data(), s.W, s.H}, p);
      compose::composeBetaPixels(r, {got.data(), s.W, s.H}, p);
    } else {
      const int64_t stripes =
          compose::composeStablePixels(workBuffer, {expected.data(), s.W, s.H}, p, s.V);
      EXPECT_EQ(compose::composeStablePixels(r, {got.data(), s.W, s.H}, p), stripes);
    }
    EXPECT_EQ(firstDifference(expected, got, s.W), "");
  }
}

TEST(ViewsComposeBuffers, MatchAtOneHundredEightyViewsOnTheWidestPicture) {
  // 3 W V = 1036800 work columns; four row groups and a row left over.
  expectBuffersSame({17.319, 180, 1920, 13, 180 * 32, 24, 32, 24}, 1);
  expectBuffersSame({-2.5, 180, 1920, 13, 180 * 32 + 7, 24, 32, 24}, 2);
}

TEST(ViewsComposeBuffers, MatchOnTwoThreads) {
  // Big enough for both methods to split the row groups over a second thread.
  expectBuffersSame({17.319, 20, 1920, 150, 20 * 64, 48, 64, 48}, 3);
  expectBuffersSame({-40.3, 20, 1920, 151, 20 * 64, 48, 64, 48}, 4);
}

}  // namespace
