// The small overlay of keys and settings, drawn over the panel's picture only while it
// is asked for, so that otherwise every pixel is the composition's.
#pragma once

#include <string>
#include <vector>

#include "compose/compose_pixels.h"

namespace viewer {

// Draws the lines in white on a dark box at the picture's top left, in the built-in font
// `scale` times its size; what does not fit is cut.
void drawOverlay(compose::PixelBuffer picture, const std::vector<std::string>& lines, int scale);

}  // namespace viewer
