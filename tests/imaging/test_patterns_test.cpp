// The test patterns: the row versions against the pixel-by-pixel ones at awkward sizes,
// and what the patterns look like at their corners.
#include <functional>

#include "drawing_fixture.h"
#include "straight_drawing.h"

namespace {

struct Pattern {
  const char* name;
  void (*fast)();
  void (*straight)();
};
constexpr Pattern kPatterns[] = {
    {"RGB", TAV_PatternRGB, imaging::patternRGBStraight},
    {"HSV", TAV_PatternHSV, imaging::patternHSVStraight},
    {"YCrCb", TAV_PatternYCrCb, imaging::patternYCrCbStraight},
    {"Yuv", TAV_PatternYuv, imaging::patternYuvStraight},
    {"YIQ", TAV_PatternYIQ, imaging::patternYIQStraight},
    {"Grey", TAV_PatternGrey, imaging::patternGreyStraight},
};

TEST_F(Drawing, PatternsMatchThePixelByPixelVersionsAtEverySize) {
  // 3001 wide: column runs longer than the eight pixels filled at a time, and a last run
  // that ends at an odd place. 700 high: rows that repeat the row above.
  const std::pair<int, int> sizes[] = {{1, 1},   {1, 9},   {9, 1},    {2, 2},    {7, 5},
                                       {13, 30}, {255, 3}, {640, 17}, {3001, 3}, {300, 700}};
  for (int bits : {32, 8}) {
    for (auto [w, h] : sizes) {
      for (const Pattern& p : kPatterns) {
        imagewin::resetImageWindows();
        open(w, h, bits);
        fillWithNoise(1);
        PenPosition = {-7, -7};
        p.straight();
        const std::vector<uint32_t> expected = pixels();
        const plat::Point pen = PenPosition;
        fillWithNoise(1);
        PenPosition = {-7, -7};
        p.fast();
        ASSERT_EQ(pixels(), expected) << p.name << " " << w << "x" << h << " " << bits;
        ASSERT_EQ(PenPosition, pen) << p.name;
        ASSERT_EQ(pen, (plat::Point{w - 1, h - 1})) << p.name;
      }
    }
  }
}

TEST_F(Drawing, PatternCornersAndThinPictures) {
  open(1, 5);
  TAV_PatternRGB();
  for (int y = 0; y < 5; ++y) EXPECT_EQ(TAV_GetPixel(0, y) >> 16, 0u);  // one column: no red

  open(1, 1, 32, 1);
  TAV_PatternYCrCb();
  EXPECT_EQ(TAV_GetPixel(0, 0), 0u);  // the centre has no luma and no chroma

  // One row high: the row of full hues, red at the left.
  open(6, 1, 32, 2);
  TAV_PatternHSV();
  EXPECT_EQ(TAV_GetPixel(0, 0), 0xFF0000u);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(TAV_GetSaturation(TAV_GetPixel(x, 0)), 255);

  open(64, 64, 32, 3);
  TAV_PatternHSV();
  EXPECT_EQ(TAV_GetPixel(0, 0), 0xFFFFFFu);         // white at the top
  EXPECT_EQ(TAV_GetPixel(0, 32), 0xFF0000u);        // full hue in the middle
  EXPECT_EQ(TAV_GetValue(TAV_GetPixel(0, 63)), 8);  // 255 - 255 * 31 / 32: near black
  TAV_PatternRGB();
  EXPECT_EQ(TAV_GetPixel(0, 0), 0x0000FFu);
  EXPECT_EQ(TAV_GetPixel(63, 63), 0xFBFB04u);  // 255 * 63 / 64 = 251; 255 - 255 * 126 / 128 = 4
}

TEST_F(Drawing, GreyPatternRestoresTheGreyRampOnEightBits) {
  open(4, 4, 8);
  plat::Palette reds{};
  for (int k = 0; k < 256; ++k) reds[k] = {0, 0, static_cast<uint8_t>(k), 0};
  ASSERT_EQ(TAV_SetPalette(reds.data(), 256), 0);
  TAV_PatternGrey();
  plat::Palette now{};
  ASSERT_EQ(TAV_GetPalette(now.data()), 0);
  EXPECT_EQ(now, plat::greyPalette());
  const std::vector<uint32_t> expected = {0,   63,  127, 191, 0,   63,  127, 191,
                                          255, 192, 128, 64,  255, 192, 128, 64};
  EXPECT_EQ(pixels(), expected);
}

TEST_F(Drawing, PatternsWithoutAnOpenImageDoNothing) {
  open(5, 5);
  ASSERT_EQ(TAV_DestroyImage(0), 0);
  ASSERT_EQ(CurrentImage, 0);
  for (const Pattern& p : kPatterns) p.fast();  // no buffer to reach, no crash
  open(5, 5);
  EXPECT_TRUE(litPoints().empty());
}

}  // namespace
