// Views from a stereo pair, on a scene rendered here with known disparities: a textured
// plane before a textured background. The disparities found, the views between the eyes
// against the true ones, the mirror symmetry of the eyes, and the pictures of MPO files.
#include "views/stereo_views.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "views/mpo.h"

namespace {

constexpr int kW = 160, kH = 48;
// The background lies behind the panel's plane, the plane before it; columns of the
// plane in the middle view.
constexpr int kFar = -4, kNear = 12, kPlaneFrom = 60, kPlaneTo = 100;

// A texture smooth over two pixels, different for each layer, defined at every column.
uint32_t texture(int layer, int x, int y) {
  auto grain = [&](int gx) {
    uint32_t h = static_cast<uint32_t>(gx) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u ^
                 static_cast<uint32_t>(layer) * 83492791u;
    h ^= h >> 13, h *= 0x5bd1e995u, h ^= h >> 15;
    return h & 0xFFFFFF;
  };
  const int g = x >= 0 ? x / 2 : (x - 1) / 2;
  if (x - 2 * g == 0) return grain(g);
  const uint32_t a = grain(g), b = grain(g + 1);
  uint32_t mixed = 0;
  for (int shift : {0, 8, 16}) mixed |= (((a >> shift & 0xFF) + (b >> shift & 0xFF)) / 2) << shift;
  return mixed;
}

// The scene seen from position a (0 the left eye, 1 the right): a point of disparity d
// at middle column x lies at x + d (0.5 - a). Shifts are whole pixels at a = k / 4.
std::vector<uint32_t> sceneView(double a, bool mirror = false) {
  std::vector<uint32_t> p(static_cast<size_t>(kW) * kH);
  const int near = static_cast<int>(std::lround(kNear * (0.5 - a)));
  const int far = static_cast<int>(std::lround(kFar * (0.5 - a)));
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < kW; ++x) {
      const int onPlane = x - near;
      p[static_cast<size_t>(y) * kW + (mirror ? kW - 1 - x : x)] =
          onPlane >= kPlaneFrom && onPlane < kPlaneTo ? texture(1, onPlane, y)
                                                      : texture(0, x - far, y);
    }
  }
  return p;
}

std::vector<uint32_t> viewOf(const compose::MultiViewPicture& v, int k, bool mirror = false) {
  const int w = v.width / (v.width / kW);
  std::vector<uint32_t> p(static_cast<size_t>(w) * kH);
  for (int y = 0; y < kH; ++y) {
    for (int x = 0; x < w; ++x) {
      p[static_cast<size_t>(y) * w + (mirror ? w - 1 - x : x)] =
          v.pixels[static_cast<size_t>(y) * v.width + static_cast<size_t>(k) * w + x];
    }
  }
  return p;
}

double psnr(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  double squares = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    for (int shift : {0, 8, 16}) {
      const double d = static_cast<double>(a[i] >> shift & 0xFF) - (b[i] >> shift & 0xFF);
      squares += d * d;
    }
  }
  const double mse = squares / (3.0 * a.size());
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

struct Scene {
  std::vector<uint32_t> left = sceneView(0), right = sceneView(1);
  compose::ConstPixelBuffer l() const { return {left.data(), kW, kH}; }
  compose::ConstPixelBuffer r() const { return {right.data(), kW, kH}; }
};

TEST(StereoViews, DisparitiesFoundAreTheScenes) {
  const Scene s;
  const views::DisparityMaps d = views::disparityOfPair(s.l(), s.r());
  ASSERT_FALSE(d.empty());
  // The left eye sees the plane 6 columns right of the middle, the right eye 6 left.
  int right = 0, total = 0;
  for (int eye = 0; eye < 2; ++eye) {
    const int shift = eye == 0 ? kNear / 2 : -kNear / 2;
    const std::vector<float>& map = eye == 0 ? d.left : d.right;
    for (int y = 4; y < kH - 4; ++y) {
      for (int x = 4; x < kW - 4; ++x) {
        const int truth = x - shift >= kPlaneFrom && x - shift < kPlaneTo ? kNear : kFar;
        right += std::fabs(map[static_cast<size_t>(y) * kW + x] - truth) <= 1.0f;
        ++total;
      }
    }
  }
  EXPECT_GT(right, 0.95 * total) << right << " of " << total;
}

