#include "views/depth_views.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>

#include "compose/row_split.h"
#include "pixels/pixels.h"
#include "views/row_warp.h"

namespace views {

namespace {

// Neighbours whose shifts differ by more than this many pixels lie on different surfaces
// (an edge): the gap between them opens, to be filled from its farther side.
constexpr float kJoinLimit = 2.0f;
// Channels of a grey pixel may differ this much (a JPEG's noise).
constexpr int kGreyTolerance = 8;
// Depth maps of another size are resized when their shapes differ at most this much.
constexpr double kShapeTolerance = 0.01;
constexpr float kNoDepth = -1.0f;  // below every depth

// How each target of a row was covered.
enum Cover : uint8_t { kHole, kSurface, kPoint };

// What one thread reuses from row to row.
struct RowScratch {
  std::vector<float> u, zbuf;
  std::vector<Cover> cover;
  explicit RowScratch(int width) : u(width), zbuf(width), cover(width) {}
};

// a + (b - a) w per channel, w in 1/256 steps (w 0 gives a, 1 gives b), rounded.
uint32_t blend(uint32_t a, uint32_t b, float w) {
  const uint32_t wb = static_cast<uint32_t>(w * 256.0f + 0.5f), wa = 256 - wb;
  const uint32_t redBlue = ((a & 0xFF00FF) * wa + (b & 0xFF00FF) * wb + 0x800080) >> 8 & 0xFF00FF;
  const uint32_t green = ((a & 0x00FF00) * wa + (b & 0x00FF00) * wb + 0x008000) >> 8 & 0x00FF00;
  return redBlue | green;
}

// Whole numbers at or above and at or below v, for v well inside int's range (the
// library's ceil and floor are calls on processors without SSE4.1).
int ceilToInt(float v) {
  const int i = static_cast<int>(v);
  return i < v ? i + 1 : i;
}
int floorToInt(float v) {
  const int i = static_cast<int>(v);
  return i > v ? i - 1 : i;
}

struct RowTargets {
  float* zbuf;
  Cover* cover;
  uint32_t* out;
};

void splat(int t, float z, uint32_t colour, Cover how, const RowTargets& r) {
  if (z > r.zbuf[t]) {
    r.zbuf[t] = z;
    r.cover[t] = how;
    r.out[t] = colour;
  }
}

// Paints the targets between two joined neighbours at u0 and u1, colour and depth
// taken along the line between them.
void paintSegment(float u0, float u1, uint32_t c0, uint32_t c1, float z0, float z1, int width,
                  const RowTargets& r) {
  const int first = std::max(0, ceilToInt(std::max(std::min(u0, u1), -1.0f)));
  const int last = std::min(width - 1, floorToInt(std::min(std::max(u0, u1), float(width))));
  const float span = u1 - u0;
  if (first > last) return;  // a short segment between two targets
  const float perTarget = span != 0 ? 1.0f / span : 0.0f;
  for (int t = first; t <= last; ++t) {
    const float w = (static_cast<float>(t) - u0) * perTarget;
    splat(t, z0 + (z1 - z0) * w, w == 0 ? c0 : blend(c0, c1, w), kSurface, r);
  }
}

// A pixel on its own beside a gap is an edge pixel torn off its surface, its colour
// and depth a mix of both sides: the gap takes it in, or it would be drawn across.
void absorbTornPoints(const RowTargets& r, int width) {
  auto holeAt = [&](int t) { return t >= 0 && t < width && r.cover[t] == kHole; };
  for (int t = 0; t < width; ++t) {
    if (r.cover[t] == kPoint && (holeAt(t - 1) || holeAt(t + 1))) r.cover[t] = kHole;
  }
  for (int t = width - 1; t >= 0; --t) {
    if (r.cover[t] == kPoint && holeAt(t + 1)) r.cover[t] = kHole;
  }
}

// Every run of targets that are holes takes the colour of its farther neighbour (the
// background the nearer surface moved off).
template <typename IsHole>
void fillRuns(uint32_t* out, const float* zbuf, int width, IsHole isHole) {
  for (int t = 0; t < width;) {
    if (!isHole(t)) {
      ++t;
      continue;
    }
    int end = t;
    while (end < width && isHole(end)) ++end;
    const int left = t - 1, right = end < width ? end : -1;
    const int from = left < 0 ? right : right < 0 ? left : zbuf[left] <= zbuf[right] ? left : right;
    std::fill(out + t, out + end, from < 0 ? 0u : out[from]);
    t = end;
  }
}

void fillHoles(const RowTargets& r, int width, bool anyPoint) {
  if (anyPoint) absorbTornPoints(r, width);
  fillRuns(r.out, r.zbuf, width, [&](int t) { return r.cover[t] == kHole; });
}

// Every pixel of the row onto its targets; true when some pixel stood on its own.
bool warpRowTargets(const uint32_t* colour, const float* z, int width, float shiftPerDepth,
                    float focus, uint32_t* out, RowScratch& s) {
  if (width <= 0) return false;
  float* u = s.u.data();
  const RowTargets r{s.zbuf.data(), s.cover.data(), out};
  for (int x = 0; x < width; ++x) u[x] = static_cast<float>(x) + (z[x] - focus) * shiftPerDepth;
  std::fill(r.zbuf, r.zbuf + width, kNoDepth);
  std::fill(r.cover, r.cover + width, kHole);
  auto joined = [&](int x) { return std::fabs(u[x + 1] - u[x] - 1.0f) <= kJoinLimit; };
  bool joinedLeft = false, anyPoint = false;
  for (int x = 0; x < width; ++x) {
    const bool joinedRight = x + 1 < width && joined(x);
    if (joinedRight) {
      paintSegment(u[x], u[x + 1], colour[x], colour[x + 1], z[x], z[x + 1], width, r);
    }
    if (joinedRight != joinedLeft) {
      // A surface's edge pixel covers its own half pixel beyond its centre too, or thin
      // things would come out a pixel narrower on the side they move over.
      const float from = joinedRight ? u[x] - 0.5f : u[x], to = joinedRight ? u[x] : u[x] + 0.5f;
      for (int t = std::max(0, ceilToInt(from)); t <= std::min(width - 1, floorToInt(to)); ++t)
        splat(t, z[x], colour[x], kSurface, r);
    } else if (!joinedLeft && !joinedRight) {
      const long t = std::lround(u[x]);  // a pixel on its own, one target wide
      if (t >= 0 && t < width) splat(static_cast<int>(t), z[x], colour[x], kPoint, r);
      anyPoint = true;
    }
    joinedLeft = joinedRight;
  }
  return anyPoint;
}

void warpRow(const uint32_t* colour, const float* z, int width, float shiftPerDepth, float focus,
             uint32_t* out, RowScratch& s) {
  if (width <= 0) return;
  if (shiftPerDepth == 0) {  // nothing moves: the middle view, or no disparity
    std::copy(colour, colour + width, out);
    return;
  }
  const bool anyPoint = warpRowTargets(colour, z, width, shiftPerDepth, focus, out, s);
  fillHoles({s.zbuf.data(), s.cover.data(), out}, width, anyPoint);
}

float shiftOfView(const DepthParams& p, int k) {
  return static_cast<float>(p.disparity * (0.5 - static_cast<double>(k) / (p.views - 1)));
}

// Bilinear sample of the grey levels at (fx, fy), in the grid's own pixels.
float sampleGrey(const std::vector<float>& g, int w, int h, double fx, double fy) {
  const double cx = std::clamp(fx, 0.0, w - 1.0), cy = std::clamp(fy, 0.0, h - 1.0);
  const int x0 = static_cast<int>(cx), y0 = static_cast<int>(cy);
  const int x1 = std::min(x0 + 1, w - 1), y1 = std::min(y0 + 1, h - 1);
  const float ax = static_cast<float>(cx - x0), ay = static_cast<float>(cy - y0);
  const float top = g[y0 * size_t(w) + x0] * (1 - ax) + g[y0 * size_t(w) + x1] * ax;
  const float bottom = g[y1 * size_t(w) + x0] * (1 - ax) + g[y1 * size_t(w) + x1] * ax;
  return top * (1 - ay) + bottom * ay;
}

}  // namespace

DepthMap depthFromGreyPicture(compose::ConstPixelBuffer grey, int width, int height,
                              std::string& refusal) {
  refusal.clear();
  const double shapes =
      static_cast<double>(grey.width) * height / (static_cast<double>(grey.height) * width);
  if (grey.width < 1 || grey.height < 1 || std::fabs(shapes - 1) > kShapeTolerance) {
    refusal = "the depth map is " + std::to_string(grey.width) + " x " +
              std::to_string(grey.height) + " and the picture " + std::to_string(width) + " x " +
              std::to_string(height) + ": not the same shape";
    return {};
  }
  try {
    std::vector<float> levels(static_cast<size_t>(grey.width) * grey.height);
    for (int y = 0; y < grey.height; ++y) {
      for (int x = 0; x < grey.width; ++x) {
        const uint32_t c = grey.pixels[static_cast<size_t>(y) * grey.width + x];
        const int r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
        if (std::abs(r - g) > kGreyTolerance || std::abs(g - b) > kGreyTolerance) {
          char at[64];
          std::snprintf(at, sizeof at, "(%d, %d) is #%06X", x, y, c & 0xFFFFFF);
          refusal = std::string("the depth map is not grey: its pixel ") + at;
          return {};
        }
        levels[static_cast<size_t>(y) * grey.width + x] =
            static_cast<float>(pixels::luma(c)) / 255.0f;
      }
    }
    if (grey.width == width && grey.height == height) return {std::move(levels), width, height};
    DepthMap resized{std::vector<float>(static_cast<size_t>(width) * height), width, height};
    const double sx = static_cast<double>(grey.width) / width,
                 sy = static_cast<double>(grey.height) / height;
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        resized.z[static_cast<size_t>(y) * width + x] =
            sampleGrey(levels, grey.width, grey.height, (x + 0.5) * sx - 0.5, (y + 0.5) * sy - 0.5);
      }
    }
    return resized;
  } catch (const std::bad_alloc&) {
    refusal = "not enough memory for the depth map";
    return {};
  }
}

