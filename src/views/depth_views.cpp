#include "views/depth_views.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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
// taken along the line between them; none before target `from`.
void paintSegment(float u0, float u1, uint32_t c0, uint32_t c1, float z0, float z1, int width,
                  const RowTargets& r, int from = 0) {
  const int first = std::max(from, ceilToInt(std::max(std::min(u0, u1), -1.0f)));
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
// background the nearer surface moved off). nextHole(t) is the first hole at t or after
// it, or width.
template <typename IsHole, typename NextHole>
void fillRuns(uint32_t* out, const float* zbuf, int width, IsHole isHole, NextHole nextHole) {
  for (int t = nextHole(0); t < width; t = nextHole(t)) {
    int end = t;
    while (end < width && isHole(end)) ++end;
    const int left = t - 1, right = end < width ? end : -1;
    const int from = left < 0 ? right : right < 0 ? left : zbuf[left] <= zbuf[right] ? left : right;
    std::fill(out + t, out + end, from < 0 ? 0u : out[from]);
    t = end;
  }
}
template <typename IsHole>
void fillRuns(uint32_t* out, const float* zbuf, int width, IsHole isHole) {
  fillRuns(out, zbuf, width, isHole, [&](int t) {
    while (t < width && !isHole(t)) ++t;
    return t;
  });
}

void fillHoles(const RowTargets& r, int width, bool anyPoint) {
  if (anyPoint) absorbTornPoints(r, width);
  fillRuns(r.out, r.zbuf, width, [&](int t) { return r.cover[t] == kHole; });
}

// Pixel x of a row, at u, where its surface ends: it covers its own half pixel beyond
// its centre too, or thin things would come out a pixel narrower on the side they move
// over. A pixel on its own covers one target; true for such a pixel.
bool splatEnds(float u, float z, uint32_t colour, bool joinedLeft, bool joinedRight, int width,
               const RowTargets& r) {
  if (joinedRight != joinedLeft) {
    const float from = joinedRight ? u - 0.5f : u, to = joinedRight ? u : u + 0.5f;
    for (int t = std::max(0, ceilToInt(from)); t <= std::min(width - 1, floorToInt(to)); ++t)
      splat(t, z, colour, kSurface, r);
    return false;
  }
  if (joinedLeft) return false;  // inside a surface
  const long t = std::lround(u);
  if (t >= 0 && t < width) splat(static_cast<int>(t), z, colour, kPoint, r);
  return true;
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
    anyPoint |= splatEnds(u[x], z[x], colour[x], joinedLeft, joinedRight, width, r);
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

// The fast warp makes the same splats in the same order as warpRowTargets, so the same
// pixels bit for bit. What costs there is finding each segment's targets, their depths
// and blended colours, one at a time. Most segments cover one target, as the surfaces
// stretch little: for every segment its first target is worked out beforehand, four
// segments at a time, lane by lane in the same arithmetic; the splats then follow in
// order, and only a stretched segment's further targets are painted the straight way.

// Four lanes in GCC's and Clang's vector extensions (SSE2 on x86-64, NEON on ARM).
using Floats = float __attribute__((vector_size(16)));
using Ints = int32_t __attribute__((vector_size(16)));
using Words = uint32_t __attribute__((vector_size(16)));
using Shorts = uint16_t __attribute__((vector_size(16)));
constexpr int kLanes = 4;

template <typename Lanes>
Lanes load(const void* at) {
  Lanes v;
  std::memcpy(&v, at, sizeof v);
  return v;
}
template <typename Lanes>
void store(void* at, Lanes v) {
  std::memcpy(at, &v, sizeof v);
}

// ceilToInt, floorToInt, std::min and std::max lane by lane (a comparison's lane is -1
// where it holds).
Ints ceilLanes(Floats v) {
  const Ints i = __builtin_convertvector(v, Ints);
  return i - (__builtin_convertvector(i, Floats) < v);
}
Ints floorLanes(Floats v) {
  const Ints i = __builtin_convertvector(v, Ints);
  return i + (__builtin_convertvector(i, Floats) > v);
}
template <typename Lanes>
Lanes minLanes(Lanes a, Lanes b) {
  return b < a ? b : a;
}
template <typename Lanes>
Lanes maxLanes(Lanes a, Lanes b) {
  return a < b ? b : a;
}

// blend lane by lane, for weights 0..1. Each channel's a wa + b wb + 128 stays below
// 2^16, so it is computed as a 256 + (b - a) wb + 128 in a 16-bit lane of its own,
// modulo 2^16 whatever b - a wraps to: red and blue in the halves of one word, green
// in another.
Words blendLanes(Words a, Words b, Floats w) {
  const Words wb = __builtin_convertvector(__builtin_convertvector(w * 256.0f + 0.5f, Ints), Words);
  const Shorts weights = reinterpret_cast<Shorts>(wb | wb << 16);
  auto mix = [&](Words from, Words to) {
    const Shorts f = reinterpret_cast<Shorts>(from), t = reinterpret_cast<Shorts>(to);
    return reinterpret_cast<Words>(((f << 8) + (t - f) * weights + 128) >> 8);
  };
  return mix(a & 0xFF00FF, b & 0xFF00FF) | mix(a >> 8 & 0xFF, b >> 8 & 0xFF) << 8;
}

// What one thread reuses for the fast warp: the row's depths less the focus (the same
// for every view), and for each segment x (pixels x and x + 1) whether its pixels are
// joined (not 0), its first and last target and its first target's depth and colour.
struct FastScratch {
  RowScratch row;
  std::vector<float> offset, depth;
  std::vector<int32_t> joined, first, last;
  std::vector<uint32_t> colour;
  explicit FastScratch(int width)
      : row(width),
        offset(width),
        depth(width),
        joined(width),
        first(width),
        last(width),
        colour(width) {}
};

// u = x + (z - focus) shift for every pixel, four at a time.
void targetsOf(const float* offset, int width, float shift, float* u) {
  const Floats shifts = Floats{} + shift;
  int x = 0;
  for (; x + kLanes <= width; x += kLanes) {
    const Floats xs = __builtin_convertvector(Ints{x, x + 1, x + 2, x + 3}, Floats);
    store(u + x, xs + load<Floats>(offset + x) * shifts);
  }
  for (; x < width; ++x) u[x] = static_cast<float>(x) + offset[x] * shift;
}

// Whether each segment is joined, and the first target of segments 0 .. n - 1 as
// paintSegment finds it; returns n (the last few segments, whose four lanes would
// reach past the row, are left out).
int planSegments(const uint32_t* colour, const float* z, int width, FastScratch& s) {
  const float* u = s.row.u.data();
  const Floats below = Floats{} - 1.0f, beyond = Floats{} + static_cast<float>(width);
  int x = 0;
  for (; x + kLanes < width; x += kLanes) {
    const Floats u0 = load<Floats>(u + x), u1 = load<Floats>(u + x + 1);
    const Ints apart = reinterpret_cast<Ints>(u1 - u0 - 1.0f) & 0x7FFFFFFF;  // fabs's bits
    store(s.joined.data() + x, reinterpret_cast<Floats>(apart) <= kJoinLimit);
    const Ints first = maxLanes(Ints{}, ceilLanes(maxLanes(minLanes(u0, u1), below)));
    const Ints last =
        minLanes(Ints{} + (width - 1), floorLanes(minLanes(maxLanes(u0, u1), beyond)));
    const Floats span = u1 - u0;
    const Floats perTarget = span != 0 ? 1.0f / span : Floats{};
    const Floats w = (__builtin_convertvector(first, Floats) - u0) * perTarget;
    const Floats z0 = load<Floats>(z + x), dz = load<Floats>(z + x + 1) - z0;
    const Words c0 = load<Words>(colour + x), c1 = load<Words>(colour + x + 1);
    store(s.first.data() + x, first);
    store(s.last.data() + x, last);
    store(s.depth.data() + x, z0 + dz * w);
    store(s.colour.data() + x, w == 0 ? c0 : blendLanes(c0, c1, w));
  }
  for (int t = x; t < width; ++t)
    s.joined[t] = t + 1 < width && std::fabs(u[t + 1] - u[t] - 1.0f) <= kJoinLimit;
  return x;
}

// fillHoles, finding the holes with memchr: most targets are covered.
void fillHolesFast(const RowTargets& r, int width, bool anyPoint) {
  if (anyPoint) absorbTornPoints(r, width);
  const auto nextHole = [&](int t) {
    const void* hole = std::memchr(r.cover + t, kHole, static_cast<size_t>(width - t));
    return hole ? static_cast<int>(static_cast<const Cover*>(hole) - r.cover) : width;
  };
  const auto isHole = [&](int t) { return r.cover[t] == kHole; };
  fillRuns(r.out, r.zbuf, width, isHole, nextHole);
}

// Splats planned segment x's first target; the next target it covers, or -1.
int splatPlanned(int x, const FastScratch& s, const RowTargets& r) {
  const int first = s.first[x], last = s.last[x];
  if (first <= last) splat(first, s.depth[x], s.colour[x], kSurface, r);
  return first < last ? first + 1 : -1;
}

// warpRowTargets with the planned segments; shift is not 0.
bool warpRowTargetsFast(const uint32_t* colour, const float* z, int width, float shift,
                        uint32_t* out, FastScratch& s) {
  float* u = s.row.u.data();
  const RowTargets r{s.row.zbuf.data(), s.row.cover.data(), out};
  targetsOf(s.offset.data(), width, shift, u);
  std::fill(r.zbuf, r.zbuf + width, kNoDepth);
  std::fill(r.cover, r.cover + width, kHole);
  const int planned = planSegments(colour, z, width, s);
  bool joinedLeft = false, anyPoint = false;
  for (int x = 0; x < width; ++x) {
    const bool joinedRight = s.joined[x] != 0;
    if (joinedRight) {
      // Targets the plan does not hold, the straight way: from target 0 when segment x
      // is not planned, else from its second (a segment stretched over more than one).
      const int from = x < planned ? splatPlanned(x, s, r) : 0;
      if (from >= 0)
        paintSegment(u[x], u[x + 1], colour[x], colour[x + 1], z[x], z[x + 1], width, r, from);
    }
    if (!joinedLeft || !joinedRight)  // not inside a surface
      anyPoint |= splatEnds(u[x], z[x], colour[x], joinedLeft, joinedRight, width, r);
    joinedLeft = joinedRight;
  }
  return anyPoint;
}

// Every view of rows [begin, end), the fast way.
void warpRowsFast(compose::ConstPixelBuffer picture, const DepthMap& depth, const DepthParams& p,
                  int64_t begin, int64_t end, compose::MultiViewPicture& out, FastScratch& s) {
  const int w = picture.width;
  const float focus = static_cast<float>(p.focus);
  for (int64_t y = begin; y < end; ++y) {
    const uint32_t* colour = picture.pixels + y * w;
    const float* z = depth.z.data() + y * w;
    for (int x = 0; x < w; ++x) s.offset[x] = z[x] - focus;
    for (int k = 0; k < p.views; ++k) {
      uint32_t* view = out.pixels.data() + y * out.width + int64_t{k} * w;
      const float shift = shiftOfView(p, k);
      if (shift == 0) {  // as warpRow
        std::copy(colour, colour + w, view);
        continue;
      }
      const bool anyPoint = warpRowTargetsFast(colour, z, w, shift, view, s);
      fillHolesFast({s.row.zbuf.data(), s.row.cover.data(), view}, w, anyPoint);
    }
  }
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
                              std::string& refusal, const uint16_t* levels16,
                              double colouredShare) {
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
    size_t coloured = 0;
    char firstColoured[64] = "";
    for (int y = 0; y < grey.height; ++y) {
      for (int x = 0; x < grey.width; ++x) {
        const uint32_t c = grey.pixels[static_cast<size_t>(y) * grey.width + x];
        const int r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
        if ((std::abs(r - g) > kGreyTolerance || std::abs(g - b) > kGreyTolerance) &&
            coloured++ == 0) {
          std::snprintf(firstColoured, sizeof firstColoured, "(%d, %d) is #%06X", x, y,
                        c & 0xFFFFFF);
        }
        const size_t i = static_cast<size_t>(y) * grey.width + x;
        levels[i] = levels16 ? static_cast<float>(levels16[i]) / 65535.0f
                             : static_cast<float>(pixels::luma(c)) / 255.0f;
      }
    }
    if (static_cast<double>(coloured) > colouredShare * static_cast<double>(levels.size())) {
      refusal = std::string("the depth map is not grey: its pixel ") + firstColoured;
      return {};
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

compose::MultiViewPicture viewsFromDepthStraight(compose::ConstPixelBuffer picture,
                                                 const DepthMap& depth, const DepthParams& p) {
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

bool viewsFromDepthInto(compose::ConstPixelBuffer picture, const DepthMap& depth,
                        const DepthParams& p, compose::MultiViewPicture& out) {
  const int w = picture.width, h = picture.height;
  const size_t size = static_cast<size_t>(w) * p.views * h;
  out.unreadFrames.clear();
  if (out.pixels.size() != size) {
    // Nothing to keep: every pixel is written. Free the old storage before the new.
    if (out.pixels.capacity() < size) std::vector<uint32_t>().swap(out.pixels);
    try {
      out.pixels.resize(size);
    } catch (const std::bad_alloc&) {
      out = {};
      return false;
    }
  }
  out.width = w * p.views;
  out.height = h;
  if (w <= 0) return true;
  // Each thread makes every view of the rows it takes, a few at a time until none are
  // left: on a busy machine a thread that gets less time takes fewer rows.
  constexpr int64_t kRowsPerTake = 8;
  std::atomic<int64_t> nextRow{0};
  compose::splitRows(h, int64_t{w} * p.views, [&](int64_t, int64_t) {
    FastScratch s(w);
    for (int64_t y = nextRow.fetch_add(kRowsPerTake); y < h; y = nextRow.fetch_add(kRowsPerTake))
      warpRowsFast(picture, depth, p, y, std::min<int64_t>(y + kRowsPerTake, h), out, s);
  });
  return true;
}

compose::MultiViewPicture viewsFromDepth(compose::ConstPixelBuffer picture, const DepthMap& depth,
                                         const DepthParams& p) {
  compose::MultiViewPicture views;
  if (!viewsFromDepthInto(picture, depth, p, views)) return {};
  return views;
}

}  // namespace views
