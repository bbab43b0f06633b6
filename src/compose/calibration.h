// The calibration picture: V views side by side, view k one solid colour (the hues
// spread evenly round the colour circle, view 0 red) with the number k large in its
// middle. Composed for the panel, every eye position sees one clean colour and number
// when the Pitch is right, and stripes of several when it is not.
#pragma once

#include <cstdint>

#include "compose/compose_pixels.h"

namespace compose {

// The colour of view k of V, and the colour its number is drawn in (black or white,
// whichever stands out more against it).
uint32_t calibrationColour(int k, int views);
uint32_t calibrationNumberColour(uint32_t background);

// The size of one view for an output of W x H: W x H itself, made smaller by a whole
// factor where V views of that size would pass kCalibrationMaxPixels.
inline constexpr int64_t kCalibrationMaxPixels = int64_t{1} << 25;
struct ViewSize {
  int width = 0;
  int height = 0;
};
ViewSize calibrationViewSize(int views, int W, int H);

// Where the number k sits in its view: the box of its digits, each an 8 x 14 glyph of
// the built-in font drawn `scale` times larger.
struct NumberBox {
  int x = 0, y = 0, width = 0, height = 0, scale = 0;
};
NumberBox calibrationNumberBox(int k, ViewSize view);

// The V views side by side, each view.width columns wide.
MultiViewPicture calibrationViews(int views, ViewSize view);

// The lines pattern: V views side by side, view `white` white and every other black.
// Composed for the panel, one eye position sees white and the others black when
// pitch, slant and offset are right, and slanted stripes when they are not.
MultiViewPicture calibrationLineViews(int views, ViewSize view, int white);

}  // namespace compose
