// Views from a 1920 x 1080 stereo pair: finding both eyes' disparities, and making 8
// views from them.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "views/stereo_views.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kViews = 8;

struct Pair {
  std::vector<uint32_t> left, right;
  compose::ConstPixelBuffer l() const { return {left.data(), kWidth, kHeight}; }
  compose::ConstPixelBuffer r() const { return {right.data(), kWidth, kHeight}; }
};

// Noise seen by two eyes: a background 40 pixels behind the panel's plane and a square
// 80 before it.
const Pair& pair() {
  static const Pair p = [] {
    Pair made;
    std::mt19937 rng(5);
    const int margin = 200, w = kWidth + 2 * margin;
    std::vector<uint32_t> back(size_t{w} * kHeight), front(back.size());
    for (uint32_t& c : back) c = rng() & 0xFFFFFF;
    for (uint32_t& c : front) c = rng() & 0xFFFFFF;
    made.left.resize(size_t{kWidth} * kHeight);
    made.right.resize(made.left.size());
    for (int eye = 0; eye < 2; ++eye) {
      const int far = eye == 0 ? 20 : -20, near = eye == 0 ? -40 : 40;
      for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
          const bool square = y > 300 && y < 800 && x + near > 700 && x + near < 1300;
          (eye == 0 ? made.left : made.right)[size_t{kWidth} * y + x] =
              square ? front[size_t{w} * y + x + near + margin]
                     : back[size_t{w} * y + x + far + margin];
        }
      }
    }
    return made;
  }();
  return p;
}

void disparity(benchmark::State& state) {
  const Pair& p = pair();
  for (auto _ : state) {
    views::DisparityMaps d = views::disparityOfPair(p.l(), p.r());
    benchmark::DoNotOptimize(d.left.data());
  }
}

void viewsFromPair(benchmark::State& state) {
  const Pair& p = pair();
  const views::DisparityMaps d = views::disparityOfPair(p.l(), p.r());
  for (auto _ : state) {
    compose::MultiViewPicture v = views::viewsFromPair(p.l(), p.r(), d, kViews);
    benchmark::DoNotOptimize(v.pixels.data());
  }
}

BENCHMARK(disparity)
    ->Name("ViewsFromPair/Disparity/1920x1080")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(viewsFromPair)
    ->Name("ViewsFromPair/Warp/1920x1080x8")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
