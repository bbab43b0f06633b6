// Stretching as the playback loop does it: our stretchBlt in both modes beside QImage::scaled
// (fast and smooth) on the same sizes, in one run.
#include <benchmark/benchmark.h>

#include <QImage>
#include <cstdio>
#include <random>
#include <string>

#include "platform/surface.h"

namespace {

struct Size {
  int w, h;
};

// A picture with detail at every scale: noise over gradients.
std::unique_ptr<plat::Surface> picture(Size s) {
  auto p = plat::Surface::create(s.w, s.h, 32);
  std::mt19937 rng(1);
  for (int y = 0; y < s.h; ++y) {
    uint32_t* row = p->row32(y);
    for (int x = 0; x < s.w; ++x) {
      uint32_t noise = rng() & 0x3F3F3F;
      row[x] = ((x * 255 / s.w) << 16 | (y * 255 / s.h) << 8 | ((x + y) & 0xFF)) ^ noise;
    }
  }
  return p;
}

std::string name(const char* who, const char* how, Size from, Size to) {
  return std::string("Stretch/") + who + "/" + how + "/" + std::to_string(from.w) + "x" +
         std::to_string(from.h) + "to" + std::to_string(to.w) + "x" + std::to_string(to.h);
}

void registerCase(Size from, Size to) {
  // Made once per source size and kept for the run.
  static std::vector<std::shared_ptr<plat::Surface>> keep;
  std::shared_ptr<plat::Surface> src = picture(from);
  keep.push_back(src);
  for (auto [mode, how] :
       {std::pair{plat::kColorOnColor, "ColorOnColor"}, std::pair{plat::kHalftone, "Halftone"}}) {
    benchmark::RegisterBenchmark(name("Ours", how, from, to).c_str(), [src, from, to, mode = mode](
                                                                          benchmark::State& state) {
      auto dst = plat::Surface::create(to.w, to.h, 32);
      dst->setStretchMode(mode);
      for (auto _ : state) {
        plat::stretchBlt(*dst, 0, 0, to.w, to.h, *src, 0, 0, from.w, from.h);
        benchmark::DoNotOptimize(dst->data());
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(state.iterations() * to.w * to.h);
    })->Unit(benchmark::kMillisecond);
  }
  for (auto [mode, how] :
       {std::pair{Qt::FastTransformation, "Fast"}, std::pair{Qt::SmoothTransformation, "Smooth"}}) {
    benchmark::RegisterBenchmark(
        name("QImage", how, from, to).c_str(),
        [src, from, to, mode = mode](benchmark::State& state) {
          const QImage image(src->data(), from.w, from.h, static_cast<qsizetype>(src->stride()),
                             QImage::Format_RGB32);
          for (auto _ : state) {
            QImage out = image.scaled(to.w, to.h, Qt::IgnoreAspectRatio, mode);
            benchmark::DoNotOptimize(out.constBits());
          }
          state.SetItemsProcessed(state.iterations() * to.w * to.h);
        })
        ->Unit(benchmark::kMillisecond);
  }
}

}  // namespace

int main(int argc, char** argv) {
  registerCase({16800, 480}, {1680, 48});
  registerCase({1920, 1080}, {960, 540});
  registerCase({1920, 1080}, {3840, 2160});
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
