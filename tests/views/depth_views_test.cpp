// Views from a picture and its depth map: the identities every warp must keep, the rule
// for gaps at edges, no cracks on slopes, and the depth maps that are refused.
#include "views/depth_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "pixels/pixels.h"

namespace {

constexpr int kW = 60, kH = 4;

std::vector<uint32_t> noise(int w, int h, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (uint32_t& c : p) c = rng() & 0xFFFFFF;
  return p;
}

views::DepthMap depthOf(int w, int h, float (*z)(int x)) {
  views::DepthMap d{std::vector<float>(static_cast<size_t>(w) * h), w, h};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) d.z[static_cast<size_t>(y) * w + x] = z(x);
  }
  return d;
}

uint32_t viewPixel(const compose::MultiViewPicture& v, int k, int x, int y) {
  return v.pixels[static_cast<size_t>(y) * v.width + k * kW + x];
}

int red(uint32_t c) {
  return static_cast<int>(c >> 16 & 0xFF);
}

TEST(DepthViews, IdentitiesOfTheWarp) {
  const std::vector<uint32_t> picture = noise(kW, kH, 1);
  const compose::ConstPixelBuffer in{picture.data(), kW, kH};
  const views::DepthMap bumpy =
      depthOf(kW, kH, [](int x) { return 0.5f + 0.5f * std::sin(x * 0.7f); });
  const views::DepthMap flat = depthOf(kW, kH, [](int) { return 1.0f; });
  // No disparity: V copies, whatever the depth.
  {
    const auto v = views::viewsFromDepth(in, bumpy, {5, 0.0, 0.5});
    for (int k = 0; k < 5; ++k) {
      for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) ASSERT_EQ(viewPixel(v, k, x, y), picture[y * kW + x]) << k;
      }
    }
  }
  // The middle view of an odd V is the picture itself, at any disparity and focus.
  for (double focus : {0.0, 0.3, 1.0}) {
    const auto v = views::viewsFromDepth(in, bumpy, {7, 23.0, focus});
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) ASSERT_EQ(viewPixel(v, 3, x, y), picture[y * kW + x]) << focus;
    }
  }
  // A flat depth map shifts the whole picture: view k by (1 - F) D (0.5 - k / (V - 1)),
  // whole pixels here (D 8, F 0, V 5: +4, +2, 0, -2, -4); the edge it uncovers repeats
  // the nearest column.
  const auto v = views::viewsFromDepth(in, flat, {5, 8.0, 0.0});
  for (int k = 0; k < 5; ++k) {
    const int shift = 4 - 2 * k;
    for (int y = 0; y < kH; ++y) {
      for (int x = 0; x < kW; ++x) {
        const int from = std::clamp(x - shift, 0, kW - 1);
        ASSERT_EQ(viewPixel(v, k, x, y), picture[y * kW + from]) << k << " " << x;
      }
    }
  }
}

TEST(DepthViews, HalfPixelShiftsInterpolate) {
  std::vector<uint32_t> ramp(kW);
  for (int x = 0; x < kW; ++x) ramp[x] = static_cast<uint32_t>(4 * x) << 16;
  const views::DepthMap flat = depthOf(kW, 1, [](int) { return 1.0f; });
  std::vector<uint32_t> out(kW);
  views::warpView({ramp.data(), kW, 1}, flat, 1.5, 0.0, {out.data(), kW, 1});  // 1.5 to the right
  for (int x = 2; x < kW; ++x) EXPECT_EQ(red(out[x]), 4 * x - 6) << x;
}

// A foreground (near, right half) before a background (far, left half). Seen from the
// left the foreground moves right and opens a gap at its edge, filled from the
// background; seen from the right it moves over the background and hides it.
TEST(DepthViews, GapsAtEdgesAreFilledFromTheFartherSide) {
  std::vector<uint32_t> picture(kW);
  for (int x = 0; x < kW; ++x) picture[x] = x < 30 ? 0x000010u + x : 0xFF0000u + x;
  const views::DepthMap step = depthOf(kW, 1, [](int x) { return x < 30 ? 0.0f : 1.0f; });
  std::vector<uint32_t> out(kW);
  views::warpView({picture.data(), kW, 1}, step, 10.0, 0.5, {out.data(), kW, 1});
  // Background 5 to the left, foreground 5 to the right: columns 25..34 are the gap.
  for (int x = 0; x < 25; ++x) EXPECT_EQ(out[x], picture[x + 5]) << x;
  for (int x = 25; x < 35; ++x) EXPECT_EQ(out[x], picture[29]) << x;  // the background's edge
  for (int x = 35; x < kW; ++x) EXPECT_EQ(out[x], picture[x - 5]) << x;
  views::warpView({picture.data(), kW, 1}, step, -10.0, 0.5, {out.data(), kW, 1});
  for (int x = 25; x < 55; ++x) EXPECT_EQ(out[x], picture[x + 5]) << x;  // the foreground wins
}

