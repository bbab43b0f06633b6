#include "compose/fine.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace compose {

namespace {

// The view of a phase times V: floor, V - 1 for V itself (a phase of exactly 1, which
// t - floor(t) gives for t just below an integer), 0 for NaN.
int viewOfScaledPhase(double scaled, int views) {
  const double v = std::floor(scaled);
  if (!(v >= 0)) return 0;
  return v >= views ? views - 1 : static_cast<int>(v);
}

uint32_t channelMask(int c) {
  return 0xFFu << (16 - 8 * c);
}

// The geometry both versions read with: views vw x vh; false when there is none.
struct ViewGeometry {
  int64_t vw = 0, vh = 0;
  double sx = 0, sy = 0;
  bool valid = false;
};

ViewGeometry viewGeometry(ConstPixelBuffer mv, const FineParams& p) {
  ViewGeometry g;
  if (p.views < 1 || !mv.pixels || mv.width < 1 || mv.height < 1 || p.width < 1 || p.height < 1)
    return g;
  g.vw = mv.width / p.views;
  g.vh = mv.height;
  if (g.vw < 1) return g;
  g.sx = static_cast<double>(g.vw) / static_cast<double>(3 * static_cast<int64_t>(p.width));
  g.sy = static_cast<double>(g.vh) / static_cast<double>(p.height);
  g.valid = true;
  return g;
}

// floor(t) for every double: through the integer conversion where t is small enough
// for it, t itself where t is already whole (or not finite).
inline double floorOf(double t) {
  if (!(std::fabs(t) < 4503599627370496.0)) return t;  // 2^52: whole, infinite or NaN
  const double f = static_cast<double>(static_cast<int64_t>(t));
  return f > t ? f - 1.0 : f;
}

// Runs fn(begin, end) over rows [0, count) on up to one thread per processor. The
// parts write disjoint rows, so the result does not depend on the split.
template <typename Fn>
void splitFineRows(int64_t count, int64_t pixelsPerRow, Fn fn) {
  constexpr int64_t kPixelsPerThread = 1 << 17;
  const int64_t byWork = std::max<int64_t>(1, count * pixelsPerRow / kPixelsPerThread);
  const int64_t parts =
      std::min<int64_t>({count, byWork, std::max(1u, std::thread::hardware_concurrency()), 16});
  if (parts <= 1) {
    fn(int64_t{0}, count);
    return;
  }
  std::vector<std::thread> threads;
  auto part = [count, parts](int64_t i) { return count * i / parts; };
  int64_t i = 1;
  for (; i < parts; ++i) {
    try {
      threads.emplace_back([&fn, b = part(i), e = part(i + 1)] { fn(b, e); });
    } catch (const std::system_error&) {
      break;  // the parts no thread took are done here
    }
  }
  fn(int64_t{0}, part(1));
  if (i < parts) fn(part(i), count);
  for (std::thread& t : threads) t.join();
}

}  // namespace

int fineView(double s, double y, const FineParams& p) {
  const double t = (s - p.slant * y - p.offset) / p.pitch;
  const double phase = t - std::floor(t);
  return viewOfScaledPhase(phase * p.views, p.views);
}

void composeFineStraight(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p) {
  if (!output.pixels || output.width < 1 || output.height < 1) return;
  const int64_t rows = std::min(p.height, output.height), cols = std::min(p.width, output.width);
  const ViewGeometry g = viewGeometry(multiView, p);
  for (int64_t y = 0; y < rows; ++y) {
    uint32_t* out = output.pixels + y * output.width;
    for (int64_t x = 0; x < cols; ++x) {
      if (!g.valid) {
        out[x] = 0;
        continue;
      }
      uint32_t pixel = 0;
      for (int k = 0; k < 3; ++k) {
        const int64_t s = 3 * x + k;
        const int c = p.order == SubpixelOrder::Rgb ? k : 2 - k;
        const int v = fineView(static_cast<double>(s), static_cast<double>(y), p);
        // Below vw and vh for every s < 3W and y < H; the bounds only guard the reads.
        const int64_t vx = std::min(g.vw - 1, truncToInt64(static_cast<double>(s) * g.sx));
        const int64_t vy = std::min(g.vh - 1, truncToInt64(static_cast<double>(y) * g.sy));
        const uint32_t source = multiView.pixels[vy * multiView.width + v * g.vw + vx];
        pixel |= source & channelMask(c);
      }
      out[x] = pixel;
    }
  }
}

void composeFinePixels(ConstPixelBuffer multiView, PixelBuffer output, const FineParams& p) {
  if (!output.pixels || output.width < 1 || output.height < 1) return;
  const int64_t rows = std::min(p.height, output.height), cols = std::min(p.width, output.width);
  const ViewGeometry g = viewGeometry(multiView, p);
  if (!g.valid) {
    for (int64_t y = 0; y < rows; ++y) {
      std::memset(output.pixels + y * output.width, 0, static_cast<size_t>(cols) * 4);
    }
    return;
  }
  const int64_t subpixels = 3 * cols;
  // Per column: the view column, and s as a double.
  std::vector<int32_t> viewColumn(static_cast<size_t>(subpixels));
  for (int64_t s = 0; s < subpixels; ++s) {
    viewColumn[s] =
        static_cast<int32_t>(std::min(g.vw - 1, truncToInt64(static_cast<double>(s) * g.sx)));
  }
  // Sub-pixel k of a pixel carries channel c: the masks in physical order.
  const bool rgb = p.order == SubpixelOrder::Rgb;
  const uint32_t m0 = channelMask(rgb ? 0 : 2), m1 = channelMask(1), m2 = channelMask(rgb ? 2 : 0);
  const double V = p.views, P = p.pitch, O = p.offset;
  const int views = p.views;
  splitFineRows(rows, cols, [&](int64_t begin, int64_t end) {
    std::vector<int32_t> source(static_cast<size_t>(subpixels));
    for (int64_t y = begin; y < end; ++y) {
      const double a = p.slant * static_cast<double>(y);
      const int64_t vy = std::min(g.vh - 1, truncToInt64(static_cast<double>(y) * g.sy));
      const uint32_t* in = multiView.pixels + vy * multiView.width;
      // The same operations as fineView, in the same order: (s - S y) - O, then / P.
      for (int64_t s = 0; s < subpixels; ++s) {
        const double t = (static_cast<double>(s) - a - O) / P;
        const double scaled = (t - floorOf(t)) * V;
        // phase V lies in [0, V]; the conversion floors it there. NaN gives view 0.
        const int v = scaled >= 0 ? (scaled < V ? static_cast<int>(scaled) : views - 1) : 0;
        source[s] = static_cast<int32_t>(v * g.vw) + viewColumn[s];
      }
      uint32_t* out = output.pixels + y * output.width;
      const int32_t* src = source.data();
      for (int64_t x = 0; x < cols; ++x, src += 3) {
        out[x] = (in[src[0]] & m0) | (in[src[1]] & m1) | (in[src[2]] & m2);
      }
    }
  });
}

}  // namespace compose
