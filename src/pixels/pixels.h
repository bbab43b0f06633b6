// Pixel formulas and the bitmap font: what a picture is drawn with, whether it goes to
// an image window or to a buffer of the composition. No windows here.
#pragma once

#include <array>
#include <cstdint>

namespace pixels {

// The colour 0xRRGGBB of value V, saturation S (0..255) and hue H (0..359) in
// integers: S = max - min, V = max. Arguments beyond their ranges go through the same
// formula (a hue below 0 as the first sixth, one of 300 or more as the last), and a
// channel that comes out beyond 0..255 spills into its neighbours, the sum wrapping to
// 32 bits; defined for every int.
uint32_t hsvToRgb(int value, int saturation, int hue);

// The luma of 0xRRGGBB (the top byte ignored), 0..255: (19595 R + 38470 G + 7471 B) /
// 65536, rounded.
int luma(uint32_t color);

// The built-in 8 x 14 bitmap font for codes 32..127: 14 rows of a glyph, bit 7 leftmost.
inline constexpr int kGlyphWidth = 8;
inline constexpr int kGlyphHeight = 14;
extern const std::array<std::array<uint8_t, kGlyphHeight>, 96> BitmapFont;

}  // namespace pixels
