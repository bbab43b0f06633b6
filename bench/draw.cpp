// The drawing layer's full-picture operations on a 1920 x 1240 32-bit image window: paint
// of an empty picture, the six test patterns and a right rotation, each beside a floor
// (one plain pass that writes the same pixels) in the same run. Cases are named
// <Operation>/<Variant>/1920x1240; the ratios fast / floor are printed after the table.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "imagewin/imagewin.h"
#include "imaging/imaging.h"
#include "platform/message.h"
#include "platform/test.h"
#include "ratio_main.h"

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

uint32_t* row(int y) {
  return reinterpret_cast<uint32_t*>(ImageTable[0].surface->row8(y));
}

// Every row of the picture copied from a row held in the cache (memcpy: the fastest plain
// store there is). What a floor writes is what its operation writes wherever that output
// is made of repeated rows; elsewhere the stored values cannot change what the pass costs.
void copyRows(const uint32_t* top, const uint32_t* bottom) {
  const int W = ImageTable[0].width, H = ImageTable[0].height;
  for (int y = 0; y < H; ++y) std::memcpy(row(y), y < H / 2 ? top : bottom, size_t(W) * 4);
}

// The whole picture from a packed one, row by row.
void copyPicture(const std::vector<uint32_t>& packed) {
  const int W = ImageTable[0].width;
  for (int y = 0; y < ImageTable[0].height; ++y)
    std::memcpy(row(y), packed.data() + size_t(y) * W, size_t(W) * 4);
}

std::vector<uint32_t> packedPicture() {
  std::vector<uint32_t> packed(size_t(ImageTable[0].width) * ImageTable[0].height);
  TAV_GetImageBlock(packed.data(), 0, 0, ImageTable[0].width, ImageTable[0].height);
  return packed;
}

struct Operation {
  const char* name;
  std::function<void()> fast, floor;
  std::function<void()> setup = [] {};  // before the timing, for both variants
};

// A pattern's floor: its own top row over the upper half and its own bottom row over the
// lower half, which is the whole of the grey pattern and as wide a spread of values as
// the others have in a row.
Operation patternCase(const char* name, void (*pattern)()) {
  static std::vector<uint32_t> top, bottom;
  auto setup = [pattern] {
    pattern();
    top.assign(row(0), row(0) + kWidth);
    bottom.assign(row(kHeight - 1), row(kHeight - 1) + kWidth);
  };
  return {name, pattern, [] { copyRows(top.data(), bottom.data()); }, setup};
}

// A rotation must re-create the window at the turned size (the window keeps its number,
// place and settings; the new picture starts blank), so its floor re-creates it the same
// way and then writes the turned picture in one plain pass, copied row by row from the
// turned picture made beforehand. Both variants take the message queue the new window
// fills. The floor leaves out the working copy the rotation takes before re-creating.
Operation rotationCase() {
  static std::vector<uint32_t> upright, turned;
  auto setup = [] {
    TAV_PatternRGB();
    upright = packedPicture();
    turned.resize(upright.size());
    for (int y = 0; y < kWidth; ++y)  // turned right: kHeight wide, kWidth high
      for (int x = 0; x < kHeight; ++x)
        turned[size_t(y) * kHeight + x] = upright[size_t(kHeight - 1 - x) * kWidth + y];
  };
  auto fast = [] {
    imaging::rotateRight(0);
    pumpOwnQueue();
  };
  auto floor = [] {
    const bool wide = ImageTable[0].width == kWidth;
    if (TAV_ResizeImage(0, ImageTable[0].height, ImageTable[0].width) != 0) std::abort();
    copyPicture(wide ? turned : upright);
    pumpOwnQueue();
  };
  return {"RotateRight", fast, floor, setup};
}

std::vector<Operation> operations() {
  static uint32_t round = 0;
  static std::vector<uint32_t> paintRow(kWidth);
  // Paint alternates two colours, so every round fills the picture with one value, and
  // its floor writes that value.
  auto paint = [] {
    DrawColor = ++round & 1 ? 0x102030 : 0x000000;
    TAV_Paint(kWidth / 2, kHeight / 2);
  };
  auto paintFloor = [] {
    std::fill(paintRow.begin(), paintRow.end(), ++round & 1 ? 0x102030 : 0x000000);
    copyRows(paintRow.data(), paintRow.data());
  };
  return {
      {"Paint", paint, paintFloor},
      patternCase("PatternRGB", TAV_PatternRGB),
      patternCase("PatternHSV", TAV_PatternHSV),
      patternCase("PatternYCrCb", TAV_PatternYCrCb),
      patternCase("PatternYuv", TAV_PatternYuv),
      patternCase("PatternYIQ", TAV_PatternYIQ),
      patternCase("PatternGrey", TAV_PatternGrey),
      rotationCase(),
  };
}

std::string caseName(const char* operation, const char* variant) {
  return std::string(operation) + "/" + variant + "/" + std::to_string(kWidth) + "x" +
         std::to_string(kHeight);
}

void registerCases() {
  for (const Operation& op : operations()) {
    for (const auto& [variant, fn] : {std::pair{"Fast", op.fast}, std::pair{"Floor", op.floor}}) {
      benchmark::RegisterBenchmark(
          caseName(op.name, variant).c_str(),
          [fn = fn, setup = op.setup](benchmark::State& state) {
            imagewin::resetImageWindows();
            imaging::resetDrawingState();
            if (TAV_CreateImage(0, "bench", 0, 0, kWidth, kHeight, 100) != kCreateOk) {
              state.SkipWithError("no image window");
              return;
            }
            setup();
            for (auto _ : state) {
              fn();
              benchmark::ClobberMemory();
            }
            state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
            imagewin::resetImageWindows();
            pumpOwnQueue();
          })
          ->Unit(benchmark::kMillisecond);
    }
  }
}

void printRatios(const CaseTimes& times) {
  std::printf("\n%-26s %14s\n", "real time", "fast / floor");
  for (const auto& [name, fast] : times) {
    const size_t at = name.find("/Fast/");
    if (at == std::string::npos) continue;
    std::string floorName = name;
    floorName.replace(at, 6, "/Floor/");
    const auto floor = times.find(floorName);
    if (floor == times.end() || floor->second <= 0) continue;
    std::string shown = name;
    shown.erase(at, 5);
    std::printf("%-26s %14.2f\n", shown.c_str(), fast / floor->second);
  }
}

}  // namespace

int main(int argc, char** argv) {
  return plat::test::runHeadless(argc, argv, [&] {
    registerCases();
    const int result = runBenchmarks(argc, argv, printRatios);
    imagewin::resetImageWindows();
    return result;
  });
}
