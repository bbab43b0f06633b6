// The lenticular composition on image windows: the pixel-by-pixel versions beside the
// buffer versions, for both methods and the work image, with the ratios printed at the
// end of the same run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "app/lenticular.h"
#include "imagewin/imagewin.h"
#include "platform/test.h"

namespace {

struct Setting {
  int W, H, V;
};

// The player's windows at one setting: views, work image and output, filled with noise.
void openWindows(Setting s) {
  imagewin::resetForTests();
  app::Width = s.W;
  app::Height = s.H;
  app::View_num = s.V;
  app::builtViewCount = s.V;
  app::Pitch = 17.319;
  const int viewW = 640, viewH = 360;
  TAV_CreateImageFL(app::kMultiViewImage, "mv", 0, 0, viewW * s.V, viewH, 1);
  TAV_CreateImageFL(app::kWorkImage, "work", 0, 0, 3 * s.W * s.V, s.H, 1);
  TAV_CreateImageFL(app::kOutputImage, "out", 0, 0, s.W, s.H, 1);
  std::mt19937 rng(3);
  for (int n : {app::kMultiViewImage, app::kWorkImage}) {
    auto* p = reinterpret_cast<uint32_t*>(ImagePixels[n]);
    const size_t count = static_cast<size_t>(ImageTable[n].width) * ImageTable[n].height;
    for (size_t i = 0; i < count; ++i) p[i] = rng() & 0x00FFFFFF;
  }
}

std::string label(const char* step, const char* how, Setting s) {
  return std::string(step) + "/" + how + "/" + std::to_string(s.W) + "x" + std::to_string(s.H) +
         "V" + std::to_string(s.V);
}

void registerSetting(Setting s) {
  struct Step {
    const char* name;
    void (*straight)();
    void (*fast)();
  };
  static const Step steps[] = {
      {"Stable", app::ComposeStableStraight, app::ComposeStable},
      {"Beta", app::ComposeBetaStraight, app::ComposeBeta},
      {"BuildWork", [] { app::BuildWorkImageStraight(640, 360); },
       [] { app::BuildWorkImage(640, 360); }},
  };
  for (const Step& step : steps) {
    for (auto [how, fn] : {std::pair{"Straight", step.straight}, std::pair{"Fast", step.fast}}) {
      benchmark::RegisterBenchmark(label(step.name, how, s).c_str(),
                                   [s, fn = fn](benchmark::State& state) {
                                     openWindows(s);
                                     for (auto _ : state) {
                                       fn();
                                       benchmark::ClobberMemory();
                                     }
                                     state.SetItemsProcessed(state.iterations() * s.W * s.H);
                                   })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
  }
}

// Keeps each run's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    std::printf("\nstraight / fast (how many times faster the buffer version is):\n");
    for (const auto& [name, t] : times_) {
      const size_t at = name.find("/Straight/");
      if (at == std::string::npos) continue;
      std::string fast = name;
      fast.replace(at, 10, "/Fast/");
      const auto f = times_.find(fast);
      if (f == times_.end() || f->second <= 0) continue;
      std::string shown = name;
      shown.erase(at, 9);
      std::printf("  %-28s %8.1f\n", shown.c_str(), t / f->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  return plat::test::runHeadless(argc, argv, [&] {
    registerSetting({800, 480, 8});
    registerSetting({1920, 1240, 8});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    imagewin::resetForTests();
    return 0;
  });
}