// The views between the eyes against the scene's own, and the eyes themselves as the
// outermost views.
TEST(StereoViews, ViewsBetweenTheEyesMatchTheScene) {
  const Scene s;
  const views::DisparityMaps d = views::disparityOfPair(s.l(), s.r());
  const compose::MultiViewPicture v = views::viewsFromPair(s.l(), s.r(), d, 5);
  ASSERT_EQ(v.width, 5 * kW);
  EXPECT_EQ(viewOf(v, 0), s.left);
  EXPECT_EQ(viewOf(v, 4), s.right);
  for (int k = 1; k < 4; ++k) {
    const double db = psnr(viewOf(v, k), sceneView(k / 4.0));
    EXPECT_GE(db, 30.0) << "view " << k;
    // Warping the wrong way, or from one eye only, falls far below.
    EXPECT_GT(db, psnr(s.left, sceneView(k / 4.0)) + 10) << "view " << k;
  }
}

// Where the eyes see one surface with different brightness, each view takes it from
// both, the nearer eye counting more: the brightness moves evenly from eye to eye.
TEST(StereoViews, TheNearerEyeCountsMore) {
  auto dimmed = [](std::vector<uint32_t> p, uint32_t lift) {
    for (uint32_t& c : p) {
      uint32_t out = 0;
      for (int shift : {0, 8, 16}) out |= ((c >> shift & 0xFF) * 3 / 4 + lift) << shift;
      c = out;
    }
    return p;
  };
  const std::vector<uint32_t> left = dimmed(sceneView(0), 0), right = dimmed(sceneView(1), 32);
  const compose::ConstPixelBuffer l{left.data(), kW, kH}, r{right.data(), kW, kH};
  const compose::MultiViewPicture v = views::viewsFromPair(l, r, views::disparityOfPair(l, r), 5);
  for (int k = 1; k < 4; ++k) {
    const std::vector<uint32_t> made = viewOf(v, k), truth = dimmed(sceneView(k / 4.0), 0);
    double lift = 0;
    for (size_t i = 0; i < made.size(); ++i) {
      lift += static_cast<double>(made[i] >> 8 & 0xFF) - (truth[i] >> 8 & 0xFF);
    }
    EXPECT_NEAR(lift / made.size(), 32.0 * k / 4, 3.0) << "view " << k;
  }
}

// Mirroring both pictures and swapping the eyes mirrors every view and reverses their
// order.
TEST(StereoViews, SwappingMirroredEyesMirrorsTheViews) {
  const Scene s;
  const std::vector<uint32_t> left = sceneView(1, true), right = sceneView(0, true);
  const compose::ConstPixelBuffer l{left.data(), kW, kH}, r{right.data(), kW, kH};
  const compose::MultiViewPicture v =
      views::viewsFromPair(s.l(), s.r(), views::disparityOfPair(s.l(), s.r()), 5);
  const compose::MultiViewPicture m = views::viewsFromPair(l, r, views::disparityOfPair(l, r), 5);
  for (int k = 0; k < 5; ++k) EXPECT_GE(psnr(viewOf(m, k, true), viewOf(v, 4 - k)), 40.0) << k;
}

// The matcher has its own limits on small pictures: every size still makes views.
TEST(StereoViews, PairsOfAnySizeMakeViews) {
  for (const auto& [w, h] : {std::pair{1, 1}, {1, 5}, {2, 1}, {7, 3}}) {
    const std::vector<uint32_t> left(static_cast<size_t>(w) * h, 0x123456),
        right(left.size(), 0x654321);
    const compose::ConstPixelBuffer l{left.data(), w, h}, r{right.data(), w, h};
    const views::DisparityMaps d = views::disparityOfPair(l, r);
    ASSERT_EQ(d.left.size(), left.size()) << w << " x " << h;
    const compose::MultiViewPicture v = views::viewsFromPair(l, r, d, 3);
    ASSERT_EQ(v.pixels.size(), 3 * left.size()) << w << " x " << h;
    EXPECT_EQ(v.pixels[0], 0x123456u) << w << " x " << h;
    EXPECT_EQ(v.pixels[2 * w], 0x654321u) << w << " x " << h;
  }
}

