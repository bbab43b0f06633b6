// The frames of the views taken from a movie, as make> (left to right) and make< (right
// to left) take them, and the multi-view picture they make without windows: V views of
// the frame size side by side.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "compose/compose_pixels.h"
#include "movie/movie_capture.h"

namespace movie {

// Called with a view and its frame; the frame is null when it could not be read.
using PlaceView = std::function<void(int view, const MovieFrame* frame)>;

// frames: the V + 1 view frames (numbers from 1); each view takes the frame before its
// number. The frames are read once, in ascending order, each handed to `place` as it
// is read, so that no seek goes backwards. The movie is then left where the order
// leaves it (make> ends with view V, make< with view 0): after that view's frame, which
// is read once more (from memory) and handed to `place` again when it was not the last
// one read.
void takeViewFrames(MovieCapture& movie, const std::vector<int>& frames, bool rightToLeft,
                    const PlaceView& place);

// The column the player's make places a view at: view or V - view times frame width.
inline int viewColumn(int view, int views, int frameWidth, bool rightToLeft) {
  return (rightToLeft ? views - view : view) * frameWidth;
}

// The views of `frames` copied to their columns; the last view of each order lands
// wholly right of the picture and is clipped away, as in the player. A frame that
// cannot be read is noted and leaves its view as it was.
compose::MultiViewPicture multiViewFromMovie(MovieCapture& movie, const std::vector<int>& frames,
                                             bool rightToLeft);

}  // namespace movie
