// The lenticular composition on image windows: for the work image and both methods,
// the pixel-by-pixel version, the buffer version, and a floor (one pass that reads
// the bytes the step reads and writes its result once), in the same run; for both
// methods also the fused version, which has no work window and reads the views
// through the resampling; for the fine method, which reads the views directly, its
// straight and fast versions and a floor. Cases are named <Operation>/<Variant>/<W>x<H>x<V>; the
// ratios are printed after the table, from real (wall-clock) times, since the buffer
// versions may use two threads.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "compose/compose_pixels.h"
#include "compose/fine.h"
#include "compose/row_split.h"
#include "imagewin/imagewin.h"
#include "platform/test.h"
#include "ratio_main.h"

namespace {

constexpr int kViewWidth = 640;
constexpr int kViewHeight = 360;

struct Setting {
  int W, H, V;
};

uint32_t* pixelsOf(int number) {
  return reinterpret_cast<uint32_t*>(ImagePixels[number]);
}
int widthOf(int number) {
  return ImageTable[number].width;
}
int heightOf(int number) {
  return ImageTable[number].height;
}

// The player's windows at one setting: views, work image (unless the views are read
// directly) and output, filled with noise.
void openWindows(Setting s, bool withWork) {
  imagewin::resetImageWindows();
  app::Width = s.W;
  app::Height = s.H;
  app::View_num = s.V;
  app::builtViewCount = s.V;
  app::Pitch = 17.319;
  TAV_CreateImageFL(app::kMultiViewImage, "mv", 0, 0, kViewWidth * s.V, kViewHeight, 1);
  if (withWork) TAV_CreateImageFL(app::kWorkImage, "work", 0, 0, 3 * s.W * s.V, s.H, 1);
  TAV_CreateImageFL(app::kOutputImage, "out", 0, 0, s.W, s.H, 1);
  std::mt19937 rng(3);
  for (int n : {app::kMultiViewImage, app::kWorkImage}) {
    uint32_t* p = pixelsOf(n);
    if (!p) continue;
    const size_t count = static_cast<size_t>(widthOf(n)) * heightOf(n);
    for (size_t i = 0; i < count; ++i) p[i] = rng() & 0x00FFFFFF;
  }
  // Without a work window this only keeps the view size the compositions read with.
  if (!withWork) app::BuildWorkImage(kViewWidth, kViewHeight);
}

// The floors split their rows among threads as the methods do, so that each ratio
// compares the work per row.

// Floor of the work image: every multi-view row the build reads, read once, and every
// work pixel it writes, written once.
std::function<void()> buildWorkFloor(Setting s) {
  return [s] {
    const uint32_t* in = pixelsOf(app::kMultiViewImage);
    uint32_t* out = pixelsOf(app::kWorkImage);
    const int64_t inWidth = widthOf(app::kMultiViewImage);
    const int64_t cols = widthOf(app::kWorkImage);
    const double sy = static_cast<double>(kViewHeight) / s.H;
    compose::splitRows(s.H, cols, [&](int64_t begin, int64_t end) {
      for (int64_t y = begin; y < end; ++y) {
        const uint32_t* row = in + static_cast<int64_t>(y * sy) * inWidth;
        uint32_t acc = 0;
        for (int64_t x = 0; x < inWidth; ++x) acc ^= row[x];
        std::fill(out + y * cols, out + (y + 1) * cols, acc);
      }
    });
  };
}

// Floor of the column stripes: the work pixels of every stripe in every row group,
// read once, and every output pixel written once.
std::function<void()> composeStableFloor(Setting s) {
  const compose::StripePlan plan = compose::planStableStripes(17.319, s.V, s.W, s.W);
  const int64_t band = 3 * static_cast<int64_t>(s.W);
  std::vector<int64_t> base(plan.size());
  for (size_t c = 0; c < plan.size(); ++c) base[c] = static_cast<int64_t>(c) + plan.view[c] * band;
  return [s, base] {
    const uint32_t* work = pixelsOf(app::kWorkImage);
    uint32_t* out = pixelsOf(app::kOutputImage);
    const int64_t workWidth = widthOf(app::kWorkImage);
    const int64_t count = static_cast<int64_t>(base.size());
    compose::splitRows(s.H / 3, 3 * s.W, [&](int64_t begin, int64_t end) {
      std::vector<uint32_t> vals(base.size());
      for (int64_t r = begin; r < end; ++r) {
        const uint32_t* row = work + 3 * r * workWidth;
        for (int64_t c = 0; c < count; ++c) vals[c] = row[std::min(base[c] + 3 * r, workWidth - 1)];
        for (int64_t y = 3 * r; y < 3 * r + 3; ++y) {
          uint32_t* o = out + y * s.W;
          for (int64_t x = 0; x < s.W; ++x) o[x] = vals[std::min(3 * x, count - 1)];
        }
      }
    });
  };
}

// Floor of the row groups: the work pixel of every sub-pixel in every row group, read
// once, and every output pixel written once.
std::function<void()> composeBetaFloor(Setting s) {
  const compose::BetaTables tables = compose::buildBetaTables(17.319, s.V, s.W, s.H);
  return [s, view = tables.view] {
    const uint32_t* work = pixelsOf(app::kWorkImage);
    uint32_t* out = pixelsOf(app::kOutputImage);
    const int64_t workWidth = widthOf(app::kWorkImage);
    const int64_t columns = 3 * static_cast<int64_t>(s.W);
    const int64_t groups = s.H / 3;
    compose::splitRows(groups, 3 * s.W, [&](int64_t begin, int64_t end) {
      std::vector<uint32_t> staged(static_cast<size_t>(columns));
      for (int64_t g = begin; g < end; ++g) {
        const uint32_t* row = work + 3 * g * workWidth;
        const int32_t* v = view.data() + 3 * (groups - g);
        for (int64_t l = 0; l < columns; ++l) staged[l] = row[l + v[l] * columns];
        for (int64_t y = 3 * g; y < 3 * g + 3; ++y) {
          uint32_t* o = out + y * s.W;
          for (int64_t x = 0; x < s.W; ++x) o[x] = staged[3 * x];
        }
      }
    });
  };
}

// The fine method reads the views straight from a multi-view picture of its own.
struct FineSetting {
  compose::FineParams p;
  std::vector<uint32_t> views;
  std::vector<uint32_t> output;
  compose::ConstPixelBuffer in() const { return {views.data(), kViewWidth * p.views, kViewHeight}; }
  compose::PixelBuffer out() { return {output.data(), p.width, p.height}; }
};

std::shared_ptr<FineSetting> fineSetting(Setting s) {
  auto f = std::make_shared<FineSetting>();
  f->p = {17.319, 1.0 / 3, 0.5, compose::SubpixelOrder::Bgr, s.V, s.W, s.H};
  f->views.resize(static_cast<size_t>(kViewWidth) * s.V * kViewHeight);
  std::mt19937 rng(3);
  for (uint32_t& v : f->views) v = rng() & 0x00FFFFFF;
  f->output.resize(static_cast<size_t>(s.W) * s.H);
  return f;
}

// Floor of the fine method: one multi-view pixel read per sub-pixel, in the same
// order (the source columns of row 0, on every row's own source row), and every output
// pixel written once.
std::function<void()> composeFineFloor(std::shared_ptr<FineSetting> f) {
  const compose::FineParams& p = f->p;
  std::vector<int32_t> source(3 * static_cast<size_t>(p.width));
  const double sx = static_cast<double>(kViewWidth) / (3.0 * p.width);
  for (size_t s = 0; s < source.size(); ++s) {
    source[s] = compose::fineView(static_cast<double>(s), 0, p) * kViewWidth +
                static_cast<int32_t>(static_cast<double>(s) * sx);
  }
  return [f, source] {
    const compose::FineParams& q = f->p;
    const compose::ConstPixelBuffer in = f->in();
    const double sy = static_cast<double>(kViewHeight) / q.height;
    compose::splitRows(q.height, q.width, [&](int64_t begin, int64_t end) {
      for (int64_t y = begin; y < end; ++y) {
        const uint32_t* row = in.pixels + static_cast<int64_t>(y * sy) * in.width;
        uint32_t* o = f->output.data() + y * q.width;
        const int32_t* src = source.data();
        for (int64_t x = 0; x < q.width; ++x, src += 3) {
          o[x] = (row[src[0]] & 0xFF) | (row[src[1]] & 0xFF00) | (row[src[2]] & 0xFF0000);
        }
      }
    });
  };
}

void registerFine(Setting s) {
  const std::shared_ptr<FineSetting> f = fineSetting(s);
  const std::pair<const char*, std::function<void()>> variants[] = {
      {"Straight", [f] { compose::composeFineStraight(f->in(), f->out(), f->p); }},
      {"Fast", [f] { compose::composeFinePixels(f->in(), f->out(), f->p); }},
      {"Floor", composeFineFloor(f)},
  };
  for (const auto& [variant, fn] : variants) {
    const std::string name = "ComposeFine/" + std::string(variant) + "/" + std::to_string(s.W) +
                             "x" + std::to_string(s.H) + "x" + std::to_string(s.V);
    benchmark::RegisterBenchmark(name.c_str(), [s, fn = fn](benchmark::State& state) {
      for (auto _ : state) {
        fn();
        benchmark::ClobberMemory();
      }
      state.SetItemsProcessed(state.iterations() * s.W * s.H);
    })->Unit(benchmark::kMillisecond);
  }
}

std::string caseName(const char* operation, const char* variant, Setting s) {
  return std::string(operation) + "/" + variant + "/" + std::to_string(s.W) + "x" +
         std::to_string(s.H) + "x" + std::to_string(s.V);
}

void registerSetting(Setting s) {
  struct Operation {
    const char* name;
    std::function<void()> straight, fast, floor, fused;
  };
  const Operation operations[] = {
      {"BuildWorkImage", [] { app::buildWorkImageStraight(kViewWidth, kViewHeight); },
       [] { app::BuildWorkImage(kViewWidth, kViewHeight); }, buildWorkFloor(s), nullptr},
      {"ComposeStable", app::composeStableStraight, app::ComposeStable, composeStableFloor(s),
       app::ComposeStable},
      {"ComposeBeta", app::composeBetaStraight, app::ComposeBeta, composeBetaFloor(s),
       app::ComposeBeta},
  };
  for (const Operation& op : operations) {
    for (const auto& [variant, fn] :
         {std::pair{"Straight", op.straight}, std::pair{"Fast", op.fast},
          std::pair{"Fused", op.fused}, std::pair{"Floor", op.floor}}) {
      if (!fn) continue;
      const bool withWork = std::string(variant) != "Fused";
      benchmark::RegisterBenchmark(caseName(op.name, variant, s).c_str(),
                                   [s, withWork, fn = fn](benchmark::State& state) {
                                     openWindows(s, withWork);
                                     for (auto _ : state) {
                                       fn();
                                       benchmark::ClobberMemory();
                                     }
                                     state.SetItemsProcessed(state.iterations() * s.W * s.H);
                                   })
          ->Unit(benchmark::kMillisecond);
    }
  }
}

// fused / fast: the composition from the views against the one from the work image;
// fused / (build + fast): against making the work image and composing it.
void printRatios(const CaseTimes& times) {
  std::printf("\n%-30s %16s %14s %13s %22s\n", "real time", "straight / fast", "fast / floor",
              "fused / fast", "fused / (build + fast)");
  for (const auto& [name, fast] : times) {
    const size_t at = name.find("/Fast/");
    if (at == std::string::npos || fast <= 0) continue;
    auto other = [&](const char* variant) {
      std::string n = name;
      n.replace(at, 6, std::string("/") + variant + "/");
      const auto it = times.find(n);
      return it == times.end() ? 0.0 : it->second;
    };
    std::string shown = name;
    shown.erase(at, 5);
    const double floor = other("Floor");
    const double fused = other("Fused");
    const auto b = times.find("BuildWorkImage" + name.substr(at));
    const double buildTime = b == times.end() ? 0.0 : b->second;
    std::printf("%-30s %16.1f %14.2f", shown.c_str(), other("Straight") / fast,
                floor > 0 ? fast / floor : 0.0);
    if (fused > 0) std::printf(" %13.2f %22.2f", fused / fast, fused / (buildTime + fast));
    std::printf("\n");
  }
}

}  // namespace

int main(int argc, char** argv) {
  return plat::test::runHeadless(argc, argv, [&] {
    // The work image at V 60 and W 1920 is 345600 pixels wide; a screen this big lets
    // its window open at zoom 1.
    plat::test::pinScreenSize(3840, 2160);
    registerSetting({800, 480, 7});
    registerSetting({1920, 1240, 7});
    registerSetting({1920, 1240, 60});
    registerFine({1920, 1080, 8});
    registerFine({1920, 1080, 60});
    const int result = runBenchmarks(argc, argv, printRatios);
    imagewin::resetImageWindows();
    return result;
  });
}
