// The fast views from a depth map are held to the straight warp bit for bit: random
// pictures over depth maps of every kind the warp meets (slopes that stretch and fold,
// steps that open gaps, noise that tears pixels off, depths that tie), sizes down to one
// pixel, either sign of disparity, any focus. Storage reused from call to call gives the
// views fresh storage gives.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "views/depth_views.h"

namespace {

enum class Relief { kNoise, kHills, kSteps, kLevels, kFlat };

views::DepthMap reliefOf(Relief kind, int w, int h, std::mt19937& rng) {
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const float phase = unit(rng) * 6.0f, height = unit(rng), level = unit(rng);
  views::DepthMap d{std::vector<float>(static_cast<size_t>(w) * h), w, h};
  float step = level;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      float& z = d.z[static_cast<size_t>(y) * w + x];
      if (kind == Relief::kNoise) z = unit(rng);
      if (kind == Relief::kHills) z = 0.5f + 0.5f * height * std::sin(phase + 0.3f * x + 0.2f * y);
      if (kind == Relief::kSteps && rng() % 6 == 0) step = unit(rng);  // a slope between
      if (kind == Relief::kSteps) z = std::clamp(step + 0.01f * (x % 7), 0.0f, 1.0f);
      if (kind == Relief::kLevels) z = static_cast<float>(rng() % 4 * 85) / 255.0f;
      if (kind == Relief::kFlat) z = level;
    }
  }
  return d;
}

// The first pixel where two multi-view pictures differ, as text; empty when they agree.
std::string firstDifference(const compose::MultiViewPicture& a,
                            const compose::MultiViewPicture& b) {
  if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size())
    return "sizes differ";
  for (size_t i = 0; i < a.pixels.size(); ++i) {
    if (a.pixels[i] != b.pixels[i]) {
      return "at (" + std::to_string(i % a.width) + ", " + std::to_string(i / a.width) +
             "): " + std::to_string(a.pixels[i]) + " against " + std::to_string(b.pixels[i]);
    }
  }
  return "";
}

// Words with their top byte set too: a copied pixel keeps it, a blended one does not.
std::vector<uint32_t> noise(int w, int h, std::mt19937& rng) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (uint32_t& c : p) c = rng() % 5 ? rng() & 0xFFFFFF : rng();
  return p;
}

TEST(FastViews, SameAsTheStraightWarpBitForBit) {
  struct Case {
    int width, height, views;
    double disparity, focus;
  };
  const Case cases[] = {
      {1, 1, 2, 5.0, 0.5},
      {2, 1, 3, -4.0, 0.0},
      {3, 2, 8, 9.0, 1.0},
      {4, 1, 5, 1.5, 0.5},
      {5, 3, 8, 2.4, 0.5},
      {7, 2, 9, -13.0, 0.37},
      {64, 4, 8, 1.28, 0.5},
      {97, 3, 5, -30.0, 0.2},
      {131, 2, 8, 60.0, 0.8},
      {256, 2, 2, 0.5, 1.0},
      {33, 3, 8, 300.0, 0.5},
      {50, 2, 4, 0.0, 0.5},
      {120, 3, 6, -2.6, 0.6},
      {9, 4, 7, 3.0, 0.25},
      // Whole-pixel shifts: neighbours at depths 1 and 0 land on one target.
      {24, 3, 3, 2.0, 0.0},
  };
  std::mt19937 rng(7);
  for (const Case& c : cases) {
    for (Relief kind :
         {Relief::kNoise, Relief::kHills, Relief::kSteps, Relief::kLevels, Relief::kFlat}) {
      const std::vector<uint32_t> picture = noise(c.width, c.height, rng);
      const views::DepthMap depth = reliefOf(kind, c.width, c.height, rng);
      const compose::ConstPixelBuffer in{picture.data(), c.width, c.height};
      const views::DepthParams p{c.views, c.disparity, c.focus};
      EXPECT_EQ(firstDifference(views::viewsFromDepth(in, depth, p),
                                views::viewsFromDepthStraight(in, depth, p)),
                "")
          << c.width << " x " << c.height << ", " << c.views << " views, disparity " << c.disparity
          << ", focus " << c.focus << ", relief " << static_cast<int>(kind);
    }
  }
}

TEST(FastViews, ReusedStorageGivesTheViewsOfFreshStorage) {
  struct Call {
    int width, height, views;
  };
  // Larger, smaller, larger again: nothing of an earlier call may show.
  const Call calls[] = {{40, 6, 8}, {13, 3, 5}, {40, 6, 8}, {40, 6, 8}, {41, 6, 8}};
  std::mt19937 rng(11);
  compose::MultiViewPicture reused;
  reused.unreadFrames = {2};
  for (const Call& c : calls) {
    const std::vector<uint32_t> picture = noise(c.width, c.height, rng);
    const views::DepthMap depth = reliefOf(Relief::kSteps, c.width, c.height, rng);
    const compose::ConstPixelBuffer in{picture.data(), c.width, c.height};
    const views::DepthParams p{c.views, 7.0, 0.5};
    const uint32_t* storage = reused.pixels.data();
    const bool sameSize = reused.pixels.size() == static_cast<size_t>(c.width) * c.height * c.views;
    ASSERT_TRUE(views::viewsFromDepthInto(in, depth, p, reused));
    EXPECT_EQ(firstDifference(reused, views::viewsFromDepthStraight(in, depth, p)), "")
        << c.width << " x " << c.height;
    EXPECT_TRUE(reused.unreadFrames.empty());
    if (sameSize) {
      EXPECT_EQ(reused.pixels.data(), storage) << "the storage of the same size is kept";
    }
  }
}

}  // namespace
