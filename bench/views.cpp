// Views from a picture and its depth map: the straight warp (one row of one view at a
// time), the fast one into a fresh picture and into one reused from call to call (as a
// movie or the live viewer makes views frame after frame), beside a floor of each: one
// pass per view that reads every picture and depth pixel once and writes every view
// pixel once.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

#include "compose/row_split.h"
#include "views/depth_views.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kViews = 8;

struct Scene {
  std::vector<uint32_t> picture;
  views::DepthMap depth;
};

// Noise before smooth hills of depth with a few steps: slopes and edges both.
const Scene& scene() {
  static const Scene s = [] {
    Scene made;
    std::mt19937 rng(23);
    made.picture.resize(size_t{kWidth} * kHeight);
    for (uint32_t& c : made.picture) c = rng() & 0xFFFFFF;
    made.depth = {std::vector<float>(size_t{kWidth} * kHeight), kWidth, kHeight};
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const float hills = 0.5f + 0.25f * std::sin(x * 0.01f) * std::cos(y * 0.013f);
        made.depth.z[size_t{kWidth} * y + x] = (x / 240) % 2 ? hills : hills * 0.5f;
      }
    }
    return made;
  }();
  return s;
}

const views::DepthParams kParams{kViews, 0.02 * kWidth, 0.5};
compose::ConstPixelBuffer picture() {
  return {scene().picture.data(), kWidth, kHeight};
}

void straightViews(benchmark::State& state) {
  for (auto _ : state) {
    compose::MultiViewPicture v = views::viewsFromDepthStraight(picture(), scene().depth, kParams);
    benchmark::DoNotOptimize(v.pixels.data());
  }
}

void viewsFromDepth(benchmark::State& state) {
  for (auto _ : state) {
    compose::MultiViewPicture v = views::viewsFromDepth(picture(), scene().depth, kParams);
    benchmark::DoNotOptimize(v.pixels.data());
  }
}

void viewsReused(benchmark::State& state) {
  compose::MultiViewPicture v;
  for (auto _ : state) {
    if (!views::viewsFromDepthInto(picture(), scene().depth, kParams, v))
      state.SkipWithError("memory");
    benchmark::DoNotOptimize(v.pixels.data());
  }
}

void floorInto(std::vector<uint32_t>& out) {
  const Scene& s = scene();
  compose::splitRows(kHeight, int64_t{kWidth} * kViews, [&](int64_t begin, int64_t end) {
    for (int64_t y = begin; y < end; ++y) {
      const uint32_t* from = s.picture.data() + y * kWidth;
      const float* z = s.depth.z.data() + y * kWidth;
      for (int k = 0; k < kViews; ++k) {
        uint32_t* to = out.data() + (y * kViews + k) * kWidth;
        for (int x = 0; x < kWidth; ++x) to[x] = z[x] > 0.5f ? from[x] : from[x] ^ 1u;
      }
    }
  });
}

void floorOfViews(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<uint32_t> out(size_t{kWidth} * kHeight * kViews);
    floorInto(out);
    benchmark::DoNotOptimize(out.data());
  }
}

void floorReused(benchmark::State& state) {
  std::vector<uint32_t> out(size_t{kWidth} * kHeight * kViews);
  for (auto _ : state) {
    floorInto(out);
    benchmark::DoNotOptimize(out.data());
  }
}

BENCHMARK(straightViews)
    ->Name("ViewsFromDepth/Straight/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(viewsFromDepth)
    ->Name("ViewsFromDepth/Warp/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(viewsReused)
    ->Name("ViewsFromDepth/WarpReused/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(floorOfViews)
    ->Name("ViewsFromDepth/Floor/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(floorReused)
    ->Name("ViewsFromDepth/FloorReused/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
