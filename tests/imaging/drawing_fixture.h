// What the drawing tests share: a clean library for every test and ways to look at the
// current image.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "core/library.h"
#include "imagewin/imagewin.h"
#include "imaging/imaging.h"

class Drawing : public ::testing::Test {
 protected:
  void SetUp() override { resetLibrary(); }
  void TearDown() override { resetLibrary(); }

  // Opens image window `number` (32 or 8 bits) and makes it current.
  static void open(int width, int height, int bits = 32, int number = 0) {
    const int made = bits == 32 ? TAV_CreateImageFL(number, "t", 0, 0, width, height, 100)
                                : TAV_CreateImage8FL(number, "t", 0, 0, width, height, 100);
    ASSERT_EQ(made, kCreateOk);
  }

  static int width() { return ImageTable[CurrentImage].width; }
  static int height() { return ImageTable[CurrentImage].height; }

  // Every stored value of the current image, row by row.
  static std::vector<uint32_t> pixels() {
    std::vector<uint32_t> all;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) all.push_back(TAV_GetPixel(x, y));
    return all;
  }

  // The points whose stored value is not 0.
  static std::set<std::pair<int, int>> litPoints() {
    std::set<std::pair<int, int>> lit;
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x)
        if (TAV_GetPixel(x, y) != 0) lit.insert({x, y});
    return lit;
  }

  // Random values in every pixel, the fourth byte of 32-bit pixels included.
  static void fillWithNoise(uint32_t seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < height(); ++y)
      for (int x = 0; x < width(); ++x) TAV_PutPixelQuiet(x, y, rng());
  }
};
