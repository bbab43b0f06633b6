#include "synthetic_scenes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "compose/row_split.h"

namespace scenes {

namespace {

// Uniform in [lo, hi) from the generator's own words, the same with every library.
double uniform(std::mt19937& rng, double lo, double hi) {
  return lo + (hi - lo) * (static_cast<double>(rng()) / 4294967296.0);
}

// The texture's levels at (x, y), each within 0 .. 255.
std::array<double, 3> colourAt(const Texture& t, double x, double y) {
  std::array<double, 3> c = t.base;
  for (const Wave& w : t.waves) {
    const double s = std::sin(w.fx * x + w.fy * y + w.phase);
    for (int i = 0; i < 3; ++i) c[i] += w.amplitude[i] * s;
  }
  if (t.checkerPeriod > 0) {
    // +-1 on the squares, rising over about checkerSoftness pixels at their edges.
    const double k = std::numbers::pi / t.checkerPeriod;
    const double v = std::tanh(std::sin(k * x) * std::sin(k * y) / (k * t.checkerSoftness));
    for (int i = 0; i < 3; ++i) c[i] += t.checkerAmplitude[i] * v;
  }
  for (double& level : c) level = std::clamp(level, 0.0, 255.0);
  return c;
}

Surface everywhere(double z, Texture t) {
  return {{Shape::kEverywhere}, z, 0, 0, std::move(t)};
}

Surface rectangle(double x0, double y0, double x1, double y1, double z, Texture t) {
  return {{Shape::kRectangle, x0, y0, x1, y1}, z, 0, 0, std::move(t)};
}

Surface disc(double cx, double cy, double r, double z, Texture t) {
  return {{Shape::kDisc, cx, cy, r, 0}, z, 0, 0, std::move(t)};
}

}  // namespace

Texture makeTexture(uint32_t seed, std::array<double, 3> base) {
  std::mt19937 rng(seed);
  Texture t;
  t.base = base;
  for (int i = 0; i < 5; ++i) {
    Wave w;
    const double period = 6.0 * std::pow(10.0, uniform(rng, 0, 1));  // 6 .. 60, log-even
    const double angle = uniform(rng, 0, std::numbers::pi);
    w.fx = 2 * std::numbers::pi / period * std::cos(angle);
    w.fy = 2 * std::numbers::pi / period * std::sin(angle);
    w.phase = uniform(rng, 0, 2 * std::numbers::pi);
    for (double& a : w.amplitude) a = uniform(rng, -16, 16);
    t.waves.push_back(w);
  }
  t.checkerPeriod = uniform(rng, 16, 48);
  t.checkerSoftness = 1.5;
  for (double& a : t.checkerAmplitude) a = uniform(rng, -30, 30);
  return t;
}

bool Shape::covers(double x, double y) const {
  switch (kind) {
    case kEverywhere:
      return true;
    case kRectangle:
      return x >= x0 && x < x1 && y >= y0 && y < y1;
    case kDisc:
      return (x - x0) * (x - x0) + (y - y0) * (y - y0) < x1 * x1;
  }
  return false;
}

Rendered render(const Scene& scene, double shift, double focus, int samples) {
  const size_t n = static_cast<size_t>(scene.width) * scene.height;
  Rendered out{std::vector<uint32_t>(n, 0), std::vector<float>(n, 0.0f)};
  // The nearest plane whose point lands on column t (of row y) and that point's column:
  // x + (z0 + sx x + sy y - F) s = t.
  struct Seen {
    int surface = -1;
    double x = 0, z = -1;
  };
  auto seenAt = [&](double t, int y) {
    Seen best;
    for (size_t i = 0; i < scene.surfaces.size(); ++i) {
      const Surface& s = scene.surfaces[i];
      const double x = (t - (s.z0 + s.slopeY * y - focus) * shift) / (1 + s.slopeX * shift);
      if (!s.shape.covers(x, y)) continue;
      const double z = s.z0 + s.slopeX * x + s.slopeY * y;
      if (z > best.z) best = {static_cast<int>(i), x, z};
    }
    return best;
  };
  compose::splitRows(scene.height, int64_t{scene.width} * samples, [&](int64_t begin, int64_t end) {
    std::vector<int> count(scene.surfaces.size());
    std::vector<double> sumX(scene.surfaces.size());
    for (int y = static_cast<int>(begin); y < end; ++y) {
      for (int t = 0; t < scene.width; ++t) {
        const size_t i = static_cast<size_t>(y) * scene.width + t;
        const Seen centre = seenAt(t, y);
        out.depth[i] = static_cast<float>(std::max(0.0, centre.z));
        std::array<double, 3> c{};
        const double edge = 0.5 - 0.5 / samples;  // the outer samples' distance from the centre
        if (centre.surface >= 0 && seenAt(t - edge, y).surface == centre.surface &&
            seenAt(t + edge, y).surface == centre.surface) {
          // One plane across the pixel (every shape is wider than half a pixel): its point
          // at the centre is the mean of the samples', as x runs linearly with t.
          c = colourAt(scene.surfaces[centre.surface].texture, centre.x, y);
        } else {
          // Each plane seen by some samples adds its share, coloured at their mean column.
          std::fill(count.begin(), count.end(), 0);
          std::fill(sumX.begin(), sumX.end(), 0.0);
          for (int j = 0; j < samples; ++j) {
            const Seen seen = seenAt(t - 0.5 + (j + 0.5) / samples, y);
            if (seen.surface < 0) continue;
            ++count[seen.surface];
            sumX[seen.surface] += seen.x;
          }
          for (size_t k = 0; k < count.size(); ++k) {
            if (count[k] == 0) continue;
            const std::array<double, 3> levels =
                colourAt(scene.surfaces[k].texture, sumX[k] / count[k], y);
            for (int ch = 0; ch < 3; ++ch) c[ch] += levels[ch] * count[k] / samples;
          }
        }
        out.colour[i] = static_cast<uint32_t>(std::lround(c[0])) << 16 |
                        static_cast<uint32_t>(std::lround(c[1])) << 8 |
                        static_cast<uint32_t>(std::lround(c[2]));
      }
    }
  });
  return out;
}

std::vector<Scene> standardScenes(int width, int height) {
  const double w = width, h = height;
  std::vector<Scene> all;

  Scene planes{"planes", width, height, {}};
  planes.surfaces = {
      everywhere(0.05, makeTexture(101, {110, 140, 120})),
      rectangle(0.12 * w, 0.15 * h, 0.55 * w, 0.75 * h, 0.35, makeTexture(102, {180, 120, 90})),
      rectangle(0.42 * w, 0.45 * h, 0.80 * w, 0.92 * h, 0.70, makeTexture(103, {90, 100, 170})),
      rectangle(0.63 * w, 0, 0.63 * w + 2.5, h, 0.90, makeTexture(104, {230, 220, 200})),
      disc(0.86 * w, 0.25 * h, 0.12 * h, 0.55, makeTexture(105, {200, 80, 120})),
  };
  all.push_back(std::move(planes));

  // Depth 0.15 at the plane's left edge to 0.85 at its right edge.
  Scene slant{"slant", width, height, {}};
  const double slope = 0.70 / (0.84 * w);
  Surface slanted =
      rectangle(0.08 * w, 0.18 * h, 0.92 * w, 0.85 * h, 0, makeTexture(202, {150, 150, 90}));
  slanted.z0 = 0.15 - slope * 0.08 * w;
  slanted.slopeX = slope;
  slant.surfaces = {
      everywhere(0.0, makeTexture(201, {100, 120, 150})),
      slanted,
      disc(0.32 * w, 0.5 * h, 0.2 * h, 0.95, makeTexture(203, {190, 90, 70})),
      rectangle(0.70 * w, 0.05 * h, 0.70 * w + 3, 0.95 * h, 0.90, makeTexture(204, {40, 40, 50})),
  };
  all.push_back(std::move(slant));

  Scene fence{"fence", width, height, {}};
  fence.surfaces = {
      everywhere(0.2, makeTexture(301, {120, 150, 100})),
      disc(0.5 * w, 0.45 * h, 0.3 * h, 0.45, makeTexture(302, {200, 170, 80})),
      rectangle(0, 0.3 * h, w, 0.3 * h + 3, 0.8, makeTexture(303, {90, 60, 40})),
      rectangle(0, 0.7 * h, w, 0.7 * h + 2, 0.8, makeTexture(304, {90, 60, 40})),
  };
  for (int i = 0; i < 10; ++i) {
    const double x = (0.06 + 0.1 * i) * w, thick = 2.0 + 0.5 * (i % 3);
    fence.surfaces.push_back(
        rectangle(x, 0.1 * h, x + thick, h, 0.8, makeTexture(310 + i, {100, 70, 50})));
  }
  all.push_back(std::move(fence));

  // A floor from depth 0.3 at its far edge (0.6 h) to 1 at the bottom row.
  Scene floor{"floor", width, height, {}};
  const double rise = 0.7 / (0.4 * h);
  Surface ground = rectangle(0, 0.6 * h, w, h, 0, makeTexture(402, {140, 110, 80}));
  ground.z0 = 0.3 - rise * 0.6 * h;
  ground.slopeY = rise;
  floor.surfaces = {
      everywhere(0.0, makeTexture(401, {150, 170, 200})),
      ground,
      rectangle(0.55 * w, 0.5 * h, 0.75 * w, 0.9 * h, 0.9, makeTexture(403, {80, 150, 80})),
      rectangle(0.2 * w, 0.1 * h, 0.2 * w + 3, 0.65 * h, 0.1, makeTexture(404, {60, 50, 40})),
      disc(0.35 * w, 0.35 * h, 0.12 * h, 0.6, makeTexture(405, {210, 200, 90})),
  };
  all.push_back(std::move(floor));
  return all;
}

}  // namespace scenes
