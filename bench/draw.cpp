// The drawing layer's full-picture operations on a 1920 x 1240 32-bit image window: paint
// of an empty picture, the six test patterns and a right rotation, each beside a floor
// (one plain pass that writes the same pixels) in the same run. Cases are named
// <Operation>/<Variant>/1920x1240; the ratios fast / floor are printed after the table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/message.h"
#include "platform/test.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1240;

void pumpOwnQueue() {
  plat::Message msg;
  while (plat::peekMessage(msg, plat::Peek::Remove)) {
    plat::translateMessage(msg);
    plat::dispatchMessage(msg);
  }
}

uint32_t* pixels() { return reinterpret_cast<uint32_t*>(ImagePixels[0]); }
size_t pixelCount() { return size_t(ImageTable[0].width) * size_t(ImageTable[0].height); }

// The floor: every pixel written once, each row copied from a row made beforehand
// (memcpy: the fastest plain store there is).
void writeEveryPixel(uint32_t value) {
  static std::vector<uint32_t> row;
  row.assign(kWidth, value);
  for (int y = 0; y < ImageTable[0].height; ++y)
    std::memcpy(pixels() + size_t(y) * ImageTable[0].width, row.data(), size_t(ImageTable[0].width) * 4);
}

struct Operation {
  const char* name;
  std::function<void()> fast, floor;
};

std::vector<Operation> operations() {
  static uint32_t round = 0;
  // Paint alternates two colours, so every round fills a picture of one value.
  auto paint = [] {
    DrawColor = ++round & 1 ? 0x102030 : 0x000000;
    TAV_Paint(kWidth / 2, kHeight / 2);
  };
  auto paintFloor = [] { writeEveryPixel(++round & 1 ? 0x102030 : 0x000000); };
  auto patternFloor = [] { writeEveryPixel(++round); };
  // The rotation's floor copies the picture once into a buffer of the turned size.
  static std::vector<uint32_t> turned(size_t(kWidth) * kHeight);
  auto rotateFloor = [] { std::memcpy(turned.data(), pixels(), pixelCount() * 4); };
  return {
      {"Paint", paint, paintFloor},
      {"PatternRGB", TAV_PatternRGB, patternFloor},
      {"PatternHSV", TAV_PatternHSV, patternFloor},
      {"PatternYCrCb", TAV_PatternYCrCb, patternFloor},
      {"PatternYuv", TAV_PatternYuv, patternFloor},
      {"PatternYIQ", TAV_PatternYIQ, patternFloor},
      {"PatternGrey", TAV_PatternGrey, patternFloor},
      {"RotateRight", [] { imaging::rotateRight(0); pumpOwnQueue(); }, rotateFloor},
  };
}

std::string caseName(const char* operation, const char* variant) {
  return std::string(operation) + "/" + variant + "/" + std::to_string(kWidth) + "x" +
         std::to_string(kHeight);
}

void registerCases() {
  for (const Operation& op : operations()) {
    for (const auto& [variant, fn] : {std::pair{"Fast", op.fast}, std::pair{"Floor", op.floor}}) {
      benchmark::RegisterBenchmark(caseName(op.name, variant).c_str(), [fn = fn](benchmark::State& state) {
        imagewin::resetForTests();
        imaging::resetForTests();
        if (TAV_CreateImage(0, "bench", 0, 0, kWidth, kHeight, 100) != kCreateOk) {
          state.SkipWithError("no image window");
          return;
        }
        for (auto _ : state) {
          fn();
          benchmark::ClobberMemory();
        }
        state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
        imagewin::resetForTests();
        pumpOwnQueue();
      })->Unit(benchmark::kMillisecond);
    }
  }
}

// Keeps each case's time so that the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs) {
      if (r.run_type == Run::RT_Iteration) times_[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void printRatios() const {
    std::printf("\n%-26s %14s\n", "real time", "fast / floor");
    for (const auto& [name, fast] : times_) {
      const size_t at = name.find("/Fast/");
      if (at == std::string::npos) continue;
      std::string floorName = name;
      floorName.replace(at, 6, "/Floor/");
      const auto floor = times_.find(floorName);
      if (floor == times_.end() || floor->second <= 0) continue;
      std::string shown = name;
      shown.erase(at, 5);
      std::printf("%-26s %14.2f\n", shown.c_str(), fast / floor->second);
    }
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  return plat::test::runHeadless(argc, argv, [&] {
    registerCases();
    bool console = true;
    for (int i = 1; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg.rfind("--benchmark_format=", 0) == 0 && arg != "--benchmark_format=console") console = false;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (console) {
      RatioReporter reporter;
      benchmark::RunSpecifiedBenchmarks(&reporter);
      reporter.printRatios();
    } else {
      benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    imagewin::resetForTests();
    return 0;
  });
}