// A smoothed edge: the pixel between the two surfaces mixes their colours and depths.
// Torn off both, it must not be drawn across the gap.
TEST(DepthViews, AMixedEdgePixelIsNotDrawnAcrossTheGap) {
  std::vector<uint32_t> picture(kW);
  for (int x = 0; x < kW; ++x)
    picture[x] = x < 30 ? 0x000010u + x : x == 30 ? 0x800040u : 0xFF0000u + x;
  const views::DepthMap step = depthOf(kW, 1, [](int x) {
    return x < 30 ? 0.0f : x == 30 ? 0.5f : 1.0f;
  });
  std::vector<uint32_t> out(kW);
  views::warpView({picture.data(), kW, 1}, step, 10.0, 0.5, {out.data(), kW, 1});
  for (int x = 25; x < 36; ++x) EXPECT_EQ(out[x], picture[29]) << x;
}

TEST(DepthViews, SlopesStretchWithoutCracks) {
  // A red ramp on a tilted plane: a stretched view shows every column distinct and in
  // order; a crack filled by copying would repeat one.
  std::vector<uint32_t> picture(kW);
  for (int x = 0; x < kW; ++x) picture[x] = static_cast<uint32_t>(4 * x) << 16;
  const views::DepthMap tilted = depthOf(kW, 1, [](int x) { return x / float(kW - 1); });
  std::vector<uint32_t> out(kW);
  views::warpView({picture.data(), kW, 1}, tilted, 40.0, 0.5, {out.data(), kW, 1});  // 1.68x
  for (int x = 1; x < kW - 1; ++x) EXPECT_LT(red(out[x]), red(out[x + 1])) << x;
}

TEST(DepthViews, DepthMapsAreGreyAndOfThePicturesShape) {
  std::string refusal;
  std::vector<uint32_t> grey(8 * 4, 0x808080);
  grey[5] = 0x7F8185;  // a JPEG's noise is grey enough
  const views::DepthMap same = views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 4, refusal);
  EXPECT_EQ(refusal, "");
  ASSERT_EQ(same.z.size(), 32u);
  EXPECT_FLOAT_EQ(same.z[0], 128 / 255.0f);
  const views::DepthMap doubled = views::depthFromGreyPicture({grey.data(), 8, 4}, 16, 8, refusal);
  EXPECT_EQ(refusal, "");
  EXPECT_EQ(doubled.z.size(), 128u);
  // A 16-bit map's levels are taken over its words' 8 bits.
  std::vector<uint16_t> fine(8 * 4, 32960);
  fine[31] = 65535;
  const views::DepthMap sixteen =
      views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 4, refusal, fine.data());
  ASSERT_EQ(sixteen.z.size(), 32u);
  EXPECT_EQ(sixteen.z[0], 32960 / 65535.0f);
  EXPECT_EQ(sixteen.z[31], 1.0f);

  views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 8, refusal);
  EXPECT_EQ(refusal, "the depth map is 8 x 4 and the picture 8 x 8: not the same shape");
  grey[9] = 0x80A080;
  const views::DepthMap colour = views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 4, refusal);
  EXPECT_EQ(refusal, "the depth map is not grey: its pixel (1, 1) is #80A080");
  EXPECT_TRUE(colour.z.empty());
  // A movie's depth half may have a little colour (its luma is the depth), not more.
  const views::DepthMap bled =
      views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 4, refusal, nullptr, 1.0 / 32);
  EXPECT_EQ(refusal, "");
  ASSERT_EQ(bled.z.size(), 32u);
  EXPECT_FLOAT_EQ(bled.z[9], pixels::luma(0x80A080) / 255.0f);
  grey[10] = 0x80A080;
  views::depthFromGreyPicture({grey.data(), 8, 4}, 8, 4, refusal, nullptr, 1.0 / 32);
  EXPECT_EQ(refusal, "the depth map is not grey: its pixel (1, 1) is #80A080");
}

}  // namespace

namespace {

// A 3-pixel post (centres 10..12, so it spans 9.5 to 12.5) at depth 1 before a
// background at 0, moved by fractions of a pixel: it covers the targets whose centres
// lie within its moved span, no fewer on either side.
TEST(DepthViews, ThinThingsKeepTheirWidthAtFractionalShifts) {
  constexpr uint32_t kBack = 0x202020, kPost = 0xE0E0E0;
  std::vector<uint32_t> row(kW, kBack);
  for (int x = 10; x <= 12; ++x) row[x] = kPost;
  const views::DepthMap depth =
      depthOf(kW, 1, [](int x) { return x >= 10 && x <= 12 ? 1.f : 0.f; });
  for (double shift : {4.4, 4.7, -3.3, -3.6}) {
    std::vector<uint32_t> out(kW);
    views::warpView({row.data(), kW, 1}, depth, shift, 0.0, {out.data(), kW, 1});
    const double from = 9.5 + shift, to = 12.5 + shift;
    for (int t = 0; t < kW; ++t) {
      EXPECT_EQ(out[t], t > from && t < to ? kPost : kBack) << "shift " << shift << " target " << t;
    }
  }
}

}  // namespace