TEST(StereoViews, DepthScaleHoldsEveryDisparityAndThePanelsPlane) {
  const struct {
    std::vector<float> left, right;
    double disparity, focus;
  } cases[] = {
      {{-4, 0, 12}, {-4, 6, 3}, 16, 0.25},  // both sides of the plane
      {{3, 10, 5}, {4, 4, 4}, 10, 0},       // all before it: F 0 keeps 0 among them
      {{-8, -2, -5}, {-3, -3, -3}, 8, 1},   // all behind it
      {{0, 0, 0}, {0, 0, 0}, 1, 0},         // flat: D at least a pixel
  };
  for (const auto& c : cases) {
    const views::DisparityMaps d{c.left, c.right, 3, 1};
    const views::DepthScale scale = views::depthScaleOf(d);
    EXPECT_DOUBLE_EQ(scale.disparity, c.disparity);
    EXPECT_DOUBLE_EQ(scale.focus, c.focus);
    const views::DepthMap z = views::depthOfDisparity(c.left, 3, 1, scale);
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR((z.z[i] - scale.focus) * scale.disparity, c.left[i], 1e-5) << i;
    }
  }
}

// Hand-made JPEG structures (the walk reads markers, not pictures): a start marker, a
// segment, a scan whose coded data holds a stuffed 0xFF and a restart, an end marker.
std::vector<uint8_t> jpeg(const std::vector<uint8_t>& inside = {}) {
  std::vector<uint8_t> b = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x4A, 0x46};
  if (!inside.empty()) {  // an APP1 segment holding other bytes (a thumbnail)
    const size_t length = inside.size() + 2;
    b.insert(b.end(),
             {0xFF, 0xE1, static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length)});
    b.insert(b.end(), inside.begin(), inside.end());
  }
  b.insert(b.end(), {0xFF, 0xDA, 0x00, 0x03, 0x01, 0x12, 0xFF, 0x00, 0x34, 0xFF, 0xD0, 0x56});
  b.insert(b.end(), {0xFF, 0xD9});
  return b;
}

std::vector<uint8_t> operator+(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST(Mpo, PicturesAreFoundByTheirSegments) {
  const std::vector<uint8_t> one = jpeg(), thumbed = jpeg(jpeg()), gap = {0x00, 0x11, 0xFF};
  const std::vector<uint8_t> cut(one.begin(), one.end() - 3);
  const struct {
    const char* what;
    std::vector<uint8_t> bytes;
    std::vector<size_t> begins, sizes;
  } cases[] = {
      {"two pictures", one + one, {0, one.size()}, {one.size(), one.size()}},
      {"bytes between them", one + gap + one, {0, one.size() + 3}, {one.size(), one.size()}},
      {"a thumbnail inside the first",
       thumbed + one,
       {0, thumbed.size()},
       {thumbed.size(), one.size()}},
      {"one picture", one, {0}, {one.size()}},
      {"a second cut short", one + cut, {0}, {one.size()}},
      {"a first cut short", cut + one, {}, {}},
      {"no picture", gap, {}, {}},
  };
  for (const auto& c : cases) {
    const std::vector<views::ByteRange> found =
        views::picturesInMpo(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(found.size(), c.begins.size()) << c.what;
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_EQ(found[i].begin, c.begins[i]) << c.what;
      EXPECT_EQ(found[i].size, c.sizes[i]) << c.what;
    }
  }
  const std::vector<uint8_t> three = one + one + one;
  EXPECT_EQ(views::picturesInMpo(three.data(), three.size()).size(), 2u);
}

}  // namespace