void warpView(compose::ConstPixelBuffer picture, const DepthMap& depth, double shiftPerDepth,
              double focus, compose::PixelBuffer out) {
  const int w = picture.width;
  compose::splitRows(picture.height, w, [&](int64_t begin, int64_t end) {
    RowScratch scratch(w);
    for (int64_t y = begin; y < end; ++y) {
      warpRow(picture.pixels + y * w, depth.z.data() + y * w, w, static_cast<float>(shiftPerDepth),
              static_cast<float>(focus), out.pixels + y * out.width, scratch);
    }
  });
}

void warpRowOpen(const uint32_t* colour, const float* z, int width, float shiftPerDepth,
                 float focus, uint32_t* out, float* depthOut) {
  if (width <= 0) return;
  thread_local RowScratch s(0);
  if (s.u.size() < static_cast<size_t>(width)) s = RowScratch(width);
  const RowTargets r{s.zbuf.data(), s.cover.data(), out};
  if (warpRowTargets(colour, z, width, shiftPerDepth, focus, out, s)) absorbTornPoints(r, width);
  for (int t = 0; t < width; ++t) depthOut[t] = r.cover[t] == kHole ? kRowGap : r.zbuf[t];
}

void fillRowGaps(uint32_t* out, const float* depth, int width) {
  fillRuns(out, depth, width, [&](int t) { return depth[t] == kRowGap; });
}

compose::MultiViewPicture viewsFromDepth(compose::ConstPixelBuffer picture, const DepthMap& depth,
                                         const DepthParams& p) {
  compose::MultiViewPicture views;
  const int w = picture.width, h = picture.height;
  try {
    views.pixels.assign(static_cast<size_t>(w) * p.views * h, 0);
  } catch (const std::bad_alloc&) {
    return {};
  }
  views.width = w * p.views;
  views.height = h;
  // Each thread makes every view of its rows.
  compose::splitRows(h, int64_t{w} * p.views, [&](int64_t begin, int64_t end) {
    RowScratch scratch(w);
    for (int64_t y = begin; y < end; ++y) {
      for (int k = 0; k < p.views; ++k) {
        warpRow(picture.pixels + y * w, depth.z.data() + y * w, w, shiftOfView(p, k),
                static_cast<float>(p.focus), views.pixels.data() + y * views.width + int64_t{k} * w,
                scratch);
      }
    }
  });
  return views;
}

}  // namespace views
