// Hue, saturation and value, luma and the colour differences, on the examples worked by
// hand and over every colour.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "imaging/imaging.h"

namespace {

struct Hsv {
  int h, s, v;
  friend bool operator==(const Hsv&, const Hsv&) = default;
};
Hsv hsvOf(uint32_t c) {
  Hsv r{};
  TAV_RgbToHsv(c, &r.h, &r.s, &r.v);
  return r;
}

TEST(ColorModels, HueSectorsAndTheirTies) {
  EXPECT_EQ(hsvOf(0xFF0000), (Hsv{0, 255, 255}));
  EXPECT_EQ(hsvOf(0xFFFF00).h, 60);   // R = G > B: the first row
  EXPECT_EQ(hsvOf(0x00FFFF).h, 180);  // G = B > R: the third row
  EXPECT_EQ(hsvOf(0xFF00FF).h, 300);  // R = B > G: the fifth row
  EXPECT_EQ(hsvOf(0x808080), (Hsv{0, 0, 128}));
  EXPECT_EQ(hsvOf(0x80FF00), (Hsv{89, 255, 255}));  // measured from the maximum
  EXPECT_EQ(hsvOf(0x0080FF).h, 60 * (255 - 128) / 255 + 180);
  EXPECT_EQ(hsvOf(0xFF0080).h, 60 * (255 - 128) / 255 + 300);
  EXPECT_EQ(hsvOf(0x10C040).h, 60 * (0x40 - 0x10) / 0xB0 + 120);
  EXPECT_EQ(hsvOf(0x4010C0).h, 60 * (0x40 - 0x10) / 0xB0 + 240);
  EXPECT_EQ(hsvOf(0xFF123456), hsvOf(0x123456));  // the top byte is no colour
  EXPECT_EQ(TAV_GetHue(0x80FF00), 89);
  EXPECT_EQ(TAV_GetSaturation(0x80FF00), 255);
  EXPECT_EQ(TAV_GetValue(0x2080FF00), 255);
}

TEST(ColorModels, EveryColourHasAHueBelow360) {
  for (uint32_t c = 0; c < (1u << 24); c += 7) {
    const Hsv x = hsvOf(c);
    const int r = c >> 16, g = (c >> 8) & 255, b = c & 255;
    ASSERT_GE(x.h, 0);
    ASSERT_LT(x.h, 360) << std::hex << c;
    ASSERT_EQ(x.v, std::max({r, g, b}));
    ASSERT_EQ(x.s, x.v - std::min({r, g, b}));
  }
}

TEST(ColorModels, HsvToRgb) {
  EXPECT_EQ(TAV_HsvToRgb(255, 255, 0), 0xFF0000u);
  EXPECT_EQ(TAV_HsvToRgb(200, 255, 120), 0x00C800u);  // min = 0 where V - S < 0
  EXPECT_EQ(TAV_HsvToRgb(255, 0, 77), 0xFFFFFFu);
  EXPECT_EQ(TAV_HsvToRgb(200, 100, 30), 0xC89664u);   // G = 100 + 30 * 100 / 60
  EXPECT_EQ(TAV_HsvToRgb(255, 255, 359), 0xFF0004u);  // 255 * 1 / 60 = 4
  EXPECT_EQ(TAV_HsvToRgb(255, 255, 300), 0xFF00FFu);
}

// Outside their ranges the arguments go through the same formula, not clamped: the
// channels come out below 0 or above 255 and spill into their neighbours, the sum
// wrapping to 32 bits. The expected values are the formula worked in exact arithmetic
// (integer division toward zero), down to every int's extremes, where a 32-bit
// intermediate would overflow.
TEST(ColorModels, HsvToRgbAppliesTheFormulaBeyondTheRanges) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  const struct {
    int v, s, h;
    uint32_t rgb;
  } cases[] = {
      {255, 255, -60, 0xFE0100u},    // G = -255
      {255, 255, 360, 0xFF0000u},    // the last sixth reaches red again
      {255, 255, 420, 0xFEFF01u},    // B = -255
      {300, 0, 0, 0x12D2D2Cu},       // grey 300 in every channel
      {-10, 5, 100, 0xFFFCF600u},    // R = 20 * -10 / 60 = -3, G = -10
      {255, -100, 200, 0x16421FFu},  // min 355 above V
      {400, 900, 1000, 0x18FEF56u},  // B = -4266, not the clamped (255, 255, 359)
      {kMax, kMax, kMax, 0xF332332Eu}, {kMin, kMin, kMin, 0x11111100u},
      {kMax, kMin, kMin, 0x11100FFFu}, {kMin, kMax, kMax, 0x0EEEEEEEu},
      {kMax, 0, kMin, 0x7FFEFEFFu},    {0, kMin, kMax, 0x8EEEEEEEu},
      {kMax, 1, kMin, 0x5DDCDBFEu},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TAV_HsvToRgb(c.v, c.s, c.h), c.rgb) << c.v << ", " << c.s << ", " << c.h;
  }
}

TEST(ColorModels, LumaAndColourDifferencesTruncateTowardZero) {
  EXPECT_EQ(imaging::luma(0xFFFFFF), 255);
  EXPECT_EQ(imaging::luma(0x000000), 0);
  EXPECT_EQ(imaging::luma(0x00FF00), (38470 * 255 + 32768) >> 16);
  EXPECT_EQ(imaging::colorCr(0x0000FF), -20);  // -20.15: toward zero, not down to -21
  EXPECT_EQ(imaging::colorCb(0xFF0000), -42);
  for (auto f : {imaging::colorCr, imaging::colorCb, imaging::colorU, imaging::colorV,
                 imaging::colorI, imaging::colorQ}) {
    EXPECT_EQ(f(0x000000), 0);
  }
  EXPECT_EQ(imaging::colorCr(0xFFFFFF), 0);
  EXPECT_EQ(imaging::colorCb(0xFFFFFF), 0);
  EXPECT_EQ(imaging::colorU(0x0000FF), (28574 * 255 + 32768) / 65536);
  EXPECT_EQ(imaging::colorV(0x00FF00), -130);  // -8573737 / 65536 = -130.8
  EXPECT_EQ(imaging::colorI(0x00FFFF), -151);  // -9927277 / 65536 = -151.5
  EXPECT_EQ(imaging::colorQ(0x00FF00), -126);  // -8271307 / 65536 = -126.2
  EXPECT_EQ(imaging::colorQ(0xFF00FF), 127);   //  8336843 / 65536 = 127.2
}

}  // namespace
