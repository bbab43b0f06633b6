// The multi-view picture made from a movie without windows, as make> (left to right)
// and make< (right to left) lay it out: V views of the frame size side by side.
#pragma once

#include <cstdint>
#include <vector>

#include "app/movie_capture.h"

namespace app {

struct MultiViewPicture {
  std::vector<uint32_t> pixels;  // words 0x00RRGGBB, width words a row
  int width = 0;
  int height = 0;
  std::vector<int> unreadFrames;  // view frames that could not be read, in reading order
};

// frames: the V + 1 view frames (numbers from 1). For each of them in the order, the
// frame before it is decoded and copied to column (view or V - view) * frame width; the
// last copy lands wholly right of the picture and is clipped away, as in the player. A
// frame that cannot be read is noted and leaves its view as it was.
MultiViewPicture multiViewFromMovie(MovieCapture& movie, const std::vector<int>& frames,
                                    bool rightToLeft);

}  // namespace app
